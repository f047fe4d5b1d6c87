// Fit, zoom, quarter turns and mirrors.
#include "picture/fitzoomhandlers.h"
#include "picture/image.h"
#include "mover/mover.h"
#include "picture/pictureturn.h"
#include "app/zelvaneform.h"

namespace {

// The zoom slider as the fit and zoom code sees it.
class TFormZoomSlider final : public TZoomSlider {
public:
  explicit TFormZoomSlider(TTrackBar &Slider) : S(Slider) {}
  int Position() const override { return S.Position(); }
  void SetPosition(int Value) override { S.SetPosition(Value); }
  int Tag() const override { return S.Tag; }
  void SetTag(int Value) override { S.Tag = Value; }
  bool Enabled() const override { return S.isEnabled(); }
  void SetEnabled(bool Value) override { S.setEnabled(Value); }

private:
  TTrackBar &S;
};

} // namespace

THideSelection TZelvaneForm::HideNodes() {
  return [this] { FMover->SetNodesVisible(false); };
}

void TZelvaneForm::StretchRadioGroupClick(QObject *) {
  TFormZoomSlider Slider(*ZoomTrackBar);
  ApplyFitMode(StretchRadioGroup->ItemIndex(), *Image, Panel->size(),
               QSize(FPictureWidth, FPictureHeight), Slider, HideNodes());
}

void TZelvaneForm::ZoomTrackBarChange(QObject *) {
  TFormZoomSlider Slider(*ZoomTrackBar);
  ApplyZoomStep(*Image, Slider, HideNodes());
}

void TZelvaneForm::LeftRotateSpeedButtonClick(QObject *) {
  RotateOrMirror(*Image, TTransform::LeftRotate, HideNodes());
}

void TZelvaneForm::RightRotateSpeedButtonClick(QObject *) {
  RotateOrMirror(*Image, TTransform::RightRotate, HideNodes());
}

void TZelvaneForm::TopSpeedButtonClick(QObject *) {
  RotateOrMirror(*Image, TTransform::TopMirror, HideNodes());
}

void TZelvaneForm::LeftSpeedButtonClick(QObject *) {
  RotateOrMirror(*Image, TTransform::LeftMirror, HideNodes());
}

void TZelvaneForm::ImageDrawFailure(QObject *) { Image->ThrowDrawFailure(); }
