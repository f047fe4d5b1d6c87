#pragma once

#include <QtGlobal>

#include <cstring>

// A bounded view of little-endian bytes, the only way metafile code reads file data.
//
// Every read checks its offset and length against the view in 64-bit arithmetic and yields 0
// outside it, so no read can leave the data whatever a file claims. Callers still check with
// Has() that a structure is present before trusting it: a zero read is safe, not meaningful.
class TMfBytes {
public:
  TMfBytes() = default;
  TMfBytes(const uchar *Data, qint64 Size)
      : FData(Data), FSize(Data != nullptr && Size > 0 ? Size : 0) {}

  const uchar *Data() const { return FData; }
  qint64 Size() const { return FSize; }
  bool Empty() const { return FSize == 0; }

  // True when [Offset, Offset + Length) lies inside the view.
  bool Has(qint64 Offset, qint64 Length) const {
    return Offset >= 0 && Length >= 0 && Offset <= FSize && Length <= FSize - Offset;
  }

  quint8 U8(qint64 Offset) const { return Has(Offset, 1) ? FData[Offset] : 0; }
  quint16 U16(qint64 Offset) const {
    if (!Has(Offset, 2))
      return 0;
    return static_cast<quint16>(FData[Offset] | (FData[Offset + 1] << 8));
  }
  qint16 I16(qint64 Offset) const { return static_cast<qint16>(U16(Offset)); }
  quint32 U32(qint64 Offset) const {
    if (!Has(Offset, 4))
      return 0;
    return quint32(FData[Offset]) | (quint32(FData[Offset + 1]) << 8) |
           (quint32(FData[Offset + 2]) << 16) | (quint32(FData[Offset + 3]) << 24);
  }
  qint32 I32(qint64 Offset) const { return static_cast<qint32>(U32(Offset)); }
  float F32(qint64 Offset) const {
    const quint32 Bits = U32(Offset);
    float Value;
    std::memcpy(&Value, &Bits, sizeof Value);
    return Value;
  }

  // The part [Offset, Offset + Length), or an empty view when it does not lie inside.
  TMfBytes Sub(qint64 Offset, qint64 Length) const {
    return Has(Offset, Length) ? TMfBytes(FData + Offset, Length) : TMfBytes();
  }

private:
  const uchar *FData = nullptr;
  qint64 FSize = 0;
};

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
