#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// The EXIF Orientation of a photo, and putting its pixels upright.
//
// A camera stores the sensor's rows as they came and records how the picture must be turned
// to be seen upright. Orientation values are those of EXIF (TIFF tag 274):
//
//   1 upright      2 mirrored left-right    3 turned half a turn     4 mirrored top-bottom
//   5 transposed   6 turned a quarter right 7 transverse             8 turned a quarter left
//
// 5 to 8 exchange width and height. "Turned a quarter right" is what must be done to the
// stored pixels: stored pixel (x, y) of a W x H picture goes to (H - 1 - y, x).

inline constexpr int UprightOrientation = 1;

// The Orientation tag of an EXIF block read with libexif: the payload of a JPEG APP1 segment
// ("Exif\0\0" and a TIFF header) or a bare TIFF header (as a WebP EXIF chunk may hold it).
// 1 when there is no block, the block cannot be read, or the tag is missing or out of range.
int ExifOrientation(const QByteArray &Exif);

inline bool SwapsSides(int Orientation) { return Orientation >= 5 && Orientation <= 8; }

// The size of a picture of stored size Stored once it is upright.
inline QSize UprightSize(QSize Stored, int Orientation) {
  return SwapsSides(Orientation) ? Stored.transposed() : Stored;
}

// Places rows of stored pixels at their upright places in Upright, a picture of
// UprightSize(Stored) of 4 or 1 byte a pixel, band by band as a decoder gives them, so that
// no second picture is ever held. Bands of a few dozen rows keep the writes of the turning
// orientations to whole cache lines.
class TUprightRows {
public:
  TUprightRows(QImage &Upright, QSize Stored, int Orientation);
  // Rows First to First + Count - 1 of the stored picture; Rows[i] holds row First + i.
  void Place(int First, int Count, const uchar *const *Rows);

private:
  QImage &FUpright;
  QSize FStored;
  int FOrientation;
};

// Makes Image (of 4 or 1 byte a pixel) upright: in place for 1 to 4, through a new picture
// for 5 to 8. Throws "Out of memory" when that picture cannot be had.
void MakeUpright(QImage &Image, int Orientation);
