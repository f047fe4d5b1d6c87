#pragma once

#include <QString>

class QWidget;

// The message box of the error report, behind a seam so tests can read what would be shown.
class TMessageSeam {
public:
  virtual ~TMessageSeam() = default;
  // A modal box with an error icon and an OK button.
  virtual void ShowError(const QString &Caption, const QString &Text) = 0;
};

// The desktop shell: opens an address in the user's browser. Failures are not reported.
class TShellSeam {
public:
  virtual ~TShellSeam() = default;
  virtual void Open(const QString &Address) = 0;
};

// The seams in force: the real ones unless a test installed others (not owned).
TMessageSeam &MessageSeam();
void SetMessageSeam(TMessageSeam *Seam);
TShellSeam &ShellSeam();
void SetShellSeam(TShellSeam *Seam);
