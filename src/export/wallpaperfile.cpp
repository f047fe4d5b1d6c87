#include "wallpaperfile.h"

#include "filewriter.h"
#include "jpegwriter.h"

void WriteWallpaperFile(const QImage &Capture, int Quality, const QString &FileName) {
  TReplacingFile File(FileName);
  File.Commit(EncodeJpeg(Capture, Quality));
}
