// Bitmaps inside metafiles: every depth and coding, decoded to pixels and compared with the
// pixels the fixture was made from; damaged and oversized bitmaps decode to nothing.

#include "picture/metafile/gdi/gdibitmap.h"
#include "../metafilewriter.h"

#include <QTest>

namespace {

TByteView View(const QByteArray &Bytes) {
  return TByteView(reinterpret_cast<const uchar *>(Bytes.constData()), Bytes.size());
}

QByteArray Header(qint32 Width, qint32 Height, quint16 BitCount, quint32 Compression,
                  quint32 Used = 0) {
  TFixtureBytes H;
  H.U32(40).I32(Width).I32(Height).U16(1).U16(BitCount).U32(Compression).U32(0).I32(0).I32(0);
  H.U32(Used).U32(0);
  return H.Data;
}

QByteArray Table(const QList<QRgb> &Colors) {
  TFixtureBytes T;
  for (QRgb C : Colors)
    T.U8(qBlue(C)).U8(qGreen(C)).U8(qRed(C)).U8(0);
  return T.Data;
}

QImage Rows(const QList<QList<QRgb>> &RowsFromTop) {
  QImage Image(RowsFromTop[0].size(), RowsFromTop.size(), QImage::Format_ARGB32);
  for (int Y = 0; Y < Image.height(); ++Y)
    for (int X = 0; X < Image.width(); ++X)
      Image.setPixel(X, Y, RowsFromTop[Y][X]);
  return Image;
}

const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255), W = qRgb(255, 255, 255),
           K = qRgb(0, 0, 0), T = 0;

}  // namespace

class TestMetafileDib : public QObject {
  Q_OBJECT
private slots:
  void decodes_data();
  void decodes();
  void keepsAlphaWhenAsked();
  void paletteIndices();
  void refuses_data();
  void refuses();
  void oldDeviceBitmap();
};

void TestMetafileDib::decodes_data() {
  QTest::addColumn<QByteArray>("Info");
  QTest::addColumn<QByteArray>("Bits");
  QTest::addColumn<QImage>("Expected");
  {
    const QList<QRgb> Palette{R, B};
    const QList<QList<quint32>> Indices{{0, 1, 1, 0, 1, 0, 0, 0, 1, 1}, {1, 0, 0, 0, 0, 0, 0, 0, 0, 1}};
    const TFixtureDib Dib = MakeDib(1, Indices, Palette);
    QList<QList<QRgb>> Colors;
    for (const auto &Row : Indices) {
      Colors.append(QList<QRgb>());
      for (quint32 I : Row)
        Colors.back().append(Palette[I]);
    }
    QTest::addRow("1 bit across bytes") << Dib.Info << Dib.Bits << Rows(Colors);
  }
  {
    const TFixtureDib Dib = MakeDib(4, {{0, 1, 2}, {2, 1, 0}}, {R, G, B});
    QTest::addRow("4 bits") << Dib.Info << Dib.Bits << Rows({{R, G, B}, {B, G, R}});
  }
  {  // An index beyond a short colour table is black.
    const TFixtureDib Dib = MakeDib(8, {{0, 1, 2, 200}}, {R, G, B});
    QTest::addRow("8 bits, short table") << Dib.Info << Dib.Bits << Rows({{R, G, B, K}});
  }
  {
    TFixtureBytes Bits;
    Bits.U16(0x7C00).U16(0x03E0).U16(0x001F).U16(0x7FFF);
    QTest::addRow("16 bits, 5-5-5") << Header(4, 1, 16, 0) << Bits.Data << Rows({{R, G, B, W}});
  }
  {
    TFixtureBytes Info;
    Info.Raw(Header(3, 1, 16, 3)).U32(0xF800).U32(0x07E0).U32(0x001F);
    TFixtureBytes Bits;
    Bits.U16(0xF800).U16(0x07E0).U16(0x001F).U16(0);
    QTest::addRow("16 bits, 5-6-5 fields") << Info.Data << Bits.Data << Rows({{R, G, B}});
  }
  {  // A negative height stores the rows from the top.
    TFixtureBytes Bits;
    Bits.U8(0).U8(0).U8(255).U8(0).U8(255).U8(0).U8(0).U8(0);
    Bits.U8(255).U8(0).U8(0).U8(255).U8(255).U8(255).U8(0).U8(0);
    QTest::addRow("24 bits, top-down") << Header(2, -2, 24, 0) << Bits.Data << Rows({{R, G}, {B, W}});
  }
  {  // Plain blits ignore the fourth byte.
    TFixtureBytes Bits;
    Bits.U8(0).U8(0).U8(255).U8(0).U8(0).U8(255).U8(0).U8(17);
    QTest::addRow("32 bits, alpha ignored") << Header(2, 1, 32, 0) << Bits.Data << Rows({{R, G}});
  }
  {  // Runs, an odd absolute run (padded), end of line, a skip, end of bitmap. The rows count
     // from the bottom; skipped pixels stay transparent.
    TFixtureBytes Bits;
    Bits.U8(2).U8(1).U8(0).U8(3).U8(2).U8(0).U8(1).U8(0).U8(0).U8(0);
    Bits.U8(0).U8(2).U8(1).U8(1).U8(1).U8(2).U8(0).U8(1);
    QTest::addRow("run-length 8") << Header(5, 3, 8, 1) + Table({K, R, G}) << Bits.Data
                                  << Rows({{T, G, T, T, T}, {T, T, T, T, T}, {R, R, G, K, R}});
  }
  {
    TFixtureBytes Bits;
    // A run of three alternating nibbles, an absolute run of three (two bytes), the end.
    Bits.U8(3).U8(0x12).U8(0).U8(3).U8(0x21).U8(0x00).U8(0).U8(1);
    QTest::addRow("run-length 4") << Header(7, 1, 4, 2) + Table({K, R, G}) << Bits.Data
                                  << Rows({{R, G, R, G, R, K, T}});
  }
  {
    TFixtureBytes Info;
    Info.U32(12).U16(2).U16(1).U16(1).U16(8);
    for (int I = 0; I < 256; ++I)
      Info.U8(I == 1 ? 255 : 0).U8(0).U8(I == 0 ? 255 : 0);
    TFixtureBytes Bits;
    Bits.U8(0).U8(1).U8(0).U8(0);
    QTest::addRow("core header") << Info.Data << Bits.Data << Rows({{R, B}});
  }
}

void TestMetafileDib::decodes() {
  QFETCH(QByteArray, Info);
  QFETCH(QByteArray, Bits);
  QFETCH(QImage, Expected);
  const TDib Dib = DecodeDib(View(Info), View(Bits), DibRgbColors, {}, false);
  QVERIFY(!Dib.Image.isNull());
  const QImage Actual = Dib.Image.convertToFormat(QImage::Format_ARGB32);
  QCOMPARE(Actual.size(), Expected.size());
  for (int Y = 0; Y < Expected.height(); ++Y)
    for (int X = 0; X < Expected.width(); ++X) {
      const QRgb E = Expected.pixel(X, Y), A = Actual.pixel(X, Y);
      if (qAlpha(E) == 0)
        QVERIFY2(qAlpha(A) == 0, qPrintable(QString("%1,%2 not transparent").arg(X).arg(Y)));
      else
        QVERIFY2(A == E, qPrintable(QString("%1,%2 is %3").arg(X).arg(Y).arg(A, 8, 16)));
    }
}

void TestMetafileDib::keepsAlphaWhenAsked() {
  TFixtureBytes Bits;
  Bits.U8(0).U8(0).U8(128).U8(128).U8(0).U8(0).U8(255).U8(0);
  const TDib Dib = DecodeDib(View(Header(2, 1, 32, 0)), View(Bits.Data), DibRgbColors, {}, true);
  QVERIFY(Dib.Alpha);
  QCOMPARE(Dib.Image.format(), QImage::Format_ARGB32_Premultiplied);
  const QRgb *Row = reinterpret_cast<const QRgb *>(Dib.Image.constScanLine(0));
  QCOMPARE(Row[0], qRgba(128, 0, 0, 128));
  // A colour above its alpha is cut down to it: premultiplied data cannot hold it.
  QCOMPARE(Row[1], qRgba(0, 0, 0, 0));
}

void TestMetafileDib::paletteIndices() {
  TFixtureBytes Info;
  Info.Raw(Header(2, 1, 8, 0, 2)).U16(2).U16(0);
  TFixtureBytes Bits;
  Bits.U8(0).U8(1).U8(0).U8(0);
  const TDib Dib = DecodeDib(View(Info.Data), View(Bits.Data), DibPalColors, {R, G, B}, false);
  QCOMPARE(Dib.Image.convertToFormat(QImage::Format_ARGB32).pixel(0, 0), B);
  QCOMPARE(Dib.Image.convertToFormat(QImage::Format_ARGB32).pixel(1, 0), R);
}

void TestMetafileDib::refuses_data() {
  QTest::addColumn<QByteArray>("Info");
  QTest::addColumn<QByteArray>("Bits");
  const QByteArray Row(4, '\0');
  QTest::addRow("bits short of the rows") << Header(2, 2, 24, 0) << QByteArray(15, '\0');
  QTest::addRow("width 0") << Header(0, 1, 24, 0) << Row;
  QTest::addRow("height 0") << Header(1, 0, 24, 0) << Row;
  QTest::addRow("unknown header size") << Header(1, 1, 24, 0).replace(0, 1, "\x1e") << Row;
  QTest::addRow("7 bits") << Header(1, 1, 7, 0) << Row;
  QTest::addRow("RLE8 at 4 bits") << Header(1, 1, 4, 1) << Row;
  QTest::addRow("top-down RLE") << Header(1, -1, 8, 1) << Row;
  QTest::addRow("CMYK coding") << Header(1, 1, 32, 11) << Row;
  QTest::addRow("wider than 65535") << Header(70000, 1, 8, 0) << QByteArray(70004, '\0');
  QTest::addRow("header cut short") << Header(1, 1, 24, 0).left(30) << Row;
  QTest::addRow("over the pixel limit") << Header(65535, 60000, 4, 2) << QByteArray("\0\1", 2);
  // A tiny run-length stream claiming a picture within the pixel limit but huge for it.
  QTest::addRow("run-length bomb") << Header(8192, 8192, 4, 2) << QByteArray("\0\1", 2);
}

void TestMetafileDib::refuses() {
  QFETCH(QByteArray, Info);
  QFETCH(QByteArray, Bits);
  QVERIFY(DecodeDib(View(Info), View(Bits), DibRgbColors, {}, false).Image.isNull());
}

void TestMetafileDib::oldDeviceBitmap() {
  // 3 x 2 at 1 bit, rows of 2 bytes from the top: 101 / 010.
  TFixtureBytes Header16;
  Header16.I16(0).I16(3).I16(2).I16(2).U8(1).U8(1);
  TFixtureBytes Bits;
  Bits.U8(0xA0).U8(0).U8(0x40).U8(0);
  const TDib Dib = DecodeBitmap16(View(Header16.Data), View(Bits.Data));
  QVERIFY(Dib.Monochrome);
  const QImage Image = Dib.Image.convertToFormat(QImage::Format_ARGB32);
  QCOMPARE(Image.pixel(0, 0), W);
  QCOMPARE(Image.pixel(1, 0), K);
  QCOMPARE(Image.pixel(1, 1), W);
  QCOMPARE(Image.pixel(2, 1), K);
  // Rows that the data cannot hold: nothing.
  QVERIFY(DecodeBitmap16(View(Header16.Data), View(Bits.Data.left(3))).Image.isNull());
}

QTEST_MAIN(TestMetafileDib)
#include "tst_metafiledib.moc"
