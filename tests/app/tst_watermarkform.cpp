// The watermark through the window: typing into the edit box, the label's double click back
// to it, the font and colour buttons, and dragging the label with the mouse.
#include "app/application.h"
#include "formtesting.h"
#include "picture/image.h"
#include "watermark/labeltext.h"
#include "watermark/watermarklabel.h"

#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QRgb Grey = qRgb(128, 128, 128);

// Where the label stands for Caption in Font, its right edge at Right and its top at Top.
QRect LabelRect(const QString &Caption, const TFont &Font, int Right = 473, int Top = 252) {
  const QSize Extent = MeasureLabelText(Caption, Font);
  return QRect(Right - Extent.width(), Top, Extent.width(), Extent.height());
}

// Pixels of two renderings of the frame that differ, and how many of them lie outside Area.
QPair<int, int> Differences(const QImage &A, const QImage &B, const QRect &Area) {
  int Inside = 0, Outside = 0;
  for (int Y = 0; Y < A.height(); ++Y)
    for (int X = 0; X < A.width(); ++X)
      if (A.pixel(X, Y) != B.pixel(X, Y))
        ++(Area.contains(X, Y) ? Inside : Outside);
  return {Inside, Outside};
}

} // namespace

class TWatermarkFormTest : public QObject, protected TWindowTestSeams {
  Q_OBJECT
private slots:
  void initTestCase();
  void init();
  void cleanup();
  void TypingShowsTrimmedText_data();
  void TypingShowsTrimmedText();
  void TrailingSpaceLeavesLabel();
  void DoubleClickGoesBackToEditBox();
  void FontButton();
  void ColourButton();
  void LabelIsDragged();
  void HiddenLabelIsNotDragged();
};

void TWatermarkFormTest::initTestCase() {
  QVERIFY(InstallSeams());
  // A plain grey picture, so that whatever the label draws stands out.
  QImage Plain(480, 272, QImage::Format_RGB32);
  Plain.fill(Grey);
  QVERIFY(QImageWriter(FDir.filePath("grey.png"), "png").write(Plain));
}

void TWatermarkFormTest::init() {
  ResetSeams();
  QVERIFY(ShowAnsweredForm());
  FOpen->Answer = FDir.filePath("grey.png");
  QTest::mouseClick(FForm->OpenSpeedButton, Qt::LeftButton);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 480, 272));
}

void TWatermarkFormTest::cleanup() {
  FForm.reset();
  QVERIFY2(FMessages.Shown.isEmpty(), qPrintable(FMessages.Shown.join('\n')));
}

void TWatermarkFormTest::TypingShowsTrimmedText_data() {
  QTest::addColumn<QString>("Typed");
  QTest::addColumn<QString>("Shown");
  QTest::addRow("plain") << "abc" << "abc";
  QTest::addRow("spaces around") << "  abc  " << "abc";
  QTest::addRow("space inside") << "my wall" << "my wall";
  QTest::addRow("only spaces") << "    " << "";
  QTest::addRow("ampersand") << "R&D" << "R&D";
}

void TWatermarkFormTest::TypingShowsTrimmedText() {
  QFETCH(QString, Typed);
  QFETCH(QString, Shown);
  const QImage Before = RenderFrame(*FForm->Panel);
  QTest::keyClicks(FForm->WatermarkEdit, Typed);
  QCOMPARE(FForm->WatermarkEdit->text(), Typed);
  QCOMPARE(FForm->WatermarkLabel->Caption(), Shown);
  QCOMPARE(FForm->WatermarkLabel->Visible(), !Shown.isEmpty());
  // Sized to the text, its right edge and top where they were.
  const QRect Expected = LabelRect(Shown, TFont());
  QCOMPARE(FForm->WatermarkLabel->BoundsRect(), Expected);

  const QPair<int, int> Changed = Differences(Before, RenderFrame(*FForm->Panel), Expected);
  QCOMPARE(Changed.second, 0);
  if (Shown.isEmpty())
    QCOMPARE(Changed.first, 0);
  else
    QVERIFY(Changed.first > 0);
}

void TWatermarkFormTest::TrailingSpaceLeavesLabel() {
  QTest::keyClicks(FForm->WatermarkEdit, QStringLiteral("abc"));
  const QRect Typed = FForm->WatermarkLabel->BoundsRect();
  // Resized by a Shift-drag to 60 x 30: a text that comes out equal must not size it back.
  TFormMouse Mouse(*FForm, FCursor);
  Mouse.Press(FForm->Panel, Typed.center());
  Mouse.Move(FForm->Panel, Typed.topLeft() + QPoint(60, 30), Qt::ShiftModifier);
  Mouse.Release(FForm->Panel, Typed.topLeft() + QPoint(60, 30));
  const QRect Resized(Typed.topLeft(), QSize(60, 30));
  QCOMPARE(FForm->WatermarkLabel->BoundsRect(), Resized);

  QTest::keyClick(FForm->WatermarkEdit, Qt::Key_Space);
  QCOMPARE(FForm->WatermarkEdit->text(), QStringLiteral("abc "));
  QCOMPARE(FForm->WatermarkLabel->Caption(), QStringLiteral("abc"));
  QCOMPARE(FForm->WatermarkLabel->BoundsRect(), Resized);
  QTest::keyClick(FForm->WatermarkEdit, Qt::Key_Backspace);
  QCOMPARE(FForm->WatermarkLabel->BoundsRect(), Resized);

  // A text that differs snaps it back to its extent, the right edge where the resize left it.
  QTest::keyClick(FForm->WatermarkEdit, Qt::Key_Backspace);
  QCOMPARE(FForm->WatermarkLabel->Caption(), QStringLiteral("ab"));
  QCOMPARE(FForm->WatermarkLabel->BoundsRect(),
           LabelRect(QStringLiteral("ab"), TFont(), Resized.right() + 1, Resized.top()));
}

void TWatermarkFormTest::DoubleClickGoesBackToEditBox() {
  QApplication::setActiveWindow(FForm.get());
  QVERIFY(QTest::qWaitForWindowActive(FForm.get()));
  QTest::keyClicks(FForm->WatermarkEdit, QStringLiteral("Hello there"));
  FForm->WatermarkEdit->deselect();
  FForm->ZoomTrackBar->setFocus();
  QCOMPARE(QApplication::focusWidget(), FForm->ZoomTrackBar);

  const QRect Label = FForm->WatermarkLabel->BoundsRect();
  TFormMouse Mouse(*FForm, FCursor);
  Mouse.DoubleClick(FForm->Panel, Label.center());
  QCOMPARE(QApplication::focusWidget(), FForm->WatermarkEdit);
  QCOMPARE(FForm->WatermarkEdit->selectedText(), QStringLiteral("Hello there"));
  // The presses went to the mover too: the nodes stand around the label, which stayed put.
  QCOMPARE(FForm->WatermarkLabel->BoundsRect(), Label);
  QVERIFY(NodesAround(*FForm, Label));
  // Typing now replaces the whole text.
  QTest::keyClicks(FForm->WatermarkEdit, QStringLiteral("New"));
  QCOMPARE(FForm->WatermarkLabel->Caption(), QStringLiteral("New"));
}

void TWatermarkFormTest::FontButton() {
  QTest::keyClicks(FForm->WatermarkEdit, QStringLiteral("Mark"));
  const QRect Before = FForm->WatermarkLabel->BoundsRect();

  FFonts->Confirm = false;
  FFonts->Choice.Name = QStringLiteral("Nothing");
  QTest::mouseClick(FForm->FontSpeedButton, Qt::LeftButton);
  QCOMPARE(FFonts->OpenedOn.size(), 1);
  QCOMPARE(FFonts->OpenedOn[0], TFont());
  QCOMPARE(FForm->WatermarkLabel->Font(), TFont());
  QCOMPARE(FForm->WatermarkLabel->BoundsRect(), Before);

  TFont Chosen;
  Chosen.Name = QStringLiteral("DejaVu Serif");
  Chosen.Height = -24;
  Chosen.Style = fsBold | fsItalic;
  Chosen.Color = 0x00FF00;
  FFonts->Confirm = true;
  FFonts->Choice = Chosen;
  QTest::mouseClick(FForm->FontSpeedButton, Qt::LeftButton);
  QCOMPARE(FForm->WatermarkLabel->Font(), Chosen);
  // Grown to the left and downwards: right edge and top kept.
  const QRect After = FForm->WatermarkLabel->BoundsRect();
  QCOMPARE(After, LabelRect(QStringLiteral("Mark"), Chosen));
  QVERIFY(After.height() > Before.height());

  // The next run opens on the label's font as it is now.
  QTest::mouseClick(FForm->FontSpeedButton, Qt::LeftButton);
  QCOMPARE(FFonts->OpenedOn.size(), 3);
  QCOMPARE(FFonts->OpenedOn[2], Chosen);
}

void TWatermarkFormTest::ColourButton() {
  QTest::keyClicks(FForm->WatermarkEdit, QStringLiteral("Red text"));
  const QRect Label = FForm->WatermarkLabel->BoundsRect();

  FColors->Confirm = false;
  FColors->Choice = 0x00FF00;
  QTest::mouseClick(FForm->ColorSpeedButton, Qt::LeftButton);
  // Opened on the plain value of the start colour, the system's window-text colour.
  QCOMPARE(FColors->OpenedOn, QList<TColor>{ColorToRGB(clWindowText)});
  QVERIFY(ColorToRGB(clWindowText) >= 0);
  QCOMPARE(FForm->WatermarkLabel->Font().Color, clWindowText);

  FColors->Confirm = true;
  FColors->Choice = 0x0000FF;
  QTest::mouseClick(FForm->ColorSpeedButton, Qt::LeftButton);
  QCOMPARE(FForm->WatermarkLabel->Font().Color, TColor(0x0000FF));
  QCOMPARE(FForm->WatermarkLabel->BoundsRect(), Label);
  QCOMPARE(FColors->OpenedOn.size(), 2);

  // Red letters inside the label, the grey picture untouched everywhere else.
  const QImage Shown = RenderFrame(*FForm->Panel);
  int Red = 0;
  for (int Y = 0; Y < 272; ++Y)
    for (int X = 0; X < 480; ++X) {
      const QRgb P = Shown.pixel(X, Y);
      if (!Label.contains(X, Y))
        QCOMPARE(P, Grey);
      else if (qRed(P) > 200 && qGreen(P) < 50 && qBlue(P) < 50)
        ++Red;
    }
  QVERIFY2(Red >= 10, qPrintable(QString::number(Red)));
}

void TWatermarkFormTest::LabelIsDragged() {
  QTest::keyClicks(FForm->WatermarkEdit, QStringLiteral("Drag me"));
  const QRect Start = FForm->WatermarkLabel->BoundsRect();
  const int WatermarkLeft = FForm->FWatermarkLeft, WatermarkTop = FForm->FWatermarkTop;
  TFormMouse Mouse(*FForm, FCursor);
  Mouse.Drag(FForm->Panel, Start.center(), Start.center() + QPoint(-100, -50));
  const QRect Moved = Start.translated(-100, -50);
  QCOMPARE(FForm->WatermarkLabel->BoundsRect(), Moved);
  QVERIFY(NodesAround(*FForm, Moved));
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 480, 272));
  // The fields keep the start position; only the settings file compares with them.
  QCOMPARE(FForm->FWatermarkLeft, WatermarkLeft);
  QCOMPARE(FForm->FWatermarkTop, WatermarkTop);
  QCOMPARE(FCursor.Current, crDefault);
}

void TWatermarkFormTest::HiddenLabelIsNotDragged() {
  const QRect Start = FForm->WatermarkLabel->BoundsRect();
  QVERIFY(!FForm->WatermarkLabel->Visible());
  TFormMouse Mouse(*FForm, FCursor);
  Mouse.Drag(FForm->Panel, Start.center(), Start.center() + QPoint(-100, -50));
  QCOMPARE(FForm->WatermarkLabel->BoundsRect(), Start);
  // The press reached the picture under it instead.
  QCOMPARE(FForm->Image->BoundsRect(), QRect(-100, -50, 480, 272));
  QVERIFY(NodesAround(*FForm, QRect(-100, -50, 480, 272)));
}

int main(int Argc, char **Argv) {
  TZelvaneApplication Application(Argc, Argv);
  Application.setApplicationName(QStringLiteral("Zelvane"));
  TWatermarkFormTest Test;
  return QTest::qExec(&Test, Argc, Argv);
}

#include "tst_watermarkform.moc"
