#pragma once

// What the tests of every picture kind need: a file's bytes, the message a load throws,
// and a picture drawn at its own size over a known colour.

#include "picture.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>

#include <exception>

// The file's bytes; empty when it cannot be read.
inline QByteArray ReadFile(const QString &Name) {
  QFile File(Name);
  return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

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
