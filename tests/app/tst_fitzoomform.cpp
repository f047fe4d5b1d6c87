// The fit-mode radio group, the zoom slider and the four turn and mirror buttons, worked
// through the window's own controls: box sizes for known pictures, the slider's reset,
// what a click on the selected mode does (nothing), the nodes, and what a turn keeps.
#include "app/application.h"
#include "formtesting.h"
#include "picture/image.h"
#include "picture/kinds/picture.h"
#include "support/distinct.h"

#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

enum TMode { None = 0, Stretch = 1, MaxWidth = 2, MaxHeight = 3 };

// Where a turn or mirror takes the source pixel (x, y) of a W x H picture.
using TMapping = std::function<QPoint(int X, int Y, int W, int H)>;

} // namespace

Q_DECLARE_METATYPE(TMapping)

class TFitZoomFormTest : public QObject, protected TWindowTestSeams {
  Q_OBJECT
private slots:
  void initTestCase();
  void init();
  void cleanup();
  void FitModes_data();
  void FitModes();
  void StretchShowsWholePicture();
  void SelectedModeAgainRunsNothing();
  void ArrowKeysChooseMode();
  void FitResetsSliderWithoutZoomStep();
  void ZoomSteps_data();
  void ZoomSteps();
  void ZoomByKeys();
  void ZoomKeepsCornerAfterDrag();
  void FitAndZoomHideNodes();
  void Turns_data();
  void Turns();
  void FitAfterTurnUsesNaturalSize();
  void TurnRefused_data();
  void TurnRefused();

private:
  QString Picture(int Width, int Height);
  void Open(const QString &FileName);
  void ClickMode(int Index);
};

void TFitZoomFormTest::initTestCase() {
  QVERIFY(InstallSeams());
}

void TFitZoomFormTest::init() {
  ResetSeams();
  QVERIFY(ShowAnsweredForm());
}

void TFitZoomFormTest::cleanup() {
  FForm.reset();
  // No handler reported anything unless a test expected it (and took it).
  if (!QTest::currentTestFailed())
    QVERIFY2(FMessages.Shown.isEmpty(), qPrintable(FMessages.Shown.join('\n')));
}

QString TFitZoomFormTest::Picture(int Width, int Height) {
  const QString File = FDir.filePath(QStringLiteral("picture%1x%2.png").arg(Width).arg(Height));
  if (!QFileInfo::exists(File))
    QImageWriter(File, "png").write(Distinct(Width, Height));
  return File;
}

void TFitZoomFormTest::Open(const QString &FileName) {
  FOpen->Answer = FileName;
  QTest::mouseClick(FForm->OpenSpeedButton, Qt::LeftButton);
}

void TFitZoomFormTest::ClickMode(int Index) {
  QAbstractButton *Button = FForm->StretchRadioGroup->Button(Index);
  QTest::mouseClick(Button, Qt::LeftButton, {}, QPoint(8, Button->height() / 2));
}

void TFitZoomFormTest::FitModes_data() {
  QTest::addColumn<int>("Mode");
  QTest::addColumn<QSize>("Box");
  // One row a mode, for a 1024 x 768 picture; the arithmetic over many sizes is the fit and
  // zoom test's.
  QTest::addRow("None") << int(None) << QSize(1024, 768);
  QTest::addRow("Stretch") << int(Stretch) << QSize(480, 272);
  QTest::addRow("MaxWidth") << int(MaxWidth) << QSize(480, 360);
  QTest::addRow("MaxHeight") << int(MaxHeight) << QSize(362, 272);
}

void TFitZoomFormTest::FitModes() {
  const QSize Natural(1024, 768);
  QFETCH(int, Mode);
  QFETCH(QSize, Box);
  Open(Picture(Natural.width(), Natural.height()));
  QCOMPARE(FForm->Image->BoundsRect(), QRect(QPoint(0, 0), Natural));
  // "None" is selected at start: choosing it needs another selection first.
  if (Mode == None)
    ClickMode(Stretch);
  // Moved and zoomed, so that the mode's own placement shows.
  TFormMouse Mouse(*FForm, FCursor);
  Mouse.Drag(FForm->Panel, QPoint(5, 5), QPoint(25, 15));
  QCOMPARE(FForm->Image->BoundsRect().topLeft(), QPoint(20, 10));
  FForm->ZoomTrackBar->SetPosition(4);
  QCOMPARE(FForm->ZoomTrackBar->Tag, 4);

  ClickMode(Mode);
  QCOMPARE(FForm->StretchRadioGroup->ItemIndex(), Mode);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(QPoint(0, 0), Box));
  QVERIFY(FForm->Image->Stretch());
  QVERIFY(!FForm->Image->AutoSize());
  QCOMPARE(FForm->ZoomTrackBar->Position(), 10);
  QCOMPARE(FForm->ZoomTrackBar->Tag, 10);
  QVERIFY(FForm->ZoomTrackBar->isEnabled());
  QCOMPARE(QSize(FForm->FPictureWidth, FForm->FPictureHeight), Natural);
}

void TFitZoomFormTest::StretchShowsWholePicture() {
  const QImage Source = Distinct(1024, 768);
  Open(Picture(1024, 768));
  ClickMode(Stretch);
  const QImage Shown = RenderFrame(*FForm->Panel);
  // The corners of the picture land in the corners of the frame: scaled, not cut. Which of
  // the few source pixels under a frame pixel is taken is the sampling's business.
  auto FromNear = [&](const QPoint &At, const QPoint &Corner) {
    for (int Y = -3; Y <= 3; ++Y)
      for (int X = -3; X <= 3; ++X) {
        const QPoint P = Corner + QPoint(X, Y);
        if (Source.rect().contains(P) && Source.pixel(P) == Shown.pixel(At))
          return true;
      }
    return false;
  };
  QVERIFY(FromNear(QPoint(0, 0), QPoint(0, 0)));
  QVERIFY(FromNear(QPoint(479, 0), QPoint(1023, 0)));
  QVERIFY(FromNear(QPoint(0, 271), QPoint(0, 767)));
  QVERIFY(FromNear(QPoint(479, 271), QPoint(1023, 767)));
}

void TFitZoomFormTest::SelectedModeAgainRunsNothing() {
  const QString File = Picture(1024, 768);
  Open(File);
  ClickMode(Stretch);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 480, 272));
  Open(File);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 1024, 768));
  FForm->ZoomTrackBar->SetPosition(5);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 512, 384));

  ClickMode(Stretch);
  QCOMPARE(FForm->StretchRadioGroup->ItemIndex(), int(Stretch));
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 512, 384));
  QCOMPARE(FForm->ZoomTrackBar->Position(), 5);
  QCOMPARE(FForm->ZoomTrackBar->Tag, 5);

  // Another mode first, then the wanted one.
  ClickMode(None);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 1024, 768));
  ClickMode(Stretch);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 480, 272));
}

void TFitZoomFormTest::ArrowKeysChooseMode() {
  Open(Picture(1024, 768));
  QApplication::setActiveWindow(FForm.get());
  QVERIFY(QTest::qWaitForWindowActive(FForm.get()));
  FForm->StretchRadioGroup->Button(None)->setFocus();
  // Items column by column: None above Stretch, MaxWidth above MaxHeight.
  const QList<QPair<Qt::Key, QPair<int, QSize>>> Steps{
      {Qt::Key_Down, {Stretch, QSize(480, 272)}},
      {Qt::Key_Right, {MaxHeight, QSize(362, 272)}},
      {Qt::Key_Up, {MaxWidth, QSize(480, 360)}},
      {Qt::Key_Left, {None, QSize(1024, 768)}}};
  for (const auto &[Key, Result] : Steps) {
    QTest::keyClick(QApplication::focusWidget(), Key);
    QCOMPARE(FForm->StretchRadioGroup->ItemIndex(), Result.first);
    QCOMPARE(FForm->Image->BoundsRect(), QRect(QPoint(0, 0), Result.second));
  }
}

void TFitZoomFormTest::FitResetsSliderWithoutZoomStep() {
  Open(Picture(1024, 768));
  FForm->ZoomTrackBar->SetPosition(5);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 512, 384));
  ClickMode(MaxWidth);
  // Had the slider's way back to 10 been taken as a zoom step, the box would be doubled.
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 480, 360));
  QCOMPARE(FForm->ZoomTrackBar->Position(), 10);
  QCOMPARE(FForm->ZoomTrackBar->Tag, 10);
  QVERIFY(FForm->ZoomTrackBar->isEnabled());
  // And the slider zooms from there.
  FForm->ZoomTrackBar->SetPosition(5);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 240, 180));
}

void TFitZoomFormTest::ZoomSteps_data() {
  QTest::addColumn<QSize>("Natural");
  QTest::addColumn<int>("Mode");
  QTest::addColumn<QList<int>>("Positions");
  QTest::addColumn<QList<QSize>>("Boxes");
  QTest::addRow("10 to 3 and back") << QSize(1024, 768) << int(Stretch) << QList<int>{3, 10}
                                    << QList<QSize>{QSize(144, 82), QSize(480, 273)};
  QTest::addRow("up from 5") << QSize(100, 60) << -1 << QList<int>{5, 10, 1}
                             << QList<QSize>{QSize(50, 30), QSize(100, 60), QSize(10, 6)};
}

void TFitZoomFormTest::ZoomSteps() {
  QFETCH(QSize, Natural);
  QFETCH(int, Mode);
  QFETCH(QList<int>, Positions);
  QFETCH(QList<QSize>, Boxes);
  Open(Picture(Natural.width(), Natural.height()));
  if (Mode >= 0)
    ClickMode(Mode);
  for (int I = 0; I < Positions.size(); ++I) {
    FForm->ZoomTrackBar->SetPosition(Positions[I]);
    QCOMPARE(FForm->Image->BoundsRect(), QRect(QPoint(0, 0), Boxes[I]));
    QCOMPARE(FForm->ZoomTrackBar->Tag, Positions[I]);
    QVERIFY(FForm->Image->Stretch());
  }
  QCOMPARE(QSize(FForm->FPictureWidth, FForm->FPictureHeight), Natural);
}

void TFitZoomFormTest::ZoomByKeys() {
  Open(Picture(1024, 768));
  ClickMode(Stretch);
  TTrackBar *Slider = FForm->ZoomTrackBar;
  Slider->setFocus();
  const QList<QPair<Qt::Key, QSize>> Steps{{Qt::Key_Left, QSize(432, 245)},
                                           {Qt::Key_Right, QSize(480, 272)},
                                           {Qt::Key_PageDown, QSize(384, 218)},
                                           // 272.5 goes to the even neighbour.
                                           {Qt::Key_PageUp, QSize(480, 272)}};
  const QList<int> Expected{9, 10, 8, 10};
  for (int I = 0; I < Steps.size(); ++I) {
    QTest::keyClick(Slider, Steps[I].first);
    QCOMPARE(Slider->Position(), Expected[I]);
    QCOMPARE(FForm->Image->BoundsRect(), QRect(QPoint(0, 0), Steps[I].second));
  }
}

void TFitZoomFormTest::ZoomKeepsCornerAfterDrag() {
  Open(Picture(1024, 768));
  ClickMode(Stretch);
  TFormMouse Mouse(*FForm, FCursor);
  Mouse.Drag(FForm->Panel, QPoint(100, 100), QPoint(130, 120));
  QCOMPARE(FForm->Image->BoundsRect(), QRect(30, 20, 480, 272));
  FForm->ZoomTrackBar->SetPosition(5);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(30, 20, 240, 136));
  FForm->ZoomTrackBar->SetPosition(10);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(30, 20, 480, 272));
}

void TFitZoomFormTest::FitAndZoomHideNodes() {
  Open(Picture(1024, 768));
  TFormMouse Mouse(*FForm, FCursor);
  Mouse.Click(FForm->Panel, QPoint(50, 50));
  QVERIFY(NodesShown(*FForm, true));
  ClickMode(MaxWidth);
  QVERIFY(NodesShown(*FForm, false));

  Mouse.Click(FForm->Panel, QPoint(50, 50));
  QVERIFY(NodesShown(*FForm, true));
  FForm->ZoomTrackBar->setFocus();
  QTest::keyClick(FForm->ZoomTrackBar, Qt::Key_Left);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 432, 324));
  QVERIFY(NodesShown(*FForm, false));
}

void TFitZoomFormTest::Turns_data() {
  QTest::addColumn<QString>("Button");
  QTest::addColumn<bool>("Swaps");
  QTest::addColumn<TMapping>("Mapping");
  QTest::addRow("left turn")
      << "LeftRotateSpeedButton" << true
      << TMapping([](int X, int Y, int W, int) { return QPoint(Y, W - 1 - X); });
  QTest::addRow("right turn")
      << "RightRotateSpeedButton" << true
      << TMapping([](int X, int Y, int, int H) { return QPoint(H - 1 - Y, X); });
  QTest::addRow("mirror top to bottom")
      << "TopSpeedButton" << false
      << TMapping([](int X, int Y, int, int H) { return QPoint(X, H - 1 - Y); });
  QTest::addRow("mirror left to right")
      << "LeftSpeedButton" << false
      << TMapping([](int X, int Y, int W, int) { return QPoint(W - 1 - X, Y); });
}

void TFitZoomFormTest::Turns() {
  QFETCH(QString, Button);
  QFETCH(bool, Swaps);
  QFETCH(TMapping, Mapping);
  const int W = 64, H = 48;
  const QImage Source = Distinct(W, H);
  Open(Picture(W, H));
  ClickMode(Stretch);
  FForm->ZoomTrackBar->SetPosition(5);
  TFormMouse Mouse(*FForm, FCursor);
  Mouse.Drag(FForm->Panel, QPoint(5, 5), QPoint(15, 25));
  QCOMPARE(FForm->Image->BoundsRect(), QRect(10, 20, 240, 136));
  QVERIFY(NodesShown(*FForm, true));

  QTest::mouseClick(FForm->findChild<TSpeedButton *>(Button), Qt::LeftButton);
  const QSize Turned = Swaps ? QSize(H, W) : QSize(W, H);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(QPoint(10, 20), Turned));
  QVERIFY(NodesShown(*FForm, false));
  QCOMPARE(QString(FForm->Image->Picture()->ClassName()), QStringLiteral("TBitmap"));
  // Kept: natural size, flags, fit mode, slider and its remembered position.
  QCOMPARE(FForm->FPictureWidth, W);
  QCOMPARE(FForm->FPictureHeight, H);
  QVERIFY(FForm->Image->Stretch());
  QVERIFY(!FForm->Image->AutoSize());
  QCOMPARE(FForm->StretchRadioGroup->ItemIndex(), int(Stretch));
  QCOMPARE(FForm->ZoomTrackBar->Position(), 5);
  QCOMPARE(FForm->ZoomTrackBar->Tag, 5);

  // Shown unscaled at the box's corner, every pixel where the mapping puts it.
  const QImage Shown = RenderFrame(*FForm->Panel);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      const QPoint To = Mapping(X, Y, W, H) + QPoint(10, 20);
      if (Shown.pixel(To) != Source.pixel(X, Y))
        QFAIL(qPrintable(
            QStringLiteral("source %1,%2 not at %3,%4").arg(X).arg(Y).arg(To.x()).arg(To.y())));
    }
}

void TFitZoomFormTest::FitAfterTurnUsesNaturalSize() {
  Open(Picture(1024, 768));
  ClickMode(Stretch);
  QTest::mouseClick(FForm->RightRotateSpeedButton, Qt::LeftButton);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 768, 1024));
  ClickMode(None);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 1024, 768));
  ClickMode(MaxWidth);
  QCOMPARE(FForm->Image->BoundsRect(), QRect(0, 0, 480, 360));
}

void TFitZoomFormTest::TurnRefused_data() {
  QTest::addColumn<QString>("File");
  QTest::addColumn<QString>("Message");
  QTest::addRow("icon") << TestData("ico/pillow/hopper.ico")
                        << "Cannot assign a TIcon to a TBitmap.";
  QTest::addRow("metafile") << TestData("metafile/pillow/drawing.wmf")
                            << "Cannot assign a TMetafile to a TBitmap.";
}

void TFitZoomFormTest::TurnRefused() {
  QFETCH(QString, File);
  QFETCH(QString, Message);
  Open(File);
  QVERIFY2(FMessages.Shown.isEmpty(), qPrintable(FMessages.Shown.join('\n')));
  ClickMode(Stretch);
  FForm->ZoomTrackBar->SetPosition(5);
  const TPicture *Picture = FForm->Image->Picture();
  const QString Kind = Picture->ClassName();
  const QRect Bounds = FForm->Image->BoundsRect();
  QCOMPARE(Bounds, QRect(0, 0, 240, 136));
  const QImage ShownBefore = RenderFrame(*FForm->Panel);

  TFormMouse Mouse(*FForm, FCursor);
  for (TSpeedButton *Button : {FForm->LeftRotateSpeedButton, FForm->RightRotateSpeedButton,
                               FForm->TopSpeedButton, FForm->LeftSpeedButton}) {
    FMessages.Shown.clear();
    Mouse.Click(FForm->Panel, QPoint(30, 30));
    QVERIFY(NodesShown(*FForm, true));
    QTest::mouseClick(Button, Qt::LeftButton);
    QCOMPARE(FMessages.Shown, QStringList{Message});
    QVERIFY(NodesShown(*FForm, false));
    QCOMPARE(FForm->Image->Picture(), Picture);
    QCOMPARE(QString(FForm->Image->Picture()->ClassName()), Kind);
    QCOMPARE(FForm->Image->BoundsRect(), Bounds);
    QCOMPARE(FForm->ZoomTrackBar->Tag, 5);
    QCOMPARE(RenderFrame(*FForm->Panel), ShownBefore);
  }
  FMessages.Shown.clear();
}

int main(int Argc, char **Argv) {
  TZelvaneApplication Application(Argc, Argv);
  Application.setApplicationName(QStringLiteral("Zelvane"));
  TFitZoomFormTest Test;
  return QTest::qExec(&Test, Argc, Argv);
}

#include "tst_fitzoomform.moc"
