#pragma once

#include <QImage>
#include <QString>

// Writes Image as Dir/Name.heic (HEVC through libheif's x265 encoder), Name.avif (AV1
// through libheif's libaom encoder) and Name.webp (libwebp), each at quality 80 as cameras
// and web exports make them, with 4:2:0 chroma. Prints each file's size; false when one
// could not be written.
bool WriteFormatPictures(const QImage &Image, const QString &Dir, const QString &Name);
