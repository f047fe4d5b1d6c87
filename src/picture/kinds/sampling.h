#pragma once

#include <QImage>

// Nearest-pixel scaling, computing only the part that is visible.
//
// The source is scaled to DestSize; the result holds the pixels of Part (a rectangle in
// destination coordinates, 0,0 being the destination's top-left corner). Destination column
// dx takes source column floor((2*dx + 1) * SourceWidth / (2 * DestWidth)), the source pixel
// under the destination pixel's centre; rows likewise. The result keeps the source's format
// (and colour table), so it is exact: no pixel is blended or smoothed.
QImage SampleNearest(const QImage &Source, QSize DestSize, QRect Part);

// The source index for destination index D, as above (64-bit arithmetic, no overflow).
inline int NearestSourceIndex(qint64 D, qint64 DestLength, qint64 SourceLength) {
  return static_cast<int>((2 * D + 1) * SourceLength / (2 * DestLength));
}
