#pragma once

#include <QImage>
#include <QPainter>

#include <functional>

// A supersampled canvas: artwork is painted at Scale times its final size in coordinates of
// the final size, then box-averaged down, so thin details come out anti-aliased the way a
// photograph's would.
class TCanvas {
public:
  TCanvas(QSize FinalSize, int Scale);

  int Scale() const { return FScale; }
  QImage &Image() { return FImage; }

  // A transparent layer the canvas's size, painted by Paint in final-size coordinates.
  QImage Layer(const std::function<void(QPainter &)> &Paint) const;
  // Paints straight onto the canvas in final-size coordinates.
  void Draw(const std::function<void(QPainter &)> &Paint);
  // The canvas box-averaged to its final size (each Scale x Scale block becomes one pixel).
  QImage Final() const;

private:
  int FScale;
  QImage FImage;
};

// Averages each Factor x Factor block of a premultiplied ARGB picture into one pixel.
QImage Downsample(const QImage &Image, int Factor);
