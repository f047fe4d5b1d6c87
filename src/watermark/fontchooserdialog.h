#pragma once

#include "watermark/choosers.h"

#include <QDialog>

class QComboBox;
class QFontDialog;

// The font chooser's dialog: Qt's font dialog (face, style, size, underline, strike-out and
// writing system) embedded as a widget, a colour box of the 16 basic colours below it, and
// OK / Cancel.
//
//   +---------------------------------+
//   | QFontDialog (no buttons)        |
//   +---------------------------------+
//   | Colour: [ combo ]   [OK][Cancel]|
//   +---------------------------------+
//
// SetInitialFont prepares it for one use; Choice reads what the user left in it. A face or a
// size the user did not touch comes back as the record had it, so a face that is not installed
// (shown as its replacement) and a height between two point sizes survive a confirm unchanged.
class TFontChooserDialog : public QDialog {
  Q_OBJECT
public:
  explicit TFontChooserDialog(QWidget *Parent);

  void SetInitialFont(const TFont &Font);
  TFontChoice Choice() const;

  QFontDialog *FontDialog() const { return FFontDialog; }
  QComboBox *ColorBox() const { return FColorBox; }

private:
  void SelectColor(TColor Plain);

  QFontDialog *FFontDialog;
  QComboBox *FColorBox;
  TFont FInitial;
  QString FShownFamily;
  int FShownPointSize = 0;
  bool FColorPicked = false;
};
