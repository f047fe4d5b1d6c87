#include "lighting.h"

#include <algorithm>
#include <cmath>

namespace {

// The smallest rectangle holding every pixel of the layer with some coverage.
QRect CoveredBounds(const QImage &Layer) {
  int Left = Layer.width(), Top = Layer.height(), Right = -1, Bottom = -1;
  for (int Y = 0; Y < Layer.height(); ++Y) {
    const QRgb *Row = reinterpret_cast<const QRgb *>(Layer.constScanLine(Y));
    for (int X = 0; X < Layer.width(); ++X)
      if (qAlpha(Row[X]) != 0) {
        Left = std::min(Left, X);
        Right = std::max(Right, X);
        Top = std::min(Top, Y);
        Bottom = std::max(Bottom, Y);
      }
  }
  return Right < 0 ? QRect() : QRect(QPoint(Left, Top), QPoint(Right, Bottom));
}

// One running-sum box pass along rows (Horizontal) or columns; the ends are padded with the
// edge values.
void BoxPass(TPlane &Plane, int Radius, bool Horizontal) {
  const int Lines = Horizontal ? Plane.Height() : Plane.Width();
  const int Length = Horizontal ? Plane.Width() : Plane.Height();
  std::vector<float> Line(size_t(Length) + 2 * Radius + 1, 0.0f);
  const float Scale = 1.0f / float(2 * Radius + 1);
  for (int L = 0; L < Lines; ++L) {
    for (int I = -Radius; I < Length + Radius + 1; ++I)
      Line[size_t(I + Radius)] = Horizontal ? Plane.Get(I, L) : Plane.Get(L, I);
    double Sum = 0;
    for (int I = 0; I < 2 * Radius; ++I)
      Sum += Line[size_t(I)];
    for (int I = 0; I < Length; ++I) {
      Sum += Line[size_t(I + 2 * Radius)];
      (Horizontal ? Plane.At(I, L) : Plane.At(L, I)) = float(Sum) * Scale;
      Sum -= Line[size_t(I)];
    }
  }
}

float Clamp01(float Value) { return std::clamp(Value, 0.0f, 1.0f); }

// Source-over of one unpremultiplied colour with coverage Alpha onto a premultiplied pixel.
QRgb Over(QRgb Under, float R, float G, float B, float Alpha) {
  Alpha = Clamp01(Alpha);
  const float Keep = 1.0f - Alpha;
  const auto Mix = [&](float Top, int Bottom) {
    return int(std::lround(std::clamp(Top * 255.0f * Alpha + float(Bottom) * Keep, 0.0f, 255.0f)));
  };
  const int A =
      int(std::lround(std::clamp(255.0f * Alpha + float(qAlpha(Under)) * Keep, 0.0f, 255.0f)));
  return qRgba(std::min(Mix(R, qRed(Under)), A), std::min(Mix(G, qGreen(Under)), A),
               std::min(Mix(B, qBlue(Under)), A), A);
}

// The part of the canvas a layer can touch with a blur of Sigma moved by Offset.
QRect Reach(const QImage &Layer, float Sigma, QPointF Offset) {
  const QRect Covered = CoveredBounds(Layer);
  if (Covered.isNull())
    return {};
  const int Margin = int(std::ceil(3 * Sigma)) + 2;
  const QRect Moved = Covered.translated(int(std::floor(Offset.x())), int(std::floor(Offset.y())));
  return Covered.united(Moved).adjusted(-Margin, -Margin, Margin + 1, Margin + 1) & Layer.rect();
}

TPlane AlphaIn(const QImage &Layer, const QRect &Area) {
  TPlane Plane(Area.width(), Area.height());
  for (int Y = 0; Y < Area.height(); ++Y) {
    const QRgb *Row = reinterpret_cast<const QRgb *>(Layer.constScanLine(Y + Area.top()));
    for (int X = 0; X < Area.width(); ++X)
      Plane.At(X, Y) = float(qAlpha(Row[X + Area.left()])) / 255.0f;
  }
  return Plane;
}

// Plane value at a fractional position (bilinear).
float Sample(const TPlane &Plane, float X, float Y) {
  const int X0 = int(std::floor(X)), Y0 = int(std::floor(Y));
  const float Fx = X - float(X0), Fy = Y - float(Y0);
  return (Plane.Get(X0, Y0) * (1 - Fx) + Plane.Get(X0 + 1, Y0) * Fx) * (1 - Fy) +
         (Plane.Get(X0, Y0 + 1) * (1 - Fx) + Plane.Get(X0 + 1, Y0 + 1) * Fx) * Fy;
}

}  // namespace

TPlane AlphaPlane(const QImage &Layer) { return AlphaIn(Layer, Layer.rect()); }

void BlurPlane(TPlane &Plane, float Sigma) { BlurPlane(Plane, Sigma, Sigma); }

void BlurPlane(TPlane &Plane, float SigmaX, float SigmaY) {
  // Three boxes of width W have variance 3 (W^2 - 1) / 12 = Sigma^2.
  const auto RadiusOf = [](float Sigma) {
    return std::max(1, int(std::lround((std::sqrt(4 * Sigma * Sigma + 1) - 1) / 2)));
  };
  for (int Pass = 0; Pass < 3; ++Pass) {
    if (SigmaX >= 0.3f)
      BoxPass(Plane, RadiusOf(SigmaX), true);
    if (SigmaY >= 0.3f)
      BoxPass(Plane, RadiusOf(SigmaY), false);
  }
}

QImage NewLayer(const QImage &Canvas) {
  QImage Layer(Canvas.size(), QImage::Format_ARGB32_Premultiplied);
  Layer.fill(Qt::transparent);
  return Layer;
}

void PaintLit(QImage &Canvas, const QImage &Layer, const TMaterial &Material, const TLight &Light) {
  const QRect Area = Reach(Layer, Material.Bevel, {});
  if (Area.isNull())
    return;
  TPlane Height = AlphaIn(Layer, Area);
  BlurPlane(Height, Material.Bevel);
  // Steepest slope of a blurred straight edge is 1 / (Sigma sqrt(2 pi)); scale it to Steepness.
  const float Gain = Material.Steepness * std::max(Material.Bevel, 0.5f) * 2.5066f *
                     (Material.Sunken ? -1.0f : 1.0f);
  const float Ln = std::sqrt(Light.X * Light.X + Light.Y * Light.Y + Light.Z * Light.Z);
  const float Lx = Light.X / Ln, Ly = Light.Y / Ln, Lz = Light.Z / Ln;
  float Hx = Lx, Hy = Ly, Hz = Lz + 1;
  const float Hn = std::sqrt(Hx * Hx + Hy * Hy + Hz * Hz);
  Hx /= Hn, Hy /= Hn, Hz /= Hn;
  const float FlatSpecular = std::pow(Hz, Material.Shininess);

  for (int Y = 0; Y < Area.height(); ++Y) {
    const QRgb *Source = reinterpret_cast<const QRgb *>(Layer.constScanLine(Y + Area.top()));
    QRgb *Target = reinterpret_cast<QRgb *>(Canvas.scanLine(Y + Area.top()));
    for (int X = 0; X < Area.width(); ++X) {
      const QRgb Base = Source[X + Area.left()];
      const int A = qAlpha(Base);
      if (A == 0)
        continue;
      const float Gx = (Height.Get(X + 1, Y) - Height.Get(X - 1, Y)) * 0.5f * Gain;
      const float Gy = (Height.Get(X, Y + 1) - Height.Get(X, Y - 1)) * 0.5f * Gain;
      const float Nn = std::sqrt(Gx * Gx + Gy * Gy + 1);
      const float Nx = -Gx / Nn, Ny = -Gy / Nn, Nz = 1 / Nn;
      const float Lambert = std::max(0.0f, Nx * Lx + Ny * Ly + Nz * Lz) / Lz;
      const float Shade = 1 + Material.Diffuse * (Lambert - 1);
      const float Highlight =
          Material.Specular *
          std::max(0.0f, std::pow(std::max(0.0f, Nx * Hx + Ny * Hy + Nz * Hz), Material.Shininess) -
                             FlatSpecular);
      const float Unpremultiply = 1.0f / float(A);
      const float R = float(qRed(Base)) * Unpremultiply * Shade + Highlight;
      const float G = float(qGreen(Base)) * Unpremultiply * Shade + Highlight;
      const float B = float(qBlue(Base)) * Unpremultiply * Shade + Highlight;
      QRgb &Pixel = Target[X + Area.left()];
      Pixel = Over(Pixel, Clamp01(R), Clamp01(G), Clamp01(B), float(A) / 255.0f);
    }
  }
}

void PaintShadow(QImage &Canvas, const QImage &Layer, float Sigma, QPointF Offset, QColor Color,
                 float Opacity) {
  const QRect Area = Reach(Layer, Sigma, Offset);
  if (Area.isNull())
    return;
  TPlane Shade = AlphaIn(Layer, Area);
  BlurPlane(Shade, Sigma);
  for (int Y = 0; Y < Area.height(); ++Y) {
    QRgb *Target = reinterpret_cast<QRgb *>(Canvas.scanLine(Y + Area.top()));
    for (int X = 0; X < Area.width(); ++X) {
      const float Alpha = Sample(Shade, float(X - Offset.x()), float(Y - Offset.y())) * Opacity;
      if (Alpha > 0.0005f)
        Target[X + Area.left()] = Over(Target[X + Area.left()], float(Color.redF()),
                                       float(Color.greenF()), float(Color.blueF()), Alpha);
    }
  }
}

void PaintInnerShadow(QImage &Canvas, const QImage &Layer, float Sigma, QPointF Offset,
                      QColor Color, float Opacity) {
  const QRect Area = Reach(Layer, Sigma, Offset);
  if (Area.isNull())
    return;
  const TPlane Inside = AlphaIn(Layer, Area);
  TPlane Outside(Area.width(), Area.height());
  for (int Y = 0; Y < Area.height(); ++Y)
    for (int X = 0; X < Area.width(); ++X)
      Outside.At(X, Y) = 1 - Inside.Get(X, Y);
  BlurPlane(Outside, Sigma);
  for (int Y = 0; Y < Area.height(); ++Y) {
    QRgb *Target = reinterpret_cast<QRgb *>(Canvas.scanLine(Y + Area.top()));
    for (int X = 0; X < Area.width(); ++X) {
      const float Cover = Inside.Get(X, Y);
      if (Cover <= 0)
        continue;
      const float Alpha =
          Sample(Outside, float(X - Offset.x()), float(Y - Offset.y())) * Cover * Opacity;
      if (Alpha > 0.0005f)
        Target[X + Area.left()] = Over(Target[X + Area.left()], float(Color.redF()),
                                       float(Color.greenF()), float(Color.blueF()), Alpha);
    }
  }
}
