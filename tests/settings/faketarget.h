#pragma once

#include "settings/settingstarget.h"

#include <QDebug>
#include <QStringList>

#include <cstdint>
#include <stdexcept>

inline constexpr std::int32_t FakeWindowText = static_cast<std::int32_t>(0x80000008);

// The values a main window exposes to the settings code, comparable as a whole.
struct TFakeState {
  QString OpenPath;
  QString SavePath;
  int Quality = 10;
  QString FontName = QStringLiteral("Tahoma");
  int FontSize = 8;
  std::int32_t FontColor = FakeWindowText;
  unsigned Styles = 0; // bit per TStyleFlag
  QString LabelText;
  QString EditText;
  bool LabelVisible = false;
  int Left = 470;
  int Top = 252;
  int WatermarkLeft = 470;
  int WatermarkTop = 252;

  bool operator==(const TFakeState &) const = default;
};

inline QDebug operator<<(QDebug Debug, const TFakeState &S) {
  QDebugStateSaver Saver(Debug);
  Debug.nospace() << "{open=" << S.OpenPath << " save=" << S.SavePath << " quality=" << S.Quality
                  << " font=" << S.FontName << "/" << S.FontSize << "/" << S.FontColor << "/"
                  << S.Styles << " label=" << S.LabelText << " edit=" << S.EditText
                  << " visible=" << S.LabelVisible << " pos=" << S.Left << "," << S.Top
                  << " watermark=" << S.WatermarkLeft << "," << S.WatermarkTop << "}";
  return Debug;
}

inline unsigned StyleBit(TStyleFlag Flag) { return 1u << static_cast<unsigned>(Flag); }

// A stand-in for the main window. Its label behaves like the real one in the ways the order
// of loading depends on: it is sized to its text and font and right-justified, so a change of
// text or font moves its left edge and keeps its right edge (at 473 in the layout). Its width
// is 3 + length x (size + 1 when bold). The edit box's handler trims, copies to the label
// where different and shows the label when the text is not empty.
//
// Every call is logged by name; the call named FailOn throws instead, as a window could.
class TFakeTarget : public TSettingsTarget {
public:
  TFakeState S;
  QStringList Log;
  QString FailOn;

  static int WidthOf(const QString &Text, int Size, bool Bold) {
    return 3 + static_cast<int>(Text.size()) * (Size + (Bold ? 1 : 0));
  }
  int LabelWidth() const { return WidthOf(S.LabelText, S.FontSize, S.Styles & StyleBit(TStyleFlag::Bold)); }

  QString OpenPath() const override { return Get("OpenPath", S.OpenPath); }
  void SetOpenPath(const QString &V) override { Set("SetOpenPath"); S.OpenPath = V; }
  QString SavePath() const override { return Get("SavePath", S.SavePath); }
  void SetSavePath(const QString &V) override { Set("SetSavePath"); S.SavePath = V; }
  int QualityPosition() const override { return Get("QualityPosition", S.Quality); }
  void SetQualityPosition(int V) override { Set("SetQualityPosition"); S.Quality = V; }

  QString LabelFontName() const override { return Get("LabelFontName", S.FontName); }
  void SetLabelFontName(const QString &V) override {
    Set("SetLabelFontName");
    Resize([&] { S.FontName = V; });
  }
  int LabelFontSize() const override { return Get("LabelFontSize", S.FontSize); }
  void SetLabelFontSize(int V) override {
    Set("SetLabelFontSize");
    Resize([&] { S.FontSize = V; });
  }
  std::int32_t LabelFontColor() const override { return Get("LabelFontColor", S.FontColor); }
  void SetLabelFontColor(std::int32_t V) override { Set("SetLabelFontColor"); S.FontColor = V; }
  bool LabelFontHasStyle(TStyleFlag F) const override {
    return Get("LabelFontHasStyle", (S.Styles & StyleBit(F)) != 0);
  }
  void AddLabelFontStyle(TStyleFlag F) override {
    Set("AddLabelFontStyle" + QString::number(static_cast<int>(F)));
    Resize([&] { S.Styles |= StyleBit(F); });
  }

  QString LabelText() const override { return Get("LabelText", S.LabelText); }
  void SetLabelText(const QString &V) override {
    Set("SetLabelText");
    Resize([&] { S.LabelText = V; });
  }
  void SetEditText(const QString &V) override {
    Set("SetEditText");
    S.EditText = V;
    const QString Trimmed = V.trimmed();
    if (Trimmed != S.LabelText)
      Resize([&] { S.LabelText = Trimmed; });
    S.LabelVisible = !Trimmed.isEmpty();
  }

  int LabelLeft() const override { return Get("LabelLeft", S.Left); }
  void SetLabelLeft(int V) override { Set("SetLabelLeft"); S.Left = V; }
  int LabelTop() const override { return Get("LabelTop", S.Top); }
  void SetLabelTop(int V) override { Set("SetLabelTop"); S.Top = V; }
  int WatermarkLeft() const override { return Get("WatermarkLeft", S.WatermarkLeft); }
  void SetWatermarkLeft(int V) override { Set("SetWatermarkLeft"); S.WatermarkLeft = V; }
  int WatermarkTop() const override { return Get("WatermarkTop", S.WatermarkTop); }
  void SetWatermarkTop(int V) override { Set("SetWatermarkTop"); S.WatermarkTop = V; }

  int FrameWidth() const override { return Get("FrameWidth", 480); }
  int FrameHeight() const override { return Get("FrameHeight", 272); }
  QString FormFontName() const override { return Get("FormFontName", QStringLiteral("Tahoma")); }
  int FormFontSize() const override { return Get("FormFontSize", 8); }
  std::int32_t FormFontColor() const override { return Get("FormFontColor", FakeWindowText); }

private:
  template <class T> T Get(const char *Name, T Value) const {
    if (FailOn == QLatin1String(Name))
      throw std::runtime_error(Name);
    return Value;
  }
  void Set(const QString &Name) {
    if (FailOn == Name)
      throw std::runtime_error(Name.toStdString());
    Log.append(Name);
  }
  template <class F> void Resize(F Change) {
    const int Right = S.Left + LabelWidth();
    Change();
    S.Left = Right - LabelWidth();
  }
};
