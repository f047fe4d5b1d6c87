#include "picture/kinds/pngimage.h"

void TPngImage::LoadFromBytes(const QByteArray &Data) {
  SetImage(DecodePng(Data).Image);
}
