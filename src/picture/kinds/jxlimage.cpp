#include "picture/kinds/jxlimage.h"
#include "picture/codecs/jxlcodec.h"

void TJPEGXLImage::LoadFromBytes(const QByteArray &Data) { SetImage(DecodeJxl(Data)); }
