#include "glyphart.h"

#include "canvas.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int Supersample = 4;

struct TInk {
  QColor Line;   // outlines
  QColor Fill;   // main fill
  QColor Light;  // secondary fill
};

QPen Outline(QColor Color, double Width = 1) {
  QPen Pen(Color, Width);
  Pen.setJoinStyle(Qt::RoundJoin);
  Pen.setCapStyle(Qt::RoundCap);
  return Pen;
}

void Folder(QPainter &P, const TInk &Ink) {
  QPainterPath Back;
  Back.moveTo(2.5, 4.5);
  Back.lineTo(8, 4.5);
  Back.lineTo(10, 6.5);
  Back.lineTo(18.5, 6.5);
  Back.lineTo(18.5, 17.5);
  Back.lineTo(2.5, 17.5);
  Back.closeSubpath();
  P.setPen(Outline(Ink.Line));
  P.setBrush(Ink.Fill);
  P.drawPath(Back);
  QPainterPath Front;
  Front.moveTo(5.5, 9.5);
  Front.lineTo(20.5, 9.5);
  Front.lineTo(17.5, 17.5);
  Front.lineTo(2.5, 17.5);
  Front.closeSubpath();
  QLinearGradient Shine(0, 9.5, 0, 17.5);
  Shine.setColorAt(0, Ink.Light);
  Shine.setColorAt(1, Ink.Fill);
  P.setBrush(Shine);
  P.drawPath(Front);
}

void Floppy(QPainter &P, const TInk &Ink) {
  QPainterPath Body;
  Body.moveTo(2.5, 4);
  Body.quadTo(2.5, 2.5, 4, 2.5);
  Body.lineTo(16.5, 2.5);
  Body.lineTo(19.5, 5.5);
  Body.lineTo(19.5, 18);
  Body.quadTo(19.5, 19.5, 18, 19.5);
  Body.lineTo(4, 19.5);
  Body.quadTo(2.5, 19.5, 2.5, 18);
  Body.closeSubpath();
  P.setPen(Outline(Ink.Line));
  P.setBrush(Ink.Fill);
  P.drawPath(Body);
  // The metal shutter with its slot, and the paper label.
  P.setBrush(Ink.Light);
  P.drawRect(QRectF(6.5, 2.5, 9, 6));
  P.fillRect(QRectF(12, 3.5, 2, 4), Ink.Line);
  P.setBrush(Qt::white);
  P.drawRect(QRectF(5.5, 11.5, 11, 8));
  P.setPen(Outline(Ink.Light, 1));
  P.drawLine(QPointF(7.5, 14.5), QPointF(14.5, 14.5));
  P.drawLine(QPointF(7.5, 16.5), QPointF(12.5, 16.5));
}

void CloseCross(QPainter &P, const TInk &Ink, QSizeF Size) {
  const QPointF C(Size.width() / 2, Size.height() / 2);
  QLinearGradient Fill(0, C.y() - 9, 0, C.y() + 9);
  Fill.setColorAt(0, Ink.Light);
  Fill.setColorAt(1, Ink.Fill);
  P.setPen(Outline(Ink.Line));
  P.setBrush(Fill);
  P.drawEllipse(C, 9.5, 9.5);
  P.setPen(Outline(Qt::white, 2.4));
  P.drawLine(C + QPointF(-3.6, -3.6), C + QPointF(3.6, 3.6));
  P.drawLine(C + QPointF(3.6, -3.6), C + QPointF(-3.6, 3.6));
}

// The letter A in a serif face, fitted to the glyph's height, with a colour bar under it.
void Letter(QPainter &P, const TInk &Ink, QSizeF Size, const QString &Family) {
  QFont Font(Family);
  Font.setPixelSize(100);
  Font.setWeight(QFont::Bold);
  QPainterPath A;
  A.addText(0, 0, Font, QStringLiteral("A"));
  const QRectF Box = A.boundingRect();
  const double Height = Size.height() - 6.5;
  const double Scale = std::min(Height / Box.height(), (Size.width() - 1) / Box.width());
  P.save();
  P.translate((Size.width() - Box.width() * Scale) / 2 - Box.left() * Scale,
              1.5 - Box.top() * Scale);
  P.scale(Scale, Scale);
  P.fillPath(A, Ink.Line);
  P.restore();
  P.setPen(Outline(Ink.Line, 1));
  P.setBrush(Ink.Fill);
  P.drawRect(QRectF(2.5, Size.height() - 4.5, Size.width() - 5, 3));
}

void Palette(QPainter &P, const TInk &Ink, const QList<QColor> &Paints) {
  QPainterPath Board;
  Board.addEllipse(QRectF(1.5, 2.5, 20, 18));
  QPainterPath Thumb;
  Thumb.addEllipse(QPointF(15, 15), 2.4, 2.4);
  // A notch into the lower right edge, where the thumb hole opens to the rim.
  Thumb.addEllipse(QPointF(20.5, 19.2), 3.4, 3.4);
  P.setPen(Outline(Ink.Line));
  QLinearGradient Wood(0, 2.5, 0, 20.5);
  Wood.setColorAt(0, Ink.Light);
  Wood.setColorAt(1, Ink.Fill);
  P.setBrush(Wood);
  P.drawPath(Board.subtracted(Thumb));
  const QPointF Blobs[4] = {{6.5, 9}, {11, 6.5}, {15.8, 8.3}, {6.8, 14.5}};
  P.setPen(Outline(Ink.Line, 0.6));
  for (int I = 0; I < 4 && I < Paints.size(); ++I) {
    P.setBrush(Paints[I]);
    P.drawEllipse(Blobs[I], 2.2, 2.2);
  }
}

// A circular arrow turning anticlockwise; Mirror flips it into the clockwise one.
//
//     <-.  head at the upper left, pointing down and left
//    |   '.
//     '.__.'
void TurnArrow(QPainter &P, const TInk &Ink, QSizeF Size, bool Mirror) {
  P.save();
  if (Mirror) {
    P.translate(Size.width(), 0);
    P.scale(-1, 1);
  }
  const QPointF C(Size.width() / 2, Size.height() / 2 + 0.5);
  const double R = 6.6;
  const double Head = 150, Sweep = 265;  // degrees, anticlockwise from three o'clock
  const double Start = Head - Sweep;
  QPainterPath Arc;
  Arc.arcMoveTo(QRectF(C.x() - R, C.y() - R, 2 * R, 2 * R), Start);
  Arc.arcTo(QRectF(C.x() - R, C.y() - R, 2 * R, 2 * R), Start, Sweep - 22);
  P.setPen(Outline(Ink.Fill, 2.6));
  P.setBrush(Qt::NoBrush);
  P.drawPath(Arc);
  // The head: a triangle along the direction of travel at the arc's end.
  const double T = Head * Pi / 180;
  const QPointF Tip = C + QPointF(R * std::cos(T), -R * std::sin(T));
  const QPointF Ahead(-std::sin(T), -std::cos(T));  // anticlockwise tangent on screen
  const QPointF Side(Ahead.y(), -Ahead.x());
  const QPointF Back = Tip - Ahead * 5.2;
  const QPointF HeadCorners[3] = {Tip + Ahead * 1.2, Back + Side * 4.2, Back - Side * 4.2};
  P.setPen(Outline(Ink.Fill, 0.8));
  P.setBrush(Ink.Fill);
  P.drawPolygon(HeadCorners, 3);
  P.restore();
}

// Two triangles mirrored over a dashed axis, standing on it like a peak and its reflection
// in water; the apex sits off-centre so the flip shows. Across puts the axis across the
// glyph (mirror top to bottom), otherwise it runs down it (mirror left to right).
//
//        /\_                 |
//       /   \_            |\ | /|
//   - -/------\- -         | \|/ |
//       \   _/             |_/|\_|
//        \/                  |
void MirrorPair(QPainter &P, const TInk &Ink, QSizeF Size, bool Across) {
  // Work in (along the axis, away from it) coordinates; Place maps them into the glyph.
  const double Along = Across ? Size.width() : Size.height();
  const double Mid = (Across ? Size.height() : Size.width()) / 2;
  const auto Place = [&](double U, double V) { return Across ? QPointF(U, V) : QPointF(V, U); };
  const double Gap = 1.5, Depth = Mid - Gap - 1.2;
  const double From = Along / 2 - 8, To = Along / 2 + 8, Apex = Along / 2 - 3;
  const QPointF First[3] = {Place(From, Mid - Gap), Place(To, Mid - Gap),
                            Place(Apex, Mid - Gap - Depth)};
  const QPointF Second[3] = {Place(From, Mid + Gap), Place(To, Mid + Gap),
                             Place(Apex, Mid + Gap + Depth)};
  P.setPen(Outline(Ink.Line));
  P.setBrush(Ink.Fill);
  P.drawPolygon(First, 3);
  P.setBrush(Ink.Light);
  P.drawPolygon(Second, 3);
  QPen Axis(QColor(110, 118, 134), 1);
  Axis.setDashPattern({2, 1.5});
  P.setPen(Axis);
  P.drawLine(Place(0.8, Mid), Place(Along - 0.8, Mid));
}

// Paints one glyph supersampled, smooths it onto the face colour and keys the rest.
QImage Render(QSize Size, QColor Face, QColor Key,
              const std::function<void(QPainter &, QSizeF)> &Paint) {
  TCanvas Canvas(Size, Supersample);
  Canvas.Draw([&](QPainter &P) { Paint(P, QSizeF(Size)); });
  const QImage Cover = Canvas.Final();
  QImage Glyph(Size, QImage::Format_RGB32);
  for (int Y = 0; Y < Size.height(); ++Y) {
    const QRgb *From = reinterpret_cast<const QRgb *>(Cover.constScanLine(Y));
    QRgb *To = reinterpret_cast<QRgb *>(Glyph.scanLine(Y));
    for (int X = 0; X < Size.width(); ++X) {
      const int A = qAlpha(From[X]);
      // Coverage under about 8 percent would only tint the face: leave it to the key.
      if (A < 20) {
        To[X] = Key.rgb();
        continue;
      }
      const auto Blend = [&](int Premultiplied, int Under) {
        return std::clamp(Premultiplied + (Under * (255 - A) + 127) / 255, 0, 255);
      };
      To[X] = qRgb(Blend(qRed(From[X]), Face.red()), Blend(qGreen(From[X]), Face.green()),
                   Blend(qBlue(From[X]), Face.blue()));
      // The drawing must never hit the key colour itself.
      if (To[X] == Key.rgb())
        To[X] = qRgb(Key.red() ^ 1, Key.green(), Key.blue());
    }
  }
  if (Glyph.pixel(0, Size.height() - 1) != Key.rgb())
    throw std::runtime_error("a glyph's lower-left pixel is not the key colour");
  return Glyph;
}

}  // namespace

QList<TGlyph> PaintGlyphs(const TArtworkParams &Params) {
  const QColor Key = Params.Color("glyphs/key");
  const QColor Face = Params.Color("glyphs/face");
  const auto InkOf = [&](const QString &Name) {
    return TInk{Params.Color("glyphs/" + Name + "_line"), Params.Color("glyphs/" + Name + "_fill"),
                Params.Color("glyphs/" + Name + "_light")};
  };
  const auto SizeOf = [&](const QString &Name) {
    const QPointF Size = Params.Point("glyphs/" + Name);
    return QSize(int(Size.x()), int(Size.y()));
  };
  const TInk Amber = InkOf("folder"), Disk = InkOf("disk"), Stop = InkOf("close"),
             Type = InkOf("letter"), Wood = InkOf("palette"), Turn = InkOf("arrow"),
             Mirror = InkOf("mirror");
  const QString Family = Params.Text("glyphs/letter_family");
  QList<QColor> Paints;
  for (int I = 1; I <= 4; ++I)
    Paints.append(Params.Color(QStringLiteral("glyphs/paint%1").arg(I)));

  QList<TGlyph> Glyphs;
  const auto Add = [&](const QString &Name, const std::function<void(QPainter &, QSizeF)> &Paint) {
    Glyphs.append({Name, Render(SizeOf(Name), Face, Key, Paint)});
  };
  Add("open", [&](QPainter &P, QSizeF) { Folder(P, Amber); });
  Add("save", [&](QPainter &P, QSizeF) { Floppy(P, Disk); });
  Add("close", [&](QPainter &P, QSizeF S) { CloseCross(P, Stop, S); });
  Add("font", [&](QPainter &P, QSizeF S) { Letter(P, Type, S, Family); });
  Add("color", [&](QPainter &P, QSizeF) { Palette(P, Wood, Paints); });
  Add("rotateleft", [&](QPainter &P, QSizeF S) { TurnArrow(P, Turn, S, false); });
  Add("rotateright", [&](QPainter &P, QSizeF S) { TurnArrow(P, Turn, S, true); });
  Add("mirrortop", [&](QPainter &P, QSizeF S) { MirrorPair(P, Mirror, S, true); });
  Add("mirrorleft", [&](QPainter &P, QSizeF S) { MirrorPair(P, Mirror, S, false); });
  return Glyphs;
}
