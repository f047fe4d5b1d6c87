// Large images and buffers in 2 MiB pages: they must behave exactly like Qt's own. Each
// image is filled pixel by pixel through scanLine() and read back through pixel(), against
// an ordinary QImage filled the same way, so a wrong row length, format or colour table
// shows as a pixel that differs.
#include "picture/codecs/largeimage.h"

#include <QTest>

namespace {

// The same pattern for every format: a value from the pixel's position.
void Fill(QImage &Image) {
  const int Bytes = Image.depth() / 8;
  for (int Y = 0; Y < Image.height(); ++Y) {
    uchar *Row = Image.scanLine(Y);
    for (int X = 0; X < Image.width(); ++X)
      for (int B = 0; B < Bytes; ++B)
        Row[X * Bytes + B] = uchar(X * 7 + Y * 13 + B * 101);
  }
}

QImage Reference(QSize Size, QImage::Format Format) {
  QImage Image(Size, Format);
  if (Format == QImage::Format_Indexed8) {
    QList<QRgb> Table(256);
    for (int I = 0; I < 256; ++I)
      Table[I] = qRgb(I, 255 - I, I / 2);
    Image.setColorTable(Table);
  }
  Fill(Image);
  return Image;
}

} // namespace

class TLargeImageTest : public QObject {
  Q_OBJECT
private slots:
  void SameAsQtImage_data();
  void SameAsQtImage();
};

void TLargeImageTest::SameAsQtImage_data() {
  QTest::addColumn<QSize>("Size");
  QTest::addColumn<QImage::Format>("Format");
  // Below the threshold: a plain QImage.
  QTest::addRow("small-rgb32") << QSize(480, 272) << QImage::Format_RGB32;
  // At and above it, with widths whose rows need padding to 32 bits.
  QTest::addRow("large-rgb32") << QSize(1500, 1400) << QImage::Format_RGB32;
  QTest::addRow("large-rgb32-odd-width") << QSize(2049, 1025) << QImage::Format_RGB32;
  QTest::addRow("large-argb32") << QSize(2000, 1100) << QImage::Format_ARGB32;
  QTest::addRow("large-indexed8-padded-rows") << QSize(4099, 2100) << QImage::Format_Indexed8;
  QTest::addRow("large-rgb888-padded-rows") << QSize(2731, 1030) << QImage::Format_RGB888;
}

void TLargeImageTest::SameAsQtImage() {
  QFETCH(QSize, Size);
  QFETCH(QImage::Format, Format);
  const QImage Expected = Reference(Size, Format);
  QImage Image = NewLargeImage(Size, Format);
  QVERIFY(!Image.isNull());
  QCOMPARE(Image.size(), Size);
  QCOMPARE(Image.format(), Format);
  QCOMPARE(Image.bytesPerLine(), Expected.bytesPerLine());
#if defined(__linux__)
  // A large one starts on a huge page, where the kernel can map it in 2 MiB pages.
  if (Expected.sizeInBytes() >= LargeImageBytes)
    QCOMPARE(quintptr(Image.constBits()) % (quintptr(2) << 20), quintptr(0));
#endif
  if (Format == QImage::Format_Indexed8)
    Image.setColorTable(Expected.colorTable());
  Fill(Image);
  for (int Y = 0; Y < Size.height(); Y += 97)
    for (int X = 0; X < Size.width(); X += 89)
      QCOMPARE(Image.pixel(X, Y), Expected.pixel(X, Y));
  QCOMPARE(Image.pixel(Size.width() - 1, Size.height() - 1),
           Expected.pixel(Size.width() - 1, Size.height() - 1));
  QCOMPARE(Image, Expected);
}

QTEST_GUILESS_MAIN(TLargeImageTest)
#include "tst_largeimage.moc"
