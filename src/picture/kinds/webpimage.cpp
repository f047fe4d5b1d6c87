#include "picture/kinds/webpimage.h"
#include "picture/codecs/webpcodec.h"

void TWebPImage::LoadFromBytes(const QByteArray &Data) { SetImage(DecodeWebp(Data)); }
