#pragma once

#include "settings/settingslocation.h"
#include "settings/settingstarget.h"

#include <QString>

// Reads the settings file into Target, key by key:
//
//   [config]     openpath, savepath, quality (applied when 5..10)
//   [watermark]  fontname, fontsize, fontcolor, fontbold, fontitalic, fontunderline,
//                fontstrikeOut, text, left, top
//
// Font before text before position, so a label comes back exactly where it stood. A value
// that fails its test (empty text, a size or colour of 0 or less, a left or top of 0 or less
// or at or beyond the frame's size, a flag that is no non-zero integer) is skipped. An error
// ends the reading where it happens, keeping what was applied before. Never throws.
// An empty FileName (see SettingsFileNameIn) is read as a missing file and never written.
void LoadSettings(TSettingsTarget &Target, const QString &FileName) noexcept;
void LoadSettings(TSettingsTarget &Target) noexcept;

// Writes Target's values into the settings file, keeping every other key and line there:
// openpath and savepath when not empty; quality and the four style flags always; fontname,
// fontsize and fontcolor when they differ from the main window's font, left and top when they
// differ from FWatermarkLeft and FWatermarkTop, and each of these five also whenever the file
// already holds it (so going back to the start value sticks); text last, always. An error ends
// the writing where it happens; what was written before it still reaches the file. Never
// throws, and reports nothing.
void SaveSettings(TSettingsTarget &Target, const QString &FileName) noexcept;
void SaveSettings(TSettingsTarget &Target) noexcept;
