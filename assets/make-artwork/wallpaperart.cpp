#include "wallpaperart.h"

#include "canvas.h"
#include "lighting.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

// Uniform 0..1 from the generator's raw output (the standard distributions are not the same
// on every library, raw mt19937 output is).
double Unit(std::mt19937 &Random) { return double(Random()) / 4294967296.0; }

// A mountain ridge by midpoint displacement: heights at Count + 1 evenly spaced points.
std::vector<double> Ridge(std::mt19937 &Random, int Levels, double Amplitude, double Roughness) {
  const int Count = 1 << Levels;
  std::vector<double> Heights(size_t(Count) + 1, 0.0);
  Heights[0] = (Unit(Random) - 0.5) * Amplitude;
  Heights[size_t(Count)] = (Unit(Random) - 0.5) * Amplitude;
  double Spread = Amplitude;
  for (int Step = Count; Step > 1; Step /= 2) {
    for (int I = Step / 2; I < Count; I += Step)
      Heights[size_t(I)] = (Heights[size_t(I - Step / 2)] + Heights[size_t(I + Step / 2)]) / 2 +
                           (Unit(Random) - 0.5) * Spread;
    Spread *= Roughness;
  }
  return Heights;
}

class TWallpaperPainter {
public:
  explicit TWallpaperPainter(const TArtworkParams &Params)
      : FParams(Params),
        FSize(Params.Integer("wallpaper/width"), Params.Integer("wallpaper/height")),
        FCanvas(FSize, Params.Integer("wallpaper/supersample")),
        FRandom(unsigned(Params.Integer("wallpaper/seed"))),
        FShore(Params.Number("wallpaper/shore_y")) {}

  QImage Paint() {
    PaintSky();
    PaintStars();
    PaintAurora();
    PaintMountains();
    PaintMist();
    ReflectInLake();
    return FCanvas.Final().convertToFormat(QImage::Format_RGB32);
  }

private:
  QColor Color(const char *Key) const { return FParams.Color(QString::fromLatin1(Key)); }
  double Number(const char *Key) const { return FParams.Number(QString::fromLatin1(Key)); }

  void PaintSky() {
    FCanvas.Draw([&](QPainter &P) {
      QLinearGradient Sky(0, 0, 0, FShore);
      Sky.setColorAt(0, Color("wallpaper/sky_top"));
      Sky.setColorAt(0.55, Color("wallpaper/sky_middle"));
      Sky.setColorAt(1, Color("wallpaper/sky_horizon"));
      P.fillRect(QRectF(0, 0, FSize.width(), FSize.height()), Sky);
    });
  }

  void PaintStars() {
    const int Count = FParams.Integer("wallpaper/stars");
    FCanvas.Draw([&](QPainter &P) {
      for (int I = 0; I < Count; ++I) {
        const double X = Unit(FRandom) * FSize.width();
        // More stars high up, where the sky is darkest.
        const double Y = std::pow(Unit(FRandom), 1.6) * FShore * 0.9;
        const double Bright = std::pow(Unit(FRandom), 2.5);
        const double Radius = 0.22 + Bright * 0.5;
        const int Alpha = int(70 + 185 * Bright * (1 - Y / FShore));
        const QColor Star =
            Unit(FRandom) < 0.2 ? QColor(255, 226, 200, Alpha) : QColor(220, 232, 255, Alpha);
        if (Bright > 0.75) {
          QRadialGradient Glow(QPointF(X, Y), Radius * 4);
          QColor Halo = Star;
          Halo.setAlpha(Alpha / 4);
          Glow.setColorAt(0, Halo);
          Halo.setAlpha(0);
          Glow.setColorAt(1, Halo);
          P.setPen(Qt::NoPen);
          P.setBrush(Glow);
          P.drawEllipse(QPointF(X, Y), Radius * 4, Radius * 4);
        }
        P.setPen(Qt::NoPen);
        P.setBrush(Star);
        P.drawEllipse(QPointF(X, Y), Radius, Radius);
      }
    });
  }

  // Curtains of light: rays rising from a wavy lower edge, green at the foot, fading through
  // teal into violet at the top. Painted onto their own layer, softened, then added.
  void PaintAurora() {
    const int Curtains = FParams.Integer("wallpaper/curtains");
    const QColor Foot = Color("wallpaper/aurora_foot");
    const QColor Middle = Color("wallpaper/aurora_middle");
    const QColor Crown = Color("wallpaper/aurora_crown");
    QImage Layer = FCanvas.Layer([&](QPainter &P) {
      P.setCompositionMode(QPainter::CompositionMode_Plus);
      for (int C = 0; C < Curtains; ++C) {
        const double Base = Number("wallpaper/aurora_base") + C * Number("wallpaper/aurora_step");
        const double Height = Number("wallpaper/aurora_height") * (1 - 0.22 * C);
        const double Strength = 1 - 0.3 * C;
        const double Phase1 = Unit(FRandom) * 2 * Pi, Phase2 = Unit(FRandom) * 2 * Pi;
        const double Phase3 = Unit(FRandom) * 2 * Pi;
        const double Step = 0.5 / FCanvas.Scale();
        for (double X = -10; X < FSize.width() + 10; X += Step) {
          const double U = X / FSize.width();
          const double FootY = Base + 22 * std::sin(U * 2.3 * Pi + Phase1) +
                               9 * std::sin(U * 7.1 * Pi + Phase2) - 18 * U;
          // Brightness along the curtain: broad folds times fine rays.
          const double Fold =
              std::pow(0.5 + 0.5 * std::sin(U * 5.3 * Pi + Phase3), 1.7) * 0.8 + 0.2;
          const double Ray = 0.55 + 0.45 * Unit(FRandom);
          const double Intensity = Strength * Fold * Ray;
          const double Top = FootY - Height * (0.7 + 0.3 * Ray) * (0.6 + 0.4 * Fold);
          QLinearGradient Gradient(0, Top, 0, FootY + 3);
          const auto At = [&](QColor Tone, double Alpha) {
            Tone.setAlphaF(float(std::clamp(Alpha * Intensity, 0.0, 1.0)));
            return Tone;
          };
          Gradient.setColorAt(0, At(Crown, 0));
          Gradient.setColorAt(0.3, At(Crown, 0.16));
          Gradient.setColorAt(0.68, At(Middle, 0.30));
          Gradient.setColorAt(0.9, At(Foot, 0.55));
          Gradient.setColorAt(0.96, At(Foot, 0.75));
          Gradient.setColorAt(1, At(Foot, 0));
          P.fillRect(QRectF(X, Top, Step, FootY + 3 - Top), Gradient);
        }
      }
    });
    // Soften the rays a little, mostly up and down, the way a long exposure does.
    TPlane Channels[4] = {
        TPlane(Layer.width(), Layer.height()), TPlane(Layer.width(), Layer.height()),
        TPlane(Layer.width(), Layer.height()), TPlane(Layer.width(), Layer.height())};
    for (int Y = 0; Y < Layer.height(); ++Y) {
      const QRgb *Row = reinterpret_cast<const QRgb *>(Layer.constScanLine(Y));
      for (int X = 0; X < Layer.width(); ++X) {
        Channels[0].At(X, Y) = float(qRed(Row[X]));
        Channels[1].At(X, Y) = float(qGreen(Row[X]));
        Channels[2].At(X, Y) = float(qBlue(Row[X]));
        Channels[3].At(X, Y) = float(qAlpha(Row[X]));
      }
    }
    for (TPlane &Channel : Channels)
      BlurPlane(Channel, float(Number("wallpaper/aurora_softness") * FCanvas.Scale()),
                float(Number("wallpaper/aurora_softness") * 3 * FCanvas.Scale()));
    for (int Y = 0; Y < Layer.height(); ++Y) {
      QRgb *Row = reinterpret_cast<QRgb *>(Layer.scanLine(Y));
      for (int X = 0; X < Layer.width(); ++X) {
        const auto Get = [&](int I) {
          return std::clamp(int(std::lround(Channels[I].At(X, Y))), 0, 255);
        };
        const int A = Get(3);
        Row[X] = qRgba(std::min(Get(0), A), std::min(Get(1), A), std::min(Get(2), A), A);
      }
    }
    QPainter P(&FCanvas.Image());
    P.setCompositionMode(QPainter::CompositionMode_Plus);
    P.drawImage(0, 0, Layer);
  }

  // A range: broad peaks (centre as a fraction of the width, height and spread, in triples in
  // Peaks) roughened by a random ridge. Each column is painted from the ridge down to the
  // shore; slopes rising to the right face the glow on the left and are lit, the others lie
  // in shade, which gives the peaks their faces:
  //
  //        /\        lit  /
  //       /::\       shade ::
  //   ___/::::\___
  void PaintRange(double Base, const QList<double> &Peaks, double Amplitude, double Roughness,
                  QColor Top, QColor Bottom) {
    QImage &Image = FCanvas.Image();
    const int Scale = FCanvas.Scale();
    const std::vector<double> Heights = Ridge(FRandom, 9, Amplitude, Roughness);
    const int Columns = Image.width();
    std::vector<double> Crest(size_t(Columns), 0.0);
    for (int X = 0; X < Columns; ++X) {
      const double U = (X + 0.5) / Columns;
      const double At = U * double(Heights.size() - 1);
      const size_t I = std::min(size_t(At), Heights.size() - 2);
      const double F = At - double(I);
      double Lift = 0;
      for (qsizetype K = 0; K + 2 < Peaks.size(); K += 3) {
        const double D = std::abs(U - Peaks[K]) / Peaks[K + 2];
        Lift = std::max(Lift, Peaks[K + 1] * std::exp(-D * (0.6 + 0.7 * D)));
      }
      Crest[size_t(X)] = (Base - Lift + Heights[I] * (1 - F) + Heights[I + 1] * F) * Scale;
    }
    const double Shore = FShore * Scale;
    const int Reach = 4 * Scale;
    // Slope over a few pixels either side; negative: the ground rises to the right.
    std::vector<double> Light(size_t(Columns), 1.0);
    for (int X = 0; X < Columns; ++X) {
      const int L = std::max(0, X - Reach), R = std::min(Columns - 1, X + Reach);
      const double Slope = (Crest[size_t(R)] - Crest[size_t(L)]) / double(R - L);
      Light[size_t(X)] = 1 + 0.32 * std::clamp(-Slope * 1.6, -1.0, 1.0);
    }
    TPlane Soft(Columns, 1);
    for (int X = 0; X < Columns; ++X)
      Soft.At(X, 0) = float(Light[size_t(X)]);
    BlurPlane(Soft, float(1.5 * Scale), 0);
    for (int X = 0; X < Columns; ++X)
      Light[size_t(X)] = Soft.At(X, 0);
    for (int X = 0; X < Columns; ++X) {
      for (int Y = std::max(0, int(Crest[size_t(X)])); Y <= int(Shore); ++Y) {
        // Going down, the light is read further right: the line between the faces slants
        // and wanders like a ridge instead of dropping straight from the peak.
        const double Down = Y - Crest[size_t(X)];
        const double Wander = 0.5 + 0.35 * std::sin(Y * 0.07 / Scale + X * 0.013);
        const int Read = std::clamp(int(X + Down * Wander), 0, Columns - 1);
        const double Lit = Light[size_t(Read)];
        const double T = std::clamp(
            (Y - (Base - Amplitude) * Scale) / (Shore - (Base - Amplitude) * Scale), 0.0, 1.0);
        // Shading fades towards the foot, where the haze evens everything out.
        const double Shade = 1 + (Lit - 1) * (1 - T);
        const double Cover = std::clamp(Y + 1 - Crest[size_t(X)], 0.0, 1.0);
        const auto Channel = [&](double A, double B) {
          return std::clamp((A + (B - A) * T) * Shade, 0.0, 255.0);
        };
        const double Rr = Channel(Top.red(), Bottom.red()),
                     Gg = Channel(Top.green(), Bottom.green()),
                     Bb = Channel(Top.blue(), Bottom.blue());
        QRgb &Pixel = reinterpret_cast<QRgb *>(Image.scanLine(Y))[X];
        Pixel = qRgb(int(std::lround(qRed(Pixel) * (1 - Cover) + Rr * Cover)),
                     int(std::lround(qGreen(Pixel) * (1 - Cover) + Gg * Cover)),
                     int(std::lround(qBlue(Pixel) * (1 - Cover) + Bb * Cover)));
      }
    }
  }

  void PaintMountains() {
    PaintRange(Number("wallpaper/far_range_y"), FParams.List("wallpaper/far_range_peaks"),
               Number("wallpaper/far_range_roughness"), 0.76, Color("wallpaper/far_range_top"),
               Color("wallpaper/far_range_bottom"));
    PaintRange(Number("wallpaper/near_range_y"), FParams.List("wallpaper/near_range_peaks"),
               Number("wallpaper/near_range_roughness"), 0.76, Color("wallpaper/near_range_top"),
               Color("wallpaper/near_range_bottom"));
  }

  // A thin band of haze lying on the water at the foot of the mountains.
  void PaintMist() {
    FCanvas.Draw([&](QPainter &P) {
      QLinearGradient Mist(0, FShore - 12, 0, FShore + 1);
      Mist.setColorAt(0, QColor(150, 210, 220, 0));
      Mist.setColorAt(1, QColor(150, 210, 220, 40));
      P.fillRect(QRectF(0, FShore - 12, FSize.width(), 13), Mist);
    });
  }

  // Below the shore the water mirrors the sky, a little darker and bluer, with ripples that
  // shift each row sideways and break it into streaks.
  void ReflectInLake() {
    QImage &Image = FCanvas.Image();
    const int Scale = FCanvas.Scale();
    const int Shore = int(std::lround(FShore * Scale));
    const QImage Above = Image.copy();
    const QColor Water = Color("wallpaper/water_tint");
    const double Darken = Number("wallpaper/water_darkening");
    for (int Y = Shore; Y < Image.height(); ++Y) {
      const int Source = std::max(0, 2 * Shore - Y - 1);
      const double Depth = double(Y - Shore) / double(Image.height() - Shore);
      const double Wave = double(Y) / Scale;
      const double Shift =
          (0.4 + 2.2 * Depth) * Scale * std::sin(Wave * 0.9 + 0.7 * std::sin(Wave * 0.23));
      const double Streak = 0.95 + 0.05 * std::sin(Wave * 2.1 + std::sin(Wave * 0.5));
      // Three source rows averaged: the water blurs what it mirrors a little.
      const QRgb *Rows[3];
      for (int K = 0; K < 3; ++K)
        Rows[K] = reinterpret_cast<const QRgb *>(
            Above.constScanLine(std::clamp(Source - K * Scale, 0, Shore - 1)));
      QRgb *To = reinterpret_cast<QRgb *>(Image.scanLine(Y));
      for (int X = 0; X < Image.width(); ++X) {
        const int Sx = std::clamp(int(std::lround(X + Shift)), 0, Image.width() - 1);
        const QRgb Pixel =
            qRgb((qRed(Rows[0][Sx]) + qRed(Rows[1][Sx]) + qRed(Rows[2][Sx])) / 3,
                 (qGreen(Rows[0][Sx]) + qGreen(Rows[1][Sx]) + qGreen(Rows[2][Sx])) / 3,
                 (qBlue(Rows[0][Sx]) + qBlue(Rows[1][Sx]) + qBlue(Rows[2][Sx])) / 3);
        const double Keep = (1 - Darken * (0.6 + 0.4 * Depth)) * Streak;
        const auto Mix = [&](int Channel, int Tint) {
          return std::clamp(int(std::lround(Channel * Keep + Tint * (1 - Keep) * 0.35)), 0, 255);
        };
        To[X] = qRgb(Mix(qRed(Pixel), Water.red()), Mix(qGreen(Pixel), Water.green()),
                     Mix(qBlue(Pixel), Water.blue()));
      }
    }
    // A fine bright line where the water meets the shore.
    QPainter P(&Image);
    P.fillRect(QRect(0, Shore, Image.width(), Scale), QColor(160, 220, 225, 36));
  }

  const TArtworkParams &FParams;
  QSize FSize;
  TCanvas FCanvas;
  std::mt19937 FRandom;
  double FShore;
};

}  // namespace

QImage PaintWallpaper(const TArtworkParams &Params) { return TWallpaperPainter(Params).Paint(); }
