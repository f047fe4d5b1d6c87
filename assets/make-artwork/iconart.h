#pragma once

#include "artworkparams.h"

#include <QImage>

// The application icon at one size (square, ARGB with transparent corners): a night-blue
// tile holding a small light console whose screen shows an aurora over a peak. Small sizes
// drop the details that would turn to mush (controls, the peak's shading).
QImage PaintIcon(const TArtworkParams &Params, int Size);
