#include "export/jpegwriter.h"
#include "picture/codecs/jpegguard.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <stdexcept>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// A growing malloc'd buffer as libjpeg's destination. Plain C memory: the callbacks run
// inside the guard, where nothing may throw, and a failed growth is reported through
// the library's own error path.
struct TMemoryDestination {
  jpeg_destination_mgr Pub;
  JOCTET *Buffer;
  size_t Capacity;
  size_t Used; // valid once the library has finished
};

constexpr size_t InitialCapacity = 64 * 1024;

void InitDestination(j_compress_ptr Info) {
  auto *Dest = reinterpret_cast<TMemoryDestination *>(Info->dest);
  if (!Dest->Buffer) {
    Dest->Buffer = static_cast<JOCTET *>(std::malloc(InitialCapacity));
    if (!Dest->Buffer)
      ERREXIT1(Info, JERR_OUT_OF_MEMORY, 0);
    Dest->Capacity = InitialCapacity;
  }
  Dest->Pub.next_output_byte = Dest->Buffer;
  Dest->Pub.free_in_buffer = Dest->Capacity;
}

// Called when the whole buffer is full, whatever free_in_buffer says.
boolean EmptyDestination(j_compress_ptr Info) {
  auto *Dest = reinterpret_cast<TMemoryDestination *>(Info->dest);
  const size_t NewCapacity = Dest->Capacity * 2;
  auto *Grown = static_cast<JOCTET *>(std::realloc(Dest->Buffer, NewCapacity));
  if (!Grown)
    ERREXIT1(Info, JERR_OUT_OF_MEMORY, 0);
  Dest->Buffer = Grown;
  Dest->Pub.next_output_byte = Grown + Dest->Capacity;
  Dest->Pub.free_in_buffer = NewCapacity - Dest->Capacity;
  Dest->Capacity = NewCapacity;
  return TRUE;
}

void TermDestination(j_compress_ptr Info) {
  auto *Dest = reinterpret_cast<TMemoryDestination *>(Info->dest);
  Dest->Used = Dest->Capacity - Dest->Pub.free_in_buffer;
}

// A compressor writing into memory, destroyed (with its buffer) with its owner.
class TCompressor {
public:
  TCompressor() {
    Info.err = JpegErrorManager(Errors);
    Destination.Pub.init_destination = InitDestination;
    Destination.Pub.empty_output_buffer = EmptyDestination;
    Destination.Pub.term_destination = TermDestination;
    // jpeg_create_compress reports only a version mismatch or no memory for its pools.
    // Destroying a half-created compressor is safe: it frees only what exists.
    if (!Guarded(Errors, [&] { jpeg_create_compress(&Info); })) {
      jpeg_destroy_compress(&Info);
      Fail();
    }
    Info.dest = &Destination.Pub;
  }
  ~TCompressor() {
    jpeg_destroy_compress(&Info);
    std::free(Destination.Buffer);
  }
  TCompressor(const TCompressor &) = delete;
  TCompressor &operator=(const TCompressor &) = delete;

  [[noreturn]] void Fail() const {
    if (Errors.Pub.msg_code == JERR_OUT_OF_MEMORY)
      throw std::bad_alloc();
    throw std::runtime_error(
        QString("JPEG error #%1").arg(Errors.Pub.msg_code).toStdString());
  }

  jpeg_compress_struct Info{};
  TJpegErrors Errors{};
  TMemoryDestination Destination{};
};

// The encoder input: rows of 3 bytes per pixel, blue, green, red, top row first.
QByteArray BgrRows(const QImage &Capture) {
  const QImage Source = Capture.format() == QImage::Format_RGB32 ||
                                Capture.format() == QImage::Format_ARGB32
                            ? Capture
                            : Capture.convertToFormat(QImage::Format_RGB32);
  const int W = Source.width();
  const int H = Source.height();
  QByteArray Rows(qsizetype(W) * H * 3, Qt::Uninitialized);
  auto *Out = reinterpret_cast<unsigned char *>(Rows.data());
  for (int Y = 0; Y < H; ++Y) {
    const auto *In = reinterpret_cast<const QRgb *>(Source.constScanLine(Y));
    for (int X = 0; X < W; ++X) {
      *Out++ = static_cast<unsigned char>(qBlue(In[X]));
      *Out++ = static_cast<unsigned char>(qGreen(In[X]));
      *Out++ = static_cast<unsigned char>(qRed(In[X]));
    }
  }
  return Rows;
}

} // namespace

QByteArray EncodeJpeg(const QImage &Capture, int Quality) {
  const QByteArray Rows = BgrRows(Capture);
  const auto *Pixels = reinterpret_cast<const unsigned char *>(Rows.constData());
  const size_t Stride = size_t(Capture.width()) * 3;

  TCompressor C;
  j_compress_ptr Info = &C.Info;
  const bool Ok = Guarded(C.Errors, [&] {
    Info->image_width = static_cast<JDIMENSION>(Capture.width());
    Info->image_height = static_cast<JDIMENSION>(Capture.height());
    Info->input_components = 3;
    Info->in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(Info);
    Info->dct_method = JDCT_FLOAT;
    jpeg_set_quality(Info, Quality, TRUE);
    // What jpeg_set_defaults already chose, stated so no library default can change it.
    Info->optimize_coding = FALSE;
    Info->smoothing_factor = 0;
    Info->restart_interval = 0;
    Info->restart_in_rows = 0;
    Info->write_JFIF_header = TRUE;
    Info->JFIF_major_version = 1;
    Info->JFIF_minor_version = 1;
    Info->density_unit = 0;
    Info->X_density = 1;
    Info->Y_density = 1;
    Info->write_Adobe_marker = FALSE;
    jpeg_start_compress(Info, TRUE);
    while (Info->next_scanline < Info->image_height) {
      JSAMPROW Row = const_cast<JSAMPROW>(Pixels + Stride * Info->next_scanline);
      jpeg_write_scanlines(Info, &Row, 1);
    }
    jpeg_finish_compress(Info);
  });
  if (!Ok)
    C.Fail();
  return QByteArray(reinterpret_cast<const char *>(C.Destination.Buffer),
                    static_cast<qsizetype>(C.Destination.Used));
}
