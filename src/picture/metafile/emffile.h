#pragma once

#include "picture/codecs/byteview.h"
#include "picture/metafile/gdi/mfrecord.h"

#include <vector>

// The header of an enhanced metafile, as far as playing it needs.
struct TEmfHeader {
  TMfRect Bounds;     // what the records draw, in reference-device pixels, edges inclusive
  TMfRect Frame;      // the picture's frame in 0.01 mm, edges inclusive
  qint32 DeviceWidth = 0, DeviceHeight = 0;  // the reference device in pixels
  double DeviceWidthMm = 0, DeviceHeightMm = 0;  // ... and in millimetres
  quint32 Handles = 0;  // size of the object table (index 0 is reserved)
  qint64 HeaderSize = 0;

  // Reference-device pixels per millimetre, 96 dpi when the header's metrics are unusable.
  double PixelsPerMmX() const;
  double PixelsPerMmY() const;
};

struct TEmfFile {
  TEmfHeader Header;
  // The records after the header, up to and without the end-of-file record.
  std::vector<TMfRecord> Records;
};

// True when the data starts like an enhanced metafile (header record and " EMF" signature).
bool LooksLikeEmf(TByteView Data);

// Reads and checks the header and the whole record chain: the header record must be whole,
// carry the signature and keep its description inside itself; every
// record must be at least 8 bytes, a multiple of 4 and lie inside the data. The chain ends at
// the end-of-file record, or at the data's end when that falls between records (fewer than
// 8 bytes left) and the header's file size is reached. Anything else throws "Metafile is not
// valid".
TEmfFile ReadEmf(TByteView Data);
