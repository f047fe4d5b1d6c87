#include "picture/codecs/heifcodec.h"
#include "picture/codecs/cicpprofile.h"
#include "picture/codecs/heifdecoders.h"
#include "picture/codecs/colourprofile.h"
#include "picture/codecs/largeimage.h"
#include "picture/codecs/rasterlimits.h"
#include "picture/codecs/rgbapixels.h"

#include <QRgb>

#include <memory>
#include <stdexcept>

#include <libheif/heif.h>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

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

heif_image *DecodeImage(heif_image_handle *Handle, heif_chroma Chroma,
                        const heif_decoding_options *Options, const char *InvalidMessage) {
  heif_image *Decoded = nullptr;
  Check(heif_decode_image(Handle, &Decoded, heif_colorspace_RGB, Chroma, Options),
        InvalidMessage);
  return Decoded;
}

// Hands the whole pages within [From, To) back to the kernel: they read as zeros afterwards.
// For pixels of libheif's that are already converted and never read again; writing into a
// plane is what libheif's planes allow, and this is writing zeros without keeping the pages.
void DiscardPixels(const uchar *From, const uchar *To) {
#if defined(__linux__) && defined(MADV_DONTNEED)
  const quintptr Page = quintptr(sysconf(_SC_PAGESIZE));
  if (Page == 0 || (Page & (Page - 1)) != 0)
    return;
  const quintptr Begin = (quintptr(From) + Page - 1) & ~(Page - 1);
  const quintptr End = quintptr(To) & ~(Page - 1);
  if (End > Begin)
    madvise(reinterpret_cast<void *>(Begin), size_t(End - Begin), MADV_DONTNEED);
#else
  (void)From;
  (void)To;
#endif
}

// One 8-bit plane of a planar RGB image.
struct TPlane {
  uchar *FBits = nullptr;
  qsizetype FStride = 0;
};

// The plane of Channel when it is 8 bits deep and at least Width x Height; FBits null if not.
TPlane EightBitPlane(heif_image *Decoded, heif_channel Channel, int Width, int Height) {
  int Stride = 0;
  uchar *Bits = heif_image_get_plane(Decoded, Channel, &Stride);
  if (!Bits || heif_image_get_bits_per_pixel_range(Decoded, Channel) != 8 ||
      heif_image_get_width(Decoded, Channel) < Width ||
      heif_image_get_height(Decoded, Channel) < Height || Stride < Width)
    return TPlane();
  return TPlane{Bits, Stride};
}

// Rows converted between two hand-backs of the planes' pages: 64 rows of a 4000-pixel
// photograph are 62 pages of each plane.
constexpr int DiscardRows = 64;

// The picture from libheif's planar 8-bit R, G, B (and alpha), the format its own decoding
// ends in: asking for interleaved RGBA makes libheif convert these planes into a second
// whole picture while it still holds them, 7 bytes a pixel at once. Here the planes are
// interleaved into the picture row by row and each converted band of them is handed back to
// the kernel at once, so the two together never hold much more than the picture. Null when
// the planes are not 8-bit planes of the picture's size (deeper samples than the file
// announced): the caller then asks libheif for RGBA instead.
QImage DecodePlanar(heif_image_handle *Handle, const heif_decoding_options *Options,
                    bool HasAlpha, bool Premultiplied, const char *InvalidMessage) {
  THeif<heif_image> Decoded(DecodeImage(Handle, heif_chroma_444, Options, InvalidMessage));
  const int Width = heif_image_get_width(Decoded.get(), heif_channel_R);
  const int Height = heif_image_get_height(Decoded.get(), heif_channel_R);
  if (Width <= 0 || Height <= 0)
    throw std::runtime_error(InvalidMessage);
  // libheif's YCbCr planes are freed by now.
  ReturnFreedMemoryAfter(qint64(Width) * Height);
  const TPlane Red = EightBitPlane(Decoded.get(), heif_channel_R, Width, Height);
  const TPlane Green = EightBitPlane(Decoded.get(), heif_channel_G, Width, Height);
  const TPlane Blue = EightBitPlane(Decoded.get(), heif_channel_B, Width, Height);
  const TPlane Alpha =
      HasAlpha ? EightBitPlane(Decoded.get(), heif_channel_Alpha, Width, Height) : TPlane();
  if (!Red.FBits || !Green.FBits || !Blue.FBits || (HasAlpha && !Alpha.FBits))
    return QImage();

  QImage Image =
      NewLargeImage(QSize(Width, Height), HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (Image.isNull())
    throw std::runtime_error("Out of memory");
  const TPlane Planes[] = {Red, Green, Blue, Alpha};
  for (int Y = 0; Y < Height; ++Y) {
    const uchar *R = Red.FBits + Y * Red.FStride;
    const uchar *G = Green.FBits + Y * Green.FStride;
    const uchar *B = Blue.FBits + Y * Blue.FStride;
    const uchar *A = HasAlpha ? Alpha.FBits + Y * Alpha.FStride : nullptr;
    auto *Out = reinterpret_cast<QRgb *>(Image.scanLine(Y));
    for (int X = 0; X < Width; ++X) {
      const int Opacity = A ? A[X] : 255;
      const QRgb Pixel = qRgba(R[X], G[X], B[X], Opacity);
      Out[X] = Premultiplied && Opacity != 255 ? qUnpremultiply(Pixel) : Pixel;
    }
    if ((Y + 1) % DiscardRows == 0)
      for (const TPlane &Plane : Planes)
        if (Plane.FBits)
          DiscardPixels(Plane.FBits + (Y + 1 - DiscardRows) * Plane.FStride,
                        Plane.FBits + (Y + 1) * Plane.FStride);
  }
  return Image;
}

// The general way, for what DecodePlanar does not take: libheif's interleaved 8-bit
// RGBA, its samples cut to 8 bits, made into the picture where libheif decoded it.
QImage DecodeInterleaved(heif_image_handle *Handle, const heif_decoding_options *Options,
                         bool HasAlpha, bool Premultiplied, const char *InvalidMessage) {
  THeif<heif_image> Decoded(
      DecodeImage(Handle, heif_chroma_interleaved_RGBA, Options, InvalidMessage));
  int Stride = 0;
  uchar *Pixels = heif_image_get_plane(Decoded.get(), heif_channel_interleaved, &Stride);
  const int DecodedWidth = heif_image_get_width(Decoded.get(), heif_channel_interleaved);
  const int DecodedHeight = heif_image_get_height(Decoded.get(), heif_channel_interleaved);
  if (!Pixels || DecodedWidth <= 0 || DecodedHeight <= 0 || Stride < DecodedWidth * 4)
    throw std::runtime_error(InvalidMessage);
  MakeArgb32(Pixels, Stride, DecodedWidth, DecodedHeight, HasAlpha, Premultiplied);

  // The pixels stay where libheif decoded them: a copy would double the memory a
  // 12-megapixel photograph needs while it is opened.
  QImage Image(Pixels, DecodedWidth, DecodedHeight, Stride,
               HasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32, ReleaseImage,
               Decoded.get());
  if (Image.isNull())
    throw std::runtime_error("Out of memory");
  Decoded.release();
  return Image;
}

} // namespace

QImage DecodeHeif(const QByteArray &Data, const char *InvalidMessage) {
  THeif<heif_context> Context(heif_context_alloc());
  if (!Context)
    throw std::runtime_error("Out of memory");
  Check(heif_register_decoder(Context.get(), StillHevcDecoder()), InvalidMessage);
  Check(heif_register_decoder(Context.get(), StillAv1Decoder()), InvalidMessage);
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
  const bool Premultiplied = heif_image_handle_is_premultiplied_alpha(Handle.get()) != 0;
  THeif<heif_decoding_options> Options(heif_decoding_options_alloc());
  if (!Options)
    throw std::runtime_error("Out of memory");
  Options->convert_hdr_to_8bit = 1;
  QImage Image;
  if (heif_image_handle_get_luma_bits_per_pixel(Handle.get()) == 8 &&
      heif_image_handle_get_chroma_bits_per_pixel(Handle.get()) == 8)
    Image = DecodePlanar(Handle.get(), Options.get(), HasAlpha, Premultiplied, InvalidMessage);
  if (Image.isNull())
    Image = DecodeInterleaved(Handle.get(), Options.get(), HasAlpha, Premultiplied,
                              InvalidMessage);
  ConvertToSRGB(Image, ColourProfile(Handle.get()));
  return Image;
}
