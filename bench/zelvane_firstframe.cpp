// Start-up to the first shown frame: the application set up as the program's entry does,
// the main window created and shown (off screen unless QT_QPA_PLATFORM says otherwise), and
// the process ended as soon as the window's first paint is done. Compared with
// empty_window, which does the same with an empty widget.

#include "application.h"
#include "firstpaint.h"
#include "font.h"
#include "zelvaneform.h"

#include <QDir>
#include <QFile>
#include <QIcon>

int main(int Argc, char **Argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  TZelvaneApplication Application(Argc, Argv);
  Application.setApplicationName(QStringLiteral("Zelvane"));
  Application.setApplicationDisplayName(QString());
  Application.setWindowIcon(QIcon(QStringLiteral(":/icon/zelvane-32.png")));
  Application.setFont(TFont().ToQFont());

  TZelvaneForm::SetSettingsFileName(QDir::temp().filePath(
      QStringLiteral("zelvane-firstframe-%1.ini").arg(QCoreApplication::applicationPid())));
  int Result = 0;
  {
    TZelvaneForm ZelvaneForm;
    TQuitAfterFirstPaint Quit(ZelvaneForm);
    ZelvaneForm.show();
    Result = Application.exec();
  }
  QFile::remove(TZelvaneForm::SettingsFileName());
  return Result;
}
