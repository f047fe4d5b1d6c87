#pragma once

#include <QImage>

#include <vector>

// Filtered scaling in linear light, for pictures drawn with smoothing on.
//
// Averaging gamma-encoded values darkens fine bright detail (1-pixel black and white stripes
// average to 127 instead of the 188 that the light averages to), so every average here is
// taken of linear light, with colours weighted by their alpha (premultiplied), and stored
// encoded again in 8 bits a channel.
//
// A picture shrunk many times over would cost a pass over all its pixels at every size it is
// drawn at. Instead its reduced levels are made once, as far down as a draw first needs them:
// each halves the one before in both directions, every pixel the average of a 2 x 2 block (a
// last odd row or column is averaged with itself), so together they hold at most a third of
// the picture's pixels again. A draw
// then resamples from the smallest level still at least twice the drawn size, so the final
// filter never sees more than four level pixels per drawn pixel in either direction:
//
//   picture 6000 x 4000 --> 3000 x 2000 --> 1500 x 1000 --> 750 x 500 --> ... --> 1 x 1
//                                               |
//                     drawn at 480 x 272:       +--> area average --> 480 x 272
//
// Shrinking is an area average (AreaAverage: each level pixel weighed by how much of it the
// drawn pixel covers). Enlarging in either direction goes to stb_image_resize in its sRGB
// mode: Catmull-Rom, a smooth interpolating cubic, where the picture grows, and its box
// filter (the same area average) where it shrinks; so does a picture of another format than
// 32 bits a pixel shrunk less than twice.
class TReducedLevels {
public:
  // The levels of Source, none made yet. Source is shared, not copied; it must not change
  // while this lives.
  explicit TReducedLevels(const QImage &Source);

  // Level K, 1 (half the picture) to Count(); 0 is not kept here, it is the picture itself.
  // Made at the first call, from the level above it, those above first: the levels a picture
  // is drawn from are the same whichever sizes it was drawn at before. Format_RGB32, or
  // Format_ARGB32 when the picture has an alpha channel. Null when the memory cannot be had.
  const QImage &Level(int K);
  // Levels the picture has: down to 1 x 1.
  int Count() const { return FCount; }

private:
  QImage FSource;
  int FCount = 0;
  std::vector<QImage> FLevels;
};

// The smallest level (0 for the picture itself) whose share of the picture is still at least
// twice DestSize in both directions, or 0 when even the first is not.
int ChooseLevel(QSize SourceSize, int LevelCount, QSize DestSize);

// Source scaled to DestSize, filtered as above; only the pixels of Part (destination
// coordinates, as for SampleNearest) are computed, reading only the level pixels they need.
// Levels are Source's. A destination of the source's own size is a plain copy, exactly as
// SampleNearest gives it. Format_ARGB32 (not premultiplied) when Source has an alpha channel,
// else Format_RGB32. Null when the memory cannot be had.
QImage SampleSmooth(const QImage &Source, TReducedLevels &Levels, QSize DestSize, QRect Part);
