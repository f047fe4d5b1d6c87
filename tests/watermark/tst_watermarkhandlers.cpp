// The watermark's four handlers: trimming and visibility, the double click back to the edit
// box, and the two choosers' confirm and cancel paths through fake choosers.
#include "watermark/choosers.h"
#include "watermark/labeltext.h"
#include "watermark/watermarkhandlers.h"
#include "watermark/watermarklabel.h"

#include <QLineEdit>
#include <QTest>

#include <functional>

namespace {

// Records what it was opened on; confirms or cancels; on confirm lets the test edit the font.
class TFakeFontChooser : public TFontChooser {
public:
  bool Confirm = true;
  std::function<void(TFont &)> Edit;
  int Calls = 0;
  TFont OpenedOn;
  bool Execute(TFont &Font) override {
    ++Calls;
    OpenedOn = Font;
    if (!Confirm) {
      // A chooser that scribbles on the font while cancelling must not reach the label.
      Font.Height = -99;
      return false;
    }
    if (Edit)
      Edit(Font);
    return true;
  }
};

class TFakeColorChooser : public TColorChooser {
public:
  bool Confirm = true;
  TColor Chosen = -1; // -1: confirm whatever it was opened on
  int Calls = 0;
  TColor OpenedOn = 0;
  bool Execute(TColor &Color) override {
    ++Calls;
    OpenedOn = Color;
    if (!Confirm) {
      Color = 0x123456;
      return false;
    }
    if (Chosen != -1)
      Color = Chosen;
    return true;
  }
};

// A label as the window has it: in a 480 x 272 frame, placed at 470, 252 and sized once.
struct TFrame {
  QWidget Panel;
  TWatermarkLabel *Label;
  TFrame() {
    Panel.resize(480, 272);
    Label = new TWatermarkLabel(&Panel);
    Label->SetBounds(470, 252, 3, 13);
    Label->AdjustBounds();
  }
};

QRect TextRect(const QString &Caption, const TFont &Font, int Right, int Top) {
  const QSize Extent = MeasureLabelText(Caption, Font);
  return QRect(Right - Extent.width(), Top, Extent.width(), Extent.height());
}

// Sets the application palette's window-text colour for one test.
class TWindowTextColour {
public:
  explicit TWindowTextColour(const QColor &Colour) : FSaved(QApplication::palette()) {
    QPalette Palette = FSaved;
    Palette.setColor(QPalette::WindowText, Colour);
    QApplication::setPalette(Palette);
  }
  ~TWindowTextColour() { QApplication::setPalette(FSaved); }

private:
  QPalette FSaved;
};

} // namespace

class TWatermarkHandlersTest : public QObject {
  Q_OBJECT
private slots:
  void TrimWatermarkText_data();
  void TrimWatermarkText();
  void EditChangeShowsTrimmedText_data();
  void EditChangeShowsTrimmedText();
  void EqualTrimmedTextDoesNotResetLabel_data();
  void EqualTrimmedTextDoesNotResetLabel();
  void DblClickSelectsAndFocusesEdit_data();
  void DblClickSelectsAndFocusesEdit();
  void FontChooser_data();
  void FontChooser();
  void ApplyFontChoice_data();
  void ApplyFontChoice();
  void ColorChooser_data();
  void ColorChooser();
};

void TWatermarkHandlersTest::TrimWatermarkText_data() {
  QTest::addColumn<QString>("Text");
  QTest::addColumn<QString>("Trimmed");
  QTest::addRow("empty") << ""
                         << "";
  QTest::addRow("spaces only") << "     "
                               << "";
  QTest::addRow("tabs only") << "\t\t"
                             << "";
  QTest::addRow("control characters only") << QString("\x01\x1f\r\n ") << "";
  QTest::addRow("spaces around") << "  abc  "
                                 << "abc";
  QTest::addRow("tabs and line ends around") << "\t abc\r\n"
                                             << "abc";
  QTest::addRow("inner blanks stay") << " a \t b "
                                     << "a \t b";
  QTest::addRow("no-break spaces stay")
      << QString::fromUtf16(u"\u00a0abc\u00a0") << QString::fromUtf16(u"\u00a0abc\u00a0");
  QTest::addRow("ideographic space stays")
      << QString::fromUtf16(u" \u3000x ") << QString::fromUtf16(u"\u3000x");
  QTest::addRow("code 33 stays") << " ! "
                                 << "!";
  QTest::addRow("delete stays") << QString(" \x7f ") << QString("\x7f");
  QTest::addRow("ampersands untouched") << " &a&& "
                                        << "&a&&";
}

void TWatermarkHandlersTest::TrimWatermarkText() {
  QFETCH(QString, Text);
  QFETCH(QString, Trimmed);
  QCOMPARE(::TrimWatermarkText(Text), Trimmed);
}

void TWatermarkHandlersTest::EditChangeShowsTrimmedText_data() {
  QTest::addColumn<QString>("EditText");
  QTest::addColumn<QString>("Caption");
  QTest::addColumn<bool>("Shown");
  QTest::addRow("text") << "Zelvane"
                        << "Zelvane" << true;
  QTest::addRow("spaces around") << "  abc  "
                                 << "abc" << true;
  QTest::addRow("spaces only") << "   "
                               << "" << false;
  QTest::addRow("tabs only") << "\t \t"
                             << "" << false;
  QTest::addRow("empty") << ""
                         << "" << false;
  QTest::addRow("lone ampersand") << "&"
                                  << "&" << true;
}

void TWatermarkHandlersTest::EditChangeShowsTrimmedText() {
  QFETCH(QString, EditText);
  QFETCH(QString, Caption);
  QFETCH(bool, Shown);
  TFrame Frame;
  TWatermarkLabel &Label = *Frame.Label;
  // From a shown label with other text, and from the hidden start.
  for (const QString &Before : {QStringLiteral("previous"), QString()}) {
    ShowWatermarkText(Before, Label);
    ShowWatermarkText(EditText, Label);
    QCOMPARE(Label.Caption(), Caption);
    QCOMPARE(Label.Visible(), Shown);
    QCOMPARE(Label.BoundsRect(), TextRect(Caption, Label.Font(), 473, 252));
  }
}

void TWatermarkHandlersTest::EqualTrimmedTextDoesNotResetLabel_data() {
  QTest::addColumn<QString>("EditText");
  QTest::addColumn<bool>("Kept");
  QTest::addRow("trailing space added") << "abc " << true;
  QTest::addRow("leading space added") << " abc" << true;
  QTest::addRow("tab added") << "abc\t" << true;
  QTest::addRow("same text") << "abc" << true;
  QTest::addRow("letter added") << "abcd" << false;
  QTest::addRow("case changed") << "abC" << false;
  QTest::addRow("no-break space added") << QString::fromUtf16(u"abc\u00a0") << false;
}

void TWatermarkHandlersTest::EqualTrimmedTextDoesNotResetLabel() {
  QFETCH(QString, EditText);
  QFETCH(bool, Kept);
  TFrame Frame;
  TWatermarkLabel &Label = *Frame.Label;
  ShowWatermarkText(QStringLiteral("abc"), Label);
  // The user resized and moved it with the mover.
  const QRect Given(40, 30, 150, 45);
  Label.SetBounds(Given.x(), Given.y(), Given.width(), Given.height());
  ShowWatermarkText(EditText, Label);
  QVERIFY(Label.Visible());
  if (Kept) {
    QCOMPARE(Label.Caption(), QStringLiteral("abc"));
    QCOMPARE(Label.BoundsRect(), Given);
  } else {
    QCOMPARE(Label.Caption(), ::TrimWatermarkText(EditText));
    QCOMPARE(Label.BoundsRect(), TextRect(Label.Caption(), Label.Font(), Given.right() + 1, 30));
  }
}

void TWatermarkHandlersTest::DblClickSelectsAndFocusesEdit_data() {
  QTest::addColumn<bool>("EditVisible");
  QTest::addColumn<bool>("EditEnabled");
  QTest::addColumn<bool>("Focused");
  QTest::addRow("visible and enabled") << true << true << true;
  QTest::addRow("hidden") << false << true << false;
  QTest::addRow("disabled") << true << false << false;
}

void TWatermarkHandlersTest::DblClickSelectsAndFocusesEdit() {
  QFETCH(bool, EditVisible);
  QFETCH(bool, EditEnabled);
  QFETCH(bool, Focused);
  QWidget Window;
  auto *Other = new QLineEdit(&Window);
  Other->setGeometry(0, 0, 100, 21);
  auto *Edit = new QLineEdit(&Window);
  Edit->setGeometry(0, 30, 100, 21);
  Edit->setText(QStringLiteral("  my watermark "));
  Edit->setCursorPosition(3);
  Window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&Window));
  Other->setFocus();
  Edit->setVisible(EditVisible);
  Edit->setEnabled(EditEnabled);
  QCOMPARE(Window.focusWidget(), Other);

  FocusWatermarkEdit(*Edit);
  QCOMPARE(Edit->selectedText(), QStringLiteral("  my watermark "));
  QCOMPARE(Edit->text(), QStringLiteral("  my watermark "));
  QCOMPARE(Window.focusWidget(), Focused ? static_cast<QWidget *>(Edit) : Other);
}

enum class TFontEdit { None, Height, Face, Style, Colour, Everything };

void TWatermarkHandlersTest::FontChooser_data() {
  QTest::addColumn<bool>("Confirm");
  QTest::addColumn<TFontEdit>("Edit");
  QTest::addRow("cancel") << false << TFontEdit::None;
  QTest::addRow("confirm unchanged") << true << TFontEdit::None;
  QTest::addRow("confirm larger") << true << TFontEdit::Height;
  QTest::addRow("confirm other face") << true << TFontEdit::Face;
  QTest::addRow("confirm bold underline") << true << TFontEdit::Style;
  QTest::addRow("confirm colour") << true << TFontEdit::Colour;
  QTest::addRow("confirm everything") << true << TFontEdit::Everything;
}

void TWatermarkHandlersTest::FontChooser() {
  QFETCH(bool, Confirm);
  QFETCH(TFontEdit, Edit);
  TFrame Frame;
  TWatermarkLabel &Label = *Frame.Label;
  ShowWatermarkText(QStringLiteral("Watermark"), Label);
  TFont Start;
  Start.Height = -13;
  Start.Color = 0x00AA00;
  Start.Style = fsItalic;
  Start.Charset = 0;
  Start.Pitch = fpVariable;
  Label.SetFont(Start);
  // A size left by the mover: any real change of font takes it back.
  const QRect Given(300, 200, 120, 40);
  Label.SetBounds(Given.x(), Given.y(), Given.width(), Given.height());

  TFont Wanted = Start;
  switch (Edit) {
  case TFontEdit::None:
    break;
  case TFontEdit::Height:
    Wanted.Height = -32;
    break;
  case TFontEdit::Face:
    Wanted.Name = QStringLiteral("Some Other Face");
    break;
  case TFontEdit::Style:
    Wanted.Style = fsBold | fsUnderline;
    break;
  case TFontEdit::Colour:
    Wanted.Color = 0x0000FF;
    break;
  case TFontEdit::Everything:
    Wanted = TFont{QStringLiteral("Another"), -27, 0xFF0000, fsStrikeOut, 2, fpFixed};
    break;
  }
  TFakeFontChooser Chooser;
  Chooser.Confirm = Confirm;
  Chooser.Edit = [&](TFont &Font) { Font = Wanted; };

  ChooseWatermarkFont(Label, Chooser);
  QCOMPARE(Chooser.Calls, 1);
  QCOMPARE(Chooser.OpenedOn, Start); // the whole font, every field
  const TFont Expected = Confirm ? Wanted : Start;
  QCOMPARE(Label.Font(), Expected);
  if (Expected == Start)
    QCOMPARE(Label.BoundsRect(), Given);
  else
    QCOMPARE(Label.BoundsRect(), TextRect(QStringLiteral("Watermark"), Expected, 420, 200));
}

void TWatermarkHandlersTest::ApplyFontChoice_data() {
  QTest::addColumn<bool>("CharsetChanged");
  QTest::addColumn<bool>("ColorPicked");
  QTest::addRow("face, height and style only") << false << false;
  QTest::addRow("with character set") << true << false;
  QTest::addRow("with colour") << false << true;
  QTest::addRow("with both") << true << true;
}

void TWatermarkHandlersTest::ApplyFontChoice() {
  QFETCH(bool, CharsetChanged);
  QFETCH(bool, ColorPicked);
  const TFont Before{QStringLiteral("Before"), -11, clWindowText, fsItalic, 1, fpFixed};
  TFontChoice Choice;
  Choice.Name = QStringLiteral("After");
  Choice.Height = -20;
  Choice.Style = fsBold | fsStrikeOut;
  Choice.CharsetChanged = CharsetChanged;
  Choice.Charset = 238;
  Choice.ColorPicked = ColorPicked;
  Choice.Color = 0x0080FF;
  TFont Font = Before;
  ::ApplyFontChoice(Font, Choice);
  QCOMPARE(Font.Name, QStringLiteral("After"));
  QCOMPARE(Font.Height, -20);
  QCOMPARE(Font.Style, TFontStyles(fsBold | fsStrikeOut));
  QCOMPARE(Font.Charset, CharsetChanged ? 238 : 1);
  QCOMPARE(Font.Color, ColorPicked ? TColor(0x0080FF) : clWindowText);
  QCOMPARE(Font.Pitch, int(fpFixed));
}

void TWatermarkHandlersTest::ColorChooser_data() {
  QTest::addColumn<TColor>("Start");
  QTest::addColumn<bool>("Resized"); // the mover gave the label a size
  QTest::addColumn<bool>("Confirm");
  QTest::addColumn<TColor>("Chosen"); // -1: the value it opened on
  QTest::addColumn<TColor>("OpensOn");
  QTest::addColumn<TColor>("Result");
  QTest::addColumn<bool>("Remeasured");
  // The window-text colour is set to 0x00563412 (r 0x12, g 0x34, b 0x56) for these cases.
  QTest::addRow("system colour, confirmed unchanged")
      << clWindowText << true << true << TColor(-1) << TColor(0x563412) << TColor(0x563412) << true;
  QTest::addRow("system colour, cancelled")
      << clWindowText << true << false << TColor(-1) << TColor(0x563412) << clWindowText << false;
  QTest::addRow("system colour, new colour") << clWindowText << false << true << TColor(0x0000FF)
                                             << TColor(0x563412) << TColor(0x0000FF) << true;
  QTest::addRow("plain, new colour, sized to text")
      << TColor(0x00FF00) << false << true << TColor(0xFF0000) << TColor(0x00FF00)
      << TColor(0xFF0000) << true;
  QTest::addRow("plain, new colour, resized")
      << TColor(0x00FF00) << true << true << TColor(0xFF0000) << TColor(0x00FF00)
      << TColor(0xFF0000) << true;
  QTest::addRow("plain, same colour, resized") << TColor(0x00FF00) << true << true << TColor(-1)
                                               << TColor(0x00FF00) << TColor(0x00FF00) << false;
  QTest::addRow("plain, cancelled") << TColor(0x00FF00) << true << false << TColor(-1)
                                    << TColor(0x00FF00) << TColor(0x00FF00) << false;
}

void TWatermarkHandlersTest::ColorChooser() {
  QFETCH(TColor, Start);
  QFETCH(bool, Resized);
  QFETCH(bool, Confirm);
  QFETCH(TColor, Chosen);
  QFETCH(TColor, OpensOn);
  QFETCH(TColor, Result);
  QFETCH(bool, Remeasured);
  TWindowTextColour WindowText(QColor(0x12, 0x34, 0x56));
  TFrame Frame;
  TWatermarkLabel &Label = *Frame.Label;
  ShowWatermarkText(QStringLiteral("Colour"), Label);
  TFont Font = Label.Font();
  Font.Color = Start;
  Label.SetFont(Font);
  QRect Before = Label.BoundsRect();
  if (Resized) {
    Before = QRect(200, 100, 90, 50);
    Label.SetBounds(Before.x(), Before.y(), Before.width(), Before.height());
  }

  TFakeColorChooser Chooser;
  Chooser.Confirm = Confirm;
  Chooser.Chosen = Chosen;
  ChooseWatermarkColor(Label, Chooser);
  QCOMPARE(Chooser.Calls, 1);
  QCOMPARE(Chooser.OpenedOn, OpensOn);
  QCOMPARE(Label.Font().Color, Result);
  // Only the colour changed.
  TFont Others = Label.Font();
  Others.Color = Start;
  QCOMPARE(Others, Font);
  if (Remeasured)
    QCOMPARE(Label.BoundsRect(),
             TextRect(QStringLiteral("Colour"), Label.Font(), Before.right() + 1, Before.top()));
  else
    QCOMPARE(Label.BoundsRect(), Before);
  if (!Resized)
    QCOMPARE(Label.BoundsRect().size(), Before.size()); // a new colour does not change the extent
}

QTEST_MAIN(TWatermarkHandlersTest)
#include "tst_watermarkhandlers.moc"
