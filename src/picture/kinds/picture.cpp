#include "picture/kinds/picture.h"
#include "picture/kinds/sampling.h"
#include "picture/kinds/smoothsampling.h"
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

const QImage &TRasterPicture::Image() { return FImage; }

void TRasterPicture::SetImage(QImage Image) {
  FImage = std::move(Image);
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
  const QImage &Source = Image();
  if (Source.isNull())
    return;
  const QRect Part = Visible.translated(-Dest.topLeft());
  if (FCache.isNull() || FCacheKey != Source.cacheKey() || FCacheDestSize != Dest.size() ||
      FCachePart != Part || FCacheSmooth != Smooth) {
    if (Smooth && Dest.size() != Source.size()) {
      if (!FLevels || FLevelsKey != Source.cacheKey()) {
        FLevels = std::make_unique<TReducedLevels>(Source);
        FLevelsKey = Source.cacheKey();
      }
      FCache = SampleSmooth(Source, *FLevels, Dest.size(), Part);
    } else {
      FCache = SampleNearest(Source, Dest.size(), Part);
    }
    FCacheKey = Source.cacheKey();
    FCacheDestSize = Dest.size();
    FCachePart = Part;
    FCacheSmooth = Smooth;
  }
  Painter.drawImage(Visible.topLeft(), FCache);
}

QImage TRasterPicture::ToBitmapImage() { return FlattenOverWhite(Image()); }
