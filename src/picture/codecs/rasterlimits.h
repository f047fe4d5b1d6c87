#pragma once

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <stdexcept>

// The largest picture a decoder builds: 1 GiB of 32-bit pixels. Decoders check a picture's
// declared size against it before they allocate anything large, so a hostile header that
// claims 65535 x 65535 pixels is refused at once instead of exhausting memory.
inline constexpr qint64 DefaultMaxRasterBytes = qint64(1) << 30;

// The limit in force. Only the fuzz targets lower it: building a gigabyte of pixels is
// legitimate work, but under the sanitizers it takes seconds, and a fuzzer would find
// nothing but such files.
inline std::atomic<qint64> &MaxRasterBytesSetting() {
  static std::atomic<qint64> Limit{DefaultMaxRasterBytes};
  return Limit;
}
inline qint64 MaxRasterBytes() { return MaxRasterBytesSetting().load(std::memory_order_relaxed); }
inline void SetMaxRasterBytes(qint64 Bytes) {
  MaxRasterBytesSetting().store(Bytes, std::memory_order_relaxed);
}

inline bool RasterFits(qint64 Width, qint64 Height) {
  return Width >= 0 && Height >= 0 && Width <= 65535 && Height <= 65535 &&
         Width * Height * 4 <= MaxRasterBytes();
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
