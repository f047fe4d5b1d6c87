#include "app/filedialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

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
  if (Folder.size() > 1 && (Folder.endsWith(u'/') || Folder.endsWith(u'\\')) &&
      !Folder.endsWith(QStringLiteral(":\\")))
    return Folder.left(Folder.size() - 1);
  return Folder;
}

bool TFileDialog::Execute() { return Run(); }

bool TFileDialog::Run() {
  QFileDialog Dialog(FOwner);
  Dialog.setOption(QFileDialog::DontUseNativeDialog);
  Dialog.setOption(QFileDialog::HideNameFilterDetails);
  Dialog.setOption(QFileDialog::DontConfirmOverwrite);
  Dialog.setAcceptMode(FKind == TKind::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  // Any name may be typed; whether the file exists is for the caller to find out.
  Dialog.setFileMode(QFileDialog::AnyFile);
  Dialog.setSizeGripEnabled(true);
  const QStringList Filters = NameFiltersOf(Filter);
  Dialog.setNameFilters(Filters);
  if (FilterIndex >= 1 && FilterIndex <= Filters.size())
    Dialog.selectNameFilter(Filters[FilterIndex - 1]);
  if (!DefaultExt.isEmpty())
    Dialog.setDefaultSuffix(DefaultExt);
  const QString Start = DialogInitialDir(InitialDir);
  if (!FileName.isEmpty()) {
    const QFileInfo Info(FileName);
    Dialog.setDirectory(Start.isEmpty() ? Info.absolutePath() : Start);
    Dialog.selectFile(Info.fileName());
  } else if (!Start.isEmpty()) {
    Dialog.setDirectory(Start);
  }
  if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
    return false;
  FileName = QDir::toNativeSeparators(Dialog.selectedFiles().constFirst());
  FilterIndex = static_cast<int>(Filters.indexOf(Dialog.selectedNameFilter())) + 1;
  return true;
}
