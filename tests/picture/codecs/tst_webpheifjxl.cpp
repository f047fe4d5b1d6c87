// The WebP, HEIF, AVIF and JPEG XL kinds, opened by extension: public samples against the
// library's own decode of the same file, and damaged files.
#include "../picturetesting.h"
#include "picture/kinds/formats.h"
#include "support/overwhite.h"
#include "support/pixeldifference.h"
#include "support/testdata.h"

#include <QTemporaryDir>
#include <QTest>

#include <jxl/decode.h>
#include <libheif/heif.h>
#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// 8-bit R, G, B, A rows, tightly packed, as the libraries give them.
QImage FromRgba(const uint8_t *Pixels, int Width, int Height, int Stride) {
  if (!Pixels || Width <= 0 || Height <= 0)
    return QImage();
  QImage Image(Width, Height, QImage::Format_ARGB32);
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) {
      const uint8_t *P = Pixels + qsizetype(Y) * Stride + X * 4;
      Image.setPixel(X, Y, qRgba(P[0], P[1], P[2], P[3]));
    }
  return Image;
}

// libwebp's own decode: a still picture whole, an animation's first frame on its canvas.
QImage WebpReference(const QByteArray &Data) {
  const WebPData Bytes{reinterpret_cast<const uint8_t *>(Data.constData()), size_t(Data.size())};
  WebPAnimDecoderOptions Options;
  WebPAnimDecoderOptionsInit(&Options);
  Options.color_mode = MODE_RGBA;
  WebPAnimDecoder *Decoder = WebPAnimDecoderNew(&Bytes, &Options);
  WebPAnimInfo Info;
  uint8_t *Canvas = nullptr;
  int Timestamp = 0;
  QImage Image;
  if (Decoder && WebPAnimDecoderGetInfo(Decoder, &Info) &&
      WebPAnimDecoderGetNext(Decoder, &Canvas, &Timestamp))
    Image = FromRgba(Canvas, int(Info.canvas_width), int(Info.canvas_height),
                     int(Info.canvas_width) * 4);
  WebPAnimDecoderDelete(Decoder);
  return Image;
}

// libheif's own decode of the primary image, its transformations applied.
QImage HeifReference(const QByteArray &Data) {
  heif_context *Context = heif_context_alloc();
  heif_image_handle *Handle = nullptr;
  heif_image *Decoded = nullptr;
  QImage Image;
  if (heif_context_read_from_memory_without_copy(Context, Data.constData(), size_t(Data.size()),
                                                 nullptr)
              .code == heif_error_Ok &&
      heif_context_get_primary_image_handle(Context, &Handle).code == heif_error_Ok &&
      heif_decode_image(Handle, &Decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                        nullptr)
              .code == heif_error_Ok) {
    int Stride = 0;
    const uint8_t *Pixels =
        heif_image_get_plane_readonly(Decoded, heif_channel_interleaved, &Stride);
    Image = FromRgba(Pixels, heif_image_get_width(Decoded, heif_channel_interleaved),
                     heif_image_get_height(Decoded, heif_channel_interleaved), Stride);
  }
  heif_image_release(Decoded);
  heif_image_handle_release(Handle);
  heif_context_free(Context);
  return Image;
}

// libjxl's own decode of the first frame, upright, 8-bit RGBA in sRGB.
QImage JxlReference(const QByteArray &Data) {
  std::unique_ptr<JxlDecoder, void (*)(JxlDecoder *)> Decoder(JxlDecoderCreate(nullptr),
                                                              JxlDecoderDestroy);
  JxlDecoderSubscribeEvents(Decoder.get(), JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE);
  JxlDecoderSetUnpremultiplyAlpha(Decoder.get(), JXL_TRUE);
  JxlDecoderSetInput(Decoder.get(), reinterpret_cast<const uint8_t *>(Data.constData()),
                     size_t(Data.size()));
  JxlDecoderCloseInput(Decoder.get());
  const JxlPixelFormat Format{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
  JxlBasicInfo Info{};
  std::vector<uint8_t> Pixels;
  for (;;) {
    switch (JxlDecoderProcessInput(Decoder.get())) {
    case JXL_DEC_BASIC_INFO:
      JxlDecoderGetBasicInfo(Decoder.get(), &Info);
      break;
    case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
      size_t Size = 0;
      JxlDecoderImageOutBufferSize(Decoder.get(), &Format, &Size);
      Pixels.resize(Size);
      JxlDecoderSetImageOutBuffer(Decoder.get(), &Format, Pixels.data(), Size);
      break;
    }
    case JXL_DEC_FULL_IMAGE: {
      const bool Transposed = Info.orientation >= JXL_ORIENT_TRANSPOSE;
      const int Width = int(Transposed ? Info.ysize : Info.xsize);
      const int Height = int(Transposed ? Info.xsize : Info.ysize);
      return FromRgba(Pixels.data(), Width, Height, Width * 4);
    }
    default:
      return QImage();
    }
  }
}

// Where the stored picture lies on its side: the reference turned by hand a quarter
// clockwise, pixel by pixel.
QImage TurnedClockwise(const QImage &Image) {
  QImage Turned(Image.height(), Image.width(), Image.format());
  for (int Y = 0; Y < Image.height(); ++Y)
    for (int X = 0; X < Image.width(); ++X)
      Turned.setPixel(Image.height() - 1 - Y, X, Image.pixel(X, Y));
  return Turned;
}

// A copy of a test file under a new name in Dir, holding only its first Length bytes
// (all of them when Length is negative).
QString CopyAs(const QTemporaryDir &Dir, const QString &Source, const QString &Name,
               qsizetype Length = -1) {
  const QByteArray Data = ReadBytes(TestData(Source));
  QFile File(Dir.filePath(Name));
  if (!File.open(QIODevice::WriteOnly) || File.write(Length < 0 ? Data : Data.left(Length)) < 0)
    return {};
  return File.fileName();
}

// sRGB's encoding of a linear-light value in [0, 1], as an 8-bit level.
int SrgbLevel(double Linear) {
  Linear = std::clamp(Linear, 0.0, 1.0);
  const double Encoded =
      Linear <= 0.0031308 ? 12.92 * Linear : 1.055 * std::pow(Linear, 1 / 2.4) - 0.055;
  return int(std::lround(Encoded * 255));
}

// Linear BT.2020 RGB as sRGB: the matrix from BT.2020's primaries to BT.709's (both D65,
// ITU-R BT.2087), then sRGB's curve.
QRgb Bt2020LinearToSrgb(QRgb Pixel) {
  const double R = qRed(Pixel) / 255.0, G = qGreen(Pixel) / 255.0, B = qBlue(Pixel) / 255.0;
  return qRgba(SrgbLevel(1.6605 * R - 0.5876 * G - 0.0728 * B),
               SrgbLevel(-0.1246 * R + 1.1329 * G - 0.0083 * B),
               SrgbLevel(-0.0182 * R - 0.1006 * G + 1.1187 * B), qAlpha(Pixel));
}

enum class TReference { Webp, WebpTurned, Heif, Jxl };

} // namespace

Q_DECLARE_METATYPE(TReference)

class TestWebpHeifJxl : public QObject {
  Q_OBJECT
private slots:
  void opensAsTheLibraryDecodes_data();
  void opensAsTheLibraryDecodes();
  void damagedFileKeepsOldPicture_data();
  void damagedFileKeepsOldPicture();
  void wideGamutColoursConvertedToSrgb();
};

void TestWebpHeifJxl::opensAsTheLibraryDecodes_data() {
  QTest::addColumn<QString>("Source");
  QTest::addColumn<QString>("Name");
  QTest::addColumn<QString>("ClassName");
  QTest::addColumn<QSize>("Size");
  QTest::addColumn<TReference>("Reference");
  QTest::addRow("lossy WebP") << "webp/pillow/hopper.webp"
                              << "h.webp"
                              << "TWebPImage" << QSize(128, 128) << TReference::Webp;
  QTest::addRow("WebP with alpha") << "webp/pillow/transparent.webp"
                                   << "t.WEBP"
                                   << "TWebPImage" << QSize(200, 150) << TReference::Webp;
  QTest::addRow("WebP animation: the first frame")
      << "webp/derived/anim-two-frames.webp"
      << "a.webp"
      << "TWebPImage" << QSize(82, 82) << TReference::Webp;
  QTest::addRow("WebP tagged Orientation 6: upright")
      << "webp/pillow/hopper_orientation_6.webp"
      << "o.webp"
      << "TWebPImage" << QSize(128, 128) << TReference::WebpTurned;
  QTest::addRow("HEIC") << "heif/libheif/colors-no-alpha.heic"
                        << "c.heic"
                        << "THeifImage" << QSize(64, 64) << TReference::Heif;
  QTest::addRow("HEIC with alpha, as .heif") << "heif/libheif/colors-with-alpha.heic"
                                             << "c.HEIF"
                                             << "THeifImage" << QSize(64, 64) << TReference::Heif;
  QTest::addRow("AVIF with alpha, turned by the file")
      << "avif/libavif/abc_color_irot_alpha_irot.avif"
      << "a.avif"
      << "TAvifImage" << QSize(256, 512) << TReference::Heif;
  QTest::addRow("AVIF of 12 bits, 4:2:2, with alpha")
      << "avif/libavif/colors-animated-12bpc-keyframes-0-2-3.avif"
      << "d.avif"
      << "TAvifImage" << QSize(64, 64) << TReference::Heif;
  QTest::addRow("JPEG XL with alpha") << "jxl/conformance/alpha_triangles.jxl"
                                      << "a.jxl"
                                      << "TJPEGXLImage" << QSize(1024, 1024) << TReference::Jxl;
  QTest::addRow("JPEG XL") << "jxl/conformance/sunset_logo.jxl"
                           << "s.JXL"
                           << "TJPEGXLImage" << QSize(924, 1386) << TReference::Jxl;
  QTest::addRow("JPEG XL animation: the first frame")
      << "jxl/conformance/animation_spline.jxl"
      << "s.jxl"
      << "TJPEGXLImage" << QSize(320, 320) << TReference::Jxl;
}

// Each opens by its extension as its kind, at the upright size, with the library's pixels
// composed over the frame's white.
void TestWebpHeifJxl::opensAsTheLibraryDecodes() {
  QFETCH(QString, Source);
  QFETCH(QString, Name);
  QFETCH(QString, ClassName);
  QFETCH(QSize, Size);
  QFETCH(TReference, Reference);
  QTemporaryDir Dir;
  const std::unique_ptr<TPicture> Picture = LoadPictureFromFile(CopyAs(Dir, Source, Name));
  QCOMPARE(QString::fromLatin1(Picture->ClassName()), ClassName);
  QCOMPARE(QSize(Picture->Width(), Picture->Height()), Size);

  const QByteArray Data = ReadBytes(TestData(Source));
  QImage Expected;
  switch (Reference) {
  case TReference::Webp:
    Expected = WebpReference(Data);
    break;
  case TReference::WebpTurned:
    Expected = TurnedClockwise(WebpReference(Data));
    break;
  case TReference::Heif:
    Expected = HeifReference(Data);
    break;
  case TReference::Jxl:
    Expected = JxlReference(Data);
    break;
  }
  QVERIFY(!Expected.isNull());
  QCOMPARE(FirstDifference(DrawOver(*Picture, qRgb(255, 255, 255)), OverWhite(Expected)),
           QString());
  // As a bitmap, for turns and mirrors: the same pixels, opaque.
  QCOMPARE(FirstDifference(Picture->ToBitmapImage(), OverWhite(Expected)), QString());
}

void TestWebpHeifJxl::damagedFileKeepsOldPicture_data() {
  QTest::addColumn<QString>("Source");
  QTest::addColumn<QString>("Name");
  QTest::addColumn<qsizetype>("Length");
  QTest::addColumn<QString>("Message");
  QTest::addRow("WebP cut short") << "webp/pillow/hopper.webp"
                                  << "x.webp" << qsizetype(1000) << "WebP image is not valid";
  QTest::addRow("WebP header only") << "webp/pillow/hopper.webp"
                                    << "x.webp" << qsizetype(12) << "WebP image is not valid";
  QTest::addRow("HEIC cut short") << "heif/libheif/colors-no-alpha.heic"
                                  << "x.heic" << qsizetype(300) << "HEIF image is not valid";
  QTest::addRow("AVIF cut short") << "avif/libavif/abc_color_irot_alpha_irot.avif"
                                  << "x.avif" << qsizetype(5000) << "AVIF image is not valid";
  QTest::addRow("JPEG XL cut short") << "jxl/conformance/sunset_logo.jxl"
                                     << "x.jxl" << qsizetype(100) << "JPEG XL image is not valid";
}

// A damaged file gives its kind's message, and a picture of that kind that held a good one
// keeps it.
void TestWebpHeifJxl::damagedFileKeepsOldPicture() {
  QFETCH(QString, Source);
  QFETCH(QString, Name);
  QFETCH(qsizetype, Length);
  QFETCH(QString, Message);
  QTemporaryDir Dir;
  const QString Damaged = CopyAs(Dir, Source, Name, Length);
  try {
    LoadPictureFromFile(Damaged);
    QFAIL("a damaged file loaded");
  } catch (const std::exception &Error) {
    QCOMPARE(QString::fromUtf8(Error.what()), Message);
  }

  const std::unique_ptr<TPicture> Picture =
      LoadPictureFromFile(CopyAs(Dir, Source, QStringLiteral("good.") + PictureExtension(Name)));
  const QImage Before = DrawOver(*Picture, qRgb(255, 255, 255));
  QCOMPARE(LoadError(*Picture, ReadBytes(Damaged)), Message);
  QCOMPARE(FirstDifference(DrawOver(*Picture, qRgb(255, 255, 255)), Before), QString());
}

// An AVIF whose nclx box says BT.2020 primaries with linear light shows in sRGB: libheif's
// values taken through the standard matrix and sRGB's curve, within the rounding of an
// 8-bit colour transform.
void TestWebpHeifJxl::wideGamutColoursConvertedToSrgb() {
  const QString Source = QStringLiteral("avif/libavif/colors_text_wcg_sdr_rec2020.avif");
  QTemporaryDir Dir;
  const std::unique_ptr<TPicture> Picture = LoadPictureFromFile(CopyAs(Dir, Source, "w.avif"));
  QImage Expected = HeifReference(ReadBytes(TestData(Source)));
  QCOMPARE(QSize(Picture->Width(), Picture->Height()), Expected.size());
  for (int Y = 0; Y < Expected.height(); ++Y)
    for (int X = 0; X < Expected.width(); ++X)
      Expected.setPixel(X, Y, Bt2020LinearToSrgb(Expected.pixel(X, Y)));
  const QImage Shown = Picture->ToBitmapImage();
  QVERIFY(MaxChannelDifference(Shown, OverWhite(HeifReference(ReadBytes(TestData(Source))))) > 40);
  QCOMPARE_LE(MaxChannelDifference(Shown, OverWhite(Expected)), 3);
}

QTEST_MAIN(TestWebpHeifJxl)
#include "tst_webpheifjxl.moc"
