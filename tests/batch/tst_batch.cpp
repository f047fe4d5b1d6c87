// zelvane-batch as a user runs it: its wallpapers are byte for byte the files the window's
// Save Wallpaper writes after the same steps (the window driven through its own controls,
// dialogs and choosers answered by the test); refused options write nothing; a picture that
// cannot be opened is reported with the window's message while the others are written; two
// inputs of one name give two files; an existing file is kept unless --overwrite is given.
#include "app/application.h"
#include "support/distinct.h"
#include "support/filebytes.h"
#include "support/jpegfacts.h"
#include "support/testdata.h"
#include "support/windowtestseams.h"
#include "picture/codecs/jpegcodec.h"
#include "watermark/watermarklabel.h"

#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

namespace {

QImage Solid(const QColor &Colour) {
  QImage Image(64, 48, QImage::Format_RGB32);
  Image.fill(Colour);
  return Image;
}

struct TRun {
  int ExitCode = -1;
  QString Out;
  QString Err;
};

TRun RunBatch(const QStringList &Arguments,
              const QProcessEnvironment &Environment = QProcessEnvironment::systemEnvironment()) {
  QProcess Process;
  Process.setProcessEnvironment(Environment);
  Process.start(QStringLiteral(ZELVANE_BATCH), Arguments);
  TRun Run;
  if (!Process.waitForFinished(120000) || Process.exitStatus() != QProcess::NormalExit)
    return Run;
  Run.ExitCode = Process.exitCode();
  Run.Out = QString::fromLocal8Bit(Process.readAllStandardOutput());
  Run.Err = QString::fromLocal8Bit(Process.readAllStandardError());
  return Run;
}

// The wallpaper's colour in its middle, decoded.
QRgb MiddleOf(const QString &FileName) {
  const QImage Image = DecodeJpeg(ReadBytes(FileName));
  return Image.size() == QSize(480, 272) ? Image.pixel(240, 136) : 0;
}

bool Near(QRgb A, QRgb B) {
  return std::abs(qRed(A) - qRed(B)) <= 8 && std::abs(qGreen(A) - qGreen(B)) <= 8 &&
         std::abs(qBlue(A) - qBlue(B)) <= 8;
}

enum TMode { None = 0, Stretch = 1, MaxWidth = 2, MaxHeight = 3 };
const char *const ModeNames[] = {"none", "stretch", "maxwidth", "maxheight"};

} // namespace

class TBatchTest : public QObject, protected TWindowTestSeams {
  Q_OBJECT
private slots:
  void initTestCase();
  void init();
  void cleanup();
  void SameFileAsTheWindow_data();
  void SameFileAsTheWindow();
  void RefusedOptionWritesNothing_data();
  void RefusedOptionWritesNothing();
  void HelpAndVersionNeedNoDisplay();
  void WaylandSessionWithoutCompositor();
  void BadFileAmongGood();
  void SameNameTwice();
  void ExistingFileKept();

private:
  QString Out() const { return FDir.filePath(QStringLiteral("out")); }
  bool Open(const QString &FileName);
  bool Click(QAbstractButton *Button);
};

void TBatchTest::initTestCase() {
  QVERIFY(InstallSeams());
  QVERIFY(QImageWriter(FDir.filePath("distinct.png"), "png").write(Distinct(700, 500)));
}

void TBatchTest::init() {
  ResetSeams();
  QVERIFY(QDir(Out()).removeRecursively());
  QVERIFY(QDir().mkpath(Out()));
  QVERIFY(ShowAnsweredForm());
}

void TBatchTest::cleanup() { FForm.reset(); }

bool TBatchTest::Open(const QString &FileName) {
  const qsizetype Reported = FMessages.Shown.size();
  FOpen->Answer = FileName;
  return Click(FForm->OpenSpeedButton) && FMessages.Shown.size() == Reported;
}

bool TBatchTest::Click(QAbstractButton *Button) {
  const qsizetype Reported = FMessages.Shown.size();
  QTest::mouseClick(Button, Qt::LeftButton, {}, QPoint(8, Button->height() / 2));
  return FMessages.Shown.size() == Reported;
}

void TBatchTest::SameFileAsTheWindow_data() {
  QTest::addColumn<QString>("Picture"); // under the test data, or the test's own
  QTest::addColumn<int>("Mode");
  QTest::addColumn<int>("Zoom");
  QTest::addColumn<QString>("Turn");   // "", "left", "right"
  QTest::addColumn<QString>("Mirror"); // "", "top", "left"
  QTest::addColumn<QString>("Watermark");
  QTest::addColumn<QString>("Face"); // "" keeps the start font
  QTest::addColumn<int>("Points");
  QTest::addColumn<QColor>("Colour"); // invalid keeps the start colour
  QTest::addColumn<int>("Quality");
  QTest::addColumn<bool>("Smooth");
  const QString Flower = TestData("jpeg/pillow/flower.jpg");
  const QString Small = TestData("jpeg/libjpeg-turbo/testorig.jpg");
  const QString Alpha = TestData("pngsuite/basn6a08.png");
  const QString Own = FDir.filePath("distinct.png");
  QTest::addRow("maxwidth") << Flower << int(MaxWidth) << 10 << ""
                            << ""
                            << ""
                            << "" << 0 << QColor() << 100 << false;
  QTest::addRow("maxheight, zoom 7, quality 80") << Own << int(MaxHeight) << 7 << ""
                                                 << ""
                                                 << ""
                                                 << "" << 0 << QColor() << 80 << false;
  QTest::addRow("stretch, watermark in the start font") << Small << int(Stretch) << 10 << ""
                                                        << ""
                                                        << "  Zelvane & Co  "
                                                        << "" << 0 << QColor() << 90 << false;
  QTest::addRow("none, zoom 4") << Own << int(None) << 4 << ""
                                << ""
                                << ""
                                << "" << 0 << QColor() << 100 << false;
  QTest::addRow("left turn") << Flower << int(None) << 10 << "left"
                             << ""
                             << ""
                             << "" << 0 << QColor() << 100 << false;
  QTest::addRow("stretch, top mirror, watermark font and colour")
      << Alpha << int(Stretch) << 10 << ""
      << "top"
      << "Sa&mple"
      << "DejaVu Serif" << 14 << QColor(0x20, 0x40, 0xe0) << 70 << false;
  // Shrunk to a third of the frame's height: drawn from the first reduced level.
  QTest::addRow("maxheight, zoom 3, smooth") << Own << int(MaxHeight) << 3 << ""
                                             << ""
                                             << ""
                                             << "" << 0 << QColor() << 90 << true;
  // The turn gives the box the picture's own size: fit and zoom before it do not show.
  QTest::addRow("maxwidth, zoom 3, right turn, left mirror, quality 50")
      << Flower << int(MaxWidth) << 3 << "right"
      << "left"
      << "x"
      << "" << 0 << QColor(250, 250, 0) << 50 << false;
}

void TBatchTest::SameFileAsTheWindow() {
  QFETCH(QString, Picture);
  QFETCH(int, Mode);
  QFETCH(int, Zoom);
  QFETCH(QString, Turn);
  QFETCH(QString, Mirror);
  QFETCH(QString, Watermark);
  QFETCH(QString, Face);
  QFETCH(int, Points);
  QFETCH(QColor, Colour);
  QFETCH(int, Quality);
  QFETCH(bool, Smooth);

  // The window, through its controls. "None" is selected at start.
  if (Smooth)
    QVERIFY(Click(FForm->SmoothCheckBox));
  QVERIFY(Open(Picture));
  if (Mode != None)
    QVERIFY(Click(FForm->StretchRadioGroup->Button(Mode)));
  FForm->ZoomTrackBar->SetPosition(Zoom);
  if (!Turn.isEmpty())
    QVERIFY(Click(Turn == "left" ? FForm->LeftRotateSpeedButton : FForm->RightRotateSpeedButton));
  if (!Mirror.isEmpty())
    QVERIFY(Click(Mirror == "top" ? FForm->TopSpeedButton : FForm->LeftSpeedButton));
  QTest::keyClicks(FForm->WatermarkEdit, Watermark);
  if (!Face.isEmpty()) {
    // What the chooser hands back for a face and a size: the colour stays.
    FFonts->Choice = FForm->WatermarkLabel->Font();
    FFonts->Choice.Name = Face;
    FFonts->Choice.SetSize(Points);
    QVERIFY(Click(FForm->FontSpeedButton));
  }
  if (Colour.isValid()) {
    FColors->Choice = FromQColor(Colour);
    QVERIFY(Click(FForm->ColorSpeedButton));
  }
  FForm->QualityTrackBar->SetPosition(Quality / 10);
  const QString Saved = FDir.filePath("window.jpg");
  FSave->Answer = Saved;
  QVERIFY(Click(FForm->SaveSpeedButton));
  QVERIFY2(FMessages.Shown.isEmpty(), qPrintable(FMessages.Shown.join('\n')));

  // The batch, with the same steps spelt as options.
  QStringList Arguments{"--fit",     ModeNames[Mode],          "--zoom", QString::number(Zoom),
                        "--quality", QString::number(Quality), "-o",     Out()};
  if (!Turn.isEmpty())
    Arguments << "--turn" << Turn;
  if (!Mirror.isEmpty())
    Arguments << "--mirror" << Mirror;
  if (!Watermark.isEmpty())
    Arguments << "--watermark" << Watermark;
  if (!Face.isEmpty())
    Arguments << "--font" << QStringLiteral("%1,%2").arg(Face).arg(Points);
  if (Colour.isValid())
    Arguments << "--color" << Colour.name();
  if (Smooth)
    Arguments << "--smooth";
  const TRun Run = RunBatch(Arguments << Picture);
  QCOMPARE(Run.ExitCode, 0);
  // Quiet when standard error is no terminal.
  QCOMPARE(Run.Err, QString());
  const QString Name = QFileInfo(Picture).completeBaseName() + ".jpg";
  QCOMPARE(FilesIn(Out()), QStringList{Name});

  const QByteArray Window = ReadBytes(Saved);
  QVERIFY(Window.startsWith("\xFF\xD8"));
  QVERIFY(ReadBytes(QDir(Out()).filePath(Name)) == Window);
}

void TBatchTest::RefusedOptionWritesNothing_data() {
  QTest::addColumn<QStringList>("Arguments");
  const QStringList Good{"-o", Out(), FDir.filePath("distinct.png")};
  QTest::addRow("quality between steps") << (QStringList{"--quality", "55"} << Good);
  QTest::addRow("quality below 50") << (QStringList{"--quality", "40"} << Good);
  QTest::addRow("quality above 100") << (QStringList{"--quality", "110"} << Good);
  QTest::addRow("zoom 0") << (QStringList{"--zoom", "0"} << Good);
  QTest::addRow("zoom 11") << (QStringList{"--zoom", "11"} << Good);
  QTest::addRow("fit mode") << (QStringList{"--fit", "wide"} << Good);
  QTest::addRow("turn") << (QStringList{"--turn", "up"} << Good);
  QTest::addRow("mirror") << (QStringList{"--mirror", "right"} << Good);
  QTest::addRow("colour name") << (QStringList{"--color", "red"} << Good);
  QTest::addRow("short colour") << (QStringList{"--color", "#12345"} << Good);
  QTest::addRow("font without face") << (QStringList{"--font", ",12"} << Good);
  QTest::addRow("font size 0") << (QStringList{"--font", "DejaVu Sans,0"} << Good);
  QTest::addRow("jobs 0") << (QStringList{"--jobs", "0"} << Good);
  QTest::addRow("unknown option") << (QStringList{"--sharpen"} << Good);
  QTest::addRow("value missing") << (QStringList(Good) << "--zoom");
  QTest::addRow("output folder missing")
      << QStringList{"-o", FDir.filePath("no-such-folder"), FDir.filePath("distinct.png")};
  QTest::addRow("no output folder") << QStringList{FDir.filePath("distinct.png")};
  QTest::addRow("no picture") << QStringList{"-o", Out()};
}

void TBatchTest::RefusedOptionWritesNothing() {
  QFETCH(QStringList, Arguments);
  const TRun Run = RunBatch(Arguments);
  QCOMPARE(Run.ExitCode, 2);
  QVERIFY2(Run.Err.startsWith("zelvane-batch: ") && Run.Err.contains("--help"),
           qPrintable(Run.Err));
  QCOMPARE(Run.Err.count(u'\n'), 2);
  QCOMPARE(FilesIn(Out()), QStringList());
}

void TBatchTest::HelpAndVersionNeedNoDisplay() {
  // A platform that does not exist: a program that made its application object would stop.
  QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
  Environment.insert("QT_QPA_PLATFORM", "no-such-platform");
  const TRun Help = RunBatch({"--help"}, Environment);
  QCOMPARE(Help.ExitCode, 0);
  QVERIFY(Help.Out.startsWith("Usage: zelvane-batch [OPTION]... --output FOLDER FILE...\n"));
  for (const char *Option : {"--fit", "--zoom", "--turn", "--mirror", "--quality", "--watermark",
                             "--font", "--color", "--jobs", "--output", "--overwrite"})
    QVERIFY2(Help.Out.contains(QLatin1String(Option)), Option);
  const TRun Version = RunBatch({"--version"}, Environment);
  QCOMPARE(Version.ExitCode, 0);
  QCOMPARE(Version.Out, QStringLiteral("zelvane-batch " ZELVANE_VERSION "\n"));
}

void TBatchTest::WaylandSessionWithoutCompositor() {
  // A Wayland session's environment where no compositor answers (ssh, cron): the platform it
  // names would stop a program that used it.
  QProcessEnvironment Wayland = QProcessEnvironment::systemEnvironment();
  Wayland.insert("QT_QPA_PLATFORM", "wayland");
  Wayland.insert("WAYLAND_DISPLAY", FDir.filePath("no-compositor"));
  Wayland.insert("XDG_RUNTIME_DIR", FDir.path());
  Wayland.remove("DISPLAY");
  const QStringList Steps{"--fit", "stretch", "--watermark", "On the road",
                          "--color", "#f0e020", "-o"};
  const QString Picture = FDir.filePath("distinct.png");
  const QString Normal = QDir(Out()).filePath("normal"), Session = QDir(Out()).filePath("session");
  QVERIFY(QDir().mkpath(Normal) && QDir().mkpath(Session));
  const TRun Run = RunBatch(QStringList(Steps) << Session << Picture, Wayland);
  QCOMPARE(Run.ExitCode, 0);
  QCOMPARE(Run.Err, QString());
  QCOMPARE(RunBatch(QStringList(Steps) << Normal << Picture).ExitCode, 0);
  const QByteArray Written = ReadBytes(QDir(Session).filePath("distinct.jpg"));
  QVERIFY(Written.startsWith("\xFF\xD8"));
  QVERIFY(Written == ReadBytes(QDir(Normal).filePath("distinct.jpg")));
}

void TBatchTest::BadFileAmongGood() {
  const QString Red = FDir.filePath("red.png"), Blue = FDir.filePath("blue.png");
  const QString Bad = FDir.filePath("bad.jpg"), Damaged = FDir.filePath("damaged.jpg");
  QVERIFY(QImageWriter(Red, "png").write(Solid(Qt::red)));
  QVERIFY(QImageWriter(Blue, "png").write(Solid(Qt::blue)));
  QVERIFY(WriteBytes(Bad, "not a picture at all"));
  // A valid header and first scan, then a later scan asking for an impossible band: the
  // damage shows only while the pixels are decoded.
  const QByteArray Data =
      WithScanBand(ReadBytes(TestData("jpeg/derived/testorig-progressive.jpg")), 1, 6, 5);
  QVERIFY(!Data.isEmpty());
  QVERIFY(WriteBytes(Damaged, Data));

  // What the window says of them: of the first when it is opened; of the second, which opens,
  // once its frame was painted, and again when it is turned.
  QVERIFY(!Open(Bad));
  QVERIFY(Open(Damaged));
  QTRY_COMPARE(FMessages.Shown.size(), 2);
  QVERIFY(!Click(FForm->LeftRotateSpeedButton));
  QCOMPARE(FMessages.Shown.size(), 3);
  QCOMPARE(FMessages.Shown[2], FMessages.Shown[1]);

  const TRun Run =
      RunBatch({"--fit", "stretch", "--jobs", "2", "-o", Out(), Red, Bad, Damaged, Blue});
  QCOMPARE(Run.ExitCode, 1);
  QStringList Reported = Run.Err.split(u'\n', Qt::SkipEmptyParts);
  Reported.sort();
  QCOMPARE(Reported,
           (QStringList{QStringLiteral("zelvane-batch: %1: %2").arg(Bad, FMessages.Shown[0]),
                        QStringLiteral("zelvane-batch: %1: %2").arg(Damaged, FMessages.Shown[1])}));
  QCOMPARE(FilesIn(Out()), (QStringList{"blue.jpg", "red.jpg"}));
  QVERIFY(Near(MiddleOf(QDir(Out()).filePath("red.jpg")), qRgb(255, 0, 0)));
  QVERIFY(Near(MiddleOf(QDir(Out()).filePath("blue.jpg")), qRgb(0, 0, 255)));
}

void TBatchTest::SameNameTwice() {
  const QString First = FDir.filePath("same.png"), Second = FDir.filePath("same.bmp");
  QVERIFY(QImageWriter(First, "png").write(Solid(Qt::green)));
  QVERIFY(QImageWriter(Second, "bmp").write(Solid(Qt::magenta)));
  const TRun Run = RunBatch({"--fit", "stretch", "-o", Out(), First, Second});
  QCOMPARE(Run.ExitCode, 0);
  QCOMPARE(FilesIn(Out()), (QStringList{"same-2.jpg", "same.jpg"}));
  QVERIFY(Near(MiddleOf(QDir(Out()).filePath("same.jpg")), qRgb(0, 255, 0)));
  QVERIFY(Near(MiddleOf(QDir(Out()).filePath("same-2.jpg")), qRgb(255, 0, 255)));
}

void TBatchTest::ExistingFileKept() {
  const QString Picture = FDir.filePath("kept.png");
  QVERIFY(QImageWriter(Picture, "png").write(Solid(Qt::yellow)));
  const QString Existing = QDir(Out()).filePath("kept.jpg");
  QVERIFY(WriteBytes(Existing, "an earlier wallpaper"));
  const TRun Kept = RunBatch({"--fit", "stretch", "-o", Out(), Picture});
  QCOMPARE(Kept.ExitCode, 1);
  QCOMPARE(Kept.Err, QStringLiteral("zelvane-batch: %1: Cannot create file \"%2\". %3.\n")
                         .arg(Picture, Existing, QString::fromLocal8Bit(std::strerror(EEXIST))));
  QCOMPARE(ReadBytes(Existing), QByteArray("an earlier wallpaper"));
  QCOMPARE(FilesIn(Out()), QStringList{"kept.jpg"});

  const TRun Replaced = RunBatch({"--fit", "stretch", "--overwrite", "-o", Out(), Picture});
  QCOMPARE(Replaced.ExitCode, 0);
  QVERIFY(Near(MiddleOf(Existing), qRgb(255, 255, 0)));
  QCOMPARE(FilesIn(Out()), QStringList{"kept.jpg"});
}

int main(int Argc, char **Argv) {
  TZelvaneApplication Application(Argc, Argv);
  Application.setApplicationName(QStringLiteral("Zelvane"));
  TBatchTest Test;
  return QTest::qExec(&Test, Argc, Argv);
}

#include "tst_batch.moc"
