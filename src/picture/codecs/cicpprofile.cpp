#include "picture/codecs/cicpprofile.h"

#include <memory>
#include <optional>

#include <lcms2.h>

namespace {

// Code points of ITU-T H.273.
enum TPrimaries { Bt709 = 1, PrimariesUnspecified = 2, Bt2020 = 9, DciP3 = 11, DisplayP3 = 12 };
enum TTransfer {
  Bt709Transfer = 1,
  TransferUnspecified = 2,
  Gamma22 = 4,
  Gamma28 = 5,
  Bt601Transfer = 6,
  Linear = 8,
  Srgb = 13,
  Bt2020TenBit = 14,
  Bt2020TwelveBit = 15,
};

struct TGamut {
  cmsCIExyY White;
  cmsCIExyYTRIPLE Primaries;
};

constexpr cmsCIExyY D65{0.3127, 0.3290, 1.0};

std::optional<TGamut> GamutOf(int Primaries) {
  switch (Primaries) {
  case Bt709:
  case PrimariesUnspecified:
    return TGamut{D65, {{0.640, 0.330, 1.0}, {0.300, 0.600, 1.0}, {0.150, 0.060, 1.0}}};
  case Bt2020:
    return TGamut{D65, {{0.708, 0.292, 1.0}, {0.170, 0.797, 1.0}, {0.131, 0.046, 1.0}}};
  case DciP3:
    return TGamut{{0.314, 0.351, 1.0},
                  {{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}}};
  case DisplayP3:
    return TGamut{D65, {{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}}};
  default:
    return std::nullopt;
  }
}

struct TCurveFree {
  void operator()(cmsToneCurve *Curve) const { cmsFreeToneCurve(Curve); }
};
struct TProfileFree {
  void operator()(void *Profile) const { cmsCloseProfile(Profile); }
};

// The curve from coded values to linear light; null for a transfer not described here.
cmsToneCurve *CurveOf(int Transfer) {
  switch (Transfer) {
  case Srgb:
  case TransferUnspecified:
  case Bt709Transfer:
  case Bt601Transfer:
  case Bt2020TenBit:
  case Bt2020TwelveBit: {
    // IEC 61966-2-1: Y = ((X + 0.055) / 1.055)^2.4 above 0.04045, X / 12.92 below.
    const cmsFloat64Number Parameters[] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return cmsBuildParametricToneCurve(nullptr, 4, Parameters);
  }
  case Gamma22:
    return cmsBuildGamma(nullptr, 2.2);
  case Gamma28:
    return cmsBuildGamma(nullptr, 2.8);
  case Linear:
    return cmsBuildGamma(nullptr, 1.0);
  default:
    return nullptr;
  }
}

bool IsSrgbTransfer(int Transfer) {
  return Transfer == Srgb || Transfer == TransferUnspecified || Transfer == Bt709Transfer ||
         Transfer == Bt601Transfer || Transfer == Bt2020TenBit || Transfer == Bt2020TwelveBit;
}

} // namespace

QByteArray IccProfileForCicp(int Primaries, int Transfer) {
  const std::optional<TGamut> Gamut = GamutOf(Primaries);
  if (!Gamut ||
      ((Primaries == Bt709 || Primaries == PrimariesUnspecified) && IsSrgbTransfer(Transfer)))
    return QByteArray();
  std::unique_ptr<cmsToneCurve, TCurveFree> Curve(CurveOf(Transfer));
  if (!Curve)
    return QByteArray();
  cmsToneCurve *Curves[3] = {Curve.get(), Curve.get(), Curve.get()};
  std::unique_ptr<void, TProfileFree> Profile(
      cmsCreateRGBProfile(&Gamut->White, &Gamut->Primaries, Curves));
  cmsUInt32Number Size = 0;
  if (!Profile || !cmsSaveProfileToMem(Profile.get(), nullptr, &Size) || Size == 0)
    return QByteArray();
  QByteArray Bytes(qsizetype(Size), Qt::Uninitialized);
  if (!cmsSaveProfileToMem(Profile.get(), Bytes.data(), &Size))
    return QByteArray();
  return Bytes;
}
