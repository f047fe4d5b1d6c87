#pragma once

#include <QApplication>

// The application object. Any exception that escapes event delivery ends up here and is
// shown as the error report; the program goes on.
class TZelvaneApplication : public QApplication {
public:
  TZelvaneApplication(int &Argc, char **Argv);
  // The program's identity, as its entry sets it up before the window is made: the name
  // (the title of its messages), no display name, the window icon, the desktop entry's id
  // and the start font.
  void SetUpProgram();
  bool notify(QObject *Receiver, QEvent *Event) override;
};
