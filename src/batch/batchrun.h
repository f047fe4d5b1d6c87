#pragma once

#include "batch/options/batchoptions.h"

#include <QString>

#include <functional>

// The outcome of one input: its wallpaper was written when Error is empty; otherwise Error
// is the text the window's error report would show for the failure, and nothing was written.
struct TBatchResult {
  QString Input;
  QString Output;
  QString Error;
};

using TBatchProgress = std::function<void(const TBatchResult &Result)>;

// Makes the wallpaper of every input file, Jobs of them at a time, each named as
// WallpaperNames gives (outputnames.h) in the options' output folder.
//
//   worker thread (one per job)             user-interface thread (the caller's)
//   ---------------------------             ------------------------------------
//   make the output file (nothing named yet:
//     an existing name fails here unless
//     Overwrite; so does a folder that
//     cannot take it)
//   ReadPicture: read and decode    ------> ComposeWallpaper: the frame's widgets, the
//                                           steps, the capture; the picture released
//   encode the capture, write it    <------
//
// A worker holds one picture at a time, so at most Jobs decoded pictures exist at once, and
// each picture is decoded once. What the frame shows is made only on the calling thread,
// which must be the one that created the QApplication; it also calls Progress, once for
// every input in the order they finish. Returns when every input is done. Never throws for
// a picture: each failure is its result's Error.
void RunBatch(const TBatchOptions &Options, int Jobs, const TBatchProgress &Progress);
