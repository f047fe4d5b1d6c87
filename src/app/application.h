#pragma once

#include <QApplication>

// The application object. Any exception that escapes event delivery ends up here and is
// shown as the error report; the program goes on.
class TZelvaneApplication : public QApplication {
public:
  TZelvaneApplication(int &Argc, char **Argv);
  bool notify(QObject *Receiver, QEvent *Event) override;
};
