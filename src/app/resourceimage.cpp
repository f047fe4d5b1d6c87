#include "app/resourceimage.h"

#include <QImageReader>

QImage ResourceImage(const QString &Name, const char *Format) {
  QImageReader Reader(Name, Format);
  Reader.setAutoDetectImageFormat(false);
  return Reader.read();
}
