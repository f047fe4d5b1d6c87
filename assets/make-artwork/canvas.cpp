#include "canvas.h"

TCanvas::TCanvas(QSize FinalSize, int Scale)
    : FScale(Scale), FImage(FinalSize * Scale, QImage::Format_ARGB32_Premultiplied) {
  FImage.fill(Qt::transparent);
}

QImage TCanvas::Layer(const std::function<void(QPainter &)> &Paint) const {
  QImage Result(FImage.size(), QImage::Format_ARGB32_Premultiplied);
  Result.fill(Qt::transparent);
  QPainter Painter(&Result);
  Painter.setRenderHint(QPainter::Antialiasing);
  Painter.setRenderHint(QPainter::SmoothPixmapTransform);
  Painter.scale(FScale, FScale);
  Paint(Painter);
  return Result;
}

void TCanvas::Draw(const std::function<void(QPainter &)> &Paint) {
  QPainter Painter(&FImage);
  Painter.setRenderHint(QPainter::Antialiasing);
  Painter.setRenderHint(QPainter::SmoothPixmapTransform);
  Painter.scale(FScale, FScale);
  Paint(Painter);
}

QImage TCanvas::Final() const { return Downsample(FImage, FScale); }

QImage Downsample(const QImage &Source, int Factor) {
  const QImage Image = Source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QImage Result(Image.width() / Factor, Image.height() / Factor,
                QImage::Format_ARGB32_Premultiplied);
  const int Count = Factor * Factor;
  for (int Y = 0; Y < Result.height(); ++Y) {
    QRgb *Target = reinterpret_cast<QRgb *>(Result.scanLine(Y));
    for (int X = 0; X < Result.width(); ++X) {
      int R = 0, G = 0, B = 0, A = 0;
      for (int Dy = 0; Dy < Factor; ++Dy) {
        const QRgb *Row = reinterpret_cast<const QRgb *>(Image.constScanLine(Y * Factor + Dy));
        for (int Dx = 0; Dx < Factor; ++Dx) {
          const QRgb Pixel = Row[X * Factor + Dx];
          R += qRed(Pixel), G += qGreen(Pixel), B += qBlue(Pixel), A += qAlpha(Pixel);
        }
      }
      const int Half = Count / 2;
      Target[X] =
          qRgba((R + Half) / Count, (G + Half) / Count, (B + Half) / Count, (A + Half) / Count);
    }
  }
  return Result;
}
