// The road of one wallpaper as one process: the real main window, off screen, opens a file,
// chooses a fit mode, and saves the wallpaper at a quality; its dialogs answer at once.
//
//   zelvane_road IN MODE QUALITY OUT [--phases] [--smooth]
//     MODE      None, Stretch, MaxWidth or MaxHeight (the radio group's items)
//     QUALITY   50, 60, ... 100 (the quality slider's position x 10)
//     --phases  prints the processor time of each step on standard error
//     --smooth  checks the Smooth box first
//
// The application is set up as the program's entry sets it up; the settings go to a file
// of their own in the temporary folder, removed at the end. Exit code 0 when the wallpaper
// was written, 1 when the window reported an error (printed on standard error), 2 for a
// wrong command line.

#include "app/application.h"
#include "benchform.h"
#include "app/errorreport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#include <sys/resource.h>

namespace {

// Processor time of the process so far, user and system, in milliseconds.
double ProcessorMs() {
  rusage Usage{};
  getrusage(RUSAGE_SELF, &Usage);
  return (Usage.ru_utime.tv_sec + Usage.ru_stime.tv_sec) * 1e3 +
         (Usage.ru_utime.tv_usec + Usage.ru_stime.tv_usec) / 1e3;
}

class TPhases {
public:
  explicit TPhases(bool Shown) : FShown(Shown), FLast(ProcessorMs()) {}
  void Done(const char *Step) {
    const double Now = ProcessorMs();
    if (FShown)
      std::fprintf(stderr, "%-28s %7.1f ms\n", Step, Now - FLast);
    FLast = Now;
  }

private:
  bool FShown;
  double FLast;
};

} // namespace

int main(int Argc, char **Argv) {
  bool Phases = false, Smooth = false, Known = Argc >= 5;
  for (int I = 5; I < Argc; ++I) {
    const QByteArray Option(Argv[I]);
    Phases = Phases || Option == "--phases";
    Smooth = Smooth || Option == "--smooth";
    Known = Known && (Option == "--phases" || Option == "--smooth");
  }
  if (!Known) {
    std::fprintf(stderr,
                 "usage: %s IN None|Stretch|MaxWidth|MaxHeight QUALITY OUT [--phases] [--smooth]\n",
                 Argv[0]);
    return 2;
  }
  TPhases Phase(Phases);
  if (Phases)
    std::fprintf(stderr, "%-28s %7.1f ms\n", "process start to main", ProcessorMs());
  const QStringList Modes = {QStringLiteral("None"), QStringLiteral("Stretch"),
                             QStringLiteral("MaxWidth"), QStringLiteral("MaxHeight")};
  const int Mode = static_cast<int>(Modes.indexOf(QString::fromLocal8Bit(Argv[2])));
  const int Quality = QByteArray(Argv[3]).toInt();
  if (Mode < 0 || Quality < 50 || Quality > 100 || Quality % 10 != 0) {
    std::fprintf(stderr, "%s: bad fit mode or quality\n", Argv[0]);
    return 2;
  }
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");

  int QtArgc = 1;
  TZelvaneApplication Application(QtArgc, Argv);
  Application.SetUpProgram();
  Phase.Done("application");

  TZelvaneForm::SetSettingsFileName(QDir::temp().filePath(
      QStringLiteral("zelvane-road-%1.ini").arg(QCoreApplication::applicationPid())));
  TPrintedErrors Errors;
  SetMessageSeam(&Errors);
  {
    TZelvaneForm Form;
    const TAnsweredDialogs Dialogs = AnswerDialogs(Form);
    Phase.Done("window created");
    Form.show();
    Phase.Done("window shown");
    Form.SmoothCheckBox->setChecked(Smooth);
    // Full names, as the dialogs give them.
    Dialogs.Open->Answer = QFileInfo(QString::fromLocal8Bit(Argv[1])).absoluteFilePath();
    RunHandler([&] { Form.OpenSpeedButtonClick(Form.OpenSpeedButton); });
    Phase.Done("Open Image");
    Form.StretchRadioGroup->SetItemIndex(Mode);
    Form.QualityTrackBar->SetPosition(Quality / 10);
    Phase.Done("fit mode and quality");
    Dialogs.Save->Answer = QFileInfo(QString::fromLocal8Bit(Argv[4])).absoluteFilePath();
    RunHandler([&] { Form.SaveSpeedButtonClick(Form.SaveSpeedButton); });
    Phase.Done("Save Wallpaper (first paint)");
  }
  Phase.Done("window closed");
  QFile::remove(TZelvaneForm::SettingsFileName());
  return Errors.Count == 0 ? 0 : 1;
}
