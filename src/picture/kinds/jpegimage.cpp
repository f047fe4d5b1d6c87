#include "picture/kinds/jpegimage.h"

void TJPEGImage::LoadFromBytes(const QByteArray &Data) {
  TJpegHeader Header = ReadJpegHeader(Data);
  FData = Data;
  FHeader = Header;
  FDecoded = false;
  FDecodeError = nullptr;
  SetImage(QImage());
}

const QImage &TJPEGImage::DecodedImage() {
  if (!FDecoded) {
    // Decoded once whatever the outcome: a file whose data is damaged past its header
    // shows nothing rather than failing at every repaint, and keeps the decoder's error for
    // whoever reports it.
    FDecoded = true;
    try {
      TJpegPixels Pixels = DecodeJpegPixels(FData);
      SetImage(std::move(Pixels.Image), std::move(Pixels.Colour));
    } catch (...) {
      FDecodeError = std::current_exception();
      SetImage(QImage());
    }
    FData.clear();
  }
  return TRasterPicture::DecodedImage();
}

QImage TJPEGImage::ToBitmapImage() {
  Image();
  if (FDecodeError)
    std::rethrow_exception(FDecodeError);
  return TRasterPicture::ToBitmapImage();
}
