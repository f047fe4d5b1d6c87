// The folder remembered after an open or a save: the file name up to and including its last
// "/"; the extension a picture's decoder is chosen by: the text after a last "." that follows
// the last "/". ":" and "\" are ordinary characters.
#include "base/filename.h"

#include <QTest>

class TestFileName : public QObject {
  Q_OBJECT
private slots:
  void folderPart_data();
  void folderPart();
  void pictureExtension_data();
  void pictureExtension();
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

void TestFileName::pictureExtension_data() {
  QTest::addColumn<QString>("FileName");
  QTest::addColumn<QString>("Extension");
  QTest::addRow("upper case") << "HOLIDAY.JPG" << "JPG";
  QTest::addRow("mixed case") << "holiday.Jpeg" << "Jpeg";
  QTest::addRow("two dots") << "/pictures/archive.tar.gz" << "gz";
  QTest::addRow("none") << "README" << "";
  QTest::addRow("dot in a folder name") << "/home/me/my.pictures/photo" << "";
  QTest::addRow("colon in the name") << "/home/me/Pictures/Screenshot 12:30.png" << "png";
  QTest::addRow("colon in a folder name") << "/home/me/a:b/photo.Gif" << "Gif";
  QTest::addRow("colon after the dot") << "/home/me/a.b:photo" << "b:photo";
  QTest::addRow("backslash after the dot") << "/home/me/my.pictures\\photo" << "pictures\\photo";
  QTest::addRow("backslash before the dot") << "C:\\walls\\sea.bmp" << "bmp";
  QTest::addRow("ending in a dot") << "photo." << "";
  QTest::addRow("only a dot") << "." << "";
  QTest::addRow("hidden file") << "/home/me/.bmp" << "bmp";
}

void TestFileName::pictureExtension() {
  QFETCH(QString, FileName);
  QFETCH(QString, Extension);
  QCOMPARE(PictureExtension(FileName), Extension);
}

QTEST_GUILESS_MAIN(TestFileName)
#include "tst_filename.moc"
