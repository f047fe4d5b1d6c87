#include "picture/codecs/webpcodec.h"
#include "picture/codecs/colourprofile.h"
#include "picture/codecs/largeimage.h"
#include "picture/codecs/orientation.h"
#include "picture/codecs/rasterlimits.h"

#include <cstring>
#include <memory>
#include <stdexcept>

#include <webp/decode.h>
#include <webp/demux.h>

namespace {

// Bytes in memory as Format_ARGB32 holds them: B, G, R, A on a little-endian machine.
constexpr WEBP_CSP_MODE ArgbMode = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? MODE_BGRA : MODE_ARGB;

[[noreturn]] void Invalid() { throw std::runtime_error(WebpInvalidMessage); }

struct TDemuxFree {
  void operator()(WebPDemuxer *Demux) const { WebPDemuxDelete(Demux); }
};
struct TAnimFree {
  void operator()(WebPAnimDecoder *Decoder) const { WebPAnimDecoderDelete(Decoder); }
};
using TDemux = std::unique_ptr<WebPDemuxer, TDemuxFree>;

QByteArray Chunk(WebPDemuxer *Demux, const char *FourCC) {
  WebPChunkIterator Iterator;
  if (!WebPDemuxGetChunk(Demux, FourCC, 1, &Iterator))
    return QByteArray();
  QByteArray Bytes(reinterpret_cast<const char *>(Iterator.chunk.bytes),
                   qsizetype(Iterator.chunk.size));
  WebPDemuxReleaseChunkIterator(&Iterator);
  return Bytes;
}

QImage NewPixels(int Width, int Height, QImage::Format Format) {
  QImage Image = NewLargeImage(QSize(Width, Height), Format);
  if (Image.isNull())
    throw std::runtime_error("Out of memory");
  return Image;
}

// A still picture, decoded by libwebp straight into the pixels of the result.
QImage DecodeStill(const WebPData &Data, const WebPBitstreamFeatures &Features) {
  WebPDecoderConfig Config;
  if (!WebPInitDecoderConfig(&Config))
    throw std::runtime_error("Out of memory");
  QImage Image = NewPixels(Features.width, Features.height,
                           Features.has_alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  // Opaque pictures come with alpha 255, as Format_RGB32 wants it.
  Config.output.colorspace = ArgbMode;
  Config.output.is_external_memory = 1;
  Config.output.u.RGBA.rgba = Image.bits();
  Config.output.u.RGBA.stride = int(Image.bytesPerLine());
  Config.output.u.RGBA.size = size_t(Image.sizeInBytes());
  const VP8StatusCode Status = WebPDecode(Data.bytes, Data.size, &Config);
  WebPFreeDecBuffer(&Config.output);
  if (Status == VP8_STATUS_OUT_OF_MEMORY)
    throw std::runtime_error("Out of memory");
  if (Status != VP8_STATUS_OK)
    Invalid();
  return Image;
}

bool AllOpaque(const QImage &Image) {
  for (int Y = 0; Y < Image.height(); ++Y) {
    const auto *Row = reinterpret_cast<const QRgb *>(Image.constScanLine(Y));
    for (int X = 0; X < Image.width(); ++X)
      if (qAlpha(Row[X]) != 255)
        return false;
  }
  return true;
}

// An animation's first frame as the animation decoder composes it on the canvas: what the
// frame does not cover is transparent.
QImage DecodeFirstFrame(const WebPData &Data) {
  WebPAnimDecoderOptions Options;
  if (!WebPAnimDecoderOptionsInit(&Options))
    throw std::runtime_error("Out of memory");
  Options.color_mode = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? MODE_BGRA : MODE_RGBA;
  Options.use_threads = 0;
  std::unique_ptr<WebPAnimDecoder, TAnimFree> Decoder(WebPAnimDecoderNew(&Data, &Options));
  WebPAnimInfo Info;
  if (!Decoder || !WebPAnimDecoderGetInfo(Decoder.get(), &Info) || Info.frame_count < 1)
    Invalid();
  uint8_t *Canvas = nullptr;
  int Timestamp = 0;
  if (!WebPAnimDecoderGetNext(Decoder.get(), &Canvas, &Timestamp) || !Canvas)
    Invalid();
  const int Width = int(Info.canvas_width), Height = int(Info.canvas_height);
  QImage Image = NewPixels(Width, Height, QImage::Format_ARGB32);
  for (int Y = 0; Y < Height; ++Y) {
    const uint8_t *Row = Canvas + size_t(Y) * size_t(Width) * 4;
    if (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
      std::memcpy(Image.scanLine(Y), Row, size_t(Width) * 4);
      continue;
    }
    auto *Out = reinterpret_cast<QRgb *>(Image.scanLine(Y));
    for (int X = 0; X < Width; ++X, Row += 4)
      Out[X] = qRgba(Row[0], Row[1], Row[2], Row[3]);
  }
  if (AllOpaque(Image))
    Image.reinterpretAsFormat(QImage::Format_RGB32);
  return Image;
}

} // namespace

QImage DecodeWebp(const QByteArray &Data) {
  const WebPData Bytes{reinterpret_cast<const uint8_t *>(Data.constData()), size_t(Data.size())};
  WebPBitstreamFeatures Features;
  if (WebPGetFeatures(Bytes.bytes, Bytes.size, &Features) != VP8_STATUS_OK)
    Invalid();
  // For an animation these are the canvas's width and height.
  CheckRasterSize(Features.width, Features.height);

  TDemux Demux(WebPDemux(&Bytes));
  QByteArray Exif, IccProfile;
  if (Demux) {
    Exif = Chunk(Demux.get(), "EXIF");
    IccProfile = Chunk(Demux.get(), "ICCP");
  }
  Demux.reset();
  QImage Image = Features.has_animation ? DecodeFirstFrame(Bytes) : DecodeStill(Bytes, Features);
  ConvertToSRGB(Image, IccProfile);
  MakeUpright(Image, ExifOrientation(Exif));
  return Image;
}
