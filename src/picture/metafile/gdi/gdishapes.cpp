// Lines and shapes of the drawing context.
#include "picture/metafile/gdi/gdicontext.h"

#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;

bool Straight(const QTransform &T) { return T.type() <= QTransform::TxScale; }

// The parametric angle, in degrees counter-clockwise on screen, of the ray from the centre
// of Box through Point, as Qt's arcs take it.
double RayAngle(const QRectF &Box, QPointF Point) {
  const QPointF C = Box.center();
  const double A = Box.width() / 2, B = Box.height() / 2;
  return std::atan2(-(Point.y() - C.y()) / B, (Point.x() - C.x()) / A) * 180 / Pi;
}

QList<qreal> EvenPattern(QList<qreal> Pattern) {
  if (Pattern.size() % 2 != 0)
    Pattern += QList<qreal>(Pattern);
  return Pattern;
}

}  // namespace

double TGdiContext::PenPixels() {
  const TGdiPen &Pen = FState.Pen;
  if (Pen.Null())
    return 0;
  const bool Geometric = Pen.Plain ? Pen.Width > 0 : (Pen.Style & Gdi::PsGeometric) != 0;
  if (!Geometric)
    return 0;
  const double Pixels = MapLength(Pen.Width);
  // The system rounds pen widths to whole pixels; under one and a half is one pixel.
  return Pixels < 1.5 ? 0 : std::round(Pixels);
}

QPen TGdiContext::MakePen(double Pixels) {
  const TGdiPen &Pen = FState.Pen;
  QPen Result;
  const bool Thin = Pixels <= 0;
  Result.setWidthF(Thin ? 0 : Pixels);
  Result.setCosmetic(Thin);
  if (Pen.HasBrush) {
    TGdiBrush Brush;
    Brush.Style = Pen.BrushStyle;
    Brush.Color = Pen.Color;
    Brush.Hatch = Pen.Hatch;
    Brush.Pattern = Pen.Pattern;
    Result.setBrush(MakeBrush(Brush));
  } else {
    Result.setBrush(QColor::fromRgb(Pen.Color));
  }
  const quint32 Style = Pen.Style & Gdi::PsStyleMask;
  if (Thin) {
    // One-pixel lines leave out their last pixel, as the system's do.
    Result.setCapStyle(Qt::FlatCap);
    Result.setJoinStyle(Qt::MiterJoin);
  } else {
    // Wide pens take their caps and joins from the style (round when it names none).
    const quint32 Cap = Pen.Style & Gdi::PsEndcapMask, Join = Pen.Style & Gdi::PsJoinMask;
    Result.setCapStyle(Cap == Gdi::PsEndcapSquare ? Qt::SquareCap
                       : Cap == Gdi::PsEndcapFlat ? Qt::FlatCap
                                                  : Qt::RoundCap);
    Result.setJoinStyle(Join == Gdi::PsJoinBevel   ? Qt::BevelJoin
                        : Join == Gdi::PsJoinMiter ? Qt::MiterJoin
                                                   : Qt::RoundJoin);
    Result.setMiterLimit(std::clamp(FState.MiterLimit, 1.0, 100.0));
  }
  // Wide plain pens are always solid; dash lengths are pixels for thin pens and pen widths
  // for wide ones.
  if (Pen.Plain && !Thin)
    return Result;
  QList<qreal> Pattern;
  switch (Style) {
  case Gdi::PsDash: Pattern = Thin ? QList<qreal>{18, 6} : QList<qreal>{3, 1}; break;
  case Gdi::PsDot: Pattern = Thin ? QList<qreal>{3, 3} : QList<qreal>{1, 1}; break;
  case Gdi::PsDashDot:
    Pattern = Thin ? QList<qreal>{9, 6, 3, 6} : QList<qreal>{3, 1, 1, 1};
    break;
  case Gdi::PsDashDotDot:
    Pattern = Thin ? QList<qreal>{9, 3, 3, 3, 3, 3} : QList<qreal>{3, 1, 1, 1, 1, 1};
    break;
  case Gdi::PsAlternate: Pattern = {1, 1}; break;
  case Gdi::PsUserStyle:
    for (double Entry : Pen.UserDashes) {
      const double Length = Thin ? std::abs(Entry) : MapLength(Entry) / Pixels;
      Pattern.push_back(std::clamp(Length, 0.01, 10000.0));
    }
    break;
  default: break;
  }
  if (!Pattern.isEmpty())
    Result.setDashPattern(EvenPattern(Pattern));
  return Result;
}

QBrush TGdiContext::MakeBrush(const TGdiBrush &Brush) {
  const QPointF Origin = FDevice.DeviceToOutput.map(QPointF(0, 0)) + QPointF(FState.BrushOrg);
  const QTransform Offset = QTransform::fromTranslate(std::round(Origin.x()),
                                                      std::round(Origin.y()));
  switch (Brush.Style) {
  case Gdi::BsNull:
    return QBrush(Qt::NoBrush);
  case Gdi::BsHatched: {
    QBrush Result(HatchTile(Brush.Hatch, Brush.Color));
    Result.setTransform(Offset);
    return Result;
  }
  case Gdi::BsPattern:
  case Gdi::BsDibPattern:
  case Gdi::BsDibPatternPt: {
    if (Brush.Pattern.isNull())
      return QBrush(QColor::fromRgb(Brush.Color));
    QImage Tile = Brush.Pattern;
    if (Brush.Monochrome && Tile.format() == QImage::Format_Indexed8 && Tile.colorCount() == 2)
      Tile.setColorTable({FState.TextColor | 0xFF000000u, FState.BkColor | 0xFF000000u});
    QBrush Result(Tile);
    Result.setTransform(Offset);
    return Result;
  }
  default:
    return QBrush(QColor::fromRgb(Brush.Color));
  }
}

void TGdiContext::DrawPath(const QPainterPath &Path, bool Fill, bool Stroke) {
  const bool DoFill = Fill && !FState.Brush.Null();
  const bool DoStroke = Stroke && !FState.Pen.Null();
  if ((!DoFill && !DoStroke) || Path.isEmpty())
    return;
  const double Pixels = DoStroke ? PenPixels() : 0;
  const QPen Pen = DoStroke ? MakePen(Pixels) : QPen(Qt::NoPen);
  const QBrush Brush = DoFill ? MakeBrush(FState.Brush) : QBrush();
  const bool OpaqueBk = FState.BkMode == Gdi::Opaque;
  const QColor Bk = QColor::fromRgb(FState.BkColor);
  const bool Hatched = DoFill && FState.Brush.Style == Gdi::BsHatched;
  const bool Dashed = DoStroke && Pen.style() != Qt::SolidLine;
  QRectF Box;
  if (FDevice.CollectBounds) {
    // Boxes of pixels covered: a fill covers [left, right); a one-pixel line at x covers
    // the pixel [x, x + 1).
    Box = Path.boundingRect();
    if (DoStroke && Pixels > 0)
      Box = Box.united(QPainterPathStroker(Pen).createStroke(Path).boundingRect());
    else if (DoStroke)
      Box.adjust(0, 0, 1, 1);
  } else {
    const double Margin = Pixels / 2 * std::max(1.0, FState.MiterLimit) + 1;
    Box = Path.controlPointRect().adjusted(-Margin, -Margin, Margin, Margin);
  }
  PaintOperation(Box, [&](QPainter &Painter) {
    if (DoFill) {
      if (OpaqueBk && Hatched)
        Painter.fillPath(Path, Bk);
      Painter.fillPath(Path, Brush);
    }
    if (DoStroke) {
      if (OpaqueBk && Dashed) {
        QPen Gaps = Pen;
        Gaps.setStyle(Qt::SolidLine);
        Gaps.setBrush(Bk);
        Painter.strokePath(Path, Gaps);
      }
      Painter.strokePath(Path, Pen);
    }
  });
}

void TGdiContext::DrawShape(const QPainterPath &Shape, bool Fill, bool Stroke) {
  if (FInPath) {
    FPath.addPath(Shape);
    FFigureOpen = false;
    return;
  }
  DrawPath(Shape, Fill, Stroke);
}

void TGdiContext::AddToFigure(const QPainterPath &Segment, bool StartNewFigure) {
  // Segment starts with a move to its first point; in a figure that continues, that move
  // becomes a line from where the figure stands.
  if (StartNewFigure || !FFigureOpen) {
    FPath.addPath(Segment);
  } else {
    FPath.connectPath(Segment);
  }
  // A segment ending in a move (PolyDraw can) leaves no figure open to continue.
  const int Count = FPath.elementCount();
  FFigureOpen = Count > 0 && !FPath.elementAt(Count - 1).isMoveTo();
}

void TGdiContext::DrawOpenFigure(const QPolygonF &Points, bool Bezier, bool FromCurrent) {
  QPainterPath Segment;
  QPointF Start = FromCurrent ? MapPointF(FState.Position) : QPointF();
  int First = 0;
  if (!FromCurrent) {
    if (Points.isEmpty())
      return;
    Start = MapPointF(Points[0]);
    First = 1;
  }
  Segment.moveTo(Start);
  if (Bezier) {
    for (int I = First; I + 2 < Points.size(); I += 3)
      Segment.cubicTo(MapPointF(Points[I]), MapPointF(Points[I + 1]), MapPointF(Points[I + 2]));
  } else {
    for (int I = First; I < Points.size(); ++I)
      Segment.lineTo(MapPointF(Points[I]));
  }
  if (FInPath) {
    AddToFigure(Segment, !FromCurrent);
    if (!FromCurrent)
      FFigureOpen = false;
    return;
  }
  DrawPath(Segment, false, true);
}

void TGdiContext::MoveTo(QPointF Point) {
  // In a path, a move ends the figure: the next line starts a new one from here. (A move
  // added to the path itself would be lost when the next line is connected to it.)
  FState.Position = Point;
  if (FInPath)
    FFigureOpen = false;
}

void TGdiContext::LineTo(QPointF Point) {
  DrawOpenFigure(QPolygonF{Point}, false, true);
  FState.Position = Point;
}

void TGdiContext::Polyline(const QPolygonF &Points) {
  if (Points.size() >= 2)
    DrawOpenFigure(Points, false, false);
}

void TGdiContext::PolylineTo(const QPolygonF &Points) {
  if (Points.isEmpty())
    return;
  DrawOpenFigure(Points, false, true);
  FState.Position = Points.back();
}

void TGdiContext::PolyBezier(const QPolygonF &Points) {
  if (Points.size() >= 4)
    DrawOpenFigure(Points, true, false);
}

void TGdiContext::PolyBezierTo(const QPolygonF &Points) {
  const int Usable = Points.size() / 3 * 3;
  if (Usable == 0)
    return;
  DrawOpenFigure(Points.mid(0, Usable), true, true);
  FState.Position = Points[Usable - 1];
}

void TGdiContext::PolyDraw(const QPolygonF &Points, const std::vector<quint8> &Types) {
  QPainterPath Figure;
  Figure.moveTo(MapPointF(FState.Position));
  const int Count = std::min<int>(Points.size(), int(Types.size()));
  auto Kind = [&](int I) { return quint8(Types[I] & ~Gdi::PtCloseFigure); };
  for (int I = 0; I < Count; ++I) {
    if (Kind(I) == Gdi::PtMoveTo) {
      Figure.moveTo(MapPointF(Points[I]));
    } else if (Kind(I) == Gdi::PtLineTo) {
      Figure.lineTo(MapPointF(Points[I]));
    } else if (Kind(I) == Gdi::PtBezierTo && I + 2 < Count && Kind(I + 1) == Gdi::PtBezierTo &&
               Kind(I + 2) == Gdi::PtBezierTo) {
      Figure.cubicTo(MapPointF(Points[I]), MapPointF(Points[I + 1]), MapPointF(Points[I + 2]));
      I += 2;
    } else {
      break;
    }
    FState.Position = Points[I];
    if (Types[I] & Gdi::PtCloseFigure)
      Figure.closeSubpath();
  }
  if (FInPath)
    AddToFigure(Figure, false);
  else
    DrawPath(Figure, false, true);
}

void TGdiContext::Polygon(const QPolygonF &Points) {
  if (Points.size() < 2)
    return;
  QPolygonF Mapped;
  Mapped.reserve(Points.size());
  for (const QPointF &P : Points)
    Mapped << MapPointF(P);
  QPainterPath Shape;
  Shape.setFillRule(FState.FillMode == Gdi::Winding ? Qt::WindingFill : Qt::OddEvenFill);
  Shape.addPolygon(Mapped);
  Shape.closeSubpath();
  DrawShape(Shape, true, true);
}

void TGdiContext::PolyPolygon(const std::vector<QPolygonF> &Polygons) {
  QPainterPath Shape;
  Shape.setFillRule(FState.FillMode == Gdi::Winding ? Qt::WindingFill : Qt::OddEvenFill);
  for (const QPolygonF &Points : Polygons) {
    if (Points.size() < 2)
      continue;
    QPolygonF Mapped;
    Mapped.reserve(Points.size());
    for (const QPointF &P : Points)
      Mapped << MapPointF(P);
    Shape.addPolygon(Mapped);
    Shape.closeSubpath();
  }
  DrawShape(Shape, true, true);
}

void TGdiContext::PolyPolyline(const std::vector<QPolygonF> &Polylines) {
  for (const QPolygonF &Points : Polylines)
    Polyline(Points);
}

QPainterPath TGdiContext::BoxPath(QPointF A, QPointF B, int Kind, QSizeF Corner) {
  QPainterPath Path;
  const QTransform &T = Transform();
  if (Straight(T)) {
    const QPoint Pa = MapPoint(A), Pb = MapPoint(B);
    // Box shapes cover [left, right) x [top, bottom): the right and bottom edges are left out.
    QRectF Box(QPointF(std::min(Pa.x(), Pb.x()), std::min(Pa.y(), Pb.y())),
               QPointF(std::max(Pa.x(), Pb.x()) - 1, std::max(Pa.y(), Pb.y()) - 1));
    if ((FState.Pen.Style & Gdi::PsStyleMask) == Gdi::PsInsideFrame) {
      const double Inset = std::floor(PenPixels() / 2);
      Box.adjust(Inset, Inset, -Inset, -Inset);
    }
    if (Box.width() < 0 || Box.height() < 0)
      return Path;
    if (Kind == 0) {
      Path.addRect(Box);
    } else if (Kind == 1) {
      Path.addEllipse(Box);
    } else {
      const double Rx = std::min(std::abs(Corner.width() * T.m11()) / 2, Box.width() / 2);
      const double Ry = std::min(std::abs(Corner.height() * T.m22()) / 2, Box.height() / 2);
      Path.addRoundedRect(Box, Rx, Ry);
    }
    return Path;
  }
  const QRectF Box = QRectF(A, B).normalized();
  if (Kind == 0)
    Path.addRect(Box);
  else if (Kind == 1)
    Path.addEllipse(Box);
  else
    Path.addRoundedRect(Box, std::abs(Corner.width()) / 2, std::abs(Corner.height()) / 2);
  return T.map(Path);
}

void TGdiContext::Rectangle(QPointF A, QPointF B) { DrawShape(BoxPath(A, B, 0, {}), true, true); }

void TGdiContext::Ellipse(QPointF A, QPointF B) { DrawShape(BoxPath(A, B, 1, {}), true, true); }

void TGdiContext::RoundRect(QPointF A, QPointF B, QSizeF Corner) {
  DrawShape(BoxPath(A, B, 2, Corner), true, true);
}

QPainterPath TGdiContext::ArcPath(TArcKind Kind, QPointF A, QPointF B, QPointF Start,
                                  QPointF End) {
  const QTransform &T = Transform();
  const bool Device = Straight(T);
  bool CounterClockwise = FState.ArcDirection != Gdi::AdClockwise;
  QRectF Box;
  if (Device) {
    // Arcs run in the direction set, on the device.
    const QPoint Pa = MapPoint(A), Pb = MapPoint(B);
    Box = QRectF(QPointF(std::min(Pa.x(), Pb.x()), std::min(Pa.y(), Pb.y())),
                 QPointF(std::max(Pa.x(), Pb.x()) - 1, std::max(Pa.y(), Pb.y()) - 1));
    Start = MapPointF(Start);
    End = MapPointF(End);
  } else {
    Box = QRectF(A, B).normalized();
    if (T.determinant() < 0)
      CounterClockwise = !CounterClockwise;
  }
  QPainterPath Path;
  if (!(Box.width() > 0) || !(Box.height() > 0))
    return Path;
  const double From = RayAngle(Box, Start);
  double Sweep = RayAngle(Box, End) - From;
  if (CounterClockwise) {
    while (Sweep <= 1e-9)
      Sweep += 360;
  } else {
    while (Sweep >= -1e-9)
      Sweep -= 360;
  }
  if (Kind == Pie) {
    Path.moveTo(Box.center());
    Path.arcTo(Box, From, Sweep);
    Path.closeSubpath();
  } else {
    Path.arcMoveTo(Box, From);
    Path.arcTo(Box, From, Sweep);
    if (Kind == Chord)
      Path.closeSubpath();
  }
  return Device ? Path : T.map(Path);
}

void TGdiContext::Arc(TArcKind Kind, QPointF A, QPointF B, QPointF Start, QPointF End) {
  QPainterPath Path = ArcPath(Kind, A, B, Start, End);
  if (Path.isEmpty())
    return;
  if (Kind == Chord || Kind == Pie) {
    DrawShape(Path, true, true);
    return;
  }
  if (Kind == ArcOnly) {
    if (FInPath)
      AddToFigure(Path, true);
    else
      DrawPath(Path, false, true);
    return;
  }
  // ArcTo: a line from the current position to the arc's start, then the arc; the current
  // position moves to the arc's end.
  QPainterPath Figure;
  Figure.moveTo(MapPointF(FState.Position));
  Figure.connectPath(Path);
  bool Invertible = false;
  const QTransform Inverse = Transform().inverted(&Invertible);
  if (Invertible)
    FState.Position = Inverse.map(Path.currentPosition());
  if (FInPath)
    AddToFigure(Figure, false);
  else
    DrawPath(Figure, false, true);
}

void TGdiContext::AngleArc(QPointF Center, double Radius, double StartDegrees,
                           double SweepDegrees) {
  if (!std::isfinite(Radius) || !std::isfinite(StartDegrees) || !std::isfinite(SweepDegrees) ||
      Radius < 0 || Radius > 1e9)
    return;
  SweepDegrees = std::clamp(SweepDegrees, -3600.0, 3600.0);
  StartDegrees = std::fmod(StartDegrees, 360.0);
  const QRectF Box(Center.x() - Radius, Center.y() - Radius, 2 * Radius, 2 * Radius);
  QPainterPath Logical;
  Logical.moveTo(FState.Position);
  Logical.arcTo(Box, StartDegrees, SweepDegrees);
  const double EndAngle = (StartDegrees + SweepDegrees) * Pi / 180;
  FState.Position = Center + QPointF(Radius * std::cos(EndAngle), -Radius * std::sin(EndAngle));
  const QPainterPath Figure = Transform().map(Logical);
  if (FInPath)
    AddToFigure(Figure, false);
  else
    DrawPath(Figure, false, true);
}

void TGdiContext::SetPixel(QPointF Point, QRgb Color) {
  const QPoint P = MapPoint(Point);
  PaintOperation(QRectF(P, QSizeF(1, 1)), [&](QPainter &Painter) {
    Painter.fillRect(QRect(P, QSize(1, 1)), QColor::fromRgb(Color));
  });
}
