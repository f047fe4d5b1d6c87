#include "picture/codecs/dib.h"
#include "picture/codecs/rasterlimits.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace {

constexpr quint32 BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitFields = 3, BiJpegOrRle24 = 4,
                  BiPng = 5, BiAlphaBitFields = 6;

bool KnownHeaderSize(qint64 Size, TDibRules Rules) {
  if (Rules == TDibRules::Metafile)
    return Size == 12 || Size >= 40;
  switch (Size) {
  case 12:  // OS/2 1.x core header
  case 16:  // OS/2 2.x, shortened
  case 40:  // info header
  case 52:  // with colour masks
  case 56:  // with colour and alpha masks
  case 64:  // OS/2 2.x
  case 108: // V4
  case 124: // V5
    return true;
  default:
    return false;
  }
}

// Reads the coding and its masks into Info; false for a coding the bit count does not allow.
bool ReadCoding(TByteView Data, quint32 Compression, TDibRules Rules, TDibInfo &Info) {
  const bool Os2 = Rules == TDibRules::File && (Info.HeaderSize == 16 || Info.HeaderSize == 64);
  const int Bits = Info.BitCount;
  switch (Compression) {
  case BiRgb:
    Info.Coding = TDibCoding::Rgb;
    if (Bits == 16) {
      Info.Masks[0] = 0x7C00, Info.Masks[1] = 0x03E0, Info.Masks[2] = 0x001F;
    } else if (Bits == 32) {
      Info.Masks[0] = 0xFF0000, Info.Masks[1] = 0xFF00, Info.Masks[2] = 0xFF;
      Info.Masks[3] = 0xFF000000;
    }
    return Bits == 1 || Bits == 2 || Bits == 4 || Bits == 8 || Bits == 16 || Bits == 24 ||
           Bits == 32;
  case BiRle8:
    Info.Coding = TDibCoding::Rle8;
    return Bits == 8;
  case BiRle4:
    Info.Coding = TDibCoding::Rle4;
    return Bits == 4;
  case BiJpegOrRle24:
    // OS/2 2.x headers mean 24-bit runs by it; Windows headers an embedded JPEG picture,
    // which only metafiles hold.
    if (Rules == TDibRules::Metafile) {
      Info.Coding = TDibCoding::Jpeg;
      return true;
    }
    Info.Coding = TDibCoding::Rle24;
    return Os2 && Bits == 24;
  case BiPng:
    Info.Coding = TDibCoding::Png;
    return Rules == TDibRules::Metafile;
  case BiBitFields:
  case BiAlphaBitFields: {
    // In OS/2 2.x headers 3 means Huffman-coded rows, which no bitmap of this program holds.
    if (Os2 || (Bits != 16 && Bits != 32))
      return false;
    Info.Coding = TDibCoding::BitFields;
    if (Info.HeaderSize == 40) {
      const int Count = Compression == BiAlphaBitFields ? 4 : 3;
      if (Rules == TDibRules::File && !Data.Has(40, 4 * Count))
        return false;
      for (int I = 0; I < Count; ++I)
        Info.Masks[I] = Data.U32(40 + 4 * I);
      Info.TableOffset += 4 * Count;
    } else {
      for (int I = 0; I < 3; ++I)
        Info.Masks[I] = Data.U32(40 + 4 * I);
      if (Info.HeaderSize >= 56)
        Info.Masks[3] = Data.U32(52);
    }
    return true;
  }
  default:
    return false;
  }
}

// One colour field of a pixel value, scaled to 0..255 with rounding, so that a full field
// of any width gives 255 (31 of 5 bits is 255, not 248).
class TField {
public:
  explicit TField(quint32 Mask)
      : FMask(Mask), FShift(Mask ? std::countr_zero(Mask) : 0), FMax(Mask >> FShift) {}
  bool Present() const { return FMask != 0; }
  int operator()(quint32 Value) const {
    if (!FMask)
      return 0;
    return int((quint64((Value & FMask) >> FShift) * 255 + FMax / 2) / FMax);
  }

private:
  quint32 FMask;
  int FShift;
  quint64 FMax;
};

void DecodeIndexRow(const uchar *Row, QRgb *Out, qint64 Width, int Bits, const QList<QRgb> &Table) {
  const int Mask = (1 << Bits) - 1;
  for (qint64 X = 0; X < Width; ++X) {
    const qint64 BitPos = X * Bits;
    Out[X] = Table[(Row[BitPos >> 3] >> (8 - Bits - int(BitPos & 7))) & Mask];
  }
}

void CopyIndexRow(const uchar *Row, uchar *Out, qint64 Width, int Bits) {
  const int Mask = (1 << Bits) - 1;
  for (qint64 X = 0; X < Width; ++X) {
    const qint64 BitPos = X * Bits;
    Out[X] = uchar((Row[BitPos >> 3] >> (8 - Bits - int(BitPos & 7))) & Mask);
  }
}

void DecodeFieldRow(const uchar *Row, QRgb *Out, qint64 Width, int Bits, const TField Fields[4],
                    bool KeepAlpha) {
  for (qint64 X = 0; X < Width; ++X) {
    const quint32 Value = Bits == 16 ? qFromLittleEndian<quint16>(Row + 2 * X)
                                     : qFromLittleEndian<quint32>(Row + 4 * X);
    const int Alpha = KeepAlpha ? Fields[3](Value) : 255;
    Out[X] = qRgba(Fields[0](Value), Fields[1](Value), Fields[2](Value), Alpha);
  }
}

QImage NewImage(qint64 Width, qint64 Height, QImage::Format Format) {
  QImage Image(int(Width), int(Height), Format);
  if (Image.isNull())
    throw std::runtime_error("Out of memory");
  return Image;
}

QImage DecodeRows(const TDibInfo &Info, const QList<QRgb> &Table, TByteView Bits,
                  const TDibPixels &How, const char *Invalid) {
  const qint64 RowBytes = Info.RowBytes();
  if (Bits.Size() / RowBytes < Info.Height)
    throw std::runtime_error(Invalid);
  const bool Fields = Info.BitCount == 16 || Info.BitCount == 32;
  const bool KeepAlpha = How.KeepAlpha && Fields;
  const bool Indexed = How.Indexed && Info.IndexRange() > 0;
  QImage Image = NewImage(Info.Width, Info.Height,
                          Indexed     ? QImage::Format_Indexed8
                          : KeepAlpha ? QImage::Format_ARGB32
                                      : QImage::Format_RGB32);
  if (Indexed)
    Image.setColorTable(Table);
  const TField Masks[4] = {TField(Info.Masks[0]), TField(Info.Masks[1]), TField(Info.Masks[2]),
                           TField(Info.Masks[3])};
  for (qint64 Y = 0; Y < Info.Height; ++Y) {
    const uchar *Row = Bits.Data() + RowBytes * (Info.TopDown ? Y : Info.Height - 1 - Y);
    uchar *Line = Image.scanLine(int(Y));
    auto *Out = reinterpret_cast<QRgb *>(Line);
    if (Indexed)
      CopyIndexRow(Row, Line, Info.Width, Info.BitCount);
    else if (Fields)
      DecodeFieldRow(Row, Out, Info.Width, Info.BitCount, Masks, KeepAlpha);
    else if (Info.BitCount == 24)
      for (qint64 X = 0; X < Info.Width; ++X)
        Out[X] = qRgb(Row[3 * X + 2], Row[3 * X + 1], Row[3 * X]);
    else
      DecodeIndexRow(Row, Out, Info.Width, Info.BitCount, Table);
  }
  return Image;
}

// Run-length codes, rows from the bottom. Pairs of bytes (a run of 24-bit pixels takes a
// count and three colour bytes):
//
//   n > 0, v        n pixels of v (RLE4: the two nibbles of v in turn)
//   0, 0            end of row          0, 1   end of bitmap
//   0, 2, dx, dy    move right dx and up dy
//   0, n >= 3, ...  n pixels given one by one, padded to an even number of bytes
//
// Every step reads at least two bytes and writes at most one row's width, so the work
// follows the data's size, not what a hostile header claims. Pixels whose bytes the data
// lacks are not written.
class TRleDecoder {
public:
  TRleDecoder(const TDibInfo &Info, const QList<QRgb> &Table, TByteView Bits, bool ClearSkipped)
      : FInfo(Info), FTable(Table), FBits(Bits), FClearSkipped(ClearSkipped) {}

  QImage Decode() {
    if (FClearSkipped) {
      FImage = NewImage(FInfo.Width, FInfo.Height, QImage::Format_ARGB32);
      FImage.fill(0);
    } else {
      FImage = NewImage(FInfo.Width, FInfo.Height, QImage::Format_RGB32);
      FImage.fill(FInfo.Coding == TDibCoding::Rle24 ? qRgb(0, 0, 0) : FTable[0]);
    }
    SelectRow();
    while (FY < FInfo.Height && FPos + 2 <= FBits.Size()) {
      const int Count = Byte();
      if (Count > 0)
        Run(Count);
      else if (!Escape(Byte()))
        break;
    }
    return std::move(FImage);
  }

private:
  int Byte() { return FBits.U8(FPos++); }

  QRgb Colour24(qint64 At) const {
    return qRgb(FBits.U8(At + 2), FBits.U8(At + 1), FBits.U8(At));
  }

  void Put(QRgb Colour) {
    if (FRow && FX < FInfo.Width)
      FRow[FX] = Colour;
    ++FX;
  }

  void SelectRow() {
    FRow = FY < FInfo.Height ? reinterpret_cast<QRgb *>(FImage.scanLine(int(FInfo.Height - 1 - FY)))
                             : nullptr;
  }

  void Run(int Count) {
    const int Shown = int(std::clamp<qint64>(FInfo.Width - FX, 0, Count));
    if (FInfo.Coding == TDibCoding::Rle24) {
      const QRgb Colour = Colour24(FPos);
      FPos += 3;
      for (int I = 0; I < Shown; ++I)
        Put(Colour);
    } else {
      const int Value = Byte();
      for (int I = 0; I < Shown; ++I)
        Put(FTable[FInfo.Coding == TDibCoding::Rle4 ? ((I & 1) ? Value & 15 : Value >> 4) : Value]);
    }
    FX += Count - Shown;
  }

  // False at the end of the bitmap.
  bool Escape(int Code) {
    switch (Code) {
    case 0:
      FX = 0;
      ++FY;
      SelectRow();
      return true;
    case 1:
      return false;
    case 2:
      if (FPos + 2 > FBits.Size())
        return false;
      FX += Byte();
      FY += Byte();
      SelectRow();
      return true;
    default:
      Absolute(Code);
      return true;
    }
  }

  void Absolute(int Count) {
    const qint64 Bytes = FInfo.Coding == TDibCoding::Rle8   ? Count
                         : FInfo.Coding == TDibCoding::Rle4 ? (Count + 1) / 2
                                                            : 3 * qint64(Count);
    const int Shown = int(std::clamp<qint64>(FInfo.Width - FX, 0, Count));
    for (int I = 0; I < Shown; ++I) {
      const qint64 At = FInfo.Coding == TDibCoding::Rle8   ? FPos + I
                        : FInfo.Coding == TDibCoding::Rle4 ? FPos + I / 2
                                                           : FPos + 3 * qint64(I);
      if (At >= FBits.Size()) {
        ++FX;
        continue;
      }
      const int Value = FBits.U8(At);
      switch (FInfo.Coding) {
      case TDibCoding::Rle8:
        Put(FTable[Value]);
        break;
      case TDibCoding::Rle4:
        Put(FTable[(I & 1) ? Value & 15 : Value >> 4]);
        break;
      default:
        Put(Colour24(At));
        break;
      }
    }
    FX += Count - Shown;
    FPos += Bytes + (Bytes & 1);
  }

  const TDibInfo &FInfo;
  const QList<QRgb> &FTable;
  TByteView FBits;
  bool FClearSkipped;
  QImage FImage;
  QRgb *FRow = nullptr;
  qint64 FPos = 0;
  qint64 FX = 0;
  qint64 FY = 0; // rows from the bottom
};

} // namespace

bool ReadDibInfo(TByteView Data, TDibInfo &Info, TDibRules Rules) {
  TDibInfo H;
  H.HeaderSize = Data.U32(0);
  if (!KnownHeaderSize(H.HeaderSize, Rules) || !Data.Has(0, H.HeaderSize))
    return false;
  int Planes = 1;
  quint32 Compression = BiRgb;
  qint64 Used = 0;
  if (H.HeaderSize == 12) {
    H.Width = Data.U16(4);
    H.Height = Data.U16(6);
    Planes = Data.U16(8);
    H.BitCount = Data.U16(10);
    H.EntrySize = 3;
  } else {
    H.Width = Data.I32(4);
    const qint64 Height = Data.I32(8);
    H.TopDown = Height < 0;
    H.Height = H.TopDown ? -Height : Height;
    Planes = Data.U16(12);
    H.BitCount = Data.U16(14);
    if (H.HeaderSize >= 40) {
      Compression = Data.U32(16);
      Used = Data.U32(32);
    }
  }
  if ((Rules == TDibRules::File && Planes != 1) || H.Width <= 0 || H.Height <= 0)
    return false;
  H.TableOffset = H.HeaderSize;
  if (!ReadCoding(Data, Compression, Rules, H))
    return false;
  const bool Runs = H.Coding == TDibCoding::Rle8 || H.Coding == TDibCoding::Rle4 ||
                    H.Coding == TDibCoding::Rle24;
  if (H.TopDown && Runs)
    return false;
  if (Rules == TDibRules::File)
    H.TableEntries = Used > 0 && H.EntrySize == 4 ? Used : H.IndexRange();
  else
    H.TableEntries = Used > 0 && H.EntrySize == 4 ? std::min(Used, H.IndexRange()) : H.IndexRange();
  Info = H;
  return true;
}

QList<QRgb> ReadDibColourTable(const TDibInfo &Info, TByteView Table) {
  const qint64 Range = Info.IndexRange();
  const qint64 Count = std::min({Info.TableEntries, Range, Table.Size() / Info.EntrySize});
  QList<QRgb> Colours;
  Colours.reserve(Range);
  for (qint64 I = 0; I < Count; ++I) {
    const qint64 At = I * Info.EntrySize;
    Colours.append(qRgb(Table.U8(At + 2), Table.U8(At + 1), Table.U8(At)));
  }
  while (Colours.size() < Range)
    Colours.append(qRgb(0, 0, 0));
  return Colours;
}

QImage DecodeDibPixels(const TDibInfo &Info, const QList<QRgb> &Table, TByteView Bits,
                       const TDibPixels &How, const char *Invalid) {
  CheckRasterSize(Info.Width, Info.Height);
  if (Table.size() < Info.IndexRange())
    throw std::runtime_error(Invalid);
  switch (Info.Coding) {
  case TDibCoding::Rgb:
  case TDibCoding::BitFields:
    return DecodeRows(Info, Table, Bits, How, Invalid);
  case TDibCoding::Rle8:
  case TDibCoding::Rle4:
  case TDibCoding::Rle24:
    return TRleDecoder(Info, Table, Bits, How.ClearSkipped).Decode();
  default:
    throw std::runtime_error(Invalid);
  }
}
