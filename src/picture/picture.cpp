#include "picture.h"
#include "sampling.h"

#include <QPainter>

#include <stdexcept>

QImage TPicture::ToBitmapImage() {
  throw std::runtime_error(
      QString("Cannot assign a %1 to a TBitmap").arg(QLatin1String(ClassName())).toStdString());
}

int TRasterPicture::Width() const { return FImage.width(); }

int TRasterPicture::Height() const { return FImage.height(); }

const QImage &TRasterPicture::Image() { return FImage; }

void TRasterPicture::SetImage(QImage Image) {
  FImage = std::move(Image);
  Changed();
}

void TRasterPicture::Changed() {
  FCache = QImage();
  FCacheKey = 0;
}

void TRasterPicture::Draw(QPainter &Painter, const QRect &Dest, const QRect &Clip) {
  const QRect Visible = Dest & Clip;
  if (Visible.isEmpty())
    return;
  const QImage &Source = Image();
  if (Source.isNull())
    return;
  const QRect Part = Visible.translated(-Dest.topLeft());
  if (FCache.isNull() || FCacheKey != Source.cacheKey() || FCacheDestSize != Dest.size() ||
      FCachePart != Part) {
    FCache = SampleNearest(Source, Dest.size(), Part);
    FCacheKey = Source.cacheKey();
    FCacheDestSize = Dest.size();
    FCachePart = Part;
  }
  Painter.drawImage(Visible.topLeft(), FCache);
}

QImage TRasterPicture::ToBitmapImage() { return FlattenOverWhite(Image()); }

QImage FlattenOverWhite(const QImage &Image) {
  if (Image.isNull())
    return QImage();
  QImage Result = Image.hasAlphaChannel() ? QImage(Image.size(), QImage::Format_RGB32)
                                           : Image.convertToFormat(QImage::Format_RGB32);
  if (Result.isNull())
    throw std::runtime_error("Out of memory");
  if (!Image.hasAlphaChannel())
    return Result;
  Result.fill(Qt::white);
  QPainter Painter(&Result);
  Painter.drawImage(0, 0, Image);
  return Result;
}
