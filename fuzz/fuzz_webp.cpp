// Fuzz target: a WebP file through TWebPImage (see fuzzpicture.h).
#include "fuzzpicture.h"
#include "picture/kinds/webpimage.h"

extern "C" int LLVMFuzzerInitialize(int *Argc, char ***Argv) {
  return StartFuzzApplication(Argc, Argv);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size) {
  TWebPImage Picture;
  ExercisePicture(Picture, Data, Size);
  return 0;
}
