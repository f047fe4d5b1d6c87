#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>

#include <vector>

// A tiny relief renderer for painted artwork. A layer is a transparent ARGB picture holding
// one part's shape (its alpha) and base colours. Blurring the alpha gives a height field
// whose edges are rounded over about `Bevel` pixels; its slopes are lit Phong-style by one
// light, which turns a flat painted shape into a moulded, glossy part:
//
//   light *
//          ' .      bright side  ________  dark side
//              ' .              /        \ (faces away)
//   ___________________________/          \___________
//
// All sizes are in pixels of the canvas the layers are painted on.

// A float plane holding one value per pixel; reads outside it give the nearest edge value.
class TPlane {
public:
  TPlane(int Width, int Height) : FWidth(Width), FHeight(Height), FValues(size_t(Width) * Height) {}
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  float &At(int X, int Y) { return FValues[size_t(Y) * FWidth + X]; }
  float Get(int X, int Y) const {
    X = X < 0 ? 0 : (X >= FWidth ? FWidth - 1 : X);
    Y = Y < 0 ? 0 : (Y >= FHeight ? FHeight - 1 : Y);
    return FValues[size_t(Y) * FWidth + X];
  }

private:
  int FWidth;
  int FHeight;
  std::vector<float> FValues;
};

// Coverage (alpha) of a layer, 0..1.
TPlane AlphaPlane(const QImage &Layer);
// Gaussian-like blur: three box passes with the same variance.
void BlurPlane(TPlane &Plane, float Sigma);
// The same with different strengths across (SigmaX) and down (SigmaY).
void BlurPlane(TPlane &Plane, float SigmaX, float SigmaY);

// Direction towards the light; Z points out of the picture towards the viewer.
struct TLight {
  float X = -0.35f;
  float Y = -0.75f;
  float Z = 0.56f;
};

struct TMaterial {
  float Bevel = 4;         // width of the rounded edge (blur of the height field)
  float Steepness = 1.5f;  // slope at the silhouette: 1 = 45 degrees
  float Diffuse = 0.6f;    // how much the slopes' lighting changes the base colour
  float Specular = 0.5f;   // strength of the white highlight
  float Shininess = 30;    // tightness of the highlight
  bool Sunken = false;     // a dip (well, hole) instead of a dome
};

// Lights the layer's pixels and draws them over the canvas (source-over).
void PaintLit(QImage &Canvas, const QImage &Layer, const TMaterial &Material, const TLight &Light);
// Soft shadow of the layer's shape under it: blurred, moved by Offset, in Color.
void PaintShadow(QImage &Canvas, const QImage &Layer, float Sigma, QPointF Offset, QColor Color,
                 float Opacity);
// Shadow cast by the rim of an opening onto what lies inside it (a recess's floor, a screen
// under its bezel): darkens the inside of the shape near the edges facing the light.
void PaintInnerShadow(QImage &Canvas, const QImage &Layer, float Sigma, QPointF Offset,
                      QColor Color, float Opacity);

// A transparent layer the size of the canvas, ready to be painted.
QImage NewLayer(const QImage &Canvas);
