#pragma once

#include "platform/font.h"
#include "platform/graphiccontrol.h"

// The watermark label: a windowless control showing one line of text over the picture.
//
// Sizing: whenever its caption or any part of its font (colour included) changes, the label
// measures its caption (MeasureLabelText) and takes that extent as its size, keeping its top
// and its right edge:
//
//        old  |<--- old width --->|
//   new  |<------ new width ------>|      new left = old left + old width - new width
//
// A size given from outside through SetBounds (the mover's resize) is kept until the next such
// change. Drawing: right-aligned at the top of the rectangle, clipped by it, letters only.
// The label starts hidden, with an empty caption and the default font record ("Tahoma",
// 8 points), sized to one space at 0, 0. Its owner places it with PlaceAtStart.
class TWatermarkLabel : public TGraphicControl {
  Q_OBJECT
public:
  explicit TWatermarkLabel(QWidget *Parent);

  const QString &Caption() const { return FCaption; }
  // Sets the caption when it differs (exact comparison); an equal caption changes nothing.
  void SetCaption(const QString &Value);

  const TFont &Font() const { return FFont; }
  // Takes a copy of Value when it differs from the current font in any field.
  void SetFont(const TFont &Value);
  void SetFontColor(TColor Value);

  // Sizes the label to its caption by the rule above.
  void AdjustBounds();

  // The start place in the wallpaper frame: laid out as one space in the start font at
  // (470, 252, 3 x 13), then sized by the rule above, so its right edge lies at x = 473 and
  // its top at 252. Where "Tahoma" draws as on the desktop it was made for, one space is
  // 3 x 13 and nothing moves; with a stand-in face the extent may differ by a pixel or so
  // (4 x 13 with DejaVu Sans), and the left edge moves so that the right one stays.
  void PlaceAtStart();

protected:
  void paintEvent(QPaintEvent *Event) override;

private:
  QString FCaption;
  TFont FFont;
};
