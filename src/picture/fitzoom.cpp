#include "picture/fitzoom.h"

#include <algorithm>
#include <cmath>
#include <limits>

// The results depend on the exact width of the significand, so a compiler whose long double
// is not the x87 80-bit format (MSVC's is a double; AArch64's a 128-bit quad) must not build
// this silently: the zoom and the fit modes would give other box sizes.
static_assert(std::numeric_limits<long double>::radix == 2 &&
                  std::numeric_limits<long double>::digits == 64,
              "Fit and zoom need long double with a 64-bit significand (x87 extended precision); "
              "this compiler's long double is another format. Build for x86 or x86-64 with GCC "
              "or Clang, or give these functions an exact 64-bit-significand emulation.");
static_assert(std::numeric_limits<long double>::is_iec559,
              "Fit and zoom need IEEE rounding (to nearest, ties to even) in long double.");

namespace {

constexpr long double MaxLength = MaxBoxLength;

int Saturated(int Length) { return std::clamp(Length, 0, MaxBoxLength); }

// The ratio, rounded once to extended precision and stored at it (the volatile keeps the
// compiler from carrying it in any other form into the product).
long double Ratio(int Numerator, int Denominator) {
  volatile long double Result =
      static_cast<long double>(Numerator) / static_cast<long double>(Denominator);
  return Result;
}

// Truncation toward zero, saturated. The comparisons come first, so the conversion to int
// only ever sees values inside its range; NaN fails "> 0" and gives 0.
int Truncated(long double Value) {
  if (!(Value > 0))
    return 0;
  if (Value >= MaxLength)
    return MaxBoxLength;
  return static_cast<int>(Value);
}

// Rounding to the nearest integer, ties to even, saturated. Done by hand rather than with
// nearbyint so that it does not depend on the current rounding mode. Value - trunc(Value) is
// exact in binary floating point, so the comparison with one half is exact too.
int RoundedHalfEven(long double Value) {
  if (!(Value > 0))
    return 0;
  if (Value >= MaxLength)
    return MaxBoxLength;
  const long double Whole = std::trunc(Value);
  const long double Fraction = Value - Whole;
  int Result = static_cast<int>(Whole);
  if (Fraction > 0.5L || (Fraction == 0.5L && (Result & 1) != 0))
    ++Result;
  return Result;
}

} // namespace

int FitAcrossLength(int FrameLength, int NaturalAlong, int NaturalAcross, int FallBack) {
  if (NaturalAlong <= 0)
    return Saturated(FallBack);
  const long double R = Ratio(FrameLength, NaturalAlong);
  const long double Product = R * static_cast<long double>(NaturalAcross);
  return Truncated(Product);
}

QSize FitBoxSize(TFitMode Mode, QSize Natural, QSize Frame) {
  switch (Mode) {
  case TFitMode::None:
    return QSize(Saturated(Natural.width()), Saturated(Natural.height()));
  case TFitMode::Stretch:
    break;
  case TFitMode::MaxWidth:
    return QSize(Saturated(Frame.width()),
                 FitAcrossLength(Frame.width(), Natural.width(), Natural.height(), Frame.height()));
  case TFitMode::MaxHeight:
    return QSize(FitAcrossLength(Frame.height(), Natural.height(), Natural.width(), Frame.width()),
                 Saturated(Frame.height()));
  }
  return QSize(Saturated(Frame.width()), Saturated(Frame.height()));
}

int ZoomLength(int Position, int Tag, int Length) {
  if (Tag <= 0)
    return Saturated(Length);
  const long double R = Ratio(Position, Tag);
  const long double Product = R * static_cast<long double>(Length);
  return RoundedHalfEven(Product);
}
