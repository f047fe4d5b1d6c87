#pragma once

// The white frame pictures are shown in, as the drawing tests build and photograph it.

#include <QImage>
#include <QPalette>
#include <QRegion>
#include <QWidget>

// Gives Frame the window's white background, painted by Qt wherever no child covers it.
inline void PaintWhite(QWidget &Frame) {
  QPalette White = Frame.palette();
  White.setColor(QPalette::Window, Qt::white);
  Frame.setPalette(White);
  Frame.setAutoFillBackground(true);
}

// The frame as it shows now over white, one pixel per unit of its geometry. With Flags of
// DrawChildren only, the frame's own background is left out.
inline QImage RenderFrame(QWidget &Frame, QWidget::RenderFlags Flags =
                                              QWidget::DrawWindowBackground |
                                              QWidget::DrawChildren) {
  QImage Shot(Frame.size(), QImage::Format_RGB32);
  Shot.fill(Qt::white);
  Frame.render(&Shot, QPoint(), QRegion(), Flags);
  return Shot;
}
