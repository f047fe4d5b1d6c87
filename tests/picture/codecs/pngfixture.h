#pragma once

// Small PNG files built chunk by chunk for tests, independent of libpng: zlib compresses
// the image data and computes the CRCs, everything else is written byte by byte, so a test
// can damage exactly the part it is about.

#include <QByteArray>
#include <QList>

#include <zlib.h>

namespace PngFixture {

inline QByteArray BigEndian32(quint32 V) {
  QByteArray B(4, '\0');
  B[0] = char(V >> 24), B[1] = char(V >> 16), B[2] = char(V >> 8), B[3] = char(V);
  return B;
}

inline QByteArray Signature() { return QByteArray("\x89PNG\r\n\x1a\n", 8); }

// length | type | body | CRC of type and body
inline QByteArray Chunk(const QByteArray &Type, const QByteArray &Body) {
  const QByteArray TypeAndBody = Type + Body;
  const quint32 Crc =
      quint32(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(TypeAndBody.constData()),
                    uInt(TypeAndBody.size())));
  return BigEndian32(quint32(Body.size())) + TypeAndBody + BigEndian32(Crc);
}

inline QByteArray IhdrBody(quint32 Width, quint32 Height, int Depth, int ColorType,
                           int Interlace = 0, int Compression = 0, int Filter = 0) {
  QByteArray Body = BigEndian32(Width) + BigEndian32(Height);
  Body.append(char(Depth)).append(char(ColorType)).append(char(Compression));
  Body.append(char(Filter)).append(char(Interlace));
  return Body;
}

inline QByteArray Ihdr(quint32 Width, quint32 Height, int Depth, int ColorType, int Interlace = 0,
                       int Compression = 0, int Filter = 0) {
  return Chunk("IHDR", IhdrBody(Width, Height, Depth, ColorType, Interlace, Compression, Filter));
}

inline QByteArray Deflate(const QByteArray &Raw) {
  uLongf Size = compressBound(uLong(Raw.size()));
  QByteArray Out(qsizetype(Size), '\0');
  compress2(reinterpret_cast<Bytef *>(Out.data()), &Size,
            reinterpret_cast<const Bytef *>(Raw.constData()), uLong(Raw.size()), 9);
  Out.resize(qsizetype(Size));
  return Out;
}

// Unfiltered scanlines: each row's bytes after a filter-type byte of 0.
inline QByteArray Scanlines(const QList<QByteArray> &Rows) {
  QByteArray Raw;
  for (const QByteArray &Row : Rows)
    Raw += char(0) + Row;
  return Raw;
}

inline QByteArray Iend() { return Chunk("IEND", {}); }

// signature | IHDR | Extra chunks | IDAT of the rows | IEND
inline QByteArray Png(const QByteArray &Header, const QList<QByteArray> &Rows,
                      const QByteArray &Extra = {}) {
  return Signature() + Header + Extra + Chunk("IDAT", Deflate(Scanlines(Rows))) + Iend();
}

// 16-bit samples, big-endian as PNG stores them.
inline QByteArray Samples16(const QList<int> &Values) {
  QByteArray B;
  for (int V : Values)
    B.append(char(V >> 8)).append(char(V & 0xFF));
  return B;
}

inline QByteArray Bytes(const QList<int> &Values) {
  QByteArray B;
  for (int V : Values)
    B.append(char(V));
  return B;
}

} // namespace PngFixture
