#pragma once

// The quarter turn of 32-bit pixels into a buffer of our own, for the transforms (internal to
// them): Qt's own turn allocates its result in ordinary pages, whose first touch costs more
// than the turn itself on a large picture.

#include <QtGlobal>

#include <algorithm>
#include <cstring>

// A source picture and the target its pixels are moved into.
struct TPlanes {
  const uchar *Source;
  qsizetype SourceStride;
  int W; // the source's width and height
  int H;
  uchar *Target;
  qsizetype TargetStride;
};

template <typename P> inline P LoadPixel(const uchar *At) {
  P Value;
  std::memcpy(&Value, At, sizeof(P));
  return Value;
}

template <typename P> inline void StorePixel(uchar *At, P Value) {
  std::memcpy(At, &Value, sizeof(P));
}

// Quarter turn of the source rectangle [X0, X1) x [Y0, Y1), pixel by pixel. Target row r of
// a turn comes from one source column: LeftRotate fills row W - 1 - x from column x top to
// bottom, RightRotate fills row x from column x bottom to top.
template <typename P>
void TurnRect(const TPlanes &Planes, bool Left, int X0, int X1, int Y0, int Y1) {
  constexpr qsizetype Size = sizeof(P);
  for (int X = X0; X < X1; ++X) {
    const uchar *Column = Planes.Source + X * Size;
    uchar *Row = Planes.Target + qsizetype(Left ? Planes.W - 1 - X : X) * Planes.TargetStride;
    if (Left)
      for (int Y = Y0; Y < Y1; ++Y)
        StorePixel<P>(Row + Y * Size, LoadPixel<P>(Column + Y * Planes.SourceStride));
    else
      for (int Y = Y0; Y < Y1; ++Y)
        StorePixel<P>(Row + (Planes.H - 1 - Y) * Size,
                      LoadPixel<P>(Column + Y * Planes.SourceStride));
  }
}

// Quarter turn in square tiles, so that the column reads stay in the cache: the source rows
// and target rows one tile touches fit in the first-level cache together.
template <typename P> void TurnTiled(const TPlanes &Planes, bool Left) {
  constexpr int Edge = sizeof(P) <= 2 ? 64 : 32;
  for (int Y0 = 0; Y0 < Planes.H; Y0 += Edge)
    for (int X0 = 0; X0 < Planes.W; X0 += Edge)
      TurnRect<P>(Planes, Left, X0, std::min(Planes.W, X0 + Edge), Y0,
                  std::min(Planes.H, Y0 + Edge));
}

// Quarter turn of 32-bit pixels: 16 x 16 blocks transposed in registers where the processor
// has SSE2, the tiled turn above elsewhere. Streaming writes the target past the caches (for
// targets much larger than the caches).
void Turn32(const TPlanes &Planes, bool Left, bool Streaming);
