#include "application.h"
#include "errorreport.h"

TZelvaneApplication::TZelvaneApplication(int &Argc, char **Argv) : QApplication(Argc, Argv) {}

bool TZelvaneApplication::notify(QObject *Receiver, QEvent *Event) {
  try {
    return QApplication::notify(Receiver, Event);
  } catch (...) {
    ReportException(std::current_exception());
    return false;
  }
}
