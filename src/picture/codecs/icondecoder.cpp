#include "picture/codecs/icondecoder.h"
#include "picture/codecs/dib.h"
#include "picture/codecs/pngcodec.h"
#include "picture/codecs/rasterlimits.h"

#include <QtEndian>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <stdexcept>

namespace {

constexpr const char *Invalid = "Icon image is not valid";
constexpr qint64 DirectoryHeaderSize = 6;
constexpr qint64 DirectoryEntrySize = 16;
// PNG signature, then the IHDR chunk: length, "IHDR", width, height, bit depth, colour type.
constexpr qint64 PngHeaderSize = 26;

[[noreturn]] void Fail() { throw std::runtime_error(Invalid); }

TByteView View(QByteArrayView Data) {
  return TByteView(reinterpret_cast<const uchar *>(Data.data()), Data.size());
}

// A big-endian 32-bit value of the PNG header, which HasIhdr found complete.
quint32 PngU32(QByteArrayView Image, qint64 At) {
  return qFromBigEndian<quint32>(Image.data() + At);
}

bool IsPng(QByteArrayView Image) { return Image.startsWith("\x89PNG\r\n\x1a\n"); }

bool HasIhdr(QByteArrayView Image) {
  return Image.size() >= PngHeaderSize && Image.sliced(12, 4) == "IHDR";
}

int PngBitCount(QByteArrayView Image) {
  // Samples a pixel by colour type: grey, -, RGB, palette index, grey + alpha, -, RGBA.
  static const int Samples[] = {1, 0, 3, 1, 2, 0, 4};
  const int Depth = View(Image).U8(24);
  const int Type = View(Image).U8(25);
  return Type < int(std::size(Samples)) ? Depth * Samples[Type] : 0;
}

QImage DecodePngEntry(QByteArrayView Image) {
  if (!HasIhdr(Image))
    Fail();
  CheckRasterSize(PngU32(Image, 16), PngU32(Image, 20));
  TPngPicture Picture;
  try {
    Picture = DecodePng(QByteArray::fromRawData(Image.data(), Image.size()));
  } catch (const std::runtime_error &Error) {
    if (std::strcmp(Error.what(), "Out of memory") == 0)
      throw;
    Fail();
  }
  QImage Result = Picture.Image.convertToFormat(QImage::Format_ARGB32);
  if (Result.isNull())
    throw std::runtime_error("Out of memory");
  return Result;
}

bool AnyAlpha(const QImage &Image) {
  if (Image.format() != QImage::Format_ARGB32)
    return false;
  for (int Y = 0; Y < Image.height(); ++Y) {
    const auto *Row = reinterpret_cast<const QRgb *>(Image.constScanLine(Y));
    for (int X = 0; X < Image.width(); ++X)
      if (qAlpha(Row[X]) != 0)
        return true;
  }
  return false;
}

// Applies the AND mask starting at Mask to the colours in Result.Image.
void ApplyMask(TIconImage &Result, QByteArrayView Mask) {
  QImage &Image = Result.Image;
  const qint64 Width = Image.width(), Height = Image.height();
  const qint64 RowBytes = (Width + 31) / 32 * 4;
  if (Mask.size() / RowBytes < Height)
    Fail();
  Image.reinterpretAsFormat(QImage::Format_ARGB32);
  for (qint64 Y = 0; Y < Height; ++Y) {
    const auto *Bits = reinterpret_cast<const uchar *>(Mask.data()) + RowBytes * (Height - 1 - Y);
    auto *Row = reinterpret_cast<QRgb *>(Image.scanLine(int(Y)));
    for (qint64 X = 0; X < Width; ++X) {
      const QRgb Colour = Row[X] & 0xFFFFFF;
      if (((Bits[X >> 3] >> (7 - (X & 7))) & 1) == 0) {
        Row[X] = 0xFF000000 | Colour;
        continue;
      }
      Row[X] = 0;
      if (Colour == 0)
        continue;
      if (Result.Inverted.isNull()) {
        Result.Inverted = QImage(Image.size(), QImage::Format_RGB32);
        if (Result.Inverted.isNull())
          throw std::runtime_error("Out of memory");
        Result.Inverted.fill(0);
      }
      reinterpret_cast<QRgb *>(Result.Inverted.scanLine(int(Y)))[X] = Colour;
    }
  }
}

TIconImage DecodeDibEntry(QByteArrayView Image) {
  TDibInfo Info;
  if (!ReadDibInfo(View(Image), Info) || Info.TopDown ||
      (Info.Coding != TDibCoding::Rgb && Info.Coding != TDibCoding::BitFields))
    Fail();
  // The header's height counts the colour rows and the mask rows.
  Info.Height /= 2;
  if (Info.Height == 0)
    Fail();
  CheckRasterSize(Info.Width, Info.Height);
  if (Info.TableEnd() > Image.size())
    Fail();
  const QList<QRgb> Table = ReadDibColourTable(
      Info, View(Image.sliced(Info.TableOffset, Info.TableEnd() - Info.TableOffset)));
  const QByteArrayView Pixels = Image.sliced(Info.TableEnd());
  TDibPixels How;
  How.KeepAlpha = Info.BitCount == 32;
  TIconImage Result;
  Result.Image = DecodeDibPixels(Info, Table, View(Pixels), How, Invalid);
  if (!AnyAlpha(Result.Image))
    ApplyMask(Result, Pixels.sliced(Info.RowBytes() * Info.Height));
  return Result;
}

} // namespace

QList<TIconEntry> ReadIconDirectory(const QByteArray &Data) {
  const QByteArrayView File(Data);
  const TByteView Bytes = View(File);
  if (File.size() < DirectoryHeaderSize || Bytes.U16(0) != 0 || Bytes.U16(2) != 1)
    Fail();
  const qint64 Count = Bytes.U16(4);
  if (Count == 0 || DirectoryHeaderSize + Count * DirectoryEntrySize > File.size())
    Fail();
  QList<TIconEntry> Entries;
  for (qint64 I = 0; I < Count; ++I) {
    const qint64 At = DirectoryHeaderSize + I * DirectoryEntrySize;
    TIconEntry Entry;
    Entry.Width = Bytes.U8(At) ? Bytes.U8(At) : 256;
    Entry.Height = Bytes.U8(At + 1) ? Bytes.U8(At + 1) : 256;
    Entry.BitCount = Bytes.U16(At + 6);
    Entry.Offset = std::min<qint64>(Bytes.U32(At + 12), File.size());
    Entry.Size = std::min<qint64>(Bytes.U32(At + 8), File.size() - Entry.Offset);
    const QByteArrayView Image = File.sliced(Entry.Offset, Entry.Size);
    TDibInfo Info;
    if (IsPng(Image)) {
      Entry.Png = true;
      if (HasIhdr(Image)) {
        Entry.Width = PngU32(Image, 16);
        Entry.Height = PngU32(Image, 20);
        Entry.BitCount = PngBitCount(Image);
      }
    } else if (ReadDibInfo(View(Image), Info)) {
      Entry.Width = Info.Width;
      Entry.Height = Info.Height / 2;
      Entry.BitCount = Info.BitCount;
    }
    Entries.append(Entry);
  }
  return Entries;
}

int ChooseIconEntry(const QList<TIconEntry> &Entries) {
  auto Distance = [](const TIconEntry &Entry) {
    return std::llabs(Entry.Width - 32) + std::llabs(Entry.Height - 32);
  };
  int Best = 0;
  for (int I = 1; I < Entries.size(); ++I) {
    const qint64 Nearer = Distance(Entries[Best]) - Distance(Entries[I]);
    if (Nearer > 0 || (Nearer == 0 && Entries[I].BitCount > Entries[Best].BitCount))
      Best = I;
  }
  return Best;
}

TIconImage DecodeIconEntry(const QByteArray &Data, const TIconEntry &Entry) {
  if (Entry.Offset < 0 || Entry.Size < 0 || Entry.Size > Data.size() - Entry.Offset)
    Fail();
  const QByteArrayView Image = QByteArrayView(Data).sliced(Entry.Offset, Entry.Size);
  if (Entry.Png)
    return TIconImage{DecodePngEntry(Image), QImage()};
  return DecodeDibEntry(Image);
}
