#include "picture/codecs/bmpdecoder.h"
#include "picture/codecs/dibformat.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr const char *Invalid = "Bitmap image is not valid";
constexpr qint64 FileHeaderSize = 14;

[[noreturn]] void Fail() { throw std::runtime_error(Invalid); }

quint32 U32(QByteArrayView Data, qint64 At) {
  auto Byte = [&](qint64 I) { return quint32(quint8(Data[At + I])); };
  return Byte(0) | (Byte(1) << 8) | (Byte(2) << 16) | (Byte(3) << 24);
}

} // namespace

QImage DecodeBmp(const QByteArray &Data) {
  const QByteArrayView File(Data);
  if (File.size() < FileHeaderSize + 12 || File[0] != 'B' || File[1] != 'M')
    Fail();
  const QByteArrayView Dib = File.sliced(FileHeaderSize);
  TDibInfo Info;
  if (!ReadDibInfo(Dib, Info))
    Fail();

  // The pixels start at the file header's offset; an offset of 0 means right after the
  // colour table. They cannot start inside the header or beyond the file.
  const qint64 Offset = U32(File, 10);
  const qint64 TableStart = Info.TableOffset;
  const qint64 PixelStart = Offset == 0 ? Info.TableEnd() : Offset - FileHeaderSize;
  if (PixelStart < TableStart || PixelStart > Dib.size())
    Fail();

  // A colour table declared larger than the indices reach is allowed, but not one larger
  // than the file: such a colours-used field is nonsense. The table may be cut short by
  // the pixel data (OS/2 files with fewer than 2^n entries); the rest is black.
  QList<QRgb> Table;
  if (Info.IndexRange() > 0) {
    if (Info.TableEntries > Info.IndexRange() && Info.TableEnd() > Dib.size())
      Fail();
    const qint64 TableBytes = std::min(Info.TableEnd(), PixelStart) - TableStart;
    Table = ReadDibColourTable(Info, Dib.sliced(TableStart, TableBytes));
  }
  return DecodeDibPixels(Info, Table, Dib.sliced(PixelStart), false, Invalid);
}
