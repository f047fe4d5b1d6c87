#pragma once

// Drawing metafile fixtures and comparing pixels, for the metafile tests.

#include "picture/kinds/metafile.h"

#include <QImage>
#include <QPainter>
#include <QString>

// The colour of the frame under the picture: what a metafile does not paint shows it.
constexpr QRgb FrameColor = 0xFF01FE03;

inline QImage FilledImage(QSize Size, QRgb Color) {
  QImage Image(Size, QImage::Format_RGB32);
  Image.fill(Color);
  return Image;
}

// Fills [Left, Left + Width) x [Top, Top + Height) pixel by pixel.
inline void FillPixels(QImage &Image, QRect Rect, QRgb Color) {
  for (int Y = Rect.top(); Y <= Rect.bottom(); ++Y)
    for (int X = Rect.left(); X <= Rect.right(); ++X)
      if (Image.rect().contains(X, Y))
        Image.setPixel(X, Y, Color);
}

// Loads a metafile and draws it through the picture interface at 0,0 scaled to Dest, over
// the frame colour. Throws what loading throws.
inline QImage DrawMetafile(const QByteArray &File, QSize Dest) {
  TMetafile Metafile;
  Metafile.LoadFromBytes(File);
  QImage Canvas = FilledImage(Dest, FrameColor);
  QPainter Painter(&Canvas);
  Metafile.Draw(Painter, QRect(QPoint(0, 0), Dest), Canvas.rect());
  return Canvas;
}

// The first pixel whose colour differs (alpha ignored: metafiles paint opaque), described;
// empty when the images are equal.
inline QString FirstColourDifference(const QImage &Actual, const QImage &Expected) {
  if (Actual.size() != Expected.size())
    return QString("size %1x%2, expected %3x%4")
        .arg(Actual.width()).arg(Actual.height()).arg(Expected.width()).arg(Expected.height());
  for (int Y = 0; Y < Actual.height(); ++Y)
    for (int X = 0; X < Actual.width(); ++X)
      if ((Actual.pixel(X, Y) | 0xFF000000u) != (Expected.pixel(X, Y) | 0xFF000000u))
        return QString("pixel %1,%2 is #%3, expected #%4")
            .arg(X).arg(Y)
            .arg(Actual.pixel(X, Y) & 0xFFFFFF, 6, 16, QChar('0'))
            .arg(Expected.pixel(X, Y) & 0xFFFFFF, 6, 16, QChar('0'));
  return QString();
}

// The box of the pixels that are not the frame colour; empty when there are none.
inline QRect PaintedBox(const QImage &Image) {
  QRect Box;
  for (int Y = 0; Y < Image.height(); ++Y)
    for (int X = 0; X < Image.width(); ++X)
      if ((Image.pixel(X, Y) | 0xFF000000u) != FrameColor)
        Box |= QRect(X, Y, 1, 1);
  return Box;
}

inline int CountPixels(const QImage &Image, QRect Area, bool (*Match)(QRgb)) {
  int Count = 0;
  for (int Y = Area.top(); Y <= Area.bottom(); ++Y)
    for (int X = Area.left(); X <= Area.right(); ++X)
      if (Image.rect().contains(X, Y) && Match(Image.pixel(X, Y)))
        ++Count;
  return Count;
}
