// The drawing records of Windows metafiles: shapes, text, bitmaps and regions.
#include "picture/metafile/gdi/gditext.h"
#include "picture/metafile/wmfplayer.h"

#include <QByteArray>

#include <cstring>

namespace {

enum : quint32 {
  MetaInvertRegion = 0x012A, MetaPaintRegion = 0x012B, MetaFillRegion = 0x0228,
  MetaPolygon = 0x0324, MetaPolyline = 0x0325, MetaEllipse = 0x0418, MetaRectangle = 0x041B,
  MetaFrameRegion = 0x0429, MetaTextOut = 0x0521, MetaPolyPolygon = 0x0538,
  MetaRoundRect = 0x061C, MetaPatBlt = 0x061D, MetaArc = 0x0817, MetaPie = 0x081A,
  MetaChord = 0x0830, MetaBitBlt = 0x0922, MetaDibBitBlt = 0x0940, MetaStretchBlt = 0x0B23,
  MetaDibStretchBlt = 0x0B41, MetaSetDibToDev = 0x0D33, MetaStretchDib = 0x0F43
};

qint64 Params(TByteView R) { return (R.Size() - 6) / 2; }
qint16 P(TByteView R, qint64 I) { return R.I16(6 + 2 * I); }

bool ReadPoints(TByteView R, qint64 Offset, qint64 Count, QPolygonF &Points) {
  if (!R.Has(Offset, Count * 4))
    return false;
  Points.reserve(Count);
  for (qint64 I = 0; I < Count; ++I)
    Points << QPointF(R.I16(Offset + 4 * I), R.I16(Offset + 4 * I + 2));
  return true;
}

// A packed bitmap at Offset; with Scans rows only (when positive and fewer than declared) the
// header's height is reduced to them before decoding.
TDib ReadPackedDib(TGdiContext &C, TByteView R, qint64 Offset, quint32 Usage, qint64 Scans = 0) {
  const TByteView Packed = R.Sub(Offset, R.Size() - Offset);
  qint64 Width = 0, Height = 0;
  if (!DibHeaderSize(Packed, Width, Height))
    return TDib();
  C.AddWork(std::min<qint64>(qAbs(Width) * qAbs(Height), C.Limits().Dib.MaxPixels));
  if (C.Exhausted())
    return TDib();
  if (Scans > 0 && Scans < qAbs(Height) && Packed.U32(0) >= 40) {
    QByteArray Copy(reinterpret_cast<const char *>(Packed.Data()), Packed.Size());
    const qint32 Rows = Height < 0 ? -qint32(Scans) : qint32(Scans);
    std::memcpy(Copy.data() + 8, &Rows, 4);
    return DecodePackedDib(TByteView(reinterpret_cast<const uchar *>(Copy.constData()), Copy.size()),
                           Usage, C.State().Palette, C.Limits().Dib);
  }
  return DecodePackedDib(Packed, Usage, C.State().Palette, C.Limits().Dib);
}

}  // namespace

bool TWmfPlayer::PlayShape(TGdiContext &C, quint32 Function, TByteView R) {
  const qint64 N = Params(R);
  switch (Function) {
  case MetaPolygon:
  case MetaPolyline: {
    if (N < 1)
      return false;
    QPolygonF Points;
    if (!ReadPoints(R, 8, R.U16(6), Points))
      return false;
    if (Function == MetaPolygon)
      C.Polygon(Points);
    else
      C.Polyline(Points);
    return true;
  }
  case MetaPolyPolygon: {
    if (N < 1)
      return false;
    const qint64 Count = R.U16(6);
    if (!R.Has(8, Count * 2))
      return false;
    std::vector<QPolygonF> Polygons;
    qint64 At = 8 + Count * 2;
    for (qint64 I = 0; I < Count; ++I) {
      QPolygonF Points;
      const qint64 Size = R.U16(8 + 2 * I);
      if (!ReadPoints(R, At, Size, Points))
        return false;
      At += Size * 4;
      Polygons.push_back(std::move(Points));
    }
    C.PolyPolygon(Polygons);
    return true;
  }
  case MetaRectangle:
  case MetaEllipse:
    if (N < 4)
      return false;
    if (Function == MetaRectangle)
      C.Rectangle(QPointF(P(R, 3), P(R, 2)), QPointF(P(R, 1), P(R, 0)));
    else
      C.Ellipse(QPointF(P(R, 3), P(R, 2)), QPointF(P(R, 1), P(R, 0)));
    return true;
  case MetaRoundRect:
    if (N < 6)
      return false;
    C.RoundRect(QPointF(P(R, 5), P(R, 4)), QPointF(P(R, 3), P(R, 2)),
                QSizeF(P(R, 1), P(R, 0)));
    return true;
  case MetaArc:
  case MetaPie:
  case MetaChord: {
    if (N < 8)
      return false;
    const TGdiContext::TArcKind Kind = Function == MetaArc   ? TGdiContext::ArcOnly
                                       : Function == MetaPie ? TGdiContext::Pie
                                                             : TGdiContext::Chord;
    C.Arc(Kind, QPointF(P(R, 7), P(R, 6)), QPointF(P(R, 5), P(R, 4)),
          QPointF(P(R, 3), P(R, 2)), QPointF(P(R, 1), P(R, 0)));
    return true;
  }
  default:
    return true;
  }
}

bool TWmfPlayer::PlayText(TGdiContext &C, quint32 Function, TByteView R) {
  TGdiText Text;
  const quint8 CharSet = TextCharSet(C.State().Font.CharSet, C.State().Font.Face);
  if (Function == MetaTextOut) {
    if (Params(R) < 1)
      return false;
    const qint64 Count = R.U16(6);
    const qint64 Padded = (Count + 1) & ~qint64(1);
    if (!R.Has(8, Padded + 4))
      return false;
    Text.Text = DecodeCharSetText(R.Sub(8, Count), CharSet);
    Text.Reference = QPointF(R.I16(8 + Padded + 2), R.I16(8 + Padded));
    C.ExtTextOut(Text);
    return true;
  }
  if (Params(R) < 4)
    return false;
  Text.Reference = QPointF(P(R, 1), P(R, 0));
  const qint64 Count = R.U16(10);
  Text.Options = R.U16(12);
  qint64 At = 14;
  if (Text.Options & (Gdi::EtoOpaque | Gdi::EtoClipped)) {
    if (!R.Has(At, 8))
      return false;
    Text.HasRect = true;
    Text.RectTopLeft = QPointF(R.I16(At), R.I16(At + 2));
    Text.RectBottomRight = QPointF(R.I16(At + 4), R.I16(At + 6));
    At += 8;
  }
  if (!R.Has(At, Count))
    return false;
  Text.Text = DecodeCharSetText(R.Sub(At, Count), CharSet);
  // Advances follow the string (padded to a word), one per byte, when the record holds them.
  const qint64 DxAt = At + ((Count + 1) & ~qint64(1));
  if (Count > 0 && R.Has(DxAt, Count * 2) && Text.Text.size() == Count)
    for (qint64 I = 0; I < Count; ++I)
      Text.Dx.push_back(R.I16(DxAt + 2 * I));
  C.ExtTextOut(Text);
  return true;
}

bool TWmfPlayer::PlayBitmap(TGdiContext &C, quint32 Function, TByteView R) {
  const qint64 N = Params(R);
  TGdiBlit B;
  TDib Source;
  if (Function == MetaPatBlt) {
    if (N < 6)
      return false;
    B.RasterOp = R.U32(6);
    B.DestOrigin = QPointF(P(R, 5), P(R, 4));
    B.DestExtent = QSizeF(P(R, 3), P(R, 2));
    C.Blit(B);
    return true;
  }
  if (Function == MetaStretchDib || Function == MetaSetDibToDev) {
    const bool Stretch = Function == MetaStretchDib;
    if (N < (Stretch ? 11 : 9))
      return false;
    const qint64 DibAt = Stretch ? 28 : 24;
    qint64 Width = 0, Height = 0;
    if (!DibHeaderSize(R.Sub(DibAt, R.Size() - DibAt), Width, Height))
      return true;
    const qint64 Cx = Stretch ? P(R, 4) : P(R, 6), Cy = Stretch ? P(R, 3) : P(R, 5);
    const qint64 Xs = Stretch ? P(R, 6) : P(R, 4), Ys = Stretch ? P(R, 5) : P(R, 3);
    const qint64 Scans = Stretch ? 0 : R.U16(8);
    const qint64 FirstRow = Stretch ? 0 : R.U16(10);
    Source = ReadPackedDib(C, R, DibAt, R.U16(Stretch ? 10 : 6), Scans);
    if (Source.Image.isNull())
      return true;
    const qint64 Rows = Source.Image.height();
    // Rows of these records count from the bitmap's bottom.
    const double Top = Height < 0 ? double(Ys - FirstRow)
                                  : double((Scans > 0 && Scans < qAbs(Height) ? FirstRow : 0) +
                                           Rows - Ys - Cy);
    B.SourceRect = QRectF(Xs, Top, Cx, Cy);
    B.Source = &Source;
    B.RasterOp = Stretch ? R.U32(6) : Gdi::SrcCopy;
    B.DestOrigin = Stretch ? QPointF(P(R, 10), P(R, 9)) : QPointF(P(R, 8), P(R, 7));
    B.DestExtent = Stretch ? QSizeF(P(R, 8), P(R, 7)) : QSizeF(Cx, Cy);
    B.DeviceExtent = !Stretch;
    C.Blit(B);
    return true;
  }
  // BitBlt and StretchBlt, with an old or a device-independent bitmap, or none (a pattern
  // blit, one word longer with a reserved word before the destination).
  const bool Stretch = Function == MetaStretchBlt || Function == MetaDibStretchBlt;
  const bool NoSource = R.Size() == qint64((Function >> 8) + 3) * 2;
  const qint64 First = Stretch ? 4 : 2;  // parameter index of the source position
  if (N < First + 2 + (NoSource ? 5 : 4))
    return false;
  B.RasterOp = R.U32(6);
  const qint64 Dest = First + 2 + (NoSource ? 1 : 0);
  B.DestOrigin = QPointF(P(R, Dest + 3), P(R, Dest + 2));
  B.DestExtent = QSizeF(P(R, Dest + 1), P(R, Dest));
  const QPointF SourceAt(P(R, First + 1), P(R, First));
  B.SourceRect = Stretch ? QRectF(SourceAt, QSizeF(P(R, 3), P(R, 2)))
                         : QRectF(SourceAt, B.DestExtent);
  if (!NoSource) {
    const qint64 BitmapAt = 6 + 2 * (Dest + 4);
    if (Function == MetaBitBlt || Function == MetaStretchBlt) {
      Source = DecodeBitmap16(R.Sub(BitmapAt, 10), R.Sub(BitmapAt + 10, R.Size() - BitmapAt - 10),
                              C.Limits().Dib);
      // A monochrome device bitmap takes the text colour for 0 and the background for 1.
      if (Source.Monochrome)
        Source.Image.setColorTable({C.State().TextColor | 0xFF000000u,
                                    C.State().BkColor | 0xFF000000u});
    } else {
      Source = ReadPackedDib(C, R, BitmapAt, DibRgbColors);
    }
    if (Source.Image.isNull())
      return true;
    B.Source = &Source;
  }
  C.Blit(B);
  return true;
}

bool TWmfPlayer::PlayRegion(TGdiContext &C, quint32 Function, TByteView R) {
  const qint64 N = Params(R);
  if (N < (Function == MetaFrameRegion ? 4 : Function == MetaFillRegion ? 2 : 1))
    return false;
  const TGdiObject *Object = C.Objects().Get(R.U16(6));
  const TGdiRegion *Region = Object ? std::get_if<TGdiRegion>(Object) : nullptr;
  if (!Region)
    return true;
  const QRegion Output = C.LogicalRegion(Region->Rects);
  if (Function == MetaInvertRegion) {
    C.InvertRegion(Output);
  } else if (Function == MetaPaintRegion) {
    C.FillRegion(Output, C.State().Brush);
  } else {
    const TGdiObject *BrushObject = C.Objects().Get(R.U16(8));
    const TGdiBrush *Brush = BrushObject ? std::get_if<TGdiBrush>(BrushObject) : nullptr;
    if (!Brush)
      return true;
    if (Function == MetaFillRegion)
      C.FillRegion(Output, *Brush);
    else
      C.FrameRegion(Output, *Brush, int(std::lround(C.MapLength(P(R, 3)))),
                    int(std::lround(C.MapLength(P(R, 2)))));
  }
  return true;
}
