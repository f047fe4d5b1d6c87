#pragma once

// Small GIF files built block by block for tests, without giflib. The image data is LZW in
// its plainest form: every pixel is sent as its own literal code, and a clear code follows
// before the code table would grow past the starting code width, so every code has the
// same width (minimum code size + 1 bits):
//
//   clear p p ... p clear p p ... p ... [end]     (at most 2^size - 2 pixels per run)
//
// Tests can then stop the data, damage it or add codes exactly where they want.

#include <QByteArray>
#include <QList>
#include <QRgb>

namespace GifFixture {

inline QByteArray Le16(int V) {
  QByteArray B;
  return B.append(char(V & 0xFF)).append(char((V >> 8) & 0xFF));
}

// The size field of a table of Count entries (a power of two from 2 to 256).
inline int SizeField(qsizetype Count) {
  int Field = 0;
  while ((qsizetype(2) << Field) < Count)
    ++Field;
  return Field;
}

inline QByteArray Table(const QList<QRgb> &Colors) {
  QByteArray B;
  for (QRgb C : Colors)
    B.append(char(qRed(C))).append(char(qGreen(C))).append(char(qBlue(C)));
  return B;
}

// Header and logical screen descriptor, with the global table when Global is not empty.
inline QByteArray Header(int Width, int Height, const QList<QRgb> &Global, int Background = 0) {
  QByteArray B = "GIF89a" + Le16(Width) + Le16(Height);
  B.append(char(Global.isEmpty() ? 0 : 0x80 | 0x70 | SizeField(Global.size())));
  B.append(char(Background)).append(char(0));
  return B + Table(Global);
}

// A graphic control extension; Transparent -1 declares no transparent colour.
inline QByteArray Gce(int Transparent) {
  QByteArray B("\x21\xF9\x04", 3);
  B.append(char(Transparent >= 0 ? 1 : 0)).append(Le16(0)).append(char(qMax(Transparent, 0)));
  return B.append(char(0));
}

inline QByteArray Descriptor(int Left, int Top, int Width, int Height,
                             const QList<QRgb> &Local = {}, bool Interlaced = false) {
  QByteArray B = "," + Le16(Left) + Le16(Top) + Le16(Width) + Le16(Height);
  B.append(char((Local.isEmpty() ? 0 : 0x80 | SizeField(Local.size())) | (Interlaced ? 0x40 : 0)));
  return B + Table(Local);
}

// The literal codes for Pixels: clear, pixels, clear before the width would grow.
inline QList<int> Codes(const QList<int> &Pixels, int CodeSize) {
  const int Clear = 1 << CodeSize, Run = (1 << CodeSize) - 2;
  QList<int> Out{Clear};
  for (qsizetype I = 0; I < Pixels.size(); ++I) {
    if (I > 0 && I % Run == 0)
      Out.append(Clear);
    Out.append(Pixels[I]);
  }
  return Out;
}

// Codes of Width bits packed from the lowest bit up.
inline QByteArray Pack(const QList<int> &Codes, int Width) {
  QByteArray B;
  quint32 Bits = 0;
  int Count = 0;
  for (int Code : Codes) {
    Bits |= quint32(Code) << Count;
    for (Count += Width; Count >= 8; Count -= 8, Bits >>= 8)
      B.append(char(Bits & 0xFF));
  }
  if (Count > 0)
    B.append(char(Bits & 0xFF));
  return B;
}

// Sub-blocks of at most 255 bytes, ended by a zero-length block unless Terminate is false.
inline QByteArray SubBlocks(const QByteArray &Data, bool Terminate = true) {
  QByteArray B;
  for (qsizetype Pos = 0; Pos < Data.size(); Pos += 255) {
    const QByteArray Part = Data.mid(Pos, 255);
    B.append(char(Part.size())).append(Part);
  }
  return Terminate ? B.append(char(0)) : B;
}

// Image data: minimum code size, then the codes of Pixels, ended by the end code when
// WithEnd is set.
inline QByteArray ImageData(const QList<int> &Pixels, int CodeSize = 2, bool WithEnd = true) {
  QList<int> C = Codes(Pixels, CodeSize);
  if (WithEnd)
    C.append((1 << CodeSize) + 1);
  return char(CodeSize) + SubBlocks(Pack(C, CodeSize + 1));
}

// Rows (each Width pixels, top to bottom) in the order an interlaced frame sends them.
inline QList<int> InterlaceRows(const QList<int> &Pixels, int Width) {
  const qsizetype Height = Pixels.size() / Width;
  QList<int> Out;
  const int Start[4] = {0, 4, 2, 1}, Step[4] = {8, 8, 4, 2};
  for (int Pass = 0; Pass < 4; ++Pass)
    for (qsizetype Y = Start[Pass]; Y < Height; Y += Step[Pass])
      Out += Pixels.mid(Y * Width, Width);
  return Out;
}

// A whole frame: descriptor and image data of Pixels (rows top to bottom).
inline QByteArray Frame(int Left, int Top, int Width, int Height, const QList<int> &Pixels,
                        const QList<QRgb> &Local = {}, bool Interlaced = false, int CodeSize = 2) {
  return Descriptor(Left, Top, Width, Height, Local, Interlaced) +
         ImageData(Interlaced ? InterlaceRows(Pixels, Width) : Pixels, CodeSize);
}

inline QByteArray Trailer() { return ";"; }

} // namespace GifFixture
