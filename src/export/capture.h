#pragma once

#include <QImage>
#include <QWidget>

// The frame's displayed pixels: the frame and its visible children rendered off screen the
// way they are painted on screen, into a Frame.width() x Frame.height() Format_RGB32 image
// with a device pixel ratio of 1. One pixel of the capture is one unit of the frame's
// geometry, also on a high-density screen where the frame itself is painted larger.
//
// The image starts in the frame's background colour, so a frame that leaves its background
// unpainted still captures as its colour. Hidden children are not drawn; children reaching
// beyond the frame are clipped by it. Pending repaints are the caller's business: the
// capture shows the widgets' state now, not what the screen showed last.
QImage CaptureFrame(QWidget &Frame);
