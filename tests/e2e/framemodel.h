#pragma once

#include "support/pixeldifference.h"
#include "support/rawrgb.h"

#include <QImage>
#include <QRect>
#include <QString>

// The 480 x 272 frame as the end-to-end checks expect it, computed from the input picture
// alone: white, the picture over it, the watermark's letters over both.
inline constexpr int FrameWidth = 480;
inline constexpr int FrameHeight = 272;

// Picture stretched over Box (in frame coordinates); white where the box does not cover the
// frame. Each box pixel shows the source pixel under its centre: column
// floor((2 x + 1) x W / (2 x Box width)), x counted from the box's left edge; rows likewise.
QImage StretchedFrame(const QImage &Picture, const QRect &Box);
// The same over a 480 x 272 box whose top-left corner lies at Offset.
inline QImage StretchedFrame(const QImage &Picture, QPoint Offset) {
  return StretchedFrame(Picture, QRect(Offset, QSize(FrameWidth, FrameHeight)));
}

// Picture at its own size at the frame's top-left corner; white where it does not reach.
QImage UnscaledFrame(const QImage &Picture);

// Draws Text as the watermark label shows it in the start font ("Tahoma" at 11 pixels, for
// which the narrow DejaVu face stands in): black, one line, its advance ending at x = RightEdge,
// its top at Top. Returns the label's box: its width the advance rounded up, its height the
// font's ascent plus descent rounded up.
QRect DrawWatermark(QImage &Frame, const QString &Text, int RightEdge = 473, int Top = 252);

// The mean over Area (less Excluding) of the largest channel difference per pixel.
double MeanDifference(const QImage &A, const QImage &B, const QRect &Area,
                      const QRect &Excluding = QRect());

// How well what Saved adds to Plain over Area matches what Expected adds to it, as the
// correlation (-1 to 1) of their brightness (qGray) changes. Brightness, because JPEG keeps it
// at full resolution but averages colour over 2 x 2 pixels: black letters on a colour come out
// as dark letters of that colour. 0 when either adds nothing.
double GrayCorrelation(const QImage &Saved, const QImage &Plain, const QImage &Expected,
                       const QRect &Area);

// Whether every pixel within Radius of (X, Y) in Frame has the colour of (X, Y), the frame's
// edge counting as a different colour: a spot JPEG coding barely moves.
bool FlatAround(const QImage &Frame, int X, int Y, int Radius);
