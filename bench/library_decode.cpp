// The library's own decoding of a HEIC, AVIF or WebP file into memory, and nothing else: the
// file read whole, then libheif (its default threads) or libwebp decodes it to 8-bit RGBA in
// one buffer of the whole picture. The baseline of the road of such a picture.
//
//   library_decode FILE     exit code 0 when the picture was decoded

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <libheif/heif.h>
#include <webp/decode.h>

namespace {

std::vector<char> ReadAll(const char *FileName) {
  std::vector<char> Bytes;
  if (FILE *File = std::fopen(FileName, "rb")) {
    char Chunk[1 << 16];
    size_t Read;
    while ((Read = std::fread(Chunk, 1, sizeof Chunk, File)) > 0)
      Bytes.insert(Bytes.end(), Chunk, Chunk + Read);
    std::fclose(File);
  }
  return Bytes;
}

bool DecodeHeif(const std::vector<char> &Bytes) {
  heif_context *Context = heif_context_alloc();
  heif_image_handle *Handle = nullptr;
  heif_image *Image = nullptr;
  const bool Decoded =
      heif_context_read_from_memory_without_copy(Context, Bytes.data(), Bytes.size(), nullptr)
              .code == heif_error_Ok &&
      heif_context_get_primary_image_handle(Context, &Handle).code == heif_error_Ok &&
      heif_decode_image(Handle, &Image, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr)
              .code == heif_error_Ok;
  heif_image_release(Image);
  heif_image_handle_release(Handle);
  heif_context_free(Context);
  return Decoded;
}

bool DecodeWebp(const std::vector<char> &Bytes) {
  int Width = 0, Height = 0;
  uint8_t *Pixels = WebPDecodeRGBA(reinterpret_cast<const uint8_t *>(Bytes.data()), Bytes.size(),
                                   &Width, &Height);
  WebPFree(Pixels);
  return Pixels != nullptr;
}

} // namespace

int main(int Argc, char **Argv) {
  if (Argc != 2) {
    std::fprintf(stderr, "usage: %s FILE\n", Argv[0]);
    return 2;
  }
  const std::vector<char> Bytes = ReadAll(Argv[1]);
  const size_t Length = std::strlen(Argv[1]);
  const bool IsWebp = Length > 5 && std::strcmp(Argv[1] + Length - 5, ".webp") == 0;
  return (IsWebp ? DecodeWebp(Bytes) : DecodeHeif(Bytes)) ? 0 : 1;
}
