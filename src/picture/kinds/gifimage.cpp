#include "picture/kinds/gifimage.h"

void TGIFImage::LoadFromBytes(const QByteArray &Data) {
  TGifPicture Picture = DecodeGif(Data);
  QImage Pixels = std::move(Picture.Image);
  Picture.Image = QImage();
  FInfo = std::move(Picture);
  SetImage(std::move(Pixels));
}

QImage TGIFImage::ToBitmapImage() { return GifBitmapImage(Image(), FInfo); }
