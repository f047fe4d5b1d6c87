#include "support/iccprofiles.h"

#include <lcms2.h>

namespace {

QByteArray Save(cmsHPROFILE Profile) {
  QByteArray Bytes;
  cmsUInt32Number Size = 0;
  if (Profile && cmsSaveProfileToMem(Profile, nullptr, &Size)) {
    Bytes.resize(Size);
    cmsSaveProfileToMem(Profile, Bytes.data(), &Size);
  }
  if (Profile)
    cmsCloseProfile(Profile);
  return Bytes;
}

// sRGB's tone curve as an ICC parametric curve of type 4.
cmsToneCurve *SRGBCurve() {
  const cmsFloat64Number Parameters[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
  return cmsBuildParametricToneCurve(nullptr, 4, Parameters);
}

} // namespace

QByteArray ChannelTurningProfile(int Padding) {
  const cmsCIExyY Red{0.64, 0.33, 1.0}, Green{0.30, 0.60, 1.0}, Blue{0.15, 0.06, 1.0};
  cmsCIExyY White;
  cmsWhitePointFromTemp(&White, 6504);
  const cmsCIExyYTRIPLE Turned{Green, Blue, Red};
  cmsToneCurve *Curve = SRGBCurve();
  cmsToneCurve *Curves[3] = {Curve, Curve, Curve};
  cmsHPROFILE Profile = cmsCreateRGBProfile(&White, &Turned, Curves);
  if (Profile && Padding > 0) {
    const QByteArray Filler(Padding, 'z');
    cmsWriteRawTag(Profile, cmsTagSignature(0x7a706164) /* 'zpad' */, Filler.constData(),
                   cmsUInt32Number(Filler.size()));
  }
  const QByteArray Bytes = Save(Profile);
  cmsFreeToneCurve(Curve);
  return Bytes;
}

QByteArray GreyGammaProfile(double Gamma) {
  cmsToneCurve *Curve = cmsBuildGamma(nullptr, Gamma);
  const QByteArray Bytes = Save(cmsCreateGrayProfile(cmsD50_xyY(), Curve));
  cmsFreeToneCurve(Curve);
  return Bytes;
}
