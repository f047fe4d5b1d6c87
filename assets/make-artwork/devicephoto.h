#pragma once

#include "artworkparams.h"

#include <QImage>

// The device photograph: a handheld console seen from the front on a white table, its
// 480 x 272 screen exactly at the [device] screen rectangle of the parameters. The screen
// itself is one flat dark colour (the wallpaper frame always covers it).
QImage PaintDevicePhoto(const TArtworkParams &Params);
