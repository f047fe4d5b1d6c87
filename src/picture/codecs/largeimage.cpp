#include "picture/codecs/largeimage.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

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

TPagePopulator::TPagePopulator(void *Data, qsizetype Bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  if (!Data || Bytes < LargeImageBytes || std::thread::hardware_concurrency() < 2)
    return;
  // Whole pages only: madvise wants a page-aligned start.
  const quintptr Page = 4096;
  const quintptr Begin = (quintptr(Data) + Page - 1) & ~(Page - 1);
  const quintptr End = (quintptr(Data) + quintptr(Bytes)) & ~(Page - 1);
  if (End <= Begin)
    return;
  try {
    FThread = std::thread([this, Begin, End] {
      // One huge page at a time, in the writer's order, so that the writer rarely waits
      // for a page the populator holds, and a stop request is heard soon.
      for (quintptr At = Begin; At < End && !FStop.load(std::memory_order_relaxed);
           At += quintptr(HugePage)) {
        const size_t Length = size_t(std::min(End - At, quintptr(HugePage)));
        if (madvise(reinterpret_cast<void *>(At), Length, MADV_POPULATE_WRITE) != 0 &&
            errno != EINTR)
          return; // not supported, or no memory: the writer's own faults will tell
      }
    });
  } catch (const std::system_error &) {
    // No thread to be had: the writer maps its pages itself, as it always could.
  }
#else
  (void)Data;
  (void)Bytes;
#endif
}

TPagePopulator::~TPagePopulator() {
  FStop.store(true, std::memory_order_relaxed);
  if (FThread.joinable())
    FThread.join();
}
