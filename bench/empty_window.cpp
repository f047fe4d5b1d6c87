// The floor of any Qt widget program: an empty window of the main window's size, shown
// (off screen unless QT_QPA_PLATFORM says otherwise), and the process ended as soon as its
// first paint is done.

#include "firstpaint.h"

#include <QApplication>
#include <QWidget>

int main(int Argc, char **Argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication Application(Argc, Argv);
  QWidget Window;
  Window.setFixedSize(844, 568);
  TExitAfterFirstPaint Exit(Window);
  Window.show();
  return Application.exec();
}
