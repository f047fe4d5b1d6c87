#pragma once

// A test picture whose every pixel tells where it came from.

#include <QImage>

#include <algorithm>

// Every pixel a colour of its own, so a pixel in the wrong place shows.
inline QImage Distinct(int Width, int Height) {
  QImage Image(Width, Height, QImage::Format_RGB32);
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X)
      Image.setPixel(X, Y, qRgb(X * 255 / std::max(1, Width - 1),
                                Y * 255 / std::max(1, Height - 1), (X * 7 + Y * 13) % 256));
  return Image;
}
