#include "support/jpegfacts.h"

#include <algorithm>

namespace {

// ITU-T T.81 Annex K.1 and K.2, in natural order.
const int Luminance[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                           14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                           18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                           49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
const int Chrominance[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                             24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                             99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                             99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// The natural position of the k-th coefficient in zig-zag order (T.81 figure A.6).
const int ZigZag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                        12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                        35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                        58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// Out of range reads as 0, so a cut-off segment gives wrong facts, never a crash.
int Byte(const QByteArray &B, qsizetype At) { return At >= 0 && At < B.size() ? uchar(B[At]) : 0; }
int Word(const QByteArray &B, qsizetype At) { return Byte(B, At) << 8 | Byte(B, At + 1); }

QList<int> Bytes(const QByteArray &B, qsizetype From, qsizetype Count) {
  QList<int> Out;
  for (qsizetype I = 0; I < Count; ++I)
    Out.append(Byte(B, From + I));
  return Out;
}

bool IsFrame(int Marker) {
  return Marker >= 0xC0 && Marker <= 0xCF && Marker != 0xC4 && Marker != 0xC8 && Marker != 0xCC;
}

// The segments from SOI to EOI; the entropy-coded data after each SOS is skipped up to the
// next marker that is neither a stuffed 0xFF nor a restart marker.
void ReadSegments(const QByteArray &File, TJpegFacts &Facts) {
  qsizetype I = 0;
  while (I < File.size()) {
    if (Byte(File, I) != 0xFF || I + 1 >= File.size()) {
      Facts.Error = QStringLiteral("no marker at offset %1").arg(I);
      return;
    }
    const int Marker = Byte(File, I + 1);
    I += 2;
    if (Marker == 0xD8 || Marker == 0xD9) {
      Facts.Segments.append(TJpegSegment{Marker, {}, I});
      if (Marker == 0xD9) {
        Facts.BytesAfterEnd = File.size() - I;
        return;
      }
      continue;
    }
    const int Length = Word(File, I);
    if (Length < 2 || I + Length > File.size()) {
      Facts.Error = QStringLiteral("bad segment length %1 at offset %2").arg(Length).arg(I);
      return;
    }
    Facts.Segments.append(TJpegSegment{Marker, File.mid(I + 2, Length - 2), I + 2});
    I += Length;
    if (Marker == 0xDA)
      for (; I + 1 < File.size(); ++I) {
        const int Next = Byte(File, I + 1);
        if (Byte(File, I) != 0xFF || Next == 0x00)
          continue;
        if (Next < 0xD0 || Next > 0xD7)
          break;
        Facts.RestartMarkers = true;
        ++I;
      }
  }
  Facts.Error = QStringLiteral("no EOI");
}

void ReadQuantisation(const QByteArray &S, TJpegFacts &Facts) {
  for (qsizetype P = 0; P < S.size();) {
    const int Precision = Byte(S, P) >> 4, Id = Byte(S, P) & 15;
    ++P;
    QList<int> Natural(64);
    for (int K = 0; K < 64; ++K)
      Natural[ZigZag[K]] = Precision ? Word(S, P + 2 * K) : Byte(S, P + K);
    P += Precision ? 128 : 64;
    Facts.Tables[Id] = Natural;
  }
}

void ReadHuffman(const QByteArray &S, TJpegFacts &Facts) {
  for (qsizetype P = 0; P < S.size();) {
    THuffmanTable Table{Bytes(S, P + 1, 16), {}};
    int Count = 0;
    for (int Codes : Table.Bits)
      Count += Codes;
    Table.Values = Bytes(S, P + 17, Count);
    Facts.Huffman[Byte(S, P)] = Table;
    P += 17 + Count;
  }
}

void ReadFrame(const QByteArray &S, int Marker, TJpegFacts &Facts) {
  if (Facts.Frames++ > 0)
    return;
  Facts.FrameMarker = Marker;
  Facts.Precision = Byte(S, 0);
  Facts.Height = Word(S, 1);
  Facts.Width = Word(S, 3);
  for (int C = 0; C < Byte(S, 5); ++C) {
    Facts.Sampling << Byte(S, 7 + 3 * C);
    Facts.TableOf << Byte(S, 8 + 3 * C);
  }
}

} // namespace

TJpegFacts ReadJpegFacts(const QByteArray &File) {
  TJpegFacts Facts;
  ReadSegments(File, Facts);
  Facts.StartOfImage = !Facts.Segments.isEmpty() && Facts.Segments.front().Marker == 0xD8;
  for (const TJpegSegment &S : Facts.Segments) {
    if (S.Marker == 0xE0 && S.Payload.startsWith(QByteArray("JFIF\0", 5)))
      Facts.Jfif = true;
    else if (S.Marker == 0xDB)
      ReadQuantisation(S.Payload, Facts);
    else if (S.Marker == 0xC4)
      ReadHuffman(S.Payload, Facts);
    else if (IsFrame(S.Marker))
      ReadFrame(S.Payload, S.Marker, Facts);
    else if (S.Marker == 0xDA)
      ++Facts.Scans;
  }
  return Facts;
}

QList<int> ScaledTable(bool Chrominance, int Quality) {
  const int Scale = Quality < 50 ? 5000 / Quality : 200 - 2 * Quality;
  QList<int> Table(64);
  for (int I = 0; I < 64; ++I) {
    const int Standard = Chrominance ? ::Chrominance[I] : Luminance[I];
    Table[I] = std::clamp((Standard * Scale + 50) / 100, 1, 255);
  }
  return Table;
}

QStringList WallpaperFileFaults(const TJpegFacts &Facts, int Width, int Height, int Quality) {
  QStringList Faults;
  if (!Facts.Error.isEmpty())
    Faults << Facts.Error;
  if (!Facts.StartOfImage)
    Faults << QStringLiteral("no start-of-image marker");
  if (!Facts.Jfif)
    Faults << QStringLiteral("no JFIF marker");
  if (Facts.Frames != 1 || Facts.FrameMarker != 0xC0)
    Faults << QStringLiteral("%1 frames, the first 0x%2, not one baseline frame")
                  .arg(Facts.Frames)
                  .arg(Facts.FrameMarker, 0, 16);
  if (Facts.Width != Width || Facts.Height != Height)
    Faults << QStringLiteral("frame %1 x %2, not %3 x %4")
                  .arg(Facts.Width)
                  .arg(Facts.Height)
                  .arg(Width)
                  .arg(Height);
  if (Facts.Precision != 8)
    Faults << QStringLiteral("precision %1").arg(Facts.Precision);
  if (Facts.Sampling != QList<int>{0x22, 0x11, 0x11} || Facts.TableOf != QList<int>{0, 1, 1})
    Faults << QStringLiteral("components are not Y 2x2 on table 0, Cb and Cr 1x1 on table 1");
  if (Facts.Scans != 1)
    Faults << QStringLiteral("%1 scans").arg(Facts.Scans);
  if (Facts.Tables.keys() != QList<int>{0, 1} ||
      Facts.Tables.value(0) != ScaledTable(false, Quality) ||
      Facts.Tables.value(1) != ScaledTable(true, Quality))
    Faults << QStringLiteral("quantisation tables are not those of quality %1").arg(Quality);
  return Faults;
}

QByteArray WithScanBand(const QByteArray &File, int Scan, int Ss, int Se) {
  int Seen = 0;
  for (const TJpegSegment &Segment : ReadJpegFacts(File).Segments) {
    if (Segment.Marker != 0xDA || Seen++ != Scan)
      continue;
    // The scan header: the component count, two bytes per component, then Ss and Se.
    const qsizetype Band = Segment.Offset + 1 + 2 * Byte(Segment.Payload, 0);
    if (Band + 1 >= Segment.Offset + Segment.Payload.size())
      return {};
    QByteArray Out = File;
    Out[Band] = char(Ss);
    Out[Band + 1] = char(Se);
    return Out;
  }
  return {};
}
