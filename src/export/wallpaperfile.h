#pragma once

#include <QImage>
#include <QString>

// Writes the capture as the wallpaper JPEG at Quality (the quality slider's position x 10)
// to FileName, in this order:
//
//   1. make the file (beside any existing one)  -> "Cannot create file "%s". %s"
//   2. encode the whole capture in memory       -> "JPEG error #%d"
//   3. write it and put it in place             -> "Cannot create file "%s". %s"
//
// The name is used as given: no extension is checked or added. Whatever fails, an earlier
// file of that name is left as it was and nothing new remains.
void WriteWallpaperFile(const QImage &Capture, int Quality, const QString &FileName);
