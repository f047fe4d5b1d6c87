// Fuzz target: a HEIF or AVIF file through THeifImage (see fuzzpicture.h).
#include "fuzzpicture.h"
#include "picture/kinds/heifimage.h"

extern "C" int LLVMFuzzerInitialize(int *Argc, char ***Argv) {
  return StartFuzzApplication(Argc, Argv);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size) {
  THeifImage Picture;
  ExercisePicture(Picture, Data, Size);
  return 0;
}
