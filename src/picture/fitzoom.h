#pragma once

#include <QSize>

// The arithmetic of the four fit modes and of the zoom slider, apart from any widget.
//
// Every ratio is computed from the integer operands in 80-bit extended floating point
// (64-bit significand, round to nearest, ties to even) and kept at that precision; the
// product is rounded to the same precision and only then turned into an integer: by
// truncation toward zero for the fit modes, to the nearest integer with ties to even for the
// zoom. Double precision gives other results for some sizes: 480 / 21 * 21 is just below
// 480 in extended precision (479 after truncation) but exactly 480 in double, and
// 480 / 11 * 11 the other way round.
//
// Saturation: every length these functions return lies in [0, MaxBoxLength]. Qt's widgets
// cannot be larger than that either, and a box edge Left + Width then stays far from the
// int range, so nothing downstream overflows. Negative or NaN products give 0.

// The largest box width or height that fit and zoom give (Qt's QWIDGETSIZE_MAX).
inline constexpr int MaxBoxLength = (1 << 24) - 1;

// The fit modes, numbered like the items of the fit-mode radio group.
enum class TFitMode { None = 0, Stretch = 1, MaxWidth = 2, MaxHeight = 3 };

// The box size a fit mode gives, for a picture whose natural size is Natural shown in a
// frame of size Frame:
//   None       Natural
//   Stretch    Frame
//   MaxWidth   Frame.width() x trunc(r * Natural.height()),  r = Frame.width() / Natural.width()
//   MaxHeight  trunc(r * Natural.width()) x Frame.height(),  r = Frame.height() / Natural.height()
// A natural width (MaxWidth) or height (MaxHeight) of 0 or less has no ratio; the mode then
// gives the frame's own size, as "Stretch" does. Both sides are saturated (see above).
QSize FitBoxSize(TFitMode Mode, QSize Natural, QSize Frame);

// trunc(FrameLength / NaturalAlong * NaturalAcross): the side across the fitted one. Gives
// FallBack when NaturalAlong is 0 or less. Saturated.
int FitAcrossLength(int FrameLength, int NaturalAlong, int NaturalAcross, int FallBack);

// round(Position / Tag * Length), ties to even: one side of the box after the zoom slider
// moved from its remembered position Tag to Position. A Tag of 0 or less gives no scale: the
// length comes back unchanged. Saturated.
int ZoomLength(int Position, int Tag, int Length);
