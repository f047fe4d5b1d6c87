#include "batch/wallpaperframe.h"

#include "export/capture.h"
#include "export/framecontrols.h"
#include "picture/fitzoomhandlers.h"
#include "picture/kinds/formats.h"
#include "picture/image.h"
#include "picture/pictureturn.h"
#include "platform/font.h"
#include "watermark/watermarkhandlers.h"
#include "watermark/watermarklabel.h"

#include <QWidget>

namespace {

// The zoom slider of a window just started: position and remembered position 10. Setting
// another position runs the zoom handler at once, as the window's slider does.
class TStartZoomSlider final : public TZoomSlider {
public:
  explicit TStartZoomSlider(TImage &Image) : FImage(Image) {}
  int Position() const override { return FPosition; }
  void SetPosition(int Value) override {
    if (Value == FPosition)
      return;
    FPosition = Value;
    ApplyZoomStep(FImage, *this, THideSelection());
  }
  int Tag() const override { return FTag; }
  void SetTag(int Value) override { FTag = Value; }
  bool Enabled() const override { return FEnabled; }
  void SetEnabled(bool Value) override { FEnabled = Value; }

private:
  TImage &FImage;
  int FPosition = 10;
  int FTag = 10;
  bool FEnabled = true;
};

// The window's wallpaper frame, made as the window makes it.
class TFrame {
public:
  TFrame() : FControls(CreateFrameControls(FPanel)) {}

  QWidget &Panel() { return FPanel; }
  const TFrameControls &Controls() const { return FControls; }
  TImage &Image() const { return *FControls.Image; }
  TWatermarkLabel &Label() const { return *FControls.WatermarkLabel; }

private:
  QWidget FPanel;
  TFrameControls FControls;
};

} // namespace

QImage ComposeWallpaper(std::unique_ptr<TPicture> Picture, const TWallpaperSteps &Steps) {
  TFrame Frame;
  ApplyFrameOptions(Frame.Controls(), {.Smooth = Steps.Smooth});
  TImage &Image = Frame.Image();
  const QSize Natural = ShowOpenedPicture(Image, std::move(Picture));

  TStartZoomSlider Slider(Image);
  ApplyFitMode(static_cast<int>(Steps.Fit), Image, Frame.Panel().size(), Natural, Slider,
               THideSelection());
  Slider.SetPosition(Steps.Zoom);

  if (Steps.Turn)
    RotateOrMirror(Image, *Steps.Turn, THideSelection());
  if (Steps.Mirror)
    RotateOrMirror(Image, *Steps.Mirror, THideSelection());

  Frame.Label().SetFont(FontOf(Steps.Font));
  ShowWatermarkText(Steps.Watermark, Frame.Label());

  return CaptureFrame(Frame.Panel());
}
