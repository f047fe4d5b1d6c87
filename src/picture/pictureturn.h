#pragma once

#include "platform/hideselection.h"
#include "picture/transform.h"

class TImage;

// Turns or mirrors the picture box's picture in place and gives the box the result's size:
//
//   1. the working pixels: a bitmap's own pixels in its own format (a palette stays a
//      palette); any other kind's ToBitmapImage(), opaque true colour (alpha flattened over
//      white). Icons and metafiles throw "Cannot assign a TIcon to a TBitmap" (TMetafile
//      likewise) here, before anything has changed.
//   2. the transformed pixels are made in full before the box is touched, so a failure
//      leaves picture and box as they were
//   3. the picture becomes a bitmap (a bitmap stays the same object) holding those pixels
//   4. the box's Height, then Width, become the pixels' size; Left and Top stay
// Auto-size, stretching and everything outside the box are left alone. A box without a
// picture is left alone.
void TurnPicture(TImage &Image, TTransform Transform);

// The four turn and mirror buttons: hide the nodes, then turn the picture as above.
void RotateOrMirror(TImage &Image, TTransform Transform, const THideSelection &Hide);
