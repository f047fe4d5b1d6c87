#pragma once

#include <QString>

class QLineEdit;
class TWatermarkLabel;
class TFontChooser;
class TColorChooser;

// What the watermark's four handlers do, as plain functions the main window's handlers call.

// The text with every character of code 32 or below (space and control characters) removed
// from both ends; everything else, other white space included, stays.
QString TrimWatermarkText(const QString &Text);

// The edit box's text changed: the label gets the trimmed text (only when it differs, so an
// equal text neither resizes nor repaints it) and is shown exactly when that text is not empty.
void ShowWatermarkText(const QString &EditText, TWatermarkLabel &Label);

// The label was double-clicked: selects all of the edit box's text and, when the edit box can
// take the focus, gives it the focus.
void FocusWatermarkEdit(QLineEdit &Edit);

// Runs the font chooser on the label's whole font, its sample showing the label's text; a
// confirmed choice becomes the label's font.
void ChooseWatermarkFont(TWatermarkLabel &Label, TFontChooser &Chooser);

// Runs the colour chooser on the label's colour as a plain value; a confirmed choice becomes
// the label's font colour.
void ChooseWatermarkColor(TWatermarkLabel &Label, TColorChooser &Chooser);
