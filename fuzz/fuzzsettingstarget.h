#pragma once

#include "settings/settingstarget.h"

// A settings target that only keeps what it is given, with the main window's start values:
// the settings code, not a window's reaction to it, is under test.
class TPlainSettingsTarget : public TSettingsTarget {
public:
  QString OpenPath() const override { return FOpenPath; }
  void SetOpenPath(const QString &Value) override { FOpenPath = Value; }
  QString SavePath() const override { return FSavePath; }
  void SetSavePath(const QString &Value) override { FSavePath = Value; }
  int QualityPosition() const override { return FQuality; }
  void SetQualityPosition(int Value) override { FQuality = Value; }

  QString LabelFontName() const override { return FFontName; }
  void SetLabelFontName(const QString &Value) override { FFontName = Value; }
  int LabelFontSize() const override { return FFontSize; }
  void SetLabelFontSize(int Points) override { FFontSize = Points; }
  std::int32_t LabelFontColor() const override { return FFontColor; }
  void SetLabelFontColor(std::int32_t Value) override { FFontColor = Value; }
  bool LabelFontHasStyle(TStyleFlag Flag) const override { return FStyles & Bit(Flag); }
  void AddLabelFontStyle(TStyleFlag Flag) override { FStyles |= Bit(Flag); }

  QString LabelText() const override { return FLabelText; }
  void SetLabelText(const QString &Value) override { FLabelText = Value; }
  void SetEditText(const QString &Value) override { FLabelText = Value.trimmed(); }

  int LabelLeft() const override { return FLeft; }
  void SetLabelLeft(int Value) override { FLeft = Value; }
  int LabelTop() const override { return FTop; }
  void SetLabelTop(int Value) override { FTop = Value; }
  int WatermarkLeft() const override { return FWatermarkLeft; }
  void SetWatermarkLeft(int Value) override { FWatermarkLeft = Value; }
  int WatermarkTop() const override { return FWatermarkTop; }
  void SetWatermarkTop(int Value) override { FWatermarkTop = Value; }

  int FrameWidth() const override { return 480; }
  int FrameHeight() const override { return 272; }
  QString FormFontName() const override { return QStringLiteral("Tahoma"); }
  int FormFontSize() const override { return 8; }
  std::int32_t FormFontColor() const override { return WindowText; }

private:
  static constexpr std::int32_t WindowText = std::int32_t(0x80000008u);
  static unsigned Bit(TStyleFlag Flag) { return 1u << unsigned(Flag); }

  QString FOpenPath, FSavePath;
  int FQuality = 10;
  QString FFontName = QStringLiteral("Tahoma");
  int FFontSize = 8;
  std::int32_t FFontColor = WindowText;
  unsigned FStyles = 0;
  QString FLabelText;
  int FLeft = 470, FTop = 252, FWatermarkLeft = 470, FWatermarkTop = 252;
};
