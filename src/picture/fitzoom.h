#pragma once

#include "base/picturesteps.h"
#include "picture/fitzoomlengths.h"

#include <QSize>

// The box sizes of the four fit modes, apart from any widget; the arithmetic and its
// precision are those of fitzoomlengths.h.

// The box size a fit mode gives, for a picture whose natural size is Natural shown in a
// frame of size Frame:
//   None       Natural
//   Stretch    Frame
//   MaxWidth   Frame.width() x trunc(r * Natural.height()),  r = Frame.width() / Natural.width()
//   MaxHeight  trunc(r * Natural.width()) x Frame.height(),  r = Frame.height() / Natural.height()
// A natural width (MaxWidth) or height (MaxHeight) of 0 or less has no ratio; the mode then
// gives the frame's own size, as "Stretch" does. Both sides are saturated to [0, MaxBoxLength].
QSize FitBoxSize(TFitMode Mode, QSize Natural, QSize Frame);
