#include "bmpdecoder.h"

#include <QBuffer>
#include <QImageReader>

#include <stdexcept>

QImage DecodeBmp(const QByteArray &Data) {
  QByteArray Copy = Data;
  QBuffer Buffer(&Copy);
  Buffer.open(QIODevice::ReadOnly);
  QImageReader Reader(&Buffer, "bmp");
  QImage Image;
  if (!Reader.read(&Image) || Image.isNull())
    throw std::runtime_error("Bitmap image is not valid");
  return Image.convertToFormat(Image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                       : QImage::Format_RGB32);
}
