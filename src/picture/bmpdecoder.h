#pragma once

#include <QByteArray>
#include <QImage>

// Decodes a BMP file (Windows and OS/2 headers, 1 to 32 bits, RLE, bit fields) to
// Format_RGB32, or Format_ARGB32 where the file carries real alpha.
// Throws std::runtime_error "Bitmap image is not valid".
QImage DecodeBmp(const QByteArray &Data);
