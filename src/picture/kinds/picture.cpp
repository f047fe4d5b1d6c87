#include "picture/kinds/picture.h"
#include "picture/kinds/sampling.h"
#include "picture/kinds/smoothsampling.h"
#include "picture/codecs/colourprofile.h"
#include "picture/codecs/flatten.h"

#include <QPainter>

#include <stdexcept>

QImage TPicture::ToBitmapImage() {
  throw std::runtime_error(
      QString("Cannot assign a %1 to a TBitmap").arg(QLatin1String(ClassName())).toStdString());
}

TRasterPicture::TRasterPicture() = default;

TRasterPicture::~TRasterPicture() = default;

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
  FLevels.reset();
  FLevelsKey = 0;
}

void TRasterPicture::Draw(QPainter &Painter, const QRect &Dest, const QRect &Clip) {
  DrawSampled(Painter, Dest, Clip, false);
}

void TRasterPicture::DrawSmooth(QPainter &Painter, const QRect &Dest, const QRect &Clip) {
  DrawSampled(Painter, Dest, Clip, true);
}

void TRasterPicture::DrawSampled(QPainter &Painter, const QRect &Dest, const QRect &Clip,
                                 bool Smooth) {
  const QRect Visible = Dest & Clip;
  if (Visible.isEmpty())
    return;
  // A filter averages pixels, which no colour conversion commutes with: smooth drawing works
  // from the converted picture, while nearest-pixel drawing converts only what it samples.
  const bool Filtered = Smooth && Dest.size() != DecodedImage().size();
  const QImage &Source = Filtered ? Image() : DecodedImage();
  if (Source.isNull())
    return;
  const QRect Part = Visible.translated(-Dest.topLeft());
  if (FCache.isNull() || FCacheKey != Source.cacheKey() || FCacheDestSize != Dest.size() ||
      FCachePart != Part || FCacheSmooth != Smooth) {
    if (Filtered) {
      if (!FLevels || FLevelsKey != Source.cacheKey()) {
        FLevels = std::make_unique<TReducedLevels>(Source);
        FLevelsKey = Source.cacheKey();
      }
      FCache = SampleSmooth(Source, *FLevels, Dest.size(), Part);
    } else {
      FCache = SampleNearest(Source, Dest.size(), Part);
      if (FColour)
        FColour->ConvertImage(FCache);
    }
    FCacheKey = Source.cacheKey();
    FCacheDestSize = Dest.size();
    FCachePart = Part;
    FCacheSmooth = Smooth;
  }
  Painter.drawImage(Visible.topLeft(), FCache);
}

QImage TRasterPicture::ToBitmapImage() { return FlattenOverWhite(Image()); }
