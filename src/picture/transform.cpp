#include "picture/transform.h"

#include <QTransform>

#include <stdexcept>

namespace {

bool IsTurn(TTransform Transform) {
  return Transform == TTransform::LeftRotate || Transform == TTransform::RightRotate;
}

} // namespace

QSize TransformedSize(QSize Size, TTransform Transform) {
  return IsTurn(Transform) ? Size.transposed() : Size;
}

QImage TransformPixels(const QImage &Source, TTransform Transform) {
  if (Source.isNull())
    return QImage();
  // A quarter-turn matrix takes Qt's exact rotation of the stored pixels, not its sampling
  // transform; both keep the format and the colour table.
  QImage Result;
  switch (Transform) {
  case TTransform::LeftRotate:
    Result = Source.transformed(QTransform().rotate(-90));
    break;
  case TTransform::RightRotate:
    Result = Source.transformed(QTransform().rotate(90));
    break;
  case TTransform::TopMirror:
    Result = Source.mirrored(false, true);
    break;
  case TTransform::LeftMirror:
    Result = Source.mirrored(true, false);
    break;
  }
  if (Result.isNull())
    throw std::runtime_error("Out of memory");
  if (IsTurn(Transform)) {
    Result.setDotsPerMeterX(Source.dotsPerMeterY());
    Result.setDotsPerMeterY(Source.dotsPerMeterX());
  }
  return Result;
}
