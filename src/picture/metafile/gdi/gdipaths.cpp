// Regions and paths of the drawing context.
#include "picture/metafile/gdi/gdicontext.h"

#include <QPainterPathStroker>

#include <algorithm>

void TGdiContext::FillRegion(const QRegion &Region, const TGdiBrush &Brush) {
  if (Region.isEmpty() || Brush.Null())
    return;
  QPainterPath Path;
  Path.addRegion(Region);
  const QBrush Fill = MakeBrush(Brush);
  const bool Hatched = Brush.Style == Gdi::BsHatched && FState.BkMode == Gdi::Opaque;
  const QColor Bk = QColor::fromRgb(FState.BkColor);
  PaintOperation(Region.boundingRect(), [&](QPainter &Painter) {
    if (Hatched)
      Painter.fillPath(Path, Bk);
    Painter.fillPath(Path, Fill);
  });
}

void TGdiContext::FrameRegion(const QRegion &Region, const TGdiBrush &Brush, int Width,
                              int Height) {
  Width = std::clamp(Width, 1, 4096);
  Height = std::clamp(Height, 1, 4096);
  const QRegion Inner = Region & Region.translated(Width, 0) & Region.translated(-Width, 0) &
                        Region.translated(0, Height) & Region.translated(0, -Height);
  FillRegion(Region - Inner, Brush);
}

void TGdiContext::InvertRegion(const QRegion &Region) {
  const int Saved = FState.Rop2;
  FState.Rop2 = Gdi::R2Not;
  TGdiBrush Black;
  Black.Color = 0xFF000000;
  FillRegion(Region, Black);
  FState.Rop2 = Saved;
}

void TGdiContext::BeginPath() {
  FInPath = true;
  FPath = QPainterPath();
  FFigureOpen = false;
}

void TGdiContext::EndPath() { FInPath = false; }

void TGdiContext::AbortPath() {
  FInPath = false;
  FPath = QPainterPath();
}

void TGdiContext::CloseFigure() {
  if (FInPath && FFigureOpen) {
    FPath.closeSubpath();
    FFigureOpen = false;
  }
}

void TGdiContext::FillPath() {
  if (FInPath)
    return;
  FPath.setFillRule(FState.FillMode == Gdi::Winding ? Qt::WindingFill : Qt::OddEvenFill);
  DrawPath(FPath, true, false);
  FPath = QPainterPath();
}

void TGdiContext::StrokePath() {
  if (FInPath)
    return;
  DrawPath(FPath, false, true);
  FPath = QPainterPath();
}

void TGdiContext::StrokeAndFillPath() {
  if (FInPath)
    return;
  FPath.setFillRule(FState.FillMode == Gdi::Winding ? Qt::WindingFill : Qt::OddEvenFill);
  DrawPath(FPath, true, true);
  FPath = QPainterPath();
}

void TGdiContext::FlattenPath() {
  QPainterPath Flat;
  for (const QPolygonF &Polygon : FPath.toSubpathPolygons()) {
    Flat.addPolygon(Polygon);
    if (Polygon.size() > 2 && Polygon.isClosed())
      Flat.closeSubpath();
  }
  FPath = Flat;
}

void TGdiContext::WidenPath() {
  QPainterPathStroker Stroker(MakePen(std::max(1.0, PenPixels())));
  FPath = Stroker.createStroke(FPath);
}

void TGdiContext::SelectClipPath(int Mode) {
  if (FInPath)
    return;
  FPath.setFillRule(FState.FillMode == Gdi::Winding ? Qt::WindingFill : Qt::OddEvenFill);
  const QRegion Region(FPath.toFillPolygon().toPolygon(), FPath.fillRule());
  SetClip(Region, Mode);
  FPath = QPainterPath();
}
