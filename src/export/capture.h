#pragma once

#include <QImage>
#include <QWidget>

// The frame's displayed pixels: the frame and its visible children rendered off screen the
// way they are painted on screen, into a Frame.width() x Frame.height() image with a device
// pixel ratio of 1. One pixel of the capture is one unit of the frame's geometry, also on a
// high-density screen where the frame itself is painted larger.
//
// The image has the pixel format of the screen the frame is on (ScreenPixelFormat of its
// depth), so on a screen of fewer than 24 bits per pixel it holds the reduced colours the
// screen shows, not the full colours the widgets paint with.
//
// The image starts in the frame's background colour, so a frame that leaves its background
// unpainted still captures as its colour. Hidden children are not drawn; children reaching
// beyond the frame are clipped by it. Pending repaints are the caller's business: the
// capture shows the widgets' state now, not what the screen showed last.
QImage CaptureFrame(QWidget &Frame);
// The same as shown on a screen of ScreenDepth bits per pixel.
QImage CaptureFrame(QWidget &Frame, int ScreenDepth);

// The format a screen of Depth bits per pixel holds a window's pixels in, as Qt paints them
// there: 5-6-5 bits at 16, 5-5-5 at 15, full 8-bit channels (Format_RGB32) at 24 and more
// and at depths Qt has no painting format for.
QImage::Format ScreenPixelFormat(int Depth);
