// The settings file's halves of start-up and shut-down, over the window's own controls.
#include "app/zelvaneform.h"
#include "settings/settings.h"
#include "settings/settingslocation.h"
#include "watermark/watermarklabel.h"

namespace {

QString SettingsFileOverride;

} // namespace

QString TZelvaneForm::SettingsFileName() {
  return SettingsFileOverride.isEmpty() ? ::SettingsFileName() : SettingsFileOverride;
}

void TZelvaneForm::SetSettingsFileName(const QString &FileName) { SettingsFileOverride = FileName; }

void TZelvaneForm::LoadSettings() {
  // Font before text before position: the label is sized to its text and right-justified, so
  // only a position set last puts it back where it stood. An error stops here silently,
  // keeping what was applied before it; not even the file's place can stop the start.
  try {
    const TSettings Stored = ::LoadSettings(SettingsFileName(), Panel->size());
    if (Stored.OpenPath)
      FOpenPath = *Stored.OpenPath;
    if (Stored.SavePath)
      FSavePath = *Stored.SavePath;
    if (Stored.Quality)
      QualityTrackBar->SetPosition(*Stored.Quality);
    // Runs SmoothCheckBoxClick, which gives the picture box its smoothing.
    if (Stored.Smooth)
      SmoothCheckBox->setChecked(*Stored.Smooth);

    TFont Font = WatermarkLabel->Font();
    Font.Name = Stored.FontName.value_or(Font.Name);
    if (Stored.FontSize)
      Font.SetSize(*Stored.FontSize);
    Font.Color = Stored.FontColor.value_or(Font.Color);
    Font.Style |= Stored.FontStyle.value_or(0);
    WatermarkLabel->SetFont(Font);

    if (Stored.Text) {
      WatermarkLabel->SetCaption(*Stored.Text);
      // Runs WatermarkEditChange, which trims the text and shows the label.
      WatermarkEdit->setText(*Stored.Text);
    }

    if (Stored.Left) {
      WatermarkLabel->SetLeft(*Stored.Left);
      FWatermarkLeft = WatermarkLabel->Left();
    }
    if (Stored.Top) {
      WatermarkLabel->SetTop(*Stored.Top);
      FWatermarkTop = WatermarkLabel->Top();
    }
  } catch (...) {
  }
}

void TZelvaneForm::SaveSettings() {
  try {
    const TFont Font = WatermarkLabel->Font();
    const TFont WindowFont;
    const TSettings Values{.OpenPath = FOpenPath,
                           .SavePath = FSavePath,
                           .Quality = QualityTrackBar->Position(),
                           .Smooth = SmoothCheckBox->isChecked(),
                           .FontName = Font.Name,
                           .FontSize = Font.Size(),
                           .FontColor = Font.Color,
                           .FontStyle = Font.Style,
                           .Text = WatermarkLabel->Caption(),
                           .Left = WatermarkLabel->Left(),
                           .Top = WatermarkLabel->Top()};
    // What a value is compared with to tell whether it is due: the window's own font, and the
    // label's position as loaded.
    const TSettings Start{.FontName = WindowFont.Name,
                          .FontSize = WindowFont.Size(),
                          .FontColor = WindowFont.Color,
                          .Left = FWatermarkLeft,
                          .Top = FWatermarkTop};
    ::SaveSettings(Values, Start, SettingsFileName());
  } catch (...) {
    // Nothing stops the window from ending, and nothing about the file is reported.
  }
}
