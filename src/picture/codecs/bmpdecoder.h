#pragma once

#include <QByteArray>
#include <QImage>

// Decodes a BMP file to Format_RGB32, top row first:
//
//   file header   "BM", file size, 4 reserved bytes, offset of the pixel data (14 bytes)
//   DIB           header, [masks], [colour table], then the pixels at that offset
//                 (dib.h)
//
// Windows and OS/2 headers; 1, 2, 4, 8, 16, 24 and 32 bits; bit fields of any widths;
// RLE4, RLE8 and OS/2 RLE24 runs; rows bottom-up or top-down. A bitmap is drawn opaque, so
// a fourth byte or an alpha field is not kept. The file-size field is not trusted (OS/2
// files often hold the header's size there), nor the image-size field. Colour indices
// beyond the colour table give black; pixels that run-length data skips give colour table
// entry 0.
//
// Throws "Bitmap image is not valid" for a damaged or unsupported file, "Picture too large
// (W x H pixels)" for a picture beyond the raster limits (rasterlimits.h) before anything
// large is allocated, and "Out of memory" when the pixels cannot be allocated.
QImage DecodeBmp(const QByteArray &Data);
