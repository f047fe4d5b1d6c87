#pragma once

#include "platform/font.h"

#include <QList>
#include <QSize>
#include <QString>

class QPainter;
class QRect;

// The ampersand rule of the label's text: an ampersand is not shown and underlines the
// character after it; two ampersands show one; an ampersand at the very end is dropped.
//
//   "Sa&ve"  ->  Shown "Save",  Underlined {2}     (the 'v')
//   "R&&D"   ->  Shown "R&D",   Underlined {}
struct TAcceleratedText {
  QString Shown;
  // Positions in Shown of the first UTF-16 unit of each underlined character.
  QList<int> Underlined;
  bool operator==(const TAcceleratedText &) const = default;
};

TAcceleratedText StripAccelerators(const QString &Caption);

// The extent of Caption drawn by the label in Font: one line (line breaks show as spaces),
// tabs expanded to every eighth average character width, the ampersand rule applied, and a
// text that shows nothing measured as one space. The width is the advance of the shown text
// rounded up to whole pixels; the height is the font's ascent plus descent, rounded up.
QSize MeasureLabelText(const QString &Caption, const TFont &Font);

// Draws Caption as the label does: in Font and its colour, one line, right-aligned to Rect's
// right edge and at its top, clipped by Rect, the ampersand rule applied. Only the letters
// (and underlines) are drawn; the background is left as it is.
void DrawLabelText(QPainter &Painter, const QRect &Rect, const QString &Caption, const TFont &Font);
