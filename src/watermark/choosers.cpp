#include "watermark/choosers.h"

#include "watermark/fontchooserdialog.h"

#include <QColorDialog>

void ApplyFontChoice(TFont &Font, const TFontChoice &Choice) {
  Font.Name = Choice.Name;
  Font.Height = Choice.Height;
  Font.Style = Choice.Style;
  if (Choice.CharsetChanged)
    Font.Charset = Choice.Charset;
  if (Choice.ColorPicked)
    Font.Color = Choice.Color;
}

TQtFontChooser::TQtFontChooser(QWidget *Parent) : FParent(Parent), FHasParent(Parent != nullptr) {}

TQtFontChooser::~TQtFontChooser() { delete FDialog.data(); }

bool TQtFontChooser::Execute(TFont &Font) {
  // Made once, at the first use: a child of the parent given, or none once that parent is
  // gone (as if it had been made at once and gone with its parent).
  if (!FMade) {
    FMade = true;
    if (FParent || !FHasParent)
      FDialog = new TFontChooserDialog(FParent);
  }
  if (!FDialog)
    return false;
  FDialog->SetInitialFont(Font);
  FDialog->SetSampleText(SampleText);
  if (FDialog->exec() != QDialog::Accepted)
    return false;
  ApplyFontChoice(Font, FDialog->Choice());
  return true;
}

TQtColorChooser::TQtColorChooser(QWidget *Parent) : FParent(Parent) {
  FCustomColors.fill(QColor(Qt::white));
}

bool TQtColorChooser::Execute(TColor &Color) {
  // Qt's own dialog, as only it offers the custom colours handed in here. They are taken over
  // only when the user confirms.
  QColorDialog Dialog(ToQColor(Color), FParent.data());
  Dialog.setOptions(QColorDialog::DontUseNativeDialog);
  for (int I = 0; I < CustomColorCount; ++I)
    QColorDialog::setCustomColor(I, FCustomColors[I]);
  if (Dialog.exec() != QDialog::Accepted)
    return false;
  for (int I = 0; I < CustomColorCount; ++I)
    FCustomColors[I] = QColorDialog::customColor(I);
  Color = FromQColor(Dialog.selectedColor());
  return true;
}

std::unique_ptr<TFontChooser> CreateFontChooser(QWidget *Parent) {
  return std::make_unique<TQtFontChooser>(Parent);
}

std::unique_ptr<TColorChooser> CreateColorChooser(QWidget *Parent) {
  return std::make_unique<TQtColorChooser>(Parent);
}
