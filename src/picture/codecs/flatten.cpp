#include "picture/codecs/flatten.h"

#include <QPainter>

#include <stdexcept>

QImage FlattenOverWhite(const QImage &Image) {
  if (Image.isNull())
    return QImage();
  QImage Result = Image.hasAlphaChannel() ? QImage(Image.size(), QImage::Format_RGB32)
                                           : Image.convertToFormat(QImage::Format_RGB32);
  if (Result.isNull())
    throw std::runtime_error("Out of memory");
  if (!Image.hasAlphaChannel())
    return Result;
  Result.fill(Qt::white);
  QPainter Painter(&Result);
  Painter.drawImage(0, 0, Image);
  return Result;
}
