#pragma once

#include "artworkparams.h"

#include <QImage>

// The default wallpaper: a night sky with aurora curtains over a mountain lake, from the
// [wallpaper] parameters (colours, heights, random seed).
QImage PaintWallpaper(const TArtworkParams &Params);
