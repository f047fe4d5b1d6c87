#include "picture/kinds/jpegimage.h"

#include <stdexcept>

void TJPEGImage::LoadFromBytes(const QByteArray &Data) {
  TJpegHeader Header = ReadJpegHeader(Data);
  FData = Data;
  FHeader = Header;
  FDecoded = false;
  FDecodeError.clear();
  SetImage(QImage());
}

const QImage &TJPEGImage::DecodedImage() {
  if (!FDecoded) {
    // Decoded once whatever the outcome: a file whose data is damaged past its header
    // shows nothing rather than failing at every repaint.
    FDecoded = true;
    try {
      TJpegPixels Pixels = DecodeJpegPixels(FData);
      SetImage(std::move(Pixels.Image), std::move(Pixels.Colour));
    } catch (const std::exception &Error) {
      FDecodeError = Error.what();
      SetImage(QImage());
    }
    FData.clear();
  }
  return TRasterPicture::DecodedImage();
}

QImage TJPEGImage::ToBitmapImage() {
  Image();
  if (!FDecodeError.empty())
    throw std::runtime_error(FDecodeError);
  return TRasterPicture::ToBitmapImage();
}
