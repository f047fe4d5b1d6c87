#pragma once

// A second, self-made reference decode for the PNG tests, for the pictures Qt's reader gets
// wrong (16-bit RGB with a tRNS colour). It reads non-interlaced grey and RGB pictures of 8
// or 16 bits straight from the chunks with zlib: unfilters the scanlines, keeps each
// sample's high byte and compares the tRNS colour on all bits. Anything else gives a null
// image.

#include <QByteArray>
#include <QImage>

#include <cstdlib>
#include <zlib.h>

namespace PngReference {

inline quint32 Read32(const QByteArray &D, qsizetype P) {
  return (quint32(uchar(D[P])) << 24) | (quint32(uchar(D[P + 1])) << 16) |
         (quint32(uchar(D[P + 2])) << 8) | quint32(uchar(D[P + 3]));
}

inline int Paeth(int A, int B, int C) {
  const int P = A + B - C, Pa = std::abs(P - A), Pb = std::abs(P - B), Pc = std::abs(P - C);
  return Pa <= Pb && Pa <= Pc ? A : Pb <= Pc ? B : C;
}

// Format_ARGB32, alpha 0 on the tRNS colour and 255 elsewhere.
inline QImage Decode(const QByteArray &Data) {
  const int Width = int(Read32(Data, 16)), Height = int(Read32(Data, 20));
  const int Depth = uchar(Data[24]), ColorType = uchar(Data[25]), Interlace = uchar(Data[28]);
  if ((ColorType != 0 && ColorType != 2) || Depth < 8 || Interlace != 0)
    return {};
  QByteArray Compressed, Trns;
  for (qsizetype Pos = 8; Pos + 12 <= Data.size();) {
    const qsizetype Length = Read32(Data, Pos);
    const QByteArray Type = Data.mid(Pos + 4, 4);
    if (Type == "IDAT")
      Compressed += Data.mid(Pos + 8, Length);
    else if (Type == "tRNS")
      Trns = Data.mid(Pos + 8, Length);
    Pos += Length + 12;
  }
  const int Channels = ColorType == 2 ? 3 : 1, Bpp = Channels * Depth / 8;
  const qsizetype Stride = qsizetype(Width) * Bpp;
  QByteArray Raw(Height * (Stride + 1), '\0');
  uLongf RawSize = uLongf(Raw.size());
  if (uncompress(reinterpret_cast<Bytef *>(Raw.data()), &RawSize,
                 reinterpret_cast<const Bytef *>(Compressed.constData()),
                 uLong(Compressed.size())) != Z_OK)
    return {};

  QByteArray Previous(Stride, '\0'), Row(Stride, '\0');
  QImage Image(Width, Height, QImage::Format_ARGB32);
  for (int Y = 0; Y < Height; ++Y) {
    const uchar *In = reinterpret_cast<const uchar *>(Raw.constData()) + Y * (Stride + 1);
    const int Filter = In[0];
    for (qsizetype I = 0; I < Stride; ++I) {
      const int A = I >= Bpp ? uchar(Row[I - Bpp]) : 0, B = uchar(Previous[I]),
                C = I >= Bpp ? uchar(Previous[I - Bpp]) : 0;
      const int Predictor = Filter == 1   ? A
                            : Filter == 2 ? B
                            : Filter == 3 ? (A + B) / 2
                            : Filter == 4 ? Paeth(A, B, C)
                                          : 0;
      Row[I] = char((In[1 + I] + Predictor) & 0xFF);
    }
    auto *Out = reinterpret_cast<QRgb *>(Image.scanLine(Y));
    for (int X = 0; X < Width; ++X) {
      const QByteArray Pixel = Row.mid(qsizetype(X) * Bpp, Bpp);
      const int Step = Depth / 8;
      int Sample[3]; // high bytes; grey repeats its one sample
      for (int Ch = 0; Ch < 3; ++Ch)
        Sample[Ch] = uchar(Pixel[(Channels == 3 ? Ch : 0) * Step]);
      // tRNS holds one 16-bit value per channel; the pixel's samples compared on all bits.
      bool Transparent = Trns.size() == 2 * Channels;
      for (int Ch = 0; Transparent && Ch < Channels; ++Ch) {
        const int Value =
            Step == 2 ? (uchar(Pixel[Ch * 2]) << 8) | uchar(Pixel[Ch * 2 + 1]) : uchar(Pixel[Ch]);
        Transparent = Value == ((uchar(Trns[Ch * 2]) << 8) | uchar(Trns[Ch * 2 + 1]));
      }
      Out[X] = qRgba(Sample[0], Sample[1], Sample[2], Transparent ? 0 : 255);
    }
    Previous = Row;
  }
  return Image;
}

} // namespace PngReference
