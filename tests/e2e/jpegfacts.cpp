#include "jpegfacts.h"

#include <QStringList>

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

int Byte(const QByteArray &File, qsizetype At) { return At < File.size() ? uchar(File[At]) : 0; }

int Word(const QByteArray &File, qsizetype At) { return Byte(File, At) << 8 | Byte(File, At + 1); }

void ReadTables(const QByteArray &File, qsizetype From, qsizetype End, TJpegFacts &Facts) {
  qsizetype P = From;
  while (P < End) {
    const int Precision = Byte(File, P) >> 4, Id = Byte(File, P) & 15;
    ++P;
    QList<int> Natural(64);
    for (int K = 0; K < 64; ++K)
      Natural[ZigZag[K]] = Precision ? Word(File, P + 2 * K) : Byte(File, P + K);
    P += Precision ? 128 : 64;
    Facts.Tables[Id] = Natural;
  }
}

} // namespace

TJpegFacts ReadJpegFacts(const QByteArray &File) {
  TJpegFacts Facts;
  Facts.StartOfImage = Byte(File, 0) == 0xFF && Byte(File, 1) == 0xD8;
  qsizetype At = 2;
  while (Facts.StartOfImage && At + 4 <= File.size() && Byte(File, At) == 0xFF) {
    const int Marker = Byte(File, At + 1);
    const int Length = Word(File, At + 2);
    const qsizetype Body = At + 4, End = At + 2 + Length;
    if (Marker == 0xE0 && File.mid(Body, 5) == QByteArray("JFIF\0", 5))
      Facts.Jfif = true;
    else if (Marker == 0xDB)
      ReadTables(File, Body, End, Facts);
    else if (Marker >= 0xC0 && Marker <= 0xCF && Marker != 0xC4 && Marker != 0xC8 &&
             Marker != 0xCC) {
      Facts.FrameMarker = Marker;
      Facts.Precision = Byte(File, Body);
      Facts.Height = Word(File, Body + 1);
      Facts.Width = Word(File, Body + 3);
      const int Components = Byte(File, Body + 5);
      for (int C = 0; C < Components; ++C) {
        Facts.Sampling << Byte(File, Body + 7 + 3 * C);
        Facts.TableOf << Byte(File, Body + 8 + 3 * C);
      }
    } else if (Marker == 0xDA) {
      ++Facts.Scans;
      // Entropy-coded data follows: skip to the next marker that is no stuffed byte or restart.
      qsizetype P = End;
      while (P + 1 < File.size() &&
             !(Byte(File, P) == 0xFF && Byte(File, P + 1) != 0 &&
               (Byte(File, P + 1) < 0xD0 || Byte(File, P + 1) > 0xD7)))
        ++P;
      At = P;
      continue;
    } else if (Marker == 0xD9) {
      break;
    }
    At = End;
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
  if (!Facts.StartOfImage)
    Faults << QStringLiteral("no start-of-image marker");
  if (!Facts.Jfif)
    Faults << QStringLiteral("no JFIF marker");
  if (Facts.FrameMarker != 0xC0)
    Faults << QStringLiteral("frame marker 0x%1, not baseline").arg(Facts.FrameMarker, 0, 16);
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
  if (Facts.Tables.value(0) != ScaledTable(false, Quality) ||
      Facts.Tables.value(1) != ScaledTable(true, Quality))
    Faults << QStringLiteral("quantisation tables are not those of quality %1").arg(Quality);
  return Faults;
}
