#include "picture/metafile/emfplayer.h"

#include <cmath>

namespace {

// Record types.
enum : quint32 {
  EmrHeader = 1, EmrPolyBezier = 2, EmrPolygon = 3, EmrPolyline = 4, EmrPolyBezierTo = 5,
  EmrPolylineTo = 6, EmrPolyPolyline = 7, EmrPolyPolygon = 8, EmrSetWindowExtEx = 9,
  EmrSetWindowOrgEx = 10, EmrSetViewportExtEx = 11, EmrSetViewportOrgEx = 12,
  EmrSetBrushOrgEx = 13, EmrSetPixelV = 15, EmrSetMapMode = 17, EmrSetBkMode = 18,
  EmrSetPolyFillMode = 19, EmrSetRop2 = 20, EmrSetStretchBltMode = 21, EmrSetTextAlign = 22,
  EmrSetTextColor = 24, EmrSetBkColor = 25, EmrOffsetClipRgn = 26, EmrMoveToEx = 27,
  EmrSetMetaRgn = 28, EmrExcludeClipRect = 29, EmrIntersectClipRect = 30,
  EmrScaleViewportExtEx = 31, EmrScaleWindowExtEx = 32, EmrSaveDc = 33, EmrRestoreDc = 34,
  EmrSetWorldTransform = 35, EmrModifyWorldTransform = 36, EmrSelectObject = 37,
  EmrCreatePen = 38, EmrCreateBrushIndirect = 39, EmrDeleteObject = 40, EmrAngleArc = 41,
  EmrEllipse = 42, EmrRectangle = 43, EmrRoundRect = 44, EmrArc = 45, EmrChord = 46,
  EmrPie = 47, EmrSelectPalette = 48, EmrCreatePalette = 49, EmrLineTo = 54, EmrArcTo = 55,
  EmrPolyDraw = 56, EmrSetArcDirection = 57, EmrSetMiterLimit = 58, EmrBeginPath = 59,
  EmrEndPath = 60, EmrCloseFigure = 61, EmrFillPath = 62, EmrStrokeAndFillPath = 63,
  EmrStrokePath = 64, EmrFlattenPath = 65, EmrWidenPath = 66, EmrSelectClipPath = 67,
  EmrAbortPath = 68, EmrFillRgn = 71, EmrFrameRgn = 72, EmrInvertRgn = 73, EmrPaintRgn = 74,
  EmrExtSelectClipRgn = 75, EmrBitBlt = 76, EmrStretchBlt = 77, EmrMaskBlt = 78,
  EmrPlgBlt = 79, EmrSetDiBitsToDevice = 80, EmrStretchDiBits = 81,
  EmrExtCreateFontIndirectW = 82, EmrExtTextOutA = 83, EmrExtTextOutW = 84,
  EmrPolyBezier16 = 85, EmrPolygon16 = 86, EmrPolyline16 = 87, EmrPolyBezierTo16 = 88,
  EmrPolylineTo16 = 89, EmrPolyPolyline16 = 90, EmrPolyPolygon16 = 91, EmrPolyDraw16 = 92,
  EmrCreateMonoBrush = 93, EmrCreateDibPatternBrushPt = 94, EmrExtCreatePen = 95,
  EmrPolyTextOutA = 96, EmrPolyTextOutW = 97, EmrSmallTextOut = 108, EmrAlphaBlend = 114,
  EmrTransparentBlt = 116, EmrGradientFill = 118
};

QPointF Point(TByteView R, qint64 Offset) { return QPointF(R.I32(Offset), R.I32(Offset + 4)); }

// Object indices with this bit set name stock objects.
constexpr quint32 StockObjectFlag = 0x80000000u;
// User dash entries of an extended pen that are kept.
constexpr qint64 MaxUserDashes = 16;
// What a pattern brush whose bitmap cannot be decoded paints with.
constexpr QRgb UndecodablePatternColor = 0xFF808080;

bool ReadPen(TByteView R, const QList<QRgb> &Palette, TGdiObject &Object) {
  if (R.Size() < 28)
    return false;
  TGdiPen Pen;
  Pen.Style = R.U32(12);
  Pen.Width = R.I32(16);
  Pen.Color = ColorRefToRgb(R.U32(24), Palette);
  Object = Pen;
  return true;
}

bool ReadBrush(TByteView R, const QList<QRgb> &Palette, TGdiObject &Object) {
  if (R.Size() < 24)
    return false;
  TGdiBrush Brush;
  Brush.Style = R.U32(12);
  Brush.Color = ColorRefToRgb(R.U32(16), Palette);
  Brush.Hatch = R.U32(20);
  if (Brush.Style != Gdi::BsNull && Brush.Style != Gdi::BsHatched)
    Brush.Style = Gdi::BsSolid;
  Object = Brush;
  return true;
}

bool ReadFont(TByteView R, TGdiObject &Object) {
  if (R.Size() < 12 + 92)
    return false;
  TGdiFont Font;
  Font.Height = R.I32(12);
  Font.Width = R.I32(16);
  Font.Escapement = R.I32(20);
  Font.Orientation = R.I32(24);
  Font.Weight = R.I32(28);
  Font.Italic = R.U8(32) != 0;
  Font.Underline = R.U8(33) != 0;
  Font.StrikeOut = R.U8(34) != 0;
  Font.CharSet = R.U8(35);
  Font.Quality = R.U8(38);
  Font.PitchAndFamily = R.U8(39);
  for (int I = 0; I < 32; ++I) {
    const quint16 Unit = R.U16(40 + 2 * I);
    if (Unit == 0)
      break;
    Font.Face += QChar(Unit);
  }
  Object = Font;
  return true;
}

bool ReadPalette(TByteView R, TGdiObject &Object) {
  if (R.Size() < 16)
    return false;
  const qint64 Count = R.U16(14);
  if (!R.Has(16, Count * 4))
    return false;
  TGdiPalette Palette;
  for (qint64 I = 0; I < Count; ++I)
    Palette.Colors.push_back(qRgb(R.U8(16 + 4 * I), R.U8(17 + 4 * I), R.U8(18 + 4 * I)));
  Object = Palette;
  return true;
}

// Whether a record of fixed size holds Size bytes beyond its type and size.
bool HasFixedPart(TByteView R, qint64 Size) { return R.Size() >= 8 + Size; }

QTransform Xform(TByteView R, qint64 Offset) {
  return QTransform(R.F32(Offset), R.F32(Offset + 4), R.F32(Offset + 8), R.F32(Offset + 12),
                    R.F32(Offset + 16), R.F32(Offset + 20));
}

}  // namespace

void TEmfPlayer::Play(TGdiContext &Context) {
  Context.PlayRecords(FFile.Records, FData, [&](quint32 Type, TByteView Bytes) {
    return PlayRecord(Context, Type, Bytes);
  });
}

bool TEmfPlayer::PlayRecord(TGdiContext &C, quint32 Type, TByteView R) {
  switch (Type) {
  case EmrPolyBezier: case EmrPolygon: case EmrPolyline: case EmrPolyBezierTo:
  case EmrPolylineTo: case EmrPolyBezier16: case EmrPolygon16: case EmrPolyline16:
  case EmrPolyBezierTo16: case EmrPolylineTo16:
    return PlayPoly(C, Type, R);
  case EmrPolyPolyline: case EmrPolyPolygon: case EmrPolyPolyline16: case EmrPolyPolygon16:
    return PlayPolyPoly(C, Type, R);
  case EmrPolyDraw: case EmrPolyDraw16:
    return PlayPolyDraw(C, Type, R);
  case EmrSetWindowExtEx: case EmrSetWindowOrgEx: case EmrSetViewportExtEx:
  case EmrSetViewportOrgEx: case EmrSetBrushOrgEx: case EmrMoveToEx: case EmrLineTo:
  case EmrOffsetClipRgn:
    return PlayPointRecord(C, Type, R);
  case EmrSetMapMode: case EmrSetBkMode: case EmrSetPolyFillMode: case EmrSetRop2:
  case EmrSetStretchBltMode: case EmrSetTextAlign: case EmrSetTextColor: case EmrSetBkColor:
  case EmrSetArcDirection: case EmrSetMiterLimit: case EmrRestoreDc: case EmrSelectClipPath:
    return PlaySetting(C, Type, R);
  case EmrSetPixelV: case EmrExcludeClipRect: case EmrIntersectClipRect: case EmrEllipse:
  case EmrRectangle: case EmrRoundRect: case EmrArc: case EmrChord: case EmrPie:
  case EmrArcTo: case EmrAngleArc:
    return PlayShape(C, Type, R);
  case EmrScaleViewportExtEx: case EmrScaleWindowExtEx: case EmrSetWorldTransform:
  case EmrModifyWorldTransform:
    return PlayScaling(C, Type, R);
  case EmrSaveDc: case EmrSetMetaRgn: case EmrBeginPath: case EmrEndPath: case EmrCloseFigure:
  case EmrFillPath: case EmrStrokeAndFillPath: case EmrStrokePath: case EmrFlattenPath:
  case EmrWidenPath: case EmrAbortPath:
    PlayBare(C, Type);
    return true;
  case EmrSelectObject: case EmrDeleteObject: case EmrSelectPalette: case EmrCreatePen:
  case EmrCreateBrushIndirect: case EmrExtCreateFontIndirectW: case EmrExtCreatePen:
  case EmrCreateMonoBrush: case EmrCreateDibPatternBrushPt: case EmrCreatePalette:
    return PlayObjectRecord(C, Type, R);
  case EmrExtTextOutA: case EmrExtTextOutW: case EmrPolyTextOutA: case EmrPolyTextOutW:
    return PlayText(C, Type, R);
  case EmrSmallTextOut:
    return PlaySmallText(C, R);
  case EmrBitBlt: case EmrStretchBlt: case EmrMaskBlt: case EmrPlgBlt:
  case EmrSetDiBitsToDevice: case EmrStretchDiBits: case EmrAlphaBlend: case EmrTransparentBlt:
    return PlayBitmap(C, Type, R);
  case EmrFillRgn: case EmrFrameRgn: case EmrInvertRgn: case EmrPaintRgn:
  case EmrExtSelectClipRgn:
    return PlayRegion(C, Type, R);
  case EmrGradientFill:
    return PlayGradient(C, R);
  case EmrHeader:
  default:
    return true;
  }
}

bool TEmfPlayer::PlayPointRecord(TGdiContext &C, quint32 Type, TByteView R) {
  if (!HasFixedPart(R, 8))
    return false;
  const QPointF P = Point(R, 8);
  switch (Type) {
  case EmrSetWindowExtEx: C.SetWindowExt(QSizeF(P.x(), P.y())); break;
  case EmrSetWindowOrgEx: C.SetWindowOrg(P); break;
  case EmrSetViewportExtEx: C.SetViewportExt(QSizeF(P.x(), P.y())); break;
  case EmrSetViewportOrgEx: C.SetViewportOrg(P); break;
  case EmrSetBrushOrgEx: C.State().BrushOrg = P.toPoint(); break;
  case EmrMoveToEx: C.MoveTo(P); break;
  case EmrLineTo: C.LineTo(P); break;
  default: C.OffsetClipRegion(P); break;
  }
  return true;
}

bool TEmfPlayer::PlaySetting(TGdiContext &C, quint32 Type, TByteView R) {
  if (!HasFixedPart(R, 4))
    return false;
  TDcState &S = C.State();
  const quint32 V = R.U32(8);
  const int I = R.I32(8);
  switch (Type) {
  case EmrSetMapMode: C.SetMapMode(I); break;
  case EmrSetBkMode:
    if (I == Gdi::Transparent || I == Gdi::Opaque)
      S.BkMode = I;
    break;
  case EmrSetPolyFillMode:
    if (I == Gdi::Alternate || I == Gdi::Winding)
      S.FillMode = I;
    break;
  case EmrSetRop2:
    if (I >= Gdi::R2Black && I <= Gdi::R2White)
      S.Rop2 = I;
    break;
  case EmrSetStretchBltMode: S.StretchMode = I; break;
  case EmrSetTextAlign: S.TextAlign = V; break;
  case EmrSetTextColor: S.TextColor = ColorRefToRgb(V, S.Palette); break;
  case EmrSetBkColor: S.BkColor = ColorRefToRgb(V, S.Palette); break;
  case EmrSetArcDirection:
    if (I == Gdi::AdCounterClockwise || I == Gdi::AdClockwise)
      S.ArcDirection = I;
    break;
  case EmrSetMiterLimit:
    if (I > 0)
      S.MiterLimit = I;
    break;
  case EmrRestoreDc: C.RestoreDC(I); break;
  default: C.SelectClipPath(I); break;
  }
  return true;
}

bool TEmfPlayer::PlayShape(TGdiContext &C, quint32 Type, TByteView R) {
  switch (Type) {
  case EmrSetPixelV:
    if (!HasFixedPart(R, 12))
      return false;
    C.SetPixel(Point(R, 8), ColorRefToRgb(R.U32(16), C.State().Palette));
    return true;
  case EmrExcludeClipRect: case EmrIntersectClipRect: case EmrEllipse: case EmrRectangle:
    if (!HasFixedPart(R, 16))
      return false;
    if (Type == EmrExcludeClipRect) C.ExcludeClipRect(Point(R, 8), Point(R, 16));
    else if (Type == EmrIntersectClipRect) C.IntersectClipRect(Point(R, 8), Point(R, 16));
    else if (Type == EmrEllipse) C.Ellipse(Point(R, 8), Point(R, 16));
    else C.Rectangle(Point(R, 8), Point(R, 16));
    return true;
  case EmrRoundRect:
    if (!HasFixedPart(R, 24))
      return false;
    C.RoundRect(Point(R, 8), Point(R, 16), QSizeF(R.I32(24), R.I32(28)));
    return true;
  case EmrAngleArc:
    if (!HasFixedPart(R, 20))
      return false;
    C.AngleArc(Point(R, 8), R.U32(16), R.F32(20), R.F32(24));
    return true;
  default: {
    if (!HasFixedPart(R, 32))
      return false;
    const TGdiContext::TArcKind Kind = Type == EmrArc     ? TGdiContext::ArcOnly
                                       : Type == EmrChord ? TGdiContext::Chord
                                       : Type == EmrPie   ? TGdiContext::Pie
                                                          : TGdiContext::ArcTo;
    C.Arc(Kind, Point(R, 8), Point(R, 16), Point(R, 24), Point(R, 32));
    return true;
  }
  }
}

bool TEmfPlayer::PlayScaling(TGdiContext &C, quint32 Type, TByteView R) {
  switch (Type) {
  case EmrScaleViewportExtEx:
  case EmrScaleWindowExtEx:
    if (!HasFixedPart(R, 16))
      return false;
    if (Type == EmrScaleViewportExtEx)
      C.ScaleViewportExt(R.I32(8), R.I32(12), R.I32(16), R.I32(20));
    else
      C.ScaleWindowExt(R.I32(8), R.I32(12), R.I32(16), R.I32(20));
    return true;
  case EmrSetWorldTransform:
    if (!HasFixedPart(R, 24))
      return false;
    C.SetWorldTransform(Xform(R, 8));
    return true;
  default:
    if (!HasFixedPart(R, 28))
      return false;
    C.ModifyWorldTransform(Xform(R, 8), R.I32(32));
    return true;
  }
}

void TEmfPlayer::PlayBare(TGdiContext &C, quint32 Type) {
  switch (Type) {
  case EmrSaveDc: C.SaveDC(); break;
  case EmrSetMetaRgn: C.SetMetaRegion(); break;
  case EmrBeginPath: C.BeginPath(); break;
  case EmrEndPath: C.EndPath(); break;
  case EmrCloseFigure: C.CloseFigure(); break;
  case EmrFillPath: C.FillPath(); break;
  case EmrStrokeAndFillPath: C.StrokeAndFillPath(); break;
  case EmrStrokePath: C.StrokePath(); break;
  case EmrFlattenPath: C.FlattenPath(); break;
  case EmrWidenPath: C.WidenPath(); break;
  default: C.AbortPath(); break;
  }
}

const TGdiBrush *TEmfPlayer::BrushAt(TGdiContext &C, quint32 Index, TGdiBrush &Stock) {
  if (Index & StockObjectFlag) {
    auto Object = StockObject(Index & ~StockObjectFlag);
    if (!Object || !std::holds_alternative<TGdiBrush>(*Object))
      return nullptr;
    Stock = std::get<TGdiBrush>(*Object);
    return &Stock;
  }
  const TGdiObject *Object = C.Objects().Get(Index);
  return Object ? std::get_if<TGdiBrush>(Object) : nullptr;
}

bool TEmfPlayer::PlayObjectRecord(TGdiContext &C, quint32 Type, TByteView R) {
  if (R.Size() < 12)
    return false;
  const quint32 Index = R.U32(8);
  const QList<QRgb> &Palette = C.State().Palette;
  TGdiObject Object;
  bool Whole = true;
  switch (Type) {
  case EmrSelectObject:
  case EmrSelectPalette:
    if (Index & StockObjectFlag)
      C.SelectStock(Index & ~StockObjectFlag);
    else
      C.SelectObject(Index);
    return true;
  case EmrDeleteObject:
    if (!(Index & StockObjectFlag))
      C.Objects().Delete(Index);
    return true;
  case EmrCreatePen: Whole = ReadPen(R, Palette, Object); break;
  case EmrExtCreatePen: Whole = ReadExtPen(C, R, Object); break;
  case EmrCreateBrushIndirect: Whole = ReadBrush(R, Palette, Object); break;
  case EmrCreateMonoBrush:
  case EmrCreateDibPatternBrushPt: Whole = ReadPatternBrush(C, Type, R, Object); break;
  case EmrExtCreateFontIndirectW: Whole = ReadFont(R, Object); break;
  case EmrCreatePalette: Whole = ReadPalette(R, Object); break;
  default: break;
  }
  // Index 0 stands for the metafile itself and never holds an object.
  if (Whole && Index != 0 && !std::holds_alternative<std::monostate>(Object))
    C.Objects().Put(Index, std::move(Object));
  return Whole;
}

bool TEmfPlayer::ReadExtPen(TGdiContext &C, TByteView R, TGdiObject &Object) {
  if (R.Size() < 52)
    return false;
  TGdiPen Pen;
  Pen.Plain = false;
  Pen.Style = R.U32(28);
  Pen.Width = R.U32(32);
  Pen.BrushStyle = R.U32(36);
  Pen.Color = ColorRefToRgb(R.U32(40), C.State().Palette);
  Pen.Hatch = R.U32(44);
  const qint64 Entries = R.U32(48);
  if ((Pen.Style & Gdi::PsStyleMask) == Gdi::PsUserStyle) {
    if (!R.Has(52, Entries * 4))
      return false;
    for (qint64 I = 0; I < std::min<qint64>(Entries, MaxUserDashes); ++I)
      Pen.UserDashes.push_back(R.U32(52 + 4 * I));
    if (Pen.UserDashes.empty())
      Pen.Style &= ~Gdi::PsStyleMask;
  }
  if (Pen.BrushStyle == Gdi::BsNull)
    Pen.Style = (Pen.Style & ~Gdi::PsStyleMask) | Gdi::PsNull;
  else if (Pen.BrushStyle == Gdi::BsHatched)
    Pen.HasBrush = true;
  else if (Pen.BrushStyle == Gdi::BsDibPattern || Pen.BrushStyle == Gdi::BsDibPatternPt) {
    TDib Dib;
    // For pattern pens the colour field holds the bitmap's colour usage.
    if (!ReadDib(C, R, 12, R.U32(40), false, Dib))
      return false;
    if (!Dib.Image.isNull() && C.Retain(Dib.Image)) {
      Pen.HasBrush = true;
      Pen.Pattern = Dib.Image;
    }
  }
  Object = Pen;
  return true;
}

bool TEmfPlayer::ReadPatternBrush(TGdiContext &C, quint32 Type, TByteView R,
                                  TGdiObject &Object) {
  if (R.Size() < 32)
    return false;
  TDib Dib;
  if (!ReadDib(C, R, 16, R.U32(12), false, Dib))
    return false;
  TGdiBrush Brush;
  Brush.Style = Gdi::BsDibPatternPt;
  if (!Dib.Image.isNull() && C.Retain(Dib.Image)) {
    Brush.Pattern = Dib.Image;
    Brush.Monochrome = Type == EmrCreateMonoBrush && Dib.Monochrome;
  } else {
    Brush.Style = Gdi::BsSolid;
    Brush.Color = UndecodablePatternColor;
  }
  Object = Brush;
  return true;
}
