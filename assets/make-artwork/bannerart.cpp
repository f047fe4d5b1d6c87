#include "bannerart.h"

#include "canvas.h"
#include "iconart.h"

#include <QFontInfo>
#include <QLinearGradient>
#include <QPainterPath>
#include <QTextStream>

namespace {

// The font named by Key ("family, pixel size, weight"). A missing family is reported, since
// the banner then changes look, but is not fatal: Qt falls back to a similar one.
QFont FontOf(const TArtworkParams &Params, const QString &Key) {
  const QStringList Parts = Params.Text(Key).split(',');
  QFont Font(Parts.value(0).trimmed());
  Font.setPixelSize(Parts.value(1).trimmed().toInt());
  Font.setWeight(QFont::Weight(Parts.value(2).trimmed().toInt()));
  Font.setHintingPreference(QFont::PreferNoHinting);
  // Families installed from two foundries are listed as "Family [Foundry]".
  if (!QFontInfo(Font).family().startsWith(Font.family()))
    QTextStream(stderr) << "make-artwork: font family \"" << Font.family()
                        << "\" not installed; the banner uses \"" << QFontInfo(Font).family()
                        << "\" instead\n";
  return Font;
}

}  // namespace

QImage PaintBanner(const TArtworkParams &Params) {
  const QSize Size(Params.Integer("banner/width"), Params.Integer("banner/height"));
  const int Scale = Params.Integer("banner/supersample");
  TCanvas Canvas(Size, Scale);
  Canvas.Image().fill(Qt::white);

  const QRectF MarkRect = Params.Rect("banner/mark");
  const QImage Mark = PaintIcon(Params, int(MarkRect.width() * Scale));
  const QFont NameFont = FontOf(Params, "banner/name_font");
  const QFont LineFont = FontOf(Params, "banner/line_font");
  const QString Name = Params.Text("banner/name");
  const QString Line = Params.Text("banner/line");
  const QPointF NameAt = Params.Point("banner/name_at");
  const QPointF LineAt = Params.Point("banner/line_at");

  Canvas.Draw([&](QPainter &P) {
    P.drawImage(MarkRect, Mark);
    // The name as a path, filled with a gentle night-blue gradient.
    QPainterPath Text;
    Text.addText(NameAt, NameFont, Name);
    const QRectF Box = Text.boundingRect();
    QLinearGradient Fill(Box.topLeft(), Box.bottomRight());
    Fill.setColorAt(0, Params.Color("banner/name_top"));
    Fill.setColorAt(1, Params.Color("banner/name_bottom"));
    P.fillPath(Text, Fill);
    // A thin aurora-coloured rule under the name, fading out to the right.
    const QRectF Rule(Box.left() + 1, Params.Number("banner/rule_y"), Box.width() * 1.05, 1.6);
    QLinearGradient RuleFill(Rule.topLeft(), Rule.topRight());
    QColor Accent = Params.Color("banner/accent");
    RuleFill.setColorAt(0, Accent);
    Accent.setAlpha(0);
    RuleFill.setColorAt(1, Accent);
    P.fillRect(Rule, RuleFill);
    P.setFont(LineFont);
    P.setPen(Params.Color("banner/line_color"));
    P.drawText(LineAt, Line);
  });
  return Canvas.Final().convertToFormat(QImage::Format_RGB32);
}
