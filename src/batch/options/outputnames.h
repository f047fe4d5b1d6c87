#pragma once

#include <QString>
#include <QStringList>

// The wallpaper file of each input, in Folder, one for one and in the same order.
//
// Each is named after its input: the file name without its extension (the text after its
// last dot, the one the decoder is chosen by), then ".jpg". An input whose name an earlier
// input of the same list already has gets the first free number instead:
//
//   a/holiday.jpg  b/holiday.png  b/holiday-2.gif  c/holiday.bmp
//   holiday.jpg    holiday-2.jpg  holiday-2-2.jpg  holiday-3.jpg
//
// so no two inputs ever share an output. Names are compared exactly, as the file system
// does. Files already in Folder play no part here.
QStringList WallpaperNames(const QStringList &Inputs, const QString &Folder);
