#pragma once

#include "artworkparams.h"

#include <QImage>

// The banner at the top of the main window: the icon as a mark, then the name and a short
// line under it, on white (the window's colour), from the [banner] parameters.
QImage PaintBanner(const TArtworkParams &Params);
