#include "picture/kinds/heifimage.h"
#include "picture/codecs/codecmodule.h"

void THeifImage::LoadFromBytes(const QByteArray &Data) {
  SetImage(DecodeHeifFromModule(Data, "HEIF image is not valid"));
}

void TAvifImage::LoadFromBytes(const QByteArray &Data) {
  SetImage(DecodeHeifFromModule(Data, "AVIF image is not valid"));
}
