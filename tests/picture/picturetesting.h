#pragma once

// What the tests of every picture kind need: a file's bytes, the message a load throws,
// a picture drawn at its own size over a known colour, and where two images differ.

#include "picture/kinds/picture.h"
#include "support/filebytes.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QString>

#include <exception>

// The message a load throws, or an empty text when it succeeds.
inline QString LoadError(TPicture &Picture, const QByteArray &Data) {
  try {
    Picture.LoadFromBytes(Data);
  } catch (const std::exception &Error) {
    return QString::fromUtf8(Error.what());
  }
  return {};
}

// The picture drawn at its own size into a canvas filled with Fill.
inline QImage DrawOver(TPicture &Picture, QRgb Fill) {
  QImage Canvas(Picture.Width(), Picture.Height(), QImage::Format_RGB32);
  Canvas.fill(Fill);
  QPainter Painter(&Canvas);
  const QRect Dest(0, 0, Picture.Width(), Picture.Height());
  Picture.Draw(Painter, Dest, Dest);
  return Canvas;
}

// The first pixel where two images differ, alpha included, as text; empty when they are
// equal.
inline QString FirstDifference(const QImage &Actual, const QImage &Expected) {
  if (Actual.size() != Expected.size())
    return QStringLiteral("size %1x%2, expected %3x%4")
        .arg(Actual.width())
        .arg(Actual.height())
        .arg(Expected.width())
        .arg(Expected.height());
  for (int Y = 0; Y < Actual.height(); ++Y)
    for (int X = 0; X < Actual.width(); ++X)
      if (Actual.pixel(X, Y) != Expected.pixel(X, Y))
        return QStringLiteral("pixel %1,%2: %3, expected %4")
            .arg(X)
            .arg(Y)
            .arg(Actual.pixel(X, Y), 8, 16)
            .arg(Expected.pixel(X, Y), 8, 16);
  return {};
}
