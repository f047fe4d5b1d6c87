#include "picture/kinds/pngimage.h"

void TPngImage::LoadFromBytes(const QByteArray &Data) {
  TPngPicture Picture = DecodePng(Data);
  FTransparency = Picture.Transparency;
  SetImage(std::move(Picture.Image));
}
