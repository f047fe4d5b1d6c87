// The folder remembered after an open or a save: the file name up to and including its last
// "/"; ":" and "\" are ordinary characters.
#include "platform/filename.h"

#include <QTest>

class TestFileName : public QObject {
  Q_OBJECT
private slots:
  void folderPart_data();
  void folderPart();
};

void TestFileName::folderPart_data() {
  QTest::addColumn<QString>("FileName");
  QTest::addColumn<QString>("Folder");
  QTest::addRow("full path") << "/home/ann/walls/sea.jpg" << "/home/ann/walls/";
  QTest::addRow("root") << "/sea.jpg" << "/";
  QTest::addRow("colon in the name") << "/home/ann/Pictures/Screenshot 12:30.png"
                                     << "/home/ann/Pictures/";
  QTest::addRow("colon in a folder name") << "/a:b/c.jpg" << "/a:b/";
  QTest::addRow("backslash in the name") << "/walls/sub\\sea.jpg" << "/walls/";
  QTest::addRow("backslashes and a drive colon") << "C:\\Walls\\sea.jpg" << "";
  QTest::addRow("drive colon only") << "C:sea.jpg" << "";
  QTest::addRow("backslash ending a folder name") << "/walls\\/sea.jpg" << "/walls\\/";
  QTest::addRow("no folder") << "sea.jpg" << "";
  QTest::addRow("empty") << "" << "";
  QTest::addRow("trailing separator") << "/home/ann/" << "/home/ann/";
  QTest::addRow("dots in folder names") << "/a.b/c.d/e" << "/a.b/c.d/";
}

void TestFileName::folderPart() {
  QFETCH(QString, FileName);
  QFETCH(QString, Folder);
  QCOMPARE(FolderPartOf(FileName), Folder);
}

QTEST_GUILESS_MAIN(TestFileName)
#include "tst_filename.moc"
