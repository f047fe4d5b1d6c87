#pragma once

#include "batch/options/batchoptions.h"
#include "picture/kinds/picture.h"

#include <QImage>

#include <memory>

// The wallpaper of one picture: what Save Wallpaper captures in a window just started (no
// settings file) after the steps.
//
// The frame is the window's, built by the same function (CreateFrameControls): a 480 x 272
// white panel holding the picture box (0, 0, 480 x 272) and over it the watermark label at its
// start place, the Smooth box's setting given to it as the window gives it. On it the steps
// run through the window's own handler code, in this order:
//
//   ShowOpenedPicture               Open Image, once the file is read
//   ApplyFitMode(Fit)               the fit mode chosen (for "none" the same box as after
//                                   Open Image: "None" places it at its natural size at 0, 0)
//   the zoom slider set to Zoom     runs ApplyZoomStep when that is not 10
//   RotateOrMirror(Turn), (Mirror)  the turn and mirror buttons
//   label font, ShowWatermarkText   the font and colour chosen, the text typed
//   CaptureFrame                    Save Wallpaper's capture
//
// Widgets: the user-interface thread only. The picture is released before this returns.
// Throws what a step throws (a turn of an icon or a metafile: "Cannot assign a TIcon to a
// TBitmap").
QImage ComposeWallpaper(std::unique_ptr<TPicture> Picture, const TWallpaperSteps &Steps);
