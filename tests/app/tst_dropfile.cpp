// A picture file dropped onto the window opens exactly as Open Image opens it when the same
// file is chosen in its dialog: the same box, natural size, folder, pixels and messages. Drags
// that carry no single local file are refused and change nothing.
#include "formtesting.h"
#include "picture/image.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <QTest>

namespace {

std::unique_ptr<QMimeData> FilesData(const QStringList &FileNames) {
  auto Data = std::make_unique<QMimeData>();
  QList<QUrl> Urls;
  for (const QString &Name : FileNames)
    Urls << QUrl::fromLocalFile(Name);
  Data->setUrls(Urls);
  return Data;
}

// What the window shows and keeps after opening a picture.
struct TOpened {
  QString Kind;
  QRect Bounds;
  bool Stretch = false;
  bool AutoSize = false;
  QSize Natural;
  QString OpenPath;
  QImage Frame;
};

TOpened StateOf(TZelvaneForm &Form) {
  return {QString::fromLatin1(Form.Image->Picture()->ClassName()),
          Form.Image->BoundsRect(),
          Form.Image->Stretch(),
          Form.Image->AutoSize(),
          QSize(Form.FPictureWidth, Form.FPictureHeight),
          Form.FOpenPath,
          RenderFrame(*Form.Panel)};
}

// The widget Qt hands a drag to: the one under the point or its nearest parent that takes
// drops.
QWidget *DropTargetAt(QWidget &Form, const QPoint &At) {
  QWidget *Target = Form.childAt(At);
  if (!Target)
    Target = &Form;
  while (Target && !Target->acceptDrops())
    Target = Target->parentWidget();
  return Target;
}

} // namespace

class TDropFileTest : public QObject, protected TWindowTestSeams {
  Q_OBJECT
private slots:
  void initTestCase();
  void init();
  void DropOpensAsOpenImage_data();
  void DropOpensAsOpenImage();
  void FailingDropReportsAsOpenImage_data();
  void FailingDropReportsAsOpenImage();
  void RefusedDrags_data();
  void RefusedDrags();
  void DropsOverControlsReachTheWindow_data();
  void DropsOverControlsReachTheWindow();
  void DropOnTheEditBox_data();
  void DropOnTheEditBox();

private:
  std::unique_ptr<TZelvaneForm> NewForm(TAnsweringFileDialog **Dialog);
  // Sends a drag entering at At and, when it was accepted, the drop; true when both were.
  bool Drop(QWidget &Target, const QMimeData &Data, const QPoint &At = QPoint(400, 300));
};

void TDropFileTest::initTestCase() {
  QVERIFY(InstallSeams());
}

void TDropFileTest::init() {
  ResetSeams();
}

std::unique_ptr<TZelvaneForm> TDropFileTest::NewForm(TAnsweringFileDialog **Dialog) {
  auto Form = std::make_unique<TZelvaneForm>();
  auto Answering = std::make_unique<TAnsweringFileDialog>(Form.get(), TFileDialog::TKind::Open);
  *Dialog = Answering.get();
  Form->OpenPictureDialog = std::move(Answering);
  Form->show();
  if (!QTest::qWaitForWindowExposed(Form.get()))
    return nullptr;
  return Form;
}

bool TDropFileTest::Drop(QWidget &Form, const QMimeData &Data, const QPoint &At) {
  QDragEnterEvent Enter(At, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &Data,
                        Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Form, &Enter);
  if (!Enter.isAccepted())
    return false;
  QDropEvent DropEvent(QPointF(At), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &Data,
                       Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Form, &DropEvent);
  QCoreApplication::processEvents();
  return DropEvent.isAccepted();
}

void TDropFileTest::DropOpensAsOpenImage_data() {
  QTest::addColumn<QString>("File");
  QTest::addRow("png") << TestData("pngsuite/basn2c08.png");
  QTest::addRow("gif larger than the frame") << TestData("gif/giflib/solid2.gif");
  QTest::addRow("jpeg") << TestData("jpeg/pillow/flower.jpg");
  QTest::addRow("bmp") << TestData("bmpsuite/g/rgb24.bmp");
  QTest::addRow("ico") << TestData("ico/pillow/hopper.ico");
}

void TDropFileTest::DropOpensAsOpenImage() {
  QFETCH(QString, File);
  TAnsweringFileDialog *ViaDialog = nullptr;
  TAnsweringFileDialog *Unused = nullptr;
  std::unique_ptr<TZelvaneForm> Opened = NewForm(&ViaDialog);
  std::unique_ptr<TZelvaneForm> Dropped = NewForm(&Unused);
  QVERIFY(Opened && Dropped);
  // Both boxes somewhere else first, so a drop that skipped the move to the corner shows.
  for (TZelvaneForm *Form : {Opened.get(), Dropped.get()}) {
    Form->Image->SetLeft(37);
    Form->Image->SetTop(21);
  }
  const TOpened Before = StateOf(*Dropped);

  ViaDialog->Answer = File;
  QTest::mouseClick(Opened->OpenSpeedButton, Qt::LeftButton);
  QVERIFY2(FMessages.Shown.isEmpty(), qPrintable(FMessages.Shown.join('\n')));

  const std::unique_ptr<QMimeData> Data = FilesData({File});
  QVERIFY(Drop(*Dropped, *Data));
  QVERIFY2(FMessages.Shown.isEmpty(), qPrintable(FMessages.Shown.join('\n')));
  // No dialog: the file is already chosen.
  QVERIFY(Unused->Runs.isEmpty());

  const TOpened Want = StateOf(*Opened);
  const TOpened Got = StateOf(*Dropped);
  QCOMPARE(Got.Kind, Want.Kind);
  QCOMPARE(Got.Bounds, Want.Bounds);
  QCOMPARE(Got.Bounds.topLeft(), QPoint(0, 0));
  QCOMPARE(Got.Stretch, Want.Stretch);
  QCOMPARE(Got.AutoSize, Want.AutoSize);
  QCOMPARE(Got.Natural, Want.Natural);
  QCOMPARE(Got.OpenPath, Want.OpenPath);
  QVERIFY(Got.Frame != Before.Frame);
  QCOMPARE(Got.Frame, Want.Frame);
}

void TDropFileTest::FailingDropReportsAsOpenImage_data() {
  QTest::addColumn<QString>("Name");
  QTest::addColumn<QByteArray>("Bytes");
  QTest::addRow("unknown extension") << "notes.txt" << QByteArray("plain text\n");
  QTest::addRow("damaged png") << "truncated-after-signature.png"
                               << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  QTest::addRow("missing file") << "" << QByteArray();
}

void TDropFileTest::FailingDropReportsAsOpenImage() {
  QFETCH(QString, Name);
  QFETCH(QByteArray, Bytes);
  const QString File =
      Name.isEmpty() ? FDir.filePath("no-such-picture.png") : FDir.filePath(Name);
  if (!Name.isEmpty())
    QVERIFY(WriteBytes(File, Bytes));

  TAnsweringFileDialog *ViaDialog = nullptr;
  TAnsweringFileDialog *Unused = nullptr;
  std::unique_ptr<TZelvaneForm> Opened = NewForm(&ViaDialog);
  std::unique_ptr<TZelvaneForm> Dropped = NewForm(&Unused);
  QVERIFY(Opened && Dropped);
  const TOpened Before = StateOf(*Dropped);

  ViaDialog->Answer = File;
  QTest::mouseClick(Opened->OpenSpeedButton, Qt::LeftButton);
  QCOMPARE(FMessages.Shown.size(), 1);
  const QString Expected = FMessages.Shown.takeFirst();

  // The drop is taken (the file is a local file); opening it then fails like the dialog's.
  const std::unique_ptr<QMimeData> Data = FilesData({File});
  QVERIFY(Drop(*Dropped, *Data));
  QCOMPARE(FMessages.Shown, QStringList{Expected});
  const TOpened After = StateOf(*Dropped);
  QCOMPARE(After.Bounds, Before.Bounds);
  QCOMPARE(After.Natural, Before.Natural);
  QCOMPARE(After.OpenPath, Before.OpenPath);
  QCOMPARE(After.Frame, Before.Frame);
}

void TDropFileTest::RefusedDrags_data() {
  QTest::addColumn<QList<QUrl>>("Urls");
  QTest::addColumn<QString>("Text");
  const QUrl Picture = QUrl::fromLocalFile(TestData("pngsuite/basn2c08.png"));
  QTest::addRow("two files") << QList<QUrl>{Picture, QUrl::fromLocalFile(
                                                         TestData("gif/giflib/solid2.gif"))}
                             << QString();
  QTest::addRow("web address") << QList<QUrl>{QUrl("https://example.invalid/picture.png")}
                               << QString();
  QTest::addRow("plain text naming a file") << QList<QUrl>{} << Picture.toLocalFile();
}

void TDropFileTest::RefusedDrags() {
  QFETCH(QList<QUrl>, Urls);
  QFETCH(QString, Text);
  TAnsweringFileDialog *Unused = nullptr;
  std::unique_ptr<TZelvaneForm> Form = NewForm(&Unused);
  QVERIFY(Form);
  const TOpened Before = StateOf(*Form);

  QMimeData Data;
  if (!Urls.isEmpty())
    Data.setUrls(Urls);
  if (!Text.isEmpty())
    Data.setText(Text);
  QVERIFY(!Drop(*Form, Data));
  // A drop sent without the window having taken the drag changes nothing either.
  QDropEvent Forced(QPointF(400, 300), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(Form.get(), &Forced);
  QVERIFY(!Forced.isAccepted());

  QVERIFY(FMessages.Shown.isEmpty());
  const TOpened After = StateOf(*Form);
  QCOMPARE(After.Bounds, Before.Bounds);
  QCOMPARE(After.OpenPath, Before.OpenPath);
  QCOMPARE(After.Frame, Before.Frame);
}

void TDropFileTest::DropsOverControlsReachTheWindow_data() {
  QTest::addColumn<QPoint>("At");
  QTest::addRow("wallpaper frame") << QPoint(178 + 240, 177 + 136);
  QTest::addRow("device photograph") << QPoint(60, 300);
  QTest::addRow("banner") << QPoint(100, 30);
  QTest::addRow("tool row") << QPoint(30, 140);
  QTest::addRow("open button") << QPoint(16 + 50, 81 + 16 + 17);
  QTest::addRow("quality slider") << QPoint(447 + 60, 515 + 25);
}

void TDropFileTest::DropsOverControlsReachTheWindow() {
  QFETCH(QPoint, At);
  TAnsweringFileDialog *Unused = nullptr;
  std::unique_ptr<TZelvaneForm> Form = NewForm(&Unused);
  QVERIFY(Form);
  QCOMPARE(DropTargetAt(*Form, At), Form.get());
}

// The edit box takes drops itself: a picture file still opens, text still goes into the box.
void TDropFileTest::DropOnTheEditBox_data() {
  QTest::addColumn<bool>("AsFile");
  QTest::addRow("picture file opens") << true;
  QTest::addRow("text is typed in") << false;
}

void TDropFileTest::DropOnTheEditBox() {
  QFETCH(bool, AsFile);
  TAnsweringFileDialog *Unused = nullptr;
  std::unique_ptr<TZelvaneForm> Form = NewForm(&Unused);
  QVERIFY(Form);
  const QString File = TestData("pngsuite/basn2c08.png");
  // A file manager's drag carries the file's address as text too.
  const std::unique_ptr<QMimeData> Data = FilesData({File});
  Data->setText(AsFile ? QUrl::fromLocalFile(File).toString() : QStringLiteral("Holiday"));
  if (!AsFile)
    Data->setUrls({});
  const TOpened Before = StateOf(*Form);

  const QPoint At = Form->WatermarkEdit->mapTo(Form.get(), QPoint(20, 10));
  QWidget *Target = DropTargetAt(*Form, At);
  QCOMPARE(Target, Form->WatermarkEdit);
  QVERIFY(Drop(*Target, *Data, QPoint(20, 10)));

  QVERIFY2(FMessages.Shown.isEmpty(), qPrintable(FMessages.Shown.join('\n')));
  const TOpened After = StateOf(*Form);
  QCOMPARE(Form->WatermarkEdit->text(), AsFile ? QString() : QStringLiteral("Holiday"));
  QCOMPARE(After.OpenPath, AsFile ? QFileInfo(File).absolutePath() + '/' : Before.OpenPath);
  QCOMPARE(After.Natural, AsFile ? QSize(32, 32) : Before.Natural);
  QCOMPARE(After.Frame != Before.Frame, true);
}

QTEST_MAIN(TDropFileTest)
#include "tst_dropfile.moc"
