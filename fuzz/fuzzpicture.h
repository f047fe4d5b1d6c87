#pragma once

// What every picture fuzz target does with one input, the way the program uses a picture:
//
//   LoadFromBytes --ok--> Draw into 64 x 48 (scaled)
//        |                Draw at its own size, clipped to at most 256 x 256 pixels
//     throws              Draw at its own size shifted up and left by half (clipping)
//        v                ToBitmapImage (may throw) --ok--> a quarter turn and a mirror
//      done
//
// Every std::exception is a refusal and ends the input; anything else (a crash, a sanitizer
// report, a leak, an input that runs into the time or memory limit) is a finding.

#include "picture/kinds/picture.h"

#include <cstddef>
#include <cstdint>

// Starts the Qt application on the offscreen platform, once: metafiles draw text, and text
// needs the font database. For LLVMFuzzerInitialize.
int StartFuzzApplication(int *Argc, char ***Argv);

// Runs the steps above on Picture (an empty picture of the kind under test).
void ExercisePicture(TPicture &Picture, const std::uint8_t *Data, std::size_t Size);
