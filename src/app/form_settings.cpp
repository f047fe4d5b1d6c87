// The settings file's halves of start-up and shut-down, over the window's own controls.
#include "picture/image.h"
#include "settings/settings.h"
#include "watermark/watermarklabel.h"
#include "app/zelvaneform.h"

namespace {

QString SettingsFileOverride;

// The window seen as the settings code sees it.
class TFormSettings final : public TSettingsTarget {
public:
  explicit TFormSettings(TZelvaneForm &Form) : F(Form) {}

  QString OpenPath() const override { return F.FOpenPath; }
  void SetOpenPath(const QString &Value) override { F.FOpenPath = Value; }
  QString SavePath() const override { return F.FSavePath; }
  void SetSavePath(const QString &Value) override { F.FSavePath = Value; }
  int QualityPosition() const override { return F.QualityTrackBar->Position(); }
  void SetQualityPosition(int Value) override { F.QualityTrackBar->SetPosition(Value); }

  QString LabelFontName() const override { return F.WatermarkLabel->Font().Name; }
  void SetLabelFontName(const QString &Value) override {
    TFont Font = F.WatermarkLabel->Font();
    Font.Name = Value;
    F.WatermarkLabel->SetFont(Font);
  }
  int LabelFontSize() const override { return F.WatermarkLabel->Font().Size(); }
  void SetLabelFontSize(int Points) override {
    TFont Font = F.WatermarkLabel->Font();
    Font.SetSize(Points);
    F.WatermarkLabel->SetFont(Font);
  }
  std::int32_t LabelFontColor() const override { return F.WatermarkLabel->Font().Color; }
  void SetLabelFontColor(std::int32_t Value) override {
    TFont Font = F.WatermarkLabel->Font();
    Font.Color = Value;
    F.WatermarkLabel->SetFont(Font);
  }
  bool LabelFontHasStyle(TStyleFlag Flag) const override {
    return F.WatermarkLabel->Font().Style & StyleBit(Flag);
  }
  void AddLabelFontStyle(TStyleFlag Flag) override {
    TFont Font = F.WatermarkLabel->Font();
    Font.Style |= StyleBit(Flag);
    F.WatermarkLabel->SetFont(Font);
  }

  QString LabelText() const override { return F.WatermarkLabel->Caption(); }
  void SetLabelText(const QString &Value) override { F.WatermarkLabel->SetCaption(Value); }
  void SetEditText(const QString &Value) override { F.WatermarkEdit->setText(Value); }

  int LabelLeft() const override { return F.WatermarkLabel->Left(); }
  void SetLabelLeft(int Value) override { F.WatermarkLabel->SetLeft(Value); }
  int LabelTop() const override { return F.WatermarkLabel->Top(); }
  void SetLabelTop(int Value) override { F.WatermarkLabel->SetTop(Value); }
  int WatermarkLeft() const override { return F.FWatermarkLeft; }
  void SetWatermarkLeft(int Value) override { F.FWatermarkLeft = Value; }
  int WatermarkTop() const override { return F.FWatermarkTop; }
  void SetWatermarkTop(int Value) override { F.FWatermarkTop = Value; }
  int FrameWidth() const override { return F.Panel->width(); }
  int FrameHeight() const override { return F.Panel->height(); }

  QString FormFontName() const override { return TFont().Name; }
  int FormFontSize() const override { return TFont().Size(); }
  std::int32_t FormFontColor() const override { return TFont().Color; }

private:
  static TFontStyles StyleBit(TStyleFlag Flag) {
    switch (Flag) {
    case TStyleFlag::Bold:
      return fsBold;
    case TStyleFlag::Italic:
      return fsItalic;
    case TStyleFlag::Underline:
      return fsUnderline;
    case TStyleFlag::StrikeOut:
      return fsStrikeOut;
    }
    return 0;
  }

  TZelvaneForm &F;
};

} // namespace

QString TZelvaneForm::SettingsFileName() {
  return SettingsFileOverride.isEmpty() ? ::SettingsFileName() : SettingsFileOverride;
}

void TZelvaneForm::SetSettingsFileName(const QString &FileName) { SettingsFileOverride = FileName; }

void TZelvaneForm::LoadSettings() {
  TFormSettings Target(*this);
  ::LoadSettings(Target, SettingsFileName());
}

void TZelvaneForm::SaveSettings() {
  TFormSettings Target(*this);
  ::SaveSettings(Target, SettingsFileName());
}
