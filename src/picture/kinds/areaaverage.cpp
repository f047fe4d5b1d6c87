#include "picture/kinds/areaaverage.h"
#include "picture/kinds/linearlight.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The source pixels one destination pixel covers along one direction: First to Last, the
// first covered by FirstShare, the last by LastShare (when Last > First), those between
// wholly.
struct TCover {
  int First = 0;
  int Last = 0;
  float FirstShare = 1;
  float LastShare = 1;
};

// For destination pixels From to To - 1 of Count spread over Extent source pixels.
std::vector<TCover> Covers(int From, int To, int Count, double Extent, int SourceLength) {
  std::vector<TCover> Result;
  Result.reserve(size_t(To - From));
  for (int D = From; D < To; ++D) {
    const double U0 = D * Extent / Count, U1 = (D + 1) * Extent / Count;
    TCover C;
    C.First = std::clamp(int(std::floor(U0)), 0, SourceLength - 1);
    C.Last = std::clamp(int(std::ceil(U1)) - 1, C.First, SourceLength - 1);
    if (C.Last == C.First) {
      C.FirstShare = float(U1 - U0);
    } else {
      C.FirstShare = float(C.First + 1 - U0);
      C.LastShare = float(U1 - C.Last);
    }
    Result.push_back(C);
  }
  return Result;
}

// One source row summed over each destination column's cover, not yet divided by its width:
// Channels floats a column (light of red, green, blue, and with alpha the alpha, the light
// weighted by it).
void SumRow(const uchar *Row, const std::vector<TCover> &Columns, bool Alpha, float *Out) {
  const float *L = LinearLight().ToLinearFloat.data();
  if (!Alpha) {
    // The pixels wholly covered, most of them, are summed as integers; this loop is what a
    // resize step of a large picture spends its time in.
    const uint16_t *Whole = LinearLight().ToLinear.data();
    constexpr float WholeToFloat = 1.0f / TLinearLight::Max;
    for (const TCover &C : Columns) {
      const uchar *P = Row + 4 * C.First;
      float R = C.FirstShare * L[P[RedByte]], G = C.FirstShare * L[P[GreenByte]],
            B = C.FirstShare * L[P[BlueByte]];
      // 64 bits: a picture shrunk in one direction only may cover any number of pixels.
      uint64_t WholeR = 0, WholeG = 0, WholeB = 0;
      for (const uchar *Q = P + 4, *End = Row + 4 * C.Last; Q < End; Q += 4) {
        WholeR += Whole[Q[RedByte]];
        WholeG += Whole[Q[GreenByte]];
        WholeB += Whole[Q[BlueByte]];
      }
      if (C.Last > C.First) {
        P = Row + 4 * C.Last;
        R += C.LastShare * L[P[RedByte]];
        G += C.LastShare * L[P[GreenByte]];
        B += C.LastShare * L[P[BlueByte]];
      }
      *Out++ = R + float(WholeR) * WholeToFloat;
      *Out++ = G + float(WholeG) * WholeToFloat;
      *Out++ = B + float(WholeB) * WholeToFloat;
    }
    return;
  }
  for (const TCover &C : Columns) {
    float Sum[4] = {};
    for (int X = C.First; X <= C.Last; ++X) {
      const uchar *P = Row + 4 * X;
      const float Share = X == C.First ? C.FirstShare : X == C.Last ? C.LastShare : 1.0f;
      const float A = Share * (P[AlphaByte] / 255.0f);
      Sum[0] += A * L[P[RedByte]];
      Sum[1] += A * L[P[GreenByte]];
      Sum[2] += A * L[P[BlueByte]];
      Sum[3] += A;
    }
    Out = std::copy_n(Sum, 4, Out);
  }
}

uchar Encode(float Light) {
  const int Index = std::clamp(int(Light * TLinearLight::Max + 0.5f), 0, TLinearLight::Max);
  return LinearLight().ToEncoded[size_t(Index)];
}

// A destination row from its sums, each divided by the area it covers (Norm is its inverse).
void EncodeRow(const float *Sums, int Width, float Norm, bool Alpha, uchar *Out) {
  const int Channels = Alpha ? 4 : 3;
  for (int X = 0; X < Width; ++X, Sums += Channels, Out += 4) {
    if (!Alpha) {
      Out[RedByte] = Encode(Sums[0] * Norm);
      Out[GreenByte] = Encode(Sums[1] * Norm);
      Out[BlueByte] = Encode(Sums[2] * Norm);
      Out[AlphaByte] = 0xFF;
      continue;
    }
    const float Coverage = Sums[3] * Norm;
    const uchar Opacity = uchar(std::clamp(int(Coverage * 255 + 0.5f), 0, 255));
    // Light weighted by alpha, divided by the alpha: the colour of what covers the pixel.
    const float Unweight = Sums[3] > 0 ? 1 / Sums[3] : 0;
    Out[RedByte] = Opacity ? Encode(Sums[0] * Unweight) : 0;
    Out[GreenByte] = Opacity ? Encode(Sums[1] * Unweight) : 0;
    Out[BlueByte] = Opacity ? Encode(Sums[2] * Unweight) : 0;
    Out[AlphaByte] = Opacity;
  }
}

} // namespace

QImage AreaAverage(const QImage &Source, QSizeF Extent, QSize DestSize, QRect Part, bool Alpha) {
  QImage Result(Part.size(), Source.format());
  if (Result.isNull() || Source.isNull())
    return QImage();
  const std::vector<TCover> Columns = Covers(Part.left(), Part.right() + 1, DestSize.width(),
                                             Extent.width(), Source.width());
  const std::vector<TCover> Rows = Covers(Part.top(), Part.bottom() + 1, DestSize.height(),
                                          Extent.height(), Source.height());
  const int Channels = Alpha ? 4 : 3;
  const size_t Length = size_t(Part.width()) * size_t(Channels);
  // The sums of one source row; a row shared by two destination rows is summed once.
  std::vector<float> Row(Length), Column(Length);
  int RowHeld = -1;
  const float Norm = float((DestSize.width() / Extent.width()) * (DestSize.height() / Extent.height()));
  for (int Y = 0; Y < Part.height(); ++Y) {
    const TCover &C = Rows[size_t(Y)];
    std::fill(Column.begin(), Column.end(), 0.0f);
    for (int SourceY = C.First; SourceY <= C.Last; ++SourceY) {
      if (SourceY != RowHeld) {
        SumRow(Source.constScanLine(SourceY), Columns, Alpha, Row.data());
        RowHeld = SourceY;
      }
      const float Share = SourceY == C.First ? C.FirstShare : SourceY == C.Last ? C.LastShare : 1.0f;
      for (size_t I = 0; I < Length; ++I)
        Column[I] += Share * Row[I];
    }
    EncodeRow(Column.data(), Part.width(), Norm, Alpha, Result.scanLine(Y));
  }
  return Result;
}
