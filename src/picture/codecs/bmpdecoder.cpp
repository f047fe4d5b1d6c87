#include "picture/codecs/bmpdecoder.h"
#include "picture/codecs/dib.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr const char *Invalid = "Bitmap image is not valid";
constexpr qint64 FileHeaderSize = 14;

[[noreturn]] void Fail() { throw std::runtime_error(Invalid); }

} // namespace

QImage DecodeBmp(const QByteArray &Data) {
  const TByteView File(reinterpret_cast<const uchar *>(Data.constData()), Data.size());
  if (File.Size() < FileHeaderSize + 12 || File.U8(0) != 'B' || File.U8(1) != 'M')
    Fail();
  const TByteView Dib = File.Sub(FileHeaderSize, File.Size() - FileHeaderSize);
  TDibInfo Info;
  if (!ReadDibInfo(Dib, Info))
    Fail();

  // The pixels start at the file header's offset; an offset of 0 means right after the
  // colour table. They cannot start inside the header or beyond the file.
  const qint64 Offset = File.U32(10);
  const qint64 TableStart = Info.TableOffset;
  const qint64 PixelStart = Offset == 0 ? Info.TableEnd() : Offset - FileHeaderSize;
  if (PixelStart < TableStart || PixelStart > Dib.Size())
    Fail();

  // A colour table declared larger than the indices reach is allowed, but not one larger
  // than the file: such a colours-used field is nonsense. The table may be cut short by
  // the pixel data (OS/2 files with fewer than 2^n entries); the rest is black.
  QList<QRgb> Table;
  if (Info.IndexRange() > 0) {
    if (Info.TableEntries > Info.IndexRange() && Info.TableEnd() > Dib.Size())
      Fail();
    const qint64 TableBytes = std::min(Info.TableEnd(), PixelStart) - TableStart;
    Table = ReadDibColourTable(Info, Dib.Sub(TableStart, TableBytes));
  }
  return DecodeDibPixels(Info, Table, Dib.Sub(PixelStart, Dib.Size() - PixelStart), {}, Invalid);
}
