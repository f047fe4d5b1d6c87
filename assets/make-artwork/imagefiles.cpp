#include "imagefiles.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QtEndian>

#include <stdexcept>

namespace {

void Fail(const QString &Path, const QString &What) {
  throw std::runtime_error(QStringLiteral("%1: %2").arg(Path, What).toStdString());
}

void SaveBytes(const QByteArray &Data, const QString &Path) {
  QFile File(Path);
  if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate) || File.write(Data) != Data.size())
    Fail(Path, QStringLiteral("cannot write"));
}

// Little-endian appenders for the BMP and ICO headers.
void PutU16(QByteArray &Out, quint16 Value) {
  char Bytes[2];
  qToLittleEndian(Value, Bytes);
  Out.append(Bytes, 2);
}

void PutU32(QByteArray &Out, quint32 Value) {
  char Bytes[4];
  qToLittleEndian(Value, Bytes);
  Out.append(Bytes, 4);
}

// BITMAPINFOHEADER (40 bytes). DibHeight is twice the picture's height inside an ICO.
void PutInfoHeader(QByteArray &Out, int Width, int DibHeight, int BitCount, quint32 ImageSize) {
  PutU32(Out, 40);
  PutU32(Out, quint32(Width));
  PutU32(Out, quint32(DibHeight));
  PutU16(Out, 1);
  PutU16(Out, quint16(BitCount));
  PutU32(Out, 0);  // BI_RGB
  PutU32(Out, ImageSize);
  PutU32(Out, 2835);  // 72 dpi
  PutU32(Out, 2835);
  PutU32(Out, 0);
  PutU32(Out, 0);
}

// The 32-bit DIB of one icon entry: XOR pixels bottom-up as BGRA, then the 1-bit AND mask
// (set bit = transparent), each mask row padded to 32 bits.
QByteArray IconDib(const QImage &Source) {
  const QImage Image = Source.convertToFormat(QImage::Format_ARGB32);
  const int Size = Image.width();
  const int MaskStride = ((Size + 31) / 32) * 4;
  QByteArray Dib;
  PutInfoHeader(Dib, Size, Size * 2, 32, quint32(Size * Size * 4 + MaskStride * Size));
  for (int Y = Size - 1; Y >= 0; --Y) {
    const QRgb *Row = reinterpret_cast<const QRgb *>(Image.constScanLine(Y));
    for (int X = 0; X < Size; ++X) {
      const char Bgra[4] = {char(qBlue(Row[X])), char(qGreen(Row[X])), char(qRed(Row[X])),
                            char(qAlpha(Row[X]))};
      Dib.append(Bgra, 4);
    }
  }
  for (int Y = Size - 1; Y >= 0; --Y) {
    const QRgb *Row = reinterpret_cast<const QRgb *>(Image.constScanLine(Y));
    QByteArray Mask(MaskStride, '\0');
    for (int X = 0; X < Size; ++X)
      if (qAlpha(Row[X]) == 0)
        Mask[X / 8] = char(Mask[X / 8] | (0x80 >> (X % 8)));
    Dib.append(Mask);
  }
  return Dib;
}

}  // namespace

TJpegFrame ReadJpegFrame(const QByteArray &Data) {
  const auto Byte = [&](qsizetype At) { return At < Data.size() ? int(quint8(Data[At])) : -1; };
  if (Byte(0) != 0xFF || Byte(1) != 0xD8)
    throw std::runtime_error("not a JPEG file");
  qsizetype At = 2;
  while (At + 4 <= Data.size()) {
    if (Byte(At) != 0xFF)
      throw std::runtime_error("JPEG marker expected");
    const int Marker = Byte(At + 1);
    const int Length = Byte(At + 2) * 256 + Byte(At + 3);
    // SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    if (Marker >= 0xC0 && Marker <= 0xCF && Marker != 0xC4 && Marker != 0xC8 && Marker != 0xCC) {
      TJpegFrame Frame;
      Frame.Marker = Marker;
      Frame.Height = Byte(At + 5) * 256 + Byte(At + 6);
      Frame.Width = Byte(At + 7) * 256 + Byte(At + 8);
      Frame.Components = Byte(At + 9);
      return Frame;
    }
    At += 2 + Length;
  }
  throw std::runtime_error("JPEG file without a frame header");
}

void WriteJpeg(const QImage &Image, const QString &Path, int Quality) {
  QByteArray Data;
  QBuffer Buffer(&Data);
  Buffer.open(QIODevice::WriteOnly);
  QImageWriter Writer(&Buffer, "jpg");
  Writer.setQuality(Quality);
  Writer.setOptimizedWrite(false);
  Writer.setProgressiveScanWrite(false);
  // An RGB32 picture is written as YCbCr; only grey formats would give one component.
  if (!Writer.write(Image.convertToFormat(QImage::Format_RGB32)))
    Fail(Path, Writer.errorString());
  const TJpegFrame Frame = ReadJpegFrame(Data);
  if (Frame.Marker != 0xC0 || Frame.Components != 3)
    Fail(Path, QStringLiteral("the JPEG writer did not produce a baseline colour file"));
  SaveBytes(Data, Path);
}

void WriteBmp24(const QImage &Source, const QString &Path) {
  const QImage Image = Source.convertToFormat(QImage::Format_RGB32);
  const int Stride = (Image.width() * 3 + 3) / 4 * 4;
  const quint32 PixelBytes = quint32(Stride * Image.height());
  QByteArray Out;
  Out.append("BM", 2);
  PutU32(Out, 14 + 40 + PixelBytes);
  PutU32(Out, 0);
  PutU32(Out, 14 + 40);
  PutInfoHeader(Out, Image.width(), Image.height(), 24, PixelBytes);
  for (int Y = Image.height() - 1; Y >= 0; --Y) {
    const QRgb *Row = reinterpret_cast<const QRgb *>(Image.constScanLine(Y));
    QByteArray Line(Stride, '\0');
    for (int X = 0; X < Image.width(); ++X) {
      Line[X * 3] = char(qBlue(Row[X]));
      Line[X * 3 + 1] = char(qGreen(Row[X]));
      Line[X * 3 + 2] = char(qRed(Row[X]));
    }
    Out.append(Line);
  }
  SaveBytes(Out, Path);
}

void WritePng(const QImage &Image, const QString &Path) {
  QImageWriter Writer(Path, "png");
  if (!Writer.write(Image.convertToFormat(QImage::Format_ARGB32)))
    Fail(Path, Writer.errorString());
}

void WriteIco(const QList<QImage> &Images, const QString &Path) {
  QList<QByteArray> Dibs;
  for (const QImage &Image : Images) {
    if (Image.width() != Image.height() || Image.width() > 256)
      Fail(Path, QStringLiteral("icon images must be square, at most 256 pixels"));
    Dibs.append(IconDib(Image));
  }
  QByteArray Out;
  PutU16(Out, 0);
  PutU16(Out, 1);  // icon, not cursor
  PutU16(Out, quint16(Images.size()));
  quint32 Offset = quint32(6 + 16 * Images.size());
  for (qsizetype I = 0; I < Images.size(); ++I) {
    const int Size = Images[I].width();
    Out.append(char(Size == 256 ? 0 : Size));
    Out.append(char(Size == 256 ? 0 : Size));
    Out.append(char(0));  // no palette
    Out.append(char(0));
    PutU16(Out, 1);   // planes
    PutU16(Out, 32);  // bits per pixel
    PutU32(Out, quint32(Dibs[I].size()));
    PutU32(Out, Offset);
    Offset += quint32(Dibs[I].size());
  }
  for (const QByteArray &Dib : Dibs)
    Out.append(Dib);
  SaveBytes(Out, Path);
}
