#pragma once

#include "picture/kinds/picture.h"

// A bitmap: pixels that can be read and written one by one. BMP files load into it, and
// turns and mirrors leave their result in one.
class TBitmap : public TRasterPicture {
public:
  TBitmap() = default;
  explicit TBitmap(QImage Image) { SetImage(std::move(Image)); }

  const char *ClassName() const override { return "TBitmap"; }
  // Decodes a BMP file; throws "Bitmap image is not valid".
  void LoadFromBytes(const QByteArray &Data) override;

  // Replaces the pixels (the bitmap's size follows them).
  void Assign(QImage Image) { SetImage(std::move(Image)); }
  // Writable pixels; call Modified() after writing them.
  QImage &Pixels() { return FImage; }
  void Modified() { Changed(); }
};
