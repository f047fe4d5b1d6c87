#pragma once

#include "picture/metafile/emffile.h"
#include "picture/metafile/gdi/gdicontext.h"

// Plays the records of an enhanced metafile into a drawing context.
//
// Every count, offset and size a record gives is checked against the record before use. A
// record found damaged (shorter than its fixed part, or with counts or offsets reaching past
// its end) stops the playback there: what was drawn before stays. Unknown and unsupported
// records, escapes and comments (which carry the EMF+ records of dual files) are skipped.
// Object indices outside the table and requests the context refuses are ignored, as the
// system ignores failing calls.
//
// Played: the poly records in their 32- and 16-bit forms (bezier, polygon, polyline, -to,
// poly-poly, polydraw), lines, rectangles, round rectangles, ellipses, arcs, chords, pies,
// angle arcs, pixels; mapping modes, window and viewport origins, extents and scaling,
// world transforms; save and restore; pens (plain and extended, with user styles and
// pattern brushes), brushes (solid, hatched, bitmap pattern, monochrome), fonts, palettes;
// background, text, fill, stretch, raster-operation, arc-direction, miter and alignment
// settings; paths and path clipping; clip rectangles, clip regions, meta region; region
// fill, frame, paint and invert; text (ExtTextOut A and W, PolyTextOut, SmallTextOut);
// bitmaps (BitBlt, StretchBlt, MaskBlt, PlgBlt, SetDIBitsToDevice, StretchDIBits,
// AlphaBlend, TransparentBlt) and gradient fills.
// Skipped: comments (EMF+), escapes, OpenGL, colour management and colour adjustment,
// mapper flags, palette changes after creation, layout mirroring, text justification and
// flood fills.
class TEmfPlayer {
public:
  TEmfPlayer(TByteView Data, const TEmfFile &File) : FData(Data), FFile(File) {}

  // Plays until the end, a damaged record, the record limit or the work limit.
  void Play(TGdiContext &Context);

private:
  // Each returns false when the record is damaged.
  bool PlayRecord(TGdiContext &C, quint32 Type, TByteView R);
  bool PlayPointRecord(TGdiContext &C, quint32 Type, TByteView R);
  bool PlaySetting(TGdiContext &C, quint32 Type, TByteView R);
  bool PlayShape(TGdiContext &C, quint32 Type, TByteView R);
  bool PlayScaling(TGdiContext &C, quint32 Type, TByteView R);
  void PlayBare(TGdiContext &C, quint32 Type);
  bool PlayObjectRecord(TGdiContext &C, quint32 Type, TByteView R);
  bool ReadExtPen(TGdiContext &C, TByteView R, TGdiObject &Object);
  bool ReadPatternBrush(TGdiContext &C, quint32 Type, TByteView R, TGdiObject &Object);
  bool PlayPoly(TGdiContext &C, quint32 Type, TByteView R);
  bool PlayPolyPoly(TGdiContext &C, quint32 Type, TByteView R);
  bool PlayPolyDraw(TGdiContext &C, quint32 Type, TByteView R);
  bool PlayText(TGdiContext &C, quint32 Type, TByteView R);
  bool PlaySmallText(TGdiContext &C, TByteView R);
  bool PlayBitmap(TGdiContext &C, quint32 Type, TByteView R);
  // StretchDIBits and SetDIBitsToDevice, whose source rows count from the bottom.
  bool PlayDibBits(TGdiContext &C, quint32 Type, TByteView R);
  bool PlayRegion(TGdiContext &C, quint32 Type, TByteView R);
  bool PlayGradient(TGdiContext &C, TByteView R);
  // One text item (EMRTEXT) at Offset of the record.
  bool PlayTextItem(TGdiContext &C, TByteView R, qint64 Offset, bool Wide, bool Advanced);
  // A bitmap at the record's offsets; false (damage) when they leave the record, a null
  // image when the bitmap cannot be decoded.
  bool ReadDib(TGdiContext &C, TByteView R, qint64 InfoOffsetField, quint32 Usage,
               bool KeepAlpha, TDib &Result);
  // A brush by table index or stock number.
  const TGdiBrush *BrushAt(TGdiContext &C, quint32 Index, TGdiBrush &Stock);

  TByteView FData;
  const TEmfFile &FFile;
};

// Region data (RGNDATA) as rectangles; false when it is damaged. At most MaxRegionRects are
// kept.
bool ReadRegionData(TByteView Data, QList<QRect> &Rects);
constexpr int MaxRegionRects = 20000;
