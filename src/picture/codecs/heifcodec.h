#pragma once

#include <QByteArray>
#include <QImage>

// libheif behind C++ exceptions, reading the whole file from memory: HEIC (HEVC), AVIF
// (AV1) and other HEIF files. The primary image is decoded with its alpha, turned, mirrored
// and cropped as the file says (libheif's own transformations: the EXIF block is never
// applied on top of them), and its colour (an ICC profile, or primaries and transfer given
// as numbers) converted to sRGB. Deeper samples are cut to 8 bits. libheif's own security
// limits stay on. Opaque pictures give Format_RGB32, pictures with alpha Format_ARGB32 (not
// premultiplied). Beside the file, an 8-bit picture's decoding holds at most libheif's YCbCr
// planes with its planar RGB at once (4.5 bytes a pixel for 4:2:0), or the planar RGB passing
// into the picture (4 bytes a pixel and a band of rows), never the planes and the picture
// whole; deeper samples take libheif's RGBA.
//
// Throws InvalidMessage for a damaged or unsupported file, "Picture too large (W x H
// pixels)" before any pixel is decoded for a picture over the raster limit, "Out of memory"
// when libheif cannot allocate.
QImage DecodeHeif(const QByteArray &Data, const char *InvalidMessage);
