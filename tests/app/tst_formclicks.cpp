// The window's small handlers as the mouse and keyboard reach them: which clicks hide the
// resize nodes (the shared click handler) and which leave them, and the keys that press the
// buttons: the three accelerators and the desktop's standard Open, Save and Close.
#include "app/application.h"
#include "formtesting.h"
#include "picture/image.h"

#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

class TFormClicksTest : public QObject, protected TWindowTestSeams {
  Q_OBJECT
private slots:
  void initTestCase();
  void init();
  void cleanup();
  void Clicks_data();
  void Clicks();
  void Accelerators_data();
  void Accelerators();
};

void TFormClicksTest::initTestCase() {
  QVERIFY(InstallSeams());
  QImage Small(100, 60, QImage::Format_RGB32);
  Small.fill(qRgb(200, 40, 40));
  QVERIFY(QImageWriter(FDir.filePath("small.png"), "png").write(Small));
}

void TFormClicksTest::init() {
  ResetSeams();
  QVERIFY(ShowAnsweredForm());
  // A small picture, so that the frame has an empty area.
  FOpen->Answer = FDir.filePath("small.png");
  QTest::mouseClick(FForm->OpenSpeedButton, Qt::LeftButton);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 100, 60));
  FOpen->Answer.clear();
  FOpen->Runs.clear();
}

void TFormClicksTest::cleanup() {
  FForm.reset();
  QVERIFY2(FMessages.Shown.isEmpty(), qPrintable(FMessages.Shown.join('\n')));
}

void TFormClicksTest::Clicks_data() {
  QTest::addColumn<QString>("Control");
  // In the control's client coordinates; the window itself is "ZelvaneForm".
  QTest::addColumn<QPoint>("At");
  QTest::addColumn<bool>("Hides");
  QTest::addRow("window's empty area") << "ZelvaneForm" << QPoint(3, 300) << true;
  QTest::addRow("device photograph") << "ZelvaneImage" << QPoint(12, 15) << true;
  QTest::addRow("frame's empty area") << "Panel" << QPoint(300, 200) << true;
  QTest::addRow("tool row's empty area") << "ControlPanel" << QPoint(5, 5) << true;
  QTest::addRow("watermark edit box") << "WatermarkEdit" << QPoint(10, 10) << true;
  QTest::addRow("banner strip") << "Panel1" << QPoint(500, 40) << false;
  QTest::addRow("banner picture") << "Image1" << QPoint(100, 30) << false;
  QTest::addRow("zoom group box") << "ZoomGroupBox" << QPoint(50, 47) << false;
  QTest::addRow("watermark group box") << "WatermarkGroupBox" << QPoint(5, 47) << false;
  QTest::addRow("rotate group box") << "RotateGroupBox" << QPoint(5, 47) << false;
  QTest::addRow("quality group box") << "QualityGroupBox" << QPoint(60, 39) << false;
  QTest::addRow("radio group") << "StretchRadioGroup" << QPoint(100, 10) << false;
  QTest::addRow("quality slider") << "QualityTrackBar" << QPoint(59, 13) << false;
  QTest::addRow("smooth box") << "SmoothCheckBox" << QPoint(8, 10) << false;
}

void TFormClicksTest::Clicks() {
  QFETCH(QString, Control);
  QFETCH(QPoint, At);
  QFETCH(bool, Hides);
  QWidget *Target = Control == "ZelvaneForm" ? FForm.get() : FForm->findChild<QWidget *>(Control);
  QVERIFY(Target);
  // The point lies on the control itself, not on a child of it.
  const QPoint InForm = Target == FForm.get() ? At : Target->mapTo(FForm.get(), At);
  QCOMPARE(FForm->childAt(InForm) ? FForm->childAt(InForm) : FForm.get(), Target);

  TFormMouse Mouse(*FForm, FCursor);
  Mouse.Click(FForm->Panel, QPoint(20, 20));
  QVERIFY(NodesAround(*FForm, QRect(0, 0, 100, 60)));

  Mouse.Click(Target, At);
  QVERIFY(NodesShown(*FForm, !Hides));
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 100, 60));

  if (!Hides) {
    // A click that left them must not arm a later release elsewhere: a press on the picture
    // and its release show the nodes again, and nothing hides them on the way.
    Mouse.Click(FForm->Panel, QPoint(20, 20));
    QVERIFY(NodesShown(*FForm, true));
  }
  // Either way the window's own empty area still hides them.
  Mouse.Click(FForm.get(), QPoint(3, 300));
  QVERIFY(NodesShown(*FForm, false));
}

void TFormClicksTest::Accelerators_data() {
  QTest::addColumn<QKeySequence>("Keys");
  // The control that has the keyboard focus when the keys are pressed.
  QTest::addColumn<QString>("Focus");
  QTest::addColumn<int>("Opens");
  QTest::addColumn<int>("Saves");
  QTest::addColumn<bool>("Closes");
  const QKeySequence Open(QKeySequence::Open), Save(QKeySequence::Save),
      Close(QKeySequence::Close);
  // Mostly from the edit box, where a plain letter would only be typed.
  QTest::addRow("Alt+O") << QKeySequence(Qt::ALT | Qt::Key_O) << "WatermarkEdit" << 1 << 0 << false;
  QTest::addRow("Alt+S") << QKeySequence(Qt::ALT | Qt::Key_S) << "WatermarkEdit" << 0 << 1 << false;
  QTest::addRow("Alt+C") << QKeySequence(Qt::ALT | Qt::Key_C) << "WatermarkEdit" << 0 << 0 << true;
  QTest::addRow("standard Open") << Open << "WatermarkEdit" << 1 << 0 << false;
  QTest::addRow("standard Save") << Save << "WatermarkEdit" << 0 << 1 << false;
  QTest::addRow("standard Close") << Close << "WatermarkEdit" << 0 << 0 << true;
  QTest::addRow("standard Open on the slider") << Open << "ZoomTrackBar" << 1 << 0 << false;
}

void TFormClicksTest::Accelerators() {
  QFETCH(QKeySequence, Keys);
  QFETCH(QString, Focus);
  QFETCH(int, Opens);
  QFETCH(int, Saves);
  QFETCH(bool, Closes);
  QVERIFY2(!Keys.isEmpty(), "the platform binds no keys to this standard action");
  QApplication::setActiveWindow(FForm.get());
  QVERIFY(QTest::qWaitForWindowActive(FForm.get()));
  auto *Target = FForm->findChild<QWidget *>(Focus);
  QVERIFY(Target);
  Target->setFocus();
  QCOMPARE(QApplication::focusWidget(), Target);
  QTest::keySequence(Target, Keys);
  QTRY_COMPARE(FOpen->Runs.size() + FSave->Runs.size() + (FForm->isVisible() ? 0 : 1), 1);
  QCOMPARE(FOpen->Runs.size(), Opens);
  QCOMPARE(FSave->Runs.size(), Saves);
  QCOMPARE(!FForm->isVisible(), Closes);
  QVERIFY(FForm->WatermarkEdit->text().isEmpty());
}

int main(int Argc, char **Argv) {
  TZelvaneApplication Application(Argc, Argv);
  Application.setApplicationName(QStringLiteral("Zelvane"));
  TFormClicksTest Test;
  return QTest::qExec(&Test, Argc, Argv);
}

#include "tst_formclicks.moc"
