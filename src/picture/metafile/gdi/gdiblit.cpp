// Bitmaps, raster operations and gradients of the drawing context.
#include "picture/metafile/gdi/gdicontext.h"

#include <QLinearGradient>

#include <algorithm>
#include <cmath>

namespace {

// The ternary raster operation Table (bit P*4 + S*2 + D) applied bitwise to three colours.
quint32 Ternary(quint8 Table, quint32 P, quint32 S, quint32 D) {
  quint32 Result = 0;
  for (int I = 0; I < 8; ++I)
    if ((Table >> I) & 1)
      Result |= ((I & 4) ? P : ~P) & ((I & 2) ? S : ~S) & ((I & 1) ? D : ~D);
  return Result;
}

bool UsesSource(quint8 T) { return ((T >> 2) & 0x33) != (T & 0x33); }
bool UsesPattern(quint8 T) { return ((T >> 4) & 0x0F) != (T & 0x0F); }

// A premultiplied pixel composed over white, as an opaque RGB value.
quint32 OverWhite(QRgb Pixel) {
  const int A = qAlpha(Pixel);
  return 0xFF000000u | (quint32(std::min(255, qRed(Pixel) + 255 - A)) << 16) |
         (quint32(std::min(255, qGreen(Pixel) + 255 - A)) << 8) |
         quint32(std::min(255, qBlue(Pixel) + 255 - A));
}

QImage NewLayer(QSize Size) {
  QImage Layer(Size, QImage::Format_ARGB32_Premultiplied);
  if (!Layer.isNull())
    Layer.fill(Qt::transparent);
  return Layer;
}

}  // namespace

void TGdiContext::CombineRop(const QRect &Area, const QImage *Source, const QImage *Pattern,
                             const QImage *Coverage, const QImage *MaskLayer,
                             quint32 RasterOp) {
  const quint8 Foreground = (RasterOp >> 16) & 0xFF;
  const quint8 Background = MaskLayer ? (RasterOp >> 24) & 0xFF : Foreground;
  const QRect Target = Area & FCanvas.rect();
  // Layers are premultiplied and of Area's size.
  auto At = [](const QImage *Layer, int X, int Y) {
    return reinterpret_cast<const QRgb *>(Layer->constScanLine(Y))[X];
  };
  for (int Y = Target.top(); Y <= Target.bottom(); ++Y) {
    QRgb *Row = reinterpret_cast<QRgb *>(FCanvas.scanLine(Y));
    const int Ly = Y - Area.top();
    for (int X = Target.left(); X <= Target.right(); ++X) {
      const int Lx = X - Area.left();
      if (Coverage && qAlpha(At(Coverage, Lx, Ly)) < 128)
        continue;
      const quint32 D = OverWhite(Row[X]);
      const quint32 S = Source ? OverWhite(At(Source, Lx, Ly)) : 0;
      const quint32 P = Pattern ? OverWhite(At(Pattern, Lx, Ly)) : 0;
      const bool Fore = !MaskLayer || qRed(At(MaskLayer, Lx, Ly)) >= 128;
      Row[X] = 0xFF000000u | (Ternary(Fore ? Foreground : Background, P, S, D) & 0xFFFFFF);
    }
  }
}

// Where a blit lands on the canvas and how its source maps there.
struct TGdiContext::TBlitPlace {
  QPolygonF Quad;       // the destination's corners
  QRectF Box;           // ... and their bounding box
  QTransform SourceToOutput;  // source pixels to canvas pixels
  QRectF Part;          // the part of the source rectangle inside the bitmap
  bool Smooth = false;  // halftone stretching
};

namespace {

// Ternary raster operations drawn without looking at the destination pixel by pixel.
constexpr quint8 RopDstCopy = 0xAA, RopSrcCopy = 0xCC, RopPatCopy = 0xF0, RopBlackness = 0x00,
                 RopWhiteness = 0xFF;

void DrawSource(QPainter &Painter, const QImage &Pixels, const TGdiContext::TBlitPlace &At) {
  Painter.save();
  Painter.setRenderHint(QPainter::SmoothPixmapTransform, At.Smooth);
  Painter.setTransform(At.SourceToOutput, true);
  Painter.drawImage(At.Part.topLeft(), Pixels, At.Part);
  Painter.restore();
}

QPainterPath QuadPath(const QPolygonF &Quad) {
  QPainterPath Shape;
  Shape.addPolygon(Quad);
  Shape.closeSubpath();
  return Shape;
}

// The source's pixels for blending: with their alpha, or opaque with the transparent colour
// cleared.
QImage BlendPixels(const TGdiBlit &B) {
  const QImage &Image = B.Source->Image;
  if (B.Kind == TGdiBlit::AlphaBlend)
    return Image.convertToFormat(B.SourceAlpha ? QImage::Format_ARGB32_Premultiplied
                                               : QImage::Format_RGB32);
  QImage Pixels = Image.convertToFormat(QImage::Format_ARGB32);
  const QRgb Key = B.TransparentColor | 0xFF000000u;
  for (int Row = 0; Row < Pixels.height(); ++Row) {
    QRgb *Line = reinterpret_cast<QRgb *>(Pixels.scanLine(Row));
    for (int Col = 0; Col < Pixels.width(); ++Col)
      if ((Line[Col] | 0xFF000000u) == Key)
        Line[Col] = 0;
  }
  return Pixels;
}

}  // namespace

bool TGdiContext::PlaceBlit(const TGdiBlit &B, TBlitPlace &At) {
  // Where the destination's corners land; on a straight mapping on whole pixels.
  const bool Straight = Transform().type() <= QTransform::TxScale;
  auto Corner = [&](QPointF Logical) {
    return Straight ? QPointF(MapPoint(Logical)) : MapPointF(Logical);
  };
  QPointF O = Corner(B.DestOrigin);
  QPointF X = Corner(B.DestOrigin + QPointF(B.DestExtent.width(), 0));
  QPointF Y = Corner(B.DestOrigin + QPointF(0, B.DestExtent.height()));
  if (B.HasCorners) {
    O = Corner(B.Corners[0]);
    X = Corner(B.Corners[1]);
    Y = Corner(B.Corners[2]);
  } else if (B.DeviceExtent) {
    const QTransform &D = FDevice.DeviceToOutput;
    X = O + QPointF(std::round(B.DestExtent.width() * D.m11()), 0);
    Y = O + QPointF(0, std::round(B.DestExtent.height() * D.m22()));
  }
  At.Quad = QPolygonF{O, X, X + (Y - O), Y};
  At.Box = At.Quad.boundingRect();
  if (!(At.Box.width() >= 1) && !(At.Box.height() >= 1))
    return false;
  At.Smooth = FState.StretchMode == Gdi::Halftone;
  if (!B.Source)
    return true;
  // Source pixels to canvas pixels, from the whole source rectangle; the part of it inside
  // the bitmap is what gets drawn.
  const QRectF R = B.SourceRect;
  if (R.width() == 0 || R.height() == 0)
    return false;
  const QPointF Ux = (X - O) / R.width(), Uy = (Y - O) / R.height();
  const QTransform Linear(Ux.x(), Ux.y(), Uy.x(), Uy.y(), 0, 0);
  const QPointF Shift = O - Linear.map(R.topLeft());
  At.SourceToOutput = QTransform(Ux.x(), Ux.y(), Uy.x(), Uy.y(), Shift.x(), Shift.y());
  if (!At.SourceToOutput.isInvertible())
    return false;
  At.Part = B.SourceRect.normalized() & QRectF(B.Source->Image.rect());
  return !At.Part.isEmpty();
}

void TGdiContext::Blit(const TGdiBlit &B) {
  const QRectF Wanted = B.SourceRect.normalized();
  const QImage *Image = B.Source ? &B.Source->Image : nullptr;
  if (B.Source && (Image->isNull() || !(Wanted.width() > 0) || !(Wanted.height() > 0)))
    return;
  const quint8 Table = (B.RasterOp >> 16) & 0xFF;
  if (B.Kind == TGdiBlit::Rop && (Table == RopDstCopy || (UsesSource(Table) && !Image)))
    return;
  TBlitPlace At;
  if (!PlaceBlit(B, At))
    return;
  const int SavedRop = FState.Rop2;
  FState.Rop2 = Gdi::R2CopyPen;  // bitmaps take their own raster operation, not the pen's
  AddWork(Image ? qint64(At.Part.width()) * qint64(At.Part.height()) : 0);
  if (B.Kind == TGdiBlit::AlphaBlend || B.Kind == TGdiBlit::Transparent) {
    const QImage Pixels = BlendPixels(B);
    const double Opacity = B.Kind == TGdiBlit::AlphaBlend ? B.ConstantAlpha / 255.0 : 1.0;
    PaintOperation(At.Box, [&](QPainter &Painter) {
      Painter.save();
      Painter.setOpacity(Opacity);
      DrawSource(Painter, Pixels, At);
      Painter.restore();
    });
  } else if (Table == RopSrcCopy && !B.Mask) {
    PaintOperation(At.Box, [&](QPainter &Painter) { DrawSource(Painter, *Image, At); });
  } else if ((Table == RopPatCopy || Table == RopBlackness || Table == RopWhiteness) &&
             !B.Mask) {
    BlitFill(Table, At);
  } else {
    BlitRasterOp(B, At);
  }
  FState.Rop2 = SavedRop;
}

void TGdiContext::BlitFill(quint8 Table, const TBlitPlace &At) {
  if (Table == RopPatCopy && FState.Brush.Null())
    return;
  const QPainterPath Shape = QuadPath(At.Quad);
  const QBrush Fill = Table == RopBlackness   ? QBrush(Qt::black)
                      : Table == RopWhiteness ? QBrush(Qt::white)
                                              : MakeBrush(FState.Brush);
  const bool Hatched = Table == RopPatCopy && FState.Brush.Style == Gdi::BsHatched &&
                       FState.BkMode == Gdi::Opaque;
  PaintOperation(At.Box, [&](QPainter &Painter) {
    if (Hatched)
      Painter.fillPath(Shape, QColor::fromRgb(FState.BkColor));
    Painter.fillPath(Shape, Fill);
  });
}

void TGdiContext::BlitRasterOp(const TGdiBlit &B, const TBlitPlace &At) {
  // Any other operation, pixel by pixel over the destination: the shape covered, the
  // source, the pattern and the mask each drawn on a layer of the area, then combined.
  QRect Area = At.Box.toAlignedRect() & FDevice.Canvas;
  if (FState.Clipped || FState.MetaClipped)
    Area &= EffectiveClip().boundingRect();
  if (Area.isEmpty())
    return;
  AddWork(qint64(Area.width()) * Area.height() * 4);
  QImage Coverage = NewLayer(Area.size());
  if (Coverage.isNull())
    return;
  {
    QPainter Painter(&Coverage);
    Painter.translate(-Area.topLeft());
    ApplyClip(Painter);
    Painter.fillPath(QuadPath(At.Quad), Qt::white);
  }
  const quint8 Table = (B.RasterOp >> 16) & 0xFF, BackTable = (B.RasterOp >> 24) & 0xFF;
  QImage SourceLayer, PatternLayer, MaskLayer;
  if (B.Source && (UsesSource(Table) || (B.Mask && UsesSource(BackTable)))) {
    SourceLayer = NewLayer(Area.size());
    QPainter Painter(&SourceLayer);
    Painter.translate(-Area.topLeft());
    DrawSource(Painter, B.Source->Image, At);
  }
  if (UsesPattern(Table) || (B.Mask && UsesPattern(BackTable))) {
    PatternLayer = NewLayer(Area.size());
    QPainter Painter(&PatternLayer);
    Painter.translate(-Area.topLeft());
    if (FState.Brush.Style == Gdi::BsHatched && FState.BkMode == Gdi::Opaque)
      Painter.fillRect(Area, QColor::fromRgb(FState.BkColor));
    Painter.fillRect(Area, MakeBrush(FState.Brush));
  }
  if (B.Mask && !B.Mask->Image.isNull()) {
    QImage Mask = B.Mask->Image;
    if (Mask.format() == QImage::Format_Indexed8 && Mask.colorCount() == 2)
      Mask.setColorTable({0xFF000000u, 0xFFFFFFFFu});
    MaskLayer = NewLayer(Area.size());
    QPainter Painter(&MaskLayer);
    Painter.translate(-Area.topLeft());
    // Mask pixel (MaskOrigin) lies under source pixel (SourceRect's top-left).
    Painter.setTransform(QTransform::fromTranslate(B.SourceRect.left() - B.MaskOrigin.x(),
                                                   B.SourceRect.top() - B.MaskOrigin.y()) *
                             At.SourceToOutput,
                         true);
    Painter.drawImage(QPointF(0, 0), Mask);
  }
  CombineRop(Area, SourceLayer.isNull() ? nullptr : &SourceLayer,
             PatternLayer.isNull() ? nullptr : &PatternLayer, &Coverage,
             MaskLayer.isNull() ? nullptr : &MaskLayer, B.RasterOp);
}

void TGdiContext::GradientFill(const std::vector<TGdiVertex> &Vertices,
                               const std::vector<std::vector<quint32>> &Meshes, quint32 Mode) {
  const int SavedRop = FState.Rop2;
  FState.Rop2 = Gdi::R2CopyPen;
  for (const std::vector<quint32> &Mesh : Meshes) {
    if (Exhausted())
      break;
    bool Valid = true;
    for (quint32 Index : Mesh)
      Valid = Valid && Index < Vertices.size();
    if (!Valid)
      continue;
    const bool Rectangles = Mode == Gdi::GradientFillRectH || Mode == Gdi::GradientFillRectV;
    if (Rectangles && Mesh.size() == 2) {
      const TGdiVertex &A = Vertices[Mesh[0]], &B = Vertices[Mesh[1]];
      const QPoint Pa = MapPoint(A.Point), Pb = MapPoint(B.Point);
      const QRect Box(QPoint(std::min(Pa.x(), Pb.x()), std::min(Pa.y(), Pb.y())),
                      QPoint(std::max(Pa.x(), Pb.x()) - 1, std::max(Pa.y(), Pb.y()) - 1));
      if (!Box.isValid())
        continue;
      QLinearGradient Gradient(Pa, Mode == Gdi::GradientFillRectH ? QPointF(Pb.x(), Pa.y())
                                                                  : QPointF(Pa.x(), Pb.y()));
      Gradient.setColorAt(0, QColor::fromRgb(A.Color));
      Gradient.setColorAt(1, QColor::fromRgb(B.Color));
      PaintOperation(Box, [&](QPainter &Painter) { Painter.fillRect(Box, Gradient); });
    } else if (Mode == Gdi::GradientFillTriangle && Mesh.size() == 3) {
      const QPointF P[3] = {MapPointF(Vertices[Mesh[0]].Point), MapPointF(Vertices[Mesh[1]].Point),
                            MapPointF(Vertices[Mesh[2]].Point)};
      const QRgb C[3] = {Vertices[Mesh[0]].Color, Vertices[Mesh[1]].Color,
                         Vertices[Mesh[2]].Color};
      const QRect Area = QPolygonF({P[0], P[1], P[2]}).boundingRect().toAlignedRect() &
                         FDevice.Canvas;
      const double Det = (P[1].y() - P[2].y()) * (P[0].x() - P[2].x()) +
                         (P[2].x() - P[1].x()) * (P[0].y() - P[2].y());
      if (Area.isEmpty() || std::abs(Det) < 1e-9)
        continue;
      QImage Layer = NewLayer(Area.size());
      if (Layer.isNull())
        continue;
      AddWork(qint64(Area.width()) * Area.height());
      // Gouraud shading: each pixel centre inside the triangle takes the barycentric mix.
      for (int Y = 0; Y < Area.height(); ++Y) {
        QRgb *Line = reinterpret_cast<QRgb *>(Layer.scanLine(Y));
        const double Py = Area.top() + Y + 0.5;
        for (int X = 0; X < Area.width(); ++X) {
          const double Px = Area.left() + X + 0.5;
          const double W0 = ((P[1].y() - P[2].y()) * (Px - P[2].x()) +
                             (P[2].x() - P[1].x()) * (Py - P[2].y())) / Det;
          const double W1 = ((P[2].y() - P[0].y()) * (Px - P[2].x()) +
                             (P[0].x() - P[2].x()) * (Py - P[2].y())) / Det;
          const double W2 = 1 - W0 - W1;
          if (W0 < -1e-9 || W1 < -1e-9 || W2 < -1e-9)
            continue;
          auto Mix = [&](int (*Part)(QRgb)) {
            return std::clamp(int(std::lround(W0 * Part(C[0]) + W1 * Part(C[1]) + W2 * Part(C[2]))),
                              0, 255);
          };
          Line[X] = qRgb(Mix(qRed), Mix(qGreen), Mix(qBlue));
        }
      }
      PaintOperation(Area, [&](QPainter &Painter) { Painter.drawImage(Area.topLeft(), Layer); });
    }
  }
  FState.Rop2 = SavedRop;
}
