#include "iconart.h"

#include "canvas.h"
#include "lighting.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>

namespace {

QPainterPath RoundedRect(const QRectF &Rect, double Radius) {
  QPainterPath Path;
  Path.addRoundedRect(Rect, Radius, Radius);
  return Path;
}

// The screen's little scene, in the screen's rectangle.
void PaintScene(QPainter &P, const QRectF &Screen, const TArtworkParams &Params, bool Detailed) {
  P.save();
  P.setClipPath(RoundedRect(Screen, Screen.height() * 0.08));
  QLinearGradient Sky(Screen.topLeft(), Screen.bottomLeft());
  Sky.setColorAt(0, Params.Color("icon/screen_top"));
  Sky.setColorAt(1, Params.Color("icon/screen_bottom"));
  P.fillRect(Screen, Sky);
  // The aurora: a bright band sweeping down to the right, fading upwards.
  const double W = Screen.width(), H = Screen.height();
  QPainterPath Band;
  Band.moveTo(Screen.left() - 1, Screen.top() + H * 0.60);
  Band.cubicTo(Screen.left() + W * 0.35, Screen.top() + H * 0.20, Screen.left() + W * 0.6,
               Screen.top() + H * 0.70, Screen.right() + 1, Screen.top() + H * 0.34);
  Band.lineTo(Screen.right() + 1, Screen.top() - 1);
  Band.lineTo(Screen.left() - 1, Screen.top() - 1);
  Band.closeSubpath();
  QColor Aurora = Params.Color("icon/aurora");
  QLinearGradient Glow(Screen.topLeft(), Screen.topLeft() + QPointF(0, H * 0.62));
  Aurora.setAlpha(0);
  Glow.setColorAt(0, Aurora);
  Aurora.setAlpha(Detailed ? 235 : 255);
  Glow.setColorAt(Detailed ? 0.75 : 0.5, Aurora);
  P.fillPath(Band, Glow);
  // The peak, lit on its left face.
  QPainterPath Peak;
  Peak.moveTo(Screen.left() - 1, Screen.bottom() + 1);
  Peak.lineTo(Screen.left() + W * 0.12, Screen.top() + H * 0.82);
  Peak.lineTo(Screen.left() + W * 0.55, Screen.top() + H * 0.40);
  Peak.lineTo(Screen.right() + 1, Screen.top() + H * 0.88);
  Peak.lineTo(Screen.right() + 1, Screen.bottom() + 1);
  Peak.closeSubpath();
  P.fillPath(Peak, Params.Color("icon/peak_shade"));
  if (Detailed) {
    // The lit left flank: from the summit down to the foot, the far edge wandering like a ridge.
    QPainterPath Face;
    Face.moveTo(Screen.left() + W * 0.55, Screen.top() + H * 0.40);
    Face.lineTo(Screen.left() - 1, Screen.top() + H * 0.95);
    Face.lineTo(Screen.left() - 1, Screen.bottom() + 1);
    Face.lineTo(Screen.left() + W * 0.40, Screen.bottom() + 1);
    Face.lineTo(Screen.left() + W * 0.47, Screen.top() + H * 0.72);
    Face.lineTo(Screen.left() + W * 0.44, Screen.top() + H * 0.58);
    Face.closeSubpath();
    P.fillPath(Face.intersected(Peak), Params.Color("icon/peak_light"));
  }
  P.restore();
}

}  // namespace

QImage PaintIcon(const TArtworkParams &Params, int Size) {
  const bool Small = Size < 24;
  const int Scale = 4;
  TCanvas Canvas(QSize(Size, Size), Scale);
  const double S = Size;
  // Larger icons keep a margin, as desktop icons do; the small ones use every pixel.
  const double Margin = Small ? 0 : S * Params.Number("icon/margin");
  const QRectF Tile(Margin, Margin, S - 2 * Margin, S - 2 * Margin);
  const QPainterPath TilePath = RoundedRect(Tile, Tile.width() * 0.22);

  const QImage TileLayer = Canvas.Layer([&](QPainter &P) {
    QLinearGradient Fill(Tile.topLeft(), Tile.bottomRight());
    Fill.setColorAt(0, Params.Color("icon/tile_top"));
    Fill.setColorAt(1, Params.Color("icon/tile_bottom"));
    P.fillPath(TilePath, Fill);
    QRadialGradient Glow(Tile.center() + QPointF(0, -Tile.height() * 0.55), Tile.width() * 0.75);
    QColor Aurora = Params.Color("icon/aurora");
    Aurora.setAlpha(80);
    Glow.setColorAt(0, Aurora);
    Aurora.setAlpha(0);
    Glow.setColorAt(1, Aurora);
    P.setClipPath(TilePath);
    P.fillRect(Tile, Glow);
  });
  if (!Small)
    PaintShadow(Canvas.Image(), TileLayer, float(S * 0.02 * Scale), QPointF(0, S * 0.015 * Scale),
                Qt::black, 0.35f);
  TLight Light;
  PaintLit(Canvas.Image(), TileLayer,
           TMaterial{float(std::max(1.0, S * 0.025) * Scale), 1.0f, 0.3f, Small ? 0.0f : 0.35f, 20,
                     false},
           Light);

  // The console: a light rounded body across the tile, its screen in the middle.
  const QRectF Body =
      Small ? QRectF(1, 4.5, 14, 7.5)
            : QRectF(Tile.left() + Tile.width() * 0.08, Tile.top() + Tile.height() * 0.30,
                     Tile.width() * 0.84, Tile.height() * 0.42);
  const QRectF Screen =
      Small ? QRectF(4.5, 5.5, 7, 5.5)
            : QRectF(Body.center().x() - Body.width() * 0.27, Body.top() + Body.height() * 0.14,
                     Body.width() * 0.54, Body.height() * 0.72);
  const QImage BodyLayer = Canvas.Layer([&](QPainter &P) {
    QLinearGradient Fill(Body.topLeft(), Body.bottomLeft());
    Fill.setColorAt(0, Params.Color("icon/console_light"));
    Fill.setColorAt(1, Params.Color("icon/console_dark"));
    P.fillPath(RoundedRect(Body, Body.height() * (Small ? 0.3 : 0.26)), Fill);
  });
  PaintShadow(Canvas.Image(), BodyLayer, float(std::max(0.6, S * 0.025) * Scale),
              QPointF(0, std::max(0.5, S * 0.02) * Scale), Qt::black, 0.45f);
  PaintLit(Canvas.Image(), BodyLayer,
           TMaterial{float(std::max(0.7, S * 0.03) * Scale), 1.2f, 0.5f, 0.45f, 25, false}, Light);
  Canvas.Draw([&](QPainter &P) {
    P.fillPath(RoundedRect(Screen.adjusted(-S * 0.012, -S * 0.012, S * 0.012, S * 0.012),
                           Screen.height() * 0.1),
               Params.Color("icon/bezel"));
    PaintScene(P, Screen, Params, !Small);
    if (Small)
      return;
    // Controls: a d-pad left of the screen, four dots right of it.
    const QColor Key = Params.Color("icon/keys");
    const double Unit = Body.height() * 0.062;
    const QPointF Pad(Body.left() + (Screen.left() - Body.left()) * 0.5, Body.center().y());
    P.fillRect(QRectF(Pad.x() - 2.6 * Unit, Pad.y() - 0.8 * Unit, 5.2 * Unit, 1.6 * Unit), Key);
    P.fillRect(QRectF(Pad.x() - 0.8 * Unit, Pad.y() - 2.6 * Unit, 1.6 * Unit, 5.2 * Unit), Key);
    const QPointF Keys(Body.right() - (Body.right() - Screen.right()) * 0.5, Body.center().y());
    P.setPen(Qt::NoPen);
    P.setBrush(Key);
    for (const QPointF D : {QPointF(0, -1.6), QPointF(1.6, 0), QPointF(0, 1.6), QPointF(-1.6, 0)})
      P.drawEllipse(Keys + D * Unit, 0.95 * Unit, 0.95 * Unit);
  });
  return Canvas.Final().convertToFormat(QImage::Format_ARGB32);
}
