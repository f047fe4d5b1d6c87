#include "app/application.h"
#include "app/errorreport.h"
#include "platform/font.h"

#include <QIcon>

#include <exception>

namespace {

// The icon's sizes for title bars and task bars. Qt's image reader looks through its format
// plugins before the first picture it reads, about 2 ms of start-up. A size that cannot be
// read is left out.
QIcon ProgramIcon() {
  QIcon Icon;
  Icon.addFile(QStringLiteral(":/icon/zelvane-16.png"));
  Icon.addFile(QStringLiteral(":/icon/zelvane-32.png"));
  return Icon;
}

} // namespace

TZelvaneApplication::TZelvaneApplication(int &Argc, char **Argv) : QApplication(Argc, Argv) {}

void TZelvaneApplication::SetUpProgram() {
  setApplicationName(QStringLiteral("Zelvane"));
#ifdef ZELVANE_VERSION
  setApplicationVersion(QStringLiteral(ZELVANE_VERSION));
#endif
  setApplicationDisplayName(QString());
  setWindowIcon(ProgramIcon());
#ifdef ZELVANE_APP_ID
  setDesktopFileName(QStringLiteral(ZELVANE_APP_ID));
#endif
  setFont(TFont().ToQFont());
}

bool TZelvaneApplication::notify(QObject *Receiver, QEvent *Event) {
  try {
    return QApplication::notify(Receiver, Event);
  } catch (...) {
    ReportException(std::current_exception());
    return false;
  }
}
