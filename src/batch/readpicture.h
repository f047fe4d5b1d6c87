#pragma once

#include "picture/kinds/picture.h"

#include <QString>

#include <memory>

// Reads and decodes a picture file as Open Image does (LoadPictureFromFile: the decoder by
// the extension, the same messages), and decodes its pixels now: a JPEG's are otherwise
// decoded at its first draw, which would put the decoding on the thread that draws. Safe on
// any thread; the picture it gives is drawn on the user-interface thread.
//
// A JPEG whose pixels cannot be decoded past its header throws the decoder's message, the
// one the window reports once it has drawn the picture, and again at Save Wallpaper, which
// writes nothing for it: a white wallpaper for a damaged photograph would report failure as
// success.
std::unique_ptr<TPicture> ReadPicture(const QString &FileName);
