// The JPEG kind: deferred decoding, decoder messages, colour spaces.
#include "../picturetesting.h"
#include "picture/image.h"
#include "picture/kinds/jpegimage.h"
#include "support/testdata.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QTest>

#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>

namespace {

QByteArray EncodeWithQt(const QImage &Image, int Quality = 95) {
  QByteArray Bytes;
  QBuffer Buffer(&Bytes);
  Buffer.open(QIODevice::WriteOnly);
  QImageWriter Writer(&Buffer, "jpg");
  Writer.setQuality(Quality);
  Writer.write(Image);
  return Bytes;
}

QString JpegError(int Code) { return QStringLiteral("JPEG error #%1").arg(Code); }

} // namespace

class TJpegImageTest : public QObject {
  Q_OBJECT
private slots:
  void HeaderOnlyUntilFirstDraw();
  void BadFiles_data();
  void BadFiles();
  void BoxKeepsOldPictureOnFailure();
  void Samples_data();
  void Samples();
  void GreyscaleQuantisedTo236Levels();
  void CmykShowsTrueColours();
  void DamagedDataDrawsNothingAndTurnFails();
};

void TJpegImageTest::HeaderOnlyUntilFirstDraw() {
  QImage Source(1600, 1200, QImage::Format_RGB32);
  Source.fill(qRgb(200, 30, 40));
  TJPEGImage Picture;
  Picture.LoadFromBytes(EncodeWithQt(Source));
  QCOMPARE(Picture.Width(), 1600);
  QCOMPARE(Picture.Height(), 1200);
  QVERIFY(!Picture.Decoded());

  QImage Target(100, 100, QImage::Format_RGB32);
  Target.fill(Qt::white);
  {
    QPainter Painter(&Target);
    Picture.Draw(Painter, QRect(0, 0, 100, 100), QRect(0, 0, 100, 100));
    Picture.Draw(Painter, QRect(0, 0, 50, 50), QRect(0, 0, 100, 100));
  }
  QVERIFY(Picture.Decoded());
  const QColor Pixel = Target.pixelColor(10, 10);
  QVERIFY(qAbs(Pixel.red() - 200) <= 3 && qAbs(Pixel.green() - 30) <= 3 &&
          qAbs(Pixel.blue() - 40) <= 3);
}

void TJpegImageTest::BadFiles_data() {
  QTest::addColumn<QByteArray>("Data");
  QTest::addColumn<QString>("Message");
  const QByteArray Good = ReadBytes(TestData("jpeg/libjpeg-turbo/testorig.jpg"));
  QTest::addRow("empty") << QByteArray() << JpegError(JERR_INPUT_EMPTY);
  QTest::addRow("not-a-jpeg") << QByteArray("GIF89a not a jpeg at all") << JpegError(JERR_NO_SOI);
  QTest::addRow("png-named-jpg") << ReadBytes(TestData("pngsuite/basn2c08.png"))
                                 << JpegError(JERR_NO_SOI);
  // Cut inside the quantisation tables: the header never completes.
  QTest::addRow("truncated-header") << Good.left(40) << JpegError(JERR_NO_IMAGE);
  QTest::addRow("twelve-bit") << ReadBytes(TestData("jpeg/libjpeg-turbo/monkey12.jpg"))
                              << JpegError(JERR_BAD_PRECISION);
}

void TJpegImageTest::BadFiles() {
  QFETCH(QByteArray, Data);
  QFETCH(QString, Message);
  TJPEGImage Picture;
  try {
    Picture.LoadFromBytes(Data);
    if (Picture.ToBitmapImage().isNull())
      QFAIL("no error and no pixels");
    QFAIL("no error");
  } catch (const std::runtime_error &Error) {
    QCOMPARE(QString::fromUtf8(Error.what()), Message);
  }
}

void TJpegImageTest::BoxKeepsOldPictureOnFailure() {
  QWidget Frame;
  Frame.resize(480, 272);
  TImage Box(&Frame);
  auto First = std::make_unique<TJPEGImage>();
  First->LoadFromBytes(ReadBytes(TestData("jpeg/libjpeg-turbo/testorig.jpg")));
  TPicture *Kept = First.get();
  Box.SetPicture(std::move(First));
  auto Second = std::make_unique<TJPEGImage>();
  QVERIFY_THROWS_EXCEPTION(std::runtime_error, Second->LoadFromBytes("garbage"));
  QCOMPARE(Box.Picture(), Kept);
  QCOMPARE(Box.Picture()->Width(), 227);
}

void TJpegImageTest::Samples_data() {
  QTest::addColumn<QString>("File");
  QTest::addColumn<int>("Width");
  QTest::addColumn<int>("Height");
  QTest::addColumn<bool>("SameAsOriginal");
  QTest::addRow("baseline") << "libjpeg-turbo/testorig.jpg" << 227 << 149 << true;
  QTest::addRow("arithmetic") << "libjpeg-turbo/testimgari.jpg" << 227 << 149 << false;
  QTest::addRow("progressive") << "derived/testorig-progressive.jpg" << 227 << 149 << true;
  QTest::addRow("restart-markers") << "derived/testorig-restart.jpg" << 227 << 149 << true;
  QTest::addRow("16-bit-qtables") << "pillow/hopper_16bit_qtables.jpg" << 128 << 128 << false;
  QTest::addRow("truncated") << "derived/testorig-truncated.jpg" << 227 << 149 << false;
  // EXIF Orientation 8: stored 2 x 1, upright 1 x 2.
  QTest::addRow("orientation-applied") << "pillow/orientation_rectangle.jpg" << 1 << 2 << false;
}

void TJpegImageTest::Samples() {
  QFETCH(QString, File);
  QFETCH(int, Width);
  QFETCH(int, Height);
  QFETCH(bool, SameAsOriginal);
  TJPEGImage Picture;
  Picture.LoadFromBytes(ReadBytes(TestData("jpeg/" + File)));
  QCOMPARE(Picture.Width(), Width);
  QCOMPARE(Picture.Height(), Height);
  const QImage Pixels = Picture.ToBitmapImage();
  QCOMPARE(Pixels.size(), QSize(Width, Height));
  if (SameAsOriginal) {
    TJPEGImage Original;
    Original.LoadFromBytes(ReadBytes(TestData("jpeg/libjpeg-turbo/testorig.jpg")));
    QCOMPARE(Pixels, Original.ToBitmapImage());
  }
}

void TJpegImageTest::GreyscaleQuantisedTo236Levels() {
  TJPEGImage Picture;
  Picture.LoadFromBytes(ReadBytes(TestData("jpeg/pillow/hopper_gray.jpg")));
  const QImage &Pixels = Picture.Image();
  QCOMPARE(Pixels.format(), QImage::Format_Indexed8);
  QCOMPARE(Pixels.colorCount(), 236);
  for (const QRgb Entry : Pixels.colorTable())
    QVERIFY(qRed(Entry) == qGreen(Entry) && qGreen(Entry) == qBlue(Entry));
  QCOMPARE(qRed(Pixels.colorTable().front()), 0);
  QCOMPARE(qRed(Pixels.colorTable().back()), 255);
}

void TJpegImageTest::CmykShowsTrueColours() {
  // The same picture stored as Adobe CMYK and as RGB: the colours must agree.
  TJPEGImage Cmyk, Rgb;
  Cmyk.LoadFromBytes(ReadBytes(TestData("jpeg/pillow/pil_sample_cmyk.jpg")));
  Rgb.LoadFromBytes(ReadBytes(TestData("jpeg/pillow/pil_sample_rgb.jpg")));
  const QImage A = Cmyk.ToBitmapImage(), B = Rgb.ToBitmapImage();
  QCOMPARE(A.size(), B.size());
  qint64 Total = 0;
  for (int Y = 0; Y < A.height(); ++Y)
    for (int X = 0; X < A.width(); ++X) {
      const QRgb P = A.pixel(X, Y), Q = B.pixel(X, Y);
      Total += qAbs(qRed(P) - qRed(Q)) + qAbs(qGreen(P) - qGreen(Q)) + qAbs(qBlue(P) - qBlue(Q));
    }
  const double Mean = double(Total) / (3.0 * A.width() * A.height());
  QVERIFY2(Mean < 12.0, qPrintable(QString::number(Mean)));
}

void TJpegImageTest::DamagedDataDrawsNothingAndTurnFails() {
  // A valid header and first scan, then a later scan naming a component the frame does not
  // have: the damage is found only while the pixels are decoded.
  QByteArray Data = ReadBytes(TestData("jpeg/derived/testorig-progressive.jpg"));
  const qsizetype First = Data.indexOf(QByteArray("\xFF\xDA", 2));
  const qsizetype Sos = Data.indexOf(QByteArray("\xFF\xDA", 2), First + 2);
  QVERIFY(First > 0 && Sos > First);
  Data[Sos + 5] = char(9); // FF DA, length (2), count (1), then the first component's id
  TJPEGImage Picture;
  Picture.LoadFromBytes(Data);
  QImage Target(50, 50, QImage::Format_RGB32);
  Target.fill(Qt::white);
  {
    QPainter Painter(&Target);
    Picture.Draw(Painter, QRect(0, 0, 50, 50), QRect(0, 0, 50, 50));
  }
  QCOMPARE(Target.pixel(25, 25), qRgb(255, 255, 255));
  QVERIFY_THROWS_EXCEPTION(std::runtime_error, Picture.ToBitmapImage());
}

QTEST_MAIN(TJpegImageTest)
#include "tst_jpegimage.moc"
