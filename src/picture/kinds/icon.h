#pragma once

#include "picture/codecs/icondecoder.h"
#include "picture/kinds/picture.h"

// An icon file. Of its images the one nearest to 32 x 32 is shown, and among images equally
// near the one with the most colours (the first on a tie); see ChooseIconEntry. It is drawn
// through its mask, as GDI draws icons: where the mask is 1 what lies beneath stays (or is
// inverted, where the image's colour there is not black); 32-bit and PNG images are blended
// by their alpha. An icon has no bitmap of its own.
class TIcon : public TRasterPicture {
public:
  const char *ClassName() const override { return "TIcon"; }
  // Throws "Icon image is not valid", or what DecodeIconEntry throws; the icon keeps its
  // old image on failure.
  void LoadFromBytes(const QByteArray &Data) override;
  void Draw(QPainter &Painter, const QRect &Dest, const QRect &Clip) override;
  // The mask's hard edges and the inverting pixels stay as they are: an icon is never filtered.
  void DrawSmooth(QPainter &Painter, const QRect &Dest, const QRect &Clip) override {
    Draw(Painter, Dest, Clip);
  }
  QImage ToBitmapImage() override { return TPicture::ToBitmapImage(); }

private:
  QImage FInverted; // see TIconImage
};
