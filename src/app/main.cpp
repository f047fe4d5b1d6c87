#include "app/application.h"
#include "app/commandline.h"
#include "app/zelvaneform.h"

#include <QCoreApplication>

#include <cstdio>
#include <vector>

namespace {

// Reads the arguments with Qt's core object alone, which needs no display, so that --help
// and --version answer anywhere. It is gone again before the window's application is made.
TCommandLine ReadCommandLine(int Argc, char **Argv) {
  // The core object may take arguments of its own out of the list it is given: a copy.
  std::vector<char *> Copy(Argv, Argv + Argc);
  Copy.push_back(nullptr);
  int Count = Argc;
  QCoreApplication Core(Count, Copy.data());
  return ParseCommandLine(QCoreApplication::arguments());
}

} // namespace

int main(int Argc, char **Argv) {
  // Without arguments the program starts at once, as it always has.
  TCommandLine Line;
  if (Argc > 1) {
    Line = ReadCommandLine(Argc, Argv);
    if (Line.Action != TCommandLine::TAction::Run) {
      std::FILE *Stream = Line.Action == TCommandLine::TAction::Fail ? stderr : stdout;
      std::fputs(Line.Text.toLocal8Bit().constData(), Stream);
      return ExitCodeOf(Line);
    }
  }

  TZelvaneApplication Application(Argc, Argv);
  Application.SetUpProgram();

  int Result = 0;
  {
    TZelvaneForm ZelvaneForm;
    if (!Line.FileName.isEmpty())
      ZelvaneForm.OpenWhenShown(Line.FileName);
    ZelvaneForm.show();
    Result = Application.exec();
  }
  return Result;
}
