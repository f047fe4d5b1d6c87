#include "picture/codecs/orientation.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include <libexif/exif-data.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr char ExifHeader[] = "Exif\0\0";
constexpr qsizetype ExifHeaderSize = 6;

struct TExifDataDeleter {
  void operator()(ExifData *Data) const { exif_data_unref(Data); }
};

// Where stored pixel (X, Y) of a W x H picture lies once upright.
inline void UprightPlace(int Orientation, int W, int H, int X, int Y, int &U, int &V) {
  switch (Orientation) {
  case 2: U = W - 1 - X, V = Y; break;
  case 3: U = W - 1 - X, V = H - 1 - Y; break;
  case 4: U = X, V = H - 1 - Y; break;
  case 5: U = Y, V = X; break;
  case 6: U = H - 1 - Y, V = X; break;
  case 7: U = H - 1 - Y, V = W - 1 - X; break;
  case 8: U = Y, V = W - 1 - X; break;
  default: U = X, V = Y; break;
  }
}

// A turning orientation writes a short run to each of thousands of upright rows: ordinary
// stores would read every cache line from memory before writing it, and no prefetcher
// follows such a pattern. Where the run is whole 16-byte blocks, it is stored past the
// cache (SSE2 non-temporal stores), which costs about what the decoder's own sequential
// writes cost. Gives false where it stored nothing (another processor, or a run that is
// not aligned), leaving the run to ordinary stores.
bool StreamColumn(quint32 *Out, int Step, int Count, const uchar *const *Rows, int X) {
#if defined(__SSE2__)
  constexpr int PerBlock = 4;
  quint32 *Lowest = Step > 0 ? Out : Out - (Count - 1);
  if (Count % PerBlock != 0 || reinterpret_cast<quintptr>(Lowest) % 16 != 0)
    return false;
  // The pixel at Lowest + J comes from band row J (Step 1) or Count - 1 - J (Step -1).
  auto Pixel = [&](int J) {
    const int Row = Step > 0 ? J : Count - 1 - J;
    return int(reinterpret_cast<const quint32 *>(Rows[Row])[X]);
  };
  for (int J = 0; J < Count; J += PerBlock)
    _mm_stream_si128(reinterpret_cast<__m128i *>(Lowest + J),
                     _mm_set_epi32(Pixel(J + 3), Pixel(J + 2), Pixel(J + 1), Pixel(J)));
  return true;
#else
  (void)Out, (void)Step, (void)Count, (void)Rows, (void)X;
  return false;
#endif
}

// Orders the non-temporal stores before anything reads the picture.
void FinishStreaming() {
#if defined(__SSE2__)
  _mm_sfence();
#endif
}

template <class TPixel>
void PlaceRows(QImage &Upright, QSize Stored, int Orientation, int First, int Count,
               const uchar *const *Rows) {
  const int W = Stored.width(), H = Stored.height();
  if (!SwapsSides(Orientation)) {
    // Each stored row is one upright row, reversed or not.
    for (int I = 0; I < Count; ++I) {
      int U = 0, V = 0;
      UprightPlace(Orientation, W, H, 0, First + I, U, V);
      auto *Out = reinterpret_cast<TPixel *>(Upright.scanLine(V));
      const auto *In = reinterpret_cast<const TPixel *>(Rows[I]);
      if (U == 0)
        std::memcpy(Out, In, sizeof(TPixel) * size_t(W));
      else
        for (int X = 0; X < W; ++X)
          Out[W - 1 - X] = In[X];
    }
    return;
  }
  // Each stored column is one upright row: column X of the band goes to Count neighbouring
  // pixels of one upright row, in the order the orientation gives.
  for (int X = 0; X < W; ++X) {
    int U0 = 0, V = 0, U1 = 0, V1 = 0;
    UprightPlace(Orientation, W, H, X, First, U0, V);
    UprightPlace(Orientation, W, H, X, First + 1, U1, V1);
    const int Step = Count > 1 ? U1 - U0 : 1;
    auto *Out = reinterpret_cast<TPixel *>(Upright.scanLine(V)) + U0;
    if constexpr (sizeof(TPixel) == 4)
      if (StreamColumn(Out, Step, Count, Rows, X))
        continue;
    for (int I = 0; I < Count; ++I)
      Out[I * Step] = reinterpret_cast<const TPixel *>(Rows[I])[X];
  }
  FinishStreaming();
}

} // namespace

int ExifOrientation(const QByteArray &Exif) {
  if (Exif.isEmpty())
    return UprightOrientation;
  // libexif takes a block that starts with the "Exif" header; a bare TIFF header gets one.
  QByteArray Block = Exif;
  if (!Exif.startsWith(QByteArray(ExifHeader, ExifHeaderSize)))
    Block.prepend(ExifHeader, ExifHeaderSize);
  std::unique_ptr<ExifData, TExifDataDeleter> Data(exif_data_new());
  if (!Data)
    return UprightOrientation;
  // Only the first IFD's tag is wanted: nothing is to be repaired or kept beyond reading.
  exif_data_unset_option(Data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
  exif_data_load_data(Data.get(), reinterpret_cast<const unsigned char *>(Block.constData()),
                      static_cast<unsigned int>(Block.size()));
  ExifEntry *Entry = exif_content_get_entry(Data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
  if (!Entry || Entry->format != EXIF_FORMAT_SHORT || Entry->components < 1 || !Entry->data ||
      Entry->size < 2)
    return UprightOrientation;
  const int Value = exif_get_short(Entry->data, exif_data_get_byte_order(Data.get()));
  return Value >= 1 && Value <= 8 ? Value : UprightOrientation;
}

TUprightRows::TUprightRows(QImage &Upright, QSize Stored, int Orientation)
    : FUpright(Upright), FStored(Stored), FOrientation(Orientation) {}

void TUprightRows::Place(int First, int Count, const uchar *const *Rows) {
  if (FUpright.depth() == 32)
    PlaceRows<quint32>(FUpright, FStored, FOrientation, First, Count, Rows);
  else if (FUpright.depth() == 8)
    PlaceRows<uchar>(FUpright, FStored, FOrientation, First, Count, Rows);
}

void MakeUpright(QImage &Image, int Orientation) {
  if (Image.isNull() || Orientation < 2 || Orientation > 8)
    return;
  switch (Orientation) {
  case 2: Image.mirror(true, false); return;
  case 3: Image.mirror(true, true); return;
  case 4: Image.mirror(false, true); return;
  default: break;
  }
  QImage Upright(UprightSize(Image.size(), Orientation), Image.format());
  if (Upright.isNull())
    throw std::runtime_error("Out of memory");
  Upright.setColorTable(Image.colorTable());
  constexpr int BandRows = 32;
  const uchar *Rows[BandRows];
  TUprightRows Placer(Upright, Image.size(), Orientation);
  for (int First = 0; First < Image.height(); First += BandRows) {
    const int Count = std::min(BandRows, Image.height() - First);
    for (int I = 0; I < Count; ++I)
      Rows[I] = Image.constScanLine(First + I);
    Placer.Place(First, Count, Rows);
  }
  Image = std::move(Upright);
}
