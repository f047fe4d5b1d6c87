#pragma once

#include "base/fonttypes.h"
#include "base/picturesteps.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the batch does to every picture: the window's controls, set once for all of them.
// They act in the order of the window's road of one wallpaper: the picture opened, the fit
// mode chosen, the zoom slider moved from 10 to Zoom, the turn, the mirror, the watermark
// typed (with its font and colour chosen), Save Wallpaper at Quality. The Smooth box holds
// throughout.
struct TWallpaperSteps {
  TFitMode Fit = TFitMode::None;
  int Zoom = 10;                    // the zoom slider's position, 1 to 10
  std::optional<TTransform> Turn;   // LeftRotate or RightRotate
  std::optional<TTransform> Mirror; // TopMirror or LeftMirror
  QString Watermark;                // as typed into the edit box; the label trims it
  TPlainFont Font;                  // the label's font, its colour included
  int Quality = 100;                // JpegQualityOf the quality slider's position
  bool Smooth = false;              // the Smooth box checked
};

struct TBatchOptions {
  TWallpaperSteps Steps;
  QString OutputFolder;
  QStringList Files;
  int Jobs = 0; // 0: one per processor
  bool Overwrite = false;
};

enum class TBatchAction { Run, Help, Version, Refuse };

// A parsed command line: what to do, and for Help, Version and Refuse the text to print
// (the help, the version line, or what was wrong).
struct TBatchCommand {
  TBatchAction Action = TBatchAction::Run;
  TBatchOptions Options;
  QString Text;
};

// The largest --jobs taken.
inline constexpr int MaxBatchJobs = 1024;

// Parses the whole command line, program name first (GNU conventions: long options with
// "--name value" or "--name=value", -o and -j as short forms, "--" ends the options). Looks
// at nothing outside the arguments: whether the output folder exists is the caller's
// business. Help and version win over every other option; anything not understood, a value
// out of range, a missing --output or no FILE refuses the whole command.
TBatchCommand ParseBatchCommand(const QStringList &Arguments);

// The version line, "zelvane-batch <version>".
QString BatchVersionText();
