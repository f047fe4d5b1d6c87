#include "picture/metafile/gdi/gdicontext.h"

#include <algorithm>
#include <cmath>

namespace {

// Canvas coordinates are kept within this range, far outside any canvas, so that rounding
// and the rasteriser never see values they cannot hold.
constexpr double CoordinateLimit = 1 << 22;

double Clamp(double Value) {
  if (!std::isfinite(Value))
    return 0;
  return std::clamp(Value, -CoordinateLimit, CoordinateLimit);
}

bool Usable(double Value) { return std::isfinite(Value) && std::abs(Value) < 1e9; }

bool UsableTransform(const QTransform &T) {
  const double Values[] = {T.m11(), T.m12(), T.m21(), T.m22(), T.dx(), T.dy()};
  for (double V : Values)
    if (!Usable(V))
      return false;
  return std::abs(T.determinant()) > 1e-12;
}

// The scale of a fixed mapping mode: reference-device pixels per logical unit.
QSizeF FixedScale(int Mode, double PerMmX, double PerMmY) {
  double MmPerUnit = 0;
  switch (Mode) {
  case Gdi::MmLoMetric: MmPerUnit = 0.1; break;
  case Gdi::MmHiMetric: MmPerUnit = 0.01; break;
  case Gdi::MmLoEnglish: MmPerUnit = 0.254; break;
  case Gdi::MmHiEnglish: MmPerUnit = 0.0254; break;
  case Gdi::MmTwips: MmPerUnit = 25.4 / 1440; break;
  default: return QSizeF(1, 1);
  }
  // Fixed modes have y growing upwards.
  return QSizeF(PerMmX * MmPerUnit, -PerMmY * MmPerUnit);
}

bool ScalableMode(int Mode) { return Mode == Gdi::MmIsotropic || Mode == Gdi::MmAnisotropic; }

}  // namespace

TGdiContext::TGdiContext(QImage &Canvas, const TGdiDevice &Device, quint32 ObjectTableSize,
                         const TPlayLimits &Limits)
    : FCanvas(Canvas), FDevice(Device), FLimits(Limits), FObjects(ObjectTableSize) {
  FPainter.begin(&FCanvas);
  FPainter.setRenderHint(QPainter::Antialiasing, false);
  FPainter.setRenderHint(QPainter::TextAntialiasing, true);
  FPainter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  if (auto Font = StockObject(13))
    FState.Font = std::get<TGdiFont>(*Font);
}

TGdiContext::~TGdiContext() { FPainter.end(); }

void TGdiContext::AddWork(qint64 Pixels) { FWork += std::max<qint64>(Pixels, 1); }

bool TGdiContext::Retain(const QImage &Image) {
  const qint64 Pixels = qint64(Image.width()) * Image.height();
  if (FRetained + Pixels > FLimits.MaxRetainedPixels)
    return false;
  FRetained += Pixels;
  AddWork(Pixels);
  return true;
}

void TGdiContext::SaveDC() {
  if (int(FSaved.size()) >= FLimits.MaxSaveDepth)
    return;
  FSaved.push_back(FState);
}

void TGdiContext::RestoreDC(int Level) {
  const qint64 Depth = qint64(FSaved.size());
  // Level -1 is the last saved state; a positive level counts from the first (1).
  const qint64 Target = Level < 0 ? Depth + Level : qint64(Level) - 1;
  if (Target < 0 || Target >= Depth)
    return;
  FState = std::move(FSaved[Target]);
  FSaved.resize(Target);
  MappingChanged();
}

void TGdiContext::SetMapMode(int Mode) {
  if (Mode < Gdi::MmText || Mode > Gdi::MmAnisotropic)
    return;
  if (!FDevice.FixedViewport && ScalableMode(Mode) && !ScalableMode(FState.MapMode)) {
    // Entering a scalable mode keeps the mapping in force until extents are set.
    const QSizeF Scale = FixedScale(FState.MapMode, FDevice.PixelsPerMmX, FDevice.PixelsPerMmY);
    FState.WindowExt = QSizeF(1, 1);
    FState.ViewportExt = Scale;
  }
  FState.MapMode = Mode;
  MappingChanged();
}

void TGdiContext::SetWindowOrg(QPointF Origin) {
  if (!Usable(Origin.x()) || !Usable(Origin.y()))
    return;
  FState.WindowOrg = Origin;
  MappingChanged();
}

void TGdiContext::SetWindowExt(QSizeF Extent) {
  if (!FDevice.FixedViewport && !ScalableMode(FState.MapMode))
    return;
  if (!Usable(Extent.width()) || !Usable(Extent.height()) || Extent.width() == 0 ||
      Extent.height() == 0)
    return;
  FState.WindowExt = Extent;
  MappingChanged();
}

void TGdiContext::SetViewportOrg(QPointF Origin) {
  if (FDevice.FixedViewport || !Usable(Origin.x()) || !Usable(Origin.y()))
    return;
  FState.ViewportOrg = Origin;
  MappingChanged();
}

void TGdiContext::SetViewportExt(QSizeF Extent) {
  if (FDevice.FixedViewport || !ScalableMode(FState.MapMode))
    return;
  if (!Usable(Extent.width()) || !Usable(Extent.height()) || Extent.width() == 0 ||
      Extent.height() == 0)
    return;
  FState.ViewportExt = Extent;
  MappingChanged();
}

void TGdiContext::OffsetWindowOrg(QPointF Delta) {
  SetWindowOrg(FState.WindowOrg + Delta);
}

void TGdiContext::OffsetViewportOrg(QPointF Delta) {
  SetViewportOrg(FState.ViewportOrg + Delta);
}

void TGdiContext::ScaleWindowExt(double XNum, double XDenom, double YNum, double YDenom) {
  if (XDenom == 0 || YDenom == 0)
    return;
  SetWindowExt(QSizeF(FState.WindowExt.width() * XNum / XDenom,
                      FState.WindowExt.height() * YNum / YDenom));
}

void TGdiContext::ScaleViewportExt(double XNum, double XDenom, double YNum, double YDenom) {
  if (XDenom == 0 || YDenom == 0)
    return;
  SetViewportExt(QSizeF(FState.ViewportExt.width() * XNum / XDenom,
                        FState.ViewportExt.height() * YNum / YDenom));
}

void TGdiContext::SetWorldTransform(const QTransform &Transform) {
  if (!UsableTransform(Transform))
    return;
  FState.World = Transform;
  MappingChanged();
}

void TGdiContext::ModifyWorldTransform(const QTransform &Transform, int Mode) {
  switch (Mode) {
  case Gdi::MwtIdentity:
    FState.World = QTransform();
    MappingChanged();
    return;
  case Gdi::MwtLeftMultiply:
    SetWorldTransform(Transform * FState.World);
    return;
  case Gdi::MwtRightMultiply:
    SetWorldTransform(FState.World * Transform);
    return;
  case Gdi::MwtSet:
    SetWorldTransform(Transform);
    return;
  default:
    return;
  }
}

const QTransform &TGdiContext::Transform() {
  if (FTransformValid)
    return FTransform;
  double Sx = 1, Sy = 1;
  QPointF ViewportOrg = FState.ViewportOrg;
  const int Mode = FState.MapMode;
  if (FDevice.FixedViewport || ScalableMode(Mode)) {
    const QSizeF Viewport = FDevice.FixedViewport ? FDevice.ViewportExt : FState.ViewportExt;
    Sx = Viewport.width() / FState.WindowExt.width();
    Sy = Viewport.height() / FState.WindowExt.height();
    if (Mode == Gdi::MmIsotropic) {
      const double Both = std::min(std::abs(Sx), std::abs(Sy));
      Sx = std::copysign(Both, Sx);
      Sy = std::copysign(Both, Sy);
    }
    if (FDevice.FixedViewport)
      ViewportOrg = QPointF(0, 0);
  } else {
    const QSizeF Scale = FixedScale(Mode, FDevice.PixelsPerMmX, FDevice.PixelsPerMmY);
    Sx = Scale.width();
    Sy = Scale.height();
  }
  const QTransform Page = QTransform::fromTranslate(-FState.WindowOrg.x(), -FState.WindowOrg.y()) *
                          QTransform::fromScale(Sx, Sy) *
                          QTransform::fromTranslate(ViewportOrg.x(), ViewportOrg.y());
  FTransform = FState.World * Page * FDevice.DeviceToOutput;
  FTransformValid = true;
  return FTransform;
}

QPointF TGdiContext::MapPointF(QPointF Logical) {
  const QPointF P = Transform().map(Logical);
  return QPointF(Clamp(P.x()), Clamp(P.y()));
}

QPoint TGdiContext::MapPoint(QPointF Logical) {
  const QPointF P = MapPointF(Logical);
  return QPoint(static_cast<int>(std::lround(P.x())), static_cast<int>(std::lround(P.y())));
}

double TGdiContext::MapLength(double Logical) {
  const double Scale = std::sqrt(std::abs(Transform().determinant()));
  const double Result = std::abs(Logical) * Scale;
  return std::isfinite(Result) ? std::min(Result, CoordinateLimit) : 0;
}

void TGdiContext::SelectObject(quint32 Index) {
  if (const TGdiObject *Object = FObjects.Get(Index))
    Select(*Object);
}

void TGdiContext::SelectStock(quint32 Id) {
  if (auto Object = StockObject(Id))
    Select(*Object);
}

void TGdiContext::Select(const TGdiObject &Object) {
  if (auto *Pen = std::get_if<TGdiPen>(&Object))
    FState.Pen = *Pen;
  else if (auto *Brush = std::get_if<TGdiBrush>(&Object))
    FState.Brush = *Brush;
  else if (auto *Font = std::get_if<TGdiFont>(&Object))
    FState.Font = *Font;
  else if (auto *Palette = std::get_if<TGdiPalette>(&Object))
    FState.Palette = Palette->Colors;
  else if (auto *Region = std::get_if<TGdiRegion>(&Object)) {
    const QRegion Output = LogicalRegion(Region->Rects);
    SelectClipRegion(&Output, Gdi::RgnCopy);
  }
}

QRegion TGdiContext::EffectiveClip() const {
  QRegion Region(FDevice.Canvas);
  if (FState.MetaClipped)
    Region &= FState.MetaClip;
  if (FState.Clipped)
    Region &= FState.Clip;
  return Region;
}

void TGdiContext::ApplyClip(QPainter &Painter) const {
  if (!FState.Clipped && !FState.MetaClipped)
    Painter.setClipping(false);
  else
    Painter.setClipRegion(EffectiveClip());
}

void TGdiContext::SetClip(const QRegion &Region, int Mode) {
  const QRegion Current = FState.Clipped ? FState.Clip : QRegion(FDevice.Canvas);
  QRegion Result;
  switch (Mode) {
  case Gdi::RgnAnd: Result = Current & Region; break;
  case Gdi::RgnOr: Result = Current | Region; break;
  case Gdi::RgnXor: Result = Current ^ Region; break;
  case Gdi::RgnDiff: Result = Current - Region; break;
  case Gdi::RgnCopy: Result = Region; break;
  default: return;
  }
  FState.Clip = Result & QRegion(FDevice.Canvas);
  FState.Clipped = true;
}

void TGdiContext::IntersectClipRect(QPointF TopLeft, QPointF BottomRight) {
  SetClip(LogicalRegion({QRect(QPoint(int(TopLeft.x()), int(TopLeft.y())),
                               QPoint(int(BottomRight.x()) - 1, int(BottomRight.y()) - 1))}),
          Gdi::RgnAnd);
}

void TGdiContext::ExcludeClipRect(QPointF TopLeft, QPointF BottomRight) {
  SetClip(LogicalRegion({QRect(QPoint(int(TopLeft.x()), int(TopLeft.y())),
                               QPoint(int(BottomRight.x()) - 1, int(BottomRight.y()) - 1))}),
          Gdi::RgnDiff);
}

void TGdiContext::OffsetClipRegion(QPointF LogicalDelta) {
  if (!FState.Clipped)
    return;
  const QPointF Delta = MapPointF(LogicalDelta) - MapPointF(QPointF(0, 0));
  FState.Clip.translate(int(std::lround(Delta.x())), int(std::lround(Delta.y())));
  FState.Clip &= QRegion(FDevice.Canvas);
}

void TGdiContext::SelectClipRegion(const QRegion *Region, int Mode) {
  if (Region == nullptr) {
    if (Mode == Gdi::RgnCopy) {
      FState.Clipped = false;
      FState.Clip = QRegion();
    }
    return;
  }
  SetClip(*Region, Mode);
}

void TGdiContext::SetMetaRegion() {
  if (!FState.Clipped)
    return;
  FState.MetaClip = EffectiveClip();
  FState.MetaClipped = true;
  FState.Clipped = false;
  FState.Clip = QRegion();
}

QRegion TGdiContext::DeviceRegion(const QList<QRect> &Rects) const {
  QRegion Region;
  for (const QRect &R : Rects) {
    // Region rectangles exclude their right and bottom edges.
    const QPointF A = FDevice.DeviceToOutput.map(QPointF(R.left(), R.top()));
    const QPointF B = FDevice.DeviceToOutput.map(QPointF(R.right() + 1, R.bottom() + 1));
    const QRect Out(QPoint(int(std::lround(Clamp(std::min(A.x(), B.x())))),
                           int(std::lround(Clamp(std::min(A.y(), B.y()))))),
                    QPoint(int(std::lround(Clamp(std::max(A.x(), B.x())))) - 1,
                           int(std::lround(Clamp(std::max(A.y(), B.y())))) - 1));
    if (Out.isValid())
      Region += Out & FDevice.Canvas.adjusted(-1, -1, 1, 1);
  }
  return Region;
}

QRegion TGdiContext::LogicalRegion(const QList<QRect> &Rects) {
  QRegion Region;
  const QTransform &T = Transform();
  const bool Straight = T.type() <= QTransform::TxScale;
  for (const QRect &R : Rects) {
    const QPointF Corner1(R.left(), R.top()), Corner2(R.right() + 1, R.bottom() + 1);
    if (Straight) {
      const QPoint A = MapPoint(Corner1), B = MapPoint(Corner2);
      const QRect Out(QPoint(std::min(A.x(), B.x()), std::min(A.y(), B.y())),
                      QPoint(std::max(A.x(), B.x()) - 1, std::max(A.y(), B.y()) - 1));
      if (Out.isValid())
        Region += Out & FDevice.Canvas.adjusted(-1, -1, 1, 1);
    } else {
      QPolygon Polygon;
      Polygon << MapPoint(Corner1) << MapPoint(QPointF(Corner2.x(), Corner1.y()))
              << MapPoint(Corner2) << MapPoint(QPointF(Corner1.x(), Corner2.y()));
      Region += QRegion(Polygon) & FDevice.Canvas.adjusted(-1, -1, 1, 1);
    }
  }
  return Region;
}

void TGdiContext::PaintOperation(const QRectF &Box,
                                 const std::function<void(QPainter &)> &Paint) {
  const QRectF Safe(QPointF(Clamp(std::min(Box.left(), Box.right())),
                            Clamp(std::min(Box.top(), Box.bottom()))),
                    QPointF(Clamp(std::max(Box.left(), Box.right())),
                            Clamp(std::max(Box.top(), Box.bottom()))));
  if (FDevice.CollectBounds) {
    FDrawnBounds = !FHasDrawn ? Safe
                              : QRectF(QPointF(std::min(FDrawnBounds.left(), Safe.left()),
                                               std::min(FDrawnBounds.top(), Safe.top())),
                                       QPointF(std::max(FDrawnBounds.right(), Safe.right()),
                                               std::max(FDrawnBounds.bottom(), Safe.bottom())));
    FHasDrawn = true;
  }
  QRect Area = Safe.toAlignedRect().adjusted(-2, -2, 2, 2) & FDevice.Canvas;
  if (FState.Clipped || FState.MetaClipped)
    Area &= EffectiveClip().boundingRect();
  if (Area.isEmpty() || Exhausted())
    return;
  AddWork(qint64(Area.width()) * Area.height());
  if (Exhausted())
    return;
  const int Rop = FState.Rop2;
  if (Rop == Gdi::R2Nop)
    return;
  if (Rop == Gdi::R2CopyPen || Rop < Gdi::R2Black || Rop > Gdi::R2White) {
    ApplyClip(FPainter);
    Paint(FPainter);
    return;
  }
  // Any other binary operation: paint the operation alone on a layer, then combine the
  // layer's colours (the pen or brush) with the canvas, pixel by pixel.
  QImage Layer(Area.size(), QImage::Format_ARGB32_Premultiplied);
  if (Layer.isNull())
    return;
  Layer.fill(Qt::transparent);
  {
    QPainter LayerPainter(&Layer);
    LayerPainter.setRenderHint(QPainter::Antialiasing, false);
    LayerPainter.translate(-Area.topLeft());
    ApplyClip(LayerPainter);
    Paint(LayerPainter);
  }
  // The binary operation's truth table (bit P*2+D) spread over the ternary table (bit
  // P*4+S*2+D), the source not taking part.
  const int Binary = Rop - 1;
  quint32 Ternary = 0;
  for (int I = 0; I < 8; ++I)
    if ((Binary >> ((((I >> 2) & 1) << 1) | (I & 1))) & 1)
      Ternary |= 1u << I;
  CombineRop(Area, nullptr, &Layer, &Layer, nullptr, Ternary << 16);
}
