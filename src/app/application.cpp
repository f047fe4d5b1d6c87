#include "app/application.h"
#include "app/errorreport.h"
#include "platform/font.h"
#include "picture/codecs/pngcodec.h"

#include <QFile>
#include <QIcon>
#include <QPixmap>

#include <exception>

namespace {

// The icon's sizes for title bars and task bars, decoded by our own PNG reader: Qt's image
// reader would first look through its format plugins, which alone costs more start-up time
// than the rest of the icon. An icon that cannot be read is left out.
QIcon ProgramIcon() {
  QIcon Icon;
  for (const char *Name : {":/icon/zelvane-16.png", ":/icon/zelvane-32.png"}) {
    QFile File{QString::fromLatin1(Name)};
    if (!File.open(QIODevice::ReadOnly))
      continue;
    try {
      Icon.addPixmap(QPixmap::fromImage(DecodePng(File.readAll()).Image));
    } catch (const std::exception &) {
    }
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
