#include "bitmap.h"
#include "bmpdecoder.h"

void TBitmap::LoadFromBytes(const QByteArray &Data) { SetImage(DecodeBmp(Data)); }
