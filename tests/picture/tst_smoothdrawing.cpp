// The picture box with smoothing on, drawn in a white 480 x 272 frame: a shrunk picture is the
// area average of its light, computed here independently in double precision, within a small
// error; fine stripes become an even grey, not moire; transparent pixels lend no colour to
// their neighbours.
#include "picture/codecs/jpegcodec.h"
#include "picture/kinds/bitmap.h"
#include "picture/image.h"
#include "support/whiteframe.h"

#include <QFile>
#include <QTest>

#include <array>
#include <cmath>
#include <vector>

namespace {

double ToLinear(int Encoded) {
  const double V = Encoded / 255.0;
  return V <= 0.04045 ? V / 12.92 : std::pow((V + 0.055) / 1.055, 2.4);
}

double ToEncoded(double Linear) {
  const double E = Linear <= 0.0031308 ? Linear * 12.92 : 1.055 * std::pow(Linear, 1 / 2.4) - 0.055;
  return 255 * E;
}

// How much of each source pixel [S, S + 1) the destination pixel D of Dest pixels spread over
// Source ones covers, for every D: the weights of an exact area average.
std::vector<std::vector<std::pair<int, double>>> Coverage(int Source, int Dest) {
  std::vector<std::vector<std::pair<int, double>>> Weights(static_cast<size_t>(Dest));
  for (int D = 0; D < Dest; ++D) {
    const double From = double(D) * Source / Dest, To = double(D + 1) * Source / Dest;
    for (int S = int(std::floor(From)); S < std::min(Source, int(std::ceil(To))); ++S) {
      const double Overlap = std::min(To, S + 1.0) - std::max(From, double(S));
      if (Overlap > 0)
        Weights[size_t(D)].emplace_back(S, Overlap / (To - From));
    }
  }
  return Weights;
}

// The opaque picture shrunk to Dest by averaging its light over each destination pixel's area,
// encoded again without rounding.
std::vector<std::array<double, 3>> AreaAverage(const QImage &Picture, QSize Dest) {
  const auto Columns = Coverage(Picture.width(), Dest.width());
  const auto Rows = Coverage(Picture.height(), Dest.height());
  std::vector<std::array<double, 3>> Result;
  for (int Y = 0; Y < Dest.height(); ++Y) {
    for (int X = 0; X < Dest.width(); ++X) {
      std::array<double, 3> Light{};
      for (const auto &[Sy, Wy] : Rows[size_t(Y)])
        for (const auto &[Sx, Wx] : Columns[size_t(X)]) {
          const QRgb P = Picture.pixel(Sx, Sy);
          Light[0] += Wx * Wy * ToLinear(qRed(P));
          Light[1] += Wx * Wy * ToLinear(qGreen(P));
          Light[2] += Wx * Wy * ToLinear(qBlue(P));
        }
      Result.push_back({ToEncoded(Light[0]), ToEncoded(Light[1]), ToEncoded(Light[2])});
    }
  }
  return Result;
}

// The frame as shown with Picture in the box at Box, stretched and smoothed.
QImage ShowSmoothed(const QImage &Picture, const QRect &Box) {
  QWidget Frame;
  Frame.resize(480, 272);
  PaintWhite(Frame);
  TImage Image(&Frame);
  Image.SetPicture(std::make_unique<TBitmap>(Picture));
  Image.SetStretch(true);
  Image.SetSmooth(true);
  Image.SetBounds(Box.x(), Box.y(), Box.width(), Box.height());
  return RenderFrame(Frame, QWidget::DrawChildren);
}

QString At(int X, int Y) { return QStringLiteral("pixel %1,%2").arg(X).arg(Y); }

} // namespace

class TSmoothDrawingTest : public QObject {
  Q_OBJECT
private slots:
  void StripesBecomeEvenGrey_data();
  void StripesBecomeEvenGrey();
  void PhotoIsAreaAverage_data();
  void PhotoIsAreaAverage();
  void TransparencyLendsNoColour_data();
  void TransparencyLendsNoColour();
};

void TSmoothDrawingTest::StripesBecomeEvenGrey_data() {
  QTest::addColumn<int>("Pattern"); // 0 columns, 1 rows, 2 checkerboard
  QTest::addRow("1-pixel columns") << 0;
  QTest::addRow("1-pixel rows") << 1;
  QTest::addRow("checkerboard") << 2;
}

void TSmoothDrawingTest::StripesBecomeEvenGrey() {
  QFETCH(int, Pattern);
  // Black and white in equal parts, shrunk 4 times to fill the frame.
  QImage Stripes(4 * 480, 4 * 272, QImage::Format_RGB32);
  for (int Y = 0; Y < Stripes.height(); ++Y)
    for (int X = 0; X < Stripes.width(); ++X) {
      const int Bit = Pattern == 0 ? X : Pattern == 1 ? Y : X + Y;
      Stripes.setPixel(X, Y, Bit % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    }
  const QImage Shot = ShowSmoothed(Stripes, QRect(0, 0, 480, 272));
  // Half the light of white: 188 once encoded, not the 127 or 128 of averaged codes.
  const int Grey = int(std::lround(ToEncoded(0.5)));
  QCOMPARE(Grey, 188);
  for (int Y = 0; Y < 272; ++Y)
    for (int X = 0; X < 480; ++X) {
      const QRgb P = Shot.pixel(X, Y);
      for (const int C : {qRed(P), qGreen(P), qBlue(P)})
        if (std::abs(C - Grey) > 1)
          QFAIL(qPrintable(At(X, Y) + QStringLiteral(" is %1").arg(C)));
    }
}

void TSmoothDrawingTest::PhotoIsAreaAverage_data() {
  QTest::addColumn<QRect>("Cut");  // of the photograph
  QTest::addColumn<QRect>("Box");  // in the frame
  QTest::addColumn<double>("Psnr"); // at least, in dB
  // Nearest-pixel drawing is off by up to 58 here.
  // 480 x 360: 10 times smaller, each frame pixel the average of 10 x 10 photo pixels.
  QTest::addRow("10 times") << QRect(0, 0, 480, 360) << QRect(20, 30, 48, 36) << 40.0;
  // Odd sizes (the reduced levels end in half pixels) and no whole ratio.
  QTest::addRow("odd, 7.3 and 8.9 times") << QRect(1, 2, 477, 355) << QRect(3, 5, 65, 40) << 45.0;
  QTest::addRow("2.6 times, clipped") << QRect(0, 0, 480, 360) << QRect(-40, 200, 185, 138)
                                      << 45.0;
}

void TSmoothDrawingTest::PhotoIsAreaAverage() {
  QFETCH(QRect, Cut);
  QFETCH(QRect, Box);
  QFETCH(double, Psnr);
  QFile File(QStringLiteral(ZELVANE_TESTDATA "/jpeg/pillow/flower.jpg"));
  QVERIFY(File.open(QIODevice::ReadOnly));
  const QImage Photo = DecodeJpeg(File.readAll()).convertToFormat(QImage::Format_RGB32).copy(Cut);
  QCOMPARE(Photo.size(), Cut.size());
  const QImage Shot = ShowSmoothed(Photo, Box);
  const auto Expected = AreaAverage(Photo, Box.size());

  double Squares = 0;
  int Count = 0;
  for (int Y = 0; Y < Box.height(); ++Y)
    for (int X = 0; X < Box.width(); ++X) {
      const QPoint Shown = Box.topLeft() + QPoint(X, Y);
      if (!QRect(0, 0, 480, 272).contains(Shown))
        continue;
      const QRgb P = Shot.pixel(Shown);
      const auto &E = Expected[size_t(Y * Box.width() + X)];
      const int Got[3] = {qRed(P), qGreen(P), qBlue(P)};
      // The picture is averaged down in steps of 2 x 2 first, and the frame pixels take
      // parts of those steps' pixels as if each were even: a hard edge inside one moves by
      // up to a fifth of a frame pixel, and a pixel on it is off by up to a fifth of its
      // contrast. A quarter of the whole range is beyond that: a wrong pixel.
      constexpr double MaxError = 64;
      for (int C = 0; C < 3; ++C) {
        const double Error = Got[C] - E[size_t(C)];
        // A single pixel far off is a fault that an average would hide.
        if (std::abs(Error) > MaxError)
          QFAIL(qPrintable(At(Shown.x(), Shown.y()) + QStringLiteral(" off by %1").arg(Error)));
        Squares += Error * Error;
        ++Count;
      }
    }
  QVERIFY(Count > 0);
  const double Measured = 10 * std::log10(255.0 * 255.0 / (Squares / Count));
  QVERIFY2(Measured >= Psnr, qPrintable(QStringLiteral("%1 dB").arg(Measured)));
}

void TSmoothDrawingTest::TransparencyLendsNoColour_data() {
  QTest::addColumn<QRect>("Box");
  QTest::addRow("shrunk 4 times") << QRect(10, 10, 100, 75);
  QTest::addRow("shrunk 5.4 times") << QRect(10, 10, 74, 55);
  QTest::addRow("enlarged 2.3 times") << QRect(0, 0, 460, 345);
}

void TSmoothDrawingTest::TransparencyLendsNoColour() {
  QFETCH(QRect, Box);
  // Opaque red shapes on fully transparent black. Blended over the white frame, every pixel
  // is some mix of red and white, whose red is full: black taken into the filter along with
  // the transparent pixels would show as a darker red at every edge.
  QImage Shapes(400, 300, QImage::Format_ARGB32);
  Shapes.fill(0);
  for (int Y = 0; Y < 300; ++Y)
    for (int X = 0; X < 400; ++X)
      if ((X / 37 + Y / 29) % 2 == 0 || (X - 200) * (X - 200) + (Y - 150) * (Y - 150) < 3000)
        Shapes.setPixel(X, Y, qRgba(255, 0, 0, 255));
  const QImage Shot = ShowSmoothed(Shapes, Box);
  int Mixed = 0;
  for (int Y = 0; Y < 272; ++Y)
    for (int X = 0; X < 480; ++X) {
      const QRgb P = Shot.pixel(X, Y);
      if (qRed(P) < 254)
        QFAIL(qPrintable(At(X, Y) + QStringLiteral(" has red %1").arg(qRed(P))));
      Mixed += qGreen(P) > 0 && qGreen(P) < 255;
    }
  // The edges are blended, not cut at the nearest pixel.
  QVERIFY(Mixed > 0);
}

QTEST_MAIN(TSmoothDrawingTest)
#include "tst_smoothdrawing.moc"
