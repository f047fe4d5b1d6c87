#include "picture/metafile/gdi/gdibitmap.h"
#include "picture/codecs/dib.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <exception>

namespace {

constexpr const char *Invalid = "Bitmap is not valid";

bool WithinLimits(qint64 Width, qint64 Height, const TDibLimits &Limits) {
  return Width > 0 && Height > 0 && Width <= Limits.MaxSide && Height <= Limits.MaxSide &&
         Width * Height <= Limits.MaxPixels;
}

// Reads the header by the metafile rules; palette indices take 2 bytes an entry.
bool ReadHeader(TByteView Info, quint32 Usage, TDibInfo &H) {
  if (!ReadDibInfo(Info, H, TDibRules::Metafile))
    return false;
  if (Usage == DibPalColors && H.EntrySize == 4)
    H.EntrySize = 2;
  return true;
}

// The colour table, padded with black to 2^BitCount entries so every index is valid.
QList<QRgb> ReadTable(TByteView Info, const TDibInfo &H, const QList<QRgb> &Palette) {
  const TByteView Table = Info.Sub(H.TableOffset, Info.Size() - H.TableOffset);
  if (H.EntrySize != 2)
    return ReadDibColourTable(H, Table);
  QList<QRgb> Colours;
  for (qint64 I = 0; I < H.TableEntries && Table.Has(2 * I, 2); ++I) {
    const int Index = Table.U16(2 * I);
    Colours.push_back(Index < Palette.size() ? Palette[Index] : qRgb(0, 0, 0));
  }
  while (Colours.size() < H.IndexRange())
    Colours.push_back(qRgb(0, 0, 0));
  return Colours;
}

// The pixels through the DIB decoder: 1-bit bitmaps as two-colour indices, run-length ones
// with the pixels they skip transparent, kept alpha premultiplied. Null when they cannot be
// decoded.
TDib DecodePixels(TDibInfo H, QList<QRgb> Table, TByteView Bits, bool KeepAlpha) {
  const bool Runs =
      H.Coding == TDibCoding::Rle8 || H.Coding == TDibCoding::Rle4 || H.Coding == TDibCoding::Rle24;
  // Alpha blending takes the byte beside the colour bytes of 32-bit pixels as alpha even when
  // the bit fields name no alpha field, as the system's blending does.
  if (KeepAlpha && H.BitCount == 32 && H.Masks[3] == 0 &&
      (H.Masks[0] | H.Masks[1] | H.Masks[2]) == 0xFFFFFFu)
    H.Masks[3] = 0xFF000000u;
  TDibPixels How;
  How.Indexed = H.BitCount == 1;
  How.KeepAlpha = KeepAlpha && H.Masks[3] != 0 && (H.BitCount == 16 || H.BitCount == 32);
  How.ClearSkipped = true;
  if (Runs)
    for (QRgb &Colour : Table)
      Colour |= 0xFF000000u;
  TDib Result;
  try {
    Result.Image = DecodeDibPixels(H, Table, Bits, How, Invalid);
  } catch (const std::exception &) {
    return TDib();
  }
  Result.Monochrome = How.Indexed && !Runs;
  Result.Alpha = Runs || How.KeepAlpha;
  if (How.KeepAlpha) {
    // Premultiplied data cannot have a colour above its alpha.
    for (int Y = 0; Y < Result.Image.height(); ++Y) {
      auto *Row = reinterpret_cast<QRgb *>(Result.Image.scanLine(Y));
      for (int X = 0; X < Result.Image.width(); ++X) {
        const int A = qAlpha(Row[X]);
        Row[X] = qRgba(std::min(qRed(Row[X]), A), std::min(qGreen(Row[X]), A),
                       std::min(qBlue(Row[X]), A), A);
      }
    }
    Result.Image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
  }
  return Result;
}

TDib DecodeEmbedded(TByteView Bits, const TDibInfo &H, const TDibLimits &Limits) {
  TDib Result;
  const bool Jpeg = H.Coding == TDibCoding::Jpeg;
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
  TDibInfo H;
  if (!ReadHeader(Info, Usage, H) || !WithinLimits(H.Width, H.Height, Limits))
    return TDib();
  if (H.Coding == TDibCoding::Jpeg || H.Coding == TDibCoding::Png)
    return DecodeEmbedded(Bits, H, Limits);
  // Runs and skips can claim a large picture from a few bytes; more than 256 pixels a
  // byte of data (and more than 4 million) is not a picture anyone made.
  if ((H.Coding == TDibCoding::Rle8 || H.Coding == TDibCoding::Rle4) &&
      H.Width * H.Height > std::max<qint64>(qint64(1) << 22, 256 * Bits.Size()))
    return TDib();
  return DecodePixels(H, ReadTable(Info, H, Palette), Bits, KeepAlpha);
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
  TDibInfo H;
  if (!ReadHeader(Packed, Usage, H))
    return TDib();
  const qint64 InfoSize = H.TableEnd();
  if (!Packed.Has(0, InfoSize))
    return TDib();
  return DecodeDib(Packed.Sub(0, InfoSize), Packed.Sub(InfoSize, Packed.Size() - InfoSize),
                   Usage, Palette, false, Limits);
}

TDib DecodeBitmap16(TByteView Header, TByteView Bits, const TDibLimits &Limits) {
  const qint64 Width = Header.I16(2);
  const qint64 Height = Header.I16(4);
  const qint64 Stride = Header.U16(6);
  const int Depth = Header.U8(8) * Header.U8(9);
  if (!Header.Has(0, 10) || !WithinLimits(Width, Height, Limits))
    return TDib();
  if (Depth != 1 && Depth != 4 && Depth != 8 && Depth != 16 && Depth != 24 && Depth != 32)
    return TDib();
  if (Stride * 8 < Width * Depth || !Bits.Has(0, Stride * Height))
    return TDib();
  // An old bitmap is stored top-down, its rows Stride bytes apart, without a colour table;
  // 4 and 8 bits take the standard VGA colours (and grey beyond them).
  static const QRgb Vga[16] = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000,
                               0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
                               0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                               0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};
  TDibInfo H;
  H.Width = Width;
  H.Height = Height;
  H.TopDown = true;
  H.BitCount = Depth;
  H.Stride = Stride;
  if (Depth == 16)
    H.Masks[0] = 0x7C00, H.Masks[1] = 0x03E0, H.Masks[2] = 0x001F;
  else if (Depth == 32)
    H.Masks[0] = 0xFF0000, H.Masks[1] = 0xFF00, H.Masks[2] = 0xFF;
  QList<QRgb> Table;
  if (Depth == 1)
    Table = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
  if (Depth == 4 || Depth == 8)
    for (int I = 0; I < (1 << Depth); ++I)
      Table.push_back(I < 16 ? Vga[I] : qRgb(I, I, I));
  return DecodePixels(H, Table, Bits.Sub(0, Stride * Height), false);
}
