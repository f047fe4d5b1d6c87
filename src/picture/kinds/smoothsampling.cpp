#include "picture/kinds/smoothsampling.h"
#include "picture/codecs/largeimage.h"
#include "picture/kinds/areaaverage.h"
#include "picture/kinds/linearlight.h"
#include "picture/kinds/sampling.h"

#include <QSysInfo>

#include <algorithm>
#include <array>
#include <cmath>

#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>

namespace {

constexpr int Blue = BlueByte, Green = GreenByte, Red = RedByte, Opacity = AlphaByte;

// One level row from two rows of the level above (the same row twice for a last odd row).
// Opaque pictures: the plain average of the four pixels' light. This pass reads every pixel
// of a large picture, so it works on bytes: B, G, R at offsets Blue, Green, Red of a pixel.
void ReduceOpaqueRow(const QRgb *A, const QRgb *B, int InWidth, QRgb *Out, int OutWidth) {
  const TLinearLight &T = LinearLight();
  const uint16_t *L = T.ToLinear.data();
  const uint8_t *E = T.ToEncoded.data();
  const auto *RowA = reinterpret_cast<const uchar *>(A);
  const auto *RowB = reinterpret_cast<const uchar *>(B);
  auto *To = reinterpret_cast<uchar *>(Out);
  const auto Pixel = [&](int X, int X1) {
    const int P0 = 4 * X, P1 = 4 * X1;
    for (const int C : {Blue, Green, Red}) {
      const uint32_t Sum = uint32_t(L[RowA[P0 + C]]) + L[RowA[P1 + C]] + L[RowB[P0 + C]] +
                           L[RowB[P1 + C]];
      To[2 * X + C] = E[(Sum + 2) >> 2];
    }
    To[2 * X + Opacity] = 0xFF;
  };
  const int Whole = InWidth / 2;
  for (int X = 0; X < Whole; ++X)
    Pixel(2 * X, 2 * X + 1);
  for (int X = Whole; X < OutWidth; ++X)
    Pixel(2 * X, InWidth - 1);
}

// Pictures with alpha: each pixel's light weighted by its alpha (premultiplied), so a fully
// transparent pixel lends the average none of its colour; alpha itself averages plainly.
void ReduceAlphaRow(const QRgb *A, const QRgb *B, int InWidth, QRgb *Out, int OutWidth) {
  const TLinearLight &T = LinearLight();
  for (int X = 0; X < OutWidth; ++X) {
    const int X0 = 2 * X, X1 = std::min(X0 + 1, InWidth - 1);
    const QRgb Block[4] = {A[X0], A[X1], B[X0], B[X1]};
    uint32_t Weight = 0;
    for (const QRgb P : Block)
      Weight += uint32_t(qAlpha(P));
    if (Weight == 0) {
      Out[X] = 0;
      continue;
    }
    QRgb Result = QRgb((Weight + 2) >> 2) << 24;
    for (const int Shift : {16, 8, 0}) {
      uint32_t Sum = 0;
      for (const QRgb P : Block)
        Sum += uint32_t(qAlpha(P)) * T.ToLinear[(P >> Shift) & 0xFF];
      Result |= QRgb(T.ToEncoded[(Sum + Weight / 2) / Weight]) << Shift;
    }
    Out[X] = Result;
  }
}

// Rows of the picture as 32-bit pixels, whatever its format.
class TRowReader {
public:
  explicit TRowReader(const QImage &Image) : FImage(Image) {
    const QImage::Format F = Image.format();
    FDirect = F == QImage::Format_RGB32 || F == QImage::Format_ARGB32;
    if (!FDirect)
      FRow.resize(size_t(Image.width()));
    if (F == QImage::Format_Indexed8) {
      // An index beyond the table shows black, as the nearest-pixel drawing paints it.
      FTable = Image.colorTable();
      FTable.resize(256, qRgb(0, 0, 0));
    }
  }
  // Whether rows point into the image itself, each valid as long as it is.
  bool Direct() const { return FDirect; }
  // Valid until the next call for another row, unless Direct.
  const QRgb *Row(int Y) {
    if (FDirect)
      return reinterpret_cast<const QRgb *>(FImage.constScanLine(Y));
    if (!FTable.isEmpty()) {
      const uchar *In = FImage.constScanLine(Y);
      for (size_t X = 0; X < FRow.size(); ++X)
        FRow[X] = FTable[In[X]];
    } else {
      const QImage One = FImage.copy(0, Y, FImage.width(), 1).convertToFormat(QImage::Format_ARGB32);
      std::copy_n(reinterpret_cast<const QRgb *>(One.constScanLine(0)), FRow.size(), FRow.begin());
    }
    return FRow.data();
  }

private:
  const QImage &FImage;
  bool FDirect = false;
  QList<QRgb> FTable;
  std::vector<QRgb> FRow;
};

QImage Reduce(const QImage &Above, bool Alpha) {
  const int W = (Above.width() + 1) / 2, H = (Above.height() + 1) / 2;
  QImage Level = NewLargeImage(QSize(W, H), Alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (Level.isNull())
    return Level;
  TRowReader Rows(Above);
  std::vector<QRgb> Kept;
  for (int Y = 0; Y < H; ++Y) {
    const QRgb *A = Rows.Row(2 * Y);
    if (!Rows.Direct()) {
      // The reader hands out one buffer for every row: the first row of the pair is kept.
      Kept.assign(A, A + Above.width());
      A = Kept.data();
    }
    const QRgb *B = 2 * Y + 1 < Above.height() ? Rows.Row(2 * Y + 1) : A;
    QRgb *Out = reinterpret_cast<QRgb *>(Level.scanLine(Y));
    if (Alpha)
      ReduceAlphaRow(A, B, Above.width(), Out, W);
    else
      ReduceOpaqueRow(A, B, Above.width(), Out, W);
  }
  return Level;
}

// The level pixels [First, Last) that the destination pixels [From, To) of one direction
// read, at Scale destination pixels per level pixel, with room for the filter's reach.
struct TSpan {
  int First = 0;
  int Last = 0;
};

TSpan InputSpan(int From, int To, double Scale, int LevelLength) {
  // Catmull-Rom reaches 2 level pixels either side; the area average 1 destination pixel,
  // 1 / Scale level pixels. Two more keep rounding at the edges out of the way.
  const int Reach = (Scale >= 1 ? 2 : int(std::ceil(1 / Scale))) + 2;
  const int First = int(std::floor(From / Scale)) - Reach;
  const int Last = int(std::ceil(To / Scale)) + Reach;
  return {std::max(0, First), std::min(LevelLength, Last)};
}

stbir_filter FilterFor(double Scale) {
  return Scale <= 1 ? STBIR_FILTER_BOX : STBIR_FILTER_CATMULLROM;
}

} // namespace

const TLinearLight &LinearLight() {
  static const TLinearLight Tables = [] {
    TLinearLight T;
    for (int C = 0; C < 256; ++C) {
      const double V = C / 255.0;
      const double L = V <= 0.04045 ? V / 12.92 : std::pow((V + 0.055) / 1.055, 2.4);
      T.ToLinear[size_t(C)] = uint16_t(std::lround(L * TLinearLight::Max));
      T.ToLinearFloat[size_t(C)] = float(L);
    }
    for (int L = 0; L <= TLinearLight::Max; ++L) {
      const double V = L / double(TLinearLight::Max);
      const double E = V <= 0.0031308 ? V * 12.92 : 1.055 * std::pow(V, 1 / 2.4) - 0.055;
      T.ToEncoded[size_t(L)] = uint8_t(std::clamp<long>(std::lround(E * 255), 0, 255));
    }
    return T;
  }();
  return Tables;
}

TReducedLevels::TReducedLevels(const QImage &Source) : FSource(Source) {
  for (QSize Size = Source.size(); Size.width() > 1 || Size.height() > 1; ++FCount)
    Size = QSize((Size.width() + 1) / 2, (Size.height() + 1) / 2);
  if (Source.isNull())
    FCount = 0;
}

const QImage &TReducedLevels::Level(int K) {
  while (int(FLevels.size()) < K) {
    const QImage &Above = FLevels.empty() ? FSource : FLevels.back();
    QImage Next = Reduce(Above, FSource.hasAlphaChannel());
    if (Next.isNull())
      break;
    FLevels.push_back(std::move(Next));
  }
  static const QImage None;
  return int(FLevels.size()) >= K ? FLevels[size_t(K - 1)] : None;
}

int ChooseLevel(QSize SourceSize, int LevelCount, QSize DestSize) {
  int K = 0;
  while (K < LevelCount && qint64(SourceSize.width()) >= (qint64(2 * DestSize.width()) << (K + 1)) &&
         qint64(SourceSize.height()) >= (qint64(2 * DestSize.height()) << (K + 1)))
    ++K;
  return K;
}

namespace {

// Level drawn at ScaleX and ScaleY destination pixels per level pixel, filtered by
// stb_image_resize; only the pixels of Part are computed, from the level pixels they need.
QImage Resample(const QImage &Level, double ScaleX, double ScaleY, QRect Part, bool Alpha) {
  const QImage::Format Format = Alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
  const TSpan Columns = InputSpan(Part.left(), Part.right() + 1, ScaleX, Level.width());
  const TSpan Rows = InputSpan(Part.top(), Part.bottom() + 1, ScaleY, Level.height());
  const QRect Window(Columns.First, Rows.First, Columns.Last - Columns.First,
                     Rows.Last - Rows.First);
  QImage Converted;
  const uchar *In = nullptr;
  qsizetype Stride = 0;
  if (Level.format() == Format) {
    In = Level.constScanLine(Window.top()) + 4 * qsizetype(Window.left());
    Stride = Level.bytesPerLine();
  } else {
    Converted = Level.copy(Window).convertToFormat(Format);
    In = Converted.constBits();
    Stride = Converted.bytesPerLine();
  }
  QImage Result(Part.size(), Format);
  if (In == nullptr || Result.isNull())
    return QImage();

  const int Done = stbir_resize_subpixel(
      In, Window.width(), Window.height(), int(Stride), Result.bits(), Result.width(),
      Result.height(), int(Result.bytesPerLine()), STBIR_TYPE_UINT8, 4,
      Alpha ? Opacity : STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_EDGE_CLAMP,
      FilterFor(ScaleX), FilterFor(ScaleY), STBIR_COLORSPACE_SRGB, nullptr, float(ScaleX),
      float(ScaleY), float(Part.left() - Window.left() * ScaleX),
      float(Part.top() - Window.top() * ScaleY));
  if (!Done)
    return QImage();
  if (!Alpha) {
    // The fourth byte went through the filter as a colour; opaque pictures keep it at 255.
    for (int Y = 0; Y < Result.height(); ++Y) {
      QRgb *Line = reinterpret_cast<QRgb *>(Result.scanLine(Y));
      for (int X = 0; X < Result.width(); ++X)
        Line[X] |= 0xFF000000u;
    }
  }
  return Result;
}

} // namespace

QImage SampleSmooth(const QImage &Source, TReducedLevels &Levels, QSize DestSize, QRect Part) {
  Part &= QRect(QPoint(0, 0), DestSize);
  if (Source.isNull() || Part.isEmpty())
    return QImage();
  if (DestSize == Source.size())
    return SampleNearest(Source, DestSize, Part);

  const int K = ChooseLevel(Source.size(), Levels.Count(), DestSize);
  const QImage &Level = K > 0 ? Levels.Level(K) : Source;
  if (Level.isNull())
    return QImage(); // out of memory: nothing is drawn
  // The level's share of the picture, in level pixels: a level of an odd length reaches half
  // a pixel beyond it (that pixel repeats the last one), which must not stretch the picture.
  const QSizeF Extent(std::ldexp(double(Source.width()), -K),
                      std::ldexp(double(Source.height()), -K));
  const double ScaleX = DestSize.width() / Extent.width();
  const double ScaleY = DestSize.height() / Extent.height();
  const bool Alpha = Source.hasAlphaChannel();
  const QImage::Format Format = Alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
  if (ScaleX <= 1 && ScaleY <= 1 && Level.format() == Format)
    return AreaAverage(Level, Extent, DestSize, Part, Alpha);
  // Enlarged in at least one direction, or pixels of another format.
  return Resample(Level, ScaleX, ScaleY, Part, Alpha);
}
