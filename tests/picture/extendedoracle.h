#pragma once

// Exact reference for the fit and zoom arithmetic, by integer arithmetic only: the quotient
// of two integers and then its product with a third are each rounded to a 64-bit
// significand (to nearest, ties to even), as 80-bit extended floating point does, and the
// result is truncated or rounded to an integer. It shares no code with the functions it
// checks and uses no floating point at all.

#include <QtGlobal>

#include <stdexcept>

namespace ExtendedOracle {

using TWide = unsigned __int128;

inline int BitLength(TWide Value) {
  int Bits = 0;
  while (Value != 0) {
    ++Bits;
    Value >>= 1;
  }
  return Bits;
}

// Significand * 2^-Scale, the significand in [2^63, 2^64) (or 0 for zero).
struct TExtended {
  TWide Significand = 0;
  int Scale = 0;
};

// Rounds Value * 2^-Scale to 64 significant bits, ties to even.
inline TExtended Round64(TWide Value, int Scale) {
  const int Bits = BitLength(Value);
  if (Bits <= 64)
    return TExtended{Value << (64 - Bits), Scale + (64 - Bits)};
  const int Drop = Bits - 64;
  TWide Kept = Value >> Drop;
  const TWide Rest = Value & ((TWide(1) << Drop) - 1);
  const TWide Half = TWide(1) << (Drop - 1);
  if (Rest > Half || (Rest == Half && (Kept & 1) != 0))
    ++Kept;
  if (Kept == (TWide(1) << 64))
    return TExtended{TWide(1) << 63, Scale - Drop - 1};
  return TExtended{Kept, Scale - Drop};
}

// Numerator / Denominator (both positive, below 2^32) rounded to 64 significant bits.
inline TExtended Quotient(quint64 Numerator, quint64 Denominator) {
  if (Numerator == 0 || Denominator == 0 || Numerator >> 32 || Denominator >> 32)
    throw std::logic_error("operands out of the oracle's range");
  // 2^66 <= Numerator * 2^Shift / Denominator < 2^68: at least two bits below the 64 kept,
  // and the remainder decides the rest exactly.
  const int Shift = 67 - BitLength(Numerator) + BitLength(Denominator);
  const TWide Scaled = TWide(Numerator) << Shift;
  TWide Whole = Scaled / Denominator;
  const TWide Remainder = Scaled % Denominator;
  // A non-zero remainder is a sticky bit below the last one: more than zero, less than one
  // unit of the last place, so it can never make a tie.
  Whole = (Whole << 1) | (Remainder != 0 ? 1 : 0);
  return Round64(Whole, Shift + 1);
}

// Quotient(Numerator, Denominator) * Factor (Factor >= 0, below 2^32), rounded to 64 bits:
// the value is Result.Significand * 2^-Result.Scale.
inline TExtended Product(quint64 Numerator, quint64 Denominator, quint64 Factor) {
  if (Factor == 0)
    return TExtended{};
  if (Factor >> 32)
    throw std::logic_error("factor out of the oracle's range");
  const TExtended Ratio = Quotient(Numerator, Denominator);
  return Round64(Ratio.Significand * Factor, Ratio.Scale);
}

// The integer part and whether the fraction is below, at or above one half.
struct TSplit {
  TWide Whole = 0;
  int FractionVersusHalf = -1; // -1 below (or zero), 0 exactly half, 1 above
};

inline TSplit Split(TExtended Value) {
  if (Value.Significand == 0)
    return TSplit{};
  if (Value.Scale <= 0)
    return TSplit{Value.Significand << -Value.Scale, -1};
  const TWide Whole = Value.Scale >= 128 ? 0 : Value.Significand >> Value.Scale;
  const TWide Fraction = Value.Scale >= 128 ? Value.Significand
                                            : Value.Significand & ((TWide(1) << Value.Scale) - 1);
  const TWide Half = TWide(1) << (Value.Scale - 1);
  return TSplit{Whole, Fraction < Half ? -1 : (Fraction == Half ? 0 : 1)};
}

inline qint64 Clamped(TWide Value, qint64 Limit) {
  return Value > TWide(Limit) ? Limit : qint64(Value);
}

// trunc(Numerator / Denominator * Factor), clamped to Limit.
inline qint64 Truncated(quint64 Numerator, quint64 Denominator, quint64 Factor, qint64 Limit) {
  return Clamped(Split(Product(Numerator, Denominator, Factor)).Whole, Limit);
}

// round(Numerator / Denominator * Factor), ties to even, clamped to Limit.
inline qint64 Rounded(quint64 Numerator, quint64 Denominator, quint64 Factor, qint64 Limit) {
  const TSplit Parts = Split(Product(Numerator, Denominator, Factor));
  TWide Result = Parts.Whole;
  if (Parts.FractionVersusHalf > 0 || (Parts.FractionVersusHalf == 0 && (Result & 1) != 0))
    ++Result;
  return Clamped(Result, Limit);
}

} // namespace ExtendedOracle
