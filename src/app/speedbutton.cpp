#include "app/speedbutton.h"
#include "app/resourceimage.h"

#include <QPainter>
#include <QStyleOptionButton>

QImage GlyphWithTransparency(const QImage &Bitmap) {
  if (Bitmap.isNull())
    return Bitmap;
  QImage Glyph = Bitmap.convertToFormat(QImage::Format_ARGB32);
  const QRgb Key = Glyph.pixel(0, Glyph.height() - 1);
  for (int Y = 0; Y < Glyph.height(); ++Y) {
    auto *Row = reinterpret_cast<QRgb *>(Glyph.scanLine(Y));
    for (int X = 0; X < Glyph.width(); ++X)
      if (Row[X] == Key)
        Row[X] = 0;
  }
  return Glyph;
}

TSpeedButton::TSpeedButton(QWidget *Parent, const QString &Caption, const QString &GlyphResource)
    : QAbstractButton(Parent) {
  setText(Caption);
  setFocusPolicy(Qt::NoFocus);
  FGlyph = QPixmap::fromImage(GlyphWithTransparency(ResourceImage(GlyphResource, "bmp")));
  connect(this, &QAbstractButton::clicked, this, [this] { CallNotify(OnClick, this); });
}

QChar TSpeedButton::Accelerator() const {
  const QString Caption = text();
  for (int I = 0; I + 1 < Caption.size(); ++I) {
    if (Caption[I] != u'&')
      continue;
    if (Caption[I + 1] != u'&')
      return Caption[I + 1].toLower();
    ++I;
  }
  return QChar();
}

void TSpeedButton::paintEvent(QPaintEvent *) {
  QPainter Painter(this);
  QStyleOptionButton Option;
  Option.initFrom(this);
  Option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
  style()->drawControl(QStyle::CE_PushButtonBevel, &Option, &Painter, this);

  // Glyph and caption are centred together, 4 pixels apart:  [glyph]  Caption
  const QString Caption = text();
  const int Spacing = Caption.isEmpty() || FGlyph.isNull() ? 0 : 4;
  const int TextWidth =
      Caption.isEmpty() ? 0 : fontMetrics().horizontalAdvance(QString(Caption).remove(u'&'));
  const int GlyphWidth = FGlyph.isNull() ? 0 : FGlyph.width();
  const int Shift = isDown() ? 1 : 0;
  int X = (width() - GlyphWidth - Spacing - TextWidth) / 2 + Shift;
  if (!FGlyph.isNull()) {
    Painter.drawPixmap(X, (height() - FGlyph.height()) / 2 + Shift, FGlyph);
    X += GlyphWidth + Spacing;
  }
  if (!Caption.isEmpty()) {
    Painter.setPen(palette().color(isEnabled() ? QPalette::ButtonText : QPalette::PlaceholderText));
    Painter.drawText(QRect(X, Shift, TextWidth + 2, height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, Caption);
  }
}
