#include "export/wallpaperfile.h"

#include "export/filewriter.h"
#include "export/jpegwriter.h"

void WriteWallpaperFile(const QImage &Capture, int Quality, const QString &FileName) {
  TReplacingFile File(FileName);
  File.Commit(EncodeJpeg(Capture, Quality));
}
