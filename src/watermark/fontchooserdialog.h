#pragma once

#include "watermark/choosers.h"

#include <QDialog>

class QComboBox;
class QFontDialog;
class QLineEdit;

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
// The sample shows the watermark's text (SetSampleText) in the chosen face and colour.
// SetInitialFont prepares it for one use; Choice reads what the user left in it. A face or a
// size the user did not touch comes back as the record had it, so a face that is not installed
// (shown as its replacement) and a height between two point sizes survive a confirm unchanged.
class TFontChooserDialog : public QDialog {
  Q_OBJECT
public:
  explicit TFontChooserDialog(QWidget *Parent);

  void SetInitialFont(const TFont &Font);
  // Empty: the dialog's own sample text.
  void SetSampleText(const QString &Text);
  TFontChoice Choice() const;

  QFontDialog *FontDialog() const { return FFontDialog; }
  QComboBox *ColorBox() const { return FColorBox; }
  QLineEdit *Sample() const { return FSample; }

private:
  void SelectColor(TColor Plain);
  void ShowSampleText();
  void ShowSampleColor();

  QFontDialog *FFontDialog;
  QComboBox *FColorBox;
  // Qt's sample box inside its dialog, or none should a Qt version lay it out otherwise.
  QLineEdit *FSample = nullptr;
  QString FOwnSampleText;
  QString FSampleText;
  TFont FInitial;
  QString FShownFamily;
  int FShownPointSize = 0;
  bool FColorPicked = false;
};
