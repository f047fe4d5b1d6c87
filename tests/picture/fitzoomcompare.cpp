// The fit and zoom lengths on every architecture: over the worked examples, every edge of the
// operands' ranges and a large pseudo-random table. Where the x87 80-bit long double exists,
// every result is compared with the one that type gives; everywhere the worked examples are
// checked, and a digest of all results is printed, so that a build for another architecture
// (run under an emulator) can be compared with the x87-checked build of this one.
//
// Prints "cases <count> digest <hex>" on standard output and any mismatch on standard error;
// exits with 1 when anything differs. No Qt, so that a cross compiler builds it alone.
#include "picture/fitzoomlengths.h"

#include <climits>
#include <cstdint>
#include <cstdio>

#if defined(__x86_64__) || defined(__i386__)
#define ZELVANE_HAVE_X87 1
#include <algorithm>
#include <cmath>
#include <limits>
static_assert(std::numeric_limits<long double>::digits == 64,
              "on x86 the check compares with the x87 80-bit long double");
#else
#define ZELVANE_HAVE_X87 0
#endif

namespace {

// One call: FitAcrossLength(A, B, C, D) or ZoomLength(A, B, C).
struct TCase {
  bool Zoom;
  int A, B, C, D;
};

int Run(const TCase &Case) {
  return Case.Zoom ? ZoomLength(Case.A, Case.B, Case.C)
                   : FitAcrossLength(Case.A, Case.B, Case.C, Case.D);
}

#if ZELVANE_HAVE_X87
// The same lengths computed the x87 way: each operation of long double rounded by the
// hardware to its 64-bit significand.
int X87Saturated(long double Value, bool Round) {
  constexpr long double Limit = MaxBoxLength;
  if (!(Value > 0))
    return 0;
  if (Value >= Limit)
    return MaxBoxLength;
  const long double Whole = std::trunc(Value);
  int Result = static_cast<int>(Whole);
  const long double Fraction = Value - Whole;
  if (Round && (Fraction > 0.5L || (Fraction == 0.5L && (Result & 1) != 0)))
    ++Result;
  return Result;
}

int X87Run(const TCase &Case) {
  if (Case.B <= 0)
    return std::clamp(Case.Zoom ? Case.C : Case.D, 0, MaxBoxLength);
  volatile long double Ratio = static_cast<long double>(Case.A) / static_cast<long double>(Case.B);
  volatile long double Product = Ratio * static_cast<long double>(Case.C);
  return X87Saturated(Product, Case.Zoom);
}
#endif

// Counts the cases, folds every result into a 64-bit FNV-1a digest and reports mismatches.
class TChecker {
public:
  void Check(const TCase &Case, int Expected = -1) {
    const int Got = Run(Case);
    ++FCount;
    for (int Byte = 0; Byte < 4; ++Byte) {
      FDigest ^= (static_cast<std::uint32_t>(Got) >> (8 * Byte)) & 0xFFu;
      FDigest *= 0x100000001B3u;
    }
    if (Expected >= 0 && Got != Expected)
      Report("described", Case, Got, Expected);
#if ZELVANE_HAVE_X87
    const int X87 = X87Run(Case);
    if (Got != X87)
      Report("x87", Case, Got, X87);
#endif
  }

  bool Failed() const { return FFailures > 0; }
  long long Count() const { return FCount; }
  std::uint64_t Digest() const { return FDigest; }

private:
  void Report(const char *What, const TCase &Case, int Got, int Expected) {
    if (++FFailures <= 20)
      std::fprintf(stderr, "%s(%d, %d, %d, %d) gave %d, %s result %d\n",
                   Case.Zoom ? "ZoomLength" : "FitAcrossLength", Case.A, Case.B, Case.C, Case.D,
                   Got, What, Expected);
  }

  long long FCount = 0;
  long long FFailures = 0;
  std::uint64_t FDigest = 0xCBF29CE484222325u;
};

// The worked examples in a 480 x 272 frame, with their described results.
void WorkedExamples(TChecker &Checker) {
  struct TFit {
    int Frame, Along, Across, Result;
  };
  const TFit Fits[] = {
      {480, 1024, 768, 360}, {272, 768, 1024, 362}, {480, 1920, 1080, 270},
      {272, 1080, 1920, 483}, {480, 600, 800, 640}, {272, 800, 600, 204},
      {480, 21, 21, 479},     {480, 11, 11, 480}};
  for (const TFit &Fit : Fits)
    Checker.Check(TCase{false, Fit.Frame, Fit.Along, Fit.Across, 0}, Fit.Result);
  struct TZoom {
    int Position, Tag, Length, Result;
  };
  const TZoom Zooms[] = {{3, 10, 480, 144}, {3, 10, 272, 82},  {10, 3, 144, 480},
                         {10, 3, 82, 273},  {9, 10, 480, 432}, {9, 10, 272, 245},
                         {10, 9, 432, 480}, {10, 9, 245, 272}, {5, 10, 481, 240},
                         {5, 10, 271, 136}, {10, 5, 1024, 2048}};
  for (const TZoom &Zoom : Zooms)
    Checker.Check(TCase{true, Zoom.Position, Zoom.Tag, Zoom.Length, 0}, Zoom.Result);
}

// Every combination of the values at and around the edges of the ranges: zero, signs, the
// saturation limit, the frame's sides, the int range's ends.
void Edges(TChecker &Checker) {
  const int Values[] = {INT_MIN, INT_MIN + 1, -(1 << 24), -65536, -2, -1, 0, 1, 2, 3, 5, 9, 10,
                        11, 21, 271, 272, 479, 480, 481, 65535, 65536, MaxBoxLength - 1,
                        MaxBoxLength, MaxBoxLength + 1, 1 << 30, INT_MAX - 1, INT_MAX};
  for (const int A : Values)
    for (const int B : Values)
      for (const int C : Values) {
        Checker.Check(TCase{false, A, B, C, C});
        Checker.Check(TCase{true, A, B, C, 0});
      }
}

// Every natural size up to 400 x 400 in both fitting directions, and every zoom step between
// slider positions for box lengths up to 5000.
void SmallTables(TChecker &Checker) {
  for (int Along = 1; Along <= 400; ++Along)
    for (int Across = 1; Across <= 400; ++Across) {
      Checker.Check(TCase{false, 480, Along, Across, 272});
      Checker.Check(TCase{false, 272, Along, Across, 480});
    }
  for (int Tag = 1; Tag <= 10; ++Tag)
    for (int Position = 1; Position <= 10; ++Position)
      for (int Length = 0; Length <= 5000; ++Length)
        Checker.Check(TCase{true, Position, Tag, Length, 0});
}

// A fixed pseudo-random sequence (splitmix64), the same on every architecture.
std::uint64_t Next(std::uint64_t &State) {
  std::uint64_t Z = (State += 0x9E3779B97F4A7C15u);
  Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9u;
  Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBu;
  return Z ^ (Z >> 31);
}

// An operand of every size: a whole int, a magnitude of random width with either sign, or a
// picture-like size.
int RandomOperand(std::uint64_t &State) {
  const std::uint64_t Bits = Next(State);
  switch (Bits % 3) {
  case 0:
    return static_cast<int>(static_cast<std::uint32_t>(Bits >> 32));
  case 1: {
    const int Width = static_cast<int>((Bits >> 8) % 32);
    const int Magnitude = static_cast<int>((Bits >> 32) & ((std::uint64_t(1) << Width) - 1));
    return (Bits & 0x10) != 0 ? -Magnitude : Magnitude;
  }
  default:
    return static_cast<int>(1 + (Bits >> 32) % 20000);
  }
}

void RandomTable(TChecker &Checker) {
  constexpr int Rows = 400000;
  std::uint64_t State = 20240601u;
  for (int Row = 0; Row < Rows; ++Row) {
    const int A = RandomOperand(State);
    const int B = RandomOperand(State);
    const int C = RandomOperand(State);
    Checker.Check(TCase{false, A, B, C, C});
    Checker.Check(TCase{true, A, B, C, 0});
  }
}

} // namespace

int main() {
  TChecker Checker;
  WorkedExamples(Checker);
  Edges(Checker);
  SmallTables(Checker);
  RandomTable(Checker);
  std::printf("cases %lld digest %016llx\n", Checker.Count(),
              static_cast<unsigned long long>(Checker.Digest()));
  return Checker.Failed() ? 1 : 0;
}
