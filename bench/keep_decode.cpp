// The least a program that shows a picture must do with it: djpeg's decoding, but into one
// buffer of the whole picture at 32 bits a pixel, kept until the end, as the main window
// keeps its picture. The buffer gets the same large-page hint as the window's; the process
// then exits. With an empty Qt program beside it, the floor for the road of one wallpaper
// once the decoded picture has to stay in memory.
//
//   keep_decode IN.jpg

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <jpeglib.h>
#include <sys/mman.h>

int main(int Argc, char **Argv) {
  if (Argc != 2) {
    std::fprintf(stderr, "usage: %s IN.jpg\n", Argv[0]);
    return 2;
  }
  std::FILE *In = std::fopen(Argv[1], "rb");
  if (!In) {
    std::perror(Argv[1]);
    return 1;
  }
  jpeg_decompress_struct Info{};
  jpeg_error_mgr Errors{};
  Info.err = jpeg_std_error(&Errors);
  jpeg_create_decompress(&Info);
  jpeg_stdio_src(&Info, In);
  jpeg_read_header(&Info, TRUE);
  Info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&Info);
  const size_t Stride = size_t(Info.output_width) * 4;
  constexpr size_t HugePage = size_t(2) << 20;
  const size_t Bytes = (Stride * Info.output_height + HugePage - 1) / HugePage * HugePage;
  void *Pixels = nullptr;
  if (posix_memalign(&Pixels, HugePage, Bytes) != 0)
    return 1;
  madvise(Pixels, Bytes, MADV_HUGEPAGE);
  while (Info.output_scanline < Info.output_height) {
    JSAMPROW Row = static_cast<JSAMPROW>(Pixels) + Stride * Info.output_scanline;
    jpeg_read_scanlines(&Info, &Row, 1);
  }
  jpeg_finish_decompress(&Info);
  jpeg_destroy_decompress(&Info);
  std::fclose(In);
  std::printf("%u\n", static_cast<const unsigned char *>(Pixels)[Bytes / 2]);
  std::free(Pixels);
  return 0;
}
