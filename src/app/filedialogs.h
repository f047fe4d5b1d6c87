#pragma once

#include <QString>

class QWidget;

// The window's open and save dialogs. Filters use the pipe form "Description|Pattern|...".
// Tests replace Run() to answer without a person; the real one shows a modal file dialog.
class TFileDialog {
public:
  enum class TKind { Open, Save };

  TFileDialog(QWidget *Owner, TKind Kind) : FOwner(Owner), FKind(Kind) {}
  virtual ~TFileDialog() = default;

  QString Filter;
  int FilterIndex = 1;
  QString InitialDir;
  // In: the name proposed; out: the full name chosen.
  QString FileName;
  // Added to a typed name that has no extension.
  QString DefaultExt;

  // Runs the dialog; true when the user confirmed a file name. The name and the filter line
  // chosen are kept for the next run.
  bool Execute();

  TKind Kind() const { return FKind; }

protected:
  virtual bool Run();

private:
  QWidget *FOwner;
  TKind FKind;
};

// The Qt name filters for a pipe-form filter; each shows its description exactly.
QStringList NameFiltersOf(const QString &Filter);

// The folder the dialog starts in: one trailing separator dropped, except at a root.
QString DialogInitialDir(const QString &Folder);
