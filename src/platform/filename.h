#pragma once

#include <QString>

// The folder part of a file name, as the save folder is remembered: everything up to and
// including the last separator ("/", "\" or a drive's ":"), or empty when there is none.
//
//   "/home/ann/walls/sea.jpg"  -> "/home/ann/walls/"
//   "C:\Walls\sea.jpg"         -> "C:\Walls\"
//   "C:sea.jpg"                -> "C:"
//   "sea.jpg"                  -> ""
QString FolderPartOf(const QString &FileName);
