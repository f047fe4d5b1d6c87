#pragma once

// How far apart two pixels, or two pictures of the same size, are: the largest difference of
// their red, green and blue channels (alpha plays no part).

#include <QImage>
#include <QRgb>

#include <algorithm>
#include <cstdlib>

inline int MaxChannelDifference(QRgb A, QRgb B) {
  return std::max({std::abs(qRed(A) - qRed(B)), std::abs(qGreen(A) - qGreen(B)),
                   std::abs(qBlue(A) - qBlue(B))});
}

// The largest over every pixel; A and B have the same size.
inline int MaxChannelDifference(const QImage &A, const QImage &B) {
  int Max = 0;
  for (int Y = 0; Y < A.height(); ++Y)
    for (int X = 0; X < A.width(); ++X)
      Max = std::max(Max, MaxChannelDifference(A.pixel(X, Y), B.pixel(X, Y)));
  return Max;
}
