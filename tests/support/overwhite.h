#pragma once

// A picture with transparent parts as the white frame shows it.

#include <QImage>
#include <QPainter>

// The picture composed over white, as the frame shows a picture with transparent parts.
inline QImage OverWhite(const QImage &Image) {
  QImage Canvas(Image.size(), QImage::Format_RGB32);
  Canvas.fill(Qt::white);
  QPainter Painter(&Canvas);
  Painter.drawImage(0, 0, Image);
  return Canvas;
}
