#pragma once

#include <QByteArray>
#include <QImage>

inline constexpr const char *JxlInvalidMessage = "JPEG XL image is not valid";

// libjxl behind C++ exceptions, reading the whole file from memory on libjxl's threads. The
// first frame (of an animation, the first shown) is decoded upright (libjxl applies the
// file's orientation) and in sRGB: libjxl converts pictures stored in its own XYB colour to
// sRGB itself; others come in their own colour, whose profile is then converted to sRGB.
// Deeper samples are cut to 8 bits. Opaque pictures give Format_RGB32, pictures with alpha
// Format_ARGB32 (not premultiplied).
//
// Throws "JPEG XL image is not valid" for a damaged or truncated file, "Picture too large (W
// x H pixels)" before any pixel is allocated for a picture over the raster limit, "Out of
// memory" when the pixels cannot be had.
QImage DecodeJxl(const QByteArray &Data);
