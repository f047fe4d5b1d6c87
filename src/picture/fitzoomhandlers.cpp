#include "picture/fitzoomhandlers.h"
#include "picture/fitzoom.h"
#include "picture/image.h"

namespace {

// The zoom position every fit selection returns the slider to.
constexpr int UnzoomedPosition = 10;

// Enables the slider again on every way out of the fit change.
class TSliderDisabled {
public:
  explicit TSliderDisabled(TZoomSlider &Slider) : FSlider(Slider) { FSlider.SetEnabled(false); }
  ~TSliderDisabled() { FSlider.SetEnabled(true); }
  TSliderDisabled(const TSliderDisabled &) = delete;
  TSliderDisabled &operator=(const TSliderDisabled &) = delete;

private:
  TZoomSlider &FSlider;
};

void FitNone(TImage &Image, QSize Size) {
  if (Size.width() != Image.Width())
    Image.SetWidth(Size.width());
  if (Size.height() != Image.Height())
    Image.SetHeight(Size.height());
  Image.SetAutoSize(false);
  Image.SetStretch(true);
  Image.SetLeft(0);
  Image.SetTop(0);
}

void FitStretch(TImage &Image, QSize Size) {
  Image.SetWidth(Size.width());
  Image.SetHeight(Size.height());
  Image.SetAutoSize(false);
  Image.SetStretch(true);
  Image.SetLeft(0);
  Image.SetTop(0);
}

void FitMaxWidth(TImage &Image, QSize Size) {
  Image.SetWidth(Size.width());
  Image.SetLeft(0);
  Image.SetHeight(Size.height());
  Image.SetTop(0);
  Image.SetAutoSize(false);
  Image.SetStretch(true);
}

void FitMaxHeight(TImage &Image, QSize Size) {
  Image.SetHeight(Size.height());
  Image.SetTop(0);
  Image.SetWidth(Size.width());
  Image.SetLeft(0);
  Image.SetAutoSize(false);
  Image.SetStretch(true);
}

} // namespace

void ApplyFitMode(int ItemIndex, TImage &Image, QSize Frame, QSize Natural, TZoomSlider &Slider,
                  const THideSelection &Hide) {
  const TSliderDisabled Disabled(Slider);
  HideSelection(Hide);
  switch (ItemIndex) {
  case static_cast<int>(TFitMode::None):
    FitNone(Image, FitBoxSize(TFitMode::None, Natural, Frame));
    break;
  case static_cast<int>(TFitMode::Stretch):
    FitStretch(Image, FitBoxSize(TFitMode::Stretch, Natural, Frame));
    break;
  case static_cast<int>(TFitMode::MaxWidth):
    FitMaxWidth(Image, FitBoxSize(TFitMode::MaxWidth, Natural, Frame));
    break;
  case static_cast<int>(TFitMode::MaxHeight):
    FitMaxHeight(Image, FitBoxSize(TFitMode::MaxHeight, Natural, Frame));
    break;
  default:
    break;
  }
  Slider.SetTag(UnzoomedPosition);
  Slider.SetPosition(UnzoomedPosition);
}

void ApplyZoomStep(TImage &Image, TZoomSlider &Slider, const THideSelection &Hide) {
  if (!Slider.Enabled())
    return;
  const int Position = Slider.Position();
  if (Position == Slider.Tag() || Position <= 0)
    return;
  HideSelection(Hide);
  Image.SetStretch(true);
  Image.SetWidth(ZoomLength(Position, Slider.Tag(), Image.Width()));
  Image.SetHeight(ZoomLength(Position, Slider.Tag(), Image.Height()));
  Slider.SetTag(Position);
}
