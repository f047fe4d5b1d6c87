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
  TDcState &S = C.State();
  // Fixed-size records: the size each needs beyond the 8-byte type and size.
  auto Need = [&](qint64 Size) { return R.Size() >= 8 + Size; };
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
  case EmrOffsetClipRgn: {
    if (!Need(8))
      return false;
    const QPointF P = Point(R, 8);
    if (Type == EmrSetWindowExtEx) C.SetWindowExt(QSizeF(P.x(), P.y()));
    else if (Type == EmrSetWindowOrgEx) C.SetWindowOrg(P);
    else if (Type == EmrSetViewportExtEx) C.SetViewportExt(QSizeF(P.x(), P.y()));
    else if (Type == EmrSetViewportOrgEx) C.SetViewportOrg(P);
    else if (Type == EmrSetBrushOrgEx) S.BrushOrg = P.toPoint();
    else if (Type == EmrMoveToEx) C.MoveTo(P);
    else if (Type == EmrLineTo) C.LineTo(P);
    else C.OffsetClipRegion(P);
    return true;
  }
  case EmrSetPixelV:
    if (!Need(12))
      return false;
    C.SetPixel(Point(R, 8), ColorRefToRgb(R.U32(16), S.Palette));
    return true;
  case EmrSetMapMode: case EmrSetBkMode: case EmrSetPolyFillMode: case EmrSetRop2:
  case EmrSetStretchBltMode: case EmrSetTextAlign: case EmrSetTextColor: case EmrSetBkColor:
  case EmrSetArcDirection: case EmrSetMiterLimit: case EmrRestoreDc: case EmrSelectClipPath: {
    if (!Need(4))
      return false;
    const quint32 V = R.U32(8);
    const int I = R.I32(8);
    if (Type == EmrSetMapMode) C.SetMapMode(I);
    else if (Type == EmrSetBkMode && (I == Gdi::Transparent || I == Gdi::Opaque)) S.BkMode = I;
    else if (Type == EmrSetPolyFillMode && (I == Gdi::Alternate || I == Gdi::Winding))
      S.FillMode = I;
    else if (Type == EmrSetRop2 && I >= 1 && I <= 16) S.Rop2 = I;
    else if (Type == EmrSetStretchBltMode) S.StretchMode = I;
    else if (Type == EmrSetTextAlign) S.TextAlign = V;
    else if (Type == EmrSetTextColor) S.TextColor = ColorRefToRgb(V, S.Palette);
    else if (Type == EmrSetBkColor) S.BkColor = ColorRefToRgb(V, S.Palette);
    else if (Type == EmrSetArcDirection && (I == 1 || I == 2)) S.ArcDirection = I;
    else if (Type == EmrSetMiterLimit && I > 0) S.MiterLimit = I;
    else if (Type == EmrRestoreDc) C.RestoreDC(I);
    else if (Type == EmrSelectClipPath) C.SelectClipPath(I);
    return true;
  }
  case EmrExcludeClipRect: case EmrIntersectClipRect: case EmrEllipse: case EmrRectangle:
    if (!Need(16))
      return false;
    if (Type == EmrExcludeClipRect) C.ExcludeClipRect(Point(R, 8), Point(R, 16));
    else if (Type == EmrIntersectClipRect) C.IntersectClipRect(Point(R, 8), Point(R, 16));
    else if (Type == EmrEllipse) C.Ellipse(Point(R, 8), Point(R, 16));
    else C.Rectangle(Point(R, 8), Point(R, 16));
    return true;
  case EmrRoundRect:
    if (!Need(24))
      return false;
    C.RoundRect(Point(R, 8), Point(R, 16), QSizeF(R.I32(24), R.I32(28)));
    return true;
  case EmrArc: case EmrChord: case EmrPie: case EmrArcTo: {
    if (!Need(32))
      return false;
    const TGdiContext::TArcKind Kind = Type == EmrArc     ? TGdiContext::ArcOnly
                                       : Type == EmrChord ? TGdiContext::Chord
                                       : Type == EmrPie   ? TGdiContext::Pie
                                                          : TGdiContext::ArcTo;
    C.Arc(Kind, Point(R, 8), Point(R, 16), Point(R, 24), Point(R, 32));
    return true;
  }
  case EmrAngleArc:
    if (!Need(20))
      return false;
    C.AngleArc(Point(R, 8), R.U32(16), R.F32(20), R.F32(24));
    return true;
  case EmrScaleViewportExtEx: case EmrScaleWindowExtEx:
    if (!Need(16))
      return false;
    if (Type == EmrScaleViewportExtEx)
      C.ScaleViewportExt(R.I32(8), R.I32(12), R.I32(16), R.I32(20));
    else
      C.ScaleWindowExt(R.I32(8), R.I32(12), R.I32(16), R.I32(20));
    return true;
  case EmrSetWorldTransform:
    if (!Need(24))
      return false;
    C.SetWorldTransform(Xform(R, 8));
    return true;
  case EmrModifyWorldTransform:
    if (!Need(28))
      return false;
    C.ModifyWorldTransform(Xform(R, 8), R.I32(32));
    return true;
  case EmrSaveDc: C.SaveDC(); return true;
  case EmrSetMetaRgn: C.SetMetaRegion(); return true;
  case EmrBeginPath: C.BeginPath(); return true;
  case EmrEndPath: C.EndPath(); return true;
  case EmrCloseFigure: C.CloseFigure(); return true;
  case EmrFillPath: C.FillPath(); return true;
  case EmrStrokeAndFillPath: C.StrokeAndFillPath(); return true;
  case EmrStrokePath: C.StrokePath(); return true;
  case EmrFlattenPath: C.FlattenPath(); return true;
  case EmrWidenPath: C.WidenPath(); return true;
  case EmrAbortPath: C.AbortPath(); return true;
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

const TGdiBrush *TEmfPlayer::BrushAt(TGdiContext &C, quint32 Index, TGdiBrush &Stock) {
  if (Index & 0x80000000u) {
    auto Object = StockObject(Index & 0x7FFFFFFFu);
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
  TGdiObjectTable &Table = C.Objects();
  TDcState &S = C.State();
  switch (Type) {
  case EmrSelectObject:
  case EmrSelectPalette:
    if (Index & 0x80000000u)
      C.SelectStock(Index & 0x7FFFFFFFu);
    else
      C.SelectObject(Index);
    return true;
  case EmrDeleteObject:
    if (!(Index & 0x80000000u))
      Table.Delete(Index);
    return true;
  case EmrCreatePen: {
    if (R.Size() < 28)
      return false;
    TGdiPen Pen;
    Pen.Style = R.U32(12);
    Pen.Width = R.I32(16);
    Pen.Color = ColorRefToRgb(R.U32(24), S.Palette);
    if (Index != 0)
      Table.Put(Index, Pen);
    return true;
  }
  case EmrExtCreatePen: {
    if (R.Size() < 52)
      return false;
    TGdiPen Pen;
    Pen.Plain = false;
    Pen.Style = R.U32(28);
    Pen.Width = R.U32(32);
    Pen.BrushStyle = R.U32(36);
    Pen.Color = ColorRefToRgb(R.U32(40), S.Palette);
    Pen.Hatch = R.U32(44);
    const qint64 Entries = R.U32(48);
    if ((Pen.Style & Gdi::PsStyleMask) == Gdi::PsUserStyle) {
      if (!R.Has(52, Entries * 4))
        return false;
      for (qint64 I = 0; I < std::min<qint64>(Entries, 16); ++I)
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
    if (Index != 0)
      Table.Put(Index, Pen);
    return true;
  }
  case EmrCreateBrushIndirect: {
    if (R.Size() < 24)
      return false;
    TGdiBrush Brush;
    Brush.Style = R.U32(12);
    Brush.Color = ColorRefToRgb(R.U32(16), S.Palette);
    Brush.Hatch = R.U32(20);
    if (Brush.Style != Gdi::BsNull && Brush.Style != Gdi::BsHatched)
      Brush.Style = Gdi::BsSolid;
    if (Index != 0)
      Table.Put(Index, Brush);
    return true;
  }
  case EmrCreateMonoBrush:
  case EmrCreateDibPatternBrushPt: {
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
      Brush.Color = 0xFF808080;
    }
    if (Index != 0)
      Table.Put(Index, Brush);
    return true;
  }
  case EmrExtCreateFontIndirectW: {
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
    if (Index != 0)
      Table.Put(Index, Font);
    return true;
  }
  case EmrCreatePalette: {
    if (R.Size() < 16)
      return false;
    const qint64 Count = R.U16(14);
    if (!R.Has(16, Count * 4))
      return false;
    TGdiPalette Palette;
    for (qint64 I = 0; I < Count; ++I)
      Palette.Colors.push_back(qRgb(R.U8(16 + 4 * I), R.U8(17 + 4 * I), R.U8(18 + 4 * I)));
    if (Index != 0)
      Table.Put(Index, Palette);
    return true;
  }
  default:
    return true;
  }
}
