#include "settings/settings.h"
#include "settings/profile.h"

namespace {

const QString Config = QStringLiteral("config");
const QString Watermark = QStringLiteral("watermark");

struct TStyleKey {
  TStyleFlag Flag;
  const char16_t *Key;
};

// In the order they are read and written.
constexpr TStyleKey StyleKeys[] = {
    {TStyleFlag::Bold, u"fontbold"},
    {TStyleFlag::Italic, u"fontitalic"},
    {TStyleFlag::Underline, u"fontunderline"},
    {TStyleFlag::StrikeOut, u"fontstrikeOut"},
};

// A stored position is used when it puts the label's near edge inside the frame.
bool InsideFrame(int Value, int FrameSize) { return Value > 0 && Value < FrameSize; }

void ReadAll(const TProfileFile &File, TSettingsTarget &Target) {
  Target.SetOpenPath(File.ReadString(Config, QStringLiteral("openpath"), QString()));
  Target.SetSavePath(File.ReadString(Config, QStringLiteral("savepath"), QString()));

  const int Quality = File.ReadInteger(Config, QStringLiteral("quality"), Target.QualityPosition());
  if (Quality >= 5 && Quality <= 10)
    Target.SetQualityPosition(Quality);

  const QString FontName = File.ReadString(Watermark, QStringLiteral("fontname"), QString());
  if (!FontName.isEmpty())
    Target.SetLabelFontName(FontName);
  const int FontSize = File.ReadInteger(Watermark, QStringLiteral("fontsize"), 0);
  if (FontSize > 0)
    Target.SetLabelFontSize(FontSize);
  // Black (0) and system colours (negative) are never applied.
  const int FontColor = File.ReadInteger(Watermark, QStringLiteral("fontcolor"), 0);
  if (FontColor > 0)
    Target.SetLabelFontColor(FontColor);
  for (const TStyleKey &Style : StyleKeys)
    if (File.ReadBool(Watermark, QString::fromUtf16(Style.Key), false))
      Target.AddLabelFontStyle(Style.Flag);

  const QString Text = File.ReadString(Watermark, QStringLiteral("text"), QString());
  if (!Text.isEmpty()) {
    Target.SetLabelText(Text);
    Target.SetEditText(Text);
  }

  const int Left = File.ReadInteger(Watermark, QStringLiteral("left"), 0);
  if (InsideFrame(Left, Target.FrameWidth())) {
    Target.SetLabelLeft(Left);
    Target.SetWatermarkLeft(Target.LabelLeft());
  }
  const int Top = File.ReadInteger(Watermark, QStringLiteral("top"), 0);
  if (InsideFrame(Top, Target.FrameHeight())) {
    Target.SetLabelTop(Top);
    Target.SetWatermarkTop(Target.LabelTop());
  }
}

void WriteAll(TProfileFile &File, TSettingsTarget &Target) {
  const QString OpenPath = Target.OpenPath();
  if (!OpenPath.isEmpty())
    File.WriteString(Config, QStringLiteral("openpath"), OpenPath);
  const QString SavePath = Target.SavePath();
  if (!SavePath.isEmpty())
    File.WriteString(Config, QStringLiteral("savepath"), SavePath);
  File.WriteInteger(Config, QStringLiteral("quality"), Target.QualityPosition());

  // A key that only differs from the start value when changed would otherwise keep an older
  // run's value once the user goes back to the start value; writing it whenever the file
  // holds it makes the last choice stick.
  const auto Due = [&File](const QString &Key, bool Differs) {
    return Differs || File.ValueExists(Watermark, Key);
  };

  const QString FontName = Target.LabelFontName();
  if (Due(QStringLiteral("fontname"), FontName != Target.FormFontName()))
    File.WriteString(Watermark, QStringLiteral("fontname"), FontName);
  const int FontSize = Target.LabelFontSize();
  if (Due(QStringLiteral("fontsize"), FontSize != Target.FormFontSize()))
    File.WriteInteger(Watermark, QStringLiteral("fontsize"), FontSize);
  const std::int32_t FontColor = Target.LabelFontColor();
  if (Due(QStringLiteral("fontcolor"), FontColor != Target.FormFontColor()))
    File.WriteInteger(Watermark, QStringLiteral("fontcolor"), FontColor);
  for (const TStyleKey &Style : StyleKeys)
    File.WriteBool(Watermark, QString::fromUtf16(Style.Key), Target.LabelFontHasStyle(Style.Flag));

  const int Left = Target.LabelLeft();
  if (Due(QStringLiteral("left"), Left != Target.WatermarkLeft()))
    File.WriteInteger(Watermark, QStringLiteral("left"), Left);
  const int Top = Target.LabelTop();
  if (Due(QStringLiteral("top"), Top != Target.WatermarkTop()))
    File.WriteInteger(Watermark, QStringLiteral("top"), Top);

  File.WriteString(Watermark, QStringLiteral("text"), Target.LabelText());
}

} // namespace

void LoadSettings(TSettingsTarget &Target, const QString &FileName) noexcept {
  try {
    const TProfileFile File(FileName);
    try {
      ReadAll(File, Target);
    } catch (...) {
      // What was applied stays applied.
    }
  } catch (...) {
  }
}

void LoadSettings(TSettingsTarget &Target) noexcept {
  try {
    LoadSettings(Target, SettingsFileName());
  } catch (...) {
  }
}

void SaveSettings(TSettingsTarget &Target, const QString &FileName) noexcept {
  try {
    TProfileFile File(FileName);
    try {
      WriteAll(File, Target);
    } catch (...) {
      // The keys written so far are still flushed below.
    }
    File.Flush();
  } catch (...) {
  }
}

void SaveSettings(TSettingsTarget &Target) noexcept {
  try {
    SaveSettings(Target, SettingsFileName());
  } catch (...) {
  }
}
