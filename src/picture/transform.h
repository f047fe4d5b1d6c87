#pragma once

#include "base/picturesteps.h"

#include <QImage>

// The quarter turns and mirrors of a picture's pixels, apart from any widget.
//
// Source pixel (x, y) of a W x H picture goes to:
//
//   LeftRotate   (y, W - 1 - x)   H x W   quarter turn anticlockwise
//   RightRotate  (H - 1 - y, x)   H x W   quarter turn clockwise
//   TopMirror    (x, H - 1 - y)   W x H   top to bottom
//   LeftMirror   (W - 1 - x, y)   W x H   left to right
//
//   a b c    LeftRotate   c f    RightRotate  d a    TopMirror  d e f    LeftMirror  c b a
//   d e f    ---------->  b e    ----------->  e b    --------> a b c    --------->  f e d
//                         a d                  f c

// The size of the transformed picture.
QSize TransformedSize(QSize Size, TTransform Transform);

// The transformed pixels, in the source's own pixel format: every pixel is moved, none is
// converted, and a palette picture keeps its colour table. Works on every QImage format. A
// null source gives a null image. Throws "Out of memory" when the result cannot be
// allocated.
QImage TransformPixels(const QImage &Source, TTransform Transform);
