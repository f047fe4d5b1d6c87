// Start-up to the first shown frame: the application set up as the program's entry does,
// the main window created and shown (off screen unless QT_QPA_PLATFORM says otherwise), and
// the process ended as soon as the window's first paint is done. Compared with
// empty_window, which does the same with an empty widget.

#include "app/application.h"
#include "firstpaint.h"
#include "app/zelvaneform.h"

#include <QDir>

int main(int Argc, char **Argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  TZelvaneApplication Application(Argc, Argv);
  Application.SetUpProgram();

  // Read at start (a missing file gives the defaults); only closing would write it, and
  // the process ends before that.
  TZelvaneForm::SetSettingsFileName(QDir::temp().filePath(
      QStringLiteral("zelvane-firstframe-%1.ini").arg(QCoreApplication::applicationPid())));
  TZelvaneForm ZelvaneForm;
  TExitAfterFirstPaint Exit(ZelvaneForm);
  ZelvaneForm.show();
  return Application.exec();
}
