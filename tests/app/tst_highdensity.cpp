// The window on a high-density screen (run with QT_SCALE_FACTOR=2): it scales as a whole,
// every control keeping its layout position in units of 96 pixels per inch, and a saved
// wallpaper is still 480 x 272 with the very content the same steps save at scale 1. The
// scale-1 wallpaper comes from this same program, started again without the factor.
#include "formtesting.h"
#include "picture/image.h"
#include "watermark/watermarklabel.h"
#include "support/pixeldifference.h"

#include <QApplication>
#include <QPixmap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

namespace {

// Set in the environment of the second start: where to save the scale-1 wallpaper.
constexpr char ReferenceVariable[] = "ZELVANE_REFERENCE_OUT";

const QString Watermark = QStringLiteral("Density 2x");

bool FlatAround(const QImage &Image, int X, int Y, int Radius) {
  for (int DY = -Radius; DY <= Radius; ++DY)
    for (int DX = -Radius; DX <= Radius; ++DX)
      if (!Image.valid(X + DX, Y + DY) || Image.pixel(X + DX, Y + DY) != Image.pixel(X, Y))
        return false;
  return true;
}

// A window whose dialogs answer by themselves and whose errors are recorded.
struct TScene : TWindowTestSeams {
  using TWindowTestSeams::FCursor;
  using TWindowTestSeams::FDir;
  using TWindowTestSeams::FForm;
  using TWindowTestSeams::FMessages;

  bool Start() { return InstallSeams() && ShowAnsweredForm(); }

  // The same steps at any scale: open a picture, stretch it, zoom out one step, drag it with
  // the mouse, type a watermark, quality 90.
  bool Arrange() {
    FOpen->Answer = TestData("gif/giflib/gifgrid.gif");
    QTest::mouseClick(FForm->OpenSpeedButton, Qt::LeftButton);
    FForm->StretchRadioGroup->SetItemIndex(1);
    FForm->ZoomTrackBar->SetPosition(9);
    TFormMouse Mouse(*FForm, FCursor);
    Mouse.Drag(FForm->Panel, QPoint(200, 120), QPoint(223, 137));
    FForm->WatermarkEdit->setText(Watermark);
    FForm->QualityTrackBar->SetPosition(9);
    QCoreApplication::processEvents();
    return FMessages.Shown.isEmpty();
  }

  bool Save(const QString &FileName) {
    FSave->Answer = FileName;
    QTest::mouseClick(FForm->SaveSpeedButton, Qt::LeftButton);
    return FMessages.Shown.isEmpty() && QFileInfo(FileName).size() > 0;
  }
};

// The second start: the same steps at scale 1, saved where the first start asked.
int SaveReference(const QString &FileName) {
  TScene Scene;
  if (!Scene.Start() || Scene.FForm->devicePixelRatio() != 1.0) {
    qWarning() << "the reference start is not at scale 1";
    return 1;
  }
  if (!Scene.Arrange() || !Scene.Save(FileName)) {
    qWarning() << "scale-1 wallpaper not saved:" << Scene.FMessages.Shown;
    return 1;
  }
  Scene.FForm.reset();
  return 0;
}

} // namespace

class THighDensityTest : public QObject {
  Q_OBJECT
private slots:
  void initTestCase();
  void WindowScalesAsAWhole();
  void WallpaperAsAtScaleOne();
  void cleanupTestCase();

private:
  TScene FScene;
};

void THighDensityTest::initTestCase() {
  QVERIFY(FScene.Start());
  QVERIFY2(FScene.Arrange(), qPrintable(FScene.FMessages.Shown.join('\n')));
}

void THighDensityTest::cleanupTestCase() { FScene.FForm.reset(); }

void THighDensityTest::WindowScalesAsAWhole() {
  TZelvaneForm &Form = *FScene.FForm;
  // Two device pixels per layout unit: the CTest registration sets QT_SCALE_FACTOR=2.
  QCOMPARE(Form.devicePixelRatio(), 2.0);
  QCOMPARE(Form.windowHandle()->devicePixelRatio(), 2.0);
  // The layout keeps its units.
  QCOMPARE(Form.size(), QSize(844, 568));
  QCOMPARE(Form.Panel->geometry(), QRect(178, 177, 480, 272));
  QCOMPARE(Form.SaveSpeedButton->geometry(), QRect(601, 522, 128, 34));
  QCOMPARE(Form.QualityTrackBar->mapTo(&Form, QPoint(0, 0)), QPoint(450, 528));

  // What the window paints is twice as large: the frame on screen is the captured frame with
  // every pixel drawn as 2 x 2 device pixels, wherever the frame is flat.
  const QPixmap Window = Form.grab();
  QCOMPARE(Window.size(), QSize(1688, 1136));
  const QImage Shown = Window.toImage().convertToFormat(QImage::Format_RGB32);
  const QImage Frame = RenderFrame(*Form.Panel);
  QCOMPARE(Frame.size(), QSize(480, 272));
  int Compared = 0, Worst = 0;
  for (int Y = 0; Y < 272; ++Y)
    for (int X = 0; X < 480; ++X) {
      if (!FlatAround(Frame, X, Y, 1))
        continue;
      ++Compared;
      for (int Sub = 0; Sub < 4; ++Sub)
        Worst = std::max(Worst, MaxChannelDifference(Shown.pixel(2 * (178 + X) + Sub % 2,
                                                                 2 * (177 + Y) + Sub / 2),
                                                     Frame.pixel(X, Y)));
    }
  QVERIFY2(Compared > 480 * 272 / 2, qPrintable(QString::number(Compared)));
  QVERIFY2(Worst <= 2, qPrintable(QString::number(Worst)));
}

void THighDensityTest::WallpaperAsAtScaleOne() {
  const QString Dense = FScene.FDir.filePath("dense.jpg");
  const QString Plain = FScene.FDir.filePath("plain.jpg");
  QVERIFY2(FScene.Save(Dense), qPrintable(FScene.FMessages.Shown.join('\n')));

  QProcess Reference;
  QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
  Environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
  Environment.remove(QStringLiteral("QT_SCREEN_SCALE_FACTORS"));
  Environment.insert(QString::fromLatin1(ReferenceVariable), Plain);
  Reference.setProcessEnvironment(Environment);
  Reference.setProcessChannelMode(QProcess::ForwardedChannels);
  Reference.start(QCoreApplication::applicationFilePath(), {});
  QVERIFY(Reference.waitForFinished(120000));
  QCOMPARE(Reference.exitStatus(), QProcess::NormalExit);
  QCOMPARE(Reference.exitCode(), 0);

  const QImage DenseImage(Dense);
  const QImage PlainImage(Plain);
  QCOMPARE(DenseImage.size(), QSize(480, 272));
  QCOMPARE(PlainImage.size(), QSize(480, 272));
  // The same capture gives the same encoder input, so the same bytes.
  QCOMPARE(ReadBytes(Dense), ReadBytes(Plain));

  // And the content is the arranged one, not some empty frame: the stretched picture's red
  // top-left cell where the drag put it, the white it uncovered, and the watermark's letters.
  const QImage Image = DenseImage.convertToFormat(QImage::Format_RGB32);
  QVERIFY(MaxChannelDifference(Image.pixel(10, 8), qRgb(255, 255, 255)) <= 12);
  QVERIFY(MaxChannelDifference(Image.pixel(23 + 12, 17 + 8), qRgb(255, 0, 0)) <= 40);
  const QRect Label = FScene.FForm->WatermarkLabel->BoundsRect();
  int Dark = 0;
  for (int Y = Label.top(); Y <= Label.bottom(); ++Y)
    for (int X = Label.left(); X <= Label.right(); ++X)
      Dark += qGray(Image.pixel(X, Y)) < 40;
  QVERIFY2(Dark >= Watermark.size() * 3, qPrintable(QString::number(Dark)));
}

int main(int Argc, char **Argv) {
  QApplication Application(Argc, Argv);
  const QString Reference = qEnvironmentVariable(ReferenceVariable);
  if (!Reference.isEmpty())
    return SaveReference(Reference);
  THighDensityTest Test;
  return QTest::qExec(&Test, Argc, Argv);
}

#include "tst_highdensity.moc"
