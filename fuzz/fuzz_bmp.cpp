// Fuzz target: a BMP file through TBitmap (see fuzzpicture.h).
#include "fuzzpicture.h"
#include "picture/kinds/bitmap.h"

extern "C" int LLVMFuzzerInitialize(int *Argc, char ***Argv) {
  return StartFuzzApplication(Argc, Argv);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size) {
  TBitmap Picture;
  ExercisePicture(Picture, Data, Size);
  return 0;
}
