#pragma once

#include <QString>
#include <QtGlobal>

#include <stdexcept>

// The largest picture a decoder builds: 1 GiB of 32-bit pixels. Decoders check a picture's
// declared size against it before they allocate anything large, so a hostile header that
// claims 65535 x 65535 pixels is refused at once instead of exhausting memory.
//
// Fuzzing builds lower it (ZELVANE_FUZZ_RASTER_BYTES, see fuzz/): building a gigabyte of
// pixels is legitimate work, but under the sanitizers it takes seconds, and a fuzzer would
// find nothing but such files.
#ifdef ZELVANE_FUZZ_RASTER_BYTES
inline constexpr qint64 MaxRasterBytes = ZELVANE_FUZZ_RASTER_BYTES;
#else
inline constexpr qint64 MaxRasterBytes = qint64(1) << 30;
#endif

inline bool RasterFits(qint64 Width, qint64 Height) {
  return Width >= 0 && Height >= 0 && Width <= 65535 && Height <= 65535 &&
         Width * Height * 4 <= MaxRasterBytes;
}

// Throws "Picture too large (W x H pixels)", for a decoder whose own limit refused the size.
[[noreturn]] inline void RefuseRasterSize(qint64 Width, qint64 Height) {
  throw std::runtime_error(
      QString("Picture too large (%1 x %2 pixels)").arg(Width).arg(Height).toStdString());
}

// Throws "Picture too large (W x H pixels)" when Width x Height pixels do not fit.
inline void CheckRasterSize(qint64 Width, qint64 Height) {
  if (!RasterFits(Width, Height))
    RefuseRasterSize(Width, Height);
}
