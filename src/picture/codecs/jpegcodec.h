#pragma once

#include "picture/codecs/colourprofile.h"

#include <QByteArray>
#include <QImage>

#include <memory>

// libjpeg (jpeg62 API) behind C++ exceptions. libjpeg reports fatal errors by calling
// error_exit, which must not return; ours longjmps back into a guard frame that holds no
// C++ objects, and the guard's caller throws. So no longjmp ever skips a destructor.

// What the header says. Width and Height are those of the upright picture: the frame's
// size, its sides exchanged when the EXIF Orientation turns it a quarter.
struct TJpegHeader {
  int Width = 0;
  int Height = 0;
  bool Grayscale = false;
  bool Progressive = false;
  int Components = 0;
  // The EXIF Orientation of the APP1 segment, 1 to 8 (see orientation.h); 1 without one.
  int Orientation = 1;
  // The ICC profile of the APP2 segments (joined when it spans several); empty without one.
  QByteArray IccProfile;
};

// A file of more scans than this is refused while it is decoded. Progressive files have ten
// or a few dozen; each scan costs a pass over the whole picture.
inline constexpr int MaxJpegScans = 1000;

// Throws "JPEG error #%d" with libjpeg's message code, or "Picture too large (W x H pixels)"
// (see rasterlimits.h) for a picture larger than any decoder here builds.
TJpegHeader ReadJpegHeader(const QByteArray &Data);

// Decoded pixels, upright, and the colour conversion still owed to them.
struct TJpegPixels {
  QImage Image;
  // Converts Image's pixels (in place) to sRGB: set for a picture whose ICC profile fits it
  // (RGB pixels of an RGB profile, CMYK of a CMYK one). Null when Image is final.
  std::shared_ptr<const TColourTransform> Colour;
};

// Decodes at full scale with the decoder's quality defaults, each row written straight to
// its upright place (EXIF Orientation), so no second picture is held. Colour pictures give
// Format_RGB32; greyscale ones Format_Indexed8 quantised by the decoder to 236 grey levels,
// whose colour table is converted at once when a grey profile is embedded. CMYK and YCCK
// pictures with a CMYK profile keep their C, M, Y, K bytes in the 32-bit pixels for Colour;
// without one they are converted to RGB by the ink formula (Adobe's inverted CMYK included).
// An untagged picture gives exactly the decoder's pixels.
// Warnings (a truncated file, say) are ignored: what was decoded is kept, the rest is grey.
// Throws as ReadJpegHeader does, "JPEG picture has too many scans (more than 1000)" for a
// file of more than MaxJpegScans scans, and "JPEG error #%d" with JERR_NO_BACKING_STORE when
// libjpeg's working memory would pass MaxRasterBytes.
TJpegPixels DecodeJpegPixels(const QByteArray &Data);

// DecodeJpegPixels with the colour conversion done: the upright picture in sRGB.
QImage DecodeJpeg(const QByteArray &Data);
