#include "devicephoto.h"

#include "canvas.h"
#include "lighting.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

// Where the parts sit, in photograph pixels.
//
//    __(shoulder)_______________________________________(shoulder)__
//   |                 +----------------------------+                 |  body
//   |    [ d-pad ]    |  glass  +--------------+   |       o         |
//   |                 |         |    screen    |   |     o   o       |
//   |     (pill)      |         +--------------+   |       o         |
//   |     :::::::     +----------------------------+     (pill)      |
//   |     speaker                                        :::::::     |
//   |________________________________________________________________|
struct TLayout {
  QRectF Screen;
  QRectF Glass;
  QRectF Body;
  double BodyRadius;
  double GlassRadius;
  QPointF Pad;      // centre of the d-pad
  QPointF Buttons;  // centre of the face-button diamond
  double PillY;     // centre line of the two small pill buttons
  double SpeakerY;  // centre line of the two speaker grilles
  QPointF Led;
};

TLayout LayoutOf(const TArtworkParams &Params) {
  TLayout L;
  L.Screen = Params.Rect("device/screen");
  const QRectF Bezel = Params.Rect("device/bezel");  // left, top, right, bottom widths
  L.Glass = L.Screen.adjusted(-Bezel.x(), -Bezel.y(), Bezel.width(), Bezel.height());
  L.Body = Params.Rect("device/body");
  L.BodyRadius = Params.Number("device/body_radius");
  L.GlassRadius = Params.Number("device/glass_radius");
  const double LeftMid = (L.Body.left() + L.Glass.left()) / 2;
  const double RightMid = (L.Glass.right() + L.Body.right()) / 2;
  L.Pad = {LeftMid, Params.Number("device/controls_y")};
  L.Buttons = {RightMid, Params.Number("device/controls_y")};
  L.PillY = Params.Number("device/pill_y");
  L.SpeakerY = Params.Number("device/speaker_y");
  L.Led = Params.Point("device/led");
  return L;
}

QPainterPath RoundedRect(const QRectF &Rect, double Radius) {
  QPainterPath Path;
  Path.addRoundedRect(Rect, Radius, Radius);
  return Path;
}

// A plus sign with rounded ends: the d-pad, Arm wide, Span across.
QPainterPath CrossPath(QPointF Centre, double Span, double Arm, double Radius) {
  const QRectF Across(Centre.x() - Span / 2, Centre.y() - Arm / 2, Span, Arm);
  const QRectF Down(Centre.x() - Arm / 2, Centre.y() - Span / 2, Arm, Span);
  return RoundedRect(Across, Radius).united(RoundedRect(Down, Radius)).simplified();
}

QPainterPath Circle(QPointF Centre, double Radius) {
  QPainterPath Path;
  Path.addEllipse(Centre, Radius, Radius);
  return Path;
}

QLinearGradient Vertical(const QRectF &Rect, QColor Top, QColor Bottom) {
  QLinearGradient Gradient(Rect.topLeft(), Rect.bottomLeft());
  Gradient.setColorAt(0, Top);
  Gradient.setColorAt(1, Bottom);
  return Gradient;
}

// A dome-shaped button base: lighter towards the light, darker at the far side.
QRadialGradient DomeGradient(QPointF Centre, double Radius, QColor Light, QColor Dark) {
  QRadialGradient Gradient(Centre, Radius * 1.25, Centre + QPointF(-Radius * 0.35, -Radius * 0.5));
  Gradient.setColorAt(0, Light);
  Gradient.setColorAt(1, Dark);
  return Gradient;
}

// Fine sensor-like grain inside the body's shape, Amount levels either way.
void AddGrain(QImage &Image, const QImage &Mask, int Amount, unsigned Seed) {
  std::mt19937 Random(Seed);
  for (int Y = 0; Y < Image.height(); ++Y) {
    QRgb *Row = reinterpret_cast<QRgb *>(Image.scanLine(Y));
    const QRgb *MaskRow = reinterpret_cast<const QRgb *>(Mask.constScanLine(Y));
    for (int X = 0; X < Image.width(); ++X) {
      const int Noise = int(Random() % unsigned(2 * Amount + 1)) - Amount;
      const int A = qAlpha(MaskRow[X]);
      if (A < 255)
        continue;
      const QRgb P = Row[X];
      Row[X] = qRgba(std::clamp(qRed(P) + Noise, 0, qAlpha(P)),
                     std::clamp(qGreen(P) + Noise, 0, qAlpha(P)),
                     std::clamp(qBlue(P) + Noise, 0, qAlpha(P)), qAlpha(P));
    }
  }
}

class TDevicePainter {
public:
  explicit TDevicePainter(const TArtworkParams &Params)
      : FParams(Params), FLayout(LayoutOf(Params)),
        FCanvas(QSize(Params.Integer("device/width"), Params.Integer("device/height")),
                Params.Integer("device/supersample")) {
    const QPointF LightDirection = Params.Point("device/light");
    FLight.X = float(LightDirection.x());
    FLight.Y = float(LightDirection.y());
    FLight.Z = float(Params.Number("device/light_height"));
  }

  QImage Paint() {
    FCanvas.Image().fill(Qt::white);
    PaintBody();
    PaintGlass();
    PaintPad();
    PaintFaceButtons();
    PaintPills();
    PaintSpeakers();
    PaintLed();
    QImage Photo = FCanvas.Final().convertToFormat(QImage::Format_RGB32);
    // The screen is one flat colour, exactly on its rectangle.
    QPainter Painter(&Photo);
    Painter.fillRect(FLayout.Screen.toRect(), Color("device/screen_color"));
    return Photo;
  }

private:
  QColor Color(const char *Key) const { return FParams.Color(QString::fromLatin1(Key)); }
  float Px(double FinalPixels) const { return float(FinalPixels * FCanvas.Scale()); }
  QPointF PxPoint(double X, double Y) const { return {Px(X), Px(Y)}; }

  void PaintBody() {
    const QPainterPath Body = RoundedRect(FLayout.Body, FLayout.BodyRadius);
    const QImage Shape = FCanvas.Layer([&](QPainter &P) { P.fillPath(Body, Qt::black); });
    // Shadows on the white table: a wide soft one, then a tight contact one.
    const QColor ShadowColor = Color("device/shadow_color");
    PaintShadow(FCanvas.Image(), Shape, Px(16), PxPoint(0, 12), ShadowColor, 0.30f);
    PaintShadow(FCanvas.Image(), Shape, Px(6), PxPoint(0, 5), ShadowColor, 0.35f);
    PaintShadow(FCanvas.Image(), Shape, Px(1.5), PxPoint(0, 1.5), ShadowColor, 0.45f);

    PaintShoulders();

    const QImage Shell = FCanvas.Layer([&](QPainter &P) {
      P.fillPath(Body,
                 Vertical(FLayout.Body, Color("device/body_top"), Color("device/body_bottom")));
      // A soft studio light reflected on the upper left of the shell.
      QRadialGradient Sheen(FLayout.Body.topLeft() + QPointF(FLayout.Body.width() * 0.22, 0),
                            FLayout.Body.width() * 0.5);
      Sheen.setColorAt(0, QColor(255, 255, 255, 34));
      Sheen.setColorAt(1, QColor(255, 255, 255, 0));
      P.setClipPath(Body);
      P.fillRect(FLayout.Body, Sheen);
      // Darker towards the two ends, where the shell curves away from the camera.
      QLinearGradient Ends(FLayout.Body.topLeft(), FLayout.Body.topRight());
      Ends.setColorAt(0, QColor(0, 0, 0, 70));
      Ends.setColorAt(0.12, QColor(0, 0, 0, 0));
      Ends.setColorAt(0.88, QColor(0, 0, 0, 0));
      Ends.setColorAt(1, QColor(0, 0, 0, 90));
      P.fillRect(FLayout.Body, Ends);
      // A long soft box reflected as a band just under the top edge.
      const QRectF Band(FLayout.Body.left() + FLayout.BodyRadius * 0.6, FLayout.Body.top() + 6,
                        FLayout.Body.width() - FLayout.BodyRadius * 1.2, 26);
      QLinearGradient Softbox(Band.topLeft(), Band.bottomLeft());
      Softbox.setColorAt(0, QColor(255, 255, 255, 0));
      Softbox.setColorAt(0.35, QColor(255, 255, 255, 20));
      Softbox.setColorAt(1, QColor(255, 255, 255, 0));
      P.fillRect(Band, Softbox);
      // Shade towards the bottom: the lower edge turns away from the light.
      QLinearGradient Lower(FLayout.Body.topLeft(), FLayout.Body.bottomLeft());
      Lower.setColorAt(0.6, QColor(0, 0, 0, 0));
      Lower.setColorAt(1, QColor(0, 0, 0, 60));
      P.fillRect(FLayout.Body, Lower);
    });
    TMaterial ShellMaterial;
    ShellMaterial.Bevel = Px(9);
    ShellMaterial.Steepness = 1.7f;
    ShellMaterial.Diffuse = 0.75f;
    ShellMaterial.Specular = 0.55f;
    ShellMaterial.Shininess = 22;
    PaintLit(FCanvas.Image(), Shell, ShellMaterial, FLight);
    AddGrain(FCanvas.Image(), Shape, 3, 7);

    // Parting line between the front plate and the rim, lit from above.
    FCanvas.Draw([&](QPainter &P) {
      const QRectF Plate = FLayout.Body.adjusted(4.5, 4.5, -4.5, -4.5);
      QLinearGradient Line(Plate.topLeft(), Plate.bottomLeft());
      Line.setColorAt(0, QColor(255, 255, 255, 60));
      Line.setColorAt(0.3, QColor(255, 255, 255, 10));
      Line.setColorAt(0.7, QColor(0, 0, 0, 20));
      Line.setColorAt(1, QColor(0, 0, 0, 80));
      P.setPen(QPen(QBrush(Line), 0.7));
      P.setBrush(Qt::NoBrush);
      P.drawPath(RoundedRect(Plate, FLayout.BodyRadius - 4.5));
      // A faint rim of light from behind along the lower edge, parting it from its shadow.
      const QRectF Rim = FLayout.Body.adjusted(1, 1, -1, -1);
      QLinearGradient RimFill(Rim.topLeft(), Rim.bottomLeft());
      RimFill.setColorAt(0.75, QColor(255, 255, 255, 0));
      RimFill.setColorAt(1, QColor(170, 190, 230, 55));
      P.setPen(QPen(QBrush(RimFill), 0.9));
      P.drawPath(RoundedRect(Rim, FLayout.BodyRadius - 1));
    });
  }

  // The shoulder buttons peek out above the two top corners of the shell: the shell's own
  // outline raised a little, cut off Width pixels in from each end.
  void PaintShoulders() {
    const double Width = FParams.Number("device/shoulder_width");
    const double Rise = FParams.Number("device/shoulder_rise");
    const QRectF Outline = FLayout.Body.adjusted(1.5, -Rise, -1.5, -Rise);
    const QPainterPath Whole = RoundedRect(Outline, FLayout.BodyRadius);
    const double Cut = FLayout.BodyRadius;
    QPainterPath Corners;
    Corners.addRoundedRect(QRectF(Outline.left() - 20, Outline.top() - 20, Width + 20, Cut + 20), 8,
                           8);
    Corners.addRoundedRect(
        QRectF(Outline.right() - Width, Outline.top() - 20, Width + 20, Cut + 20), 8, 8);
    const QPainterPath Shoulders = Whole.intersected(Corners);
    const QImage Layer = FCanvas.Layer([&](QPainter &P) {
      P.fillPath(Shoulders, Vertical(QRectF(Outline.topLeft(), QSizeF(Outline.width(), Cut)),
                                     Color("device/shoulder_color"), Color("device/body_bottom")));
    });
    TMaterial Material;
    Material.Bevel = Px(2);
    Material.Steepness = 1.5f;
    Material.Diffuse = 0.7f;
    Material.Specular = 0.7f;
    Material.Shininess = 30;
    PaintLit(FCanvas.Image(), Layer, Material, FLight);
  }

  void PaintGlass() {
    const QPainterPath Glass = RoundedRect(FLayout.Glass, FLayout.GlassRadius);
    // The seam around the glass.
    FCanvas.Draw([&](QPainter &P) {
      P.setPen(QPen(QColor(0, 0, 0, 150), 1.4));
      P.setBrush(Qt::NoBrush);
      P.drawPath(Glass);
    });
    const QImage Layer = FCanvas.Layer([&](QPainter &P) {
      P.fillPath(Glass,
                 Vertical(FLayout.Glass, Color("device/glass_top"), Color("device/glass_bottom")));
      // A broad diagonal reflection of the room across the glass.
      P.setClipPath(Glass);
      const QRectF G = FLayout.Glass;
      QLinearGradient Reflection(G.topLeft(), G.topLeft() + QPointF(G.height() * 0.9, G.height()));
      Reflection.setColorAt(0, QColor(255, 255, 255, 22));
      Reflection.setColorAt(0.45, QColor(255, 255, 255, 10));
      Reflection.setColorAt(0.46, QColor(255, 255, 255, 0));
      Reflection.setColorAt(1, QColor(255, 255, 255, 0));
      P.fillRect(G, Reflection);
    });
    TMaterial Material;
    Material.Bevel = Px(1.6);
    Material.Steepness = 1.0f;
    Material.Diffuse = 0.4f;
    Material.Specular = 0.8f;
    Material.Shininess = 40;
    PaintLit(FCanvas.Image(), Layer, Material, FLight);
    FCanvas.Draw([&](QPainter &P) {
      const QRectF G = FLayout.Glass.adjusted(0.8, 0.8, -0.8, -0.8);
      QLinearGradient Edge(G.topLeft(), G.bottomLeft());
      Edge.setColorAt(0, QColor(255, 255, 255, 70));
      Edge.setColorAt(0.08, QColor(255, 255, 255, 0));
      Edge.setColorAt(1, QColor(255, 255, 255, 0));
      P.setPen(QPen(QBrush(Edge), 0.6));
      P.setBrush(Qt::NoBrush);
      P.drawPath(RoundedRect(G, FLayout.GlassRadius - 0.8));
    });
    // A small camera lens in the glass above the screen.
    const QPointF Lens(FLayout.Screen.center().x(),
                       (FLayout.Glass.top() + FLayout.Screen.top()) / 2);
    FCanvas.Draw([&](QPainter &P) {
      P.fillPath(Circle(Lens, 2.1), QColor(30, 34, 44));
      QRadialGradient Iris(Lens, 1.5, Lens + QPointF(-0.5, -0.5));
      Iris.setColorAt(0, QColor(70, 80, 120));
      Iris.setColorAt(1, QColor(4, 5, 8));
      P.fillPath(Circle(Lens, 1.5), Iris);
      P.fillPath(Circle(Lens + QPointF(-0.5, -0.55), 0.45), QColor(255, 255, 255, 150));
    });
    // The display sits a little under the glass in a black mask; the mask shows as a thin
    // rim round the screen, darker than both the switched-off screen and the glass.
    const double Rim = FParams.Number("device/screen_rim_width");
    const QImage Screen = FCanvas.Layer([&](QPainter &P) {
      P.fillRect(FLayout.Screen.adjusted(-Rim, -Rim, Rim, Rim), Color("device/screen_rim"));
    });
    PaintLit(FCanvas.Image(), Screen, TMaterial{Px(0.6), 0.6f, 0.5f, 0.0f, 10, true}, FLight);
  }

  // A recess in the shell for a control: dark, sunken, with its rim's shadow inside.
  void PaintWell(const QPainterPath &Path) {
    const QImage Layer =
        FCanvas.Layer([&](QPainter &P) { P.fillPath(Path, Color("device/well_color")); });
    PaintLit(FCanvas.Image(), Layer, TMaterial{Px(1.6), 1.4f, 0.8f, 0.5f, 25, true}, FLight);
    PaintInnerShadow(FCanvas.Image(), Layer, Px(2), PxPoint(0.6, 1.6), Qt::black, 0.55f);
  }

  // A raised control inside a well, with its shadow on the well's floor.
  void PaintRaised(const QPainterPath &Path, const QBrush &Base, const TMaterial &Material) {
    const QImage Layer = FCanvas.Layer([&](QPainter &P) { P.fillPath(Path, Base); });
    PaintShadow(FCanvas.Image(), Layer, Px(1.4), PxPoint(0.5, 1.6), Qt::black, 0.7f);
    PaintLit(FCanvas.Image(), Layer, Material, FLight);
  }

  TMaterial KeyMaterial(double Bevel) const {
    TMaterial Material;
    Material.Bevel = Px(Bevel);
    Material.Steepness = 1.9f;
    Material.Diffuse = 0.8f;
    Material.Specular = 0.75f;
    Material.Shininess = 34;
    return Material;
  }

  void PaintPad() {
    const double Span = FParams.Number("device/pad_span");
    const double Arm = FParams.Number("device/pad_arm");
    const QPointF C = FLayout.Pad;
    PaintWell(CrossPath(C, Span + 7, Arm + 7, 6));
    const QPainterPath Pad = CrossPath(C, Span, Arm, 4);
    PaintRaised(Pad,
                Vertical(Pad.boundingRect(), Color("device/key_light"), Color("device/key_dark")),
                KeyMaterial(2.6));
    // Arrows pressed into the four arms, and a dimple in the middle.
    const QImage Marks = FCanvas.Layer([&](QPainter &P) {
      const double Tip = Span / 2 - 5.5, Base = Tip - 6, Half = 4.2;
      for (int Turn = 0; Turn < 4; ++Turn) {
        P.save();
        P.translate(C);
        P.rotate(90.0 * Turn);
        const QPointF Triangle[3] = {{0, -Tip}, {-Half, -Base}, {Half, -Base}};
        P.setBrush(Color("device/mark_color"));
        P.setPen(Qt::NoPen);
        P.drawPolygon(Triangle, 3);
        P.restore();
      }
      P.fillPath(Circle(C, 6.5), QColor(0, 0, 0, 40));
    });
    PaintLit(FCanvas.Image(), Marks, TMaterial{Px(0.9), 1.2f, 0.7f, 0.35f, 20, true}, FLight);
  }

  void PaintFaceButtons() {
    const double Gap = FParams.Number("device/button_spacing");
    const double Radius = FParams.Number("device/button_radius");
    const QPointF C = FLayout.Buttons;
    const QPointF Places[4] = {C + QPointF(0, -Gap), C + QPointF(Gap, 0), C + QPointF(0, Gap),
                               C + QPointF(-Gap, 0)};
    const char *Accents[4] = {"device/accent_top", "device/accent_right", "device/accent_bottom",
                              "device/accent_left"};
    for (int I = 0; I < 4; ++I) {
      // Caps of smoked plastic, each tinted faintly with its own colour.
      const QColor Accent = Color(Accents[I]);
      const auto Tint = [&](QColor Base, double Amount) {
        return QColor::fromRgbF(float(Base.redF() + (Accent.redF() - Base.redF()) * Amount),
                                float(Base.greenF() + (Accent.greenF() - Base.greenF()) * Amount),
                                float(Base.blueF() + (Accent.blueF() - Base.blueF()) * Amount));
      };
      const double Tinting = FParams.Number("device/accent_tint");
      PaintWell(Circle(Places[I], Radius + 3.2));
      PaintRaised(Circle(Places[I], Radius),
                  DomeGradient(Places[I], Radius, Tint(Color("device/key_light"), Tinting),
                               Tint(Color("device/key_dark"), Tinting * 0.5)),
                  KeyMaterial(2.4));
    }
  }

  void PaintPills() {
    const QSizeF Size(FParams.Number("device/pill_width"), FParams.Number("device/pill_height"));
    for (const double X : {FLayout.Pad.x(), FLayout.Buttons.x()}) {
      const QRectF Pill(X - Size.width() / 2, FLayout.PillY - Size.height() / 2, Size.width(),
                        Size.height());
      const QRectF Well = Pill.adjusted(-3, -3, 3, 3);
      PaintWell(RoundedRect(Well, Well.height() / 2));
      PaintRaised(RoundedRect(Pill, Pill.height() / 2),
                  Vertical(Pill, Color("device/key_light"), Color("device/key_dark")),
                  KeyMaterial(1.8));
    }
  }

  // Grilles of small holes on a hexagonal grid, clipped to a rounded oblong.
  void PaintSpeakers() {
    const double Pitch = FParams.Number("device/speaker_pitch");
    const double Hole = FParams.Number("device/speaker_hole");
    const QSizeF Size(FParams.Number("device/speaker_width"),
                      FParams.Number("device/speaker_height"));
    const QImage Holes = FCanvas.Layer([&](QPainter &P) {
      for (const double X : {FLayout.Pad.x(), FLayout.Buttons.x()}) {
        const QRectF Area(X - Size.width() / 2, FLayout.SpeakerY - Size.height() / 2, Size.width(),
                          Size.height());
        const QPainterPath Outline = RoundedRect(Area, Size.height() / 2);
        int Row = 0;
        for (double Y = Area.top() + Hole; Y <= Area.bottom() - Hole + 0.01;
             Y += Pitch * 0.866, ++Row)
          for (double Hx = Area.left() + Hole + (Row % 2 ? Pitch / 2 : 0);
               Hx <= Area.right() - Hole; Hx += Pitch)
            if (Outline.contains(QRectF(Hx - Hole, Y - Hole, 2 * Hole, 2 * Hole)))
              P.fillPath(Circle({Hx, Y}, Hole), Color("device/hole_color"));
      }
    });
    PaintLit(FCanvas.Image(), Holes, TMaterial{Px(0.7), 1.2f, 0.8f, 0.45f, 20, true}, FLight);
  }

  // The power light: a tiny lit dot with a glow.
  void PaintLed() {
    const QColor Led = Color("device/led_color");
    FCanvas.Draw([&](QPainter &P) {
      QRadialGradient Glow(FLayout.Led, 6);
      QColor Halo = Led;
      Halo.setAlpha(90);
      Glow.setColorAt(0, Halo);
      Halo.setAlpha(0);
      Glow.setColorAt(1, Halo);
      P.fillPath(Circle(FLayout.Led, 6), Glow);
      P.fillPath(Circle(FLayout.Led, 1.6), Led);
      P.fillPath(Circle(FLayout.Led - QPointF(0.4, 0.4), 0.7), QColor(255, 255, 255, 200));
    });
  }

  const TArtworkParams &FParams;
  TLayout FLayout;
  TCanvas FCanvas;
  TLight FLight;
};

}  // namespace

QImage PaintDevicePhoto(const TArtworkParams &Params) { return TDevicePainter(Params).Paint(); }
