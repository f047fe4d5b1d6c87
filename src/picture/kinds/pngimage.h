#pragma once

#include "picture/kinds/picture.h"
#include "picture/codecs/pngcodec.h"

// A PNG picture, decoded whole at load. Opaque pictures draw opaque; the pixels of a single
// transparent colour are left undrawn; partial alpha is blended over what lies beneath. As a
// bitmap (for turns and mirrors) it is flattened over white.
class TPngImage : public TRasterPicture {
public:
  const char *ClassName() const override { return "TPngImage"; }
  // Throws the PNG decoder's message; the picture keeps its old pixels on failure.
  void LoadFromBytes(const QByteArray &Data) override;
};
