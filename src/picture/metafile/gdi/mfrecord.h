#pragma once

#include <QtGlobal>

// One record of a metafile: its type (EMF record type or WMF function number) and where its
// bytes lie in the file. The reader has checked that they lie inside it.
struct TMfRecord {
  quint32 Type = 0;
  qint64 Offset = 0;
  qint64 Size = 0;
};

// A rectangle as metafiles store it: four signed edges, not normalised.
struct TMfRect {
  qint32 Left = 0;
  qint32 Top = 0;
  qint32 Right = 0;
  qint32 Bottom = 0;

  qint64 Width() const { return qint64(Right) - Left; }
  qint64 Height() const { return qint64(Bottom) - Top; }
};

// "Metafile is not valid": every load failure of a metafile gives this text.
inline const char *MetafileInvalidMessage() { return "Metafile is not valid"; }
