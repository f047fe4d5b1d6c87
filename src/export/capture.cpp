#include "export/capture.h"

#include <new>

QImage CaptureFrame(QWidget &Frame) {
  QImage Capture(Frame.width(), Frame.height(), QImage::Format_RGB32);
  if (Capture.isNull() && Frame.width() > 0 && Frame.height() > 0)
    throw std::bad_alloc();
  Capture.setDevicePixelRatio(1);
  Capture.fill(Frame.palette().color(Frame.backgroundRole()));
  Frame.render(&Capture, QPoint(0, 0), QRegion(),
               QWidget::DrawWindowBackground | QWidget::DrawChildren);
  return Capture;
}
