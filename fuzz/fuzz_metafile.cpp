// Fuzz target: a metafile (WMF or EMF) through TMetafile (see fuzzpicture.h).
#include "fuzzpicture.h"
#include "picture/kinds/metafile.h"

extern "C" int LLVMFuzzerInitialize(int *Argc, char ***Argv) {
  return StartFuzzApplication(Argc, Argv);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size) {
  TMetafile Picture;
  ExercisePicture(Picture, Data, Size);
  return 0;
}
