// The folder remembered after a save: the file name up to and including its last separator.
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
  QTest::addRow("backslashes") << "C:\\Walls\\sea.jpg" << "C:\\Walls\\";
  QTest::addRow("drive only") << "C:sea.jpg" << "C:";
  QTest::addRow("last separator wins over a colon") << "/a:b/c.jpg" << "/a:b/";
  QTest::addRow("colon after the last slash") << "/walls/a:b.jpg" << "/walls/a:";
  QTest::addRow("backslash after slash") << "/walls/sub\\sea.jpg" << "/walls/sub\\";
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
