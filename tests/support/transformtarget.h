#pragma once

// Where each turn or mirror sends a pixel, written out from the table of moves so tests can
// check the picture code against it.

#include "picture/transform.h"

#include <QPoint>

// Where source pixel (X, Y) of a W x H picture goes.
inline QPoint TargetOf(TTransform Transform, int X, int Y, int W, int H) {
  switch (Transform) {
  case TTransform::LeftRotate:
    return QPoint(Y, W - 1 - X);
  case TTransform::RightRotate:
    return QPoint(H - 1 - Y, X);
  case TTransform::TopMirror:
    return QPoint(X, H - 1 - Y);
  case TTransform::LeftMirror:
    return QPoint(W - 1 - X, Y);
  }
  return QPoint();
}
