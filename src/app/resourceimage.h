#pragma once

#include <QImage>
#include <QString>

// A picture the program carries in its resources, read by Qt's own reader for Format ("png",
// "bmp"). Told the format and kept from guessing, the reader does not first load every image
// format plugin installed to ask whether it reads the file (three libraries here, at the
// first picture a program reads), which the program's own PNGs and BMPs never need. A null
// image when the picture cannot be read.
QImage ResourceImage(const QString &Name, const char *Format);
