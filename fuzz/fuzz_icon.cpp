// Fuzz target: an icon file through TIcon (see fuzzpicture.h).
#include "fuzzpicture.h"
#include "picture/kinds/icon.h"

extern "C" int LLVMFuzzerInitialize(int *Argc, char ***Argv) {
  return StartFuzzApplication(Argc, Argv);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size) {
  TIcon Picture;
  ExercisePicture(Picture, Data, Size);
  return 0;
}
