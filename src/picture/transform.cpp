#include "picture/transform.h"
#include "picture/codecs/largeimage.h"
#include "picture/pixelturn.h"

#include <QColorSpace>

#include <optional>
#include <stdexcept>

namespace {

// Targets of this size and more are written past the caches: they would not stay there
// anyway, and streaming saves reading every target line before writing it.
constexpr qsizetype StreamingBytes = qsizetype(16) << 20;

bool IsTurn(TTransform Transform) {
  return Transform == TTransform::LeftRotate || Transform == TTransform::RightRotate;
}

template <typename P> void MirrorRow(const uchar *Source, int W, uchar *Target) {
  constexpr qsizetype Size = sizeof(P);
  for (int X = 0; X < W; ++X)
    StorePixel<P>(Target + (W - 1 - X) * Size, LoadPixel<P>(Source + X * Size));
}

template <typename P> void MovePixels(const QImage &Source, QImage &Target, TTransform Transform) {
  const TPlanes Planes{Source.constBits(), Source.bytesPerLine(), Source.width(),
                       Source.height(),    Target.bits(),         Target.bytesPerLine()};
  const qsizetype RowBytes = qsizetype(Planes.W) * qsizetype(sizeof(P));
  switch (Transform) {
  case TTransform::LeftRotate:
  case TTransform::RightRotate:
    if constexpr (sizeof(P) == 4)
      Turn32(Planes, Transform == TTransform::LeftRotate, Target.sizeInBytes() >= StreamingBytes);
    else
      TurnTiled<P>(Planes, Transform == TTransform::LeftRotate);
    break;
  case TTransform::TopMirror:
    for (int Y = 0; Y < Planes.H; ++Y)
      std::memcpy(Planes.Target + (Planes.H - 1 - Y) * Planes.TargetStride,
                  Planes.Source + Y * Planes.SourceStride, size_t(RowBytes));
    break;
  case TTransform::LeftMirror:
    for (int Y = 0; Y < Planes.H; ++Y)
      MirrorRow<P>(Planes.Source + Y * Planes.SourceStride, Planes.W,
                   Planes.Target + Y * Planes.TargetStride);
    break;
  }
}

// Pixels of fewer than 8 bits (the 1-bit formats) are moved one by one through their index.
void MoveIndexes(const QImage &Source, QImage &Target, TTransform Transform) {
  const int W = Source.width();
  const int H = Source.height();
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      const uint Index = uint(Source.pixelIndex(X, Y));
      switch (Transform) {
      case TTransform::LeftRotate:
        Target.setPixel(Y, W - 1 - X, Index);
        break;
      case TTransform::RightRotate:
        Target.setPixel(H - 1 - Y, X, Index);
        break;
      case TTransform::TopMirror:
        Target.setPixel(X, H - 1 - Y, Index);
        break;
      case TTransform::LeftMirror:
        Target.setPixel(W - 1 - X, Y, Index);
        break;
      }
    }
}

} // namespace

QSize TransformedSize(QSize Size, TTransform Transform) {
  return IsTurn(Transform) ? Size.transposed() : Size;
}

void TransformPixelsInto(const QImage &Source, TTransform Transform, QImage &Target) {
  // Held apart from Target, which may be Source itself or share its pixels: the pixels are
  // read from here while Target gets a buffer of its own.
  const QImage Input = Source;
  if (Input.isNull()) {
    Target = QImage();
    return;
  }
  const QSize Size = TransformedSize(Input.size(), Transform);
  const bool Fresh = Target.size() != Size || Target.format() != Input.format() ||
                     Target.constBits() == Input.constBits();
  if (Fresh)
    Target = NewLargeImage(Size, Input.format());
  if (Target.isNull())
    throw std::runtime_error("Out of memory");
  std::optional<TPagePopulator> Populator;
  if (Fresh)
    Populator.emplace(Target);
  Target.setColorTable(Input.colorTable());
  Target.setColorSpace(Input.colorSpace());
  Target.setDotsPerMeterX(IsTurn(Transform) ? Input.dotsPerMeterY() : Input.dotsPerMeterX());
  Target.setDotsPerMeterY(IsTurn(Transform) ? Input.dotsPerMeterX() : Input.dotsPerMeterY());
  switch (Input.depth()) {
  case 8:
    MovePixels<quint8>(Input, Target, Transform);
    break;
  case 16:
    MovePixels<quint16>(Input, Target, Transform);
    break;
  case 24:
    MovePixels<TBytes<3>>(Input, Target, Transform);
    break;
  case 32:
    MovePixels<quint32>(Input, Target, Transform);
    break;
  case 64:
    MovePixels<quint64>(Input, Target, Transform);
    break;
  case 128:
    MovePixels<TBytes<16>>(Input, Target, Transform);
    break;
  default:
    MoveIndexes(Input, Target, Transform);
    break;
  }
}

QImage TransformPixels(const QImage &Source, TTransform Transform) {
  QImage Target;
  TransformPixelsInto(Source, Transform, Target);
  return Target;
}
