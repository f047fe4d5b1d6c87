// The watermark's handlers.
#include "watermark/choosers.h"
#include "watermark/watermarkhandlers.h"
#include "watermark/watermarklabel.h"
#include "app/zelvaneform.h"

void TZelvaneForm::WatermarkEditChange(QObject *) {
  ShowWatermarkText(WatermarkEdit->text(), *WatermarkLabel);
}

void TZelvaneForm::WatermarkLabelDblClick(QObject *) { FocusWatermarkEdit(*WatermarkEdit); }

void TZelvaneForm::FontSpeedButtonClick(QObject *) {
  ChooseWatermarkFont(*WatermarkLabel, *FontDialog);
}

void TZelvaneForm::ColorSpeedButtonClick(QObject *) {
  ChooseWatermarkColor(*WatermarkLabel, *ColorDialog);
}
