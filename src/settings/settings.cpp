#include "settings/settings.h"
#include "settings/profile.h"

namespace {

const QString Config = QStringLiteral("config");
const QString Watermark = QStringLiteral("watermark");

// Keys of the config section.
const QString OpenPathKey = QStringLiteral("openpath");
const QString SavePathKey = QStringLiteral("savepath");
const QString QualityKey = QStringLiteral("quality");
const QString SmoothKey = QStringLiteral("smooth");
// Keys of the watermark section.
const QString FontNameKey = QStringLiteral("fontname");
const QString FontSizeKey = QStringLiteral("fontsize");
const QString FontColorKey = QStringLiteral("fontcolor");
const QString TextKey = QStringLiteral("text");
const QString LeftKey = QStringLiteral("left");
const QString TopKey = QStringLiteral("top");

struct TStyleKey {
  TFontStyle Style;
  const char16_t *Key;
};

// In the order they are read and written.
constexpr TStyleKey StyleKeys[] = {
    {fsBold, u"fontbold"},
    {fsItalic, u"fontitalic"},
    {fsUnderline, u"fontunderline"},
    {fsStrikeOut, u"fontstrikeOut"},
};

// A stored position is used when it puts the label's near edge inside the frame.
bool InsideFrame(int Value, int FrameSize) { return Value > 0 && Value < FrameSize; }

template <class T> void SetWhen(std::optional<T> &Field, const T &Value, bool Applies) {
  if (Applies)
    Field = Value;
}

void ReadAll(const TProfileFile &File, QSize Frame, TSettings &S) {
  S.OpenPath = File.ReadString(Config, OpenPathKey, QString());
  S.SavePath = File.ReadString(Config, SavePathKey, QString());
  const int Quality = File.ReadInteger(Config, QualityKey, 0);
  SetWhen(S.Quality, Quality, Quality >= 5 && Quality <= 10);
  SetWhen(S.Smooth, true, File.ReadInteger(Config, SmoothKey, 0) == 1);

  const QString FontName = File.ReadString(Watermark, FontNameKey, QString());
  SetWhen(S.FontName, FontName, !FontName.isEmpty());
  const int FontSize = File.ReadInteger(Watermark, FontSizeKey, 0);
  SetWhen(S.FontSize, FontSize, FontSize > 0);
  const int FontColor = File.ReadInteger(Watermark, FontColorKey, 0);
  SetWhen(S.FontColor, FontColor, FontColor > 0);
  for (const TStyleKey &Style : StyleKeys)
    if (File.ReadBool(Watermark, QString::fromUtf16(Style.Key), false))
      S.FontStyle = S.FontStyle.value_or(0) | Style.Style;

  const QString Text = File.ReadString(Watermark, TextKey, QString());
  SetWhen(S.Text, Text, !Text.isEmpty());
  const int Left = File.ReadInteger(Watermark, LeftKey, 0);
  SetWhen(S.Left, Left, InsideFrame(Left, Frame.width()));
  const int Top = File.ReadInteger(Watermark, TopKey, 0);
  SetWhen(S.Top, Top, InsideFrame(Top, Frame.height()));
}

// A text the file cannot hold (a folder whose name holds a line break) leaves its key as the
// file has it, and the keys after it are written as usual: one odd folder name must not cost
// the watermark chosen in the same run.
void WriteText(TProfileFile &File, const QString &Section, const QString &Key,
               const QString &Value) {
  if (TProfileFile::StorableValue(Value))
    File.WriteString(Section, Key, Value);
}

void WriteAll(TProfileFile &File, const TSettings &Values, const TSettings &Start) {
  if (Values.OpenPath && !Values.OpenPath->isEmpty())
    WriteText(File, Config, OpenPathKey, *Values.OpenPath);
  if (Values.SavePath && !Values.SavePath->isEmpty())
    WriteText(File, Config, SavePathKey, *Values.SavePath);
  if (Values.Quality)
    File.WriteInteger(Config, QualityKey, *Values.Quality);
  if (Values.Smooth && (*Values.Smooth || File.ValueExists(Config, SmoothKey)))
    File.WriteBool(Config, SmoothKey, *Values.Smooth);

  // A key that only differs from the start value when changed would otherwise keep an older
  // run's value once the user goes back to the start value; writing it whenever the file
  // holds it makes the last choice stick.
  const auto Due = [&File](const QString &Key, const auto &Value, const auto &AtStart) {
    return Value && (Value != AtStart || File.ValueExists(Watermark, Key));
  };

  if (Due(FontNameKey, Values.FontName, Start.FontName))
    WriteText(File, Watermark, FontNameKey, *Values.FontName);
  if (Due(FontSizeKey, Values.FontSize, Start.FontSize))
    File.WriteInteger(Watermark, FontSizeKey, *Values.FontSize);
  if (Due(FontColorKey, Values.FontColor, Start.FontColor))
    File.WriteInteger(Watermark, FontColorKey, *Values.FontColor);
  if (Values.FontStyle)
    for (const TStyleKey &Style : StyleKeys)
      File.WriteBool(Watermark, QString::fromUtf16(Style.Key),
                     (*Values.FontStyle & Style.Style) != 0);

  if (Due(LeftKey, Values.Left, Start.Left))
    File.WriteInteger(Watermark, LeftKey, *Values.Left);
  if (Due(TopKey, Values.Top, Start.Top))
    File.WriteInteger(Watermark, TopKey, *Values.Top);

  if (Values.Text)
    WriteText(File, Watermark, TextKey, *Values.Text);
}

} // namespace

TSettings LoadSettings(const QString &FileName, QSize Frame) noexcept {
  TSettings Values;
  try {
    const TProfileFile File(FileName);
    ReadAll(File, Frame, Values);
  } catch (...) {
    // What was read stays read.
  }
  return Values;
}

void SaveSettings(const TSettings &Values, const TSettings &Start,
                  const QString &FileName) noexcept {
  try {
    TProfileFile File(FileName);
    try {
      WriteAll(File, Values, Start);
    } catch (...) {
      // The keys written so far are still flushed below.
    }
    File.Flush();
  } catch (...) {
  }
}
