#pragma once

#include "platform/fonttypes.h"

#include <QSize>
#include <QString>

#include <optional>

// What the settings file carries from one run to the next, one field per key. A field that is
// not set was not read or is not to be applied (loading), or is not to be written (saving).
//
//   [config]     openpath, savepath, quality
//   [watermark]  fontname, fontsize, fontcolor, fontbold, fontitalic, fontunderline,
//                fontstrikeOut, text, left, top
struct TSettings {
  std::optional<QString> OpenPath{}; // FOpenPath: a folder with its trailing separator
  std::optional<QString> SavePath{}; // FSavePath
  std::optional<int> Quality{};      // QualityTrackBar's position
  std::optional<QString> FontName{}; // WatermarkLabel's font
  std::optional<int> FontSize{};     // in points
  std::optional<TColor> FontColor{};
  // Loading: the styles to add to the label's font (a style is never taken away). Saving:
  // the styles the font holds.
  std::optional<TFontStyles> FontStyle{};
  std::optional<QString> Text{}; // WatermarkLabel's text
  std::optional<int> Left{};     // WatermarkLabel's position in the wallpaper frame
  std::optional<int> Top{};

  bool operator==(const TSettings &) const = default;
};

// The values of the settings file that are to be applied. The folders are always set (empty
// when missing); every other field only when its value passes its test: a quality of 5 to 10,
// a font name or text that is not empty, a size or colour greater than 0 (so black and system
// colours never are), at least one style flag that is a non-zero integer, and a left or top
// greater than 0 and inside Frame. An error ends the reading where it happens, keeping what
// was read before. Never throws. An empty FileName (see SettingsFileNameIn) reads as a missing
// file.
//
// The caller applies font, then text, then position, so that the right-justified label
// comes back exactly where it stood.
TSettings LoadSettings(const QString &FileName, QSize Frame) noexcept;

// Writes the set fields of Values into the settings file, keeping every other key and line
// there, in the order: openpath and savepath (when not empty), quality, fontname, fontsize,
// fontcolor, the four style flags, left, top, text. Fontname, fontsize, fontcolor, left and
// top are written only when they differ from Start's (the window's own font, the label's
// position as loaded) or the file already holds the key, so going back to the start value
// sticks. A text the file cannot hold (one with a line break) is skipped: its key stays as
// the file has it. Any other error ends the writing where it happens; what was written before
// it still reaches the file. Never throws, and reports nothing. An empty FileName is never
// written.
void SaveSettings(const TSettings &Values, const TSettings &Start,
                  const QString &FileName) noexcept;
