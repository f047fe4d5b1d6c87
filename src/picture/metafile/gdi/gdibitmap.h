#pragma once

#include "picture/codecs/byteview.h"

#include <QImage>
#include <QList>

// Limits on one decoded metafile bitmap; a bitmap beyond them is not decoded.
struct TDibLimits {
  qint64 MaxSide = 65535;
  qint64 MaxPixels = qint64(1) << 26;  // 256 MiB at 4 bytes a pixel
};

// A decoded metafile bitmap.
//
//   Image        null when the bitmap could not be decoded (damaged, unsupported, too big)
//   Monochrome   a 1-bit bitmap: Image is Format_Indexed8 with exactly two colours, so that
//                callers can give it the text and background colours where drawing wants them
//   Alpha        Image carries per-pixel alpha
//
// Other bitmaps are Format_RGB32; run-length coded ones Format_ARGB32 with the pixels the data
// skips left transparent; KeepAlpha 32-bit ones Format_ARGB32_Premultiplied.
struct TDib {
  QImage Image;
  bool Monochrome = false;
  bool Alpha = false;
};

// Colour table usage of a bitmap record: RGB entries, or 16-bit indices into the logical
// palette selected at the time.
constexpr quint32 DibRgbColors = 0;
constexpr quint32 DibPalColors = 1;

// Decodes a device-independent bitmap with the DIB decoder's metafile rules (dib.h): Info
// holds the header and the colour table, Bits the pixel data. Embedded JPEG and PNG pictures
// are decoded too. Missing colour table entries are black. Run-length coded bitmaps of more
// than 4 million pixels must not claim more than 256 pixels for each byte of their data.
// KeepAlpha keeps 16- and 32-bit alpha (taken as premultiplied, as alpha blending expects);
// otherwise the fourth byte is ignored, as plain blits do.
TDib DecodeDib(TByteView Info, TByteView Bits, quint32 Usage, const QList<QRgb> &Palette,
               bool KeepAlpha, const TDibLimits &Limits = {});

// The width and height a bitmap header declares (height negative for top-down bitmaps);
// false when Info holds no known header.
bool DibHeaderSize(TByteView Info, qint64 &Width, qint64 &Height);

// Decodes a packed bitmap: header and colour table immediately followed by the bits.
TDib DecodePackedDib(TByteView Packed, quint32 Usage, const QList<QRgb> &Palette,
                     const TDibLimits &Limits = {});

// Decodes an old device-dependent bitmap as early metafiles store it: Header is the 10-byte
// header (type, width, height, bytes per row, planes, bits per pixel), Bits the rows from the
// top. 1-bit bitmaps come back Monochrome with black for 0 and white for 1.
TDib DecodeBitmap16(TByteView Header, TByteView Bits, const TDibLimits &Limits = {});
