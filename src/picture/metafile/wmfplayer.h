#pragma once

#include "picture/metafile/gdi/gdicontext.h"
#include "picture/metafile/wmffile.h"

// Plays the records of a Windows metafile into a drawing context set up for it (a fixed
// viewport, the window first set to the picture's box).
//
// As for enhanced metafiles: every count, offset and size is checked against the record; a
// damaged record stops the playback; unknown records and escapes are skipped; object
// indices outside the table are ignored. Objects take the first free slot of the table.
//
// Played: lines, polylines, polygons, poly-polygons, rectangles, round rectangles, ellipses,
// arcs, chords, pies, pixels; window origin, extent, offset and scaling; mapping mode (as
// isotropic or anisotropic); save and restore; pens, brushes (solid, hatched, pattern),
// fonts, palettes, regions; background, text, fill, stretch, raster-operation, alignment
// and character-spacing settings; clip rectangles and regions; region fill, frame, paint
// and invert; TextOut and ExtTextOut; PatBlt, BitBlt, StretchBlt (device and
// device-independent bitmaps), StretchDIB and SetDIBitsToDevice.
// Skipped: viewport records (the destination is the viewport), escapes, palette changes
// after creation, mapper flags, layout, text justification and flood fills.
class TWmfPlayer {
public:
  TWmfPlayer(TByteView Data, const TWmfFile &File) : FData(Data), FFile(File) {}

  void Play(TGdiContext &Context);

  // Whether a record of this function draws (as opposed to setting state or objects).
  static bool Draws(quint32 Function);

private:
  bool PlayRecord(TGdiContext &C, quint32 Function, TByteView R);
  bool PlaySetting(TGdiContext &C, quint32 Function, TByteView R);
  bool PlayPointRecord(TGdiContext &C, quint32 Function, TByteView R);
  bool PlayObjectRecord(TGdiContext &C, quint32 Function, TByteView R);
  bool PlayShape(TGdiContext &C, quint32 Function, TByteView R);
  bool PlayText(TGdiContext &C, quint32 Function, TByteView R);
  bool PlayBitmap(TGdiContext &C, quint32 Function, TByteView R);
  bool PlayRegion(TGdiContext &C, quint32 Function, TByteView R);

  TByteView FData;
  const TWmfFile &FFile;
};
