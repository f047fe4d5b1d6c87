#pragma once

#include <QByteArray>
#include <QImage>

// The entry points of the HEIF/AVIF and JPEG XL module (codecmodule.h), looked up by these
// names. Each sets the module's raster limit to MaxRasterBytes (the module holds its own copy
// of rasterlimits.h's setting, so the caller's is handed over on every call), then decodes
// as DecodeHeif or DecodeJxl and stores the picture in Result. Exceptions pass through to the
// caller, who shares the module's C++ library.
using THeifEntry = void (*)(const QByteArray &Data, const char *InvalidMessage,
                            qint64 MaxRasterBytes, QImage &Result);
using TJxlEntry = void (*)(const QByteArray &Data, qint64 MaxRasterBytes, QImage &Result);

inline constexpr const char *HeifEntryName = "ZelvaneDecodeHeif";
inline constexpr const char *JxlEntryName = "ZelvaneDecodeJxl";
