#pragma once

#include <QString>

#include <cstdint>

enum class TStyleFlag { Bold, Italic, Underline, StrikeOut };

// What the settings file is loaded into and saved from: the main window's fields and
// controls, seen through plain values so the settings code needs no widgets. The main window
// implements it over its own members; each call acts at once, like setting a control's
// property (so a font or text change resizes the right-justified label there and then).
//
// Colours are TColor values: 0x00BBGGRR for a plain colour, negative for a system colour.
// Any member may throw; the settings code swallows it and stops at that point.
class TSettingsTarget {
public:
  virtual ~TSettingsTarget() = default;

  // FOpenPath and FSavePath: folders with their trailing separator, or empty.
  virtual QString OpenPath() const = 0;
  virtual void SetOpenPath(const QString &Value) = 0;
  virtual QString SavePath() const = 0;
  virtual void SetSavePath(const QString &Value) = 0;

  // QualityTrackBar's position (5 to 10).
  virtual int QualityPosition() const = 0;
  virtual void SetQualityPosition(int Value) = 0;

  // WatermarkLabel's font: face name, size in points, colour and style.
  virtual QString LabelFontName() const = 0;
  virtual void SetLabelFontName(const QString &Value) = 0;
  virtual int LabelFontSize() const = 0;
  virtual void SetLabelFontSize(int Points) = 0;
  virtual std::int32_t LabelFontColor() const = 0;
  virtual void SetLabelFontColor(std::int32_t Value) = 0;
  virtual bool LabelFontHasStyle(TStyleFlag Flag) const = 0;
  // Adds Flag to the style; the other flags stay as they are.
  virtual void AddLabelFontStyle(TStyleFlag Flag) = 0;

  // WatermarkLabel's text, and WatermarkEdit's: setting the edit box's text runs its
  // text-changed handler (trim, show in the label, show the label when not empty).
  virtual QString LabelText() const = 0;
  virtual void SetLabelText(const QString &Value) = 0;
  virtual void SetEditText(const QString &Value) = 0;

  // WatermarkLabel's position in the wallpaper frame.
  virtual int LabelLeft() const = 0;
  virtual void SetLabelLeft(int Value) = 0;
  virtual int LabelTop() const = 0;
  virtual void SetLabelTop(int Value) = 0;

  // FWatermarkLeft and FWatermarkTop: the label's position as loaded.
  virtual int WatermarkLeft() const = 0;
  virtual void SetWatermarkLeft(int Value) = 0;
  virtual int WatermarkTop() const = 0;
  virtual void SetWatermarkTop(int Value) = 0;

  // The wallpaper frame's size (480 x 272): a stored position at or beyond it is ignored.
  virtual int FrameWidth() const = 0;
  virtual int FrameHeight() const = 0;

  // The main window's own font, which the label starts with ("Tahoma", 8, clWindowText).
  virtual QString FormFontName() const = 0;
  virtual int FormFontSize() const = 0;
  virtual std::int32_t FormFontColor() const = 0;
};
