#include "picture/kinds/picture.h"
#include "picture/kinds/sampling.h"
#include "picture/codecs/flatten.h"

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
