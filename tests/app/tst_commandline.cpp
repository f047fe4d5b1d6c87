// The command line: the real program answers --help and --version and refuses bad arguments
// with no display to open a window on; a picture named on the command line shows in the frame
// once the window is shown, or goes to the error report as Open Image's failures do.
#include "app/application.h"
#include "app/commandline.h"
#include "formtesting.h"
#include "picture/image.h"

#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TCommandLineTest : public QObject, protected TWindowTestSeams {
  Q_OBJECT
private slots:
  void initTestCase();
  void init();
  void AnswersWithoutDisplay_data();
  void AnswersWithoutDisplay();
  void PictureOpensOnceShown_data();
  void PictureOpensOnceShown();
};

void TCommandLineTest::initTestCase() {
  QVERIFY(InstallSeams());
}

void TCommandLineTest::init() {
  ResetSeams();
}

void TCommandLineTest::AnswersWithoutDisplay_data() {
  QTest::addColumn<QStringList>("Arguments");
  QTest::addColumn<int>("ExitCode");
  // Texts each stream must hold; an empty list: the stream stays empty.
  QTest::addColumn<QStringList>("Out");
  QTest::addColumn<QStringList>("Err");
  const QStringList Usage{"Usage:", "[options] [file]", "-h, --help", "-v, --version"};
  const QStringList Version{QStringLiteral("Zelvane " ZELVANE_VERSION "\n")};
  QTest::addRow("--help") << QStringList{"--help"} << 0 << Usage << QStringList();
  QTest::addRow("--version") << QStringList{"--version"} << 0 << Version << QStringList();
  QTest::addRow("unknown option")
      << QStringList{"--fit"} << 2 << QStringList()
      << QStringList{"Unknown option 'fit'", "Usage: zelvane [options] [file]"};
  QTest::addRow("two pictures") << QStringList{"a.jpg", "b.jpg"} << 2 << QStringList()
                                << QStringList{"one picture", "Usage: zelvane"};
}

void TCommandLineTest::AnswersWithoutDisplay() {
  QFETCH(QStringList, Arguments);
  QFETCH(int, ExitCode);
  QFETCH(QStringList, Out);
  QFETCH(QStringList, Err);
  // A platform that needs a display, and none: a program that made its window would abort.
  QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
  Environment.remove(QStringLiteral("DISPLAY"));
  Environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
  Environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  QProcess Program;
  Program.setProcessEnvironment(Environment);
  Program.start(QStringLiteral(ZELVANE_PROGRAM), Arguments);
  QVERIFY(Program.waitForFinished(60000));
  const QString Stdout = QString::fromLocal8Bit(Program.readAllStandardOutput());
  const QString Stderr = QString::fromLocal8Bit(Program.readAllStandardError());
  QCOMPARE(Program.exitStatus(), QProcess::NormalExit);
  QVERIFY2(Program.exitCode() == ExitCode, qPrintable(Stdout + Stderr));
  for (const auto &[Stream, Expected] : {std::pair{Stdout, Out}, std::pair{Stderr, Err}}) {
    QVERIFY2(Stream.isEmpty() == Expected.isEmpty(), qPrintable(Stream));
    for (const QString &Text : Expected)
      QVERIFY2(Stream.contains(Text), qPrintable(Stream));
  }
}

void TCommandLineTest::PictureOpensOnceShown_data() {
  QTest::addColumn<QString>("Argument");
  // Empty: the picture opens; otherwise the report's text, %DIR% standing for the folder.
  QTest::addColumn<QString>("Message");
  QTest::addRow("full name") << "%DIR%/named.png" << "";
  QTest::addRow("name in the working folder") << "named.png" << "";
  QTest::addRow("missing file")
      << "absent.png" << "Cannot open file \"%DIR%/absent.png\". No such file or directory.";
}

void TCommandLineTest::PictureOpensOnceShown() {
  QFETCH(QString, Argument);
  QFETCH(QString, Message);
  const QString Folder = QDir(FDir.path()).canonicalPath();
  // Every pixel tells where it is.
  QImage Picture(100, 60, QImage::Format_RGB32);
  for (int Y = 0; Y < 60; ++Y)
    for (int X = 0; X < 100; ++X)
      Picture.setPixel(X, Y, qRgb(X * 2, Y * 4, 90));
  QVERIFY(QImageWriter(Folder + "/named.png", "png").write(Picture));
  QVERIFY(QDir::setCurrent(Folder));

  const TCommandLine Line =
      ParseCommandLine({QStringLiteral("zelvane"), QString(Argument).replace("%DIR%", Folder)});
  QCOMPARE(Line.Action, TCommandLine::TAction::Run);
  TZelvaneForm Form;
  const QImage Before = RenderFrame(*Form.Panel);
  Form.OpenWhenShown(Line.FileName);
  // Nothing is read before the window shows.
  QCOMPARE(Form.Image->BoundsRect(), QRect(0, 0, 480, 272));
  Form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&Form));

  if (!Message.isEmpty()) {
    QTRY_COMPARE(FMessages.Shown, QStringList{QString(Message).replace("%DIR%", Folder)});
    QCOMPARE(RenderFrame(*Form.Panel), Before);
    QVERIFY(Form.FOpenPath.isEmpty());
    return;
  }
  QTRY_COMPARE(Form.Image->BoundsRect(), QRect(0, 0, 100, 60));
  QVERIFY2(FMessages.Shown.isEmpty(), qPrintable(FMessages.Shown.join('\n')));
  // The picture unscaled at the frame's corner, the frame's white beyond it.
  const QImage Frame = RenderFrame(*Form.Panel);
  for (int Y = 0; Y < 272; ++Y)
    for (int X = 0; X < 480; ++X) {
      const QRgb Expected = X < 100 && Y < 60 ? Picture.pixel(X, Y) : qRgb(255, 255, 255);
      if (Frame.pixel(X, Y) != Expected)
        QFAIL(qPrintable(QStringLiteral("pixel %1, %2").arg(X).arg(Y)));
    }
  // As after Open Image: the next open starts in the picture's folder.
  QCOMPARE(Form.FOpenPath, Folder + u'/');
  QCOMPARE(QSize(Form.FPictureWidth, Form.FPictureHeight), QSize(100, 60));
}

int main(int Argc, char **Argv) {
  TZelvaneApplication Application(Argc, Argv);
  Application.setApplicationName(QStringLiteral("Zelvane"));
  TCommandLineTest Test;
  return QTest::qExec(&Test, Argc, Argv);
}

#include "tst_commandline.moc"
