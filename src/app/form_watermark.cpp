// The watermark's handlers.
#include "watermark/choosers.h"
#include "watermark/watermarkhandlers.h"
#include "watermark/watermarklabel.h"
#include "app/zelvaneform.h"

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
