#include "picture/kinds/jxlimage.h"
#include "picture/codecs/codecmodule.h"

void TJPEGXLImage::LoadFromBytes(const QByteArray &Data) { SetImage(DecodeJxlFromModule(Data)); }
