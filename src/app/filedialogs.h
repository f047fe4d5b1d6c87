#pragma once

#include <QString>

#include <memory>

class QFileDialog;
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

  // Whether the dialog may close on Name, the full name it would return: a save dialog asks
  // first (ConfirmReplace, over Dialog) when Name is an existing file; "No" keeps it open.
  bool MayChoose(QWidget *Dialog, const QString &Name);

protected:
  virtual bool Run();
  // The platform's question before an existing file is replaced; true to replace it.
  virtual bool ConfirmReplace(QWidget *Dialog, const QString &Name);

  // The Qt dialog Run shows, set up from the fields above and not yet shown. Its name field
  // holds FileName so that confirming it as it stands names that very file: the bare name
  // where the dialog shows the file's folder, else the full name (also for a folder that is
  // gone). Accepting it runs MayChoose.
  std::unique_ptr<QFileDialog> CreateDialog();
  // Takes the name and the filter line of a confirmed dialog into FileName and FilterIndex.
  void TakeChoice(const QFileDialog &Dialog);

private:
  QWidget *FOwner;
  TKind FKind;
};

// The Qt name filters for a pipe-form filter; each shows its description exactly.
QStringList NameFiltersOf(const QString &Filter);

// The folder the dialog starts in: one trailing "/" dropped, except from the root "/".
QString DialogInitialDir(const QString &Folder);
