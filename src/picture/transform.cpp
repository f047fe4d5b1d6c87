#include "picture/transform.h"
#include "picture/codecs/largeimage.h"
#include "picture/pixelturn.h"

#include <QColorSpace>
#include <QTransform>

#include <stdexcept>

namespace {

// Targets of this size and more are written past the caches: they would not stay there
// anyway, and streaming saves reading every target line before writing it.
constexpr qsizetype StreamingBytes = qsizetype(16) << 20;

bool IsTurn(TTransform Transform) {
  return Transform == TTransform::LeftRotate || Transform == TTransform::RightRotate;
}

// A quarter turn of 32-bit pixels into a large-image buffer.
QImage Turn32Bits(const QImage &Source, bool Left) {
  QImage Target = NewLargeImage(Source.size().transposed(), Source.format());
  if (Target.isNull())
    return Target;
  Target.setColorSpace(Source.colorSpace());
  Turn32(TPlanes{Source.constBits(), Source.bytesPerLine(), Source.width(), Source.height(),
                 Target.bits(), Target.bytesPerLine()},
         Left, Target.sizeInBytes() >= StreamingBytes);
  return Target;
}

} // namespace

QSize TransformedSize(QSize Size, TTransform Transform) {
  return IsTurn(Transform) ? Size.transposed() : Size;
}

QImage TransformPixels(const QImage &Source, TTransform Transform) {
  if (Source.isNull())
    return QImage();
  // A quarter-turn matrix takes Qt's exact rotation of the stored pixels, not its sampling
  // transform; both keep the format and the colour table. 32-bit pictures, the turns' usual
  // work, turn into large-image pages instead.
  QImage Result;
  if (IsTurn(Transform) && Source.depth() == 32)
    Result = Turn32Bits(Source, Transform == TTransform::LeftRotate);
  else
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
