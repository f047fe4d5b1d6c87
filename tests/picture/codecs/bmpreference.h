#pragma once

// A deliberately plain BMP reader for checking the decoder: every field is read through
// QDataStream, every pixel bit by bit, every colour field by walking its mask, and runs are
// first expanded to a grid of colour indices. It shares no code with the decoder, and it
// reads only files it fully understands: uncompressed 1 to 32 bits (bit fields included),
// RLE4 and RLE8, Windows and OS/2 1.x headers. Anything else gives a null image.
//
// Conventions it holds the decoder to: a colour field of n bits is scaled to 0..255 with
// rounding; indices beyond the colour table are black; pixels the runs skip take colour
// table entry 0; the result is Format_RGB32, top row first.

#include <QByteArray>
#include <QDataStream>
#include <QImage>
#include <QList>

#include <cmath>
#include <vector>

namespace BmpReference {

inline int Scaled(quint32 Value, quint32 Mask) {
  if (Mask == 0)
    return 0;
  double Field = 0, Max = 0, Weight = 1;
  for (int Bit = 0; Bit < 32; ++Bit) {
    if (!(Mask & (1u << Bit)))
      continue;
    if (Value & (1u << Bit))
      Field += Weight;
    Max += Weight;
    Weight *= 2;
  }
  return int(std::lround(Field * 255.0 / Max));
}

inline quint32 FieldAt(const QByteArray &File, qint64 RowStart, qint64 X, int Bits) {
  quint32 Value = 0;
  if (Bits <= 8) {
    for (int B = 0; B < Bits; ++B) {
      const qint64 BitPos = X * Bits + B;
      const int Byte = uchar(File[RowStart + BitPos / 8]);
      Value = Value * 2 + ((Byte >> (7 - BitPos % 8)) & 1);
    }
  } else {
    for (int K = 0; K < Bits / 8; ++K)
      Value |= quint32(uchar(File[RowStart + X * (Bits / 8) + K])) << (8 * K);
  }
  return Value;
}

inline QImage Decode(const QByteArray &File) {
  QDataStream In(File);
  In.setByteOrder(QDataStream::LittleEndian);
  quint16 Magic = 0, Planes = 0, Bits = 0;
  quint32 FileSize = 0, Reserved = 0, Offset = 0, HeaderSize = 0, Compression = 0, Used = 0;
  qint64 Width = 0, Height = 0;
  In >> Magic >> FileSize >> Reserved >> Offset >> HeaderSize;
  if (Magic != 0x4D42)
    return {};
  if (HeaderSize == 12) {
    quint16 W = 0, H = 0;
    In >> W >> H >> Planes >> Bits;
    Width = W, Height = H;
  } else if (HeaderSize == 40 || HeaderSize == 52 || HeaderSize == 56 || HeaderSize == 108 ||
             HeaderSize == 124) {
    qint32 W = 0, H = 0;
    quint32 Skip = 0;
    In >> W >> H >> Planes >> Bits >> Compression >> Skip >> Skip >> Skip >> Used;
    Width = W, Height = H;
  } else {
    return {};
  }
  const bool TopDown = Height < 0;
  Height = std::abs(Height);
  if (In.status() != QDataStream::Ok || Planes != 1 || Width <= 0 || Height == 0 || Width > 4096 ||
      Height > 4096)
    return {};

  quint32 Masks[3] = {0xFF0000, 0xFF00, 0xFF};
  qint64 TableStart = 14 + HeaderSize;
  if (Bits == 16)
    Masks[0] = 0x7C00, Masks[1] = 0x3E0, Masks[2] = 0x1F;
  if (Compression == 3) {
    QDataStream MaskIn(File.mid(14 + 40, 12));
    MaskIn.setByteOrder(QDataStream::LittleEndian);
    MaskIn >> Masks[0] >> Masks[1] >> Masks[2];
    if (HeaderSize == 40)
      TableStart += 12;
  }
  const bool Rle = Compression == 1 || Compression == 2;
  if (Compression > 3 || (Rle && (TopDown || Bits != (Compression == 1 ? 8 : 4))) ||
      (Compression == 3 && Bits != 16 && Bits != 32))
    return {};

  QList<QRgb> Table;
  if (Bits <= 8) {
    const int Entry = HeaderSize == 12 ? 3 : 4;
    const qint64 Declared = (Used && HeaderSize != 12) ? Used : (qint64(1) << Bits);
    for (qint64 I = 0; I < Declared && I < (qint64(1) << Bits); ++I) {
      const qint64 At = TableStart + I * Entry;
      if (At + Entry > Offset)
        break;
      Table.append(qRgb(uchar(File[At + 2]), uchar(File[At + 1]), uchar(File[At])));
    }
  }
  auto Colour = [&](qint64 Index) { return Index < Table.size() ? Table[Index] : qRgb(0, 0, 0); };

  QImage Image(int(Width), int(Height), QImage::Format_RGB32);
  if (!Rle) {
    const qint64 Stride = ((Width * Bits + 31) / 32) * 4;
    if (Offset + Stride * Height > File.size())
      return {};
    for (qint64 Y = 0; Y < Height; ++Y) {
      const int Row = int(TopDown ? Y : Height - 1 - Y);
      for (qint64 X = 0; X < Width; ++X) {
        const quint32 V = FieldAt(File, Offset + Y * Stride, X, Bits);
        Image.setPixel(int(X), Row,
                       Bits <= 8
                           ? Colour(V)
                           : qRgb(Scaled(V, Masks[0]), Scaled(V, Masks[1]), Scaled(V, Masks[2])));
      }
    }
    return Image;
  }

  // Runs: indices into a grid, bottom row first; -1 where nothing was written.
  std::vector<int> Grid(size_t(Width * Height), -1);
  qint64 X = 0, Y = 0, Pos = Offset;
  auto At = [&](qint64 P) { return P < File.size() ? int(uchar(File[P])) : -1; };
  auto Put = [&](int Index) {
    if (X < Width && Y < Height)
      Grid[size_t(Y * Width + X)] = Index;
    ++X;
  };
  bool Done = false;
  while (!Done && Y < Height && At(Pos + 1) >= 0) {
    const int First = At(Pos), Second = At(Pos + 1);
    Pos += 2;
    if (First > 0) {
      for (int I = 0; I < First; ++I)
        Put(Bits == 8 ? Second : (I % 2 == 0 ? Second / 16 : Second % 16));
    } else if (Second == 0) {
      X = 0, ++Y;
    } else if (Second == 1) {
      Done = true;
    } else if (Second == 2) {
      if (At(Pos + 1) < 0)
        break;
      X += At(Pos), Y += At(Pos + 1);
      Pos += 2;
    } else {
      const int Bytes = Bits == 8 ? Second : (Second + 1) / 2;
      for (int I = 0; I < Second; ++I) {
        const int Byte = At(Pos + (Bits == 8 ? I : I / 2));
        if (Byte < 0)
          break;
        Put(Bits == 8 ? Byte : (I % 2 == 0 ? Byte / 16 : Byte % 16));
      }
      Pos += Bytes + Bytes % 2;
    }
  }
  for (qint64 Row = 0; Row < Height; ++Row)
    for (qint64 Col = 0; Col < Width; ++Col) {
      const int Index = Grid[size_t(Row * Width + Col)];
      Image.setPixel(int(Col), int(Height - 1 - Row), Colour(Index < 0 ? 0 : Index));
    }
  return Image;
}

} // namespace BmpReference
