#include "app/application.h"
#include "app/zelvaneform.h"

int main(int Argc, char **Argv) {
  TZelvaneApplication Application(Argc, Argv);
  Application.SetUpProgram();

  int Result = 0;
  {
    TZelvaneForm ZelvaneForm;
    ZelvaneForm.show();
    Result = Application.exec();
  }
  return Result;
}
