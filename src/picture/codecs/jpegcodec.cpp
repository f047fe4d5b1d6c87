#include "picture/codecs/jpegcodec.h"
#include "picture/codecs/jpegguard.h"
#include "picture/codecs/largeimage.h"
#include "picture/codecs/orientation.h"
#include "picture/codecs/rasterlimits.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// The progress monitor's state: set when it stopped a decode with too many scans.
struct TScanLimit {
  jpeg_progress_mgr Pub;
  bool TooManyScans;
};

// libjpeg calls the monitor inside jpeg_start_decompress and jpeg_read_scanlines, both run
// under a guard, so it may leave the way a fatal error does. Every scan of a progressive
// file is a pass over the whole coefficient buffer: a small file of thousands of tiny scans
// would keep the decoder busy for minutes.
void ProgressMonitor(j_common_ptr Info) {
  auto *Decompress = reinterpret_cast<j_decompress_ptr>(Info);
  if (Decompress->input_scan_number <= MaxJpegScans)
    return;
  reinterpret_cast<TScanLimit *>(Info->progress)->TooManyScans = true;
  Info->err->error_exit(Info);
}

// A decompressor reading from memory, destroyed with its owner.
class TDecompressor {
public:
  explicit TDecompressor(const QByteArray &Data) : Source(Data) {
    Info.err = JpegErrorManager(Errors);
    jpeg_create_decompress(&Info);
    // libjpeg's own buffers (the whole-picture coefficient arrays of a progressive file)
    // stay within the largest picture we would build; beyond that libjpeg fails with
    // JERR_NO_BACKING_STORE instead of allocating.
    Info.mem->max_memory_to_use = MaxRasterBytes();
    Progress.Pub.progress_monitor = ProgressMonitor;
    Info.progress = &Progress.Pub;
  }
  ~TDecompressor() { jpeg_destroy_decompress(&Info); }
  TDecompressor(const TDecompressor &) = delete;
  TDecompressor &operator=(const TDecompressor &) = delete;

  [[noreturn]] void Fail() const {
    if (Progress.TooManyScans)
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
  TJpegErrors Errors{};
  TScanLimit Progress{};
};

constexpr int ExifMarker = JPEG_APP0 + 1;
constexpr int IccMarker = JPEG_APP0 + 2;
constexpr unsigned MaxMarkerLength = 0xFFFF;
constexpr char ExifSignature[] = "Exif\0\0";
constexpr unsigned ExifSignatureLength = 6;
// Stored rows decoded before they are placed upright: the turning orientations then write
// runs of 32 pixels (128 bytes) to each upright row.
constexpr int UprightBandRows = 32;

// Reads the header, keeping the APP1 (EXIF) and APP2 (ICC) segments. The size is checked
// before anything of the picture's size is allocated.
void ReadHeader(TDecompressor &D) {
  // An empty source is already an error of jpeg_mem_src, so it runs under the guard too.
  const auto *Bytes = reinterpret_cast<const unsigned char *>(D.Source.constData());
  const auto Size = static_cast<unsigned long>(D.Source.size());
  if (!Guarded(D.Errors, [&] {
        jpeg_mem_src(&D.Info, Bytes, Size);
        jpeg_save_markers(&D.Info, ExifMarker, MaxMarkerLength);
        jpeg_save_markers(&D.Info, IccMarker, MaxMarkerLength);
        jpeg_read_header(&D.Info, TRUE);
      }))
    D.Fail();
  CheckRasterSize(D.Info.image_width, D.Info.image_height);
}

QByteArray ExifBlock(const jpeg_decompress_struct &Info) {
  for (jpeg_saved_marker_ptr M = Info.marker_list; M; M = M->next)
    if (M->marker == ExifMarker && M->data_length >= ExifSignatureLength &&
        std::memcmp(M->data, ExifSignature, ExifSignatureLength) == 0)
      return QByteArray(reinterpret_cast<const char *>(M->data), qsizetype(M->data_length));
  return QByteArray();
}

// libjpeg-turbo joins the chunks of a profile spread over several APP2 segments; a profile
// with chunks missing or repeated is none (it warns, and warnings are ignored).
QByteArray IccProfile(TDecompressor &D) {
  JOCTET *Profile = nullptr;
  unsigned int Length = 0;
  if (!Guarded(D.Errors, [&] { jpeg_read_icc_profile(&D.Info, &Profile, &Length); }))
    return QByteArray();
  QByteArray Bytes(reinterpret_cast<const char *>(Profile), qsizetype(Profile ? Length : 0));
  std::free(Profile);
  return Bytes;
}

TJpegHeader HeaderOf(TDecompressor &D) {
  TJpegHeader Header;
  Header.Orientation = ExifOrientation(ExifBlock(D.Info));
  const QSize Upright =
      UprightSize(QSize(int(D.Info.image_width), int(D.Info.image_height)), Header.Orientation);
  Header.Width = Upright.width();
  Header.Height = Upright.height();
  Header.Components = D.Info.num_components;
  Header.Grayscale = D.Info.jpeg_color_space == JCS_GRAYSCALE;
  Header.Progressive = jpeg_has_multiple_scans(&D.Info);
  Header.IccProfile = IccProfile(D);
  return Header;
}

// The ink formula for CMYK without a profile, in place: Adobe's inverted CMYK holds
// 255 - ink, the light that is left; plain CMYK holds the ink.
void CmykRowToRgb(uchar *Row, int Width, bool Inverted) {
  auto *Out = reinterpret_cast<QRgb *>(Row);
  for (int X = 0; X < Width; ++X) {
    int C = Row[4 * X], M = Row[4 * X + 1], Yl = Row[4 * X + 2], K = Row[4 * X + 3];
    if (!Inverted) {
      C = 255 - C, M = 255 - M, Yl = 255 - Yl, K = 255 - K;
    }
    Out[X] = qRgb(C * K / 255, M * K / 255, Yl * K / 255);
  }
}

// How the decoded rows reach the picture.
struct TRowPlan {
  bool InPlace;   // decoded straight into the picture's rows (upright, nothing to convert)
  bool InkFormula; // CMYK rows converted to RGB by the formula
  bool Inverted;
  int Orientation;
};

// Reads every scanline under the guard. Holds no object with a destructor: Band and its row
// pointers belong to the caller.
bool ReadRows(TDecompressor &D, QImage &Image, const TRowPlan &Plan, uchar *Band,
              qsizetype BandStride) {
  j_decompress_ptr Info = &D.Info;
  const int W = int(Info->output_width);
  const QSize Stored(W, int(Info->output_height));
  TUprightRows Placer(Image, Stored, Plan.Orientation);
  return Guarded(D.Errors, [&] {
    JSAMPROW Rows[UprightBandRows];
    while (Info->output_scanline < Info->output_height) {
      const int First = int(Info->output_scanline);
      if (Plan.InPlace) {
        Rows[0] = Image.scanLine(First);
        jpeg_read_scanlines(Info, Rows, 1);
        continue;
      }
      const int Count = std::min<int>(UprightBandRows, int(Info->output_height) - First);
      for (int I = 0; I < Count; ++I)
        Rows[I] = Band + I * BandStride;
      for (int Read = 0; Read < Count;) {
        const int Got = int(jpeg_read_scanlines(Info, Rows + Read, JDIMENSION(Count - Read)));
        // A source in memory never suspends; should a row still not come, stop as libjpeg
        // stops a file that ends too early.
        if (Got <= 0)
          ERREXIT(Info, JERR_TOO_LITTLE_DATA);
        Read += Got;
      }
      if (Plan.InkFormula)
        for (int I = 0; I < Count; ++I)
          CmykRowToRgb(Rows[I], W, Plan.Inverted);
      Placer.Place(First, Count, Rows);
    }
    jpeg_finish_decompress(Info);
  });
}

void SetGreyTable(QImage &Image, const jpeg_decompress_struct &Info) {
  QList<QRgb> Table(Info.actual_number_of_colors);
  for (int I = 0; I < Info.actual_number_of_colors; ++I) {
    const int V = Info.colormap[0][I];
    Table[I] = qRgb(V, V, V);
  }
  Image.setColorTable(Table);
}

} // namespace

TJpegHeader ReadJpegHeader(const QByteArray &Data) {
  TDecompressor D(Data);
  ReadHeader(D);
  return HeaderOf(D);
}

TJpegPixels DecodeJpegPixels(const QByteArray &Data) {
  TDecompressor D(Data);
  ReadHeader(D);
  const TJpegHeader Header = HeaderOf(D);
  j_decompress_ptr Info = &D.Info;

  const bool Gray = Info->jpeg_color_space == JCS_GRAYSCALE;
  const bool Cmyk = Info->jpeg_color_space == JCS_CMYK || Info->jpeg_color_space == JCS_YCCK;
  const bool Inverted = Info->saw_Adobe_marker;
  TJpegPixels Result;
  if (!Gray)
    Result.Colour = TColourTransform::For(
        Header.IccProfile, !Cmyk ? TPixelLayout::Rgb32
                                 : Inverted ? TPixelLayout::InvertedCmyk : TPixelLayout::Cmyk);
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
  // Decoded into the picture's own buffer, which nothing touches before: every pixel is
  // written once, by the decoder or from its band. A truncated file still gives every row
  // (libjpeg decodes the missing part as mid-grey); a fatal error throws the image away.
  QImage Image = NewLargeImage(UprightSize(QSize(W, H), Header.Orientation),
                               Gray ? QImage::Format_Indexed8 : QImage::Format_RGB32);
  if (Image.isNull())
    throw std::runtime_error("Out of memory");
  if (Gray)
    SetGreyTable(Image, *Info);

  TRowPlan Plan;
  Plan.InkFormula = Cmyk && !Result.Colour;
  Plan.Inverted = Inverted;
  Plan.Orientation = Header.Orientation;
  Plan.InPlace = Header.Orientation == UprightOrientation && !Plan.InkFormula;
  const qsizetype BandStride = qsizetype(W) * (Gray ? 1 : 4);
  QByteArray Band(Plan.InPlace ? 0 : BandStride * UprightBandRows, Qt::Uninitialized);
  if (!ReadRows(D, Image, Plan, reinterpret_cast<uchar *>(Band.data()), BandStride))
    D.Fail();
  if (Gray)
    ConvertToSRGB(Image, Header.IccProfile);
  Result.Image = std::move(Image);
  return Result;
}

QImage DecodeJpeg(const QByteArray &Data) {
  TJpegPixels Pixels = DecodeJpegPixels(Data);
  if (Pixels.Colour)
    Pixels.Colour->ConvertImage(Pixels.Image);
  return std::move(Pixels.Image);
}
