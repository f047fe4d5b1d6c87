#pragma once

#include <QByteArray>
#include <QImage>

inline constexpr const char *WebpInvalidMessage = "WebP image is not valid";

// libwebp behind C++ exceptions, reading the whole file from memory. A still picture is
// decoded straight into the result's pixels; an animation gives its first frame as shown on
// its canvas. The EXIF chunk's orientation is applied (the result has the upright size) and
// an ICCP profile is converted to sRGB. Opaque pictures give Format_RGB32, pictures with an
// alpha channel Format_ARGB32 (not premultiplied).
//
// Throws "WebP image is not valid" for a damaged file, "Picture too large (W x H pixels)"
// before any pixel is allocated for a picture over the raster limit, "Out of memory" when
// the pixels cannot be had.
QImage DecodeWebp(const QByteArray &Data);
