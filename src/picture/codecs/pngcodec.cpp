#include "picture/codecs/pngcodec.h"
#include "picture/codecs/colourprofile.h"
#include "picture/codecs/orientation.h"
#include "picture/codecs/pngchunks.h"
#include "picture/codecs/rasterlimits.h"

#include <csetjmp>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <png.h>

namespace {

// libpng reports a fatal error by calling our error function, which must not return: it
// keeps libpng's message and longjmps back into the guard frame (see Guarded), which holds
// no C++ objects. The guard's caller throws.
struct TPngGuard {
  std::jmp_buf Jump;
  char Message[256];
};

[[noreturn]] void ErrorExit(png_structp Png, png_const_charp Message) {
  auto *Guard = static_cast<TPngGuard *>(png_get_error_ptr(Png));
  std::strncpy(Guard->Message, Message ? Message : "", sizeof Guard->Message - 1);
  Guard->Message[sizeof Guard->Message - 1] = '\0';
  std::longjmp(Guard->Jump, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Runs Step with libpng's fatal errors turned into a false result. Step must hold no
// object with a destructor: a longjmp out of it skips its frame.
template <class F> bool Guarded(TPngGuard &Guard, F &&Step) {
  if (setjmp(Guard.Jump))
    return false;
  Step();
  return true;
}

struct TMemorySource {
  const png_byte *Data;
  size_t Size;
  size_t Pos;
};

void ReadFromMemory(png_structp Png, png_bytep Out, size_t Length) {
  auto *Source = static_cast<TMemorySource *>(png_get_io_ptr(Png));
  if (Source->Size - Source->Pos < Length)
    png_error(Png, "Read Error");
  std::memcpy(Out, Source->Data + Source->Pos, Length);
  Source->Pos += Length;
}

// A read struct with its info struct, destroyed with its owner.
class TPngReader {
public:
  explicit TPngReader(const QByteArray &Data)
      : Source{reinterpret_cast<const png_byte *>(Data.constData()), size_t(Data.size()), 0} {
    Guard.Message[0] = '\0';
    Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &Guard, ErrorExit, IgnoreWarning);
    if (Png)
      Info = png_create_info_struct(Png);
    if (!Png || !Info) {
      png_destroy_read_struct(Png ? &Png : nullptr, nullptr, nullptr);
      throw std::runtime_error("Out of memory");
    }
    png_set_read_fn(Png, &Source, ReadFromMemory);
    // Hostile input: no side above 65535, few and small ancillary chunks kept.
    png_set_user_limits(Png, 65535, 65535);
    png_set_chunk_cache_max(Png, 256);
    png_set_chunk_malloc_max(Png, 8 * 1024 * 1024);
    // Every CRC was checked by the chunk walk; libpng need not check them again.
    png_set_crc_action(Png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
  }
  ~TPngReader() { png_destroy_read_struct(&Png, &Info, nullptr); }
  TPngReader(const TPngReader &) = delete;
  TPngReader &operator=(const TPngReader &) = delete;

  // Turns libpng's message into the decoder's message for the fault it names.
  [[noreturn]] void Fail() const {
    const std::string Message = Guard.Message;
    auto Has = [&](const char *Part) { return Message.find(Part) != std::string::npos; };
    if (Has("Not enough image data"))
      throw std::runtime_error(PngMessage::MissingParts);
    if (Has("PLTE") || Has("palette"))
      throw std::runtime_error(PngMessage::InvalidPalette);
    if (Has("IHDR"))
      throw std::runtime_error(PngMessage::IhdrCorrupted);
    if (Has("Read Error"))
      throw std::runtime_error(PngMessage::UnexpectedEnd);
    // Errors met while inflating the image data come as "IDAT: <zlib's message>".
    const std::string Prefix = "IDAT: ";
    const std::string Description =
        Message.compare(0, Prefix.size(), Prefix) == 0 ? Message.substr(Prefix.size()) : Message;
    throw std::runtime_error(PngMessage::InvalidCompressedData + Description);
  }

  TMemorySource Source;
  TPngGuard Guard;
  png_structp Png = nullptr;
  png_infop Info = nullptr;
};

// Palette pictures are transparent by their tRNS alpha values: none below 255 is opaque,
// only 0 and 255 is a single transparent colour, anything between is partial alpha.
TPngTransparency Classify(png_structp Png, png_infop Info) {
  const int ColorType = png_get_color_type(Png, Info);
  if (ColorType & PNG_COLOR_MASK_ALPHA)
    return TPngTransparency::Alpha;
  if (!png_get_valid(Png, Info, PNG_INFO_tRNS))
    return TPngTransparency::None;
  if (ColorType != PNG_COLOR_TYPE_PALETTE)
    return TPngTransparency::SingleColour;
  png_bytep Alpha = nullptr;
  int Count = 0;
  png_get_tRNS(Png, Info, &Alpha, &Count, nullptr);
  TPngTransparency Result = TPngTransparency::None;
  for (int I = 0; Alpha && I < Count; ++I) {
    if (Alpha[I] != 0 && Alpha[I] != 255)
      return TPngTransparency::Alpha;
    if (Alpha[I] == 0)
      Result = TPngTransparency::SingleColour;
  }
  return Result;
}

// Every picture is read as 8-bit B, G, R, A in memory (Format_ARGB32 on a little-endian
// machine; A, R, G, B on a big-endian one), filled with 255 where it has no alpha.
void SetTransforms(png_structp Png, png_infop Info) {
  png_set_expand(Png); // palette to RGB, grey below 8 bits to 8, tRNS to alpha
  png_set_strip_16(Png);
  png_set_gray_to_rgb(Png);
  const int ColorType = png_get_color_type(Png, Info);
  const bool HasAlpha =
      (ColorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(Png, Info, PNG_INFO_tRNS);
  if (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
    png_set_bgr(Png);
    if (!HasAlpha)
      png_set_filler(Png, 0xFF, PNG_FILLER_AFTER);
  } else if (HasAlpha) {
    png_set_swap_alpha(Png);
  } else {
    png_set_filler(Png, 0xFF, PNG_FILLER_BEFORE);
  }
  png_set_interlace_handling(Png);
  png_read_update_info(Png, Info);
}

} // namespace

TPngPicture DecodePng(const QByteArray &Data) {
  const TPngHeader Header = CheckPngChunks(Data);
  CheckRasterSize(Header.Width, Header.Height);

  TPngReader Reader(Data);
  png_structp Png = Reader.Png;
  png_infop Info = Reader.Info;
  TPngPicture Result;
  size_t RowBytes = 0;
  png_bytep Profile = nullptr;
  png_uint_32 ProfileLength = 0;
  png_bytep Exif = nullptr;
  png_uint_32 ExifLength = 0;
  const bool Prepared = Guarded(Reader.Guard, [&] {
    png_read_info(Png, Info);
    // libpng has checked the profile against the picture (a grey profile on a colour
    // picture is dropped); the bytes live as long as Info.
    png_charp Name = nullptr;
    int Compression = 0;
    if (!png_get_iCCP(Png, Info, &Name, &Compression, &Profile, &ProfileLength))
      Profile = nullptr;
    // Only an eXIf chunk before the image data counts, as for the readers that honour it:
    // one after it would turn a picture already shown.
    if (!png_get_eXIf_1(Png, Info, &ExifLength, &Exif))
      Exif = nullptr;
    Result.Transparency = Classify(Png, Info);
    SetTransforms(Png, Info);
    RowBytes = png_get_rowbytes(Png, Info);
  });
  if (!Prepared)
    Reader.Fail();

  const int Width = int(Header.Width), Height = int(Header.Height);
  if (RowBytes != size_t(Width) * 4)
    throw std::runtime_error(PngMessage::IhdrCorrupted);
  QImage Image(Width, Height,
               Result.Transparency == TPngTransparency::None ? QImage::Format_RGB32
                                                             : QImage::Format_ARGB32);
  if (Image.isNull())
    throw std::runtime_error("Out of memory");
  std::vector<png_bytep> Rows(Height);
  for (int Y = 0; Y < Height; ++Y)
    Rows[Y] = Image.scanLine(Y);
  // A palette whose tRNS holds only 255 gets an alpha channel from libpng, all 255: the
  // rows are valid Format_RGB32 as they stand.
  png_bytepp RowPointers = Rows.data();
  if (!Guarded(Reader.Guard, [&] { png_read_image(Png, RowPointers); }))
    Reader.Fail();
  if (Profile)
    ConvertToSRGB(Image, QByteArray::fromRawData(reinterpret_cast<const char *>(Profile),
                                                 qsizetype(ProfileLength)));
  if (Exif)
    MakeUpright(Image, ExifOrientation(QByteArray::fromRawData(
                           reinterpret_cast<const char *>(Exif), qsizetype(ExifLength))));
  Result.Image = std::move(Image);
  return Result;
}
