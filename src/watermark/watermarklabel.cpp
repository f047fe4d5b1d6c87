#include "watermark/watermarklabel.h"

#include "watermark/labeltext.h"

#include <QPainter>

namespace {

// Where a new label starts in the frame: right edge at x = 473, top at 252. The width and
// height are those of an empty caption before it is measured.
constexpr int StartRight = 473;
constexpr int StartTop = 252;
constexpr int StartWidth = 3;
constexpr int StartHeight = 13;

} // namespace

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
  SetBounds(StartRight - StartWidth, StartTop, StartWidth, StartHeight);
  AdjustBounds();
}

void TWatermarkLabel::paintEvent(QPaintEvent *) {
  if (!Visible())
    return;
  QPainter Painter(this);
  DrawLabelText(Painter, ClientRectInWidget(), FCaption, FFont);
}
