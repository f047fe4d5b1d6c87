// The watermark's handlers.
#include "choosers.h"
#include "watermarkhandlers.h"
#include "watermarklabel.h"
#include "zelvaneform.h"

void TZelvaneForm::WatermarkEditChange(QObject *) {
  ::WatermarkEditChange(WatermarkEdit->text(), *WatermarkLabel);
}

void TZelvaneForm::WatermarkLabelDblClick(QObject *) { ::WatermarkLabelDblClick(*WatermarkEdit); }

void TZelvaneForm::FontSpeedButtonClick(QObject *) {
  ::FontSpeedButtonClick(*WatermarkLabel, *FontDialog);
}

void TZelvaneForm::ColorSpeedButtonClick(QObject *) {
  ::ColorSpeedButtonClick(*WatermarkLabel, *ColorDialog);
}
