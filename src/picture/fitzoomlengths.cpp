#include "picture/fitzoomlengths.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>

// Each operation is done exactly in 64-bit integers (no 128-bit type, which 32-bit targets
// lack) and rounded once to a 64-bit significand, to nearest with ties to even, as the x87
// unit rounds every operation at its default precision.

namespace {

constexpr std::uint64_t Low32Bits = 0xFFFFFFFFu;
constexpr std::uint64_t TopBit = std::uint64_t(1) << 63;

// A positive extended-precision value Significand * 2^Exponent, the significand normalised
// to [2^63, 2^64). The values met here (quotients and products of integers below 2^32 in
// magnitude) lie far inside the 80-bit format's exponent range: no overflow, underflow or
// denormal arises, and the significand alone decides the rounding.
struct TExtended {
  std::uint64_t Significand = 0;
  int Exponent = 0;
};

// -1, 0 or 1 as A is below, equal to or above B.
int Compare(std::uint64_t A, std::uint64_t B) { return A < B ? -1 : (A > B ? 1 : 0); }

// Kept * 2^Exponent plus a rest that lies below, at or above half a unit of Kept's last bit
// (RestVersusHalf -1, 0, 1; -1 also for no rest), rounded to nearest, ties to even.
TExtended RoundedToNearestEven(std::uint64_t Kept, int Exponent, int RestVersusHalf) {
  if (RestVersusHalf > 0 || (RestVersusHalf == 0 && (Kept & 1) != 0)) {
    ++Kept;
    // A carry out of the 64 bits: 2^64 is 2^63 one exponent up.
    if (Kept == 0)
      return TExtended{TopBit, Exponent + 1};
  }
  return TExtended{Kept, Exponent};
}

// Numerator / Denominator, both in [1, 2^32), rounded to 64 significant bits.
TExtended Quotient(std::uint32_t Numerator, std::uint32_t Denominator) {
  // Both shifted to [2^31, 2^32); their quotient then lies in (1/2, 2).
  const int NumeratorBits = std::bit_width(Numerator);
  const int DenominatorBits = std::bit_width(Denominator);
  const std::uint64_t N = std::uint64_t(Numerator) << (32 - NumeratorBits);
  const std::uint64_t D = std::uint64_t(Denominator) << (32 - DenominatorBits);
  // floor(N * 2^Shift / D) lies in [2^63, 2^64). The dividend N * 2^Shift (at most 96 bits)
  // is divided a 32-bit digit at a time: each partial dividend, a remainder below D times
  // 2^32 plus a digit, fits in 64 bits. The top digit's quotient is 0, since N < 2 D.
  const int Shift = N >= D ? 63 : 64;
  const std::uint64_t High = Shift == 64 ? N : N >> 1;
  const std::uint64_t Low = Shift == 64 ? 0 : (N & 1) << 63;
  std::uint64_t Whole = 0;
  std::uint64_t Remainder = 0;
  for (const std::uint64_t Digit : {High, Low >> 32, Low & Low32Bits}) {
    const std::uint64_t Part = Remainder << 32 | Digit;
    Whole = Whole << 32 | Part / D;
    Remainder = Part % D;
  }
  // The rest Remainder / D against one half, exactly.
  return RoundedToNearestEven(Whole, NumeratorBits - DenominatorBits - Shift,
                              Compare(2 * Remainder, D));
}

// Value * Factor, Factor in [1, 2^32), rounded to 64 significant bits.
TExtended Product(TExtended Value, std::uint32_t Factor) {
  // The exact product, below 2^96, as High * 2^64 + Low.
  const std::uint64_t LowPart = (Value.Significand & Low32Bits) * Factor;
  const std::uint64_t HighPart = (Value.Significand >> 32) * Factor;
  const std::uint64_t Low = LowPart + (HighPart << 32);
  const std::uint64_t High = (HighPart >> 32) + (Low < LowPart ? 1 : 0);
  // Bits beyond the 64 kept: as many as High has (at most 32).
  const int Dropped = std::bit_width(High);
  if (Dropped == 0)
    return TExtended{Low, Value.Exponent};
  const std::uint64_t Kept = High << (64 - Dropped) | Low >> Dropped;
  const std::uint64_t Rest = Low & ((std::uint64_t(1) << Dropped) - 1);
  return RoundedToNearestEven(Kept, Value.Exponent + Dropped,
                              Compare(Rest, std::uint64_t(1) << (Dropped - 1)));
}

// The integer part of a value and where its fraction lies against one half.
struct TSplit {
  std::uint64_t Whole = 0;
  int FractionVersusHalf = -1; // -1 below (or no fraction), 0 exactly half, 1 above
};

TSplit Split(TExtended Value) {
  // 2^63 or more: far beyond every length, and saturated by the callers.
  if (Value.Exponent >= 0)
    return TSplit{UINT64_MAX, -1};
  const int FractionBits = -Value.Exponent;
  if (FractionBits > 64)
    return TSplit{0, -1};
  if (FractionBits == 64)
    return TSplit{0, Compare(Value.Significand, TopBit)};
  const std::uint64_t Fraction = Value.Significand & ((std::uint64_t(1) << FractionBits) - 1);
  return TSplit{Value.Significand >> FractionBits,
                Compare(Fraction, std::uint64_t(1) << (FractionBits - 1))};
}

std::uint32_t Magnitude(int Value) {
  return Value < 0 ? 0u - static_cast<std::uint32_t>(Value) : static_cast<std::uint32_t>(Value);
}

// Numerator / Denominator * Factor (Denominator above 0) when it is above 0; nothing for 0
// and negative products. Rounding to nearest is symmetric about zero, so the product of two
// negative operands is that of their magnitudes.
std::optional<TExtended> PositiveProduct(int Numerator, int Denominator, int Factor) {
  if (Numerator == 0 || Factor == 0 || (Numerator < 0) != (Factor < 0))
    return std::nullopt;
  return Product(Quotient(Magnitude(Numerator), Magnitude(Denominator)), Magnitude(Factor));
}

int Saturated(std::uint64_t Length) {
  return static_cast<int>(std::min<std::uint64_t>(Length, MaxBoxLength));
}

} // namespace

int SaturatedLength(int Length) { return std::clamp(Length, 0, MaxBoxLength); }

int FitAcrossLength(int FrameLength, int NaturalAlong, int NaturalAcross, int FallBack) {
  if (NaturalAlong <= 0)
    return SaturatedLength(FallBack);
  const std::optional<TExtended> Across =
      PositiveProduct(FrameLength, NaturalAlong, NaturalAcross);
  return Across ? Saturated(Split(*Across).Whole) : 0;
}

int ZoomLength(int Position, int Tag, int Length) {
  if (Tag <= 0)
    return SaturatedLength(Length);
  const std::optional<TExtended> Scaled = PositiveProduct(Position, Tag, Length);
  if (!Scaled)
    return 0;
  const TSplit Parts = Split(*Scaled);
  if (Parts.Whole >= MaxBoxLength)
    return MaxBoxLength;
  const bool Up = Parts.FractionVersusHalf > 0 ||
                  (Parts.FractionVersusHalf == 0 && (Parts.Whole & 1) != 0);
  return Saturated(Parts.Whole + (Up ? 1 : 0));
}
