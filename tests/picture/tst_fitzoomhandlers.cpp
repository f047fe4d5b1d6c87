// The fit-mode and zoom handlers on a picture box in a 480 x 272 frame, with a slider that
// calls back like the window's.
#include "picture/kinds/bitmap.h"
#include "picture/fitzoomhandlers.h"
#include "picture/image.h"
#include "zoomsliderfake.h"

#include <QTest>

#include <memory>
#include <stdexcept>

namespace {

const QSize FrameSize(480, 272);

// The window's pieces the handlers work on: the frame, the picture box in it, the slider
// wired to the zoom handler, the natural size and a count of node hidings.
struct TStage {
  QWidget Frame;
  TImage Image{&Frame};
  TFakeZoomSlider Slider;
  QSize Natural;
  int Hidden = 0;
  THideSelection Hide = [this] { ++Hidden; };

  explicit TStage(QSize PictureSize, QRect Box) : Natural(PictureSize) {
    Frame.resize(FrameSize);
    QImage Pixels(PictureSize, QImage::Format_RGB32);
    Pixels.fill(Qt::darkCyan);
    Image.SetPicture(std::make_unique<TBitmap>(Pixels));
    Image.SetBounds(Box.x(), Box.y(), Box.width(), Box.height());
    Slider.OnChange = [this] { ApplyZoomStep(Image, Slider, Hide); };
  }

  void Fit(int ItemIndex) { ApplyFitMode(ItemIndex, Image, Frame.size(), Natural, Slider, Hide); }
};

} // namespace

class TFitZoomHandlersTest : public QObject {
  Q_OBJECT
private slots:
  void FitModes_data();
  void FitModes();
  void FitRunsNoZoomStep();
  void FitAtTenRunsNoSliderEvent();
  void FitReenablesSliderOnFailure_data();
  void FitReenablesSliderOnFailure();
  void FitInFailedLoadState();
  void ZoomSteps_data();
  void ZoomSteps();
  void ZoomTenToThreeToTen();
  void ZoomFilteredByTag_data();
  void ZoomFilteredByTag();
  void ZoomKeepsLeftAndTop();
  void ZoomAfterOpenAtFive();
  void ZoomIgnoresNaturalSize();
};

void TFitZoomHandlersTest::FitModes_data() {
  QTest::addColumn<QSize>("Natural");
  QTest::addColumn<QRect>("Before");
  QTest::addColumn<int>("ItemIndex");
  QTest::addColumn<QRect>("After");
  QTest::addColumn<bool>("Stretched");
  const QRect Moved(35, -20, 300, 200);
  QTest::addRow("None") << QSize(1024, 768) << Moved << 0 << QRect(0, 0, 1024, 768) << true;
  QTest::addRow("Stretch") << QSize(1024, 768) << Moved << 1 << QRect(0, 0, 480, 272) << true;
  QTest::addRow("MaxWidth 1024x768") << QSize(1024, 768) << Moved << 2 << QRect(0, 0, 480, 360)
                                     << true;
  QTest::addRow("MaxHeight 1024x768") << QSize(1024, 768) << Moved << 3 << QRect(0, 0, 362, 272)
                                      << true;
  QTest::addRow("no selection") << QSize(1024, 768) << Moved << -1 << Moved << false;
  QTest::addRow("index beyond the items") << QSize(1024, 768) << Moved << 4 << Moved << false;
}

void TFitZoomHandlersTest::FitModes() {
  QFETCH(QSize, Natural);
  QFETCH(QRect, Before);
  QFETCH(int, ItemIndex);
  QFETCH(QRect, After);
  QFETCH(bool, Stretched);
  TStage Stage(Natural, Before);
  Stage.Slider.Place(4, 4);
  Stage.Fit(ItemIndex);
  QCOMPARE(Stage.Image.BoundsRect(), After);
  QCOMPARE(Stage.Image.Stretch(), Stretched);
  QCOMPARE(Stage.Image.AutoSize(), false);
  QCOMPARE(Stage.Hidden, 1);
  QCOMPARE(Stage.Slider.Position(), 10);
  QCOMPARE(Stage.Slider.Tag(), 10);
  QVERIFY(Stage.Slider.Enabled());
}

// Resetting the slider to 10 runs its change handler while the slider is disabled, so the
// reset is not taken as a zoom step: the box keeps the fitted size.
void TFitZoomHandlersTest::FitRunsNoZoomStep() {
  TStage Stage(QSize(1024, 768), QRect(0, 0, 1024, 768));
  Stage.Slider.Move(3);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(0, 0, 307, 230));
  QCOMPARE(Stage.Hidden, 1);
  Stage.Fit(1);
  QCOMPARE(Stage.Slider.ChangeEvents, 2);
  QCOMPARE(Stage.Slider.ChangeEventsWhileDisabled, 1);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(0, 0, 480, 272));
  QCOMPARE(Stage.Hidden, 2);
  QCOMPARE(Stage.Slider.Tag(), 10);
  QVERIFY(Stage.Slider.Enabled());
}

void TFitZoomHandlersTest::FitAtTenRunsNoSliderEvent() {
  TStage Stage(QSize(1024, 768), QRect(0, 0, 1024, 768));
  Stage.Fit(2);
  QCOMPARE(Stage.Slider.ChangeEvents, 0);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(0, 0, 480, 360));
}

// A failing step ends the handler with the error; the slider is enabled again and the steps
// before the failure stay done.
void TFitZoomHandlersTest::FitReenablesSliderOnFailure_data() {
  QTest::addColumn<bool>("FailHiding");
  QTest::addColumn<QRect>("After");
  QTest::addColumn<int>("Tag");
  QTest::addRow("hiding the nodes fails") << true << QRect(20, 30, 100, 50) << 3;
  QTest::addRow("resetting the slider fails") << false << QRect(0, 0, 480, 272) << 10;
}

void TFitZoomHandlersTest::FitReenablesSliderOnFailure() {
  QFETCH(bool, FailHiding);
  QFETCH(QRect, After);
  QFETCH(int, Tag);
  TStage Stage(QSize(640, 480), QRect(20, 30, 100, 50));
  Stage.Slider.Place(3, 3);
  if (FailHiding)
    Stage.Hide = [] { throw std::runtime_error("hiding failed"); };
  else
    Stage.Slider.ThrowOnSetPosition = true;
  QVERIFY_THROWS_EXCEPTION(std::runtime_error, Stage.Fit(1));
  QVERIFY(Stage.Slider.Enabled());
  QCOMPARE(Stage.Image.BoundsRect(), After);
  QCOMPARE(Stage.Slider.Tag(), Tag);
}

// With auto-size on (after a failed Open Image) the sizes given are replaced by the
// picture's own; the selection turns auto-size off, so the next one works.
void TFitZoomHandlersTest::FitInFailedLoadState() {
  TStage Stage(QSize(100, 50), QRect(0, 0, 100, 50));
  Stage.Natural = QSize(1024, 768);
  Stage.Image.SetAutoSize(true);
  Stage.Slider.Move(5);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(0, 0, 100, 50));
  Stage.Image.SetLeft(40);
  Stage.Fit(2);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(0, 0, 100, 50));
  QVERIFY(!Stage.Image.AutoSize());
  Stage.Fit(1);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(0, 0, 480, 272));
}

void TFitZoomHandlersTest::ZoomSteps_data() {
  QTest::addColumn<QSize>("Before");
  QTest::addColumn<int>("From");
  QTest::addColumn<int>("To");
  QTest::addColumn<QSize>("After");
  QTest::addRow("10 to 3") << QSize(480, 272) << 10 << 3 << QSize(144, 82);
  QTest::addRow("3 to 10") << QSize(144, 82) << 3 << 10 << QSize(480, 273);
  QTest::addRow("page down by 2") << QSize(1000, 333) << 7 << 5 << QSize(714, 238);
}

void TFitZoomHandlersTest::ZoomSteps() {
  QFETCH(QSize, Before);
  QFETCH(int, From);
  QFETCH(int, To);
  QFETCH(QSize, After);
  TStage Stage(QSize(640, 480), QRect(QPoint(0, 0), Before));
  Stage.Slider.Place(From, From);
  Stage.Slider.Move(To);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(QPoint(0, 0), After));
  QCOMPARE(Stage.Slider.Tag(), To);
  QVERIFY(Stage.Image.Stretch());
  QCOMPARE(Stage.Hidden, 1);
}

void TFitZoomHandlersTest::ZoomTenToThreeToTen() {
  TStage Stage(QSize(480, 272), QRect(0, 0, 480, 272));
  Stage.Slider.Move(3);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(0, 0, 144, 82));
  Stage.Slider.Move(10);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(0, 0, 480, 273));
  QCOMPARE(Stage.Hidden, 2);
}

// Runs at the remembered position (a drag's end), at 0 or below, or while the slider is
// disabled change nothing and hide nothing.
void TFitZoomHandlersTest::ZoomFilteredByTag_data() {
  QTest::addColumn<int>("Position");
  QTest::addColumn<int>("Tag");
  QTest::addColumn<bool>("Enabled");
  QTest::addRow("position equals Tag") << 6 << 6 << true;
  QTest::addRow("position 0") << 0 << 6 << true;
  QTest::addRow("position negative") << -2 << 6 << true;
  QTest::addRow("slider disabled") << 3 << 6 << false;
}

void TFitZoomHandlersTest::ZoomFilteredByTag() {
  QFETCH(int, Position);
  QFETCH(int, Tag);
  QFETCH(bool, Enabled);
  TStage Stage(QSize(640, 480), QRect(7, 9, 300, 200));
  Stage.Slider.Place(Position, Tag);
  Stage.Slider.SetEnabled(Enabled);
  ApplyZoomStep(Stage.Image, Stage.Slider, Stage.Hide);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(7, 9, 300, 200));
  QCOMPARE(Stage.Hidden, 0);
  QVERIFY(!Stage.Image.Stretch());
  QCOMPARE(Stage.Slider.Tag(), Tag);
}

void TFitZoomHandlersTest::ZoomKeepsLeftAndTop() {
  TStage Stage(QSize(640, 480), QRect(37, -15, 300, 201));
  Stage.Slider.Move(5);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(37, -15, 150, 100));
  // A second run at the same position (the end of the drag) is filtered.
  ApplyZoomStep(Stage.Image, Stage.Slider, Stage.Hide);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(37, -15, 150, 100));
  QCOMPARE(Stage.Hidden, 1);
}

// Open Image leaves the slider (and Tag) at 5; moving it to 10 doubles the new box.
void TFitZoomHandlersTest::ZoomAfterOpenAtFive() {
  TStage Stage(QSize(640, 480), QRect(0, 0, 640, 480));
  Stage.Slider.Move(5);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(0, 0, 320, 240));
  Stage.Image.SetBounds(0, 0, 200, 100); // the next picture opened
  Stage.Slider.Move(10);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(0, 0, 400, 200));
}

// The zoom scales the box's current size, whatever set it, never the natural size.
void TFitZoomHandlersTest::ZoomIgnoresNaturalSize() {
  TStage Stage(QSize(1024, 768), QRect(0, 0, 480, 360));
  Stage.Image.SetBounds(10, 10, 333, 111); // resized by the mover
  Stage.Slider.Move(2);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(10, 10, 67, 22));
}

QTEST_MAIN(TFitZoomHandlersTest)
#include "tst_fitzoomhandlers.moc"
