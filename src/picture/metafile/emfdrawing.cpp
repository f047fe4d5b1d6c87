// The drawing records of enhanced metafiles: lines and shapes, text, bitmaps, regions and
// gradients.
#include "picture/metafile/emfplayer.h"
#include "picture/metafile/gdi/gditext.h"

#include <QByteArray>

#include <cstring>

namespace {

enum : quint32 {
  EmrPolyBezier = 2, EmrPolygon = 3, EmrPolyline = 4, EmrPolyBezierTo = 5, EmrPolylineTo = 6,
  EmrPolyPolyline = 7, EmrPolyPolygon = 8, EmrFillRgn = 71, EmrFrameRgn = 72,
  EmrInvertRgn = 73, EmrPaintRgn = 74, EmrExtSelectClipRgn = 75, EmrBitBlt = 76,
  EmrStretchBlt = 77, EmrMaskBlt = 78, EmrPlgBlt = 79, EmrSetDiBitsToDevice = 80,
  EmrStretchDiBits = 81, EmrExtTextOutA = 83, EmrExtTextOutW = 84, EmrPolyBezier16 = 85,
  EmrPolygon16 = 86, EmrPolyline16 = 87, EmrPolyBezierTo16 = 88, EmrPolylineTo16 = 89,
  EmrPolyPolyline16 = 90, EmrPolyPolygon16 = 91, EmrPolyDraw16 = 92, EmrPolyTextOutW = 97,
  EmrAlphaBlend = 114
};

bool Short(quint32 Type) { return Type >= EmrPolyBezier16 && Type <= EmrPolyDraw16; }

// Count points from Offset: 16-bit or 32-bit pairs; false when they leave the record.
bool ReadPoints(TByteView R, qint64 Offset, qint64 Count, bool Small, QPolygonF &Points) {
  const qint64 Size = Small ? 4 : 8;
  if (!R.Has(Offset, Count * Size))
    return false;
  Points.reserve(Count);
  for (qint64 I = 0; I < Count; ++I) {
    const qint64 At = Offset + I * Size;
    Points << (Small ? QPointF(R.I16(At), R.I16(At + 2)) : QPointF(R.I32(At), R.I32(At + 4)));
  }
  return true;
}

QPointF Point(TByteView R, qint64 Offset) { return QPointF(R.I32(Offset), R.I32(Offset + 4)); }

// Blend function flag: the source bitmap carries alpha.
constexpr quint8 AcSrcAlpha = 1;

}  // namespace

bool ReadRegionData(TByteView Data, QList<QRect> &Rects) {
  if (!Data.Has(0, 32))
    return false;
  const qint64 Count = Data.U32(8);
  if (!Data.Has(32, Count * 16))
    return false;
  for (qint64 I = 0; I < std::min<qint64>(Count, MaxRegionRects); ++I) {
    const qint64 At = 32 + 16 * I;
    const qint32 L = Data.I32(At), T = Data.I32(At + 4), Rt = Data.I32(At + 8),
                 B = Data.I32(At + 12);
    if (Rt > L && B > T)
      Rects.push_back(QRect(QPoint(L, T), QPoint(Rt - 1, B - 1)));
  }
  return true;
}

bool TEmfPlayer::PlayPoly(TGdiContext &C, quint32 Type, TByteView R) {
  if (R.Size() < 28)
    return false;
  QPolygonF Points;
  if (!ReadPoints(R, 28, R.U32(24), Short(Type), Points))
    return false;
  const quint32 Base = Short(Type) ? Type - EmrPolyBezier16 + EmrPolyBezier : Type;
  switch (Base) {
  case EmrPolyBezier: C.PolyBezier(Points); break;
  case EmrPolygon: C.Polygon(Points); break;
  case EmrPolyline: C.Polyline(Points); break;
  case EmrPolyBezierTo: C.PolyBezierTo(Points); break;
  case EmrPolylineTo: C.PolylineTo(Points); break;
  default: break;
  }
  return true;
}

bool TEmfPlayer::PlayPolyPoly(TGdiContext &C, quint32 Type, TByteView R) {
  if (R.Size() < 32)
    return false;
  const qint64 Polygons = R.U32(24);
  const qint64 Total = R.U32(28);
  if (!R.Has(32, Polygons * 4))
    return false;
  QPolygonF All;
  if (!ReadPoints(R, 32 + Polygons * 4, Total, Short(Type), All))
    return false;
  std::vector<QPolygonF> Figures;
  qint64 Used = 0;
  for (qint64 I = 0; I < Polygons; ++I) {
    const qint64 Count = R.U32(32 + 4 * I);
    if (Count > Total - Used)
      return false;
    Figures.push_back(All.mid(Used, Count));
    Used += Count;
  }
  if (Type == EmrPolyPolygon || Type == EmrPolyPolygon16)
    C.PolyPolygon(Figures);
  else
    C.PolyPolyline(Figures);
  return true;
}

bool TEmfPlayer::PlayPolyDraw(TGdiContext &C, quint32 Type, TByteView R) {
  if (R.Size() < 28)
    return false;
  const qint64 Count = R.U32(24);
  QPolygonF Points;
  if (!ReadPoints(R, 28, Count, Short(Type), Points))
    return false;
  const qint64 TypesAt = 28 + Count * (Short(Type) ? 4 : 8);
  if (!R.Has(TypesAt, Count))
    return false;
  std::vector<quint8> Types(Count);
  for (qint64 I = 0; I < Count; ++I)
    Types[I] = R.U8(TypesAt + I);
  C.PolyDraw(Points, Types);
  return true;
}

bool TEmfPlayer::PlayTextItem(TGdiContext &C, TByteView R, qint64 Offset, bool Wide,
                              bool Advanced) {
  if (!R.Has(Offset, 40))
    return false;
  TGdiText Text;
  Text.Reference = Point(R, Offset);
  const qint64 Count = R.U32(Offset + 8);
  const qint64 StringAt = R.U32(Offset + 12);
  Text.Options = R.U32(Offset + 16);
  Text.RectTopLeft = Point(R, Offset + 20);
  Text.RectBottomRight = Point(R, Offset + 28);
  Text.HasRect = (Text.Options & (Gdi::EtoOpaque | Gdi::EtoClipped)) != 0;
  const qint64 DxAt = R.U32(Offset + 36);
  Text.Advanced = Advanced;
  const qint64 Bytes = Count * (Wide ? 2 : 1);
  if (Count > 0 && !R.Has(StringAt, Bytes))
    return false;
  const quint8 CharSet = TextCharSet(C.State().Font.CharSet, C.State().Font.Face);
  if (Wide) {
    Text.Text.reserve(Count);
    for (qint64 I = 0; I < Count; ++I)
      Text.Text += QChar(R.U16(StringAt + 2 * I));
    Text.GlyphIndices = (Text.Options & Gdi::EtoGlyphIndex) != 0;
  } else {
    Text.Text = DecodeCharSetText(R.Sub(StringAt, Count), CharSet);
  }
  if (DxAt != 0 && Count > 0) {
    const bool Pdy = (Text.Options & Gdi::EtoPdy) != 0;
    if (!R.Has(DxAt, Count * (Pdy ? 8 : 4)))
      return false;
    // Advances are per stored character; text whose decoding joined bytes keeps none.
    if (Text.Text.size() == Count)
      for (qint64 I = 0; I < Count; ++I) {
        Text.Dx.push_back(R.I32(DxAt + (Pdy ? 8 : 4) * I));
        if (Pdy)
          Text.Dy.push_back(R.I32(DxAt + 8 * I + 4));
      }
  }
  C.ExtTextOut(Text);
  return true;
}

bool TEmfPlayer::PlayText(TGdiContext &C, quint32 Type, TByteView R) {
  if (R.Size() < 36)
    return false;
  const bool Advanced = R.U32(24) == Gdi::GmAdvanced;
  const bool Wide = Type == EmrExtTextOutW || Type == EmrPolyTextOutW;
  if (Type == EmrExtTextOutA || Type == EmrExtTextOutW)
    return PlayTextItem(C, R, 36, Wide, Advanced);
  const qint64 Strings = R.U32(36);
  if (!R.Has(40, Strings * 40))
    return false;
  for (qint64 I = 0; I < Strings; ++I)
    if (!PlayTextItem(C, R, 40 + 40 * I, Wide, Advanced))
      return false;
  return true;
}

bool TEmfPlayer::PlaySmallText(TGdiContext &C, TByteView R) {
  if (R.Size() < 36)
    return false;
  TGdiText Text;
  Text.Reference = Point(R, 8);
  const qint64 Count = R.U32(16);
  const quint32 Options = R.U32(20);
  Text.Options = Options & ~(Gdi::EtoNoRect | Gdi::EtoSmallChars);
  Text.Advanced = R.U32(24) == Gdi::GmAdvanced;
  qint64 At = 36;
  if (!(Options & Gdi::EtoNoRect)) {
    Text.RectTopLeft = Point(R, 36);
    Text.RectBottomRight = Point(R, 44);
    Text.HasRect = (Options & (Gdi::EtoOpaque | Gdi::EtoClipped)) != 0;
    At = 52;
  }
  const bool Small = (Options & Gdi::EtoSmallChars) != 0;  // 8-bit characters
  if (!R.Has(At, Count * (Small ? 1 : 2)))
    return false;
  for (qint64 I = 0; I < Count; ++I)
    Text.Text += QChar(Small ? R.U8(At + I) : R.U16(At + 2 * I));
  Text.GlyphIndices = !Small && (Options & Gdi::EtoGlyphIndex) != 0;
  C.ExtTextOut(Text);
  return true;
}

bool TEmfPlayer::ReadDib(TGdiContext &C, TByteView R, qint64 Field, quint32 Usage,
                         bool KeepAlpha, TDib &Result) {
  const qint64 InfoAt = R.U32(Field), InfoSize = R.U32(Field + 4);
  const qint64 BitsAt = R.U32(Field + 8), BitsSize = R.U32(Field + 12);
  if (!R.Has(InfoAt, InfoSize) || !R.Has(BitsAt, BitsSize))
    return false;
  const TByteView Info = R.Sub(InfoAt, InfoSize);
  qint64 Width = 0, Height = 0;
  if (!DibHeaderSize(Info, Width, Height))
    return true;
  C.AddWork(std::min<qint64>(qAbs(Width) * qAbs(Height), C.Limits().Dib.MaxPixels));
  if (C.Exhausted())
    return true;
  Result = DecodeDib(Info, R.Sub(BitsAt, BitsSize), Usage, C.State().Palette, KeepAlpha,
                     C.Limits().Dib);
  return true;
}

bool TEmfPlayer::PlayDibBits(TGdiContext &C, quint32 Type, TByteView R) {
  TGdiBlit B;
  TDib Source;
  const bool Stretch = Type == EmrStretchDiBits;
  const qint64 Cx = R.I32(40), Cy = R.I32(44);
  B.DestOrigin = Point(R, 24);
  B.DestExtent = Stretch ? QSizeF(R.I32(72), R.I32(76)) : QSizeF(Cx, Cy);
  B.DeviceExtent = !Stretch;
  B.RasterOp = Stretch ? R.U32(68) : Gdi::SrcCopy;
  const qint64 InfoAt = R.U32(48), InfoSize = R.U32(52);
  if (!R.Has(InfoAt, InfoSize))
    return false;
  qint64 DeclaredWidth = 0, DeclaredHeight = 0;
  if (!DibHeaderSize(R.Sub(InfoAt, InfoSize), DeclaredWidth, DeclaredHeight))
    return true;
  qint64 Rows = qAbs(DeclaredHeight);
  qint64 FirstRow = 0;
  QByteArray Patched;
  TByteView PatchedBytes = R;
  if (!Stretch && R.U32(InfoAt) >= 40) {
    // Only rows [StartScan, StartScan + Scans) of the bitmap are in the record.
    const qint64 Scans = R.U32(72);
    FirstRow = R.U32(68);
    if (Scans > 0 && Scans < Rows) {
      Patched = QByteArray(reinterpret_cast<const char *>(R.Data()), R.Size());
      const qint32 Height = DeclaredHeight < 0 ? -qint32(Scans) : qint32(Scans);
      std::memcpy(Patched.data() + InfoAt + 8, &Height, 4);
      PatchedBytes =
          TByteView(reinterpret_cast<const uchar *>(Patched.constData()), Patched.size());
      Rows = Scans;
    } else {
      FirstRow = 0;
    }
  }
  if (!ReadDib(C, PatchedBytes, 48, R.U32(64), false, Source))
    return false;
  // Source coordinates of these records count rows from the bitmap's bottom.
  const qint64 Ys = R.I32(36);
  const double Top = DeclaredHeight < 0 ? Ys - FirstRow : double(FirstRow + Rows - Ys - Cy);
  B.SourceRect = QRectF(R.I32(32), Top, Cx, Cy);
  B.Source = &Source;
  C.Blit(B);
  return true;
}

bool TEmfPlayer::PlayBitmap(TGdiContext &C, quint32 Type, TByteView R) {
  qint64 Need = 108;  // StretchBlt, AlphaBlend, TransparentBlt
  switch (Type) {
  case EmrBitBlt: Need = 100; break;
  case EmrMaskBlt: Need = 128; break;
  case EmrPlgBlt: Need = 140; break;
  case EmrSetDiBitsToDevice: Need = 76; break;
  case EmrStretchDiBits: Need = 80; break;
  default: break;
  }
  if (R.Size() < Need)
    return false;
  if (Type == EmrStretchDiBits || Type == EmrSetDiBitsToDevice)
    return PlayDibBits(C, Type, R);
  TGdiBlit B;
  TDib Source, Mask;
  quint32 UsageField = 80, DibField = 84;
  if (Type == EmrPlgBlt) {
    B.HasCorners = true;
    for (int I = 0; I < 3; ++I)
      B.Corners[I] = Point(R, 24 + 8 * I);
    B.SourceRect = QRectF(R.I32(48), R.I32(52), R.I32(56), R.I32(60));
    UsageField = 92;
    DibField = 96;
  } else {
    B.DestOrigin = Point(R, 24);
    B.DestExtent = QSizeF(R.I32(32), R.I32(36));
    B.RasterOp = R.U32(40);
    // BitBlt and MaskBlt copy as many pixels as they cover; the others give a source size.
    const qint64 SizeAt = Type == EmrBitBlt || Type == EmrMaskBlt ? 32 : 100;
    B.SourceRect = QRectF(R.I32(44), R.I32(48), R.I32(SizeAt), R.I32(SizeAt + 4));
  }
  if (Type == EmrAlphaBlend) {
    B.Kind = TGdiBlit::AlphaBlend;
    B.ConstantAlpha = R.U8(42);
    B.SourceAlpha = (R.U8(43) & AcSrcAlpha) != 0;
    B.RasterOp = Gdi::SrcCopy;
  } else if (Type > EmrAlphaBlend) {
    B.Kind = TGdiBlit::Transparent;
    B.TransparentColor = ColorRefToRgb(R.U32(40), C.State().Palette);
    B.RasterOp = Gdi::SrcCopy;
  }
  if (R.U32(DibField + 4) != 0) {
    if (!ReadDib(C, R, DibField, R.U32(UsageField), B.Kind == TGdiBlit::AlphaBlend, Source))
      return false;
    if (Source.Image.isNull())
      return true;
    B.Source = &Source;
  } else if (B.Kind != TGdiBlit::Rop) {
    return true;
  }
  if (Type == EmrMaskBlt || Type == EmrPlgBlt) {
    const qint64 MaskAt = Type == EmrMaskBlt ? 100 : 112;
    if (R.U32(MaskAt + 16) != 0) {
      if (!ReadDib(C, R, MaskAt + 12, R.U32(MaskAt + 8), false, Mask))
        return false;
      if (!Mask.Image.isNull()) {
        B.Mask = &Mask;
        B.MaskOrigin = QPoint(R.I32(MaskAt), R.I32(MaskAt + 4));
        if (Type == EmrPlgBlt)
          B.RasterOp = Gdi::MaskedSrcCopy;
      }
    }
  }
  C.Blit(B);
  return true;
}

bool TEmfPlayer::PlayRegion(TGdiContext &C, quint32 Type, TByteView R) {
  qint64 DataAt = 28;
  if (Type == EmrExtSelectClipRgn)
    DataAt = 16;
  else if (Type == EmrFillRgn)
    DataAt = 32;
  else if (Type == EmrFrameRgn)
    DataAt = 40;
  if (R.Size() < DataAt)
    return false;
  const qint64 Size = R.U32(Type == EmrExtSelectClipRgn ? 8 : 24);
  if (Type == EmrExtSelectClipRgn && Size == 0) {
    C.SelectClipRegion(nullptr, R.I32(12));
    return true;
  }
  QList<QRect> Rects;
  if (!R.Has(DataAt, Size) || !ReadRegionData(R.Sub(DataAt, Size), Rects))
    return false;
  C.AddWork(Rects.size());
  if (Type == EmrExtSelectClipRgn) {
    const QRegion Region = C.DeviceRegion(Rects);
    C.SelectClipRegion(&Region, R.I32(12));
    return true;
  }
  const QRegion Region = C.LogicalRegion(Rects);
  TGdiBrush Stock;
  if (Type == EmrFillRgn || Type == EmrFrameRgn) {
    const TGdiBrush *Brush = BrushAt(C, R.U32(28), Stock);
    if (!Brush)
      return true;
    if (Type == EmrFillRgn)
      C.FillRegion(Region, *Brush);
    else
      C.FrameRegion(Region, *Brush, int(std::lround(C.MapLength(R.I32(32)))),
                    int(std::lround(C.MapLength(R.I32(36)))));
  } else if (Type == EmrPaintRgn) {
    C.FillRegion(Region, C.State().Brush);
  } else {
    C.InvertRegion(Region);
  }
  return true;
}

bool TEmfPlayer::PlayGradient(TGdiContext &C, TByteView R) {
  if (R.Size() < 36)
    return false;
  const qint64 VertexCount = R.U32(24), MeshCount = R.U32(28);
  const quint32 Mode = R.U32(32);
  const qint64 MeshSize = Mode == Gdi::GradientFillTriangle ? 12 : 8;
  if (!R.Has(36, VertexCount * 16 + MeshCount * MeshSize))
    return false;
  std::vector<TGdiVertex> Vertices;
  Vertices.reserve(VertexCount);
  for (qint64 I = 0; I < VertexCount; ++I) {
    const qint64 At = 36 + 16 * I;
    Vertices.push_back(TGdiVertex{Point(R, At), qRgb(R.U16(At + 8) >> 8, R.U16(At + 10) >> 8,
                                                     R.U16(At + 12) >> 8)});
  }
  std::vector<std::vector<quint32>> Meshes;
  const qint64 MeshesAt = 36 + VertexCount * 16;
  for (qint64 I = 0; I < MeshCount; ++I) {
    std::vector<quint32> Mesh;
    for (qint64 J = 0; J < MeshSize / 4; ++J)
      Mesh.push_back(R.U32(MeshesAt + I * MeshSize + 4 * J));
    Meshes.push_back(std::move(Mesh));
  }
  C.GradientFill(Vertices, Meshes, Mode);
  return true;
}
