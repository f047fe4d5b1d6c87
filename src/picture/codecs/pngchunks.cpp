#include "picture/codecs/pngchunks.h"

#include <cstring>
#include <stdexcept>

#include <zlib.h>

namespace {

[[noreturn]] void Fail(const char *Message) { throw std::runtime_error(Message); }

quint32 BigEndian32(const uchar *P) {
  return (quint32(P[0]) << 24) | (quint32(P[1]) << 16) | (quint32(P[2]) << 8) | quint32(P[3]);
}

bool IsLetter(uchar C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z'); }

bool IsType(const uchar *Type, const char *Name) {
  return Type[0] == uchar(Name[0]) && Type[1] == uchar(Name[1]) && Type[2] == uchar(Name[2]) &&
         Type[3] == uchar(Name[3]);
}

bool ValidDepth(int ColorType, int Depth) {
  switch (ColorType) {
  case 0:
    return Depth == 1 || Depth == 2 || Depth == 4 || Depth == 8 || Depth == 16;
  case 3:
    return Depth == 1 || Depth == 2 || Depth == 4 || Depth == 8;
  case 2:
  case 4:
  case 6:
    return Depth == 8 || Depth == 16;
  default:
    return false;
  }
}

TPngHeader ReadHeader(const uchar *Body, quint32 Length) {
  if (Length != 13)
    Fail(PngMessage::IhdrCorrupted);
  TPngHeader Header;
  Header.Width = BigEndian32(Body);
  Header.Height = BigEndian32(Body + 4);
  Header.BitDepth = Body[8];
  Header.ColorType = Body[9];
  Header.Interlace = Body[12];
  if (Header.Width > 65535 || Header.Height > 65535)
    Fail(PngMessage::SizeExceeded);
  if (Header.Width == 0 || Header.Height == 0 || !ValidDepth(Header.ColorType, Header.BitDepth))
    Fail(PngMessage::IhdrCorrupted);
  if (Body[10] != 0)
    Fail(PngMessage::UnknownCompression);
  if (Body[11] != 0)
    Fail(PngMessage::IhdrCorrupted);
  if (Header.Interlace > 1)
    Fail(PngMessage::UnknownInterlace);
  return Header;
}

} // namespace

TPngHeader CheckPngChunks(const QByteArray &Data) {
  static const char Signature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
  if (Data.size() < 8 || std::memcmp(Data.constData(), Signature, 8) != 0)
    Fail(PngMessage::InvalidHeader);

  const auto *Bytes = reinterpret_cast<const uchar *>(Data.constData());
  const qsizetype Size = Data.size();
  qsizetype Pos = 8;
  TPngHeader Header;
  bool SeenHeader = false, SeenPalette = false, SeenData = false;

  // Each chunk: length (4) | type (4) | body (length) | CRC of type and body (4).
  while (Pos < Size) {
    if (Size - Pos < 8)
      Fail(PngMessage::UnexpectedEnd);
    const quint32 Length = BigEndian32(Bytes + Pos);
    const uchar *Type = Bytes + Pos + 4;
    if (!SeenHeader && !IsType(Type, "IHDR"))
      Fail(PngMessage::IhdrNotFirst);
    if (qint64(Length) > qint64(Size - Pos - 12))
      Fail(PngMessage::UnexpectedEnd);
    const uchar *Body = Type + 4;
    const quint32 Crc = quint32(crc32(crc32(0L, Z_NULL, 0), Type, uInt(Length + 4)));
    if (Crc != BigEndian32(Body + Length))
      Fail(PngMessage::CrcError);
    Pos += qsizetype(Length) + 12;

    if (!IsLetter(Type[0]) || !IsLetter(Type[1]) || !IsLetter(Type[2]) || !IsLetter(Type[3]))
      Fail(PngMessage::UnknownCritical);
    if (IsType(Type, "IHDR")) {
      if (SeenHeader)
        Fail(PngMessage::IhdrCorrupted);
      Header = ReadHeader(Body, Length);
      SeenHeader = true;
    } else if (IsType(Type, "PLTE")) {
      // Other colour types may carry a suggested palette, which libpng passes over.
      if (Header.ColorType == 3 &&
          (SeenPalette || SeenData || Length == 0 || Length > 768 || Length % 3 != 0))
        Fail(PngMessage::InvalidPalette);
      SeenPalette = true;
    } else if (IsType(Type, "IDAT")) {
      if (Header.ColorType == 3 && !SeenPalette)
        Fail(PngMessage::InvalidPalette);
      SeenData = true;
    } else if (IsType(Type, "IEND")) {
      if (!SeenData)
        Fail(PngMessage::NoImageData);
      return Header;
    } else if ((Type[0] & 0x20) == 0) {
      Fail(PngMessage::UnknownCritical);
    }
  }
  Fail(PngMessage::UnexpectedEnd);
}
