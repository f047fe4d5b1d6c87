#pragma once

#include "platform/hideselection.h"

#include <QSize>

class TImage;

// What the fit and zoom handlers need of the zoom slider. The window wraps its slider in
// one; tests use a fake.
class TZoomSlider {
public:
  virtual ~TZoomSlider() = default;
  virtual int Position() const = 0;
  // Setting a position other than the current one runs the slider's change handler
  // (which calls ApplyZoomStep below) before returning; setting the current one runs nothing.
  virtual void SetPosition(int Value) = 0;
  // The remembered position: where the box's size was last set by fit or zoom.
  virtual int Tag() const = 0;
  virtual void SetTag(int Value) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool Value) = 0;
};

// The fit-mode radio group's selection changed to ItemIndex (0 "None", 1 "Stretch",
// 2 "MaxWidth", 3 "MaxHeight"; anything else is no selection and resizes nothing).
// Natural is the natural size FPictureWidth x FPictureHeight, Frame the wallpaper frame's
// size. In this order:
//   1. disable the slider; it is enabled again at the end even when a step throws
//   2. hide the nodes
//   3. resize and place the box by the mode (sizes first, then auto-size off, stretching on)
//   4. Tag := 10
//   5. slider position := 10 (the change handler this may run returns at once: disabled)
//   6. enable the slider
// A failure leaves the steps before it done and propagates.
void ApplyFitMode(int ItemIndex, TImage &Image, QSize Frame, QSize Natural, TZoomSlider &Slider,
                  const THideSelection &Hide);

// The zoom slider moved (or was set). Unless the slider is disabled, or its position p is 0
// or less or equals Tag: hide the nodes, turn stretching on, scale the box's width and then
// its height by p / Tag (rounded, ties to even), and set Tag to p. Left and Top stay.
void ApplyZoomStep(TImage &Image, TZoomSlider &Slider, const THideSelection &Hide);
