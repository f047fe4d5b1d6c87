#pragma once

#include "platform/graphiccontrol.h"

#include <QAbstractButton>
#include <QPixmap>

// A glyph button: takes no keyboard focus, draws its glyph left of its caption (centred when
// there is no caption), the colour of the glyph's lower-left pixel drawn as transparent.
// An ampersand in the caption marks the accelerator letter (Alt+letter presses it).
class TSpeedButton : public QAbstractButton {
  Q_OBJECT
public:
  TSpeedButton(QWidget *Parent, const QString &Caption, const QString &GlyphResource);

  // The glyph as drawn, its transparent colour removed.
  const QPixmap &Glyph() const { return FGlyph; }
  // The accelerator letter, lower case, or a null character.
  QChar Accelerator() const;
  TNotifyEvent OnClick;

  QSize sizeHint() const override { return size(); }

protected:
  void paintEvent(QPaintEvent *Event) override;

private:
  QPixmap FGlyph;
};

// Makes a glyph: the colour of its lower-left pixel becomes transparent.
QImage GlyphWithTransparency(const QImage &Bitmap);
