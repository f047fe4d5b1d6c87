#include "picture/codecs/heifdecoders.h"
#include "picture/codecs/rasterlimits.h"

#include <cstring>
#include <new>
#include <vector>

#include <dav1d/dav1d.h>
#include <libde265/de265.h>
#include <libheif/heif.h>
#include <libheif/heif_plugin.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Above libheif's own decoders (libde265 100, dav1d 150, libaom 100).
constexpr int Priority = 200;
// The third version of libheif's decoder interface: strict decoding and an id.
constexpr int PluginApiVersion = 3;

const char NoMessage[] = "";

heif_error Failure(heif_error_code Code) {
  return heif_error{Code, heif_suberror_Unspecified, NoMessage};
}
heif_error Success() { return heif_error{heif_error_Ok, heif_suberror_Unspecified, NoMessage}; }

// Sets the colour numbers a decoder read from the bitstream, which libheif uses where the
// file has no colour box of its own. Values libheif does not know count as a fault only when
// decoding strictly; each is set even when another is unknown.
heif_error SetColourNumbers(int Primaries, int Transfer, int Matrix, bool FullRange,
                            bool Strict, heif_image *Image) {
  heif_color_profile_nclx *Nclx = heif_nclx_color_profile_alloc();
  if (!Nclx)
    return Failure(heif_error_Memory_allocation_error);
  const bool PrimariesKnown =
      heif_nclx_color_profile_set_color_primaries(Nclx, uint16_t(Primaries)).code ==
      heif_error_Ok;
  const bool TransferKnown =
      heif_nclx_color_profile_set_transfer_characteristics(Nclx, uint16_t(Transfer)).code ==
      heif_error_Ok;
  const bool MatrixKnown =
      heif_nclx_color_profile_set_matrix_coefficients(Nclx, uint16_t(Matrix)).code ==
      heif_error_Ok;
  Nclx->full_range_flag = FullRange;
  const heif_error Set = (PrimariesKnown && TransferKnown && MatrixKnown) || !Strict
                             ? heif_image_set_nclx_color_profile(Image, Nclx)
                             : Failure(heif_error_Decoder_plugin_error);
  heif_nclx_color_profile_free(Nclx);
  return Set;
}

// Adds a plane of Width x Height samples of Bits bits to Image and copies its rows from
// From, FromStride bytes apart.
heif_error CopyPlane(const uint8_t *From, ptrdiff_t FromStride, int Width, int Height, int Bits,
                     heif_channel Channel, heif_image *Image) {
  if (!From || Width <= 0 || Height <= 0)
    return Failure(heif_error_Decoder_plugin_error);
  const heif_error Added = heif_image_add_plane(Image, Channel, Width, Height, Bits);
  if (Added.code != heif_error_Ok)
    return Added;
  int Stride = 0;
  uint8_t *To = heif_image_get_plane(Image, Channel, &Stride);
  if (!To)
    return Failure(heif_error_Memory_allocation_error);
  const size_t RowBytes = size_t(Width) * (Bits > 8 ? 2 : 1);
  for (int Y = 0; Y < Height; ++Y)
    std::memcpy(To + ptrdiff_t(Y) * Stride, From + Y * FromStride, RowBytes);
  return Success();
}

// A new image of libheif's for Chroma (monochrome or YCbCr) whose planes Fill adds.
template <class TFill>
heif_error NewImage(int Width, int Height, heif_chroma Chroma, TFill Fill, heif_image **Image) {
  const heif_colorspace Colourspace =
      Chroma == heif_chroma_monochrome ? heif_colorspace_monochrome : heif_colorspace_YCbCr;
  heif_image *Created = nullptr;
  heif_error Error = heif_image_create(Width, Height, Colourspace, Chroma, &Created);
  if (Error.code != heif_error_Ok)
    return Error;
  Error = Fill(Created);
  if (Error.code != heif_error_Ok) {
    heif_image_release(Created);
    return Error;
  }
  *Image = Created;
  return Success();
}

// libheif's free_decoder and set_strict_decoding for either decoder's state: TDecoder closes
// its library's decoder in Close and keeps the strict flag (FStrict) and the size of the
// picture it decoded (FPixels).
template <class TDecoder> void FreeDecoder(void *Decoder) {
  auto *Owned = static_cast<TDecoder *>(Decoder);
  if (!Owned)
    return;
  Owned->Close();
  const int64_t Pixels = Owned->FPixels;
  delete Owned;
  ReturnFreedMemoryAfter(Pixels);
}

template <class TDecoder> void SetStrictDecoding(void *Decoder, int Strict) {
  static_cast<TDecoder *>(Decoder)->FStrict = Strict != 0;
}

// --- HEVC through libde265

namespace hevc {

// libheif's own HEVC decoder uses one worker thread; so does this one.
constexpr int WorkerThreads = 1;

struct TDecoder {
  de265_decoder_context *FContext = nullptr;
  bool FStrict = false;
  int64_t FPixels = 0;

  void Close() { de265_free_decoder(FContext); }
};

const char *Name() { return "libde265 for still pictures"; }

int SupportsFormat(heif_compression_format Format) {
  return Format == heif_compression_HEVC ? Priority : 0;
}

heif_error NewDecoder(void **Decoder) {
  auto *New = new (std::nothrow) TDecoder;
  if (!New)
    return Failure(heif_error_Memory_allocation_error);
  New->FContext = de265_new_decoder();
  if (!New->FContext) {
    delete New;
    return Failure(heif_error_Decoder_plugin_error);
  }
  de265_start_worker_threads(New->FContext, WorkerThreads);
  *Decoder = New;
  return Success();
}

// libheif hands over the NAL units each behind its length in 4 bytes, big-endian.
heif_error PushData(void *Decoder, const void *Data, size_t Size) {
  auto *Self = static_cast<TDecoder *>(Decoder);
  const auto *Bytes = static_cast<const uint8_t *>(Data);
  constexpr size_t LengthBytes = 4;
  size_t At = 0;
  while (At < Size) {
    if (Size - At < LengthBytes)
      return Failure(heif_error_Decoder_plugin_error);
    const size_t Length = size_t(Bytes[At]) << 24 | size_t(Bytes[At + 1]) << 16 |
                          size_t(Bytes[At + 2]) << 8 | size_t(Bytes[At + 3]);
    At += LengthBytes;
    if (Length > Size - At || Length > size_t(INT32_MAX))
      return Failure(heif_error_Decoder_plugin_error);
    if (de265_push_NAL(Self->FContext, Bytes + At, int(Length), 0, nullptr) != DE265_OK)
      return Failure(heif_error_Memory_allocation_error);
    At += Length;
  }
  return Success();
}

heif_chroma ChromaOf(const de265_image *Picture) {
  switch (de265_get_chroma_format(Picture)) {
  case de265_chroma_mono:
    return heif_chroma_monochrome;
  case de265_chroma_420:
    return heif_chroma_420;
  case de265_chroma_422:
    return heif_chroma_422;
  case de265_chroma_444:
    return heif_chroma_444;
  }
  return heif_chroma_undefined;
}

// libde265's picture as a new image of libheif's, with the colour numbers of its VUI.
heif_error MakeImage(const de265_image *Picture, bool Strict, heif_image **Image) {
  const heif_chroma Chroma = ChromaOf(Picture);
  if (Chroma == heif_chroma_undefined)
    return Failure(heif_error_Decoder_plugin_error);
  const int Bits = de265_get_bits_per_pixel(Picture, 0);
  return NewImage(
      de265_get_image_width(Picture, 0), de265_get_image_height(Picture, 0), Chroma,
      [&](heif_image *Created) {
        const heif_channel Channels[] = {heif_channel_Y, heif_channel_Cb, heif_channel_Cr};
        for (int Plane = 0; Plane < (Chroma == heif_chroma_monochrome ? 1 : 3); ++Plane) {
          if (de265_get_bits_per_pixel(Picture, Plane) != Bits)
            return Failure(heif_error_Unsupported_feature);
          int Stride = 0;
          const uint8_t *Samples = de265_get_image_plane(Picture, Plane, &Stride);
          const heif_error Copied =
              CopyPlane(Samples, Stride, de265_get_image_width(Picture, Plane),
                        de265_get_image_height(Picture, Plane), Bits, Channels[Plane], Created);
          if (Copied.code != heif_error_Ok)
            return Copied;
        }
        return SetColourNumbers(de265_get_image_colour_primaries(Picture),
                                de265_get_image_transfer_characteristics(Picture),
                                de265_get_image_matrix_coefficients(Picture),
                                de265_get_image_full_range_flag(Picture) != 0, Strict, Created);
      },
      Image);
}

// Decodes everything pushed; the last picture is the image, as with libheif's own decoder.
heif_error DecodeImage(void *Decoder, heif_image **Image) {
  auto *Self = static_cast<TDecoder *>(Decoder);
  *Image = nullptr;
  de265_flush_data(Self->FContext);
  heif_error Result = Failure(heif_error_Decoder_plugin_error);
  int More = 0;
  do {
    More = 0;
    if (de265_decode(Self->FContext, &More) != DE265_OK)
      break;
    if (const de265_image *Picture = de265_get_next_picture(Self->FContext)) {
      if (*Image)
        heif_image_release(*Image);
      *Image = nullptr;
      Result = MakeImage(Picture, Self->FStrict, Image);
      Self->FPixels = int64_t(de265_get_image_width(Picture, 0)) * de265_get_image_height(Picture, 0);
      de265_release_next_picture(Self->FContext);
      if (Result.code != heif_error_Ok)
        return Result;
    }
  } while (More);
  return *Image ? Success() : Result;
}

const heif_decoder_plugin Plugin{PluginApiVersion,
                                 Name,
                                 nullptr,
                                 nullptr,
                                 SupportsFormat,
                                 NewDecoder,
                                 FreeDecoder<TDecoder>,
                                 PushData,
                                 DecodeImage,
                                 SetStrictDecoding<TDecoder>,
                                 "zelvane-libde265"};

} // namespace hevc

// --- AV1 through dav1d

namespace av1 {

struct TDecoder {
  Dav1dContext *FContext = nullptr;
  std::vector<uint8_t> FBytes;
  bool FStrict = false;
  int64_t FPixels = 0;

  void Close() { dav1d_close(&FContext); }
};

const char *Name() { return "dav1d for still pictures"; }

int SupportsFormat(heif_compression_format Format) {
  return Format == heif_compression_AV1 ? Priority : 0;
}

heif_error NewDecoder(void **Decoder) {
  Dav1dSettings Settings;
  dav1d_default_settings(&Settings);
  Settings.max_frame_delay = 1;
  Settings.all_layers = 0;
  Settings.frame_size_limit = unsigned(MaxRasterBytes() / 4);
  // Its messages would only repeat the failure that libheif reports.
  Settings.logger.callback = nullptr;
  auto *New = new (std::nothrow) TDecoder;
  if (!New)
    return Failure(heif_error_Memory_allocation_error);
  if (dav1d_open(&New->FContext, &Settings) != 0) {
    delete New;
    return Failure(heif_error_Decoder_plugin_error);
  }
  *Decoder = New;
  return Success();
}

heif_error PushData(void *Decoder, const void *Data, size_t Size) {
  auto *Self = static_cast<TDecoder *>(Decoder);
  const auto *Bytes = static_cast<const uint8_t *>(Data);
  try {
    Self->FBytes.insert(Self->FBytes.end(), Bytes, Bytes + Size);
  } catch (const std::bad_alloc &) {
    return Failure(heif_error_Memory_allocation_error);
  }
  return Success();
}

// The bytes stay in the decoder until dav1d is closed.
void KeepBytes(const uint8_t *, void *) {}

// Sends all the bytes and takes the one picture they hold. With one frame in flight dav1d
// gives the picture as soon as its data is in; a second call once everything is sent
// drains what a decoder with more frames in flight would still hold.
int GetPicture(TDecoder &Self, Dav1dPicture &Picture) {
  Dav1dData Data{};
  int Result = dav1d_data_wrap(&Data, Self.FBytes.data(), Self.FBytes.size(), KeepBytes, nullptr);
  if (Result < 0)
    return Result;
  int EmptyRounds = 0;
  for (;;) {
    if (Data.sz > 0) {
      Result = dav1d_send_data(Self.FContext, &Data);
      if (Result < 0 && Result != DAV1D_ERR(EAGAIN))
        break;
    }
    Result = dav1d_get_picture(Self.FContext, &Picture);
    if (Result != DAV1D_ERR(EAGAIN) || (Data.sz == 0 && ++EmptyRounds > 1))
      break;
  }
  dav1d_data_unref(&Data);
  return Result;
}

heif_chroma ChromaOf(Dav1dPixelLayout Layout) {
  switch (Layout) {
  case DAV1D_PIXEL_LAYOUT_I400:
    return heif_chroma_monochrome;
  case DAV1D_PIXEL_LAYOUT_I420:
    return heif_chroma_420;
  case DAV1D_PIXEL_LAYOUT_I422:
    return heif_chroma_422;
  case DAV1D_PIXEL_LAYOUT_I444:
    return heif_chroma_444;
  }
  return heif_chroma_undefined;
}

// dav1d's picture as a new image of libheif's, with the colour numbers of its sequence
// header.
heif_error MakeImage(const Dav1dPicture &Picture, bool Strict, heif_image **Image) {
  const Dav1dPictureParameters &Frame = Picture.p;
  const heif_chroma Chroma = ChromaOf(Frame.layout);
  if (Chroma == heif_chroma_undefined || !Picture.seq_hdr)
    return Failure(heif_error_Decoder_plugin_error);
  // Chroma planes are rounded up: half of an odd width or height is the larger half.
  const int ShiftX = Chroma == heif_chroma_444 ? 0 : 1;
  const int ShiftY = Chroma == heif_chroma_420 ? 1 : 0;
  return NewImage(
      Frame.w, Frame.h, Chroma,
      [&](heif_image *Created) {
        const heif_channel Channels[] = {heif_channel_Y, heif_channel_Cb, heif_channel_Cr};
        for (int Plane = 0; Plane < (Chroma == heif_chroma_monochrome ? 1 : 3); ++Plane) {
          const int Width = Plane == 0 ? Frame.w : (Frame.w + ShiftX) >> ShiftX;
          const int Height = Plane == 0 ? Frame.h : (Frame.h + ShiftY) >> ShiftY;
          const heif_error Copied = CopyPlane(
              static_cast<const uint8_t *>(Picture.data[Plane]), Picture.stride[Plane == 0 ? 0 : 1],
              Width, Height, Frame.bpc, Channels[Plane], Created);
          if (Copied.code != heif_error_Ok)
            return Copied;
        }
        const Dav1dSequenceHeader &Header = *Picture.seq_hdr;
        return SetColourNumbers(Header.pri, Header.trc, Header.mtrx, Header.color_range != 0,
                                Strict, Created);
      },
      Image);
}

heif_error DecodeImage(void *Decoder, heif_image **Image) {
  auto *Self = static_cast<TDecoder *>(Decoder);
  Dav1dPicture Picture{};
  const int Result = GetPicture(*Self, Picture);
  if (Result == DAV1D_ERR(ENOMEM))
    return Failure(heif_error_Memory_allocation_error);
  if (Result < 0)
    return Failure(heif_error_Decoder_plugin_error);
  const heif_error Made = MakeImage(Picture, Self->FStrict, Image);
  Self->FPixels = int64_t(Picture.p.w) * Picture.p.h;
  dav1d_picture_unref(&Picture);
  return Made;
}

const heif_decoder_plugin Plugin{PluginApiVersion,
                                 Name,
                                 nullptr,
                                 nullptr,
                                 SupportsFormat,
                                 NewDecoder,
                                 FreeDecoder<TDecoder>,
                                 PushData,
                                 DecodeImage,
                                 SetStrictDecoding<TDecoder>,
                                 "zelvane-dav1d"};

} // namespace av1

} // namespace

const heif_decoder_plugin *StillHevcDecoder() { return &hevc::Plugin; }
const heif_decoder_plugin *StillAv1Decoder() { return &av1::Plugin; }

void ReturnFreedMemoryAfter(int64_t Pixels) {
  // A megapixel: from here on the freed blocks are worth a trim's walk through the heap.
  constexpr int64_t LargePixels = int64_t(1) << 20;
#if defined(__GLIBC__)
  if (Pixels >= LargePixels)
    malloc_trim(0);
#else
  (void)Pixels;
#endif
}
