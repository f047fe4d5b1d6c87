#pragma once

// Reference pixels stored raw, as the decoders' test suites give them.

#include "support/filebytes.h"

#include <QImage>
#include <QString>

// A raw RGB file (3 bytes a pixel, rows top to bottom) of Width x Height as an image; a null
// image when the file does not have exactly that many bytes.
inline QImage ReadRawRgb(const QString &FileName, int Width, int Height) {
  const QByteArray Bytes = ReadBytes(FileName);
  if (Bytes.size() != qsizetype(Width) * Height * 3)
    return {};
  QImage Picture(Width, Height, QImage::Format_RGB32);
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) {
      const qsizetype At = (qsizetype(Y) * Width + X) * 3;
      Picture.setPixel(X, Y, qRgb(uchar(Bytes[At]), uchar(Bytes[At + 1]), uchar(Bytes[At + 2])));
    }
  return Picture;
}
