#include "picture/codecs/largeimage.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {
constexpr qsizetype HugePage = qsizetype(2) << 20;
} // namespace

QImage NewLargeImage(QSize Size, QImage::Format Format) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  const qsizetype Bits = qsizetype(Size.width()) * QImage::toPixelFormat(Format).bitsPerPixel();
  // Qt's own row alignment: every row starts on a 32-bit boundary.
  const qsizetype Stride = (Bits + 31) / 32 * 4;
  if (Size.height() > 0 && Stride > 0 && Stride <= (qsizetype(1) << 40) / Size.height() &&
      Stride * Size.height() >= LargeImageBytes) {
    const size_t Mapped = size_t((Stride * Size.height() + HugePage - 1) / HugePage * HugePage);
    void *Data = nullptr;
    if (posix_memalign(&Data, size_t(HugePage), Mapped) == 0) {
      madvise(Data, Mapped, MADV_HUGEPAGE);
      QImage Image(static_cast<uchar *>(Data), Size.width(), Size.height(), Stride, Format,
                   [](void *Block) { std::free(Block); }, Data);
      if (!Image.isNull())
        return Image;
      std::free(Data);
    }
  }
#endif
  return QImage(Size, Format);
}

void AdviseHugePages(void *Data, qsizetype Bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (!Data || Bytes < 2 * HugePage)
    return;
  const quintptr Begin = (quintptr(Data) + quintptr(HugePage) - 1) & ~quintptr(HugePage - 1);
  const quintptr End = (quintptr(Data) + quintptr(Bytes)) & ~quintptr(HugePage - 1);
  if (End > Begin)
    madvise(reinterpret_cast<void *>(Begin), size_t(End - Begin), MADV_HUGEPAGE);
#else
  (void)Data;
  (void)Bytes;
#endif
}
