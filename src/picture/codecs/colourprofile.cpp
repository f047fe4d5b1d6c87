#include "picture/codecs/colourprofile.h"

#include <algorithm>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

#include <lcms2.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// Profiles and transforms kept at once: a picture's profile, and a few others for the
// batch program going through a folder of photos from a few cameras.
constexpr std::size_t CachedTransforms = 4;
// Below this many pixels a second thread costs more than it saves.
constexpr qsizetype ThreadedPixels = qsizetype(1) << 20;
// Pixels per lcms2 call when a CMYK result needs its alpha set afterwards: a band that stays
// in the cache between the two passes.
constexpr qsizetype CmykChunk = 4096;

void IgnoreLcmsError(cmsContext, cmsUInt32Number, const char *) {}

// Qt 6.4's AVX2 fill, with which the raster engine paints the widgets' backgrounds, returns
// without clearing the upper halves of the vector registers (no VZEROUPPER). Until something
// clears them, SSE instructions without a VEX prefix pay for them (a state transition or a
// false dependency, by processor), and lcms2 as Debian builds it is such code: building the
// transform of an Adobe RGB profile, which evaluates its tone curves in floating point (some
// 130,000 calls of pow), took 19 ms of processor time after a paint instead of 2.3.
// Clearing them costs a cycle and changes no result, as no vector register is live across a
// call. Converting pixels is integer work and runs as fast either way.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx"))) void ClearUpperHalves() { _mm256_zeroupper(); }

void ClearVectorState() {
  static const bool HasAvx = __builtin_cpu_supports("avx");
  if (HasAvx)
    ClearUpperHalves();
}
#else
void ClearVectorState() {}
#endif

// Rgb32 pixels are B, G, R, A in memory on little-endian machines, A, R, G, B on big-endian.
constexpr bool LittleEndian = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
constexpr cmsUInt32Number Rgb32Format = LittleEndian ? TYPE_BGRA_8 : TYPE_ARGB_8;

cmsUInt32Number InputFormat(TPixelLayout Layout) {
  switch (Layout) {
  case TPixelLayout::Rgb32:
    return Rgb32Format;
  case TPixelLayout::GreyInRgb32:
    return TYPE_GRAY_8;
  case TPixelLayout::Cmyk:
    return TYPE_CMYK_8;
  case TPixelLayout::InvertedCmyk:
    return TYPE_CMYK_8_REV;
  }
  return 0;
}

cmsColorSpaceSignature LayoutSpace(TPixelLayout Layout) {
  switch (Layout) {
  case TPixelLayout::Rgb32:
    return cmsSigRgbData;
  case TPixelLayout::GreyInRgb32:
    return cmsSigGrayData;
  case TPixelLayout::Cmyk:
  case TPixelLayout::InvertedCmyk:
    return cmsSigCmykData;
  }
  return cmsSigRgbData;
}

bool IsCmyk(TPixelLayout Layout) {
  return Layout == TPixelLayout::Cmyk || Layout == TPixelLayout::InvertedCmyk;
}

// An open profile, closed with its owner.
class TProfile {
public:
  explicit TProfile(const QByteArray &Bytes) {
    if (!Bytes.isEmpty())
      FHandle = cmsOpenProfileFromMem(Bytes.constData(), cmsUInt32Number(Bytes.size()));
  }
  explicit TProfile(cmsHPROFILE Handle) : FHandle(Handle) {}
  ~TProfile() {
    if (FHandle)
      cmsCloseProfile(FHandle);
  }
  TProfile(const TProfile &) = delete;
  TProfile &operator=(const TProfile &) = delete;
  cmsHPROFILE Handle() const { return FHandle; }

private:
  cmsHPROFILE FHandle = nullptr;
};

struct TCacheEntry {
  QByteArray Profile;
  TPixelLayout Layout;
  std::shared_ptr<const TColourTransform> Transform;
};

std::mutex CacheMutex;
std::list<TCacheEntry> Cache; // most recently used first

// The sRGB colour of each grey level, from lcms2's unoptimised pipeline.
std::shared_ptr<const TColourTransform> MakeGreyLevels(cmsHPROFILE Grey, cmsHPROFILE SRGB) {
  cmsHTRANSFORM Transform = cmsCreateTransform(Grey, TYPE_GRAY_8, SRGB, Rgb32Format,
                                               INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE);
  if (!Transform)
    return nullptr;
  std::vector<QRgb> Levels(256);
  uchar Grey8[256];
  for (int I = 0; I < 256; ++I)
    Grey8[I] = uchar(I);
  cmsDoTransform(Transform, Grey8, Levels.data(), 256);
  cmsDeleteTransform(Transform);
  for (QRgb &Level : Levels)
    Level = qRgb(qRed(Level), qGreen(Level), qBlue(Level));
  return std::make_shared<const TColourTransform>(nullptr, TPixelLayout::GreyInRgb32,
                                                  std::move(Levels));
}

std::shared_ptr<const TColourTransform> MakeTransform(const QByteArray &Bytes,
                                                      TPixelLayout Layout) {
  static const bool Quiet = (cmsSetLogErrorHandler(IgnoreLcmsError), true);
  (void)Quiet;
  ClearVectorState(); // what follows is floating-point work: see ClearVectorState
  TProfile Source(Bytes);
  if (!Source.Handle() || cmsGetColorSpace(Source.Handle()) != LayoutSpace(Layout))
    return nullptr;
  TProfile SRGB(cmsCreate_sRGBProfile());
  if (!SRGB.Handle())
    return nullptr;
  if (Layout == TPixelLayout::GreyInRgb32)
    return MakeGreyLevels(Source.Handle(), SRGB.Handle());
  cmsHTRANSFORM Transform = cmsCreateTransform(Source.Handle(), InputFormat(Layout), SRGB.Handle(),
                                               Rgb32Format, INTENT_PERCEPTUAL, 0);
  if (!Transform)
    return nullptr;
  return std::make_shared<const TColourTransform>(Transform, Layout);
}

} // namespace

TColourTransform::TColourTransform(void *Transform, TPixelLayout Layout,
                                   std::vector<QRgb> GreyLevels)
    : FTransform(Transform), FLayout(Layout), FGreyLevels(std::move(GreyLevels)) {}

TColourTransform::~TColourTransform() {
  if (FTransform)
    cmsDeleteTransform(static_cast<cmsHTRANSFORM>(FTransform));
}

std::shared_ptr<const TColourTransform> TColourTransform::For(const QByteArray &Profile,
                                                              TPixelLayout Layout) {
  if (Profile.isEmpty())
    return nullptr;
  std::lock_guard Lock(CacheMutex);
  for (auto It = Cache.begin(); It != Cache.end(); ++It) {
    if (It->Layout == Layout && It->Profile == Profile) {
      Cache.splice(Cache.begin(), Cache, It);
      return Cache.front().Transform;
    }
  }
  // Profiles that give no transform are remembered too, so that a damaged profile is not
  // parsed again at every draw.
  // A deep copy: Profile may be raw data that a decoder frees after the picture is read.
  Cache.push_front(TCacheEntry{QByteArray(Profile.constData(), Profile.size()), Layout,
                               MakeTransform(Profile, Layout)});
  if (Cache.size() > CachedTransforms)
    Cache.pop_back();
  return Cache.front().Transform;
}

void TColourTransform::ConvertPixels(uchar *Pixels, qsizetype Count) const {
  auto *Transform = static_cast<cmsHTRANSFORM>(FTransform);
  if (FLayout == TPixelLayout::GreyInRgb32) {
    // Red, green and blue are equal: the level is read from green, alpha kept.
    auto *Pixel = reinterpret_cast<QRgb *>(Pixels);
    for (qsizetype I = 0; I < Count; ++I)
      Pixel[I] = (FGreyLevels[qGreen(Pixel[I])] & RGB_MASK) | (Pixel[I] & ~RGB_MASK);
    return;
  }
  if (!IsCmyk(FLayout)) {
    // The fourth byte is an extra channel of both formats: lcms2 leaves it in place.
    cmsDoTransform(Transform, Pixels, Pixels, cmsUInt32Number(Count));
    return;
  }
  // The K byte stays where alpha goes: made opaque after each band.
  constexpr int AlphaByte = LittleEndian ? 3 : 0;
  for (qsizetype Start = 0; Start < Count; Start += CmykChunk) {
    const qsizetype N = std::min(CmykChunk, Count - Start);
    uchar *Band = Pixels + 4 * Start;
    cmsDoTransform(Transform, Band, Band, cmsUInt32Number(N));
    for (qsizetype I = 0; I < N; ++I)
      Band[4 * I + AlphaByte] = 0xFF;
  }
}

void TColourTransform::ConvertImage(QImage &Image) const {
  if (Image.isNull() || Image.depth() != 32)
    return;
  const int Height = Image.height();
  const int Width = Image.width();
  uchar *Bits = Image.bits();
  const qsizetype Stride = Image.bytesPerLine();
  auto Rows = [&](int From, int To) {
    for (int Y = From; Y < To; ++Y)
      ConvertPixels(Bits + Y * Stride, Width);
  };
  const qsizetype Pixels = qsizetype(Width) * Height;
  const int Threads =
      Pixels < ThreadedPixels ? 1 : int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
  if (Threads == 1) {
    Rows(0, Height);
    return;
  }
  // lcms2 transforms may be shared between threads: each call keeps its own cache.
  std::vector<std::thread> Workers;
  const int Band = (Height + Threads - 1) / Threads;
  for (int T = 1; T < Threads; ++T)
    Workers.emplace_back(Rows, std::min(Height, T * Band), std::min(Height, (T + 1) * Band));
  Rows(0, std::min(Height, Band));
  for (std::thread &Worker : Workers)
    Worker.join();
}

TProfileSpace ProfileSpace(const QByteArray &Profile) {
  TProfile Handle(Profile);
  if (!Handle.Handle())
    return TProfileSpace::None;
  switch (cmsGetColorSpace(Handle.Handle())) {
  case cmsSigRgbData:
    return TProfileSpace::Rgb;
  case cmsSigGrayData:
    return TProfileSpace::Grey;
  case cmsSigCmykData:
    return TProfileSpace::Cmyk;
  default:
    return TProfileSpace::Other;
  }
}

void ConvertToSRGB(QImage &Image, const QByteArray &IccProfile) {
  if (IccProfile.isEmpty() || Image.isNull())
    return;
  const TProfileSpace Space = ProfileSpace(IccProfile);
  if (Space != TProfileSpace::Rgb && Space != TProfileSpace::Grey)
    return;
  const TPixelLayout Layout =
      Space == TProfileSpace::Rgb ? TPixelLayout::Rgb32 : TPixelLayout::GreyInRgb32;
  const auto Transform = TColourTransform::For(IccProfile, Layout);
  if (!Transform)
    return;
  switch (Image.format()) {
  case QImage::Format_RGB32:
  case QImage::Format_ARGB32:
    Transform->ConvertImage(Image);
    return;
  case QImage::Format_Indexed8: {
    QList<QRgb> Table = Image.colorTable();
    Transform->ConvertPixels(reinterpret_cast<uchar *>(Table.data()), Table.size());
    Image.setColorTable(Table);
    return;
  }
  default:
    return;
  }
}
