#include "watermark/labeltext.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace {

// Wider than any text the label could show: the one line never wraps.
constexpr qreal UnboundedLineWidth = 0x01000000;

QString OnOneLine(QString Text) {
  for (QChar &Char : Text)
    if (Char == u'\n' || Char == u'\r' || Char == QChar::LineSeparator ||
        Char == QChar::ParagraphSeparator)
      Char = u' ';
  return Text;
}

// Lays out the shown text on one line at (0, 0); returns the line's advance, trailing spaces
// included, and its height (ascent plus descent).
QSizeF LayOut(QTextLayout &Layout, const TAcceleratedText &Text, const QFont &Font) {
  Layout.setText(OnOneLine(Text.Shown));
  Layout.setFont(Font);
  QTextOption Option;
  Option.setWrapMode(QTextOption::NoWrap);
  Option.setTextDirection(Qt::LeftToRight);
  Option.setAlignment(Qt::AlignLeft);
  Option.setTabStopDistance(8 * QFontMetrics(Font).averageCharWidth());
  Layout.setTextOption(Option);

  QList<QTextLayout::FormatRange> Ranges;
  for (const int Position : Text.Underlined) {
    QTextLayout::FormatRange Range;
    Range.start = Position;
    Range.length = Text.Shown.at(Position).isHighSurrogate() && Position + 1 < Text.Shown.size() &&
                           Text.Shown.at(Position + 1).isLowSurrogate()
                       ? 2
                       : 1;
    Range.format.setFontUnderline(true);
    Ranges.append(Range);
  }
  Layout.setFormats(Ranges);

  Layout.beginLayout();
  QTextLine Line = Layout.createLine();
  Line.setLineWidth(UnboundedLineWidth);
  Line.setPosition(QPointF(0, 0));
  Layout.endLayout();
  return QSizeF(Line.horizontalAdvance(), Line.height());
}

// The label's font as drawn. Its hinting is fixed rather than left to the screen: Qt turns
// hinting off on a high-density screen, which would change the letters' pixels in a wallpaper
// (captured at one pixel per layout unit) with the screen's density. Light (vertical) hinting
// is the desktop's usual default, so nothing changes at 96 pixels per inch.
QFont LabelFont(const TFont &Font) {
  QFont Result = Font.ToQFont();
  Result.setHintingPreference(QFont::PreferVerticalHinting);
  return Result;
}

} // namespace

TAcceleratedText StripAccelerators(const QString &Caption) {
  TAcceleratedText Result;
  Result.Shown.reserve(Caption.size());
  for (qsizetype I = 0; I < Caption.size(); ++I) {
    if (Caption.at(I) != u'&') {
      Result.Shown.append(Caption.at(I));
      continue;
    }
    ++I;
    if (I == Caption.size())
      break;
    if (Caption.at(I) != u'&')
      Result.Underlined.append(static_cast<int>(Result.Shown.size()));
    Result.Shown.append(Caption.at(I));
  }
  return Result;
}

QSize MeasureLabelText(const QString &Caption, const TFont &Font) {
  TAcceleratedText Text = StripAccelerators(Caption);
  if (Text.Shown.isEmpty())
    Text = TAcceleratedText{QStringLiteral(" "), {}};
  const QFont QtFont = LabelFont(Font);
  QTextLayout Layout;
  const QSizeF Extent = LayOut(Layout, Text, QtFont);
  return QSize(static_cast<int>(std::ceil(Extent.width())),
               static_cast<int>(std::ceil(Extent.height())));
}

void DrawLabelText(QPainter &Painter, const QRect &Rect, const QString &Caption,
                   const TFont &Font) {
  const TAcceleratedText Text = StripAccelerators(Caption);
  if (Text.Shown.isEmpty() || Rect.isEmpty())
    return;
  QTextLayout Layout;
  const qreal Advance = LayOut(Layout, Text, LabelFont(Font)).width();
  Painter.save();
  Painter.setClipRect(Rect, Qt::IntersectClip);
  Painter.setPen(ToQColor(Font.Color));
  // Right-aligned: the advance ends at the rectangle's right edge (one past its last pixel).
  Layout.draw(&Painter, QPointF(Rect.left() + Rect.width() - Advance, Rect.top()));
  Painter.restore();
}
