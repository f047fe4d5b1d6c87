#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QList>

// A device-independent bitmap (DIB), the pixel layout BMP files and icon entries share:
//
//   header      12 bytes (OS/2 1.x core), 16 or 64 (OS/2 2.x), 40 (info), 52, 56,
//               108 (V4) or 124 (V5)
//   [masks]     red, green, blue [, alpha] as 32-bit words, only after a 40-byte header
//               with bit-field coding (the longer headers hold them inside)
//   [colours]   the colour table: 3-byte B, G, R entries after a core header, 4-byte
//               B, G, R, 0 entries otherwise
//   pixels      rows of Width pixels, each padded to a multiple of 4 bytes, the bottom row
//               first unless the header's height is negative; or run-length codes
//
// Everything here reads through bounds-checked views: no value a file claims can make a
// read leave its data.

enum class TDibCoding { Rgb, BitFields, Rle8, Rle4, Rle24 };

struct TDibInfo {
  qint64 HeaderSize = 0;
  qint64 Width = 0;
  qint64 Height = 0; // number of rows, always above 0
  bool TopDown = false;
  int BitCount = 0;
  TDibCoding Coding = TDibCoding::Rgb;
  quint32 Masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha (bit fields only)
  qint64 TableOffset = 0;          // where the colour table starts, from the header's start
  qint64 TableEntries = 0;         // entries the header declares; may exceed 2^BitCount
  int EntrySize = 4;

  qint64 TableEnd() const { return TableOffset + TableEntries * EntrySize; }
  // Bytes of one uncompressed row, padding included.
  qint64 RowBytes() const { return (Width * BitCount + 31) / 32 * 4; }
  // Entries an index can reach: 2^BitCount for 1 to 8 bits, none above.
  qint64 IndexRange() const { return BitCount <= 8 ? qint64(1) << BitCount : 0; }
};

// Reads the header at the start of Data. False when it is no bitmap header this program
// knows or describes no bitmap: an unknown header size, planes other than 1, a bit count
// its coding does not allow, a width or height of 0, a negative width, top-down rows with
// run-length coding, or JPEG, PNG and Huffman coded pixels.
bool ReadDibInfo(QByteArrayView Data, TDibInfo &Info);

// The colour table from Table, the bytes that hold it (possibly fewer than declared):
// IndexRange() entries, those the header leaves out or the bytes lack being black.
QList<QRgb> ReadDibColourTable(const TDibInfo &Info, QByteArrayView Table);

// Decodes the pixel data in Bits to a Width x Height image of Format_RGB32, top row first.
// KeepAlpha (32 bits a pixel only) keeps the fourth byte, or the alpha mask's field, as the
// alpha of a Format_ARGB32 image, unchanged and unchecked.
//
// Uncompressed rows must all be present, or it throws Invalid. Run-length data may end
// early or skip pixels; those keep colour table entry 0 (black for 24-bit runs), and runs
// that leave the picture are cut off at its edge. Throws "Picture too large (W x H pixels)"
// (rasterlimits.h) before allocating anything for a picture beyond the raster limits, and
// "Out of memory" when the pixels cannot be allocated.
QImage DecodeDibPixels(const TDibInfo &Info, const QList<QRgb> &Table, QByteArrayView Bits,
                       bool KeepAlpha, const char *Invalid);
