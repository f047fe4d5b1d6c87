// Fuzz target: a JPEG file through TJPEGImage (see fuzzpicture.h).
#include "fuzzpicture.h"
#include "picture/kinds/jpegimage.h"

extern "C" int LLVMFuzzerInitialize(int *Argc, char ***Argv) {
  return StartFuzzApplication(Argc, Argv);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size) {
  TJPEGImage Picture;
  ExercisePicture(Picture, Data, Size);
  return 0;
}
