#pragma once

#include "picture/codecs/jpegcodec.h"
#include "picture/kinds/picture.h"

#include <exception>

// A JPEG picture. Loading keeps the file's bytes and parses only the header; the pixels are
// decoded at the first draw or conversion, once, and kept. Its own size is the upright
// picture's (EXIF Orientation), and its colours are converted from an embedded ICC profile
// to sRGB as they are drawn or asked for (see TRasterPicture::SetImage).
class TJPEGImage : public TRasterPicture {
public:
  const char *ClassName() const override { return "TJPEGImage"; }
  int Width() const override { return FHeader.Width; }
  int Height() const override { return FHeader.Height; }
  void LoadFromBytes(const QByteArray &Data) override;
  const QImage &DecodedImage() override;
  // Throws the decoder's message where the pixels could not be decoded.
  QImage ToBitmapImage() override;
  // The decoder's error ("JPEG error #%d") once the pixels failed to decode.
  std::exception_ptr DrawFailure() const override { return FDecodeError; }

  const TJpegHeader &Header() const { return FHeader; }
  bool Decoded() const { return FDecoded; }

private:
  QByteArray FData;
  TJpegHeader FHeader;
  bool FDecoded = false;
  std::exception_ptr FDecodeError;
};
