#pragma once

#include "picture/codecs/byteview.h"

#include <QImage>
#include <QList>

// A device-independent bitmap (DIB), the pixel layout BMP files, icon entries and metafile
// bitmap records share:
//
//   header      12 bytes (OS/2 1.x core), 16 or 64 (OS/2 2.x), 40 (info), 52, 56,
//               108 (V4) or 124 (V5)
//   [masks]     red, green, blue [, alpha] as 32-bit words, only after a 40-byte header
//               with bit-field coding (the longer headers hold them inside)
//   [colours]   the colour table: 3-byte B, G, R entries after a core header, 4-byte
//               B, G, R, 0 entries otherwise (2-byte palette indices in some metafiles)
//   pixels      rows of Width pixels, each padded to a multiple of 4 bytes, the bottom row
//               first unless the header's height is negative; or run-length codes
//
// Everything here reads through the bounded byte view: no value a file claims can make a
// read leave its data.

enum class TDibCoding { Rgb, BitFields, Rle8, Rle4, Rle24, Jpeg, Png };

// Whose rules a header is read by.
//   File      BMP files and icon entries: the header sizes above only, one plane, masks
//             that lie inside the data; coding 4 is OS/2 24-bit runs, 5 is refused.
//   Metafile  bitmaps in metafile records: a core header or any header of 40 bytes or
//             more, planes unchecked, masks beyond the data read as 0; codings 4 and 5
//             are an embedded JPEG or PNG picture, which the caller decodes.
enum class TDibRules { File, Metafile };

struct TDibInfo {
  qint64 HeaderSize = 0;
  qint64 Width = 0;
  qint64 Height = 0; // number of rows, always above 0
  bool TopDown = false;
  int BitCount = 0;
  TDibCoding Coding = TDibCoding::Rgb;
  quint32 Masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha (16 and 32 bits)
  qint64 TableOffset = 0;          // where the colour table starts, from the header's start
  qint64 TableEntries = 0;         // entries the header declares (File: may exceed 2^BitCount)
  int EntrySize = 4;
  qint64 Stride = 0; // bytes from one row to the next; 0 for rows padded to 4 bytes

  qint64 TableEnd() const { return TableOffset + TableEntries * EntrySize; }
  // Bytes of one uncompressed row, padding included.
  qint64 RowBytes() const { return Stride > 0 ? Stride : (Width * BitCount + 31) / 32 * 4; }
  // Entries an index can reach: 2^BitCount for 1 to 8 bits, none above.
  qint64 IndexRange() const { return BitCount >= 1 && BitCount <= 8 ? qint64(1) << BitCount : 0; }
};

// Reads the header at the start of Data. False when it is no bitmap header the rules know
// or describes no bitmap: an unknown header size, a bit count its coding does not allow, a
// width or height of 0, a negative width, or top-down rows with run-length coding.
bool ReadDibInfo(TByteView Data, TDibInfo &Info, TDibRules Rules = TDibRules::File);

// The colour table of B, G, R entries from Table, the bytes that hold it (possibly fewer
// than declared): IndexRange() entries, those the header leaves out or the bytes lack being
// black.
QList<QRgb> ReadDibColourTable(const TDibInfo &Info, TByteView Table);

// How DecodeDibPixels gives its pixels back. By default as Format_RGB32, top row first.
struct TDibPixels {
  // 16 and 32 bits: the alpha mask's field (the fourth byte for plain 32-bit pixels) becomes
  // the alpha of a Format_ARGB32 image, unchanged and unchecked; 0 without an alpha mask.
  bool KeepAlpha = false;
  // 1 to 8 bits: a Format_Indexed8 image with the colour table, the indices as stored.
  bool Indexed = false;
  // Run-length codes: the pixels they skip stay transparent in a Format_ARGB32 image,
  // instead of taking colour table entry 0 (black for 24-bit runs).
  bool ClearSkipped = false;
};

// Decodes the pixel data in Bits to a Width x Height image. A bit-field channel of n bits
// is scaled to 0..255 with rounding, so that a full field gives 255 and each value the
// nearest of the 256.
//
// Uncompressed rows must all be present, or it throws Invalid. Run-length data may end
// early or skip pixels (see ClearSkipped), and runs that leave the picture are cut off at
// its edge. Embedded JPEG and PNG pictures throw Invalid. Throws "Picture too large (W x H
// pixels)" (rasterlimits.h) before allocating anything for a picture beyond the raster
// limits, and "Out of memory" when the pixels cannot be allocated.
QImage DecodeDibPixels(const TDibInfo &Info, const QList<QRgb> &Table, TByteView Bits,
                       const TDibPixels &How, const char *Invalid);
