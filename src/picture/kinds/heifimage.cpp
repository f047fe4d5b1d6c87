#include "picture/kinds/heifimage.h"
#include "picture/codecs/heifcodec.h"

void THeifImage::LoadFromBytes(const QByteArray &Data) {
  SetImage(DecodeHeif(Data, "HEIF image is not valid"));
}

void TAvifImage::LoadFromBytes(const QByteArray &Data) {
  SetImage(DecodeHeif(Data, "AVIF image is not valid"));
}
