#pragma once

#include "platform/hideselection.h"
#include "picture/transform.h"

class TImage;

// Turns or mirrors the picture box's picture in place and gives the box the result's size,
// keeping its Left and Top. Afterwards the picture is a bitmap (a bitmap stays the same
// object): a bitmap's pixels move in their own format (a palette stays a palette); any other
// kind's pixels come from ToBitmapImage(), opaque true colour with alpha flattened over
// white. Icons and metafiles have no such pixels and throw "Cannot assign a TIcon to a
// TBitmap" (TMetafile likewise). Whatever fails, picture and box stay as they were. Auto-size
// and stretching are left alone, and so is a box without a picture.
void TurnPicture(TImage &Image, TTransform Transform);

// The four turn and mirror buttons: hide the nodes, then turn the picture as above.
void RotateOrMirror(TImage &Image, TTransform Transform, const THideSelection &Hide);
