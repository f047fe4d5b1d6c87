// The picture box: flags, auto-size, and nearest-pixel drawing clipped by box and frame;
// smoothing left off draws exactly that.
#include "picture/kinds/bitmap.h"
#include "picture/image.h"
#include "support/whiteframe.h"

#include <QPainter>
#include <QTest>

#include <cmath>

namespace {

// Every pixel a different colour, so a wrong source pixel cannot go unseen.
QImage Numbered(int W, int H) {
  QImage Image(W, H, QImage::Format_RGB32);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X)
      Image.setPixel(X, Y, qRgb(X & 0xFF, Y & 0xFF, ((X >> 8) << 4) | (Y >> 8)));
  return Image;
}

} // namespace

class TPictureBoxTest : public QObject {
  Q_OBJECT
private slots:
  void NearestPixel_data();
  void NearestPixel();
  void AutoSizeReplacesSizes();
  void StretchOffDrawsAtOwnSize();
  void MakeBitmapKeepsOrReplaces();
};

void TPictureBoxTest::NearestPixel_data() {
  QTest::addColumn<QSize>("Source");
  QTest::addColumn<QRect>("Box");
  // Smoothing turned on, drawn, and off again before the frame is shown: what it leaves
  // behind must not change the nearest-pixel drawing. An unscaled picture stays exact even
  // with smoothing on.
  QTest::addColumn<bool>("SmoothedBefore");
  QTest::addColumn<bool>("SmoothOn");
  QTest::addRow("unscaled") << QSize(100, 60) << QRect(10, 20, 100, 60) << false << false;
  QTest::addRow("unscaled, smoothing on") << QSize(100, 60) << QRect(10, 20, 100, 60) << true
                                          << true;
  QTest::addRow("enlarged 3x") << QSize(40, 30) << QRect(0, 0, 120, 90) << false << false;
  QTest::addRow("enlarged 3x, smoothed before") << QSize(40, 30) << QRect(0, 0, 120, 90) << true
                                                << false;
  QTest::addRow("enlarged odd") << QSize(7, 5) << QRect(3, 4, 200, 131) << false << false;
  QTest::addRow("reduced") << QSize(1000, 700) << QRect(0, 0, 333, 97) << false << false;
  QTest::addRow("reduced, smoothed before") << QSize(1000, 700) << QRect(0, 0, 333, 97) << true
                                            << false;
  QTest::addRow("clipped right and bottom")
      << QSize(300, 200) << QRect(300, 150, 450, 300) << false << false;
  QTest::addRow("clipped left and top")
      << QSize(300, 200) << QRect(-250, -100, 600, 400) << false << false;
  QTest::addRow("larger than frame")
      << QSize(3000, 2000) << QRect(-1000, -700, 3000, 2000) << false << false;
  QTest::addRow("larger than frame, smoothed before")
      << QSize(3000, 2000) << QRect(-1000, -700, 3000, 2000) << true << false;
}

void TPictureBoxTest::NearestPixel() {
  QFETCH(QSize, Source);
  QFETCH(QRect, Box);
  QFETCH(bool, SmoothedBefore);
  QFETCH(bool, SmoothOn);
  QWidget Frame;
  Frame.resize(480, 272);
  TImage Image(&Frame);
  const QImage Pixels = Numbered(Source.width(), Source.height());
  Image.SetPicture(std::make_unique<TBitmap>(Pixels));
  Image.SetStretch(true);
  Image.SetBounds(Box.x(), Box.y(), Box.width(), Box.height());
  if (SmoothedBefore) {
    Image.SetSmooth(true);
    RenderFrame(Frame, QWidget::DrawChildren);
    Image.SetSmooth(SmoothOn);
  }
  const QImage Shot = RenderFrame(Frame, QWidget::DrawChildren);

  for (int Y = 0; Y < 272; ++Y) {
    for (int X = 0; X < 480; ++X) {
      QRgb Expected = qRgb(255, 255, 255);
      if (Box.contains(X, Y)) {
        // The source pixel under the centre of the frame pixel.
        const int Sx = int(std::floor((X - Box.x() + 0.5) * Source.width() / Box.width()));
        const int Sy = int(std::floor((Y - Box.y() + 0.5) * Source.height() / Box.height()));
        Expected = Pixels.pixel(Sx, Sy);
      }
      if (Shot.pixel(X, Y) != Expected)
        QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(X).arg(Y)));
    }
  }
}

void TPictureBoxTest::AutoSizeReplacesSizes() {
  QWidget Frame;
  Frame.resize(480, 272);
  TImage Image(&Frame);
  Image.SetBounds(0, 0, 480, 272);
  Image.SetPicture(std::make_unique<TBitmap>(Numbered(64, 48)));
  QCOMPARE(Image.BoundsRect(), QRect(0, 0, 480, 272));
  Image.SetAutoSize(true);
  QCOMPARE(Image.BoundsRect(), QRect(0, 0, 64, 48));
  Image.SetWidth(300);
  Image.SetBounds(5, 6, 7, 8);
  QCOMPARE(Image.BoundsRect(), QRect(5, 6, 64, 48));
  Image.SetAutoSize(false);
  QCOMPARE(Image.BoundsRect(), QRect(5, 6, 64, 48));
  Image.SetWidth(300);
  QCOMPARE(Image.Width(), 300);
  // An empty picture does not size the box.
  Image.SetAutoSize(true);
  Image.SetPicture(std::make_unique<TBitmap>());
  QCOMPARE(Image.BoundsRect(), QRect(5, 6, 64, 48));
}

void TPictureBoxTest::StretchOffDrawsAtOwnSize() {
  QWidget Frame;
  Frame.resize(480, 272);
  TImage Image(&Frame);
  const QImage Pixels = Numbered(100, 50);
  Image.SetPicture(std::make_unique<TBitmap>(Pixels));
  Image.SetBounds(20, 10, 60, 200); // narrower and taller than the picture
  const QImage Shot = RenderFrame(Frame, QWidget::DrawChildren);
  for (int Y = 0; Y < 272; ++Y)
    for (int X = 0; X < 480; ++X) {
      const bool Inside = X >= 20 && X < 80 && Y >= 10 && Y < 60;
      const QRgb Expected = Inside ? Pixels.pixel(X - 20, Y - 10) : qRgb(255, 255, 255);
      if (Shot.pixel(X, Y) != Expected)
        QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(X).arg(Y)));
    }
}

void TPictureBoxTest::MakeBitmapKeepsOrReplaces() {
  QWidget Frame;
  TImage Image(&Frame);
  auto Bitmap = std::make_unique<TBitmap>(Numbered(3, 2));
  TBitmap *Kept = Bitmap.get();
  Image.SetPicture(std::move(Bitmap));
  QCOMPARE(&Image.MakeBitmap(), Kept);
  QCOMPARE(Kept->Width(), 3);
}

QTEST_MAIN(TPictureBoxTest)
#include "tst_picturebox.moc"
