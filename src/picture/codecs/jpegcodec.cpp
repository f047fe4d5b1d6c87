#include "picture/codecs/jpegcodec.h"
#include "picture/codecs/largeimage.h"
#include "picture/codecs/rasterlimits.h"

#include <csetjmp>
#include <cstdio>
#include <stdexcept>

#include <jpeglib.h>
#include <jerror.h>

namespace {

struct TErrorManager {
  jpeg_error_mgr Pub;
  std::jmp_buf Jump;
  // Set by the progress monitor when it stopped a decode with too many scans.
  bool TooManyScans;
};

[[noreturn]] void ErrorExit(j_common_ptr Info) {
  auto *Manager = reinterpret_cast<TErrorManager *>(Info->err);
  std::longjmp(Manager->Jump, 1);
}

void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}

// libjpeg calls the monitor inside jpeg_start_decompress and jpeg_read_scanlines, both run
// under a guard, so it may leave the same way error_exit does. Every scan of a progressive
// file is a pass over the whole coefficient buffer: a small file of thousands of tiny scans
// would keep the decoder busy for minutes.
void ProgressMonitor(j_common_ptr Info) {
  auto *Decompress = reinterpret_cast<j_decompress_ptr>(Info);
  if (Decompress->input_scan_number <= MaxJpegScans)
    return;
  auto *Manager = reinterpret_cast<TErrorManager *>(Info->err);
  Manager->TooManyScans = true;
  std::longjmp(Manager->Jump, 1);
}

// Runs Step with libjpeg's fatal errors turned into a false result. Step must hold no
// object with a destructor: a longjmp out of it skips its frame.
template <class F> bool Guarded(TErrorManager &Manager, F &&Step) {
  if (setjmp(Manager.Jump))
    return false;
  Step();
  return true;
}

// A decompressor reading from memory, destroyed with its owner.
class TDecompressor {
public:
  explicit TDecompressor(const QByteArray &Data) : Source(Data) {
    Info.err = jpeg_std_error(&Errors.Pub);
    Errors.Pub.error_exit = ErrorExit;
    Errors.Pub.emit_message = EmitMessage;
    Errors.Pub.output_message = OutputMessage;
    jpeg_create_decompress(&Info);
    // libjpeg's own buffers (the whole-picture coefficient arrays of a progressive file)
    // stay within the largest picture we would build; beyond that libjpeg fails with
    // JERR_NO_BACKING_STORE instead of allocating.
    Info.mem->max_memory_to_use = MaxRasterBytes();
    Progress.progress_monitor = ProgressMonitor;
    Info.progress = &Progress;
  }
  ~TDecompressor() { jpeg_destroy_decompress(&Info); }
  TDecompressor(const TDecompressor &) = delete;
  TDecompressor &operator=(const TDecompressor &) = delete;

  [[noreturn]] void Fail() const {
    if (Errors.TooManyScans)
      throw std::runtime_error(QString("JPEG picture has too many scans (more than %1)")
                                   .arg(MaxJpegScans)
                                   .toStdString());
    // libjpeg's own size limit (65500) is met before ours: the same message as ours.
    if (Errors.Pub.msg_code == JERR_IMAGE_TOO_BIG)
      RefuseRasterSize(Info.image_width, Info.image_height);
    throw std::runtime_error(
        QString("JPEG error #%1").arg(Errors.Pub.msg_code).toStdString());
  }

  const QByteArray &Source;
  jpeg_decompress_struct Info{};
  TErrorManager Errors{};
  jpeg_progress_mgr Progress{};
};

void ReadHeader(TDecompressor &D) {
  // An empty source is already an error of jpeg_mem_src, so it runs under the guard too.
  const auto *Bytes = reinterpret_cast<const unsigned char *>(D.Source.constData());
  const auto Size = static_cast<unsigned long>(D.Source.size());
  if (!Guarded(D.Errors, [&] {
        jpeg_mem_src(&D.Info, Bytes, Size);
        jpeg_read_header(&D.Info, TRUE);
      }))
    D.Fail();
  // Refused before anything of the picture's size is allocated.
  CheckRasterSize(D.Info.image_width, D.Info.image_height);
}

} // namespace

TJpegHeader ReadJpegHeader(const QByteArray &Data) {
  TDecompressor D(Data);
  ReadHeader(D);
  TJpegHeader Header;
  Header.Width = static_cast<int>(D.Info.image_width);
  Header.Height = static_cast<int>(D.Info.image_height);
  Header.Components = D.Info.num_components;
  Header.Grayscale = D.Info.jpeg_color_space == JCS_GRAYSCALE;
  Header.Progressive = jpeg_has_multiple_scans(&D.Info);
  return Header;
}

QImage DecodeJpeg(const QByteArray &Data) {
  TDecompressor D(Data);
  ReadHeader(D);
  j_decompress_ptr Info = &D.Info;

  const bool Gray = Info->jpeg_color_space == JCS_GRAYSCALE;
  const bool Cmyk = Info->jpeg_color_space == JCS_CMYK || Info->jpeg_color_space == JCS_YCCK;
  if (Gray) {
    Info->out_color_space = JCS_GRAYSCALE;
    Info->quantize_colors = TRUE;
    Info->desired_number_of_colors = 236;
  } else if (Cmyk) {
    Info->out_color_space = JCS_CMYK;
  } else {
    // libjpeg-turbo writes B, G, R, X: Format_RGB32's byte order on little-endian machines.
    Info->out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
  }
  if (!Guarded(D.Errors, [&] { jpeg_start_decompress(Info); }))
    D.Fail();

  const int W = static_cast<int>(Info->output_width);
  const int H = static_cast<int>(Info->output_height);
  // Decoded straight into the picture's own buffer, which nothing touches before: every
  // row is written once, by the decoder. A truncated file still gives every row (libjpeg
  // decodes the missing part as mid-grey); a fatal error throws the image away.
  QImage Image = NewLargeImage(QSize(W, H), Gray ? QImage::Format_Indexed8 : QImage::Format_RGB32);
  if (Image.isNull())
    throw std::runtime_error("Out of memory");
  if (Gray) {
    QList<QRgb> Table(Info->actual_number_of_colors);
    for (int I = 0; I < Info->actual_number_of_colors; ++I) {
      const int V = Info->colormap[0][I];
      Table[I] = qRgb(V, V, V);
    }
    Image.setColorTable(Table);
  }
  // CMYK rows need a scratch row; colour and grey rows decode in place.
  QByteArray Scratch(Cmyk ? qsizetype(W) * 4 : 0, Qt::Uninitialized);
  unsigned char *ScratchRow = reinterpret_cast<unsigned char *>(Scratch.data());
  const bool Inverted = Info->saw_Adobe_marker;

  const bool Ok = Guarded(D.Errors, [&] {
    while (Info->output_scanline < Info->output_height) {
      const int Y = static_cast<int>(Info->output_scanline);
      JSAMPROW Row = Cmyk ? ScratchRow : Image.scanLine(Y);
      jpeg_read_scanlines(Info, &Row, 1);
      if (Cmyk) {
        auto *Out = reinterpret_cast<QRgb *>(Image.scanLine(Y));
        for (int X = 0; X < W; ++X) {
          int C = ScratchRow[4 * X], M = ScratchRow[4 * X + 1], Yl = ScratchRow[4 * X + 2],
              K = ScratchRow[4 * X + 3];
          if (!Inverted) {
            C = 255 - C, M = 255 - M, Yl = 255 - Yl, K = 255 - K;
          }
          // Inverted (Adobe) CMYK holds 255 - ink: the light that is left.
          Out[X] = qRgb(C * K / 255, M * K / 255, Yl * K / 255);
        }
      }
    }
    jpeg_finish_decompress(Info);
  });
  if (!Ok)
    D.Fail();
  return Image;
}
