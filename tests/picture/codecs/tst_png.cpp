// The PNG kind: the public suite against an independent decode, transparency drawing,
// decoder messages and hostile sizes.
#include "../picturetesting.h"
#include "pngfixture.h"
#include "picture/kinds/pngimage.h"
#include "pngreference.h"
#include "support/overwhite.h"

#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QTest>

using namespace PngFixture;

namespace {

const QString InvalidHeader = QStringLiteral(
    "The file being readed is not a valid \"Portable Network Graphics\" image because it "
    "contains an invalid header. This file may be corruped, try obtaining it again.");
const QString IhdrNotFirst = QStringLiteral(
    "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n"
    "(IHDR chunk is not the first)");
const QString UnexpectedEnd =
    QStringLiteral("This \"Portable Network Graphics\" image is invalid because the decoder "
                   "found an unexpected end of the file.");
const QString UnknownCritical =
    QStringLiteral("This \"Portable Network Graphics\" image contains an unknown critical part "
                   "which could not be decoded.");
const QString NoData = QStringLiteral("This \"Portable Network Graphics\" image contains no data.");
const QString CrcError =
    QStringLiteral("This \"Portable Network Graphics\" image is not valid because it contains "
                   "invalid pieces of data (crc error)");
const QString IhdrCorrupted =
    QStringLiteral("The \"Portable Network Graphics\" image could not be loaded because one of "
                   "its main piece of data (ihdr) might be corrupted");
const QString TooWide = QStringLiteral(
    "This \"Portable Network Graphics\" image is not supported because either it's width or "
    "height exceeds the maximum size, which is 65535 pixels length.");
const QString Compression =
    QStringLiteral("This \"Portable Network Graphics\" image is encoded with an unknown "
                   "compression scheme which could not be decoded.");
const QString Interlace =
    QStringLiteral("This \"Portable Network Graphics\" image uses an unknown interlace scheme "
                   "which could not be decoded.");
const QString MissingParts = QStringLiteral(
    "This \"Portable Network Graphics\" image is invalid because it has missing image parts.");
const QString Decompress =
    QStringLiteral("Could not decompress the image because it contains invalid compressed data.\r\n"
                   " Description: ");
const QString Palette =
    QStringLiteral("The \"Portable Network Graphics\" image contains an invalid palette.");

QString SuiteFolder() { return QStringLiteral(ZELVANE_TESTDATA "/pngsuite"); }

// Qt's own PNG reader, samples cut to their high byte (16-bit samples are stripped, not
// rounded), as non-premultiplied Format_ARGB32.
QImage DecodeWithQt(const QString &File) {
  const QImage Decoded = QImageReader(File).read().convertToFormat(QImage::Format_RGBA64);
  QImage Straight(Decoded.size(), QImage::Format_ARGB32);
  for (int Y = 0; Y < Decoded.height(); ++Y) {
    const auto *In = reinterpret_cast<const QRgba64 *>(Decoded.constScanLine(Y));
    auto *Out = reinterpret_cast<QRgb *>(Straight.scanLine(Y));
    for (int X = 0; X < Decoded.width(); ++X)
      Out[X] = qRgba(In[X].red() >> 8, In[X].green() >> 8, In[X].blue() >> 8, In[X].alpha() >> 8);
  }
  return Straight;
}

// The reference decode composed over white: the self-made decoder where it applies (Qt's
// reader misplaces the pixels of 16-bit RGB pictures with a tRNS colour), Qt's otherwise.
QImage ReferenceOverWhite(const QString &File, const QByteArray &Data) {
  QImage Straight = PngReference::Decode(Data);
  if (Straight.isNull())
    Straight = DecodeWithQt(File);
  return OverWhite(Straight);
}

// What the file's own chunks say about its transparency, read here without libpng.
TPngTransparency DeclaredTransparency(const QByteArray &Data) {
  const int ColorType = uchar(Data[25]);
  if (ColorType == 4 || ColorType == 6)
    return TPngTransparency::Alpha;
  for (qsizetype Pos = 8; Pos + 8 <= Data.size();) {
    const qsizetype Length = (qsizetype(uchar(Data[Pos])) << 24) | (uchar(Data[Pos + 1]) << 16) |
                             (uchar(Data[Pos + 2]) << 8) | uchar(Data[Pos + 3]);
    if (Data.mid(Pos + 4, 4) == "tRNS") {
      if (ColorType != 3)
        return TPngTransparency::SingleColour;
      TPngTransparency Result = TPngTransparency::None;
      for (char A : Data.mid(Pos + 8, Length)) {
        if (uchar(A) != 0 && uchar(A) != 255)
          return TPngTransparency::Alpha;
        if (uchar(A) == 0)
          Result = TPngTransparency::SingleColour;
      }
      return Result;
    }
    Pos += Length + 12;
  }
  return TPngTransparency::None;
}

// Source-over of a non-premultiplied 8-bit sample: the source premultiplied and the
// destination scaled by the remaining coverage, each rounded to the nearest step.
int DivRound255(int V) { return (V + 127) / 255; }
int Blend(int Source, int Alpha, int Dest) {
  return DivRound255(Source * Alpha) + DivRound255(Dest * (255 - Alpha));
}
QRgb BlendRgb(QRgb Source, int Alpha, QRgb Dest) {
  return qRgb(Blend(qRed(Source), Alpha, qRed(Dest)), Blend(qGreen(Source), Alpha, qGreen(Dest)),
              Blend(qBlue(Source), Alpha, qBlue(Dest)));
}

QRgb Grey(int V) { return qRgb(V, V, V); }

const QRgb Fill = qRgb(10, 200, 30);

} // namespace

Q_DECLARE_METATYPE(TPngTransparency)

class TPngTest : public QObject {
  Q_OBJECT
private slots:
  void Suite_data();
  void Suite();
  void Faults_data();
  void Faults();
  void Transparency_data();
  void Transparency();
  void BitmapFlattensOverWhite();
  void HugeSizesRefused_data();
  void HugeSizesRefused();
  void FailedLoadKeepsOldPicture();
};

void TPngTest::Suite_data() {
  QTest::addColumn<QString>("File");
  QTest::addColumn<QString>("Message");
  const QHash<QString, QString> Bad = {
      {"xs1n0g01", InvalidHeader}, {"xs2n0g01", InvalidHeader}, {"xs4n0g01", InvalidHeader},
      {"xs7n0g01", InvalidHeader}, {"xcrn0g04", InvalidHeader}, {"xlfn0g04", InvalidHeader},
      {"xc1n0g08", IhdrCorrupted}, {"xc9n2c08", IhdrCorrupted}, {"xd0n2c08", IhdrCorrupted},
      {"xd3n2c08", IhdrCorrupted}, {"xd9n2c08", IhdrCorrupted}, {"xhdn0g08", CrcError},
      {"xcsn0g01", CrcError},      {"xdtn0g01", NoData}};
  const QStringList Files = QDir(SuiteFolder()).entryList({"*.png"}, QDir::Files, QDir::Name);
  QCOMPARE(Files.size(), 176);
  int BadCount = 0;
  for (const QString &File : Files) {
    const QString Base = QFileInfo(File).completeBaseName();
    if (Base.startsWith('x')) {
      QVERIFY2(Bad.contains(Base), qPrintable(Base));
      ++BadCount;
    }
    QTest::addRow("%s", qPrintable(Base)) << SuiteFolder() + '/' + File << Bad.value(Base);
  }
  QCOMPARE(BadCount, 14);
}

void TPngTest::Suite() {
  QFETCH(QString, File);
  QFETCH(QString, Message);
  const QByteArray Data = ReadBytes(File);
  QVERIFY(Data.size() > 33);
  TPngImage Picture;
  QCOMPARE(LoadError(Picture, Data), Message);
  if (!Message.isEmpty()) {
    QVERIFY(Picture.Image().isNull());
    return;
  }
  // The IHDR's width and height, read from the file's bytes.
  const int Width = (uchar(Data[18]) << 8) | uchar(Data[19]);
  const int Height = (uchar(Data[22]) << 8) | uchar(Data[23]);
  QCOMPARE(Picture.Width(), Width);
  QCOMPARE(Picture.Height(), Height);
  QCOMPARE(Picture.Image().format(), DeclaredTransparency(Data) == TPngTransparency::None
                                         ? QImage::Format_RGB32
                                         : QImage::Format_ARGB32);
  const QString Difference =
      FirstDifference(DrawOver(Picture, qRgb(255, 255, 255)), ReferenceOverWhite(File, Data));
  QVERIFY2(Difference.isEmpty(), qPrintable(Difference));
}

void TPngTest::Faults_data() {
  QTest::addColumn<QByteArray>("Data");
  QTest::addColumn<QString>("Message");
  const QList<QByteArray> Rows = {Bytes({1, 2}), Bytes({3, 4})};
  const QByteArray Good = Png(Ihdr(2, 2, 8, 0), Rows);
  const QByteArray Idat = Chunk("IDAT", Deflate(Scanlines(Rows)));
  QTest::addRow("good") << Good << QString();
  QTest::addRow("bytes after IEND are ignored") << Good + "trailing junk" << QString();
  QTest::addRow("empty file") << QByteArray() << InvalidHeader;
  QTest::addRow("signature only half") << Good.left(4) << InvalidHeader;
  QTest::addRow("other format") << QByteArray("GIF89a\x01\x00\x01\x00", 10) << InvalidHeader;
  QTest::addRow("IHDR not first") << Signature() + Chunk("tEXt", "Title") + Ihdr(2, 2, 8, 0) +
                                         Idat + Iend()
                                  << IhdrNotFirst;
  QTest::addRow("no IEND") << Good.left(Good.size() - 12) << UnexpectedEnd;
  QTest::addRow("cut inside IDAT") << Good.left(Good.size() - 20) << UnexpectedEnd;
  QTest::addRow("cut inside a chunk header") << Good.left(Good.size() - 8) << UnexpectedEnd;
  QTest::addRow("unknown critical chunk")
      << Signature() + Ihdr(2, 2, 8, 0) + Chunk("QUUX", "x") + Idat + Iend() << UnknownCritical;
  QTest::addRow("unknown ancillary chunk is skipped")
      << Signature() + Ihdr(2, 2, 8, 0) + Chunk("quUX", "x") + Idat + Iend() << QString();
  QTest::addRow("no IDAT") << Signature() + Ihdr(2, 2, 8, 0) + Iend() << NoData;
  QByteArray BadCrc = Good;
  BadCrc[Good.size() - 13] = char(BadCrc[Good.size() - 13] ^ 1); // last byte of IDAT's CRC
  QTest::addRow("IDAT CRC") << BadCrc << CrcError;
  QByteArray Text = Chunk("tEXt", "Title");
  Text[Text.size() - 1] = char(Text[Text.size() - 1] ^ 0x80);
  QTest::addRow("ancillary CRC") << Signature() + Ihdr(2, 2, 8, 0) + Text + Idat + Iend()
                                 << CrcError;
  QTest::addRow("IHDR of 12 bytes")
      << Signature() + Chunk("IHDR", IhdrBody(2, 2, 8, 0).left(12)) + Idat + Iend()
      << IhdrCorrupted;
  QTest::addRow("width 65536") << Png(Ihdr(65536, 1, 8, 0), {Bytes({0})}) << TooWide;
  QTest::addRow("height 70000") << Png(Ihdr(1, 70000, 8, 0), {Bytes({0})}) << TooWide;
  QTest::addRow("width 0") << Png(Ihdr(0, 1, 8, 0), {Bytes({0})}) << IhdrCorrupted;
  QTest::addRow("RGB of 4 bits") << Png(Ihdr(2, 2, 4, 2), Rows) << IhdrCorrupted;
  QTest::addRow("filter method 1") << Png(Ihdr(2, 2, 8, 0, 0, 0, 1), Rows) << IhdrCorrupted;
  QTest::addRow("compression method 1") << Png(Ihdr(2, 2, 8, 0, 0, 1), Rows) << Compression;
  QTest::addRow("interlace method 2") << Png(Ihdr(2, 2, 8, 0, 2), Rows) << Interlace;
  QTest::addRow("one row of two") << Signature() + Ihdr(2, 2, 8, 0) +
                                         Chunk("IDAT", Deflate(Scanlines({Rows[0]}))) + Iend()
                                  << MissingParts;
  QTest::addRow("bad zlib header check")
      << Signature() + Ihdr(2, 2, 8, 0) + Chunk("IDAT", Bytes({0x78, 0x00, 1, 2, 3, 4})) + Iend()
      << Decompress + "incorrect header check";
  QTest::addRow("bad deflate block type")
      << Signature() + Ihdr(2, 2, 8, 0) + Chunk("IDAT", Bytes({0x78, 0x9C, 0x07, 0, 0, 0})) + Iend()
      << Decompress + "invalid block type";
  // Filter type 9 does not exist: the rows inflate, but cannot be unfiltered.
  QTest::addRow("unknown row filter")
      << Signature() + Ihdr(2, 2, 8, 0) + Chunk("IDAT", Deflate(Bytes({9, 1, 2, 0, 3, 4}))) + Iend()
      << Decompress + "bad adaptive filter value";
  const QList<QByteArray> Indices = {Bytes({0, 1}), Bytes({1, 0})};
  QTest::addRow("palette picture without PLTE") << Png(Ihdr(2, 2, 8, 3), Indices) << Palette;
  QTest::addRow("PLTE of 7 bytes")
      << Png(Ihdr(2, 2, 8, 3), Indices, Chunk("PLTE", Bytes({1, 2, 3, 4, 5, 6, 7}))) << Palette;
  QTest::addRow("PLTE after IDAT")
      << Signature() + Ihdr(2, 2, 8, 3) + Chunk("PLTE", Bytes({1, 2, 3, 4, 5, 6})) +
             Chunk("IDAT", Deflate(Scanlines(Indices))) + Chunk("PLTE", Bytes({1, 2, 3})) + Iend()
      << Palette;
}

void TPngTest::Faults() {
  QFETCH(QByteArray, Data);
  QFETCH(QString, Message);
  TPngImage Picture;
  QCOMPARE(LoadError(Picture, Data), Message);
  if (Message.isEmpty())
    QCOMPARE(DrawOver(Picture, Fill).pixel(1, 1), Grey(4));
}

void TPngTest::Transparency_data() {
  QTest::addColumn<QByteArray>("Data");
  QTest::addColumn<TPngTransparency>("Kind");
  QTest::addColumn<QList<QRgb>>("Expected"); // row by row, drawn over Fill
  using T = TPngTransparency;
  QTest::addRow("grey opaque") << Png(Ihdr(2, 1, 8, 0), {Bytes({100, 7})}) << T::None
                               << QList<QRgb>{Grey(100), Grey(7)};
  QTest::addRow("grey tRNS") << Png(Ihdr(3, 1, 8, 0), {Bytes({100, 50, 100})},
                                    Chunk("tRNS", Samples16({100})))
                             << T::SingleColour << QList<QRgb>{Fill, Grey(50), Fill};
  // The transparent colour is matched on all 16 bits: 0x12FF shares its high byte with the
  // transparent 0x1234 but is a colour of its own.
  QTest::addRow("grey 16 tRNS") << Png(Ihdr(3, 1, 16, 0), {Samples16({0x1234, 0x12FF, 0x8001})},
                                       Chunk("tRNS", Samples16({0x1234})))
                                << T::SingleColour << QList<QRgb>{Fill, Grey(0x12), Grey(0x80)};
  QTest::addRow("grey 2-bit tRNS")
      << Png(Ihdr(4, 1, 2, 0), {Bytes({0b00011011})}, Chunk("tRNS", Samples16({2})))
      << T::SingleColour << QList<QRgb>{Grey(0), Grey(85), Fill, Grey(255)};
  QTest::addRow("RGB tRNS") << Png(Ihdr(2, 1, 8, 2), {Bytes({1, 2, 3, 1, 2, 4})},
                                   Chunk("tRNS", Samples16({1, 2, 3})))
                            << T::SingleColour << QList<QRgb>{Fill, qRgb(1, 2, 4)};
  QTest::addRow("RGB 16 tRNS") << Png(Ihdr(2, 1, 16, 2),
                                      {Samples16({0xA000, 0xB000, 0xC000, 0xA000, 0xB000, 0xC001})},
                                      Chunk("tRNS", Samples16({0xA000, 0xB000, 0xC000})))
                               << T::SingleColour << QList<QRgb>{Fill, qRgb(0xA0, 0xB0, 0xC0)};
  const QByteArray Plte = Chunk("PLTE", Bytes({255, 0, 0, 0, 255, 0, 0, 0, 255}));
  QTest::addRow("palette opaque") << Png(Ihdr(3, 1, 8, 3), {Bytes({0, 1, 2})}, Plte) << T::None
                                  << QList<QRgb>{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
  QTest::addRow("palette tRNS all 255 stays opaque")
      << Png(Ihdr(3, 1, 8, 3), {Bytes({0, 1, 2})}, Plte + Chunk("tRNS", Bytes({255, 255})))
      << T::None << QList<QRgb>{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
  QTest::addRow("palette all or nothing")
      << Png(Ihdr(3, 1, 8, 3), {Bytes({0, 1, 2})}, Plte + Chunk("tRNS", Bytes({255, 0})))
      << T::SingleColour << QList<QRgb>{qRgb(255, 0, 0), Fill, qRgb(0, 0, 255)};
  QTest::addRow("palette partial")
      << Png(Ihdr(3, 1, 8, 3), {Bytes({0, 1, 2})}, Plte + Chunk("tRNS", Bytes({128, 0})))
      << T::Alpha << QList<QRgb>{BlendRgb(qRgb(255, 0, 0), 128, Fill), Fill, qRgb(0, 0, 255)};
  QTest::addRow("palette index beyond PLTE is black")
      << Png(Ihdr(2, 1, 8, 3), {Bytes({0, 7})}, Plte) << T::None
      << QList<QRgb>{qRgb(255, 0, 0), qRgb(0, 0, 0)};
  QTest::addRow("grey alpha") << Png(Ihdr(3, 1, 8, 4), {Bytes({200, 255, 200, 0, 200, 77})})
                              << T::Alpha
                              << QList<QRgb>{Grey(200), Fill, BlendRgb(Grey(200), 77, Fill)};
  QTest::addRow("RGBA") << Png(Ihdr(2, 1, 8, 6), {Bytes({250, 100, 0, 200, 9, 8, 7, 1})})
                        << T::Alpha
                        << QList<QRgb>{BlendRgb(qRgb(250, 100, 0), 200, Fill),
                                       BlendRgb(qRgb(9, 8, 7), 1, Fill)};
  QTest::addRow("RGBA 16 keeps high bytes")
      << Png(Ihdr(1, 1, 16, 6), {Samples16({0x40FF, 0x80FF, 0xC0FF, 0x7FFF})}) << T::Alpha
      << QList<QRgb>{BlendRgb(qRgb(0x40, 0x80, 0xC0), 0x7F, Fill)};
}

void TPngTest::Transparency() {
  QFETCH(QByteArray, Data);
  QFETCH(TPngTransparency, Kind);
  QFETCH(QList<QRgb>, Expected);
  TPngImage Picture;
  QCOMPARE(LoadError(Picture, Data), QString());
  // Only an opaque picture is kept without an alpha channel; the pixels tell a single
  // transparent colour from partial alpha.
  QCOMPARE(Picture.Image().format(),
           Kind == TPngTransparency::None ? QImage::Format_RGB32 : QImage::Format_ARGB32);
  const QImage Drawn = DrawOver(Picture, Fill);
  QCOMPARE(Drawn.width() * Drawn.height(), Expected.size());
  for (int I = 0; I < Expected.size(); ++I)
    QCOMPARE(Drawn.pixel(I % Drawn.width(), I / Drawn.width()), Expected[I]);
}

void TPngTest::BitmapFlattensOverWhite() {
  const QRgb White = qRgb(255, 255, 255);
  TPngImage Picture;
  Picture.LoadFromBytes(
      Png(Ihdr(3, 1, 8, 6), {Bytes({250, 100, 0, 200, 9, 8, 7, 0, 1, 2, 3, 255})}));
  const QImage Bitmap = Picture.ToBitmapImage();
  QCOMPARE(Bitmap.format(), QImage::Format_RGB32);
  QCOMPARE(Bitmap.pixel(0, 0), BlendRgb(qRgb(250, 100, 0), 200, White));
  QCOMPARE(Bitmap.pixel(1, 0), White);
  QCOMPARE(Bitmap.pixel(2, 0), qRgb(1, 2, 3));

  TPngImage Keyed;
  Keyed.LoadFromBytes(Png(Ihdr(2, 1, 8, 0), {Bytes({9, 60})}, Chunk("tRNS", Samples16({9}))));
  const QImage KeyedBitmap = Keyed.ToBitmapImage();
  QCOMPARE(KeyedBitmap.pixel(0, 0), White);
  QCOMPARE(KeyedBitmap.pixel(1, 0), Grey(60));
}

void TPngTest::HugeSizesRefused_data() {
  QTest::addColumn<int>("Width");
  QTest::addColumn<int>("Height");
  QTest::addColumn<int>("ColorType");
  QTest::addRow("65535 square RGBA") << 65535 << 65535 << 6;
  QTest::addRow("65535 square grey") << 65535 << 65535 << 0;
  QTest::addRow("one pixel over 1 GiB") << 16385 << 16384 << 0;
  QTest::addRow("tall") << 4097 << 65535 << 2;
}

void TPngTest::HugeSizesRefused() {
  QFETCH(int, Width);
  QFETCH(int, Height);
  QFETCH(int, ColorType);
  // One tiny row of data: the size alone must be refused before any decoding.
  const QByteArray Data = Png(Ihdr(quint32(Width), quint32(Height), 8, ColorType), {Bytes({0})});
  TPngImage Picture;
  QCOMPARE(LoadError(Picture, Data),
           QStringLiteral("Picture too large (%1 x %2 pixels)").arg(Width).arg(Height));
}

void TPngTest::FailedLoadKeepsOldPicture() {
  TPngImage Picture;
  Picture.LoadFromBytes(Png(Ihdr(2, 1, 8, 0), {Bytes({33, 44})}));
  QCOMPARE(LoadError(Picture, Png(Ihdr(2, 2, 8, 0, 2), {Bytes({1, 2})})), Interlace);
  QCOMPARE(Picture.Width(), 2);
  QCOMPARE(Picture.Height(), 1);
  QCOMPARE(DrawOver(Picture, Fill).pixel(1, 0), Grey(44));
}

QTEST_MAIN(TPngTest)
#include "tst_png.moc"
