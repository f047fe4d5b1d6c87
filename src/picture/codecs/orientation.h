#pragma once

#include <QByteArray>
#include <QImage>

// The EXIF Orientation tag (1 to 8) of an EXIF block, read with libexif. The block may start
// with the "Exif\0\0" header or directly with the TIFF header ("II*\0" or "MM\0*"), as WebP
// writers store it. 1 (upright) when the block is empty, damaged, has no tag or an
// undefined value: a picture is never refused for its metadata.
int ExifOrientation(const QByteArray &Exif);

// Makes Image upright from the EXIF Orientation it was stored with: 2 mirrors it left to
// right, 3 turns it half round, 4 mirrors it top to bottom, 5 transposes it, 6 turns it a
// quarter clockwise, 7 transposes it across the other diagonal, 8 turns it a quarter
// anticlockwise. Other values leave it as it is. Throws "Out of memory" when the turned
// pixels cannot be allocated.
void MakeUpright(QImage &Image, int Orientation);
