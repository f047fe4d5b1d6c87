#pragma once

#include "picture/codecs/byteview.h"
#include "picture/metafile/gdi/mfrecord.h"

#include <vector>

// A Windows metafile: an optional 22-byte placeable header, the 18-byte metafile header and
// the records.
struct TWmfFile {
  bool Placeable = false;
  // The placeable header's bounding box, in the metafile's logical units, and its units per
  // inch (as stored; 0 is possible in damaged files).
  TMfRect Box;
  quint16 UnitsPerInch = 0;
  // Size of the object table from the metafile header.
  quint16 Objects = 0;
  // The records after the header, up to and without the end-of-file record. Type is the
  // record's function number; Offset and Size are in bytes.
  std::vector<TMfRecord> Records;
};

// The placeable header's key, its first four bytes.
constexpr quint32 WmfPlaceableKey = 0x9AC6CDD7;

// True when the data starts with a placeable header or a plausible metafile header.
bool LooksLikeWmf(TByteView Data);

// Reads and checks the headers and the whole record chain: the metafile header must have
// type 1 or 2, a size of 9 words and version 0x100 or 0x300; every record must be at least
// 3 words and lie inside the data. The chain ends at the end-of-file record (function 0), or
// at the data's end when that falls between records (fewer than 6 bytes left) and the
// header's file size is reached. Anything else throws "Metafile is not valid". The
// placeable header's checksum is not checked: real files carry wrong ones.
TWmfFile ReadWmf(TByteView Data);
