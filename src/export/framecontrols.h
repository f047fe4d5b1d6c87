#pragma once

#include <QWidget>

class TImage;
class TWatermarkLabel;

// The wallpaper frame's controls, made by this one function for the window and for the batch
// alike, so that the two frames cannot differ.
struct TFrameControls {
  TImage *Image = nullptr;
  TWatermarkLabel *WatermarkLabel = nullptr;
};

// What makes a wallpaper besides the steps of the road: the frame's own settings.
struct TFrameOptions {
  bool Smooth = false; // the picture box filters what it scales (TImage::SetSmooth)
};

// Makes Panel the wallpaper frame: 480 x 272, white, painting its own background, holding the
// picture box `Image` (0, 0, 480 x 272, stretching and auto-size off, no picture) and over it
// the hidden watermark label `WatermarkLabel` at its start place; Panel owns both.
TFrameControls CreateFrameControls(QWidget &Panel);

// Gives the frame's controls Options.
void ApplyFrameOptions(const TFrameControls &Frame, const TFrameOptions &Options);
