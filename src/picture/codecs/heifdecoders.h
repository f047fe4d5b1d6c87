#pragma once

#include <cstdint>

struct heif_decoder_plugin;

// libheif's decoders for HEVC (libde265) and AV1 (dav1d), set up to hold little memory while
// a still picture is decoded. Registered with a context, they take precedence over libheif's
// own decoders for that context. Each gives libheif the same YCbCr planes and colour numbers
// as libheif's own decoder of its format, so libheif's conversion makes the same pixels.
//
// After a large picture both give the memory their decoder freed back to the kernel when
// libheif frees them, before libheif converts the copied planes to RGB: glibc would otherwise
// keep the freed blocks resident and libheif's RGB planes would come on top of them.

// libde265 with one worker thread, as libheif's own.
const heif_decoder_plugin *StillHevcDecoder();

// dav1d with one frame in flight (its max_frame_delay of 1), so it keeps no second frame's
// state and no frame-wide buffer of coefficients, which for a 12-megapixel picture would be
// more than the picture itself. Its threads stay dav1d's default, one per processor.
const heif_decoder_plugin *StillAv1Decoder();

// Gives memory freed with free() back to the kernel (glibc's malloc_trim; elsewhere nothing)
// after a picture of Pixels pixels was decoded, when it was a large one: after the tiles of a
// grid and other small pictures, decoded one by one, the freed blocks are small change.
void ReturnFreedMemoryAfter(int64_t Pixels);
