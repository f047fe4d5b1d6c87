#pragma once

#include <QString>
#include <QStringList>

// What the program was asked to do on its command line:
//
//   zelvane                 start as always
//   zelvane FILE            start, then open FILE as Open Image would
//   zelvane -h | --help     print the usage to standard output, exit 0
//   zelvane -v | --version  print the name and version to standard output, exit 0
//   anything else           a short usage to standard error, exit 2
//
// Qt's own options (-platform, -style, -display, ...) are accepted and left to the
// application object, which reads them from the same arguments.
struct TCommandLine {
  enum class TAction { Run, Help, Version, Fail };
  TAction Action = TAction::Run;
  // With Run: the picture to open, made absolute against the working folder; empty for none.
  QString FileName;
  // With Help and Version: the text for standard output; with Fail: the text for standard
  // error. Each ends in a line break.
  QString Text;
};

// Arguments as the program got them, the program's own name first.
TCommandLine ParseCommandLine(const QStringList &Arguments);

// The exit code for an action that ends the program before any window: 0 for Help and
// Version, 2 for Fail.
int ExitCodeOf(const TCommandLine &Line);
