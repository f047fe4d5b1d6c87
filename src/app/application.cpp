#include "app/application.h"
#include "app/errorreport.h"
#include "app/resourceimage.h"
#include "platform/font.h"

#include <QIcon>
#include <QPixmap>

#include <exception>

namespace {

// The icon's sizes for title bars and task bars, read without a look through Qt's image format
// plugins (resourceimage.h). A size that cannot be read is left out.
QIcon ProgramIcon() {
  QIcon Icon;
  for (const QString &Name : {QStringLiteral(":/icon/zelvane-16.png"),
                              QStringLiteral(":/icon/zelvane-32.png")}) {
    const QImage Size = ResourceImage(Name, "png");
    if (!Size.isNull())
      Icon.addPixmap(QPixmap::fromImage(Size));
  }
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
