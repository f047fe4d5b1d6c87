// Fuzz target: a GIF file through TGIFImage (see fuzzpicture.h).
#include "fuzzpicture.h"
#include "picture/kinds/gifimage.h"

extern "C" int LLVMFuzzerInitialize(int *Argc, char ***Argv) {
  return StartFuzzApplication(Argc, Argv);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size) {
  TGIFImage Picture;
  ExercisePicture(Picture, Data, Size);
  return 0;
}
