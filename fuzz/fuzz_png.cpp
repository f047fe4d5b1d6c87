// Fuzz target: a PNG file through TPngImage (see fuzzpicture.h).
#include "fuzzpicture.h"
#include "picture/kinds/pngimage.h"

extern "C" int LLVMFuzzerInitialize(int *Argc, char ***Argv) {
  return StartFuzzApplication(Argc, Argv);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size) {
  TPngImage Picture;
  ExercisePicture(Picture, Data, Size);
  return 0;
}
