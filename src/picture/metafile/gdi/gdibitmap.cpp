#include "picture/metafile/gdi/gdibitmap.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <bit>

namespace {

constexpr quint32 BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitFields = 3, BiJpeg = 4, BiPng = 5,
                  BiAlphaBitFields = 6;

// What the header says, normalised over its variants.
struct THeader {
  qint64 HeaderSize = 0;
  qint64 Width = 0;
  qint64 Height = 0;  // absolute
  bool TopDown = false;
  int BitCount = 0;
  quint32 Compression = BiRgb;
  quint32 Masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  qint64 TableOffset = 0;
  qint64 TableEntries = 0;
  int EntrySize = 4;  // 3 for core headers, 2 for palette indices
};

bool ReadHeader(TByteView Info, quint32 Usage, THeader &H) {
  H.HeaderSize = Info.U32(0);
  if (H.HeaderSize == 12 && Info.Has(0, 12)) {
    H.Width = Info.U16(4);
    H.Height = Info.U16(6);
    H.BitCount = Info.U16(10);
    H.EntrySize = 3;
    H.TableOffset = 12;
  } else if (H.HeaderSize >= 40 && Info.Has(0, H.HeaderSize)) {
    H.Width = Info.I32(4);
    const qint64 Height = Info.I32(8);
    H.TopDown = Height < 0;
    H.Height = Height < 0 ? -Height : Height;
    H.BitCount = Info.U16(14);
    H.Compression = Info.U32(16);
    const qint64 Used = Info.U32(32);
    H.TableOffset = H.HeaderSize;
    const bool Fields = H.Compression == BiBitFields || H.Compression == BiAlphaBitFields;
    if (H.HeaderSize >= 52) {
      for (int I = 0; I < 3; ++I)
        H.Masks[I] = Info.U32(40 + 4 * I);
      if (H.HeaderSize >= 56)
        H.Masks[3] = Info.U32(52);
    } else if (Fields) {
      const int Count = H.Compression == BiAlphaBitFields ? 4 : 3;
      for (int I = 0; I < Count; ++I)
        H.Masks[I] = Info.U32(40 + 4 * I);
      H.TableOffset += 4 * Count;
    }
    // Bitmaps of 1 to 8 bits carry a colour table; JPEG and PNG ones (0 bits) none.
    if (H.BitCount >= 1 && H.BitCount <= 8)
      H.TableEntries = Used > 0 ? std::min<qint64>(Used, qint64(1) << H.BitCount)
                                : qint64(1) << H.BitCount;
  } else {
    return false;
  }
  if (H.EntrySize == 3 && H.BitCount >= 1 && H.BitCount <= 8)
    H.TableEntries = qint64(1) << H.BitCount;
  if (Usage == DibPalColors && H.EntrySize == 4)
    H.EntrySize = 2;
  return H.Width > 0 && H.Height > 0;
}

// The colour table, padded with black to 2^BitCount entries so every index is valid.
QList<QRgb> ReadTable(TByteView Info, const THeader &H, quint32 Usage,
                      const QList<QRgb> &Palette) {
  QList<QRgb> Table;
  if (H.BitCount > 8)
    return Table;
  const qint64 Count = qint64(1) << H.BitCount;
  Table.reserve(Count);
  for (qint64 I = 0; I < H.TableEntries; ++I) {
    const qint64 At = H.TableOffset + I * H.EntrySize;
    if (!Info.Has(At, H.EntrySize))
      break;
    if (Usage == DibPalColors && H.EntrySize == 2) {
      const int Index = Info.U16(At);
      Table.push_back(Index < Palette.size() ? Palette[Index] : qRgb(0, 0, 0));
    } else {
      Table.push_back(qRgb(Info.U8(At + 2), Info.U8(At + 1), Info.U8(At)));
    }
  }
  while (Table.size() < Count)
    Table.push_back(qRgb(0, 0, 0));
  return Table;
}

// Scales the masked field of Value to 0..255.
int Channel(quint32 Value, quint32 Mask) {
  if (Mask == 0)
    return 0;
  const int Shift = std::countr_zero(Mask);
  const quint64 Max = Mask >> Shift;
  return static_cast<int>(((Value & Mask) >> Shift) * 255 / Max);
}

bool WithinLimits(qint64 Width, qint64 Height, const TDibLimits &Limits) {
  return Width > 0 && Height > 0 && Width <= Limits.MaxSide && Height <= Limits.MaxSide &&
         Width * Height <= Limits.MaxPixels;
}

TDib DecodeRows(TByteView Bits, const THeader &H, const QList<QRgb> &Table, bool KeepAlpha) {
  TDib Result;
  const qint64 Stride = ((H.Width * H.BitCount + 31) / 32) * 4;
  if (!Bits.Has(0, Stride * H.Height))
    return Result;
  const int W = static_cast<int>(H.Width);
  const int Hgt = static_cast<int>(H.Height);
  if (H.BitCount == 1) {
    QImage Image(W, Hgt, QImage::Format_Indexed8);
    if (Image.isNull())
      return Result;
    Image.setColorTable(Table);
    for (int Y = 0; Y < Hgt; ++Y) {
      const uchar *Row = Bits.Data() + Stride * (H.TopDown ? Y : Hgt - 1 - Y);
      uchar *Out = Image.scanLine(Y);
      for (int X = 0; X < W; ++X)
        Out[X] = (Row[X >> 3] >> (7 - (X & 7))) & 1;
    }
    Result.Image = std::move(Image);
    Result.Monochrome = true;
    return Result;
  }
  quint32 Masks[4] = {H.Masks[0], H.Masks[1], H.Masks[2], KeepAlpha ? H.Masks[3] : 0};
  const bool Fields = H.Compression == BiBitFields || H.Compression == BiAlphaBitFields;
  if (!Fields && H.BitCount == 16) {
    Masks[0] = 0x7C00, Masks[1] = 0x03E0, Masks[2] = 0x001F, Masks[3] = 0;
  } else if (!Fields && H.BitCount == 32) {
    Masks[0] = 0xFF0000, Masks[1] = 0xFF00, Masks[2] = 0xFF;
    Masks[3] = KeepAlpha ? 0xFF000000 : 0;
  }
  const bool Alpha = KeepAlpha && Masks[3] != 0 && (H.BitCount == 16 || H.BitCount == 32);
  QImage Image(W, Hgt, Alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  if (Image.isNull())
    return Result;
  for (int Y = 0; Y < Hgt; ++Y) {
    const uchar *Row = Bits.Data() + Stride * (H.TopDown ? Y : Hgt - 1 - Y);
    QRgb *Out = reinterpret_cast<QRgb *>(Image.scanLine(Y));
    for (int X = 0; X < W; ++X) {
      switch (H.BitCount) {
      case 2:
        Out[X] = Table[(Row[X >> 2] >> (6 - 2 * (X & 3))) & 3];
        break;
      case 4:
        Out[X] = Table[(Row[X >> 1] >> ((X & 1) ? 0 : 4)) & 15];
        break;
      case 8:
        Out[X] = Table[Row[X]];
        break;
      case 24:
        Out[X] = qRgb(Row[3 * X + 2], Row[3 * X + 1], Row[3 * X]);
        break;
      case 16:
      case 32: {
        const quint32 V = H.BitCount == 16 ? quint32(Row[2 * X] | (Row[2 * X + 1] << 8))
                                           : quint32(Row[4 * X]) | (quint32(Row[4 * X + 1]) << 8) |
                                                 (quint32(Row[4 * X + 2]) << 16) |
                                                 (quint32(Row[4 * X + 3]) << 24);
        int R = Channel(V, Masks[0]), G = Channel(V, Masks[1]), B = Channel(V, Masks[2]);
        if (Alpha) {
          const int A = Channel(V, Masks[3]);
          // Premultiplied data cannot have a colour above its alpha.
          Out[X] = qRgba(std::min(R, A), std::min(G, A), std::min(B, A), A);
        } else {
          Out[X] = qRgb(R, G, B);
        }
        break;
      }
      }
    }
  }
  Result.Image = std::move(Image);
  Result.Alpha = Alpha;
  return Result;
}

// Run-length decoding, bottom-up. Each step consumes at least two bytes of input, and every
// pixel written is checked against the image, so the work follows the data's size.
TDib DecodeRle(TByteView Bits, const THeader &H, const QList<QRgb> &Table) {
  TDib Result;
  if (H.TopDown)
    return Result;
  const int W = static_cast<int>(H.Width);
  const int Hgt = static_cast<int>(H.Height);
  QImage Image(W, Hgt, QImage::Format_ARGB32);
  if (Image.isNull())
    return Result;
  Image.fill(Qt::transparent);
  const bool Four = H.Compression == BiRle4;
  qint64 X = 0, Y = 0;
  auto Put = [&](int Index) {
    if (X >= 0 && X < W && Y < Hgt)
      reinterpret_cast<QRgb *>(Image.scanLine(Hgt - 1 - static_cast<int>(Y)))[X] =
          Table[Index] | 0xFF000000u;
    ++X;
  };
  qint64 Pos = 0;
  const qint64 Size = Bits.Size();
  while (Pos + 1 < Size && Y < Hgt) {
    const int Count = Bits.U8(Pos), Code = Bits.U8(Pos + 1);
    Pos += 2;
    if (Count > 0) {
      for (int I = 0; I < Count && X < W; ++I)
        Put(Four ? ((I & 1) ? Code & 15 : Code >> 4) : Code);
      continue;
    }
    if (Code == 0) {
      X = 0;
      ++Y;
    } else if (Code == 1) {
      break;
    } else if (Code == 2) {
      if (Pos + 1 >= Size)
        break;
      X += Bits.U8(Pos);
      Y += Bits.U8(Pos + 1);
      Pos += 2;
    } else {
      const qint64 Bytes = Four ? (Code + 1) / 2 : Code;
      for (int I = 0; I < Code && Pos + (Four ? I / 2 : I) < Size; ++I) {
        const int Byte = Bits.U8(Pos + (Four ? I / 2 : I));
        Put(Four ? ((I & 1) ? Byte & 15 : Byte >> 4) : Byte);
      }
      Pos += Bytes + (Bytes & 1);
    }
  }
  Result.Image = std::move(Image);
  Result.Alpha = true;
  return Result;
}

TDib DecodeEmbedded(TByteView Bits, const THeader &H, const TDibLimits &Limits) {
  TDib Result;
  const bool Jpeg = H.Compression == BiJpeg;
  if (Jpeg ? (Bits.U8(0) != 0xFF || Bits.U8(1) != 0xD8) : Bits.U32(0) != 0x474E5089)
    return Result;
  QByteArray Copy(reinterpret_cast<const char *>(Bits.Data()), Bits.Size());
  QBuffer Buffer(&Copy);
  Buffer.open(QIODevice::ReadOnly);
  QImageReader Reader(&Buffer, Jpeg ? "jpeg" : "png");
  const QSize Size = Reader.size();
  if (!Size.isValid() || !WithinLimits(Size.width(), Size.height(), Limits))
    return Result;
  QImage Image;
  if (!Reader.read(&Image) || Image.isNull())
    return Result;
  Result.Image = Image.convertToFormat(QImage::Format_RGB32);
  return Result;
}

}  // namespace

TDib DecodeDib(TByteView Info, TByteView Bits, quint32 Usage, const QList<QRgb> &Palette,
               bool KeepAlpha, const TDibLimits &Limits) {
  THeader H;
  if (!ReadHeader(Info, Usage, H) || !WithinLimits(H.Width, H.Height, Limits))
    return TDib();
  if (H.Compression == BiJpeg || H.Compression == BiPng)
    return DecodeEmbedded(Bits, H, Limits);
  const QList<QRgb> Table = ReadTable(Info, H, Usage, Palette);
  switch (H.Compression) {
  case BiRgb:
    if (H.BitCount == 1 || H.BitCount == 2 || H.BitCount == 4 || H.BitCount == 8 ||
        H.BitCount == 16 || H.BitCount == 24 || H.BitCount == 32)
      return DecodeRows(Bits, H, Table, KeepAlpha);
    return TDib();
  case BiBitFields:
  case BiAlphaBitFields:
    if (H.BitCount == 16 || H.BitCount == 32)
      return DecodeRows(Bits, H, Table, KeepAlpha);
    return TDib();
  case BiRle8:
  case BiRle4:
    // Runs and skips can claim a large picture from a few bytes; more than 256 pixels a
    // byte of data (and more than 4 million) is not a picture anyone made.
    if (H.Width * H.Height > std::max<qint64>(qint64(1) << 22, 256 * Bits.Size()))
      return TDib();
    return H.BitCount == (H.Compression == BiRle8 ? 8 : 4) ? DecodeRle(Bits, H, Table) : TDib();
  default:
    return TDib();
  }
}

bool DibHeaderSize(TByteView Info, qint64 &Width, qint64 &Height) {
  const quint32 Size = Info.U32(0);
  if (Size == 12 && Info.Has(0, 12)) {
    Width = Info.U16(4);
    Height = Info.U16(6);
    return true;
  }
  if (Size >= 40 && Info.Has(0, 40)) {
    Width = Info.I32(4);
    Height = Info.I32(8);
    return true;
  }
  return false;
}

TDib DecodePackedDib(TByteView Packed, quint32 Usage, const QList<QRgb> &Palette,
                     const TDibLimits &Limits) {
  THeader H;
  if (!ReadHeader(Packed, Usage, H))
    return TDib();
  const qint64 InfoSize = H.TableOffset + H.TableEntries * H.EntrySize;
  if (!Packed.Has(0, InfoSize))
    return TDib();
  return DecodeDib(Packed.Sub(0, InfoSize), Packed.Sub(InfoSize, Packed.Size() - InfoSize),
                   Usage, Palette, false, Limits);
}

TDib DecodeBitmap16(TByteView Header, TByteView Bits, const TDibLimits &Limits) {
  TDib Result;
  const qint64 Width = Header.I16(2);
  const qint64 Height = Header.I16(4);
  const qint64 Stride = Header.U16(6);
  const int Depth = Header.U8(8) * Header.U8(9);
  if (!Header.Has(0, 10) || !WithinLimits(Width, Height, Limits))
    return Result;
  if (Depth != 1 && Depth != 4 && Depth != 8 && Depth != 16 && Depth != 24 && Depth != 32)
    return Result;
  if (Stride * 8 < Width * Depth || !Bits.Has(0, Stride * Height))
    return Result;
  // An old bitmap is stored top-down and without a colour table; 4 and 8 bits take the
  // standard VGA colours (and grey beyond them).
  static const QRgb Vga[16] = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000,
                               0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
                               0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                               0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};
  THeader H;
  H.Width = Width;
  H.Height = Height;
  H.TopDown = true;
  H.BitCount = Depth;
  QList<QRgb> Table;
  if (Depth == 1)
    Table = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
  if (Depth == 4 || Depth == 8)
    for (int I = 0; I < (1 << Depth); ++I)
      Table.push_back(I < 16 ? Vga[I] : qRgb(I, I, I));
  // Rows of an old bitmap are Stride bytes apart, not padded to 4 bytes.
  const qint64 Padded = ((Width * Depth + 31) / 32) * 4;
  if (Padded == Stride)
    return DecodeRows(Bits.Sub(0, Stride * Height), H, Table, false);
  QByteArray Copy(static_cast<int>(Padded * Height), '\0');
  for (qint64 Y = 0; Y < Height; ++Y)
    std::copy_n(Bits.Data() + Y * Stride, std::min(Stride, Padded), Copy.data() + Y * Padded);
  return DecodeRows(TByteView(reinterpret_cast<const uchar *>(Copy.constData()), Copy.size()), H,
                    Table, false);
}
