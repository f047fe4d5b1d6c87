// Fuzz target: a JPEG XL file through TJPEGXLImage (see fuzzpicture.h).
#include "fuzzpicture.h"
#include "picture/kinds/jxlimage.h"

extern "C" int LLVMFuzzerInitialize(int *Argc, char ***Argv) {
  return StartFuzzApplication(Argc, Argv);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size) {
  TJPEGXLImage Picture;
  ExercisePicture(Picture, Data, Size);
  return 0;
}
