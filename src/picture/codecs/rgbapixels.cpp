#include "picture/codecs/rgbapixels.h"

#include <QRgb>

void MakeArgb32(uchar *Pixels, qsizetype Stride, int Width, int Height, bool HasAlpha,
                bool Premultiplied) {
  for (int Y = 0; Y < Height; ++Y) {
    uchar *Row = Pixels + Y * Stride;
    auto *Out = reinterpret_cast<QRgb *>(Row);
    for (int X = 0; X < Width; ++X, Row += 4) {
      const int A = HasAlpha ? Row[3] : 255;
      const QRgb Pixel = qRgba(Row[0], Row[1], Row[2], A);
      Out[X] = Premultiplied && A != 255 ? qUnpremultiply(Pixel) : Pixel;
    }
  }
}
