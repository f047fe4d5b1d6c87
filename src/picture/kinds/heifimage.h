#pragma once

#include "picture/kinds/picture.h"

// A HEIF picture (HEIC photographs), decoded whole at load: the file's primary image,
// upright, in sRGB. Alpha is blended over what lies beneath, like a PNG with partial
// transparency; as a bitmap it is flattened over white.
class THeifImage : public TRasterPicture {
public:
  const char *ClassName() const override { return "THeifImage"; }
  // Throws "HEIF image is not valid" (and see DecodeHeif); keeps its old pixels on failure.
  void LoadFromBytes(const QByteArray &Data) override;
};

// An AVIF picture: the same container, decoded the same way, with its own message.
class TAvifImage : public TRasterPicture {
public:
  const char *ClassName() const override { return "TAvifImage"; }
  // Throws "AVIF image is not valid" (and see DecodeHeif); keeps its old pixels on failure.
  void LoadFromBytes(const QByteArray &Data) override;
};
