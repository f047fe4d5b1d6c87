#include "picture/kinds/picture.h"
#include "picture/kinds/sampling.h"
#include "picture/codecs/colourprofile.h"
#include "picture/codecs/flatten.h"

#include <QPainter>

#include <stdexcept>

QImage TPicture::ToBitmapImage() {
  throw std::runtime_error(
      QString("Cannot assign a %1 to a TBitmap").arg(QLatin1String(ClassName())).toStdString());
}

int TRasterPicture::Width() const { return FImage.width(); }

int TRasterPicture::Height() const { return FImage.height(); }

const QImage &TRasterPicture::DecodedImage() { return FImage; }

const QImage &TRasterPicture::Image() {
  DecodedImage();
  if (FColour) {
    FColour->ConvertImage(FImage);
    FColour.reset();
    Changed();
  }
  return FImage;
}

void TRasterPicture::SetImage(QImage Image, std::shared_ptr<const TColourTransform> Colour) {
  FImage = std::move(Image);
  FColour = std::move(Colour);
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
  const QImage &Source = DecodedImage();
  if (Source.isNull())
    return;
  const QRect Part = Visible.translated(-Dest.topLeft());
  if (FCache.isNull() || FCacheKey != Source.cacheKey() || FCacheDestSize != Dest.size() ||
      FCachePart != Part) {
    FCache = SampleNearest(Source, Dest.size(), Part);
    if (FColour)
      FColour->ConvertImage(FCache);
    FCacheKey = Source.cacheKey();
    FCacheDestSize = Dest.size();
    FCachePart = Part;
  }
  Painter.drawImage(Visible.topLeft(), FCache);
}

QImage TRasterPicture::ToBitmapImage() { return FlattenOverWhite(Image()); }
