#pragma once

#include <QByteArray>
#include <QString>

// The largest picture file read. A picture within the raster limits (rasterlimits.h) never
// needs more; a larger file, or a device that never ends, is refused as too large.
inline constexpr qint64 MaxPictureFileBytes = qint64(2) << 30;

// Reads a whole picture file into memory, from its start. Every failure (missing, a
// directory, no access, a read error, larger than MaxPictureFileBytes) throws
// "Cannot open file "%s". %s" with the file's full path and the system's text for the
// error (CleanSystemMessage); "Out of memory" when the bytes cannot be held.
QByteArray ReadPictureFile(const QString &FileName);
