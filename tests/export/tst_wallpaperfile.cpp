// The whole path from the frame to the file: a frame holding a picture is captured, written
// as the wallpaper, and the file is decoded by Qt's reader and compared with the frame. How
// the file replaces an earlier one, and fails, is the file writer's test.
#include "filetesting.h"
#include "export/capture.h"
#include "export/filewriter.h"
#include "export/wallpaperfile.h"
#include "support/thrown.h"
#include "support/jpegfacts.h"
#include "support/pixeldifference.h"
#include "support/whiteframe.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <stdexcept>

#include <jerror.h>

namespace {

// The picture box stand-in: a smooth picture drawn stretched over the widget.
class TPictureWidget : public QWidget {
public:
  explicit TPictureWidget(QWidget *Parent)
      : QWidget(Parent), FPicture(200, 150, QImage::Format_RGB32) {
    for (int Y = 0; Y < FPicture.height(); ++Y)
      for (int X = 0; X < FPicture.width(); ++X)
        FPicture.setPixel(X, Y,
                          qRgb(40 + X, 60 + Y, 128 + static_cast<int>(std::lround(
                                                   60 * std::sin(X / 25.0 + Y / 35.0)))));
  }

protected:
  void paintEvent(QPaintEvent *) override {
    QPainter(this).drawImage(rect(), FPicture);
  }

private:
  QImage FPicture;
};

QImage FrameCapture(const QRect &PictureBounds) {
  QWidget Frame;
  Frame.resize(480, 272);
  PaintWhite(Frame);
  auto *Picture = new TPictureWidget(&Frame);
  Picture->setGeometry(PictureBounds);
  return CaptureFrame(Frame);
}

QImage Decode(const QByteArray &File) {
  return QImage::fromData(File, "JPG").convertToFormat(QImage::Format_RGB32);
}

const QImage SmallCapture = [] {
  QImage Image(32, 16, QImage::Format_RGB32);
  Image.fill(Qt::darkCyan);
  return Image;
}();

} // namespace

class TestWallpaperFile : public QObject {
  Q_OBJECT
private slots:
  void frameToFile_data();
  void frameToFile();
  void nameUsedAsGiven_data();
  void nameUsedAsGiven();
  void encoderErrorKeepsEarlierFile();
  void creationIsCheckedFirst();
};

void TestWallpaperFile::frameToFile_data() {
  QTest::addColumn<QRect>("Picture");
  QTest::addColumn<int>("Quality");
  QTest::addColumn<int>("Tolerance"); // away from the picture's edges
  QTest::addRow("picture filling the frame") << QRect(0, 0, 480, 272) << 100 << 6;
  QTest::addRow("small picture in the middle") << QRect(100, 60, 200, 150) << 100 << 6;
  QTest::addRow("moved out left and top") << QRect(-150, -100, 400, 300) << 100 << 6;
  QTest::addRow("moved out right and bottom") << QRect(300, 200, 400, 300) << 100 << 6;
  QTest::addRow("zoomed far in") << QRect(-2000, -1500, 4000, 3000) << 100 << 6;
  QTest::addRow("slider at 5") << QRect(100, 60, 200, 150) << 50 << 24;
  QTest::addRow("slider at 8") << QRect(100, 60, 200, 150) << 80 << 12;
}

// Always 480 x 272; white where the picture does not cover the frame; the picture as the
// frame showed it elsewhere; the quality in the file's tables.
void TestWallpaperFile::frameToFile() {
  QFETCH(QRect, Picture);
  QFETCH(int, Quality);
  QFETCH(int, Tolerance);
  const QImage Capture = FrameCapture(Picture);
  QTemporaryDir Dir;
  const QString Path = Dir.filePath("wall.jpg");
  WriteWallpaperFile(Capture, Quality, Path);

  const QByteArray File = ReadBytes(Path);
  QCOMPARE(WallpaperFileFaults(ReadJpegFacts(File), 480, 272, Quality), QStringList());
  const QImage Decoded = Decode(File);
  QCOMPARE(Decoded.size(), QSize(480, 272));

  // Judged away from the picture's edges, where JPEG blurs the step between the two
  // within the 16 x 16 pixels of a coding unit.
  const QRect Inside = Picture.adjusted(16, 16, -16, -16);
  const QRect Outside = Picture.adjusted(-16, -16, 16, 16);
  int Checked = 0;
  for (int Y = 0; Y < 272; ++Y)
    for (int X = 0; X < 480; ++X) {
      const QRgb P = Decoded.pixel(X, Y);
      if (!Outside.contains(X, Y)) {
        ++Checked;
        if (MaxChannelDifference(P, qRgb(255, 255, 255)) > Tolerance)
          QFAIL(qPrintable(QString("(%1,%2) is not white").arg(X).arg(Y)));
      } else if (Inside.contains(X, Y)) {
        ++Checked;
        if (MaxChannelDifference(P, Capture.pixel(X, Y)) > Tolerance)
          QFAIL(qPrintable(QString("(%1,%2) is %3 off").arg(X).arg(Y).arg(
              MaxChannelDifference(P, Capture.pixel(X, Y)))));
      }
    }
  QVERIFY(Checked > 480 * 272 / 2);
}

void TestWallpaperFile::nameUsedAsGiven_data() {
  QTest::addColumn<QString>("Name");
  QTest::addRow("no extension") << "wall";
  QTest::addRow("another extension") << "wall.png";
  QTest::addRow("upper-case extension") << "WALL.JPG";
}

// The name is neither checked nor changed: the file of that very name holds JPEG data.
void TestWallpaperFile::nameUsedAsGiven() {
  QFETCH(QString, Name);
  QTemporaryDir Dir;
  WriteWallpaperFile(SmallCapture, 100, Dir.filePath(Name));
  QCOMPARE(Entries(Dir.path()), QStringList{Name});
  const QImage Decoded = Decode(ReadBytes(Dir.filePath(Name)));
  QCOMPARE(Decoded.size(), SmallCapture.size());
  QVERIFY(MaxChannelDifference(Decoded.pixel(16, 8), SmallCapture.pixel(16, 8)) <= 2);
}

void TestWallpaperFile::encoderErrorKeepsEarlierFile() {
  QTemporaryDir Dir;
  const QString Path = Dir.filePath("wall.jpg");
  WriteAll(Path, "earlier wallpaper");
  QCOMPARE(MessageOf([&] { WriteWallpaperFile(QImage(), 100, Path); }),
           QString("JPEG error #%1").arg(int(JERR_EMPTY_IMAGE)));
  QCOMPARE(ReadBytes(Path), QByteArray("earlier wallpaper"));
  QCOMPARE(Entries(Dir.path()), QStringList{"wall.jpg"});
}

// The file is made before the encoding starts: with both failing, the file's error shows.
void TestWallpaperFile::creationIsCheckedFirst() {
  QTemporaryDir Dir;
  const QString Path = Dir.filePath("missing/wall.jpg");
  QCOMPARE(MessageOf([&] { WriteWallpaperFile(QImage(), 100, Path); }),
           QString("Cannot create file \"%1\". %2").arg(Path, SystemErrorText(ENOENT)));
}

QTEST_MAIN(TestWallpaperFile)
#include "tst_wallpaperfile.moc"
