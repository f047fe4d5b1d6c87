// Makes the benchmarks' pictures, so that no large file is kept in the repository:
//
//   bench_pictures DIR   writes DIR/photo-6000x4000.jpg   24 megapixels, quality 90
//                               DIR/picture-480x272.jpg   the frame's size, quality 90
//                               DIR/photo-6000x4000-orientation6.jpg
//                                   the same file tagged EXIF Orientation 6 (a phone held
//                                   upright: shown turned a quarter right, 4000 x 6000)
//                               DIR/photo-6000x4000-adobergb.jpg
//                                   the same file with an Adobe RGB (1998) profile (made
//                                   with lcms2: its primaries, D65 white, gamma 563/256)
//   bench_pictures --batch N DIR
//                        writes DIR/photo-01.jpg ... photo-N.jpg, 4000 x 3000 (12 megapixels,
//                        a camera's size), quality 90, each with noise of its own
//   bench_pictures --formats DIR
//                        writes DIR/photo-4000x3000.heic, .avif and .webp (12 megapixels, a
//                        phone's size) and DIR/picture-480x272.heic, .avif and .webp, at
//                        quality 80 (see formatpictures.h)
//
// The content is photograph-like, because a JPEG's decoding cost follows its content: smooth
// light and colour fields, a mid-frequency texture and some sensor-like noise, for about
// 2 bits per pixel at quality 90 (a camera's photograph of this size holds 6 to 12 MB).
// Both are baseline JPEGs with 2 x 2 chroma subsampling, as cameras write them.

#include "export/jpegwriter.h"
#include "formatpictures.h"

#include <QFile>
#include <QImage>
#include <QList>

#include <cmath>
#include <cstdio>
#include <vector>

#include <lcms2.h>

namespace {

QImage PhotographLike(int Width, int Height, quint32 Seed) {
  QImage Image(Width, Height, QImage::Format_RGB32);
  // Separable fields: one table per axis and channel, summed per pixel.
  auto Field = [](int Length, double Periods, double Phase, double Amplitude) {
    std::vector<int> Values(Length);
    for (int I = 0; I < Length; ++I) {
      const double T = double(I) / Length;
      Values[I] = int(Amplitude * (std::sin(2 * M_PI * Periods * T + Phase) +
                                   0.35 * std::sin(2 * M_PI * Periods * 5.3 * T + 2 * Phase)));
    }
    return Values;
  };
  const std::vector<int> RedX = Field(Width, 1.5, 0.3, 50), RedY = Field(Height, 1.2, 1.1, 40);
  const std::vector<int> GreenX = Field(Width, 2.1, 2.0, 45), GreenY = Field(Height, 0.9, 0.4, 45);
  const std::vector<int> BlueX = Field(Width, 0.8, 4.0, 40), BlueY = Field(Height, 1.7, 2.5, 50);
  // A texture of a few dozen pixels' period, like foliage or fabric.
  std::vector<int> Texture(256);
  for (int I = 0; I < 256; ++I)
    Texture[I] = int(14 * std::sin(2 * M_PI * I / 37.0) + 9 * std::sin(2 * M_PI * I / 11.0));
  quint32 State = Seed;
  for (int Y = 0; Y < Height; ++Y) {
    auto *Row = reinterpret_cast<QRgb *>(Image.scanLine(Y));
    for (int X = 0; X < Width; ++X) {
      State = State * 1664525u + 1013904223u;
      const int Noise = int(State >> 29) - 4;
      const int T = Texture[(X + 2 * Y + (X * Y >> 9)) & 255];
      const int Light = 120 + T + Noise;
      Row[X] = qRgb(qBound(0, Light + RedX[X] + RedY[Y], 255),
                    qBound(0, Light + GreenX[X] + GreenY[Y], 255),
                    qBound(0, Light + BlueX[X] + BlueY[Y] - T / 2, 255));
    }
  }
  return Image;
}

bool Write(const QString &FileName, const QByteArray &Bytes) {
  QFile File(FileName);
  return File.open(QIODevice::WriteOnly | QIODevice::Truncate) && File.write(Bytes) == Bytes.size();
}

// An APP1 segment holding one EXIF tag, Orientation, in a big-endian TIFF header.
QByteArray OrientationSegment(int Orientation) {
  const char Payload[] = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1,
                          0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, char(Orientation), 0, 0, 0, 0, 0, 0};
  QByteArray Segment("\xFF\xE1", 2);
  const int Length = int(sizeof Payload) + 2;
  Segment.append(char(Length >> 8)).append(char(Length & 0xFF));
  return Segment.append(Payload, sizeof Payload);
}

QByteArray AdobeRgbProfile() {
  cmsCIExyY White;
  cmsWhitePointFromTemp(&White, 6504);
  const cmsCIExyYTRIPLE Primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
  cmsToneCurve *Gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
  cmsToneCurve *Curves[3] = {Gamma, Gamma, Gamma};
  cmsHPROFILE Profile = cmsCreateRGBProfile(&White, &Primaries, Curves);
  cmsFreeToneCurve(Gamma);
  cmsUInt32Number Size = 0;
  cmsSaveProfileToMem(Profile, nullptr, &Size);
  QByteArray Bytes(qsizetype(Size), '\0');
  cmsSaveProfileToMem(Profile, Bytes.data(), &Size);
  cmsCloseProfile(Profile);
  return Bytes;
}

// An APP2 segment holding a whole (small) ICC profile as its only chunk.
QByteArray IccSegment(const QByteArray &Profile) {
  QByteArray Payload("ICC_PROFILE\0", 12);
  Payload.append(char(1)).append(char(1)).append(Profile);
  QByteArray Segment("\xFF\xE2", 2);
  const int Length = int(Payload.size()) + 2;
  Segment.append(char(Length >> 8)).append(char(Length & 0xFF));
  return Segment.append(Payload);
}

// The file with Segment placed after its SOI and JFIF APP0 segments.
QByteArray WithSegment(const QByteArray &Jpeg, const QByteArray &Segment) {
  const int App0End = 4 + ((uchar(Jpeg[4]) << 8) | uchar(Jpeg[5]));
  return Jpeg.left(App0End) + Segment + Jpeg.mid(App0End);
}

} // namespace

int main(int Argc, char **Argv) {
  if (Argc == 3 && qstrcmp(Argv[1], "--formats") == 0) {
    const QString Dir = QString::fromLocal8Bit(Argv[2]);
    return WriteFormatPictures(PhotographLike(4000, 3000, 2024), Dir, "photo-4000x3000") &&
                   WriteFormatPictures(PhotographLike(480, 272, 2024), Dir, "picture-480x272")
               ? 0
               : 1;
  }
  const bool Batch = Argc == 4 && qstrcmp(Argv[1], "--batch") == 0;
  if (Argc != 2 && !Batch) {
    std::fprintf(stderr, "usage: %s DIR\n       %s --batch N DIR\n       %s --formats DIR\n",
                 Argv[0], Argv[0], Argv[0]);
    return 2;
  }
  const QString Dir = QString::fromLocal8Bit(Argv[Argc - 1]);
  struct TBenchPicture {
    QString Name;
    int Width, Height;
    quint32 Seed;
  };
  QList<TBenchPicture> Pictures;
  if (Batch) {
    const int Count = QByteArray(Argv[2]).toInt();
    for (int I = 1; I <= Count; ++I)
      Pictures.append({QStringLiteral("photo-%1.jpg").arg(I, 2, 10, QLatin1Char('0')), 4000, 3000,
                       quint32(2024 + I)});
  } else {
    Pictures = {{QStringLiteral("photo-6000x4000.jpg"), 6000, 4000, 2024},
                {QStringLiteral("picture-480x272.jpg"), 480, 272, 2024}};
  }
  for (const TBenchPicture &Each : Pictures) {
    const QByteArray Jpeg = EncodeJpeg(PhotographLike(Each.Width, Each.Height, Each.Seed), 90);
    const QString FileName = Dir + u'/' + Each.Name;
    if (!Write(FileName, Jpeg)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(FileName));
      return 1;
    }
    std::printf("%s: %d x %d, %lld bytes\n", qPrintable(FileName), Each.Width, Each.Height,
                static_cast<long long>(Jpeg.size()));
    if (Batch || Each.Width != 6000)
      continue;
    const QList<QPair<QString, QByteArray>> Tagged = {
        {QStringLiteral("photo-6000x4000-orientation6.jpg"), OrientationSegment(6)},
        {QStringLiteral("photo-6000x4000-adobergb.jpg"), IccSegment(AdobeRgbProfile())}};
    for (const auto &[Name, Segment] : Tagged)
      if (!Write(Dir + u'/' + Name, WithSegment(Jpeg, Segment))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(Name));
        return 1;
      }
  }
  return 0;
}
