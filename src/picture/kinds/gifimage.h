#pragma once

#include "picture/codecs/gifcodec.h"
#include "picture/kinds/picture.h"

// A GIF picture: its own size is the logical screen's. All frames are read at load, only
// the first is kept and shown, still (see TGifPicture for how it is drawn).
class TGIFImage : public TRasterPicture {
public:
  const char *ClassName() const override { return "TGIFImage"; }
  // Throws the GIF decoder's message; the picture keeps its old pixels on failure.
  void LoadFromBytes(const QByteArray &Data) override;
  // The logical screen with the first frame, its transparent colour and the screen around
  // a transparent frame in the background colour (see GifBitmapImage).
  QImage ToBitmapImage() override;

  // What the decoder found (its Image is empty: the pixels are Image()).
  const TGifPicture &Info() const { return FInfo; }

private:
  TGifPicture FInfo;
};
