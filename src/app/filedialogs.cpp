#include "app/filedialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

QStringList NameFiltersOf(const QString &Filter) {
  const QStringList Parts = Filter.split(u'|');
  QStringList Result;
  for (int I = 0; I + 1 < Parts.size(); I += 2) {
    // The dialog takes its patterns from the last parenthesis and, with filter details
    // hidden, shows what stands before it: so the description is shown exactly.
    QString Patterns = Parts[I + 1];
    Patterns.replace(u';', u' ');
    Result << QStringLiteral("%1 (%2)").arg(Parts[I], Patterns);
  }
  return Result;
}

QString DialogInitialDir(const QString &Folder) {
  // Only "/" separates folders: a trailing "\" belongs to the folder's name.
  if (Folder.size() > 1 && Folder.endsWith(u'/'))
    return Folder.left(Folder.size() - 1);
  return Folder;
}

namespace {

// Qt's dialog, asking through its owner before it closes on a name.
class TQtFileDialog final : public QFileDialog {
public:
  TQtFileDialog(QWidget *Parent, TFileDialog &Owner) : QFileDialog(Parent), FOwner(Owner) {}

  void accept() override {
    // Every way of confirming (the button, Return, a double click on a file) comes here,
    // with the name the dialog would return: the default extension already added.
    const QStringList Files = selectedFiles();
    if (!Files.isEmpty() && !FOwner.MayChoose(this, Files.constFirst()))
      return;
    QFileDialog::accept();
  }

private:
  TFileDialog &FOwner;
};

// Puts FileName into the dialog's name field as a name that, confirmed as it stands, is
// that file. Qt's selectFile would move the dialog to the file's folder, or show the bare
// name in whatever folder it shows when the file's folder is gone.
void ProposeName(QFileDialog &Dialog, const QString &FileName) {
  const QFileInfo Info(FileName);
  const QString Folder = Info.absoluteDir().canonicalPath();
  auto *Field = Dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
  if (!Field || (!Folder.isEmpty() && Folder == Dialog.directory().canonicalPath()))
    Dialog.selectFile(Info.fileName());
  else
    Field->setText(QDir::toNativeSeparators(Info.absoluteFilePath()));
}

} // namespace

bool TFileDialog::Execute() { return Run(); }

bool TFileDialog::MayChoose(QWidget *Dialog, const QString &Name) {
  const QFileInfo Info(Name);
  // A folder's name opens the folder in the dialog; that is the dialog's business.
  if (FKind != TKind::Save || !Info.exists() || Info.isDir())
    return true;
  return ConfirmReplace(Dialog, Info.absoluteFilePath());
}

bool TFileDialog::ConfirmReplace(QWidget *Dialog, const QString &Name) {
  // Qt's own question (and translation) for a save dialog that confirms overwriting.
  const QString Text = QFileDialog::tr("%1 already exists.\nDo you want to replace it?")
                           .arg(QFileInfo(Name).fileName());
  return QMessageBox::warning(Dialog, Dialog ? Dialog->windowTitle() : QString(), Text,
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) == QMessageBox::Yes;
}

std::unique_ptr<QFileDialog> TFileDialog::CreateDialog() {
  auto Dialog = std::make_unique<TQtFileDialog>(FOwner, *this);
  Dialog->setOption(QFileDialog::DontUseNativeDialog);
  Dialog->setOption(QFileDialog::HideNameFilterDetails);
  // The question before replacing a file is asked in accept(), through MayChoose.
  Dialog->setOption(QFileDialog::DontConfirmOverwrite);
  Dialog->setAcceptMode(FKind == TKind::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  // Any name may be typed; whether the file exists is for the caller to find out.
  Dialog->setFileMode(QFileDialog::AnyFile);
  Dialog->setSizeGripEnabled(true);
  const QStringList Filters = NameFiltersOf(Filter);
  Dialog->setNameFilters(Filters);
  if (FilterIndex >= 1 && FilterIndex <= Filters.size())
    Dialog->selectNameFilter(Filters[FilterIndex - 1]);
  if (!DefaultExt.isEmpty())
    Dialog->setDefaultSuffix(DefaultExt);
  const QString Start = DialogInitialDir(InitialDir);
  if (!FileName.isEmpty()) {
    Dialog->setDirectory(Start.isEmpty() ? QFileInfo(FileName).absolutePath() : Start);
    ProposeName(*Dialog, FileName);
  } else if (!Start.isEmpty()) {
    Dialog->setDirectory(Start);
  }
  return Dialog;
}

void TFileDialog::TakeChoice(const QFileDialog &Dialog) {
  FileName = QDir::toNativeSeparators(Dialog.selectedFiles().constFirst());
  FilterIndex = static_cast<int>(NameFiltersOf(Filter).indexOf(Dialog.selectedNameFilter())) + 1;
}

bool TFileDialog::Run() {
  const std::unique_ptr<QFileDialog> Dialog = CreateDialog();
  if (Dialog->exec() != QDialog::Accepted || Dialog->selectedFiles().isEmpty())
    return false;
  TakeChoice(*Dialog);
  return true;
}
