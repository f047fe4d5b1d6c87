// The wallpaper encoder, checked from the outside: the file's markers are read back byte by
// byte and compared with tables built here from ITU-T T.81 Annex K, and the pixels are
// decoded by Qt's own JPEG reader and compared with the input.
#include "export/jpegwriter.h"
#include "support/jpegfacts.h"
#include "support/pixeldifference.h"

#include <QList>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// ---- T.81 Annex K.3, typed from the standard ------------------------------------------

using THuffman = THuffmanTable;

// K.3.3.1 and K.3.3.2.
THuffman DcLuminance() {
  return {{0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0},
          {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
}

THuffman DcChrominance() {
  return {{0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0},
          {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
}

// The long tails of the AC tables run through (run, size) pairs in order; Lo..Hi is a
// run of consecutive symbols.
void AppendRange(QList<int> &Values, int Lo, int Hi) {
  for (int V = Lo; V <= Hi; ++V)
    Values.append(V);
}

THuffman AcLuminance() {
  THuffman T{{0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d},
             {0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06,
              0x13, 0x51, 0x61, 0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08,
              0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72,
              0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a}};
  AppendRange(T.Values, 0x25, 0x2a);
  AppendRange(T.Values, 0x34, 0x3a);
  for (int Run = 4; Run <= 7; ++Run)
    AppendRange(T.Values, Run * 16 + 3, Run * 16 + 10);
  AppendRange(T.Values, 0x83, 0x8a);
  for (int Run = 9; Run <= 13; ++Run)
    AppendRange(T.Values, Run * 16 + 2, Run * 16 + 10);
  AppendRange(T.Values, 0xe1, 0xea);
  AppendRange(T.Values, 0xf1, 0xfa);
  return T;
}

THuffman AcChrominance() {
  THuffman T{{0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77},
             {0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41,
              0x51, 0x07, 0x61, 0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91,
              0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1,
              0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26,
              0x27, 0x28, 0x29, 0x2a}};
  AppendRange(T.Values, 0x35, 0x3a);
  for (int Run = 4; Run <= 7; ++Run)
    AppendRange(T.Values, Run * 16 + 3, Run * 16 + 10);
  for (int Run = 8; Run <= 13; ++Run)
    AppendRange(T.Values, Run * 16 + 2, Run * 16 + 10);
  AppendRange(T.Values, 0xe2, 0xea);
  AppendRange(T.Values, 0xf2, 0xfa);
  return T;
}

int U16(const QByteArray &B, qsizetype I) { return uchar(B[I]) << 8 | uchar(B[I + 1]); }

QList<int> Bytes(const QByteArray &B, qsizetype From, qsizetype Count) {
  QList<int> Out;
  for (qsizetype I = 0; I < Count; ++I)
    Out.append(uchar(B[From + I]));
  return Out;
}

const TJpegSegment &SegmentOf(const TJpegFacts &Facts, int Marker) {
  static const TJpegSegment None;
  const auto Found = std::find_if(Facts.Segments.begin(), Facts.Segments.end(),
                                  [Marker](const TJpegSegment &S) { return S.Marker == Marker; });
  return Found == Facts.Segments.end() ? None : *Found;
}

// ---- pixels ---------------------------------------------------------------------------

QImage Decode(const QByteArray &File) {
  QImage Image = QImage::fromData(File, "JPG");
  return Image.isNull() ? Image : Image.convertToFormat(QImage::Format_RGB32);
}

// Smooth in every channel, so chroma subsampling and quantisation stay near invisible.
QImage SmoothImage(int W, int H) {
  QImage Image(W, H, QImage::Format_RGB32);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X)
      Image.setPixel(X, Y,
                     qRgb(X * 255 / std::max(1, W - 1), Y * 255 / std::max(1, H - 1),
                          128 + static_cast<int>(std::lround(
                                    100 * std::sin(X / 40.0) * std::cos(Y / 30.0)))));
  return Image;
}

double MeanChannelError(const QImage &A, const QImage &B) {
  double Sum = 0;
  for (int Y = 0; Y < A.height(); ++Y)
    for (int X = 0; X < A.width(); ++X) {
      const QRgb P = A.pixel(X, Y), Q = B.pixel(X, Y);
      Sum += std::abs(qRed(P) - qRed(Q)) + std::abs(qGreen(P) - qGreen(Q)) +
             std::abs(qBlue(P) - qBlue(Q));
    }
  return Sum / (3.0 * A.width() * A.height());
}

// ---- a plain libjpeg encoding, to tell the DCT methods apart -------------------------

struct TRefErrors {
  jpeg_error_mgr Pub;
  std::jmp_buf Jump;
};

[[noreturn]] void RefErrorExit(j_common_ptr Info) {
  std::longjmp(reinterpret_cast<TRefErrors *>(Info->err)->Jump, 1);
}

// R, G, B rows, defaults, the given DCT method, quality with baseline forced. Returns an
// empty array on a library error. Holds only C objects between setjmp and longjmp.
QByteArray ReferenceEncoding(const QByteArray &RgbRows, int W, int H, int Quality,
                             J_DCT_METHOD Method) {
  jpeg_compress_struct Info{};
  TRefErrors Errors{};
  unsigned char *Buffer = nullptr;
  unsigned long Size = 0;
  Info.err = jpeg_std_error(&Errors.Pub);
  Errors.Pub.error_exit = RefErrorExit;
  if (setjmp(Errors.Jump)) {
    jpeg_destroy_compress(&Info);
    std::free(Buffer);
    return {};
  }
  jpeg_create_compress(&Info);
  jpeg_mem_dest(&Info, &Buffer, &Size);
  Info.image_width = static_cast<JDIMENSION>(W);
  Info.image_height = static_cast<JDIMENSION>(H);
  Info.input_components = 3;
  Info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&Info);
  Info.dct_method = Method;
  jpeg_set_quality(&Info, Quality, TRUE);
  jpeg_start_compress(&Info, TRUE);
  while (Info.next_scanline < Info.image_height) {
    JSAMPROW Row = reinterpret_cast<JSAMPROW>(const_cast<char *>(RgbRows.constData())) +
                   size_t(Info.next_scanline) * W * 3;
    jpeg_write_scanlines(&Info, &Row, 1);
  }
  jpeg_finish_compress(&Info);
  jpeg_destroy_compress(&Info);
  QByteArray Out(reinterpret_cast<const char *>(Buffer), static_cast<qsizetype>(Size));
  std::free(Buffer);
  return Out;
}

QByteArray RgbRowsOf(const QImage &Image) {
  QByteArray Rows;
  for (int Y = 0; Y < Image.height(); ++Y)
    for (int X = 0; X < Image.width(); ++X) {
      const QRgb P = Image.pixel(X, Y);
      Rows.append(char(qRed(P))).append(char(qGreen(P))).append(char(qBlue(P)));
    }
  return Rows;
}

} // namespace

class TestJpegWriter : public QObject {
  Q_OBJECT
private slots:
  void annexKTablesAreComplete();
  void markers_data();
  void markers();
  void qualityHundredQuantisesByOne();
  void sizes_data();
  void sizes();
  void smoothImageRoundTrip_data();
  void smoothImageRoundTrip();
  void photographRoundTrip();
  void colours_data();
  void colours();
  void pixelFormats_data();
  void pixelFormats();
  void floatingPointDct();
  void libraryErrors_data();
  void libraryErrors();
};

// Guards the typed tables of this test: every AC symbol (0x00, 0xF0 and each run 0..15
// with size 1..10) appears exactly once, and each BITS list counts its values.
void TestJpegWriter::annexKTablesAreComplete() {
  for (const THuffman &T : {DcLuminance(), DcChrominance(), AcLuminance(), AcChrominance()}) {
    int Count = 0;
    for (int B : T.Bits)
      Count += B;
    QCOMPARE(Count, T.Values.size());
  }
  QList<int> AllAc{0x00, 0xf0};
  for (int Run = 0; Run < 16; ++Run)
    for (int Size = 1; Size <= 10; ++Size)
      AllAc.append(Run * 16 + Size);
  std::sort(AllAc.begin(), AllAc.end());
  for (const THuffman &T : {AcLuminance(), AcChrominance()}) {
    QList<int> Sorted = T.Values;
    std::sort(Sorted.begin(), Sorted.end());
    QCOMPARE(Sorted, AllAc);
  }
}

void TestJpegWriter::markers_data() {
  QTest::addColumn<int>("Width");
  QTest::addColumn<int>("Height");
  QTest::addColumn<int>("Quality");
  for (int Position = 5; Position <= 10; ++Position)
    QTest::addRow("wallpaper, slider %d", Position) << 480 << 272 << Position * 10;
  QTest::addRow("one pixel") << 1 << 1 << 100;
  QTest::addRow("odd size") << 17 << 9 << 70;
  QTest::addRow("wider than the frame") << 1000 << 40 << 50;
}

void TestJpegWriter::markers() {
  QFETCH(int, Width);
  QFETCH(int, Height);
  QFETCH(int, Quality);
  const TJpegFacts F = ReadJpegFacts(EncodeJpeg(SmoothImage(Width, Height), Quality));
  // Baseline JFIF, 8-bit, Y 2x2 on table 0, Cb and Cr 1x1 on table 1, one scan, the
  // standard tables scaled for Quality.
  QCOMPARE(WallpaperFileFaults(F, Width, Height, Quality), QStringList());
  QCOMPARE(F.BytesAfterEnd, 0);
  QVERIFY(!F.RestartMarkers);

  // SOI APP0 DQT.. SOF0 DHT.. SOS EOI and nothing else.
  QString Shape;
  for (const TJpegSegment &S : F.Segments)
    Shape += S.Marker == 0xd8   ? "SOI "
             : S.Marker == 0xe0 ? "APP0 "
             : S.Marker == 0xdb ? "DQT "
             : S.Marker == 0xc0 ? "SOF0 "
             : S.Marker == 0xc4 ? "DHT "
             : S.Marker == 0xda ? "SOS "
             : S.Marker == 0xd9 ? "EOI "
                                : QString("FF%1 ").arg(S.Marker, 2, 16, QChar('0'));
  QVERIFY2(QRegularExpression("^SOI APP0 (DQT )+SOF0 (DHT )+SOS EOI $").match(Shape).hasMatch(),
           qPrintable(Shape));

  // JFIF 1.01, density unit 0, density 1:1, no thumbnail.
  const QByteArray Jfif = F.Segments[1].Payload;
  QCOMPARE(Jfif.size(), 14);
  QCOMPARE(Jfif.left(5), QByteArray("JFIF\0", 5));
  QCOMPARE(Bytes(Jfif, 5, 3), (QList<int>{1, 1, 0}));
  QCOMPARE(U16(Jfif, 8), 1);
  QCOMPARE(U16(Jfif, 10), 1);
  QCOMPARE(Bytes(Jfif, 12, 2), (QList<int>{0, 0}));

  QCOMPARE(F.Huffman.keys(), (QList<int>{0x00, 0x01, 0x10, 0x11}));
  QCOMPARE(F.Huffman[0x00], DcLuminance());
  QCOMPARE(F.Huffman[0x01], DcChrominance());
  QCOMPARE(F.Huffman[0x10], AcLuminance());
  QCOMPARE(F.Huffman[0x11], AcChrominance());

  // Components numbered 1, 2, 3.
  const QByteArray Sof = SegmentOf(F, 0xc0).Payload;
  QCOMPARE(Sof.size(), 15);
  QCOMPARE(Bytes(Sof, 5, 10), (QList<int>{3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1}));

  // One scan of all three components, full spectral range, no approximation.
  const QByteArray Sos = SegmentOf(F, 0xda).Payload;
  QCOMPARE(Bytes(Sos, 0, Sos.size()), (QList<int>{3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0}));
}

void TestJpegWriter::qualityHundredQuantisesByOne() {
  const TJpegFacts F = ReadJpegFacts(EncodeJpeg(SmoothImage(480, 272), 100));
  QCOMPARE(F.Tables, (QMap<int, QList<int>>{{0, QList<int>(64, 1)}, {1, QList<int>(64, 1)}}));
}

void TestJpegWriter::sizes_data() {
  QTest::addColumn<int>("Width");
  QTest::addColumn<int>("Height");
  QTest::addRow("wallpaper") << 480 << 272;
  QTest::addRow("1x1") << 1 << 1;
  QTest::addRow("not a multiple of the MCU") << 481 << 273;
  QTest::addRow("one row") << 300 << 1;
  QTest::addRow("one column") << 1 << 300;
}

void TestJpegWriter::sizes() {
  QFETCH(int, Width);
  QFETCH(int, Height);
  const QImage Decoded = Decode(EncodeJpeg(SmoothImage(Width, Height), 90));
  QVERIFY(!Decoded.isNull());
  QCOMPARE(Decoded.size(), QSize(Width, Height));
}

void TestJpegWriter::smoothImageRoundTrip_data() {
  QTest::addColumn<int>("Quality");
  QTest::addColumn<int>("MaxError");
  // Quantisation by 1 leaves only rounding (colour conversion, DCT, upsampling).
  QTest::addRow("quality 100") << 100 << 5;
  QTest::addRow("quality 90") << 90 << 10;
  QTest::addRow("quality 50") << 50 << 20;
}

void TestJpegWriter::smoothImageRoundTrip() {
  QFETCH(int, Quality);
  QFETCH(int, MaxError);
  const QImage Input = SmoothImage(480, 272);
  const QImage Decoded = Decode(EncodeJpeg(Input, Quality));
  QCOMPARE(Decoded.size(), Input.size());
  const int Error = MaxChannelDifference(Input, Decoded);
  QVERIFY2(Error <= MaxError, qPrintable(QString("max error %1").arg(Error)));
}

// A real photograph: detail everywhere, so chroma subsampling shows, but on average the
// file at quality 100 stays within about a level of the input.
void TestJpegWriter::photographRoundTrip() {
  const QImage Photo = QImage(ZELVANE_TESTDATA "/jpeg/libjpeg-turbo/testorig.jpg")
                           .convertToFormat(QImage::Format_RGB32);
  if (Photo.isNull())
    QSKIP("testorig.jpg missing from the test data");
  const QImage Decoded = Decode(EncodeJpeg(Photo, 100));
  QCOMPARE(Decoded.size(), Photo.size());
  const double Mean = MeanChannelError(Photo, Decoded);
  QVERIFY2(Mean < 1.0, qPrintable(QString("mean error %1").arg(Mean)));
}

void TestJpegWriter::colours_data() {
  QTest::addColumn<QColor>("Colour");
  QTest::addColumn<int>("Quality");
  QTest::addColumn<int>("Tolerance");
  const QList<QPair<const char *, QColor>> Colours{
      {"red", QColor(255, 0, 0)},      {"green", QColor(0, 255, 0)},
      {"blue", QColor(0, 0, 255)},     {"yellow", QColor(255, 255, 0)},
      {"magenta", QColor(255, 0, 255)}, {"white", QColor(255, 255, 255)},
      {"black", QColor(0, 0, 0)},       {"dark orange", QColor(200, 100, 20)}};
  for (const auto &[Name, Colour] : Colours) {
    QTest::addRow("%s, quality 100", Name) << Colour << 100 << 3;
    QTest::addRow("%s, quality 50", Name) << Colour << 50 << 12;
  }
}

// A block of one colour among blocks of others: red must not come back blue, and the
// block's middle keeps its colour.
void TestJpegWriter::colours() {
  QFETCH(QColor, Colour);
  QFETCH(int, Quality);
  QFETCH(int, Tolerance);
  QImage Input(96, 64, QImage::Format_RGB32);
  Input.fill(QColor(40, 160, 90));
  for (int Y = 16; Y < 48; ++Y)
    for (int X = 32; X < 64; ++X)
      Input.setPixel(X, Y, Colour.rgb());
  const QImage Decoded = Decode(EncodeJpeg(Input, Quality));
  QCOMPARE(Decoded.size(), Input.size());
  for (int Y = 24; Y < 40; ++Y)
    for (int X = 40; X < 56; ++X) {
      const QRgb P = Decoded.pixel(X, Y);
      if (std::abs(qRed(P) - Colour.red()) > Tolerance ||
          std::abs(qGreen(P) - Colour.green()) > Tolerance ||
          std::abs(qBlue(P) - Colour.blue()) > Tolerance)
        QFAIL(qPrintable(QString("(%1,%2) is %3,%4,%5")
                             .arg(X).arg(Y).arg(qRed(P)).arg(qGreen(P)).arg(qBlue(P))));
    }
}

void TestJpegWriter::pixelFormats_data() {
  QTest::addColumn<int>("Format");
  QTest::addRow("RGB888") << int(QImage::Format_RGB888);
  QTest::addRow("BGR888") << int(QImage::Format_BGR888);
  QTest::addRow("ARGB32") << int(QImage::Format_ARGB32);
  QTest::addRow("RGBX8888") << int(QImage::Format_RGBX8888);
  QTest::addRow("RGB16") << int(QImage::Format_RGB16);
}

// Whatever the capture's pixel format, the file holds the colours it shows: the encoding
// equals that of the same pixels held as RGB32.
void TestJpegWriter::pixelFormats() {
  QFETCH(int, Format);
  const QImage Capture = SmoothImage(120, 70).convertToFormat(QImage::Format(Format));
  QCOMPARE(EncodeJpeg(Capture, 80),
           EncodeJpeg(Capture.convertToFormat(QImage::Format_RGB32), 80));
}

// The file is what libjpeg writes with the floating-point DCT; the integer DCT gives other
// bytes for this picture.
void TestJpegWriter::floatingPointDct() {
  const QImage Input = SmoothImage(480, 272);
  const QByteArray Rgb = RgbRowsOf(Input);
  const QByteArray Float = ReferenceEncoding(Rgb, 480, 272, 90, JDCT_FLOAT);
  const QByteArray Integer = ReferenceEncoding(Rgb, 480, 272, 90, JDCT_ISLOW);
  QVERIFY(!Float.isEmpty());
  QVERIFY(Float != Integer);
  QCOMPARE(EncodeJpeg(Input, 90), Float);
}

void TestJpegWriter::libraryErrors_data() {
  QTest::addColumn<QImage>("Capture");
  QTest::addColumn<int>("Code");
  QTest::addRow("empty capture") << QImage() << int(JERR_EMPTY_IMAGE);
  QTest::addRow("zero height") << QImage(10, 0, QImage::Format_RGB32) << int(JERR_EMPTY_IMAGE);
  QImage Wide(JPEG_MAX_DIMENSION + 1, 1, QImage::Format_RGB32);
  Wide.fill(Qt::white);
  QTest::addRow("wider than JPEG allows") << Wide << int(JERR_IMAGE_TOO_BIG);
}

void TestJpegWriter::libraryErrors() {
  QFETCH(QImage, Capture);
  QFETCH(int, Code);
  try {
    EncodeJpeg(Capture, 100);
    QFAIL("no error");
  } catch (const std::runtime_error &E) {
    QCOMPARE(QString(E.what()), QString("JPEG error #%1").arg(Code));
  }
  // The encoder is usable again afterwards: nothing of the failed run is left behind.
  QVERIFY(!Decode(EncodeJpeg(SmoothImage(8, 8), 100)).isNull());
}

QTEST_MAIN(TestJpegWriter)
#include "tst_jpegwriter.moc"
