#include "picture/metafile/emffile.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr quint32 EmrHeader = 1;
constexpr quint32 EmrEof = 14;
constexpr quint32 EmfSignature = 0x464D4520;  // " EMF"
constexpr qint64 BaseHeaderSize = 88;

[[noreturn]] void Invalid() { throw std::runtime_error(MetafileInvalidMessage()); }

TMfRect ReadRect(TByteView Data, qint64 Offset) {
  return TMfRect{Data.I32(Offset), Data.I32(Offset + 4), Data.I32(Offset + 8),
                 Data.I32(Offset + 12)};
}

// 96 dots per inch, in pixels per millimetre.
constexpr double DefaultPixelsPerMm = 96.0 / 25.4;

double PixelsPerMm(qint32 Pixels, double Millimetres) {
  if (Pixels <= 0 || !(Millimetres > 0))
    return DefaultPixelsPerMm;
  const double Value = Pixels / Millimetres;
  // A reference device of under 1 or over 100000 dpi is a damaged header, not a device.
  if (Value < 1.0 / 25.4 || Value > 100000.0 / 25.4)
    return DefaultPixelsPerMm;
  return Value;
}

}  // namespace

double TEmfHeader::PixelsPerMmX() const { return PixelsPerMm(DeviceWidth, DeviceWidthMm); }

double TEmfHeader::PixelsPerMmY() const { return PixelsPerMm(DeviceHeight, DeviceHeightMm); }

bool LooksLikeEmf(TByteView Data) {
  return Data.Has(0, BaseHeaderSize) && Data.U32(0) == EmrHeader &&
         Data.U32(40) == EmfSignature;
}

TEmfFile ReadEmf(TByteView Data) {
  if (!LooksLikeEmf(Data))
    Invalid();
  const qint64 HeaderSize = Data.U32(4);
  if (HeaderSize < BaseHeaderSize || HeaderSize % 4 != 0 || !Data.Has(0, HeaderSize))
    Invalid();

  TEmfFile File;
  TEmfHeader &Header = File.Header;
  Header.HeaderSize = HeaderSize;
  Header.Bounds = ReadRect(Data, 8);
  Header.Frame = ReadRect(Data, 24);
  Header.Handles = Data.U16(56);
  const qint64 DescriptionLength = Data.U32(60);
  const qint64 DescriptionOffset = Data.U32(64);
  if (DescriptionLength > 0 &&
      (DescriptionOffset < BaseHeaderSize ||
       !Data.Sub(0, HeaderSize).Has(DescriptionOffset, DescriptionLength * 2)))
    Invalid();
  Header.DeviceWidth = Data.I32(72);
  Header.DeviceHeight = Data.I32(76);
  Header.DeviceWidthMm = Data.I32(80);
  Header.DeviceHeightMm = Data.I32(84);
  // The header's optional extensions (pixel format, size in micrometres) are present only
  // where the header reaches beyond them before its description starts.
  const qint64 FixedEnd = DescriptionLength > 0 ? std::min(HeaderSize, DescriptionOffset)
                                                : HeaderSize;
  if (FixedEnd >= 108) {
    const qint32 MicronsX = Data.I32(100);
    const qint32 MicronsY = Data.I32(104);
    if (MicronsX > 0 && MicronsY > 0) {
      Header.DeviceWidthMm = MicronsX / 1000.0;
      Header.DeviceHeightMm = MicronsY / 1000.0;
    }
  }

  qint64 Offset = HeaderSize;
  bool Ended = false;
  while (!Ended && Data.Size() - Offset >= 8) {
    const quint32 Type = Data.U32(Offset);
    const qint64 Size = Data.U32(Offset + 4);
    if (Size < 8 || Size % 4 != 0 || !Data.Has(Offset, Size))
      Invalid();
    Ended = Type == EmrEof;
    if (!Ended)
      File.Records.push_back(TMfRecord{Type, Offset, Size});
    Offset += Size;
  }
  // Without its end record, a file shorter than its header says was cut short.
  if (!Ended && Data.Size() < qint64(Data.U32(48)))
    Invalid();
  return File;
}
