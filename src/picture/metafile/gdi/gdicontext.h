#pragma once

#include "picture/metafile/gdi/gdibitmap.h"
#include "picture/metafile/gdi/gdiobjects.h"
#include "picture/codecs/byteview.h"
#include "picture/metafile/gdi/mfrecord.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QTransform>

#include <functional>
#include <vector>

// Where a playing metafile draws: the reference device its records were made for, and how
// that device lies on the output canvas.
struct TGdiDevice {
  // Reference-device pixels per millimetre, for the fixed mapping modes.
  double PixelsPerMmX = 96.0 / 25.4;
  double PixelsPerMmY = 96.0 / 25.4;
  // Reference-device pixels to canvas pixels.
  QTransform DeviceToOutput;
  // Old metafiles play into the destination as their viewport: the file's window maps onto
  // ViewportExt device pixels, the file's viewport records are ignored, and every mapping
  // mode behaves as anisotropic (isotropic keeping its aspect).
  bool FixedViewport = false;
  QSizeF ViewportExt{1, 1};
  // The canvas, in canvas pixels.
  QRect Canvas;
  // Keep the box of everything drawn (DrawnBounds), measuring strokes exactly.
  bool CollectBounds = false;
};

// Bounds on the work of one playback, so that no file can make drawing run away.
struct TPlayLimits {
  qint64 MaxRecords = 1000000;
  // Pixels touched, summed over every drawing operation (an estimate from bounding boxes)
  // and every bitmap decoded.
  qint64 MaxWork = qint64(1500) * 1000 * 1000;
  int MaxSaveDepth = 1000;
  // Pixels of pattern bitmaps held by the object table at any time.
  qint64 MaxRetainedPixels = qint64(1) << 25;
  TDibLimits Dib;
};

// Everything SaveDC saves.
struct TDcState {
  int MapMode = Gdi::MmText;
  QPointF WindowOrg{0, 0}, ViewportOrg{0, 0};
  QSizeF WindowExt{1, 1}, ViewportExt{1, 1};
  QTransform World;
  TGdiPen Pen;
  TGdiBrush Brush;
  TGdiFont Font;
  QList<QRgb> Palette;
  QRgb TextColor = 0xFF000000;
  QRgb BkColor = 0xFFFFFFFF;
  int BkMode = Gdi::Opaque;
  int FillMode = Gdi::Alternate;
  int Rop2 = Gdi::R2CopyPen;
  int StretchMode = 1;
  quint32 TextAlign = 0;
  double CharExtra = 0;
  int ArcDirection = Gdi::AdCounterClockwise;
  double MiterLimit = 10;
  QPoint BrushOrg{0, 0};
  QPointF Position{0, 0};  // current position, logical
  // The clipping region and the meta region, in canvas pixels; none means everything.
  bool Clipped = false;
  QRegion Clip;
  bool MetaClipped = false;
  QRegion MetaClip;
};

// Text as a text-output record gives it.
struct TGdiText {
  QPointF Reference;  // logical
  QString Text;
  bool GlyphIndices = false;  // Text holds glyph numbers of the font, not characters
  quint32 Options = 0;
  bool HasRect = false;
  QPointF RectTopLeft, RectBottomRight;  // logical
  std::vector<double> Dx;  // advances in logical units, one per character; may be empty
  std::vector<double> Dy;  // with ETO_PDY
  bool Advanced = false;   // advanced graphics mode: the world transform turns the glyphs too
};

// A bitmap operation: a bitmap (or none, for pattern blits) stretched from SourceRect onto
// the logical rectangle DestOrigin + DestExtent (negative extents mirror).
struct TGdiBlit {
  enum TKind { Rop, AlphaBlend, Transparent };
  TKind Kind = Rop;
  QPointF DestOrigin;
  QSizeF DestExtent;
  const TDib *Source = nullptr;
  QRectF SourceRect;  // in the bitmap's pixels, rows from the top
  // A parallelogram destination instead: the logical points under the source's top-left,
  // top-right and bottom-left corners.
  bool HasCorners = false;
  QPointF Corners[3];
  // DestExtent is in reference-device pixels, not logical units.
  bool DeviceExtent = false;
  quint32 RasterOp = Gdi::SrcCopy;  // with Mask the high byte is the background operation
  const TDib *Mask = nullptr;
  QPoint MaskOrigin;
  quint8 ConstantAlpha = 255;
  bool SourceAlpha = false;
  QRgb TransparentColor = 0;
};

// One vertex of a gradient fill.
struct TGdiVertex {
  QPointF Point;  // logical
  QRgb Color;
};

// A drawing context standing in for the system's: it holds the drawing state and its saved
// copies, the object table, the mapping from logical units to canvas pixels, the clipping
// region and the path, and draws on a canvas with QPainter.
//
// Coordinates go logical -> (world transform) -> page -> (window/viewport) -> device ->
// (DeviceToOutput) -> canvas. Box shapes (rectangles, ellipses, the boxes of arcs) and
// bitmap corners are rounded to whole pixels and leave out their right and bottom edges, as
// the system's do; lines and polygons keep their exact positions: a one-pixel line shows in
// the pixels its points fall in, a fill takes the pixels whose top-left corner lies inside.
// Shapes are drawn without antialiasing, as the system draws them; text is antialiased
// unless its font asks for no antialiasing.
//
// Raster operations other than plain copying work on the canvas composed over white, the
// colour of the frame the picture is shown in; pixels they touch become opaque.
class TGdiContext {
public:
  TGdiContext(QImage &Canvas, const TGdiDevice &Device, quint32 ObjectTableSize,
              const TPlayLimits &Limits);
  ~TGdiContext();
  TGdiContext(const TGdiContext &) = delete;
  TGdiContext &operator=(const TGdiContext &) = delete;

  TDcState &State() { return FState; }
  const TPlayLimits &Limits() const { return FLimits; }
  TGdiObjectTable &Objects() { return FObjects; }

  // Work accounting. Exhausted() turns true once the work budget is spent; players stop.
  void AddWork(qint64 Pixels);
  bool Exhausted() const { return FWork > FLimits.MaxWork; }
  // Plays Records in order, each through PlayOne(its type, its bytes within Data), until
  // PlayOne returns false, MaxRecords have been played or the work budget is spent. Every
  // record counts one unit of work, so a file of many empty records ends too.
  template <class F>
  void PlayRecords(const std::vector<TMfRecord> &Records, const TByteView &Data, F &&PlayOne) {
    qint64 Played = 0;
    for (const TMfRecord &Record : Records) {
      if (++Played > FLimits.MaxRecords || Exhausted())
        return;
      AddWork(1);
      if (!PlayOne(Record.Type, Data.Sub(Record.Offset, Record.Size)))
        return;
    }
  }
  // Pattern pixels kept by the object table; false when the bitmap may not be kept.
  bool Retain(const QImage &Image);
  // With CollectBounds: the union of the canvas-pixel boxes of everything drawn, ignoring
  // clipping; empty when nothing was drawn.
  QRectF DrawnBounds() const { return FDrawnBounds; }

  // Saving the state. RestoreDC takes a negative count relative to the top, or a positive
  // absolute level; anything else is ignored.
  void SaveDC();
  void RestoreDC(int Level);

  // Mapping.
  void SetMapMode(int Mode);
  void SetWindowOrg(QPointF Origin);
  void SetWindowExt(QSizeF Extent);
  void SetViewportOrg(QPointF Origin);
  void SetViewportExt(QSizeF Extent);
  void OffsetWindowOrg(QPointF Delta);
  void OffsetViewportOrg(QPointF Delta);
  void ScaleWindowExt(double XNum, double XDenom, double YNum, double YDenom);
  void ScaleViewportExt(double XNum, double XDenom, double YNum, double YDenom);
  void SetWorldTransform(const QTransform &Transform);
  // Mode: Gdi::MwtIdentity, MwtLeftMultiply, MwtRightMultiply or MwtSet.
  void ModifyWorldTransform(const QTransform &Transform, int Mode);
  // Logical -> canvas pixels.
  const QTransform &Transform();
  QPoint MapPoint(QPointF Logical);
  QPointF MapPointF(QPointF Logical);
  // A logical length as canvas pixels (geometric mean of the axes' scales).
  double MapLength(double Logical);
  // Device (reference) -> canvas pixels.
  const QTransform &DeviceToOutput() const { return FDevice.DeviceToOutput; }
  const QRect &Canvas() const { return FDevice.Canvas; }

  // Objects. SelectObject takes an index into the table; SelectStock a stock number.
  void SelectObject(quint32 Index);
  void SelectStock(quint32 Id);
  void Select(const TGdiObject &Object);

  // Clipping. Regions given here are in canvas pixels.
  void IntersectClipRect(QPointF TopLeft, QPointF BottomRight);
  void ExcludeClipRect(QPointF TopLeft, QPointF BottomRight);
  void OffsetClipRegion(QPointF LogicalDelta);
  void SelectClipRegion(const QRegion *Region, int Mode);  // null Region resets with RGN_COPY
  void SetMetaRegion();
  // A region given in reference-device pixels, or in logical units, as canvas pixels.
  QRegion DeviceRegion(const QList<QRect> &Rects) const;
  QRegion LogicalRegion(const QList<QRect> &Rects);

  // Lines and shapes (logical coordinates). Rectangles are given by two opposite corners.
  void MoveTo(QPointF Point);
  void LineTo(QPointF Point);
  void Polyline(const QPolygonF &Points);
  void PolylineTo(const QPolygonF &Points);
  void Polygon(const QPolygonF &Points);
  void PolyPolygon(const std::vector<QPolygonF> &Polygons);
  void PolyPolyline(const std::vector<QPolygonF> &Polylines);
  void PolyBezier(const QPolygonF &Points);
  void PolyBezierTo(const QPolygonF &Points);
  void PolyDraw(const QPolygonF &Points, const std::vector<quint8> &Types);
  void Rectangle(QPointF A, QPointF B);
  void RoundRect(QPointF A, QPointF B, QSizeF Corner);
  void Ellipse(QPointF A, QPointF B);
  enum TArcKind { ArcOnly, ArcTo, Chord, Pie };
  void Arc(TArcKind Kind, QPointF A, QPointF B, QPointF Start, QPointF End);
  void AngleArc(QPointF Center, double Radius, double StartDegrees, double SweepDegrees);
  void SetPixel(QPointF Point, QRgb Color);
  // Regions in canvas pixels.
  void FillRegion(const QRegion &Region, const TGdiBrush &Brush);
  void FrameRegion(const QRegion &Region, const TGdiBrush &Brush, int Width, int Height);
  void InvertRegion(const QRegion &Region);

  // Paths.
  void BeginPath();
  void EndPath();
  void AbortPath();
  void CloseFigure();
  void FillPath();
  void StrokePath();
  void StrokeAndFillPath();
  void FlattenPath();
  void WidenPath();
  void SelectClipPath(int Mode);

  // Text and bitmaps.
  void ExtTextOut(const TGdiText &Text);
  void Blit(const TGdiBlit &Blit);
  void GradientFill(const std::vector<TGdiVertex> &Vertices,
                    const std::vector<std::vector<quint32>> &Meshes, quint32 Mode);

private:
  // gdicontext.cpp
  void MappingChanged() { FTransformValid = false; }
  void ApplyClip(QPainter &Painter) const;
  QRegion EffectiveClip() const;
  void SetClip(const QRegion &Region, int Mode);
  // Runs one drawing operation whose canvas-pixel bounding box is Box: accounts its work,
  // clips it, and applies the binary raster operation (through a layer unless it copies).
  void PaintOperation(const QRectF &Box, const std::function<void(QPainter &)> &Paint);

  // gdishapes.cpp
  QPainterPath ArcPath(TArcKind Kind, QPointF A, QPointF B, QPointF Start, QPointF End);
  QPainterPath BoxPath(QPointF A, QPointF B, int Kind, QSizeF Corner);
  void AddToFigure(const QPainterPath &Segment, bool StartNewFigure);
  void DrawShape(const QPainterPath &Shape, bool Fill, bool Stroke);
  void DrawOpenFigure(const QPolygonF &Points, bool Bezier, bool FromCurrent);
  double PenPixels();
  QPen MakePen(double Pixels);
  QBrush MakeBrush(const TGdiBrush &Brush);
  void DrawPath(const QPainterPath &Path, bool Fill, bool Stroke);

  // gditext.cpp
  // Where text of this width starts on the canvas, by the alignment; moves the current
  // position when the alignment asks.
  QPointF TextOrigin(const TGdiText &Text, const QPointF &Along, const QPointF &Down,
                     double Width, const QFontMetricsF &Metrics);
  // Fills the text's rectangle with the background colour, or clips to it, as it asks.
  void OpenTextRectangle(const TGdiText &Text);

  // gdiblit.cpp
public:
  struct TBlitPlace;

private:
  // Places a blit on the canvas; false when it covers nothing.
  bool PlaceBlit(const TGdiBlit &Blit, TBlitPlace &At);
  // A blit that fills with the brush, black or white.
  void BlitFill(quint8 Table, const TBlitPlace &At);
  // A blit of any other raster operation, combined pixel by pixel.
  void BlitRasterOp(const TGdiBlit &Blit, const TBlitPlace &At);
  void CombineRop(const QRect &Area, const QImage *Source, const QImage *Pattern,
                  const QImage *Coverage, const QImage *MaskLayer, quint32 RasterOp);

  QImage &FCanvas;
  QPainter FPainter;
  TGdiDevice FDevice;
  TPlayLimits FLimits;
  TGdiObjectTable FObjects;
  TDcState FState;
  std::vector<TDcState> FSaved;
  QTransform FTransform;
  bool FTransformValid = false;
  qint64 FWork = 0;
  qint64 FRetained = 0;
  QRectF FDrawnBounds;
  bool FHasDrawn = false;
  // The path being recorded or recorded, in canvas pixels; whether its last figure is open
  // (so that lines continue it).
  bool FInPath = false;
  bool FFigureOpen = false;
  QPainterPath FPath;
};
