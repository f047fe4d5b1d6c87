#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

// An icon file:
//
//   directory   reserved 0, type 1, count; then per image 16 bytes: width, height (0 means
//               256), colours, reserved, planes, bit count, size of its data, its offset
//   images      each a PNG file or a DIB (dib.h) whose header counts the rows of
//               the colours and of the AND mask together, followed by the colours and then
//               the mask: one bit a pixel, rows bottom-up and padded to 4 bytes, 1 where
//               the pixel is transparent
//
// The directory's sizes and bit counts are often wrong or 0; the images' own headers are
// believed instead, where they can be read.

// One image listed in an icon file's directory. Offset and Size locate its data, cut to
// the file's end (Size 0 when it starts beyond it).
struct TIconEntry {
  qint64 Width = 0;
  qint64 Height = 0;
  int BitCount = 0;
  bool Png = false;
  qint64 Offset = 0;
  qint64 Size = 0;
};

// The directory. Throws "Icon image is not valid" when the file is no icon file or its
// directory is cut short.
QList<TIconEntry> ReadIconDirectory(const QByteArray &Data);

// The index of the entry shown: the one nearest to 32 x 32 (the sum of the differences of
// width and height), among those the one with most bits a pixel, and of those the first.
int ChooseIconEntry(const QList<TIconEntry> &Entries);

// One decoded icon image, drawn as GDI draws an icon: through the AND mask, then an XOR.
//
//   Image      Format_ARGB32 (not premultiplied): the colours with their alpha, or opaque
//              where the mask is 0 and fully transparent where it is 1
//   Inverted   Format_RGB32, null for most icons: the colours of the pixels whose mask is 1
//              but whose colour is not black, 0 elsewhere. XORed onto what lies beneath,
//              they invert it there
//
// A 32-bit image whose alpha is not all 0 is drawn by its alpha alone, and its mask may be
// missing; other images need their whole mask.
struct TIconImage {
  QImage Image;
  QImage Inverted;
};

// Decodes Entry of the icon file Data. PNG images go through the PNG decoder (pngcodec.h)
// with its limits. Throws "Icon image is not valid" for damaged data, "Picture too large
// (W x H pixels)" (rasterlimits.h) for an image beyond the raster limits before anything
// large is allocated, "Out of memory" when the pixels cannot be allocated.
TIconImage DecodeIconEntry(const QByteArray &Data, const TIconEntry &Entry);
