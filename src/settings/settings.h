#pragma once

#include "settings/settingstarget.h"

#include <QString>

// "Zelvane.ini" in the folder of the running executable, or in the user's configuration
// folder where the executable's folder takes no files (see SettingsFileNameIn). Throws
// std::runtime_error when the executable's folder is unknown (no application object).
QString SettingsFileName();

// Where the settings file lives, given the executable's folder, whether that folder lets
// this user create files, and the user's configuration folder for this program:
//
//   ExeFolder/Zelvane.ini exists?  -- yes -->  ExeFolder/Zelvane.ini
//              | no
//   ExeFolderWritable?             -- yes -->  ExeFolder/Zelvane.ini
//              | no
//   ConfigFolder empty?            -- yes -->  ExeFolder/Zelvane.ini   (nowhere better)
//              | no
//   ConfigFolder/Zelvane.ini, the folder made when missing
//
// A program run from its build or unpacked folder keeps its file beside itself; an installed
// one (in /usr/bin, which its users cannot write) keeps it in ~/.config/Zelvane. A file that
// already lies beside the executable always wins, so it can be shipped there on purpose.
QString SettingsFileNameIn(const QString &ExeFolder, bool ExeFolderWritable,
                           const QString &ConfigFolder);

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
