#pragma once

#include <QByteArray>
#include <QImage>

#include <memory>
#include <vector>

// Colour management through lcms2: pixels in the colour space an embedded ICC profile
// describes are converted to sRGB, the space the screen and the saved wallpaper are in.
//
// Intent: perceptual. For matrix/TRC profiles (Adobe RGB, Display P3, Rec. 2020 and most
// camera and phone profiles) lcms2 falls back to relative colorimetric, as these profiles
// carry no perceptual tables, so the choice changes nothing there. Profiles with tables
// (CMYK press profiles such as SWOP, some RGB profiles) then give the mapping their maker
// built for photographs: colours outside sRGB are compressed smoothly instead of clipped,
// as colour-managed image tools and viewers do by default. No black point compensation.
//
// Transforms are 8-bit, with lcms2's optimisations on (a matrix profile becomes three
// curves and a matrix, a table profile a precomputed grid), and are kept per profile: the
// same profile twice in a row costs no new transform. Grey profiles are the exception: a
// grey picture has 256 levels, each converted once, exactly (lcms2's optimised 8-bit grey
// path is off by up to 10 levels near black for a linear tone curve).

// How the pixels to convert lie in memory; always 4 bytes a pixel, converted in place.
enum class TPixelLayout {
  // Format_RGB32 / Format_ARGB32 pixels: the colour is converted, the fourth byte (alpha, or
  // the 0xFF of an opaque picture) is left as it is.
  Rgb32,
  // A grey picture held as Format_RGB32 / Format_ARGB32 (red = green = blue), for a grey
  // profile: gives the sRGB colour of each grey level; alpha left as it is.
  GreyInRgb32,
  // C, M, Y, K bytes, 0 = no ink (as libjpeg gives a plain CMYK JPEG); the result is a
  // Format_RGB32 pixel with alpha 255.
  Cmyk,
  // C, M, Y, K bytes, 255 = no ink: Adobe's inverted CMYK JPEGs; the result as for Cmyk.
  InvertedCmyk,
};

// One profile's conversion to sRGB for one layout. Safe to use from several threads at once.
class TColourTransform {
public:
  // The transform for Profile, or null when the profile is empty, lcms2 cannot read it, its
  // colour space does not fit Layout (an RGB profile for CMYK pixels, say), or lcms2 cannot
  // build the transform. Transforms are cached: the same bytes and layout give the same one.
  static std::shared_ptr<const TColourTransform> For(const QByteArray &Profile,
                                                     TPixelLayout Layout);
  ~TColourTransform();
  TColourTransform(const TColourTransform &) = delete;
  TColourTransform &operator=(const TColourTransform &) = delete;

  TPixelLayout Layout() const { return FLayout; }
  // Converts Count pixels at Pixels in place.
  void ConvertPixels(uchar *Pixels, qsizetype Count) const;
  // Converts every pixel of a 32-bit image in place, band by band, on every processor when
  // the image is large. Images of another depth are left untouched.
  void ConvertImage(QImage &Image) const;

  // Use For(). A grey layout takes GreyLevels, the sRGB colour of each of the 256 levels.
  TColourTransform(void *Transform, TPixelLayout Layout, std::vector<QRgb> GreyLevels = {});

private:
  void *FTransform; // cmsHTRANSFORM; null for a grey layout
  TPixelLayout FLayout;
  std::vector<QRgb> FGreyLevels;
};

// The colour space an ICC profile describes, as far as pictures here use it.
enum class TProfileSpace { None, Rgb, Grey, Cmyk, Other };

// None for an empty profile or one lcms2 cannot read.
TProfileSpace ProfileSpace(const QByteArray &Profile);

// Converts Image in place from the colour space the ICC profile describes to sRGB (perceptual
// intent, see above). Image is Format_RGB32 or Format_ARGB32 (not premultiplied; alpha is
// left untouched) for an RGB profile, or for a grey profile a grey picture held that way;
// Format_Indexed8 has its colour table converted instead. An empty profile leaves the image
// untouched; so does a profile lcms2 cannot read or whose colour space does not fit the
// pixels (a CMYK profile on RGB pixels, say), as viewers show such pictures unconverted.
void ConvertToSRGB(QImage &Image, const QByteArray &IccProfile);
