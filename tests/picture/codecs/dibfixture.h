#pragma once

// Small BMP files and DIBs built field by field for tests, so that a test can set exactly
// the field it is about. Pixels are given top row first as plain values: colour indices
// for 1 to 8 bits, the raw little-endian word for 16 and 32 bits, 0xRRGGBB for 24 bits.

#include <QByteArray>
#include <QList>
#include <QRgb>

namespace DibFixture {

inline void Put16(QByteArray &Out, quint32 V) {
  Out.append(char(V & 0xFF)).append(char((V >> 8) & 0xFF));
}

inline void Put32(QByteArray &Out, quint32 V) {
  Put16(Out, V & 0xFFFF);
  Put16(Out, V >> 16);
}

struct TInfoHeader {
  qint32 Width = 1;
  qint32 Height = 1;
  quint16 Planes = 1;
  quint16 BitCount = 24;
  quint32 Compression = 0;
  quint32 ImageSize = 0;
  quint32 ColoursUsed = 0;
  quint32 Size = 40;          // 40, 52, 56, 108 or 124; the fields past 40 are written as zero
  QList<quint32> HeaderMasks; // written at 40 for headers of 52 bytes and more
};

inline QByteArray InfoHeader(const TInfoHeader &H) {
  QByteArray Out;
  Put32(Out, H.Size);
  Put32(Out, quint32(H.Width));
  Put32(Out, quint32(H.Height));
  Put16(Out, H.Planes);
  Put16(Out, H.BitCount);
  Put32(Out, H.Compression);
  Put32(Out, H.ImageSize);
  Put32(Out, 2835);
  Put32(Out, 2835);
  Put32(Out, H.ColoursUsed);
  Put32(Out, 0);
  for (quint32 Mask : H.HeaderMasks)
    Put32(Out, Mask);
  Out.append(QByteArray(qsizetype(H.Size) - Out.size(), '\0'));
  return Out;
}

// OS/2 1.x: size 12, 16-bit width and height, planes, bit count.
inline QByteArray CoreHeader(quint16 Width, quint16 Height, quint16 BitCount) {
  QByteArray Out;
  Put32(Out, 12);
  Put16(Out, Width);
  Put16(Out, Height);
  Put16(Out, 1);
  Put16(Out, BitCount);
  return Out;
}

inline QByteArray Masks(const QList<quint32> &Values) {
  QByteArray Out;
  for (quint32 V : Values)
    Put32(Out, V);
  return Out;
}

// B, G, R[, 0] for each colour.
inline QByteArray ColourTable(const QList<QRgb> &Colours, int EntrySize = 4) {
  QByteArray Out;
  for (QRgb C : Colours) {
    Out.append(char(qBlue(C))).append(char(qGreen(C))).append(char(qRed(C)));
    if (EntrySize == 4)
      Out.append('\0');
  }
  return Out;
}

// Uncompressed rows, each padded to 4 bytes, the bottom row first unless TopDown.
inline QByteArray Rows(const QList<QList<quint32>> &TopFirst, int BitCount, bool TopDown = false) {
  QByteArray Out;
  for (qsizetype R = 0; R < TopFirst.size(); ++R) {
    const QList<quint32> &Row = TopFirst[TopDown ? R : TopFirst.size() - 1 - R];
    QByteArray Bytes;
    if (BitCount <= 8) {
      Bytes.fill('\0', (Row.size() * BitCount + 7) / 8);
      for (qsizetype X = 0; X < Row.size(); ++X) {
        const qsizetype Bit = X * BitCount;
        Bytes[Bit / 8] = char(uchar(Bytes[Bit / 8]) | (Row[X] << (8 - BitCount - Bit % 8)));
      }
    } else {
      for (quint32 V : Row)
        for (int Byte = 0; Byte < BitCount / 8; ++Byte)
          Bytes.append(char((V >> (8 * Byte)) & 0xFF));
    }
    while (Bytes.size() % 4)
      Bytes.append('\0');
    Out += Bytes;
  }
  return Out;
}

// "BM", file size, reserved, pixel offset; then the header and table, then the pixels.
// Offset -1 puts the pixels right after HeaderAndTable.
inline QByteArray BmpFile(const QByteArray &HeaderAndTable, const QByteArray &Pixels,
                          qint64 Offset = -1) {
  QByteArray Out("BM");
  const qint64 PixelOffset = Offset < 0 ? 14 + HeaderAndTable.size() : Offset;
  Put32(Out, quint32(14 + HeaderAndTable.size() + Pixels.size()));
  Put32(Out, 0);
  Put32(Out, quint32(PixelOffset));
  Out += HeaderAndTable;
  if (Out.size() < PixelOffset)
    Out.append(QByteArray(PixelOffset - Out.size(), '\0'));
  return Out + Pixels;
}

} // namespace DibFixture
