#include "picture/pictureturn.h"
#include "picture/kinds/bitmap.h"
#include "picture/image.h"

namespace {

QImage WorkingPixels(TPicture &Picture) {
  if (auto *Bitmap = dynamic_cast<TBitmap *>(&Picture))
    return Bitmap->Image();
  QImage Pixels = Picture.ToBitmapImage();
  if (Pixels.format() != QImage::Format_RGB32 && !Pixels.isNull())
    Pixels = Pixels.convertToFormat(QImage::Format_RGB32);
  return Pixels;
}

} // namespace

void TurnPicture(TImage &Image, TTransform Transform) {
  TPicture *Picture = Image.Picture();
  if (!Picture)
    return;
  QImage Turned = TransformPixels(WorkingPixels(*Picture), Transform);
  const QSize Size = Turned.size();
  TBitmap &Bitmap = Image.MakeBitmap();
  Bitmap.Assign(std::move(Turned));
  Image.PictureChanged();
  Image.SetHeight(Size.height());
  Image.SetWidth(Size.width());
}

void RotateOrMirror(TImage &Image, TTransform Transform, const THideSelection &Hide) {
  HideSelection(Hide);
  TurnPicture(Image, Transform);
}
