#pragma once

#include "picture/metafile/emffile.h"
#include "picture/metafile/gdi/gdicontext.h"
#include "picture/kinds/picture.h"
#include "picture/metafile/wmffile.h"

#include <memory>

// A metafile picture: an enhanced metafile (EMF, also EMF+ dual files, whose EMF records are
// played) or a Windows metafile (WMF, placeable or plain).
//
// Its own size is in screen pixels at 96 dpi:
//   EMF            the header's frame (0.01 mm); an empty frame falls back to the bounds
//                  (reference-device pixels at the reference device's resolution)
//   placeable WMF  the header's box at its units per inch (0 units per inch counts as 1440)
//   plain WMF      the window the records set before they first draw, at 1440 units per
//                  inch; without one, the box of what the records draw, a unit a pixel
// A size that cannot be found, an unknown content or a damaged header or record chain gives
// "Metafile is not valid".
//
// Drawing plays the records into the destination rectangle: an EMF's frame, or a WMF's
// box (its first window), maps onto it; when what the records draw reaches well beyond
// that box, the drawing's own box maps onto it instead. What the records do not paint is
// left untouched. The played result is kept for the destination's size, so repaints at
// that size are blits.
class TMetafile : public TPicture {
public:
  TMetafile();
  ~TMetafile() override;

  const char *ClassName() const override { return "TMetafile"; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  void LoadFromBytes(const QByteArray &Data) override;
  void Draw(QPainter &Painter, const QRect &Dest, const QRect &Clip) override;

  bool Enhanced() const { return FEmf != nullptr; }
  bool Empty() const { return !FEmf && !FWmf; }

  // Plays the metafile scaled to DestSize and returns the pixels of Part (a rectangle in
  // destination coordinates, 0,0 being the destination's top-left corner) as a
  // Format_ARGB32_Premultiplied image, transparent where nothing was drawn.
  QImage Render(QSize DestSize, QRect Part, const TPlayLimits &Limits = TPlayLimits()) const;

  // Destinations up to this many pixels are played whole and kept; larger ones only in
  // their visible part.
  static constexpr qint64 MaxCachedPixels = qint64(1) << 23;

private:
  QByteArray FData;
  std::unique_ptr<TEmfFile> FEmf;
  std::unique_ptr<TWmfFile> FWmf;
  int FWidth = 0;
  int FHeight = 0;
  // The device rectangle that maps onto the destination: reference-device pixels for EMF;
  // for WMF, pixels of a device onto which the first window maps one unit a pixel.
  QRectF FSourceRect;
  // WMF: the window in force before the first record.
  QPointF FWindowOrg;
  QSizeF FWindowExt;

  QImage FCache;
  QSize FCacheDestSize;
  QRect FCachePart;
};
