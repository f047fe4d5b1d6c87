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

// Source pixels From to To - 1 of one row in linear light, Channels floats a pixel: red,
// green and blue, and with alpha those weighted by the alpha, then the alpha.
void LinearRow(const uchar *Row, int From, int To, bool Alpha, float *Out) {
  const float *L = LinearLight().ToLinearFloat.data();
  const uchar *End = Row + 4 * qsizetype(To);
  if (!Alpha) {
    for (const uchar *P = Row + 4 * qsizetype(From); P < End; P += 4) {
      *Out++ = L[P[RedByte]];
      *Out++ = L[P[GreenByte]];
      *Out++ = L[P[BlueByte]];
    }
    return;
  }
  constexpr float FromByte = 1.0f / 255;
  for (const uchar *P = Row + 4 * qsizetype(From); P < End; P += 4) {
    const float A = P[AlphaByte] * FromByte;
    *Out++ = A * L[P[RedByte]];
    *Out++ = A * L[P[GreenByte]];
    *Out++ = A * L[P[BlueByte]];
    *Out++ = A;
  }
}

// The sums of Sums (Channels floats a pixel, pixel 0 being source column Origin) over each
// destination column's cover, not yet divided by its width.
template <int Channels>
void SumColumns(const float *Sums, int Origin, const std::vector<TCover> &Columns, float *Out) {
  for (const TCover &C : Columns) {
    const float *P = Sums + Channels * (C.First - Origin);
    float Sum[Channels];
    for (int I = 0; I < Channels; ++I)
      Sum[I] = C.FirstShare * P[I];
    for (int X = C.First + 1; X < C.Last; ++X) {
      P += Channels;
      for (int I = 0; I < Channels; ++I)
        Sum[I] += P[I];
    }
    if (C.Last > C.First) {
      P = Sums + Channels * (C.Last - Origin);
      for (int I = 0; I < Channels; ++I)
        Sum[I] += C.LastShare * P[I];
    }
    Out = std::copy_n(Sum, Channels, Out);
  }
}

uchar Encode(const uint8_t *Table, float Light) {
  const int Index = std::clamp(int(Light * TLinearLight::Max + 0.5f), 0, TLinearLight::Max);
  return Table[Index];
}

// A destination row from its sums, each divided by the area it covers (Norm is its inverse).
void EncodeRow(const float *Sums, int Width, float Norm, bool Alpha, uchar *Out) {
  const uint8_t *Table = LinearLight().ToEncoded.data();
  const int Channels = Alpha ? 4 : 3;
  for (int X = 0; X < Width; ++X, Sums += Channels, Out += 4) {
    if (!Alpha) {
      Out[RedByte] = Encode(Table, Sums[0] * Norm);
      Out[GreenByte] = Encode(Table, Sums[1] * Norm);
      Out[BlueByte] = Encode(Table, Sums[2] * Norm);
      Out[AlphaByte] = 0xFF;
      continue;
    }
    const float Coverage = Sums[3] * Norm;
    const uchar Opacity = uchar(std::clamp(int(Coverage * 255 + 0.5f), 0, 255));
    // Light weighted by alpha, divided by the alpha: the colour of what covers the pixel.
    const float Unweight = Sums[3] > 0 ? 1 / Sums[3] : 0;
    Out[RedByte] = Opacity ? Encode(Table, Sums[0] * Unweight) : 0;
    Out[GreenByte] = Opacity ? Encode(Table, Sums[1] * Unweight) : 0;
    Out[BlueByte] = Opacity ? Encode(Table, Sums[2] * Unweight) : 0;
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
  // Rows first: the source rows under a destination row are summed pixel by pixel (a loop
  // the compiler vectorises), then that one row is summed over the columns. A source row
  // shared by two destination rows is turned into linear light once.
  const int From = Columns.front().First, To = Columns.back().Last + 1;
  const size_t Length = size_t(To - From) * size_t(Channels);
  std::vector<float> Light(Length), Sums(Length), Row(size_t(Part.width()) * size_t(Channels));
  int RowHeld = -1;
  const float Norm = float((DestSize.width() / Extent.width()) * (DestSize.height() / Extent.height()));
  for (int Y = 0; Y < Part.height(); ++Y) {
    const TCover &C = Rows[size_t(Y)];
    std::fill(Sums.begin(), Sums.end(), 0.0f);
    for (int SourceY = C.First; SourceY <= C.Last; ++SourceY) {
      if (SourceY != RowHeld) {
        LinearRow(Source.constScanLine(SourceY), From, To, Alpha, Light.data());
        RowHeld = SourceY;
      }
      const float Share = SourceY == C.First ? C.FirstShare : SourceY == C.Last ? C.LastShare : 1.0f;
      for (size_t I = 0; I < Length; ++I)
        Sums[I] += Share * Light[I];
    }
    if (Alpha)
      SumColumns<4>(Sums.data(), From, Columns, Row.data());
    else
      SumColumns<3>(Sums.data(), From, Columns, Row.data());
    EncodeRow(Row.data(), Part.width(), Norm, Alpha, Result.scanLine(Y));
  }
  return Result;
}
