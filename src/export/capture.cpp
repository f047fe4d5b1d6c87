#include "export/capture.h"

#include <QScreen>

#include <new>

QImage::Format ScreenPixelFormat(int Depth) {
  switch (Depth) {
  case 16:
    return QImage::Format_RGB16;
  case 15:
    return QImage::Format_RGB555;
  default:
    return QImage::Format_RGB32;
  }
}

QImage CaptureFrame(QWidget &Frame) {
  const QScreen *Screen = Frame.screen();
  return CaptureFrame(Frame, Screen ? Screen->depth() : 32);
}

QImage CaptureFrame(QWidget &Frame, int ScreenDepth) {
  // Painting into the screen's own format rounds each colour the way the window system's
  // buffer for the frame does.
  QImage Capture(Frame.width(), Frame.height(), ScreenPixelFormat(ScreenDepth));
  if (Capture.isNull() && Frame.width() > 0 && Frame.height() > 0)
    throw std::bad_alloc();
  Capture.setDevicePixelRatio(1);
  Capture.fill(Frame.palette().color(Frame.backgroundRole()));
  Frame.render(&Capture, QPoint(0, 0), QRegion(),
               QWidget::DrawWindowBackground | QWidget::DrawChildren);
  return Capture;
}
