// The module's side of codecmoduleentries.h: everything else in the module is hidden.
#include "picture/codecs/codecmoduleentries.h"
#include "picture/codecs/heifcodec.h"
#include "picture/codecs/jxlcodec.h"
#include "picture/codecs/rasterlimits.h"

#include <type_traits>

extern "C" Q_DECL_EXPORT void ZelvaneDecodeHeif(const QByteArray &Data,
                                                const char *InvalidMessage,
                                                qint64 MaxRasterBytes, QImage &Result) {
  SetMaxRasterBytes(MaxRasterBytes);
  Result = DecodeHeif(Data, InvalidMessage);
}

extern "C" Q_DECL_EXPORT void ZelvaneDecodeJxl(const QByteArray &Data, qint64 MaxRasterBytes,
                                               QImage &Result) {
  SetMaxRasterBytes(MaxRasterBytes);
  Result = DecodeJxl(Data);
}

// The loader calls the entry points through exactly these types.
static_assert(std::is_same_v<decltype(&ZelvaneDecodeHeif), THeifEntry>);
static_assert(std::is_same_v<decltype(&ZelvaneDecodeJxl), TJxlEntry>);
