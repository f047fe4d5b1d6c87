#include "picture/codecs/heifcodec.h"
#include "picture/codecs/cicpprofile.h"
#include "picture/codecs/colourprofile.h"
#include "picture/codecs/rasterlimits.h"
#include "picture/codecs/rgbapixels.h"

#include <memory>
#include <stdexcept>

#include <libheif/heif.h>

namespace {

struct THeifFree {
  void operator()(heif_context *Context) const { heif_context_free(Context); }
  void operator()(heif_image_handle *Handle) const { heif_image_handle_release(Handle); }
  void operator()(heif_image *Image) const { heif_image_release(Image); }
  void operator()(heif_decoding_options *Options) const { heif_decoding_options_free(Options); }
  void operator()(heif_color_profile_nclx *Nclx) const { heif_nclx_color_profile_free(Nclx); }
};
template <class T> using THeif = std::unique_ptr<T, THeifFree>;

// Passes libheif's failures on as the kind's message; a failed allocation, or a refusal
// by libheif's limits on memory, as what it is.
void Check(const heif_error &Error, const char *InvalidMessage) {
  if (Error.code == heif_error_Ok)
    return;
  if (Error.code == heif_error_Memory_allocation_error &&
      Error.subcode != heif_suberror_Security_limit_exceeded)
    throw std::runtime_error("Out of memory");
  throw std::runtime_error(InvalidMessage);
}

void ReleaseImage(void *Image) { heif_image_release(static_cast<heif_image *>(Image)); }

// The colour the decoded RGB values are in, as an ICC profile: the file's own, or one built
// from its nclx numbers; empty for sRGB and for what cannot be described (see cicpprofile.h).
QByteArray ColourProfile(const heif_image_handle *Handle) {
  switch (heif_image_handle_get_color_profile_type(Handle)) {
  case heif_color_profile_type_prof:
  case heif_color_profile_type_rICC: {
    QByteArray Profile(qsizetype(heif_image_handle_get_raw_color_profile_size(Handle)),
                       Qt::Uninitialized);
    if (Profile.isEmpty() ||
        heif_image_handle_get_raw_color_profile(Handle, Profile.data()).code != heif_error_Ok)
      return QByteArray();
    return Profile;
  }
  case heif_color_profile_type_nclx: {
    heif_color_profile_nclx *Nclx = nullptr;
    const heif_error Error = heif_image_handle_get_nclx_color_profile(Handle, &Nclx);
    // libheif may hand out the profile with an error (code points it does not know): it is
    // ours to free either way.
    THeif<heif_color_profile_nclx> Owned(Nclx);
    if (Error.code != heif_error_Ok || !Nclx)
      return QByteArray();
    return IccProfileForCicp(Nclx->color_primaries, Nclx->transfer_characteristics);
  }
  default:
    return QByteArray();
  }
}

} // namespace

QImage DecodeHeif(const QByteArray &Data, const char *InvalidMessage) {
  THeif<heif_context> Context(heif_context_alloc());
  if (!Context)
    throw std::runtime_error("Out of memory");
  Check(heif_context_read_from_memory_without_copy(Context.get(), Data.constData(),
                                                   size_t(Data.size()), nullptr),
        InvalidMessage);
  heif_image_handle *RawHandle = nullptr;
  Check(heif_context_get_primary_image_handle(Context.get(), &RawHandle), InvalidMessage);
  THeif<heif_image_handle> Handle(RawHandle);

  // The coded size (ispe) is what libheif allocates; the shown size is after cropping and
  // turning.
  const int Width = heif_image_handle_get_width(Handle.get());
  const int Height = heif_image_handle_get_height(Handle.get());
  if (Width <= 0 || Height <= 0)
    throw std::runtime_error(InvalidMessage);
  CheckRasterSize(Width, Height);
  CheckRasterSize(heif_image_handle_get_ispe_width(Handle.get()),
                  heif_image_handle_get_ispe_height(Handle.get()));

  const bool HasAlpha = heif_image_handle_has_alpha_channel(Handle.get()) != 0;
  THeif<heif_decoding_options> Options(heif_decoding_options_alloc());
  if (!Options)
    throw std::runtime_error("Out of memory");
  Options->convert_hdr_to_8bit = 1;
  heif_image *RawImage = nullptr;
  Check(heif_decode_image(Handle.get(), &RawImage, heif_colorspace_RGB,
                          heif_chroma_interleaved_RGBA, Options.get()),
        InvalidMessage);
  THeif<heif_image> Decoded(RawImage);
  int Stride = 0;
  uchar *Pixels = heif_image_get_plane(Decoded.get(), heif_channel_interleaved, &Stride);
  const int DecodedWidth = heif_image_get_width(Decoded.get(), heif_channel_interleaved);
  const int DecodedHeight = heif_image_get_height(Decoded.get(), heif_channel_interleaved);
  if (!Pixels || DecodedWidth <= 0 || DecodedHeight <= 0 || Stride < DecodedWidth * 4)
    throw std::runtime_error(InvalidMessage);
  MakeArgb32(Pixels, Stride, DecodedWidth, DecodedHeight, HasAlpha,
             heif_image_handle_is_premultiplied_alpha(Handle.get()) != 0);

  // The pixels stay where libheif decoded them: a copy would double the memory a
  // 12-megapixel photograph needs while it is opened.
  QImage Image(Pixels, DecodedWidth, DecodedHeight, Stride,
               HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32, ReleaseImage,
               Decoded.get());
  if (Image.isNull())
    throw std::runtime_error("Out of memory");
  Decoded.release();
  ConvertToSRGB(Image, ColourProfile(Handle.get()));
  return Image;
}
