#include "picture/metafile/wmffile.h"

#include <stdexcept>

namespace {

constexpr qint64 PlaceableSize = 22;
constexpr qint64 MetaHeaderSize = 18;

[[noreturn]] void Invalid() { throw std::runtime_error(MetafileInvalidMessage()); }

bool IsMetaHeader(TByteView Data, qint64 Offset) {
  const quint16 Type = Data.U16(Offset);
  const quint16 HeaderWords = Data.U16(Offset + 2);
  const quint16 Version = Data.U16(Offset + 4);
  return Data.Has(Offset, MetaHeaderSize) && (Type == 1 || Type == 2) && HeaderWords == 9 &&
         (Version == 0x100 || Version == 0x300);
}

}  // namespace

bool LooksLikeWmf(TByteView Data) {
  if (Data.U32(0) == WmfPlaceableKey)
    return true;
  return IsMetaHeader(Data, 0);
}

TWmfFile ReadWmf(TByteView Data) {
  TWmfFile File;
  qint64 Offset = 0;
  if (Data.U32(0) == WmfPlaceableKey) {
    if (!Data.Has(0, PlaceableSize))
      Invalid();
    File.Placeable = true;
    File.Box = TMfRect{Data.I16(6), Data.I16(8), Data.I16(10), Data.I16(12)};
    File.UnitsPerInch = Data.U16(14);
    Offset = PlaceableSize;
  }
  if (!IsMetaHeader(Data, Offset))
    Invalid();
  File.Objects = Data.U16(Offset + 10);
  const qint64 Declared = Offset + qint64(Data.U32(Offset + 6)) * 2;
  Offset += MetaHeaderSize;

  bool Ended = false;
  while (!Ended && Data.Size() - Offset >= 6) {
    const qint64 Size = qint64(Data.U32(Offset)) * 2;
    const quint16 Function = Data.U16(Offset + 4);
    if (Size < 6 || !Data.Has(Offset, Size))
      Invalid();
    Ended = Function == 0;
    if (!Ended)
      File.Records.push_back(TMfRecord{Function, Offset, Size});
    Offset += Size;
  }
  // Without its end record, a file shorter than its header says was cut short.
  if (!Ended && Data.Size() < Declared)
    Invalid();
  return File;
}
