#include "picture/metafile/wmfplayer.h"

namespace {

// Function numbers of the records played here.
enum : quint32 {
  MetaSaveDc = 0x001E, MetaCreatePalette = 0x00F7, MetaSetBkMode = 0x0102,
  MetaSetMapMode = 0x0103, MetaSetRop2 = 0x0104, MetaSetPolyFillMode = 0x0106,
  MetaSetStretchBltMode = 0x0107, MetaSetTextCharExtra = 0x0108, MetaRestoreDc = 0x0127,
  MetaInvertRegion = 0x012A, MetaPaintRegion = 0x012B, MetaSelectClipRegion = 0x012C,
  MetaSelectObject = 0x012D, MetaSetTextAlign = 0x012E, MetaDibCreatePatternBrush = 0x0142,
  MetaDeleteObject = 0x01F0, MetaCreatePatternBrush = 0x01F9, MetaSetBkColor = 0x0201,
  MetaSetTextColor = 0x0209, MetaSetWindowOrg = 0x020B, MetaSetWindowExt = 0x020C,
  MetaSetViewportOrg = 0x020D, MetaSetViewportExt = 0x020E, MetaOffsetWindowOrg = 0x020F,
  MetaOffsetViewportOrg = 0x0211, MetaLineTo = 0x0213, MetaMoveTo = 0x0214,
  MetaOffsetClipRgn = 0x0220, MetaFillRegion = 0x0228, MetaSelectPalette = 0x0234,
  MetaCreatePenIndirect = 0x02FA, MetaCreateFontIndirect = 0x02FB,
  MetaCreateBrushIndirect = 0x02FC, MetaPolygon = 0x0324, MetaPolyline = 0x0325,
  MetaScaleWindowExt = 0x0410, MetaScaleViewportExt = 0x0412, MetaExcludeClipRect = 0x0415,
  MetaIntersectClipRect = 0x0416, MetaEllipse = 0x0418, MetaRectangle = 0x041B,
  MetaSetPixel = 0x041F, MetaFrameRegion = 0x0429, MetaTextOut = 0x0521,
  MetaPolyPolygon = 0x0538, MetaRoundRect = 0x061C, MetaPatBlt = 0x061D,
  MetaCreateRegion = 0x06FF, MetaArc = 0x0817, MetaPie = 0x081A, MetaChord = 0x0830,
  MetaBitBlt = 0x0922, MetaDibBitBlt = 0x0940, MetaExtTextOut = 0x0A32,
  MetaStretchBlt = 0x0B23, MetaDibStretchBlt = 0x0B41, MetaSetDibToDev = 0x0D33,
  MetaStretchDib = 0x0F43
};

// Rectangles of one region that are kept.
constexpr qsizetype MaxRegionRectangles = 20000;
// Where a font record's face name starts, and its longest length.
constexpr qint64 FaceAt = 24, MaxFaceBytes = 32;
// What a pattern brush whose bitmap cannot be decoded paints with.
constexpr QRgb UndecodablePatternColor = 0xFF808080;

qint64 Params(TByteView R) { return (R.Size() - 6) / 2; }
qint16 P(TByteView R, qint64 I) { return R.I16(6 + 2 * I); }

// A region object: scans of x ranges between two y values.
bool ReadRegion(TByteView R, TGdiRegion &Region) {
  if (!R.Has(6, 22))
    return false;
  const qint64 Scans = R.U16(6 + 10);
  qint64 At = 6 + 22;
  for (qint64 S = 0; S < Scans; ++S) {
    if (!R.Has(At, 6))
      return false;
    const qint64 Count = R.U16(At);
    const qint16 Top = R.I16(At + 2), Bottom = R.I16(At + 4);
    if (!R.Has(At + 6, Count * 2 + 2))
      return false;
    for (qint64 I = 0; I + 1 < Count && Region.Rects.size() < MaxRegionRectangles; I += 2) {
      const qint16 Left = R.I16(At + 6 + 2 * I), Right = R.I16(At + 8 + 2 * I);
      if (Right > Left && Bottom > Top)
        Region.Rects.push_back(QRect(QPoint(Left, Top), QPoint(Right - 1, Bottom - 1)));
    }
    At += 6 + Count * 2 + 2;
  }
  return true;
}

bool ReadPen(TByteView R, const QList<QRgb> &Palette, TGdiObject &Object) {
  if (Params(R) < 5)
    return false;
  // Style, then the width as a point (x used, y ignored), then the colour.
  TGdiPen Pen;
  Pen.Style = R.U16(6);
  Pen.Width = P(R, 1);
  Pen.Color = ColorRefToRgb(R.U32(12), Palette);
  Object = Pen;
  return true;
}

bool ReadBrush(TByteView R, const QList<QRgb> &Palette, TGdiObject &Object) {
  if (Params(R) < 4)
    return false;
  TGdiBrush Brush;
  Brush.Style = R.U16(6);
  Brush.Color = ColorRefToRgb(R.U32(8), Palette);
  Brush.Hatch = R.U16(12);
  if (Brush.Style != Gdi::BsNull && Brush.Style != Gdi::BsHatched)
    Brush.Style = Gdi::BsSolid;
  Object = Brush;
  return true;
}

bool ReadFont(TByteView R, TGdiObject &Object) {
  if (Params(R) < 9)
    return false;
  TGdiFont Font;
  Font.Height = P(R, 0);
  Font.Width = P(R, 1);
  Font.Escapement = P(R, 2);
  Font.Orientation = P(R, 3);
  Font.Weight = P(R, 4);
  Font.Italic = R.U8(16) != 0;
  Font.Underline = R.U8(17) != 0;
  Font.StrikeOut = R.U8(18) != 0;
  Font.CharSet = R.U8(19);
  Font.Quality = R.U8(22);
  Font.PitchAndFamily = R.U8(23);
  QByteArray Face;
  for (qint64 I = FaceAt; I < std::min<qint64>(R.Size(), FaceAt + MaxFaceBytes) && R.U8(I) != 0; ++I)
    Face += char(R.U8(I));
  Font.Face = QString::fromLatin1(Face);
  Object = Font;
  return true;
}

bool ReadPalette(TByteView R, TGdiObject &Object) {
  if (Params(R) < 2)
    return false;
  const qint64 Count = R.U16(8);
  if (!R.Has(10, Count * 4))
    return false;
  TGdiPalette Palette;
  for (qint64 I = 0; I < Count; ++I)
    Palette.Colors.push_back(qRgb(R.U8(10 + 4 * I), R.U8(11 + 4 * I), R.U8(12 + 4 * I)));
  Object = Palette;
  return true;
}

// A pattern brush from an old device bitmap or a device-independent one; a bitmap that
// cannot be decoded or kept leaves a grey brush.
bool ReadPatternBrush(TGdiContext &C, quint32 Function, TByteView R, TGdiObject &Object) {
  if (Params(R) < 2)
    return false;
  TDib Dib;
  if (Function == MetaCreatePatternBrush) {
    // An old bitmap header, its unused bits pointer and 18 reserved bytes, then the bits.
    Dib = DecodeBitmap16(R.Sub(6, 10), R.Sub(38, R.Size() - 38), C.Limits().Dib);
  } else if (R.U32(10) >= 12) {
    Dib = DecodePackedDib(R.Sub(10, R.Size() - 10), R.U16(8), C.State().Palette,
                          C.Limits().Dib);
  }
  TGdiBrush Brush;
  if (!Dib.Image.isNull() && C.Retain(Dib.Image)) {
    Brush.Style = Gdi::BsDibPatternPt;
    Brush.Pattern = Dib.Image;
    Brush.Monochrome = Function == MetaCreatePatternBrush && Dib.Monochrome;
  } else {
    Brush.Color = UndecodablePatternColor;
  }
  Object = Brush;
  return true;
}

}  // namespace

bool TWmfPlayer::Draws(quint32 Function) {
  switch (Function) {
  case MetaLineTo: case MetaPolygon: case MetaPolyline: case MetaPolyPolygon:
  case MetaRectangle: case MetaEllipse: case MetaRoundRect: case MetaArc: case MetaPie:
  case MetaChord: case MetaTextOut: case MetaExtTextOut: case MetaPatBlt: case MetaBitBlt:
  case MetaStretchBlt: case MetaDibBitBlt: case MetaDibStretchBlt: case MetaStretchDib:
  case MetaSetDibToDev: case MetaSetPixel: case MetaFillRegion: case MetaFrameRegion:
  case MetaInvertRegion: case MetaPaintRegion:
    return true;
  default:
    return false;
  }
}

void TWmfPlayer::Play(TGdiContext &Context) {
  Context.PlayRecords(FFile.Records, FData, [&](quint32 Type, TByteView Bytes) {
    return PlayRecord(Context, Type, Bytes);
  });
}

bool TWmfPlayer::PlayRecord(TGdiContext &C, quint32 Function, TByteView R) {
  switch (Function) {
  case MetaSetBkMode: case MetaSetMapMode: case MetaSetRop2: case MetaSetPolyFillMode:
  case MetaSetStretchBltMode: case MetaSetTextCharExtra: case MetaRestoreDc:
  case MetaSetTextAlign: case MetaSetBkColor: case MetaSetTextColor:
    return PlaySetting(C, Function, R);
  case MetaSetWindowOrg: case MetaSetWindowExt: case MetaSetViewportOrg:
  case MetaSetViewportExt: case MetaOffsetWindowOrg: case MetaOffsetViewportOrg:
  case MetaMoveTo: case MetaLineTo: case MetaOffsetClipRgn: case MetaScaleWindowExt:
  case MetaScaleViewportExt: case MetaExcludeClipRect: case MetaIntersectClipRect:
  case MetaSetPixel:
    return PlayPointRecord(C, Function, R);
  case MetaSaveDc:
    C.SaveDC();
    return true;
  case MetaSelectObject: case MetaSelectPalette: case MetaDeleteObject:
  case MetaSelectClipRegion: case MetaCreatePenIndirect: case MetaCreateBrushIndirect:
  case MetaCreateFontIndirect: case MetaCreatePalette: case MetaCreatePatternBrush:
  case MetaDibCreatePatternBrush: case MetaCreateRegion:
    return PlayObjectRecord(C, Function, R);
  case MetaPolygon: case MetaPolyline: case MetaPolyPolygon: case MetaRectangle:
  case MetaEllipse: case MetaRoundRect: case MetaArc: case MetaPie: case MetaChord:
    return PlayShape(C, Function, R);
  case MetaTextOut: case MetaExtTextOut:
    return PlayText(C, Function, R);
  case MetaPatBlt: case MetaBitBlt: case MetaStretchBlt: case MetaDibBitBlt:
  case MetaDibStretchBlt: case MetaStretchDib: case MetaSetDibToDev:
    return PlayBitmap(C, Function, R);
  case MetaFillRegion: case MetaFrameRegion: case MetaInvertRegion: case MetaPaintRegion:
    return PlayRegion(C, Function, R);
  default:
    return true;
  }
}

bool TWmfPlayer::PlaySetting(TGdiContext &C, quint32 Function, TByteView R) {
  TDcState &S = C.State();
  if (Function == MetaSetBkColor || Function == MetaSetTextColor) {
    if (Params(R) < 2)
      return false;
    (Function == MetaSetBkColor ? S.BkColor : S.TextColor) = ColorRefToRgb(R.U32(6), S.Palette);
    return true;
  }
  if (Params(R) < 1)
    return false;
  const int V = P(R, 0);
  switch (Function) {
  case MetaSetBkMode:
    if (V == Gdi::Transparent || V == Gdi::Opaque)
      S.BkMode = V;
    break;
  case MetaSetMapMode: C.SetMapMode(V); break;
  case MetaSetRop2:
    if (V >= Gdi::R2Black && V <= Gdi::R2White)
      S.Rop2 = V;
    break;
  case MetaSetPolyFillMode:
    if (V == Gdi::Alternate || V == Gdi::Winding)
      S.FillMode = V;
    break;
  case MetaSetStretchBltMode: S.StretchMode = V; break;
  case MetaSetTextCharExtra: S.CharExtra = V; break;
  case MetaRestoreDc: C.RestoreDC(V); break;
  default: S.TextAlign = quint16(V); break;
  }
  return true;
}

bool TWmfPlayer::PlayPointRecord(TGdiContext &C, quint32 Function, TByteView R) {
  // Points are stored y first; the four-value records store two points, the later first.
  switch (Function) {
  case MetaScaleWindowExt: case MetaScaleViewportExt:
  case MetaExcludeClipRect: case MetaIntersectClipRect: case MetaSetPixel: {
    if (Params(R) < 4)
      return false;
    const QPointF A(P(R, 3), P(R, 2)), B(P(R, 1), P(R, 0));
    if (Function == MetaScaleWindowExt) C.ScaleWindowExt(A.x(), A.y(), B.x(), B.y());
    else if (Function == MetaScaleViewportExt) C.ScaleViewportExt(A.x(), A.y(), B.x(), B.y());
    else if (Function == MetaExcludeClipRect) C.ExcludeClipRect(A, B);
    else if (Function == MetaIntersectClipRect) C.IntersectClipRect(A, B);
    else C.SetPixel(A, ColorRefToRgb(R.U32(6), C.State().Palette));
    return true;
  }
  default:
    break;
  }
  if (Params(R) < 2)
    return false;
  const QPointF Pt(P(R, 1), P(R, 0));
  switch (Function) {
  case MetaSetWindowOrg: C.SetWindowOrg(Pt); break;
  case MetaSetWindowExt: C.SetWindowExt(QSizeF(Pt.x(), Pt.y())); break;
  case MetaSetViewportOrg: C.SetViewportOrg(Pt); break;
  case MetaSetViewportExt: C.SetViewportExt(QSizeF(Pt.x(), Pt.y())); break;
  case MetaOffsetWindowOrg: C.OffsetWindowOrg(Pt); break;
  case MetaOffsetViewportOrg: C.OffsetViewportOrg(Pt); break;
  case MetaMoveTo: C.MoveTo(Pt); break;
  case MetaLineTo: C.LineTo(Pt); break;
  default: C.OffsetClipRegion(Pt); break;
  }
  return true;
}

bool TWmfPlayer::PlayObjectRecord(TGdiContext &C, quint32 Function, TByteView R) {
  TGdiObject Object;
  bool Whole = true;
  switch (Function) {
  case MetaSelectObject: case MetaSelectPalette: case MetaDeleteObject:
  case MetaSelectClipRegion:
    if (Params(R) < 1)
      return false;
    if (Function == MetaDeleteObject)
      C.Objects().Delete(R.U16(6));
    else
      C.SelectObject(R.U16(6));
    return true;
  case MetaCreatePenIndirect: Whole = ReadPen(R, C.State().Palette, Object); break;
  case MetaCreateBrushIndirect: Whole = ReadBrush(R, C.State().Palette, Object); break;
  case MetaCreateFontIndirect: Whole = ReadFont(R, Object); break;
  case MetaCreatePalette: Whole = ReadPalette(R, Object); break;
  case MetaCreatePatternBrush:
  case MetaDibCreatePatternBrush: Whole = ReadPatternBrush(C, Function, R, Object); break;
  case MetaCreateRegion: {
    TGdiRegion Region;
    Whole = ReadRegion(R, Region);
    if (Whole)
      C.AddWork(Region.Rects.size());
    Object = std::move(Region);
    break;
  }
  default:
    return true;
  }
  if (Whole)
    C.Objects().PutFirstFree(std::move(Object));
  return Whole;
}
