#include "batch/wallpaperframe.h"

#include "export/capture.h"
#include "picture/fitzoomhandlers.h"
#include "picture/kinds/formats.h"
#include "picture/image.h"
#include "picture/pictureturn.h"
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

// The window's wallpaper frame: white, without border, 480 x 272, its picture box and its
// watermark label as the window creates them.
class TFrame {
public:
  TFrame() {
    QPalette White = FPanel.palette();
    White.setColor(QPalette::Window, Qt::white);
    FPanel.setPalette(White);
    FPanel.setAutoFillBackground(true);
    FPanel.resize(480, 272);
    Image = new TImage(&FPanel);
    Image->SetBounds(0, 0, 480, 272);
    Label = new TWatermarkLabel(&FPanel);
    Label->PlaceAtStart();
  }

  QWidget &Panel() { return FPanel; }
  TImage *Image = nullptr;
  TWatermarkLabel *Label = nullptr;

private:
  QWidget FPanel;
};

} // namespace

QImage ComposeWallpaper(std::unique_ptr<TPicture> Picture, const TWallpaperSteps &Steps) {
  TFrame Frame;
  TImage &Image = *Frame.Image;
  const QSize Natural = ShowOpenedPicture(Image, std::move(Picture));

  TStartZoomSlider Slider(Image);
  ApplyFitMode(static_cast<int>(Steps.Fit), Image, Frame.Panel().size(), Natural, Slider,
               THideSelection());
  Slider.SetPosition(Steps.Zoom);

  if (Steps.Turn)
    RotateOrMirror(Image, *Steps.Turn, THideSelection());
  if (Steps.Mirror)
    RotateOrMirror(Image, *Steps.Mirror, THideSelection());

  Frame.Label->SetFont(Steps.Font);
  ShowWatermarkText(Steps.Watermark, *Frame.Label);

  return CaptureFrame(Frame.Panel());
}
