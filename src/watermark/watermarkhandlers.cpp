#include "watermark/watermarkhandlers.h"

#include "watermark/choosers.h"
#include "watermark/labeltext.h"
#include "watermark/watermarklabel.h"

#include <QLineEdit>

namespace {

bool IsBlank(QChar Char) { return Char.unicode() <= 32; }

} // namespace

QString TrimWatermarkText(const QString &Text) {
  qsizetype First = 0;
  qsizetype Last = Text.size();
  while (First < Last && IsBlank(Text.at(First)))
    ++First;
  while (Last > First && IsBlank(Text.at(Last - 1)))
    --Last;
  return Text.mid(First, Last - First);
}

void ShowWatermarkText(const QString &EditText, TWatermarkLabel &Label) {
  const QString Trimmed = TrimWatermarkText(EditText);
  if (Label.Caption() != Trimmed)
    Label.SetCaption(Trimmed);
  Label.SetVisible(!Trimmed.isEmpty());
}

void FocusWatermarkEdit(QLineEdit &Edit) {
  Edit.selectAll();
  if (Edit.isVisible() && Edit.isEnabled())
    Edit.setFocus(Qt::OtherFocusReason);
}

void ChooseWatermarkFont(TWatermarkLabel &Label, TFontChooser &Chooser) {
  TFont Font = Label.Font();
  Chooser.SampleText = StripAccelerators(Label.Caption()).Shown;
  if (Chooser.Execute(Font))
    Label.SetFont(Font);
}

void ChooseWatermarkColor(TWatermarkLabel &Label, TColorChooser &Chooser) {
  TColor Color = ColorToRGB(Label.Font().Color);
  if (Chooser.Execute(Color))
    Label.SetFontColor(Color);
}
