#pragma once

#include "picture/kinds/picture.h"

// A JPEG XL picture, decoded whole at load (an animation: its first frame), upright, in
// sRGB. Alpha is blended over what lies beneath, like a PNG with partial transparency; as a
// bitmap it is flattened over white.
class TJPEGXLImage : public TRasterPicture {
public:
  const char *ClassName() const override { return "TJPEGXLImage"; }
  // Throws "JPEG XL image is not valid" (and see DecodeJxl); keeps its old pixels on failure.
  void LoadFromBytes(const QByteArray &Data) override;
};
