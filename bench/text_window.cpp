// The floor of a Qt widget program that shows any text: the empty window of empty_window
// with one label on it. The label's first paint makes Qt populate its font database and
// load a font engine, which every program with a caption pays and the empty window does not.

#include "firstpaint.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int Argc, char **Argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication Application(Argc, Argv);
  QWidget Window;
  Window.setFixedSize(844, 568);
  QLabel Label(QStringLiteral("Zelvane"), &Window);
  Label.move(16, 16);
  TExitAfterFirstPaint Exit(Window);
  Window.show();
  return Application.exec();
}
