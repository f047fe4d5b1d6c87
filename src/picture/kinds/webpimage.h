#pragma once

#include "picture/kinds/picture.h"

// A WebP picture, decoded whole at load (an animation: its first frame). Alpha is blended
// over what lies beneath, like a PNG with partial transparency; as a bitmap it is flattened
// over white.
class TWebPImage : public TRasterPicture {
public:
  const char *ClassName() const override { return "TWebPImage"; }
  // Throws "WebP image is not valid" (and see DecodeWebp); keeps its old pixels on failure.
  void LoadFromBytes(const QByteArray &Data) override;
};
