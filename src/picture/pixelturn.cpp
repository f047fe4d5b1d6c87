#include "picture/pixelturn.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstdint>

namespace {

// A block is 16 x 16 pixels: each of its rows is one 64-byte cache line of 32-bit pixels.
constexpr int BlockEdge = 16;
// Source rows per band. The blocks of a band are taken column by column, so the band's
// source lines are read once from memory and the 16 target rows of a block column are
// written one whole line at a time.
constexpr int BandRows = 256;

// Transposes the 16 x 16 block at Source into Block, whose row i is source column i: top to
// bottom for the left turn, bottom to top for the right turn. Four by four in registers:
//
//   source rows   a0 a1 a2 a3         columns   a0 b0 c0 d0
//                 b0 b1 b2 b3    ->             a1 b1 c1 d1   (reversed: d0 c0 b0 a0, ...)
//                 c0 c1 c2 c3                   a2 b2 c2 d2
//                 d0 d1 d2 d3                   a3 b3 c3 d3
template <bool Left> void TransposeBlock(const uchar *Source, qsizetype Stride, quint32 *Block) {
  for (int By = 0; By < BlockEdge; By += 4) {
    const uchar *Rows = Source + By * Stride;
    for (int Bx = 0; Bx < BlockEdge; Bx += 4) {
      const uchar *At = Rows + Bx * 4;
      const __m128i A = _mm_loadu_si128(reinterpret_cast<const __m128i *>(At));
      const __m128i B = _mm_loadu_si128(reinterpret_cast<const __m128i *>(At + Stride));
      const __m128i C = _mm_loadu_si128(reinterpret_cast<const __m128i *>(At + 2 * Stride));
      const __m128i D = _mm_loadu_si128(reinterpret_cast<const __m128i *>(At + 3 * Stride));
      const __m128i AB01 = _mm_unpacklo_epi32(A, B);
      const __m128i CD01 = _mm_unpacklo_epi32(C, D);
      const __m128i AB23 = _mm_unpackhi_epi32(A, B);
      const __m128i CD23 = _mm_unpackhi_epi32(C, D);
      const __m128i Columns[4] = {
          _mm_unpacklo_epi64(AB01, CD01), _mm_unpackhi_epi64(AB01, CD01),
          _mm_unpacklo_epi64(AB23, CD23), _mm_unpackhi_epi64(AB23, CD23)};
      for (int I = 0; I < 4; ++I) {
        quint32 *Row = Block + (Bx + I) * BlockEdge;
        if (Left)
          _mm_store_si128(reinterpret_cast<__m128i *>(Row + By), Columns[I]);
        else
          _mm_store_si128(reinterpret_cast<__m128i *>(Row + BlockEdge - 4 - By),
                          _mm_shuffle_epi32(Columns[I], _MM_SHUFFLE(0, 1, 2, 3)));
      }
    }
  }
}

// Writes one 64-byte block row into the target. Streaming stores need 16-byte alignment;
// a target row that lacks it is written through the cache.
void WriteBlockRow(uchar *To, const quint32 *From, bool Streaming) {
  const auto *Lanes = reinterpret_cast<const __m128i *>(From);
  auto *Out = reinterpret_cast<__m128i *>(To);
  if (Streaming && (reinterpret_cast<std::uintptr_t>(To) & 15) == 0) {
    for (int I = 0; I < 4; ++I)
      _mm_stream_si128(Out + I, _mm_load_si128(Lanes + I));
  } else {
    for (int I = 0; I < 4; ++I)
      _mm_storeu_si128(Out + I, _mm_load_si128(Lanes + I));
  }
}

template <bool Left> void TurnBlocks(const TPlanes &Planes, bool Streaming) {
  const int W16 = Planes.W & ~(BlockEdge - 1);
  const int H16 = Planes.H & ~(BlockEdge - 1);
  alignas(64) quint32 Block[BlockEdge * BlockEdge];
  for (int Y0 = 0; Y0 < H16; Y0 += BandRows) {
    const int Y1 = std::min(H16, Y0 + BandRows);
    for (int X = 0; X < W16; X += BlockEdge)
      for (int Y = Y0; Y < Y1; Y += BlockEdge) {
        const uchar *From = Planes.Source + Y * Planes.SourceStride + qsizetype(X) * 4;
        // The same rows' next line, which the next block column reads: asking for it now
        // keeps the band's many row streams from waiting on memory one by one.
        if (X + BlockEdge < W16)
          for (int Row = 0; Row < BlockEdge; ++Row)
            _mm_prefetch(reinterpret_cast<const char *>(From + Row * Planes.SourceStride) +
                             BlockEdge * 4,
                         _MM_HINT_T0);
        TransposeBlock<Left>(From, Planes.SourceStride, Block);
        for (int I = 0; I < BlockEdge; ++I) {
          const qsizetype Row = Left ? Planes.W - 1 - X - I : X + I;
          const qsizetype Column = Left ? Y : Planes.H - BlockEdge - Y;
          WriteBlockRow(Planes.Target + Row * Planes.TargetStride + Column * 4,
                        Block + I * BlockEdge, Streaming);
        }
      }
  }
  if (Streaming)
    _mm_sfence();
  // What the blocks leave: the last W mod 16 columns, then the last H mod 16 rows.
  TurnRect<quint32>(Planes, Left, W16, Planes.W, 0, Planes.H);
  TurnRect<quint32>(Planes, Left, 0, W16, H16, Planes.H);
}

} // namespace

void Turn32(const TPlanes &Planes, bool Left, bool Streaming) {
  if (Left)
    TurnBlocks<true>(Planes, Streaming);
  else
    TurnBlocks<false>(Planes, Streaming);
}

#else

void Turn32(const TPlanes &Planes, bool Left, bool) { TurnTiled<quint32>(Planes, Left); }

#endif
