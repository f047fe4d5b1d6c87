#pragma once

// The integer arithmetic of the fit modes and the zoom slider: no Qt, so that it builds and
// is checked on every target the program is built for.
//
// Every ratio is computed from the integer operands in 80-bit extended floating point
// (64-bit significand, round to nearest, ties to even) and kept at that precision; the
// product is rounded to the same precision and only then turned into an integer: by
// truncation toward zero for the fit modes, to the nearest integer with ties to even for the
// zoom. Double precision gives other results for some sizes: 480 / 21 * 21 is just below
// 480 in extended precision (479 after truncation) but exactly 480 in double, and
// 480 / 11 * 11 the other way round.
//
// Only x86 has that format in hardware (long double), so the two roundings are done here
// exactly, with integers: the results are the same bits on x86-64, arm64 and every other
// architecture, and the same as the x87 unit gives.
//
// Saturation: every length these functions return lies in [0, MaxBoxLength]. Qt's widgets
// cannot be larger than that either, and a box edge Left + Width then stays far from the
// int range, so nothing downstream overflows. Negative products give 0.

// The largest box width or height that fit and zoom give (Qt's QWIDGETSIZE_MAX).
inline constexpr int MaxBoxLength = (1 << 24) - 1;

// Length clamped to [0, MaxBoxLength].
int SaturatedLength(int Length);

// trunc(FrameLength / NaturalAlong * NaturalAcross): the side across the fitted one. Gives
// FallBack when NaturalAlong is 0 or less. Saturated.
int FitAcrossLength(int FrameLength, int NaturalAlong, int NaturalAcross, int FallBack);

// round(Position / Tag * Length), ties to even: one side of the box after the zoom slider
// moved from its remembered position Tag to Position. A Tag of 0 or less gives no scale: the
// length comes back unchanged. Saturated.
int ZoomLength(int Position, int Tag, int Length);
