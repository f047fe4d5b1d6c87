#include "application.h"
#include "font.h"
#include "zelvaneform.h"

int main(int Argc, char **Argv) {
  TZelvaneApplication Application(Argc, Argv);
  // The title of the application's messages; the window itself carries the task-bar button.
  Application.setApplicationName(QStringLiteral("Zelvane"));
  Application.setApplicationDisplayName(QString());
  Application.setWindowIcon(QIcon(QStringLiteral(":/icon/zelvane-32.png")));
#ifdef ZELVANE_APP_ID
  Application.setDesktopFileName(QStringLiteral(ZELVANE_APP_ID));
#endif
  Application.setFont(TFont().ToQFont());

  int Result = 0;
  {
    TZelvaneForm ZelvaneForm;
    ZelvaneForm.show();
    Result = Application.exec();
  }
  return Result;
}
