#include "picture/kinds/bitmap.h"
#include "picture/codecs/bmpdecoder.h"

void TBitmap::LoadFromBytes(const QByteArray &Data) { SetImage(DecodeBmp(Data)); }
