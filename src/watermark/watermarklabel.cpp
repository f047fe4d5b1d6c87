#include "watermark/watermarklabel.h"

#include "watermark/labeltext.h"

#include <QPainter>

TWatermarkLabel::TWatermarkLabel(QWidget *Parent) : TGraphicControl(Parent) {
  SetVisible(false);
  AdjustBounds();
}

void TWatermarkLabel::SetCaption(const QString &Value) {
  if (Value == FCaption)
    return;
  FCaption = Value;
  AdjustBounds();
  update();
}

void TWatermarkLabel::SetFont(const TFont &Value) {
  if (Value == FFont)
    return;
  FFont = Value;
  AdjustBounds();
  update();
}

void TWatermarkLabel::SetFontColor(TColor Value) {
  TFont Changed = FFont;
  Changed.Color = Value;
  SetFont(Changed);
}

void TWatermarkLabel::AdjustBounds() {
  const QSize Extent = MeasureLabelText(FCaption, FFont);
  SetBounds(Left() + Width() - Extent.width(), Top(), Extent.width(), Extent.height());
}

void TWatermarkLabel::PlaceAtStart() {
  SetBounds(470, 252, 3, 13);
  AdjustBounds();
}

void TWatermarkLabel::paintEvent(QPaintEvent *) {
  if (!Visible())
    return;
  QPainter Painter(this);
  DrawLabelText(Painter, ClientRectInWidget(), FCaption, FFont);
}
