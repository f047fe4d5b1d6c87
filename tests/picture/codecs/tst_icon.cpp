// The icon kind: the public ICO samples against expected decodes, which image is shown,
// drawing through the mask, damaged and hostile files.
#include "../picturetesting.h"
#include "bmpreference.h"
#include "dibfixture.h"
#include "picture/kinds/icon.h"
#include "memorylimit.h"
#include "pngfixture.h"

#include <QImageReader>
#include <QPainter>
#include <QTest>

using namespace DibFixture;

// One image of a test icon file and what its directory entry says of it.
struct TEntry {
  QByteArray Data;
  int DirectoryWidth = 0; // as the directory's byte: 0 means 256
  int DirectoryHeight = 0;
  int DirectoryBits = 0;
  QSize Size; // the image's own size
};
Q_DECLARE_METATYPE(TEntry)

namespace {

const QString Invalid = QStringLiteral("Icon image is not valid");
const QRgb Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0), Blue = qRgb(0, 0, 255);
const QRgb White = qRgb(255, 255, 255), Black = qRgb(0, 0, 0);
// What lies beneath the icon in the drawing tests.
const QRgb Beneath = qRgb(0x40, 0x80, 0xC0);

QString Samples(const QString &Name) { return QStringLiteral(ZELVANE_TESTDATA "/ico/") + Name; }

// The icon drawn into Size over a canvas of Under.
QImage Drawn(TPicture &Picture, QSize Size, QRgb Under = Beneath) {
  QImage Canvas(Size, QImage::Format_RGB32);
  Canvas.fill(Under);
  QPainter Painter(&Canvas);
  Picture.Draw(Painter, QRect(QPoint(0, 0), Size), QRect(QPoint(0, 0), Size));
  return Canvas;
}

// One straight-alpha pixel over Beneath, worked out here; within 2 of what any blending
// rounds to.
QRgb Over(QRgb Pixel) {
  const int A = qAlpha(Pixel);
  auto Mix = [A](int Top, int Bottom) { return (Top * A + Bottom * (255 - A) + 127) / 255; };
  return qRgb(Mix(qRed(Pixel), qRed(Beneath)), Mix(qGreen(Pixel), qGreen(Beneath)),
              Mix(qBlue(Pixel), qBlue(Beneath)));
}

bool Near(QRgb A, QRgb B, int Tolerance) {
  return std::abs(qRed(A) - qRed(B)) <= Tolerance && std::abs(qGreen(A) - qGreen(B)) <= Tolerance &&
         std::abs(qBlue(A) - qBlue(B)) <= Tolerance;
}

// How exactly an expected decode gives partial alpha: straight as in the file, or through
// premultiplied values (Qt's reader), which lose colour where alpha is small.
enum class TAlphaPrecision { Exact, Premultiplied };

// Compares an icon's pixels and its drawing with an expected straight-alpha decode: alpha
// exactly, colour wherever the pixel is not fully transparent. Drawn, opaque pixels replace
// what lies beneath, partial ones blend with it, and transparent ones leave it, or invert
// it by the colour they show over black.
QString Difference(TIcon &Icon, const QImage &Expected, TAlphaPrecision Precision) {
  const QImage Actual = Icon.Image().convertToFormat(QImage::Format_ARGB32);
  if (Actual.size() != Expected.size())
    return QStringLiteral("size %1x%2").arg(Actual.width()).arg(Actual.height());
  const QImage Shown = Drawn(Icon, Actual.size());
  const QImage OverBlack = Drawn(Icon, Actual.size(), Black);
  for (int Y = 0; Y < Actual.height(); ++Y)
    for (int X = 0; X < Actual.width(); ++X) {
      const QRgb A = Actual.pixel(X, Y), E = Expected.pixel(X, Y);
      const int Alpha = qAlpha(E);
      const auto Where = QStringLiteral(" at %1,%2: %3, expected %4").arg(X).arg(Y);
      const bool Partial = Alpha != 0 && Alpha != 255;
      const bool SameColour = Alpha == 0 || (Partial && Precision == TAlphaPrecision::Premultiplied
                                                 ? Near(qPremultiply(A), qPremultiply(E), 1)
                                                 : (A & 0xFFFFFF) == (E & 0xFFFFFF));
      if (qAlpha(A) != Alpha || !SameColour)
        return "pixel" + Where.arg(A, 8, 16).arg(E, 8, 16);
      const QRgb Wanted = Alpha == 0 ? (Beneath ^ (OverBlack.pixel(X, Y) & 0xFFFFFF)) : Over(E);
      if (!Near(Shown.pixel(X, Y), Wanted, Partial ? 2 : 0))
        return "drawn" + Where.arg(Shown.pixel(X, Y), 8, 16).arg(Wanted, 8, 16);
    }
  return {};
}

QByteArray IconFile(const QList<TEntry> &Entries, quint16 Type = 1) {
  QByteArray Out;
  Put16(Out, 0);
  Put16(Out, Type);
  Put16(Out, quint32(Entries.size()));
  qint64 Offset = 6 + 16 * Entries.size();
  for (const TEntry &E : Entries) {
    Out.append(char(E.DirectoryWidth)).append(char(E.DirectoryHeight)).append('\0').append('\0');
    Put16(Out, 1);
    Put16(Out, quint32(E.DirectoryBits));
    Put32(Out, quint32(E.Data.size()));
    Put32(Out, quint32(Offset));
    Offset += E.Data.size();
  }
  for (const TEntry &E : Entries)
    Out += E.Data;
  return Out;
}

// A DIB entry: header (height doubled), colour table, colour rows, mask rows.
QByteArray DibEntry(int Width, int Height, int Bits, const QList<QRgb> &Table,
                    const QList<QList<quint32>> &Pixels, const QList<QList<quint32>> &Mask) {
  TInfoHeader H;
  H.Width = Width, H.Height = 2 * Height, H.BitCount = quint16(Bits);
  H.ColoursUsed = quint32(Table.size());
  return InfoHeader(H) + ColourTable(Table) + Rows(Pixels, Bits) + Rows(Mask, 1);
}

QList<QList<quint32>> Filled(int Width, int Height, quint32 Value) {
  return QList<QList<quint32>>(Height, QList<quint32>(Width, Value));
}

// One colour all over, opaque, at Bits a pixel.
TEntry Solid(int Width, int Height, int Bits, QRgb Colour) {
  TEntry E{{}, Width & 0xFF, Height & 0xFF, Bits, QSize(Width, Height)};
  const QList<QList<quint32>> Clear = Filled(Width, Height, 0);
  if (Bits <= 8)
    E.Data = DibEntry(Width, Height, Bits, {Colour}, Clear, Clear);
  else if (Bits == 24)
    E.Data = DibEntry(Width, Height, 24, {}, Filled(Width, Height, Colour & 0xFFFFFF), Clear);
  else
    E.Data = DibEntry(Width, Height, 32, {}, Filled(Width, Height, Colour | 0xFF000000), Clear);
  return E;
}

TEntry SolidPng(int Width, int Height, QRgb Colour) {
  using namespace PngFixture;
  const QByteArray Pixel = Bytes({qRed(Colour), qGreen(Colour), qBlue(Colour), 255});
  return {Png(Ihdr(quint32(Width), quint32(Height), 8, 6),
              QList<QByteArray>(Height, Pixel.repeated(Width))),
          Width & 0xFF, Height & 0xFF, 32, QSize(Width, Height)};
}

const QList<QRgb> Colours = {Red, Green, Blue, qRgb(1, 2, 3), qRgb(9, 8, 7)};

} // namespace

class TestIcon : public QObject {
  Q_OBJECT
private slots:
  void samples_data();
  void samples();
  void badSamples_data();
  void badSamples();
  void choice_data();
  void choice();
  void drawnThroughMask_data();
  void drawnThroughMask();
  void alphaAndMask_data();
  void alphaAndMask();
  void damaged_data();
  void damaged();
  void hostile_data();
  void hostile();
  void noBitmapOfItsOwn();
  void failedLoadKeepsImage();
};

void TestIcon::samples_data() {
  QTest::addColumn<QString>("Name");
  QTest::addColumn<QSize>("Size");
  QTest::addColumn<QString>("Expected");
  // Expected: "png" for the sample's reference decode (only where its largest-first rule
  // picks the same image as ours), "qt:N" for Qt's reader on image N, "same:FILE" for our
  // own decode of another sample holding the same image, "bmp:FILE" for the colours of a
  // suite bitmap holding the same image (its mask holds what it holds).
  auto Good = [](const char *File) { return QStringLiteral("image-rs/good/") + File; };
  QTest::addRow("smile") << Good("smile.ico") << QSize(32, 32) << "png";
  QTest::addRow("24 bits with mask") << Good("bmp-24bpp-mask.ico") << QSize(32, 32) << "png";
  QTest::addRow("32 bits with alpha") << Good("bmp-32bpp-alpha.ico") << QSize(32, 32) << "png";
  QTest::addRow("PNG with alpha") << Good("png-32bpp-alpha.ico") << QSize(32, 32) << "png";
  QTest::addRow("PNG grey") << Good("png_l8.ico") << QSize(32, 32) << "png";
  QTest::addRow("PNG RGB") << Good("png_rgb8.ico") << QSize(32, 32) << "png";
  QTest::addRow("PNG, directory says 500 bits")
      << Good("lenient-bpp.ico") << QSize(256, 256) << "png";
  QTest::addRow("two equal entries") << Good("two-entry-order-test.ico") << QSize(48, 48) << "png";
  QTest::addRow("alpha against the mask")
      << Good("bmp-32bpp-conflicting-and-mask.ico") << QSize(16, 16) << "qt:0";
  QTest::addRow("V5 header with profile")
      << Good("bmp_v5_with_icc.ico") << QSize(127, 64) << "bmp:g/rgb24.bmp";
  QTest::addRow("mask cut short, alpha")
      << Good("truncated_mask_32bpp.ico") << QSize(64, 64) << "qt:0";
  QTest::addRow("nine entries: 32 x 32, 32 bits")
      << Good("multiple_entries_with_different_bit_depth.ico") << QSize(32, 32) << "qt:6";
  QTest::addRow("1 bit") << "pillow/black_and_white.ico" << QSize(16, 16) << "qt:0";
  QTest::addRow("8 bits") << "pillow/hopper.ico" << QSize(16, 16) << "qt:0";
  QTest::addRow("1 bit with mask") << "pillow/hopper_mask.ico" << QSize(16, 16) << "qt:0";
  QTest::addRow("256 x 256 DIB") << "pillow/hopper_256x256.ico" << QSize(256, 256) << "qt:0";
  QTest::addRow("five sizes: 32 x 32") << "pillow/pillow.ico" << QSize(32, 32) << "qt:2";
  QTest::addRow("directory size wrong")
      << "pillow/hopper_unexpected.ico" << QSize(16, 16) << "same:pillow/hopper.ico";
}

// Each good sample loads at the size of the image it shows and shows its pixels.
void TestIcon::samples() {
  QFETCH(QString, Name);
  QFETCH(QSize, Size);
  QFETCH(QString, Expected);
  TIcon Icon;
  QCOMPARE(LoadError(Icon, ReadBytes(Samples(Name))), QString());
  QCOMPARE(QSize(Icon.Width(), Icon.Height()), Size);
  QImage Reference;
  if (Expected == "png") {
    const QString File = Samples("image-rs/reference/" + QFileInfo(Name).fileName() + ".png");
    Reference = QImageReader(File, "png").read();
  } else if (Expected.startsWith("qt:")) {
    QImageReader Reader(Samples(Name), "ico");
    QVERIFY(Reader.jumpToImage(Expected.mid(3).toInt()));
    Reference = Reader.read();
  } else if (Expected.startsWith("bmp:")) {
    // Qt's reader misplaces this one's rows. The mask after the colours is partly the
    // colour profile's bytes, so only the opaque pixels' colours are known.
    Reference = BmpReference::Decode(ReadBytes(ZELVANE_TESTDATA "/bmpsuite/" + Expected.mid(4)))
                    .convertToFormat(QImage::Format_ARGB32);
    const QImage &Own = Icon.Image();
    for (int Y = 0; Y < Reference.height() && Own.size() == Reference.size(); ++Y)
      for (int X = 0; X < Reference.width(); ++X)
        Reference.setPixel(X, Y,
                           (Reference.pixel(X, Y) & 0xFFFFFF) | (Own.pixel(X, Y) & 0xFF000000));
  } else {
    TIcon Same;
    Same.LoadFromBytes(ReadBytes(Samples(Expected.mid(5))));
    Reference = Same.Image();
  }
  QVERIFY(!Reference.isNull());
  const TAlphaPrecision Precision =
      Expected.startsWith("qt:") ? TAlphaPrecision::Premultiplied : TAlphaPrecision::Exact;
  QCOMPARE(Difference(Icon, Reference.convertToFormat(QImage::Format_ARGB32), Precision),
           QString());
}

void TestIcon::badSamples_data() {
  QTest::addColumn<QString>("Name");
  QTest::addColumn<QString>("Message");
  QTest::addRow("entry too short for its pixels")
      << "image-rs/bad/Bad_smile-incorrect-image-length.ico" << Invalid;
  QTest::addRow("entry size 0xFFFFFFF9, RLE")
      << "image-rs/bad/crash-981fee302fe0fc543ee48292cc3d6ace7e97e633.ico" << Invalid;
  QTest::addRow("PNG claiming 469762080 x 32")
      << "image-rs/bad/oom-0d0085eb7f66ea55d9119206235cd29e089b9140.ico"
      << "Picture too large (469762080 x 32 pixels)";
  QTest::addRow("PNG cut short claiming 788529184 x 32")
      << "image-rs/bad/oom-ff076e7064c13ec1f8e2c5bbbfb7a77a08db2361.ico"
      << "Picture too large (788529184 x 32 pixels)";
  QTest::addRow("DIB claiming 65535 x 65535") << "pillow/decompression_bomb.ico"
                                              << "Picture too large (65535 x 32767 pixels)";
}

// Bad samples fail with their message, before anything large is allocated.
void TestIcon::badSamples() {
  QFETCH(QString, Name);
  QFETCH(QString, Message);
  const QByteArray Data = ReadBytes(Samples(Name));
  QVERIFY(!Data.isEmpty());
  TIcon Icon;
  TAddressSpaceLimit Limit(256 << 20);
  QCOMPARE(LoadError(Icon, Data), Message);
}

void TestIcon::choice_data() {
  QTest::addColumn<QList<TEntry>>("Entries");
  QTest::addColumn<int>("Chosen");
  QTest::addRow("nearest to 32 x 32 before most colours")
      << QList<TEntry>{Solid(16, 16, 32, Colours[0]), Solid(32, 32, 4, Colours[1]),
                       Solid(48, 48, 32, Colours[2])}
      << 1;
  QTest::addRow("equally near: most colours")
      << QList<TEntry>{Solid(16, 16, 8, Colours[0]), Solid(48, 48, 32, Colours[1])} << 1;
  QTest::addRow("equally near, equally deep: the first")
      << QList<TEntry>{Solid(48, 48, 8, Colours[0]), Solid(16, 16, 8, Colours[1])} << 0;
  QTest::addRow("most colours among 32 x 32")
      << QList<TEntry>{Solid(32, 32, 4, Colours[0]), Solid(32, 32, 32, Colours[1]),
                       Solid(32, 32, 8, Colours[2])}
      << 1;
  QTest::addRow("24 bits over 8") << QList<TEntry>{Solid(32, 32, 8, Colours[0]),
                                                   Solid(32, 32, 24, Colours[1]),
                                                   Solid(32, 32, 1, Colours[2])}
                                  << 1;
  QTest::addRow("PNG entry by its own depth")
      << QList<TEntry>{Solid(32, 32, 8, Colours[0]), SolidPng(32, 32, Colours[1])} << 1;
  QTest::addRow("256 x 256 PNG is far")
      << QList<TEntry>{SolidPng(256, 256, Colours[0]), Solid(16, 16, 4, Colours[1])} << 1;
  QTest::addRow("sum of the side differences")
      << QList<TEntry>{Solid(24, 40, 8, Colours[0]), Solid(32, 16, 8, Colours[1]),
                       Solid(20, 32, 4, Colours[2])}
      << 2;
  TEntry Lying = Solid(64, 64, 8, Colours[0]);
  Lying.DirectoryWidth = Lying.DirectoryHeight = 32;
  QTest::addRow("image's own size, not the directory's")
      << QList<TEntry>{Lying, Solid(40, 40, 8, Colours[1])} << 1;
  TEntry Boasting = Solid(32, 32, 4, Colours[0]);
  Boasting.DirectoryBits = 32;
  QTest::addRow("image's own depth, not the directory's")
      << QList<TEntry>{Boasting, Solid(32, 32, 8, Colours[1])} << 1;
}

// The icon shown, by its size and colour, is the one the rule picks.
void TestIcon::choice() {
  QFETCH(QList<TEntry>, Entries);
  QFETCH(int, Chosen);
  const QByteArray File = IconFile(Entries);
  QCOMPARE(ChooseIconEntry(ReadIconDirectory(File)), Chosen);
  TIcon Icon;
  QCOMPARE(LoadError(Icon, File), QString());
  QCOMPARE(QSize(Icon.Width(), Icon.Height()), Entries[Chosen].Size);
  const QImage Shown = Drawn(Icon, Entries[Chosen].Size);
  QCOMPARE(Shown.pixel(Shown.width() / 2, Shown.height() / 2), Colours[Chosen]);
}

void TestIcon::drawnThroughMask_data() {
  QTest::addColumn<int>("Bits");
  QTest::addColumn<int>("Scale");
  QTest::addColumn<QList<QList<QRgb>>>("Pixels");
  const QList<QList<QRgb>> Colourful = {{Red, Black, White, Blue}, {Black, Green, Black, Red}};
  const QList<QList<QRgb>> Mono = {{White, Black, White, Black}, {Black, White, Black, White}};
  for (int Scale : {1, 3}) {
    QTest::addRow("1 bit, scale %d", Scale) << 1 << Scale << Mono;
    QTest::addRow("4 bits, scale %d", Scale) << 4 << Scale << Colourful;
    QTest::addRow("24 bits, scale %d", Scale) << 24 << Scale << Colourful;
    QTest::addRow("32 bits without alpha, scale %d", Scale) << 32 << Scale << Colourful;
  }
}

// Where the mask is 0 the colour shows; where it is 1 what lies beneath stays, inverted by
// the colour's bits where the colour is not black (GDI's AND, then XOR).
void TestIcon::drawnThroughMask() {
  QFETCH(int, Bits);
  QFETCH(int, Scale);
  QFETCH(QList<QList<QRgb>>, Pixels);
  const QList<QList<quint32>> Mask = {{0, 1, 1, 0}, {0, 1, 1, 1}};
  QList<QRgb> Table;
  QList<QList<quint32>> Values;
  for (const QList<QRgb> &Row : Pixels) {
    Values.append(QList<quint32>());
    for (QRgb C : Row) {
      if (Bits <= 8 && !Table.contains(C))
        Table.append(C);
      Values.back().append(Bits <= 8 ? quint32(Table.indexOf(C)) : (C & 0xFFFFFF));
    }
  }
  const QByteArray File =
      IconFile({{DibEntry(4, 2, Bits, Table, Values, Mask), 4, 2, Bits, QSize()}});
  TIcon Icon;
  QCOMPARE(LoadError(Icon, File), QString());
  const QImage Shown = Drawn(Icon, QSize(4 * Scale, 2 * Scale));
  for (int Y = 0; Y < 2 * Scale; ++Y)
    for (int X = 0; X < 4 * Scale; ++X) {
      const QRgb Colour = Pixels[Y / Scale][X / Scale];
      const QRgb Expected = Mask[Y / Scale][X / Scale] ? (Beneath ^ (Colour & 0xFFFFFF)) : Colour;
      QVERIFY2(Shown.pixel(X, Y) == Expected, qPrintable(QStringLiteral("%1,%2: %3, expected %4")
                                                             .arg(X)
                                                             .arg(Y)
                                                             .arg(Shown.pixel(X, Y), 8, 16)
                                                             .arg(Expected, 8, 16)));
    }
}

void TestIcon::alphaAndMask_data() {
  QTest::addColumn<QByteArray>("Entry");
  QTest::addColumn<QList<QRgb>>("Expected"); // straight alpha; empty when the load fails
  const QList<QList<quint32>> Mask01 = {{0, 1}};
  QTest::addRow("32 bits, alpha all 0: the mask decides")
      << DibEntry(2, 1, 32, {}, {{0x00FF0000, 0x00000000}}, Mask01)
      << QList<QRgb>{0xFFFF0000, 0x00000000};
  QTest::addRow("32 bits with alpha: the mask is ignored")
      << DibEntry(2, 1, 32, {}, {{0xFFFF0000, 0x800000FF}}, {{1, 1}})
      << QList<QRgb>{0xFFFF0000, 0x800000FF};
  QTest::addRow("32 bits with alpha: no mask needed")
      << DibEntry(2, 1, 32, {}, {{0xFFFF0000, 0x400000FF}}, {}).left(40 + 8)
      << QList<QRgb>{0xFFFF0000, 0x400000FF};
  QTest::addRow("32 bits, alpha all 0, mask missing")
      << DibEntry(2, 1, 32, {}, {{0x00FF0000, 0x000000FF}}, {}).left(40 + 8) << QList<QRgb>{};
  QTest::addRow("24 bits, mask missing")
      << DibEntry(2, 1, 24, {}, {{0xFF0000, 0xFF}}, {}).left(40 + 8) << QList<QRgb>{};
  QTest::addRow("8 bits, mask cut short")
      << DibEntry(2, 2, 8, {Red}, Filled(2, 2, 0), Filled(2, 2, 0)).chopped(1) << QList<QRgb>{};
}

void TestIcon::alphaAndMask() {
  QFETCH(QByteArray, Entry);
  QFETCH(QList<QRgb>, Expected);
  TIcon Icon;
  const QString Error = LoadError(Icon, IconFile({{Entry, 2, 1, 32, QSize()}}));
  QCOMPARE(Error, Expected.isEmpty() ? Invalid : QString());
  if (Expected.isEmpty())
    return;
  QImage Image(int(Expected.size()), 1, QImage::Format_ARGB32);
  for (int X = 0; X < Image.width(); ++X)
    Image.setPixel(X, 0, Expected[X]);
  QCOMPARE(Difference(Icon, Image, TAlphaPrecision::Exact), QString());
}

void TestIcon::damaged_data() {
  QTest::addColumn<QByteArray>("File");
  const TEntry Good = Solid(2, 2, 24, Red);
  const QByteArray GoodFile = IconFile({Good});
  QTest::addRow("empty") << QByteArray();
  QTest::addRow("reserved field 1") << QByteArray("\x01") + GoodFile.mid(1);
  QTest::addRow("a cursor") << IconFile({Good}, 2);
  QTest::addRow("no entries") << QByteArray::fromHex("000001000000");
  QTest::addRow("directory cut short") << GoodFile.left(6 + 10);
  QTest::addRow("entry beyond the file") << GoodFile.left(6 + 16);
  QTest::addRow("entry cut in its header") << GoodFile.left(6 + 16 + 20);
  QTest::addRow("entry cut in its pixels") << GoodFile.left(6 + 16 + 40 + 10);
  TInfoHeader H;
  H.Width = 2, H.Height = 4, H.BitCount = 8, H.Compression = 1;
  QTest::addRow("run-length coded entry") << IconFile(
      {{InfoHeader(H) + ColourTable({Red}) + QByteArray::fromHex("02000001"), 2, 2, 8, QSize()}});
  H.Compression = 0, H.Height = -4;
  QTest::addRow("top-down entry") << IconFile(
      {{InfoHeader(H) + ColourTable({Red}) + QByteArray(32, '\0'), 2, 2, 8, QSize()}});
  H.Height = 1;
  QTest::addRow("no rows") << IconFile(
      {{InfoHeader(H) + ColourTable({Red}) + QByteArray(32, '\0'), 2, 2, 8, QSize()}});
  TEntry Png = SolidPng(2, 2, Red);
  Png.Data[Png.Data.size() - 30] = char(Png.Data[Png.Data.size() - 30] ^ 0x55);
  QTest::addRow("PNG entry damaged") << IconFile({Png});
  QTest::addRow("PNG entry cut short") << IconFile({SolidPng(2, 2, Red)}).chopped(20);
  QTest::addRow("PNG entry without its header")
      << IconFile({{QByteArray("\x89PNG\r\n\x1a\n", 8), 2, 2, 32, QSize()}});
}

void TestIcon::damaged() {
  QFETCH(QByteArray, File);
  TIcon Icon;
  QCOMPARE(LoadError(Icon, File), Invalid);
}

void TestIcon::hostile_data() {
  QTest::addColumn<QByteArray>("File");
  QTest::addColumn<QString>("Message");
  using namespace PngFixture;
  QTest::addRow("PNG 70000 wide") << IconFile({{Signature() + Ihdr(70000, 1, 8, 6) + Iend(), 0, 1,
                                                32, QSize()}})
                                  << "Picture too large (70000 x 1 pixels)";
  QTest::addRow("PNG 30000 x 30000")
      << IconFile({{Signature() + Ihdr(30000, 30000, 8, 6) + Iend(), 0, 0, 32, QSize()}})
      << "Picture too large (30000 x 30000 pixels)";
  TInfoHeader H;
  H.Width = 16384, H.Height = 2 * 16385, H.BitCount = 32;
  QTest::addRow("DIB just over 1 GiB") << IconFile({{InfoHeader(H), 0, 0, 32, QSize()}})
                                       << "Picture too large (16384 x 16385 pixels)";
  H.Height = 2 * 16384;
  QTest::addRow("DIB of 1 GiB, rows missing")
      << IconFile({{InfoHeader(H) + QByteArray(64, '\0'), 0, 0, 32, QSize()}}) << Invalid;
}

void TestIcon::hostile() {
  QFETCH(QByteArray, File);
  QFETCH(QString, Message);
  TIcon Icon;
  TAddressSpaceLimit Limit(256 << 20);
  QCOMPARE(LoadError(Icon, File), Message);
}

void TestIcon::noBitmapOfItsOwn() {
  TIcon Icon;
  QCOMPARE(LoadError(Icon, IconFile({Solid(2, 2, 24, Red)})), QString());
  try {
    Icon.ToBitmapImage();
    QFAIL("an icon turned into a bitmap");
  } catch (const std::runtime_error &Error) {
    QCOMPARE(QString::fromUtf8(Error.what()), QStringLiteral("Cannot assign a TIcon to a TBitmap"));
  }
}

void TestIcon::failedLoadKeepsImage() {
  TIcon Icon;
  QCOMPARE(LoadError(Icon, IconFile({Solid(3, 2, 24, Green)})), QString());
  QCOMPARE(LoadError(Icon, IconFile({Solid(5, 5, 24, Red)}).chopped(1)), Invalid);
  QCOMPARE(QSize(Icon.Width(), Icon.Height()), QSize(3, 2));
  QCOMPARE(Drawn(Icon, QSize(3, 2)).pixel(2, 1), Green);
}

QTEST_MAIN(TestIcon)
#include "tst_icon.moc"
