// The bitmap kind: the public BMP suite against an independent reader, small files built
// field by field for each rule, damaged and hostile files.
#include "../picturetesting.h"
#include "picture/kinds/bitmap.h"
#include "bmpreference.h"
#include "dibfixture.h"
#include "memorylimit.h"

#include <QImageReader>
#include <QPainter>
#include <QTest>

using namespace DibFixture;

namespace {

const QString Invalid = QStringLiteral("Bitmap image is not valid");

QString Suite(const QString &Name) { return QStringLiteral(ZELVANE_TESTDATA "/bmpsuite/") + Name; }

// What the bitmap shows: drawn at its own size over a canvas of a colour no suite file has.
QImage Drawn(TPicture &Picture) {
  QImage Canvas(Picture.Width(), Picture.Height(), QImage::Format_RGB32);
  Canvas.fill(qRgb(1, 2, 3));
  QPainter Painter(&Canvas);
  const QRect Dest(0, 0, Picture.Width(), Picture.Height());
  Picture.Draw(Painter, Dest, Dest);
  return Canvas;
}

QImage Decoded(const QString &Name) {
  TBitmap Bitmap;
  Bitmap.LoadFromBytes(ReadBytes(Suite(Name)));
  return Drawn(Bitmap);
}

// Pixels as the tests give them: top row first.
QImage FromRows(const QList<QList<QRgb>> &Rows) {
  QImage Image(int(Rows[0].size()), int(Rows.size()), QImage::Format_RGB32);
  for (int Y = 0; Y < Image.height(); ++Y)
    for (int X = 0; X < Image.width(); ++X)
      Image.setPixel(X, Y, Rows[Y][X]);
  return Image;
}

QByteArray Info(qint32 Width, qint32 Height, quint16 Bits, quint32 Compression = 0,
                quint32 Used = 0) {
  TInfoHeader H;
  H.Width = Width, H.Height = Height, H.BitCount = Bits, H.Compression = Compression;
  H.ColoursUsed = Used;
  return InfoHeader(H);
}

const QRgb Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0), Blue = qRgb(0, 0, 255);
const QRgb White = qRgb(255, 255, 255), Black = qRgb(0, 0, 0);

} // namespace

class TestBmp : public QObject {
  Q_OBJECT
private slots:
  void goodSuite_data();
  void goodSuite();
  void referenceAgreesWithQt_data();
  void referenceAgreesWithQt();
  void sameInEveryLayout_data();
  void sameInEveryLayout();
  void sixteenBitsScaleToFullRange();
  void questionableSuite_data();
  void questionableSuite();
  void badSuite_data();
  void badSuite();
  void builtFiles_data();
  void builtFiles();
  void damagedFiles_data();
  void damagedFiles();
  void hostileSizes_data();
  void hostileSizes();
  void failedLoadKeepsPixels();
};

void TestBmp::goodSuite_data() {
  QTest::addColumn<QString>("Name");
  QTest::addColumn<QSize>("Size");
  const QStringList Names = QDir(Suite("g")).entryList({"*.bmp"}, QDir::Files, QDir::Name);
  QVERIFY(Names.size() == 27);
  for (const QString &Name : Names) {
    // The suite's stated sizes: 127 x 64 but for a few.
    QSize Size(127, 64);
    if (Name == "pal8w124.bmp")
      Size = QSize(124, 61);
    if (Name == "pal8w125.bmp")
      Size = QSize(125, 62);
    if (Name == "pal8w126.bmp")
      Size = QSize(126, 63);
    if (Name == "pal8nonsquare.bmp")
      Size = QSize(127, 32);
    QTest::addRow("%s", qPrintable(Name)) << "g/" + Name << Size;
  }
}

// Each good file loads at its stated size and shows what the independent reader reads.
void TestBmp::goodSuite() {
  QFETCH(QString, Name);
  QFETCH(QSize, Size);
  const QByteArray Data = ReadBytes(Suite(Name));
  TBitmap Bitmap;
  QCOMPARE(LoadError(Bitmap, Data), QString());
  QCOMPARE(QSize(Bitmap.Width(), Bitmap.Height()), Size);
  const QImage Expected = BmpReference::Decode(Data);
  QVERIFY(!Expected.isNull());
  QCOMPARE(FirstDifference(Drawn(Bitmap), Expected), QString());
}

void TestBmp::referenceAgreesWithQt_data() {
  QTest::addColumn<QString>("Name");
  for (const QString &Name : QDir(Suite("g")).entryList({"*.bmp"}, QDir::Files, QDir::Name))
    // Qt widens 5-bit fields by a shift (31 gives 248): those files are checked apart.
    if (!Name.startsWith("rgb16"))
      QTest::addRow("%s", qPrintable(Name)) << "g/" + Name;
}

// Keeps the reference honest: where Qt's reader is right, it reads the same.
void TestBmp::referenceAgreesWithQt() {
  QFETCH(QString, Name);
  const QImage Qt = QImageReader(Suite(Name), "bmp").read().convertToFormat(QImage::Format_RGB32);
  QVERIFY(!Qt.isNull());
  QCOMPARE(FirstDifference(BmpReference::Decode(ReadBytes(Suite(Name))), Qt), QString());
}

void TestBmp::sameInEveryLayout_data() {
  QTest::addColumn<QString>("Name");
  QTest::addColumn<QString>("Same");
  // One picture stored in different ways decodes to the same pixels.
  QTest::addRow("RLE4") << "g/pal4rle.bmp"
                        << "g/pal4.bmp";
  QTest::addRow("RLE8") << "g/pal8rle.bmp"
                        << "g/pal8.bmp";
  QTest::addRow("top-down") << "g/pal8topdown.bmp"
                            << "g/pal8.bmp";
  QTest::addRow("OS/2 1.x") << "g/pal8os2.bmp"
                            << "g/pal8.bmp";
  QTest::addRow("V4 header") << "g/pal8v4.bmp"
                             << "g/pal8.bmp";
  QTest::addRow("V5 header") << "g/pal8v5.bmp"
                             << "g/pal8.bmp";
  QTest::addRow("optional fields 0") << "g/pal8-0.bmp"
                                     << "g/pal8.bmp";
  QTest::addRow("gap before pixels") << "q/pal8offs.bmp"
                                     << "g/pal8.bmp";
  QTest::addRow("OS/2 2.x") << "q/pal8os2v2.bmp"
                            << "g/pal8.bmp";
  QTest::addRow("OS/2 2.x 16-byte") << "q/pal8os2v2-16.bmp"
                                    << "g/pal8.bmp";
  QTest::addRow("300 colours") << "q/pal8oversizepal.bmp"
                               << "g/pal8.bmp";
  QTest::addRow("52-byte header") << "q/rgb32h52.bmp"
                                  << "g/rgb32.bmp";
  QTest::addRow("56-byte header, alpha not kept") << "q/rgba32h56.bmp"
                                                  << "q/rgba32-1.bmp";
  QTest::addRow("alpha bit fields, alpha not kept") << "q/rgba32abf.bmp"
                                                    << "q/rgba32-1.bmp";
  QTest::addRow("alpha fields in another order") << "q/rgba32-2.bmp"
                                                 << "q/rgba32-1.bmp";
  QTest::addRow("32 bits, fake alpha") << "q/rgb32fakealpha.bmp"
                                       << "g/rgb32.bmp";
  QTest::addRow("24 bits, unused palette") << "g/rgb24pal.bmp"
                                           << "g/rgb24.bmp";
  QTest::addRow("32 bits, bit fields") << "g/rgb32bf.bmp"
                                       << "g/rgb24.bmp";
  QTest::addRow("16 bits, bit fields 5-5-5") << "g/rgb16bfdef.bmp"
                                             << "g/rgb16.bmp";
  QTest::addRow("16 bits, fake alpha bit") << "q/rgb16faketrns.bmp"
                                           << "g/rgb16.bmp";
  QTest::addRow("16 bits, 5-6-5 with palette") << "g/rgb16-565pal.bmp"
                                               << "g/rgb16-565.bmp";
}

void TestBmp::sameInEveryLayout() {
  QFETCH(QString, Name);
  QFETCH(QString, Same);
  QCOMPARE(FirstDifference(Decoded(Name), Decoded(Same)), QString());
}

// The 16-bit pictures are the 24-bit one cut to 5 (or 6) bits a field. Widened back, each
// field lies within one step (8.2 for 5 bits) of the 24-bit value, and full white is 255.
void TestBmp::sixteenBitsScaleToFullRange() {
  const QImage Full = Decoded("g/rgb24.bmp");
  for (const QString &Name : {QStringLiteral("g/rgb16.bmp"), QStringLiteral("g/rgb16-565.bmp")}) {
    const QImage Cut = Decoded(Name);
    QCOMPARE(Cut.size(), Full.size());
    int Whites = 0;
    for (int Y = 0; Y < Full.height(); ++Y)
      for (int X = 0; X < Full.width(); ++X) {
        const QRgb A = Cut.pixel(X, Y), B = Full.pixel(X, Y);
        QVERIFY2(std::abs(qRed(A) - qRed(B)) <= 8 && std::abs(qGreen(A) - qGreen(B)) <= 8 &&
                     std::abs(qBlue(A) - qBlue(B)) <= 8,
                 qPrintable(QStringLiteral("%1 at %2,%3").arg(Name).arg(X).arg(Y)));
        if (B == White) {
          QCOMPARE(A, White);
          ++Whites;
        }
      }
    QVERIFY(Whites > 0);
  }
}

void TestBmp::questionableSuite_data() {
  QTest::addColumn<QString>("Name");
  QTest::addColumn<QString>("Message");
  const QStringList Names = QDir(Suite("q")).entryList({"*.bmp"}, QDir::Files, QDir::Name);
  QVERIFY(Names.size() == 43);
  // Refused: Huffman and embedded JPEG/PNG coding, 64 bits a pixel.
  const QStringList Refused = {"pal1huffmsb.bmp", "rgb24jpeg.bmp", "rgb24png.bmp", "rgba64.bmp"};
  for (const QString &Name : Names)
    QTest::addRow("%s", qPrintable(Name))
        << "q/" + Name << (Refused.contains(Name) ? Invalid : QString());
}

// Questionable files decode (to the reference reader's pixels, where it reads them) or are
// refused with the message.
void TestBmp::questionableSuite() {
  QFETCH(QString, Name);
  QFETCH(QString, Message);
  const QByteArray Data = ReadBytes(Suite(Name));
  TBitmap Bitmap;
  QCOMPARE(LoadError(Bitmap, Data), Message);
  if (!Message.isEmpty())
    return;
  QCOMPARE(QSize(Bitmap.Width(), Bitmap.Height()), QSize(127, 64));
  const QImage Expected = BmpReference::Decode(Data);
  if (!Expected.isNull())
    QCOMPARE(FirstDifference(Drawn(Bitmap), Expected), QString());
}

void TestBmp::badSuite_data() {
  QTest::addColumn<QString>("Name");
  QTest::addColumn<QString>("Message");
  const QStringList Names = QDir(Suite("b")).entryList({"*.bmp"}, QDir::Files, QDir::Name);
  QVERIFY(Names.size() == 20);
  // Fields that do not matter for the pixels (sizes, densities) are not trusted; runs that
  // leave the picture are cut off; bad indices are black. All else is refused.
  const QStringList Decoded = {"badbitssize.bmp", "baddens1.bmp",     "baddens2.bmp",
                               "badfilesize.bmp", "badrle.bmp",       "badrle4.bmp",
                               "badrle4bis.bmp",  "badrle4ter.bmp",   "badrlebis.bmp",
                               "badrleter.bmp",   "pal8badindex.bmp", "rgb16-880.bmp"};
  for (const QString &Name : Names) {
    QString Message = Decoded.contains(Name) ? QString() : Invalid;
    if (Name == "reallybig.bmp")
      Message = QStringLiteral("Picture too large (3000000 x 2000000 pixels)");
    QTest::addRow("%s", qPrintable(Name)) << "b/" + Name << Message;
  }
  QTest::addRow("x/ba-bm.bmp") << "x/ba-bm.bmp" << Invalid;
}

// Bad files are refused or decoded in part, never with a crash or a large allocation.
void TestBmp::badSuite() {
  QFETCH(QString, Name);
  QFETCH(QString, Message);
  const QByteArray Data = ReadBytes(Suite(Name));
  QVERIFY(!Data.isEmpty());
  TBitmap Bitmap;
  TAddressSpaceLimit Limit(256 << 20);
  QCOMPARE(LoadError(Bitmap, Data), Message);
  if (Message.isEmpty()) {
    QCOMPARE(QSize(Bitmap.Width(), Bitmap.Height()), QSize(127, 64));
    const QImage Expected = BmpReference::Decode(Data);
    if (!Expected.isNull())
      QCOMPARE(FirstDifference(Drawn(Bitmap), Expected), QString());
  }
}

void TestBmp::builtFiles_data() {
  QTest::addColumn<QByteArray>("File");
  QTest::addColumn<QImage>("Expected");
  const QList<QRgb> Rgb = {Red, Green, Blue};

  QTest::addRow("1 bit, bits from the left")
      << BmpFile(Info(9, 1, 1) + ColourTable({Black, White}),
                 Rows({{1, 0, 1, 1, 0, 0, 0, 0, 1}}, 1))
      << FromRows({{White, Black, White, White, Black, Black, Black, Black, White}});
  QTest::addRow("2 bits") << BmpFile(Info(5, 1, 2) + ColourTable({Black, Red, Green, Blue}),
                                     Rows({{3, 2, 1, 0, 3}}, 2))
                          << FromRows({{Blue, Green, Red, Black, Blue}});
  QTest::addRow("4 bits, rows bottom-up")
      << BmpFile(Info(3, 2, 4, 0, 3) + ColourTable(Rgb), Rows({{0, 1, 2}, {2, 2, 0}}, 4))
      << FromRows({{Red, Green, Blue}, {Blue, Blue, Red}});
  QTest::addRow("8 bits, top-down")
      << BmpFile(Info(2, -2, 8, 0, 3) + ColourTable(Rgb), Rows({{0, 1}, {2, 0}}, 8, true))
      << FromRows({{Red, Green}, {Blue, Red}});
  QTest::addRow("indices past the colour table are black")
      << BmpFile(Info(3, 1, 8, 0, 2) + ColourTable({Red, Green}), Rows({{1, 2, 255}}, 8))
      << FromRows({{Green, Black, Black}});
  QTest::addRow("OS/2 core header, 3-byte colours")
      << BmpFile(CoreHeader(2, 1, 1) + ColourTable({Blue, Green}, 3), Rows({{1, 0}}, 1))
      << FromRows({{Green, Blue}});
  QTest::addRow("OS/2 core header, short colour table")
      << BmpFile(CoreHeader(3, 1, 8) + ColourTable({Red, Green}, 3), Rows({{0, 1, 2}}, 8))
      << FromRows({{Red, Green, Black}});
  QTest::addRow("pixel offset leaves a gap")
      << BmpFile(Info(1, 1, 8, 0, 1) + ColourTable({Green}), Rows({{0}}, 8), 14 + 40 + 4 + 20)
      << FromRows({{Green}});
  QTest::addRow("pixel offset 0 means after the table")
      << BmpFile(Info(1, 1, 8, 0, 1) + ColourTable({Blue}), Rows({{0}}, 8), 0)
      << FromRows({{Blue}});
  QTest::addRow("24 bits") << BmpFile(Info(2, 1, 24), Rows({{0x102030, 0xFF0080}}, 24))
                           << FromRows({{qRgb(0x10, 0x20, 0x30), qRgb(0xFF, 0, 0x80)}});
  QTest::addRow("16 bits 5-5-5: 31 is 255, 1 is 8, 16 is 132")
      << BmpFile(Info(3, 1, 16), Rows({{0x7FFF, 0x0421, 0x4000}}, 16))
      << FromRows({{White, qRgb(8, 8, 8), qRgb(132, 0, 0)}});
  QTest::addRow("16 bits, bit fields 2-3-1 scaled")
      << BmpFile(Info(3, 1, 16, 3) + Masks({0x30, 0x0E, 0x01}), Rows({{0x3F, 0x14, 0x05}}, 16))
      << FromRows({{White, qRgb(85, 73, 0), qRgb(0, 73, 255)}});
  QTest::addRow("16 bits, blue mask 0")
      << BmpFile(Info(1, 1, 16, 3) + Masks({0xFF00, 0xFF, 0}), Rows({{0x1234}}, 16))
      << FromRows({{qRgb(0x12, 0x34, 0)}});
  QTest::addRow("32 bits, fourth byte ignored")
      << BmpFile(Info(2, 1, 32), Rows({{0x00123456, 0x80FFFFFF}}, 32))
      << FromRows({{qRgb(0x12, 0x34, 0x56), White}});
  QTest::addRow("32 bits, bit fields 10-10-10")
      << BmpFile(Info(1, 1, 32, 3) + Masks({0x3FF00000, 0xFFC00, 0x3FF}),
                 Rows({{(0x3FFu << 20) | (0x200u << 10) | 1u}}, 32))
      << FromRows({{qRgb(255, 128, 0)}});
  QTest::addRow("V5 header with masks but no bit fields")
      << BmpFile(InfoHeader({1, 1, 1, 32, 0, 0, 0, 124, {0xFF, 0xFF00, 0xFF0000}}),
                 Rows({{0x00102030}}, 32))
      << FromRows({{qRgb(0x10, 0x20, 0x30)}});

  // RLE8: a run, an absolute group, end of row, a move, end of bitmap. Skipped pixels take
  // colour table entry 0; a run past the right edge is cut off.
  const QByteArray Rle8 = QByteArray::fromHex("0201"
                                              "0003000102"
                                              "00"
                                              "0000"
                                              "0102"
                                              "0002"
                                              "0201"
                                              "0000"
                                              "0502"
                                              "0001");
  QTest::addRow("RLE8")
      << BmpFile(Info(3, 4, 8, 1, 3) + ColourTable(Rgb), Rle8)
      << FromRows({{Blue, Blue, Blue}, {Red, Red, Red}, {Blue, Red, Red}, {Green, Green, Red}});
  // RLE4: runs alternate the two nibbles; absolute groups are padded to an even byte count.
  const QByteArray Rle4 = QByteArray::fromHex("0512"
                                              "0000"
                                              "00031200"
                                              "0220"
                                              "0001");
  QTest::addRow("RLE4") << BmpFile(Info(5, 2, 4, 2, 3) + ColourTable(Rgb), Rle4)
                        << FromRows(
                               {{Green, Blue, Red, Blue, Red}, {Green, Blue, Green, Blue, Green}});
  // OS/2 RLE24: a run is a count and B, G, R; skipped pixels are black.
  QTest::addRow("OS/2 RLE24")
      << BmpFile(InfoHeader({3, 2, 1, 24, 4, 0, 0, 64, {}}),
                 QByteArray::fromHex("02302010"
                                     "0000"
                                     "00030000ff00ff00ff000000"
                                     "0001"))
      << FromRows({{Red, Green, Blue}, {qRgb(0x10, 0x20, 0x30), qRgb(0x10, 0x20, 0x30), Black}});
  QTest::addRow("RLE8 data ending without end of bitmap")
      << BmpFile(Info(2, 2, 8, 1, 2) + ColourTable({Blue, Red}), QByteArray::fromHex("0101"))
      << FromRows({{Blue, Blue}, {Red, Blue}});
}

// Small files built for one rule each show exactly the pixels worked out by hand.
void TestBmp::builtFiles() {
  QFETCH(QByteArray, File);
  QFETCH(QImage, Expected);
  TBitmap Bitmap;
  QCOMPARE(LoadError(Bitmap, File), QString());
  QCOMPARE(FirstDifference(Drawn(Bitmap), Expected), QString());
}

void TestBmp::damagedFiles_data() {
  QTest::addColumn<QByteArray>("File");
  const QByteArray Pixel = Rows({{0}}, 24);
  const QByteArray Good = BmpFile(Info(1, 1, 24), Pixel);
  QTest::addRow("empty") << QByteArray();
  QTest::addRow("not BM") << QByteArray("BA") + Good.mid(2);
  QTest::addRow("cut in the file header") << Good.left(10);
  QTest::addRow("cut in the info header") << Good.left(30);
  QTest::addRow("header size 20") << BmpFile(
      InfoHeader({1, 1, 1, 24, 0, 0, 0, 40, {}}).replace(0, 1, "\x14"), Pixel);
  QTest::addRow("header size 66") << BmpFile(InfoHeader({1, 1, 1, 24, 0, 0, 0, 66, {}}), Pixel);
  QTest::addRow("planes 2") << BmpFile(InfoHeader({1, 1, 2, 24, 0, 0, 0, 40, {}}), Pixel);
  QTest::addRow("3 bits") << BmpFile(Info(1, 1, 3), Pixel);
  QTest::addRow("64 bits") << BmpFile(Info(1, 1, 64), Pixel + Pixel);
  QTest::addRow("width 0") << BmpFile(Info(0, 1, 24), Pixel);
  QTest::addRow("height 0") << BmpFile(Info(1, 0, 24), Pixel);
  QTest::addRow("negative width") << BmpFile(Info(-1, 1, 24), Pixel);
  QTest::addRow("pixels cut short") << BmpFile(Info(2, 2, 24), Pixel);
  QTest::addRow("pixel offset inside the header") << BmpFile(Info(1, 1, 24), Pixel, 20);
  QTest::addRow("pixel offset past the end") << BmpFile(Info(1, 1, 24), Pixel, 4000).left(100);
  QTest::addRow("top-down RLE8") << BmpFile(Info(1, -1, 8, 1, 1) + ColourTable({Red}),
                                            QByteArray::fromHex("01000001"));
  QTest::addRow("RLE8 with 4 bits")
      << BmpFile(Info(1, 1, 4, 1, 1) + ColourTable({Red}), QByteArray::fromHex("01000001"));
  QTest::addRow("bit fields with 24 bits") << BmpFile(Info(1, 1, 24, 3) + Masks({1, 2, 4}), Pixel);
  QTest::addRow("bit fields cut off") << BmpFile(Info(1, 1, 16, 3), QByteArray()).left(14 + 44);
  QTest::addRow("embedded JPEG") << BmpFile(Info(1, 1, 0, 4), "\xFF\xD8\xFF\xD9");
  QTest::addRow("colours-used beyond the file")
      << BmpFile(Info(1, 1, 8, 0, 100000) + ColourTable({Red}), Rows({{0}}, 8), 14 + 44);
}

void TestBmp::damagedFiles() {
  QFETCH(QByteArray, File);
  TBitmap Bitmap;
  QCOMPARE(LoadError(Bitmap, File), Invalid);
}

void TestBmp::hostileSizes_data() {
  QTest::addColumn<QByteArray>("File");
  QTest::addColumn<QString>("Message");
  const QByteArray Few(64, '\0');
  QTest::addRow("width above 65535")
      << BmpFile(Info(70000, 1, 24), Few) << "Picture too large (70000 x 1 pixels)";
  QTest::addRow("height above 65535, top-down")
      << BmpFile(Info(1, -70000, 24), Few) << "Picture too large (1 x 70000 pixels)";
  QTest::addRow("height -2^31") << BmpFile(Info(1, INT_MIN, 24), Few)
                                << "Picture too large (1 x 2147483648 pixels)";
  QTest::addRow("OS/2 65535 x 65535")
      << BmpFile(CoreHeader(65535, 65535, 24), Few) << "Picture too large (65535 x 65535 pixels)";
  QTest::addRow("just over 1 GiB of pixels")
      << BmpFile(Info(16384, 16385, 1) + ColourTable({Red, Blue}), Few)
      << "Picture too large (16384 x 16385 pixels)";
  QTest::addRow("RLE over 1 GiB of pixels")
      << BmpFile(Info(32768, 32768, 8, 1, 1) + ColourTable({Red}), QByteArray::fromHex("0001"))
      << "Picture too large (32768 x 32768 pixels)";
  // 1 GiB exactly is allowed, but then the rows must be in the file: refused without
  // allocating anything.
  QTest::addRow("1 GiB of pixels, rows missing") << BmpFile(Info(16384, 16384, 24), Few) << Invalid;
}

// Hostile headers are refused before anything large is allocated: the address space left
// to the test would not hold the pixels they claim.
void TestBmp::hostileSizes() {
  QFETCH(QByteArray, File);
  QFETCH(QString, Message);
  TBitmap Bitmap;
  TAddressSpaceLimit Limit(256 << 20);
  QCOMPARE(LoadError(Bitmap, File), Message);
}

void TestBmp::failedLoadKeepsPixels() {
  TBitmap Bitmap;
  const QByteArray Good = BmpFile(Info(2, 1, 24), Rows({{0x00FF00, 0x0000FF}}, 24));
  QCOMPARE(LoadError(Bitmap, Good), QString());
  QCOMPARE(LoadError(Bitmap, Good.left(Good.size() - 4)), Invalid);
  QCOMPARE(FirstDifference(Drawn(Bitmap), FromRows({{Green, Blue}})), QString());
}

QTEST_MAIN(TestBmp)
#include "tst_bmp.moc"
