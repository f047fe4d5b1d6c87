// Hostile sizes: pictures (BMP, PNG, GIF, JPEG, WebP, JPEG XL) that declare more pixels than
// any decoder builds are refused at load, before anything of their size is allocated; a JPEG
// of thousands of scans is stopped; libjpeg's working memory is capped.
//
// "Before anything is allocated" is checked by running the whole test with large allocations
// failing: the address space is limited to what the process holds plus MemoryHeadroom (or,
// under AddressSanitizer, which needs terabytes of address space for itself, single
// allocations above MemoryHeadroom fail). A decoder that allocated first would then fail
// with "Out of memory" or another message instead of the size message.
#include "picture/kinds/bitmap.h"
#include "picture/kinds/gifimage.h"
#include "picture/kinds/jpegimage.h"
#include "picture/kinds/jxlimage.h"
#include "picture/kinds/webpimage.h"
#include "picture/codecs/pngchunks.h"
#include "picture/kinds/pngimage.h"

#include "giffixture.h"
#include "pngfixture.h"

#include <QFile>
#include <QTest>

#include <jpeglib.h>
#include <jerror.h>

#include <sys/resource.h>

#include <functional>
#include <memory>

#if defined(__SANITIZE_ADDRESS__)
#define ZELVANE_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZELVANE_UNDER_ASAN 1
#endif
#endif

namespace {

constexpr qint64 MemoryHeadroom = qint64(256) << 20;

} // namespace

#ifdef ZELVANE_UNDER_ASAN
extern "C" const char *__asan_default_options() {
  return "allocator_may_return_null=1:max_allocation_size_mb=256";
}
#endif

namespace {

// The message of what Step throws; empty when it throws nothing.
QString Thrown(const std::function<void()> &Step) {
  try {
    Step();
  } catch (const std::exception &Error) {
    return QString::fromUtf8(Error.what());
  }
  return {};
}

QString TooLarge(qint64 Width, qint64 Height) {
  return QStringLiteral("Picture too large (%1 x %2 pixels)").arg(Width).arg(Height);
}

// --- JPEG files built marker by marker -------------------------------------------------

QByteArray Be16(int V) {
  QByteArray B;
  return B.append(char((V >> 8) & 0xFF)).append(char(V & 0xFF));
}

QByteArray Marker(int Code) { return QByteArray(1, char(0xFF)) + char(Code); }

// FF xx | length (2 bytes, counting itself) | body
QByteArray Segment(int Code, const QByteArray &Body) {
  return Marker(Code) + Be16(int(Body.size()) + 2) + Body;
}

// Quantisation table 0, every step 1.
QByteArray Dqt() { return Segment(0xDB, QByteArray(1, '\0') + QByteArray(64, '\1')); }

// Frame header: 8-bit samples, Components components (ids 1..), each sampled 1 x 1 with
// table 0. 0xC0 baseline, 0xC2 progressive.
QByteArray Sof(int Code, int Width, int Height, int Components) {
  QByteArray Body = QByteArray(1, char(8)) + Be16(Height) + Be16(Width) + char(Components);
  for (int C = 1; C <= Components; ++C)
    Body.append(char(C)).append(char(0x11)).append(char(0));
  return Segment(Code, Body);
}

// A Huffman table (Class 0 DC, 1 AC) holding a single one-bit code, "0", for Symbol.
QByteArray DhtOneCode(int Class, int Symbol) {
  QByteArray Body(1, char(Class << 4));
  Body.append(char(1)).append(QByteArray(15, '\0')).append(char(Symbol));
  return Segment(0xC4, Body);
}

// A scan of component 1 (tables 0) over coefficients Ss..Se, followed by one byte of
// entropy-coded data: the code "0" padded with ones.
QByteArray ScanOfComponent1(int Ss, int Se) {
  QByteArray Body(1, char(1));
  Body.append(char(1)).append(char(0x00)).append(char(Ss)).append(char(Se)).append(char(0));
  return Segment(0xDA, Body) + char(0x7F);
}

// A baseline header declaring Width x Height, then a scan header and a little data: enough
// for libjpeg to read the header, no more.
QByteArray JpegDeclaring(int Width, int Height, int Code = 0xC0, int Components = 3) {
  QByteArray Sos(1, char(Components));
  for (int C = 1; C <= Components; ++C)
    Sos.append(char(C)).append(char(0x00));
  Sos.append(char(0)).append(char(Code == 0xC2 ? 0 : 63)).append(char(0));
  return Marker(0xD8) + Dqt() + Sof(Code, Width, Height, Components) + DhtOneCode(0, 0) +
         DhtOneCode(1, 0) + Segment(0xDA, Sos) + QByteArray(16, char(0x7F)) + Marker(0xD9);
}

// An 8 x 8 greyscale progressive file: a DC scan (every coefficient 0), then AcScans scans
// of all AC coefficients, each a single end-of-band. Every scan is valid and tiny; libjpeg
// makes a pass over the coefficient buffer for each.
QByteArray JpegOfScans(int AcScans) {
  QByteArray Bytes = Marker(0xD8) + Dqt() + Sof(0xC2, 8, 8, 1) + DhtOneCode(0, 0) +
                     DhtOneCode(1, 0) + ScanOfComponent1(0, 0);
  const QByteArray AcScan = ScanOfComponent1(1, 63);
  for (int I = 0; I < AcScans; ++I)
    Bytes += AcScan;
  return Bytes + Marker(0xD9);
}

// --- BMP, PNG and GIF headers --------------------------------------------------------------

QByteArray Le16(int V) { return GifFixture::Le16(V); }

QByteArray Le32(qint64 V) {
  return Le16(int(V & 0xFFFF)) + Le16(int((quint32(V) >> 16) & 0xFFFF));
}

// File header, a BITMAPINFOHEADER declaring Width x Height at 24 bits, and 64 bytes of pixels.
QByteArray BmpDeclaring(qint64 Width, qint64 Height) {
  QByteArray Info = Le32(40) + Le32(Width) + Le32(Height) + Le16(1) + Le16(24) + Le32(0) +
                    Le32(0) + Le32(2835) + Le32(2835) + Le32(0) + Le32(0);
  const QByteArray Pixels(64, '\x55');
  return "BM" + Le32(14 + Info.size() + Pixels.size()) + Le32(0) + Le32(14 + Info.size()) +
         Info + Pixels;
}

// The same with the 12-byte core header, whose sides are 16 bits.
QByteArray BmpCoreDeclaring(int Width, int Height) {
  const QByteArray Info = Le32(12) + Le16(Width) + Le16(Height) + Le16(1) + Le16(24);
  const QByteArray Pixels(64, '\x55');
  return "BM" + Le32(14 + Info.size() + Pixels.size()) + Le32(0) + Le32(14 + Info.size()) +
         Info + Pixels;
}

// A structurally whole PNG (every chunk and CRC right) declaring Width x Height at 8-bit
// RGB; its image data is one row of four grey pixels, which only matters once decoding
// starts.
QByteArray PngDeclaring(quint32 Width, quint32 Height) {
  using namespace PngFixture;
  return Png(Ihdr(Width, Height, 8, 2), {QByteArray(3 * 4, '\x40')});
}

// A whole GIF whose logical screen is Width x Height, with a 2 x 2 frame.
QByteArray GifDeclaring(int Width, int Height) {
  using namespace GifFixture;
  const QList<QRgb> Palette{qRgb(0, 0, 0), qRgb(255, 255, 255)};
  return Header(Width, Height, Palette) + Frame(0, 0, 2, 2, {0, 1, 1, 0}) + Trailer();
}

// --- WebP and JPEG XL headers -----------------------------------------------------------

QByteArray Le(quint32 Value, int Bytes) {
  QByteArray B;
  for (int I = 0; I < Bytes; ++I)
    B.append(char((Value >> (8 * I)) & 0xFF));
  return B;
}

// An animated WebP whose canvas (VP8X) is Width x Height, followed by its ANIM chunk.
QByteArray WebpDeclaring(int Width, int Height) {
  const QByteArray Canvas = QByteArray(1, char(0x02)) + QByteArray(3, '\0') +
                            Le(quint32(Width - 1), 3) + Le(quint32(Height - 1), 3);
  const QByteArray Chunks = "VP8X" + Le(quint32(Canvas.size()), 4) + Canvas + "ANIM" +
                            Le(6, 4) + QByteArray(6, '\0');
  return "RIFF" + Le(quint32(4 + Chunks.size()), 4) + "WEBP" + Chunks;
}

// A bare JPEG XL codestream: its signature, a size header with 30-bit sides, and default
// image metadata; written bit by bit, least significant first.
QByteArray JxlDeclaring(quint32 Width, quint32 Height) {
  QByteArray Bytes;
  int Count = 0;
  auto Put = [&](quint64 Value, int Bits) {
    for (int I = 0; I < Bits; ++I, ++Count) {
      if (Count % 8 == 0)
        Bytes.append('\0');
      if ((Value >> I) & 1)
        Bytes[Count / 8] = char(Bytes[Count / 8] | (1 << (Count % 8)));
    }
  };
  Put(0xFF, 8), Put(0x0A, 8); // signature
  Put(0, 1);                  // not a small size
  Put(3, 2), Put(Height - 1, 30);
  Put(0, 3); // no ratio: the width follows
  Put(3, 2), Put(Width - 1, 30);
  Put(1, 1); // image metadata: all default
  return Bytes + QByteArray(32, '\0');
}

std::unique_ptr<TPicture> MakeKind(const QString &Kind) {
  if (Kind == "webp")
    return std::make_unique<TWebPImage>();
  if (Kind == "jxl")
    return std::make_unique<TJPEGXLImage>();
  if (Kind == "bmp")
    return std::make_unique<TBitmap>();
  if (Kind == "png")
    return std::make_unique<TPngImage>();
  if (Kind == "gif")
    return std::make_unique<TGIFImage>();
  return std::make_unique<TJPEGImage>();
}

} // namespace

class TLimitsTest : public QObject {
  Q_OBJECT
private slots:
  void initTestCase();
  void cleanupTestCase();
  void LargeAllocationsFail();
  void DeclaredSizeRefusedAtLoad_data();
  void DeclaredSizeRefusedAtLoad();
  void SoundFixturesLoad();
  void ScanBombStopped_data();
  void ScanBombStopped();
  void JpegWorkingMemoryCapped();

private:
  rlimit FOldLimit{};
};

void TLimitsTest::initTestCase() {
#ifndef ZELVANE_UNDER_ASAN
  // Address space in use now (first field of statm, in pages), plus the headroom.
  QFile Statm("/proc/self/statm");
  QVERIFY(Statm.open(QIODevice::ReadOnly));
  const qint64 Pages = Statm.readAll().split(' ').value(0).toLongLong();
  QVERIFY(Pages > 0);
  QCOMPARE(getrlimit(RLIMIT_AS, &FOldLimit), 0);
  rlimit Limit = FOldLimit;
  Limit.rlim_cur = rlim_t(Pages * 4096 + MemoryHeadroom);
  QCOMPARE(setrlimit(RLIMIT_AS, &Limit), 0);
#endif
}

void TLimitsTest::cleanupTestCase() {
#ifndef ZELVANE_UNDER_ASAN
  setrlimit(RLIMIT_AS, &FOldLimit);
#endif
}

// The premise of the tests below: an allocation of a picture's size fails here, so a
// decoder that made one would fail them.
void TLimitsTest::LargeAllocationsFail() {
  QImage Large(16384, 16384, QImage::Format_RGB32);
  QVERIFY(Large.isNull());
  QImage Small(1000, 1000, QImage::Format_RGB32);
  QVERIFY(!Small.isNull());
}

void TLimitsTest::DeclaredSizeRefusedAtLoad_data() {
  QTest::addColumn<QString>("Kind");
  QTest::addColumn<QByteArray>("Bytes");
  QTest::addColumn<QString>("Message");

  QTest::addRow("bmp 70000x10") << "bmp" << BmpDeclaring(70000, 10) << TooLarge(70000, 10);
  QTest::addRow("bmp 40000x40000")
      << "bmp" << BmpDeclaring(40000, 40000) << TooLarge(40000, 40000);
  QTest::addRow("bmp top-down 40000x40000")
      << "bmp" << BmpDeclaring(40000, -40000) << TooLarge(40000, 40000);
  QTest::addRow("bmp core 65535x65535")
      << "bmp" << BmpCoreDeclaring(65535, 65535) << TooLarge(65535, 65535);

  // A PNG side beyond 65535 has the PNG decoder's own message.
  QTest::addRow("png 70000x10")
      << "png" << PngDeclaring(70000, 10) << QString(PngMessage::SizeExceeded);
  QTest::addRow("png 40000x40000")
      << "png" << PngDeclaring(40000, 40000) << TooLarge(40000, 40000);
  QTest::addRow("png 65535x4097") << "png" << PngDeclaring(65535, 4097) << TooLarge(65535, 4097);

  // GIF and JPEG sides are 16 bits: 65535 is the most they can declare.
  QTest::addRow("gif 40000x40000")
      << "gif" << GifDeclaring(40000, 40000) << TooLarge(40000, 40000);
  QTest::addRow("gif 65535x4097") << "gif" << GifDeclaring(65535, 4097) << TooLarge(65535, 4097);

  QTest::addRow("jpeg 40000x40000")
      << "jpeg" << JpegDeclaring(40000, 40000) << TooLarge(40000, 40000);
  QTest::addRow("jpeg 65000x5000")
      << "jpeg" << JpegDeclaring(65000, 5000) << TooLarge(65000, 5000);
  // Beyond libjpeg's own limit of 65500: libjpeg refuses it, with the same message.
  QTest::addRow("jpeg 65535x10") << "jpeg" << JpegDeclaring(65535, 10) << TooLarge(65535, 10);
  QTest::addRow("progressive jpeg 40000x40000")
      << "jpeg" << JpegDeclaring(40000, 40000, 0xC2) << TooLarge(40000, 40000);

  // A still WebP holds at most 16384 x 16384 pixels, within the limit; an animation's
  // canvas may declare 2^24 a side.
  QTest::addRow("webp animation 40000x40000")
      << "webp" << WebpDeclaring(40000, 40000) << TooLarge(40000, 40000);
  QTest::addRow("jxl 40000x40000") << "jxl" << JxlDeclaring(40000, 40000) << TooLarge(40000, 40000);
  QTest::addRow("jxl 100000x10") << "jxl" << JxlDeclaring(100000, 10) << TooLarge(100000, 10);
}

void TLimitsTest::DeclaredSizeRefusedAtLoad() {
  QFETCH(QString, Kind);
  QFETCH(QByteArray, Bytes);
  QFETCH(QString, Message);
  std::unique_ptr<TPicture> Picture = MakeKind(Kind);
  QCOMPARE(Thrown([&] { Picture->LoadFromBytes(Bytes); }), Message);
  // Nothing was taken on: the picture is still empty.
  QCOMPARE(Picture->Width(), 0);
  QCOMPARE(Picture->Height(), 0);
}

// The fixtures above are sound apart from their size: the same files declaring a small
// picture load (a JPEG's pixels are decoded later, so only its header is read here; this
// one is just within the limit).
void TLimitsTest::SoundFixturesLoad() {
  TBitmap Bitmap;
  Bitmap.LoadFromBytes(BmpDeclaring(4, 4));
  QCOMPARE(Bitmap.Width(), 4);
  TGIFImage Gif;
  Gif.LoadFromBytes(GifDeclaring(300, 200));
  QCOMPARE(Gif.Width(), 300);
  TJPEGImage Jpeg;
  Jpeg.LoadFromBytes(JpegDeclaring(65500, 4096));
  QCOMPARE(Jpeg.Width(), 65500);
  QCOMPARE(Jpeg.Height(), 4096);
  TPngImage Png;
  Png.LoadFromBytes(PngDeclaring(4, 1));
  QCOMPARE(Png.Image().pixel(3, 0), qRgb(0x40, 0x40, 0x40));
}

void TLimitsTest::ScanBombStopped_data() {
  QTest::addColumn<int>("AcScans");
  QTest::addColumn<bool>("Stopped");
  QTest::addRow("ten scans") << 9 << false;
  QTest::addRow("exactly the limit") << MaxJpegScans - 1 << false;
  QTest::addRow("one beyond the limit") << MaxJpegScans << true;
  QTest::addRow("twenty thousand scans") << 20000 << true;
}

void TLimitsTest::ScanBombStopped() {
  QFETCH(int, AcScans);
  QFETCH(bool, Stopped);
  TJPEGImage Picture;
  Picture.LoadFromBytes(JpegOfScans(AcScans));
  QCOMPARE(Picture.Width(), 8);
  QVERIFY(Picture.Header().Progressive);
  QImage Bitmap;
  const QString Message = Thrown([&] { Bitmap = Picture.ToBitmapImage(); });
  if (Stopped) {
    QCOMPARE(Message, QStringLiteral("JPEG picture has too many scans (more than %1)")
                          .arg(MaxJpegScans));
    return;
  }
  QCOMPARE(Message, QString());
  // Every coefficient is 0: each sample is the level shift, 128.
  QCOMPARE(Bitmap.size(), QSize(8, 8));
  for (int Y = 0; Y < 8; ++Y)
    for (int X = 0; X < 8; ++X)
      QVERIFY2(qAbs(qGray(Bitmap.pixel(X, Y)) - 128) <= 1, qPrintable(QString::number(X)));
}

// A progressive 15000 x 15000 colour picture fits in 1 GiB of pixels, but its coefficient
// buffer (3 components x 2 bytes a sample, 1.35 GB) does not fit libjpeg's cap: libjpeg
// refuses it before anything is allocated, and before the pixels are.
void TLimitsTest::JpegWorkingMemoryCapped() {
  TJPEGImage Picture;
  Picture.LoadFromBytes(JpegDeclaring(15000, 15000, 0xC2));
  QCOMPARE(Picture.Width(), 15000);
  QCOMPARE(Thrown([&] { Picture.ToBitmapImage(); }),
           QStringLiteral("JPEG error #%1").arg(int(JERR_NO_BACKING_STORE)));
}

QTEST_GUILESS_MAIN(TLimitsTest)
#include "tst_limits.moc"
