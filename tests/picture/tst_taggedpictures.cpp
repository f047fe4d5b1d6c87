// Photos as cameras and editors tag them: an EXIF Orientation puts the picture upright from
// the moment it is opened, and an ICC profile gives its colours in sRGB, on screen and in
// turns alike. Expectations come from other decoders: Qt's JPEG reader with its own EXIF
// handling, Qt's readers without colour conversion, and what the test profile means.
#include "codecs/pngfixture.h"
#include "picture/codecs/orientation.h"
#include "picture/fitzoomhandlers.h"
#include "picture/image.h"
#include "picture/kinds/jpegimage.h"
#include "picture/kinds/pngimage.h"
#include "picturetesting.h"
#include "support/iccprofiles.h"
#include "zoomsliderfake.h"

#include <QBuffer>
#include <QImageReader>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <lcms2.h>

namespace {

// The "Exif\0\0" signature that starts an APP1 payload; a PNG eXIf chunk goes without it.
constexpr int ExifSignatureSize = 6;

// An APP1 payload holding one tag, Orientation, in a big-endian TIFF header.
QByteArray ExifWithOrientation(int Orientation) {
  const char Bytes[] = {'E', 'x', 'i', 'f', 0, 0,                 // signature
                        'M', 'M', 0, 42, 0, 0, 0, 8,               // TIFF header, IFD0 at 8
                        0, 1,                                      // one entry
                        0x01, 0x12, 0, 3, 0, 0, 0, 1,              // 274, SHORT, count 1
                        0, char(Orientation), 0, 0,                // the value
                        0, 0, 0, 0};                               // no next IFD
  return QByteArray(Bytes, sizeof Bytes);
}

// A baseline JPEG at quality 100 without chroma subsampling from rows of RGB (3 bytes a
// pixel) or CMYK (4) samples, with the given APP1 payload and ICC profile (written by
// libjpeg, split over APP2 segments as it needs). A CMYK file gets an Adobe segment, which
// readers take to mean inverted CMYK, when Adobe is set.
QByteArray EncodeJpeg(QSize Size, int Components, const QByteArray &Samples, const QByteArray &Exif,
                      const QByteArray &Icc, bool Adobe = false) {
  jpeg_compress_struct C{};
  jpeg_error_mgr Errors{};
  C.err = jpeg_std_error(&Errors);
  jpeg_create_compress(&C);
  unsigned char *Out = nullptr;
  unsigned long Length = 0;
  jpeg_mem_dest(&C, &Out, &Length);
  C.image_width = JDIMENSION(Size.width());
  C.image_height = JDIMENSION(Size.height());
  C.input_components = Components;
  C.in_color_space = Components == 4 ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&C);
  if (Components == 4) {
    jpeg_set_colorspace(&C, JCS_CMYK);
    C.write_Adobe_marker = Adobe;
  }
  jpeg_set_quality(&C, 100, TRUE);
  for (int I = 0; I < C.num_components; ++I)
    C.comp_info[I].h_samp_factor = C.comp_info[I].v_samp_factor = 1;
  jpeg_start_compress(&C, TRUE);
  if (!Exif.isEmpty())
    jpeg_write_marker(&C, JPEG_APP0 + 1, reinterpret_cast<const JOCTET *>(Exif.constData()),
                      unsigned(Exif.size()));
  if (!Icc.isEmpty())
    jpeg_write_icc_profile(&C, reinterpret_cast<const JOCTET *>(Icc.constData()),
                           unsigned(Icc.size()));
  for (int Y = 0; Y < Size.height(); ++Y) {
    JSAMPROW Row = reinterpret_cast<JSAMPROW>(
        const_cast<char *>(Samples.constData()) + qsizetype(Y) * Size.width() * Components);
    jpeg_write_scanlines(&C, &Row, 1);
  }
  jpeg_finish_compress(&C);
  jpeg_destroy_compress(&C);
  const QByteArray Bytes(reinterpret_cast<const char *>(Out), qsizetype(Length));
  std::free(Out);
  return Bytes;
}

QByteArray EncodeJpeg(const QImage &Image, const QByteArray &Exif, const QByteArray &Icc) {
  const QImage Rgb = Image.convertToFormat(QImage::Format_RGB888);
  QByteArray Samples;
  for (int Y = 0; Y < Rgb.height(); ++Y)
    Samples.append(reinterpret_cast<const char *>(Rgb.constScanLine(Y)), Rgb.width() * 3);
  return EncodeJpeg(Rgb.size(), 3, Samples, Exif, Icc);
}

// libjpeg's own decode of a CMYK file, its samples converted by lcms2 from Profile to sRGB
// as plain (0 = no ink) or inverted CMYK.
QImage CmykThroughLcms(const QByteArray &File, const QByteArray &Profile, bool Inverted) {
  jpeg_decompress_struct D{};
  jpeg_error_mgr Errors{};
  D.err = jpeg_std_error(&Errors);
  jpeg_create_decompress(&D);
  jpeg_mem_src(&D, reinterpret_cast<const unsigned char *>(File.constData()), File.size());
  jpeg_read_header(&D, TRUE);
  D.out_color_space = JCS_CMYK;
  jpeg_start_decompress(&D);
  const int W = int(D.output_width), H = int(D.output_height);
  QByteArray Cmyk(qsizetype(W) * H * 4, '\0');
  while (D.output_scanline < D.output_height) {
    JSAMPROW Row = reinterpret_cast<JSAMPROW>(Cmyk.data()) + qsizetype(D.output_scanline) * W * 4;
    jpeg_read_scanlines(&D, &Row, 1);
  }
  jpeg_finish_decompress(&D);
  jpeg_destroy_decompress(&D);
  cmsHPROFILE Source = cmsOpenProfileFromMem(Profile.constData(), cmsUInt32Number(Profile.size()));
  cmsHPROFILE SRGB = cmsCreate_sRGBProfile();
  cmsHTRANSFORM Transform = cmsCreateTransform(Source, Inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8,
                                               SRGB, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
  QImage Rgb(W, H, QImage::Format_RGB888);
  for (int Y = 0; Y < H; ++Y)
    cmsDoTransform(Transform, Cmyk.constData() + qsizetype(Y) * W * 4, Rgb.scanLine(Y), W);
  cmsDeleteTransform(Transform);
  cmsCloseProfile(SRGB);
  cmsCloseProfile(Source);
  return Rgb.convertToFormat(QImage::Format_RGB32);
}

// Every pixel different inks.
QByteArray CmykSamples(QSize Size) {
  QByteArray Samples;
  for (int Y = 0; Y < Size.height(); ++Y)
    for (int X = 0; X < Size.width(); ++X)
      Samples.append(char(X * 6)).append(char(Y * 10)).append(char(120 + X - Y)).append(char(X * Y / 4));
  return Samples;
}

// An 8-bit RGB PNG, with an iCCP chunk when Icc is not empty and an eXIf chunk when Exif is
// not.
QByteArray EncodePng(const QImage &Image, const QByteArray &Icc, const QByteArray &Exif = {}) {
  using namespace PngFixture;
  QList<QByteArray> Rows;
  for (int Y = 0; Y < Image.height(); ++Y) {
    QByteArray Row;
    for (int X = 0; X < Image.width(); ++X) {
      const QRgb P = Image.pixel(X, Y);
      Row.append(char(qRed(P))).append(char(qGreen(P))).append(char(qBlue(P)));
    }
    Rows << Row;
  }
  const QByteArray Profile = Icc.isEmpty() ? QByteArray()
                                           : Chunk("iCCP", QByteArray("test", 5) + '\0' + Deflate(Icc));
  const QByteArray ExifChunk = Exif.isEmpty() ? QByteArray() : Chunk("eXIf", Exif);
  return Signature() + Ihdr(quint32(Image.width()), quint32(Image.height()), 8, 2) + Profile +
         ExifChunk + Chunk("IDAT", Deflate(Scanlines(Rows))) + Iend();
}

// Qt's own decode: with its EXIF handling when Upright, never with colour conversion.
QImage ReadWithQt(const QByteArray &Bytes, bool Upright) {
  QBuffer Buffer;
  Buffer.setData(Bytes);
  QImageReader Reader(&Buffer);
  Reader.setAutoTransform(Upright);
  return Reader.read().convertToFormat(QImage::Format_RGB32);
}

// Six solid blocks of 16 x 16 in two columns and three rows: no turn or mirror of it looks
// like another.
QImage UprightBlocks() {
  const QRgb Colours[6] = {qRgb(220, 20, 30), qRgb(20, 200, 40), qRgb(30, 40, 210),
                           qRgb(240, 220, 20), qRgb(250, 250, 250), qRgb(10, 10, 10)};
  QImage Image(32, 48, QImage::Format_RGB32);
  for (int Y = 0; Y < 48; ++Y)
    for (int X = 0; X < 32; ++X)
      Image.setPixel(X, Y, Colours[(Y / 16) * 2 + X / 16]);
  return Image;
}

QImage Turned(const QImage &Image, int Degrees) {
  return Image.transformed(QTransform().rotate(Degrees));
}

// The first pixel whose channels differ by more than Tolerance, as text; empty when none.
QString Difference(const QImage &Actual, const QImage &Expected, int Tolerance) {
  if (Actual.size() != Expected.size())
    return QStringLiteral("size %1x%2, expected %3x%4")
        .arg(Actual.width()).arg(Actual.height()).arg(Expected.width()).arg(Expected.height());
  for (int Y = 0; Y < Actual.height(); ++Y)
    for (int X = 0; X < Actual.width(); ++X) {
      const QRgb A = Actual.pixel(X, Y);
      const QRgb E = Expected.pixel(X, Y);
      if (qAbs(qRed(A) - qRed(E)) > Tolerance || qAbs(qGreen(A) - qGreen(E)) > Tolerance ||
          qAbs(qBlue(A) - qBlue(E)) > Tolerance)
        return QStringLiteral("pixel %1,%2: %3, expected %4")
            .arg(X).arg(Y).arg(A, 8, 16).arg(E, 8, 16);
    }
  return {};
}

// The channel-turning profile's meaning: (r, g, b) in it is (b, r, g) in sRGB.
QRgb ChannelsTurned(QRgb P) { return qRgb(qBlue(P), qRed(P), qGreen(P)); }

// A photo-like pattern: every pixel a different colour.
QImage Gradient() {
  QImage Image(40, 24, QImage::Format_RGB32);
  for (int Y = 0; Y < Image.height(); ++Y)
    for (int X = 0; X < Image.width(); ++X)
      Image.setPixel(X, Y, qRgb(X * 6, Y * 10, 255 - X * 3 - Y * 2));
  return Image;
}

} // namespace

class TTaggedPicturesTest : public QObject {
  Q_OBJECT
private slots:
  void OpensUpright_data();
  void OpensUpright();
  void ProfileColours_data();
  void ProfileColours();
};

void TTaggedPicturesTest::OpensUpright_data() {
  QTest::addColumn<int>("Orientation");
  QTest::addColumn<QImage>("Stored");
  // Stored: the upright picture as a camera would store it for each tag (what the tag says
  // must be done to it, undone with Qt's own turns and mirrors).
  const QImage Upright = UprightBlocks();
  QTest::addRow("1 upright") << 1 << Upright;
  QTest::addRow("2 mirrored") << 2 << Upright.mirrored(true, false);
  QTest::addRow("3 half turn") << 3 << Turned(Upright, 180);
  QTest::addRow("4 mirrored top-bottom") << 4 << Upright.mirrored(false, true);
  QTest::addRow("5 transposed") << 5 << Turned(Upright, 90).mirrored(true, false);
  QTest::addRow("6 quarter right") << 6 << Turned(Upright, 270);
  QTest::addRow("7 transverse") << 7 << Turned(Upright, 270).mirrored(true, false);
  QTest::addRow("8 quarter left") << 8 << Turned(Upright, 90);
}

void TTaggedPicturesTest::OpensUpright() {
  QFETCH(int, Orientation);
  QFETCH(QImage, Stored);
  const QByteArray File = EncodeJpeg(Stored, ExifWithOrientation(Orientation), QByteArray());
  const QImage Expected = ReadWithQt(File, true);
  // The fixture means what it says: Qt's reader puts it upright too.
  QVERIFY2(Difference(Expected, UprightBlocks(), 6).isEmpty(),
           qPrintable(Difference(Expected, UprightBlocks(), 6)));

  // Decoders that get the whole picture first (WebP) put it upright afterwards.
  QImage Made = Stored;
  MakeUpright(Made, Orientation);
  QCOMPARE(Made, UprightBlocks());

  auto Picture = std::make_unique<TJPEGImage>();
  Picture->LoadFromBytes(File);
  QCOMPARE(QSize(Picture->Width(), Picture->Height()), QSize(32, 48));
  QVERIFY(!Picture->Decoded());
  const QImage Drawn = DrawOver(*Picture, qRgb(255, 0, 255));
  QVERIFY2(Difference(Drawn, Expected, 0).isEmpty(), qPrintable(Difference(Drawn, Expected, 0)));

  // A PNG's eXIf chunk holds the same block without its "Exif" signature.
  TPngImage Png;
  Png.LoadFromBytes(EncodePng(Stored, {}, ExifWithOrientation(Orientation).mid(ExifSignatureSize)));
  const QImage PngDrawn = DrawOver(Png, qRgb(255, 0, 255));
  QVERIFY2(Difference(PngDrawn, UprightBlocks(), 0).isEmpty(),
           qPrintable(Difference(PngDrawn, UprightBlocks(), 0)));

  // Opened into the frame and fitted: the upright picture fills the frame's width.
  QWidget Frame;
  Frame.resize(480, 272);
  TImage Box(&Frame);
  const QSize Natural = ShowOpenedPicture(Box, std::move(Picture));
  QCOMPARE(Natural, QSize(32, 48));
  TFakeZoomSlider Slider;
  ApplyFitMode(2, Box, Frame.size(), Natural, Slider, [] {});
  QCOMPARE(Box.BoundsRect(), QRect(0, 0, 480, 720));
}

void TTaggedPicturesTest::ProfileColours_data() {
  QTest::addColumn<QByteArray>("File");
  QTest::addColumn<bool>("Png");
  QTest::addColumn<QImage>("Expected");
  QTest::addColumn<int>("Tolerance");
  const QImage Pixels = Gradient();
  const QByteArray Turning = ChannelTurningProfile();
  // lcms2's 8-bit transforms round once more than the profile's meaning: one level.
  const auto AddTurned = [](const char *Name, const QByteArray &File, bool Png) {
    QImage Expected = ReadWithQt(File, false);
    for (int Y = 0; Y < Expected.height(); ++Y)
      for (int X = 0; X < Expected.width(); ++X)
        Expected.setPixel(X, Y, ChannelsTurned(Expected.pixel(X, Y)));
    QTest::addRow("%s", Name) << File << Png << Expected << 1;
  };
  AddTurned("jpeg", EncodeJpeg(Pixels, {}, Turning), false);
  // Over 64 KiB: the profile spans two APP2 segments.
  AddTurned("jpeg-profile-in-two-segments", EncodeJpeg(Pixels, {}, ChannelTurningProfile(100000)),
            false);
  AddTurned("png", EncodePng(Pixels, Turning), true);
  // CMYK through a press profile, plain and Adobe's inverted.
  const QByteArray Press = ReadBytes(QStringLiteral(ZELVANE_TESTDATA "/icc/CGATS001Compat-v2-micro.icc"));
  const QSize CmykSize(40, 24);
  for (const bool Adobe : {false, true}) {
    const QByteArray File = EncodeJpeg(CmykSize, 4, CmykSamples(CmykSize), {}, Press, Adobe);
    QTest::addRow(Adobe ? "jpeg-inverted-cmyk" : "jpeg-cmyk")
        << File << false << CmykThroughLcms(File, Press, Adobe) << 1;
  }
  // Untagged pictures keep exactly the decoder's pixels.
  const QByteArray Jpeg = EncodeJpeg(Pixels, {}, {}), Png = EncodePng(Pixels, {});
  QTest::addRow("jpeg-untagged") << Jpeg << false << ReadWithQt(Jpeg, false) << 0;
  QTest::addRow("png-untagged") << Png << true << ReadWithQt(Png, false) << 0;
}

// What the frame shows (drawn at its own size and scaled) and the pixels that turns work on.
void TTaggedPicturesTest::ProfileColours() {
  QFETCH(QByteArray, File);
  QFETCH(bool, Png);
  QFETCH(QImage, Expected);
  QFETCH(int, Tolerance);
  QVERIFY(!Expected.isNull());
  std::unique_ptr<TRasterPicture> Picture;
  if (Png)
    Picture = std::make_unique<TPngImage>();
  else
    Picture = std::make_unique<TJPEGImage>();
  Picture->LoadFromBytes(File);

  const QImage Drawn = DrawOver(*Picture, qRgb(255, 0, 255));
  QVERIFY2(Difference(Drawn, Expected, Tolerance).isEmpty(),
           qPrintable(Difference(Drawn, Expected, Tolerance)));
  QImage Doubled(Expected.size() * 2, QImage::Format_RGB32);
  {
    QPainter Painter(&Doubled);
    Picture->Draw(Painter, Doubled.rect(), Doubled.rect());
  }
  const QImage ExpectedDoubled = Expected.scaled(Expected.size() * 2);
  QVERIFY2(Difference(Doubled, ExpectedDoubled, Tolerance).isEmpty(),
           qPrintable(Difference(Doubled, ExpectedDoubled, Tolerance)));
  const QImage Bitmap = Picture->ToBitmapImage();
  QVERIFY2(Difference(Bitmap, Expected, Tolerance).isEmpty(),
           qPrintable(Difference(Bitmap, Expected, Tolerance)));
}

QTEST_MAIN(TTaggedPicturesTest)
#include "tst_taggedpictures.moc"
