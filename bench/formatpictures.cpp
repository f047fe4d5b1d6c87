#include "formatpictures.h"

#include <QFile>

#include <cstdio>
#include <cstring>

#include <libheif/heif.h>
#include <webp/encode.h>

namespace {

constexpr int Quality = 80;

bool Report(const QString &FileName, bool Written) {
  if (!Written) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(FileName));
    return false;
  }
  std::printf("%s: %lld bytes\n", qPrintable(FileName),
              static_cast<long long>(QFile(FileName).size()));
  return true;
}

// The picture as libheif's interleaved 8-bit RGB.
heif_image *HeifImageOf(const QImage &Image) {
  heif_image *Result = nullptr;
  if (heif_image_create(Image.width(), Image.height(), heif_colorspace_RGB,
                        heif_chroma_interleaved_RGB, &Result)
              .code != heif_error_Ok ||
      heif_image_add_plane(Result, heif_channel_interleaved, Image.width(), Image.height(), 8)
              .code != heif_error_Ok)
    return Result;
  int Stride = 0;
  uint8_t *Plane = heif_image_get_plane(Result, heif_channel_interleaved, &Stride);
  for (int Y = 0; Y < Image.height(); ++Y) {
    const auto *In = reinterpret_cast<const QRgb *>(Image.constScanLine(Y));
    uint8_t *Out = Plane + qsizetype(Y) * Stride;
    for (int X = 0; X < Image.width(); ++X, Out += 3) {
      Out[0] = uint8_t(qRed(In[X]));
      Out[1] = uint8_t(qGreen(In[X]));
      Out[2] = uint8_t(qBlue(In[X]));
    }
  }
  return Result;
}

// The fastest settings of each encoder: the files are made before every run, and what is
// measured is their decoding, which the encoder's effort hardly changes.
void SetFastest(heif_encoder *Encoder, heif_compression_format Format) {
  if (Format == heif_compression_HEVC)
    heif_encoder_set_parameter_string(Encoder, "preset", "ultrafast");
  else
    heif_encoder_set_parameter_string(Encoder, "speed", "9");
  heif_encoder_set_parameter_string(Encoder, "chroma", "420");
}

bool WriteHeif(const QImage &Image, const QString &FileName, heif_compression_format Format) {
  heif_context *Context = heif_context_alloc();
  heif_encoder *Encoder = nullptr;
  heif_image *Picture = HeifImageOf(Image);
  bool Written = false;
  if (Picture &&
      heif_context_get_encoder_for_format(Context, Format, &Encoder).code == heif_error_Ok) {
    heif_encoder_set_lossy_quality(Encoder, Quality);
    SetFastest(Encoder, Format);
    Written = heif_context_encode_image(Context, Picture, Encoder, nullptr, nullptr).code ==
                  heif_error_Ok &&
              heif_context_write_to_file(Context, QFile::encodeName(FileName).constData()).code ==
                  heif_error_Ok;
  }
  heif_encoder_release(Encoder);
  heif_image_release(Picture);
  heif_context_free(Context);
  return Written;
}

bool WriteWebp(const QImage &Image, const QString &FileName) {
  const QImage Rgb = Image.convertToFormat(QImage::Format_RGB888);
  uint8_t *Output = nullptr;
  const size_t Size = WebPEncodeRGB(Rgb.constBits(), Rgb.width(), Rgb.height(),
                                    int(Rgb.bytesPerLine()), float(Quality), &Output);
  QFile File(FileName);
  const bool Written =
      Size > 0 && File.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
      File.write(reinterpret_cast<const char *>(Output), qint64(Size)) == qint64(Size);
  WebPFree(Output);
  return Written;
}

} // namespace

bool WriteFormatPictures(const QImage &Image, const QString &Dir, const QString &Name) {
  const QString Base = Dir + u'/' + Name;
  return Report(Base + ".heic", WriteHeif(Image, Base + ".heic", heif_compression_HEVC)) &&
         Report(Base + ".avif", WriteHeif(Image, Base + ".avif", heif_compression_AV1)) &&
         Report(Base + ".webp", WriteWebp(Image, Base + ".webp"));
}
