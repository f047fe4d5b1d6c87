#pragma once

#include <QByteArray>
#include <QImage>

// How a PNG picture is transparent, which decides how it is drawn:
//   None          opaque
//   SingleColour  one colour (tRNS on grey or RGB, or an all-or-nothing palette tRNS) whose
//                 pixels are left undrawn
//   Alpha         grey+alpha, RGB+alpha or a palette with partial tRNS: blended per pixel
enum class TPngTransparency { None, SingleColour, Alpha };

struct TPngPicture {
  QImage Image;
  TPngTransparency Transparency = TPngTransparency::None;
};

// libpng (classic read API) behind C++ exceptions, reading the whole file from memory.
// Every colour type and bit depth, interlaced or not; 16-bit samples keep their high byte.
// A picture with an ICC profile (iCCP) is converted from it to sRGB; gAMA, cHRM and sRGB
// chunks are ignored, so an untagged picture keeps exactly its stored colours. An EXIF
// Orientation in an eXIf chunk before the image data puts the picture upright, as in a JPEG.
// Opaque pictures give Format_RGB32; transparent ones Format_ARGB32 (not premultiplied), alpha
// 0 on the pixels of a single transparent colour.
//
// Throws a PngMessage for a damaged file (see pngchunks.h), "Picture too large (W x H
// pixels)" for a picture of more than 1 GiB of pixels, "Out of memory" when the pixels
// cannot be allocated.
TPngPicture DecodePng(const QByteArray &Data);
