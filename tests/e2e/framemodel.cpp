#include "framemodel.h"

#include "support/filebytes.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

QImage StretchedFrame(const QImage &Picture, const QRect &Box) {
  QImage Frame(FrameWidth, FrameHeight, QImage::Format_RGB32);
  Frame.fill(Qt::white);
  const QRect Shown = Box & Frame.rect();
  for (int Y = Shown.top(); Y <= Shown.bottom(); ++Y) {
    const int SourceY =
        int((2LL * (Y - Box.top()) + 1) * Picture.height() / (2LL * Box.height()));
    for (int X = Shown.left(); X <= Shown.right(); ++X) {
      const int SourceX =
          int((2LL * (X - Box.left()) + 1) * Picture.width() / (2LL * Box.width()));
      Frame.setPixel(X, Y, Picture.pixel(SourceX, SourceY));
    }
  }
  return Frame;
}

QImage UnscaledFrame(const QImage &Picture) {
  QImage Frame(FrameWidth, FrameHeight, QImage::Format_RGB32);
  Frame.fill(Qt::white);
  for (int Y = 0; Y < std::min(FrameHeight, Picture.height()); ++Y)
    for (int X = 0; X < std::min(FrameWidth, Picture.width()); ++X)
      Frame.setPixel(X, Y, Picture.pixel(X, Y));
  return Frame;
}

QRect DrawWatermark(QImage &Frame, const QString &Text, int RightEdge, int Top) {
  QFont Font(QStringLiteral("DejaVu Sans Condensed"));
  Font.setPixelSize(11);
  const QFontMetricsF Metrics(Font);
  const qreal Advance = Metrics.horizontalAdvance(Text);
  QPainter Painter(&Frame);
  Painter.setFont(Font);
  Painter.setPen(Qt::black);
  Painter.drawText(QPointF(RightEdge - Advance, Top + Metrics.ascent()), Text);
  const int Width = int(std::ceil(Advance));
  const int Height = int(std::ceil(Metrics.ascent() + Metrics.descent()));
  return QRect(RightEdge - Width, Top, Width, Height);
}

double MeanDifference(const QImage &A, const QImage &B, const QRect &Area,
                      const QRect &Excluding) {
  double Sum = 0;
  long Count = 0;
  const QRect Inside = Area & A.rect() & B.rect();
  for (int Y = Inside.top(); Y <= Inside.bottom(); ++Y)
    for (int X = Inside.left(); X <= Inside.right(); ++X) {
      if (Excluding.contains(X, Y))
        continue;
      Sum += MaxChannelDifference(A.pixel(X, Y), B.pixel(X, Y));
      ++Count;
    }
  return Count ? Sum / double(Count) : 0;
}

double GrayCorrelation(const QImage &Saved, const QImage &Plain, const QImage &Expected,
                       const QRect &Area) {
  double SumA = 0, SumB = 0, SumAB = 0, SumAA = 0, SumBB = 0;
  long Count = 0;
  const QRect Inside = Area & Saved.rect() & Plain.rect() & Expected.rect();
  for (int Y = Inside.top(); Y <= Inside.bottom(); ++Y)
    for (int X = Inside.left(); X <= Inside.right(); ++X) {
      const double A = qGray(Saved.pixel(X, Y)) - qGray(Plain.pixel(X, Y));
      const double B = qGray(Expected.pixel(X, Y)) - qGray(Plain.pixel(X, Y));
      SumA += A;
      SumB += B;
      SumAB += A * B;
      SumAA += A * A;
      SumBB += B * B;
      ++Count;
    }
  if (Count == 0)
    return 0;
  const double N = double(Count);
  const double Covariance = SumAB / N - (SumA / N) * (SumB / N);
  const double VarianceA = SumAA / N - (SumA / N) * (SumA / N);
  const double VarianceB = SumBB / N - (SumB / N) * (SumB / N);
  return VarianceA > 0 && VarianceB > 0 ? Covariance / std::sqrt(VarianceA * VarianceB) : 0;
}

bool FlatAround(const QImage &Frame, int X, int Y, int Radius) {
  const QRgb Centre = Frame.pixel(X, Y);
  for (int DY = -Radius; DY <= Radius; ++DY)
    for (int DX = -Radius; DX <= Radius; ++DX) {
      if (!Frame.valid(X + DX, Y + DY) || Frame.pixel(X + DX, Y + DY) != Centre)
        return false;
    }
  return true;
}
