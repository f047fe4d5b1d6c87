#include "picture/codecs/jxlcodec.h"
#include "picture/codecs/colourprofile.h"
#include "picture/codecs/largeimage.h"
#include "picture/codecs/rasterlimits.h"
#include "picture/codecs/rgbapixels.h"

#include <memory>
#include <stdexcept>

#include <jxl/decode.h>
#include <jxl/thread_parallel_runner.h>

namespace {

[[noreturn]] void Invalid() { throw std::runtime_error(JxlInvalidMessage); }

struct TJxlFree {
  void operator()(JxlDecoder *Decoder) const { JxlDecoderDestroy(Decoder); }
};
struct TRunnerFree {
  void operator()(void *Runner) const { JxlThreadParallelRunnerDestroy(Runner); }
};

// 8-bit R, G, B, A in memory, in the order the bytes lie.
constexpr JxlPixelFormat RgbaFormat{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};

JxlColorEncoding Srgb(bool Grey) {
  JxlColorEncoding Encoding{};
  Encoding.color_space = Grey ? JXL_COLOR_SPACE_GRAY : JXL_COLOR_SPACE_RGB;
  Encoding.white_point = JXL_WHITE_POINT_D65;
  Encoding.primaries = JXL_PRIMARIES_SRGB;
  Encoding.transfer_function = JXL_TRANSFER_FUNCTION_SRGB;
  Encoding.rendering_intent = JXL_RENDERING_INTENT_RELATIVE;
  return Encoding;
}

// The decoder with the state of one picture being read.
struct TJxlRead {
  std::unique_ptr<JxlDecoder, TJxlFree> Decoder;
  std::unique_ptr<void, TRunnerFree> Runner;
  JxlBasicInfo Info{};
  // The profile of the decoded pixels when they are not sRGB; empty when they are.
  QByteArray PixelProfile;
  QImage Image;
};

// At the colour event: XYB pictures are asked for in sRGB; the profile of what comes is
// kept unless it is sRGB.
void TakeColour(TJxlRead &Read) {
  JxlDecoder *Decoder = Read.Decoder.get();
  const bool Grey = Read.Info.num_color_channels == 1;
  if (!Read.Info.uses_original_profile) {
    const JxlColorEncoding Wanted = Srgb(Grey);
    JxlDecoderSetPreferredColorProfile(Decoder, &Wanted);
  }
  JxlColorEncoding Encoding{};
  if (JxlDecoderGetColorAsEncodedProfile(Decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                         &Encoding) == JXL_DEC_SUCCESS) {
    const JxlColorEncoding Standard = Srgb(Grey);
    if (Encoding.color_space == Standard.color_space &&
        Encoding.white_point == Standard.white_point &&
        (Grey || Encoding.primaries == Standard.primaries) &&
        Encoding.transfer_function == Standard.transfer_function)
      return;
  }
  size_t Size = 0;
  if (JxlDecoderGetICCProfileSize(Decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &Size) !=
          JXL_DEC_SUCCESS ||
      Size == 0)
    return;
  QByteArray Profile(qsizetype(Size), Qt::Uninitialized);
  if (JxlDecoderGetColorAsICCProfile(Decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                     reinterpret_cast<uint8_t *>(Profile.data()),
                                     Size) == JXL_DEC_SUCCESS)
    Read.PixelProfile = Profile;
}

// The upright picture's pixels, handed to libjxl to fill.
void GiveBuffer(TJxlRead &Read) {
  const bool Transposed = Read.Info.orientation >= JXL_ORIENT_TRANSPOSE;
  const int Width = int(Transposed ? Read.Info.ysize : Read.Info.xsize);
  const int Height = int(Transposed ? Read.Info.xsize : Read.Info.ysize);
  size_t Needed = 0;
  if (JxlDecoderImageOutBufferSize(Read.Decoder.get(), &RgbaFormat, &Needed) != JXL_DEC_SUCCESS)
    Invalid();
  Read.Image = NewLargeImage(QSize(Width, Height), Read.Info.alpha_bits > 0 ? QImage::Format_ARGB32
                                                                            : QImage::Format_RGB32);
  if (Read.Image.isNull())
    throw std::runtime_error("Out of memory");
  if (Needed != size_t(Read.Image.sizeInBytes()) ||
      Read.Image.bytesPerLine() != qsizetype(Width) * 4)
    Invalid();
  if (JxlDecoderSetImageOutBuffer(Read.Decoder.get(), &RgbaFormat, Read.Image.bits(), Needed) !=
      JXL_DEC_SUCCESS)
    Invalid();
}

// Runs the decoder until the first frame is whole.
void DecodeFirstFrame(TJxlRead &Read) {
  JxlDecoder *Decoder = Read.Decoder.get();
  for (;;) {
    switch (JxlDecoderProcessInput(Decoder)) {
    case JXL_DEC_BASIC_INFO:
      if (JxlDecoderGetBasicInfo(Decoder, &Read.Info) != JXL_DEC_SUCCESS)
        Invalid();
      CheckRasterSize(Read.Info.xsize, Read.Info.ysize);
      break;
    case JXL_DEC_COLOR_ENCODING:
      TakeColour(Read);
      break;
    case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
      GiveBuffer(Read);
      break;
    case JXL_DEC_FULL_IMAGE:
      return;
    default: // an error, a file cut short, or the end without a frame
      Invalid();
    }
  }
}

} // namespace

QImage DecodeJxl(const QByteArray &Data) {
  TJxlRead Read;
  Read.Decoder.reset(JxlDecoderCreate(nullptr));
  Read.Runner.reset(
      JxlThreadParallelRunnerCreate(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads()));
  if (!Read.Decoder || !Read.Runner)
    throw std::runtime_error("Out of memory");
  JxlDecoder *Decoder = Read.Decoder.get();
  if (JxlDecoderSubscribeEvents(Decoder, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING |
                                             JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS ||
      JxlDecoderSetParallelRunner(Decoder, JxlThreadParallelRunner, Read.Runner.get()) !=
          JXL_DEC_SUCCESS ||
      JxlDecoderSetUnpremultiplyAlpha(Decoder, JXL_TRUE) != JXL_DEC_SUCCESS ||
      JxlDecoderSetInput(Decoder, reinterpret_cast<const uint8_t *>(Data.constData()),
                         size_t(Data.size())) != JXL_DEC_SUCCESS)
    Invalid();
  JxlDecoderCloseInput(Decoder);
  DecodeFirstFrame(Read);
  // Unpremultiplied by libjxl already.
  MakeArgb32(Read.Image.bits(), Read.Image.bytesPerLine(), Read.Image.width(), Read.Image.height(),
             Read.Info.alpha_bits > 0, false);
  ConvertToSRGB(Read.Image, Read.PixelProfile);
  return std::move(Read.Image);
}
