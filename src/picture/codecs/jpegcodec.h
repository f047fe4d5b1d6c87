#pragma once

#include <QByteArray>
#include <QImage>

// libjpeg (jpeg62 API) behind C++ exceptions. libjpeg reports fatal errors by calling
// error_exit, which must not return; ours longjmps back into a guard frame that holds no
// C++ objects, and the guard's caller throws. So no longjmp ever skips a destructor.

struct TJpegHeader {
  int Width = 0;
  int Height = 0;
  bool Grayscale = false;
  bool Progressive = false;
  int Components = 0;
};

// A file of more scans than this is refused while it is decoded. Progressive files have ten
// or a few dozen; each scan costs a pass over the whole picture.
inline constexpr int MaxJpegScans = 1000;

// Throws "JPEG error #%d" with libjpeg's message code, or "Picture too large (W x H pixels)"
// (see rasterlimits.h) for a picture larger than any decoder here builds.
TJpegHeader ReadJpegHeader(const QByteArray &Data);

// Decodes at full scale with the decoder's quality defaults. Colour pictures give
// Format_RGB32; greyscale ones Format_Indexed8 quantised by the decoder to 236 grey levels.
// CMYK and YCCK pictures are converted to RGB (Adobe's inverted CMYK included).
// Warnings (a truncated file, say) are ignored: what was decoded is kept, the rest is grey.
// Throws as ReadJpegHeader does, "JPEG picture has too many scans (more than 1000)" for a
// file of more than MaxJpegScans scans, and "JPEG error #%d" with JERR_NO_BACKING_STORE when
// libjpeg's working memory would pass MaxRasterBytes.
QImage DecodeJpeg(const QByteArray &Data);
