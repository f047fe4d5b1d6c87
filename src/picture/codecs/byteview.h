#pragma once

#include <QtGlobal>

#include <cstring>

// A bounded view of little-endian bytes, the way bitmap and metafile code reads file data.
//
// Every read checks its offset and length against the view in 64-bit arithmetic and yields 0
// outside it, so no read can leave the data whatever a file claims. Callers still check with
// Has() that a structure is present before trusting it: a zero read is safe, not meaningful.
class TByteView {
public:
  TByteView() = default;
  TByteView(const uchar *Data, qint64 Size)
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
  TByteView Sub(qint64 Offset, qint64 Length) const {
    return Has(Offset, Length) ? TByteView(FData + Offset, Length) : TByteView();
  }

private:
  const uchar *FData = nullptr;
  qint64 FSize = 0;
};
