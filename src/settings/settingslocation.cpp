#include "settings/settingslocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <stdexcept>

namespace {

const QString SettingsBaseName = QStringLiteral("Zelvane.ini");

bool IsInstallFolder(const QString &Folder, const QStringList &InstallFolders) {
  const QString Canonical = QFileInfo(Folder).canonicalFilePath();
  if (Canonical.isEmpty())
    return false;
  for (const QString &Install : InstallFolders)
    if (QFileInfo(Install).canonicalFilePath() == Canonical)
      return true;
  return false;
}

} // namespace

QStringList InstallFolders() {
  return {QStringLiteral(ZELVANE_INSTALL_BINDIR), QStringLiteral("/usr/bin"),
          QStringLiteral("/bin"), QStringLiteral("/usr/local/bin")};
}

QString SettingsFileNameIn(const QString &ExeFolder, bool ExeFolderWritable,
                           const QStringList &InstallFolders, const QString &ConfigFolder) {
  if (ExeFolderWritable && !IsInstallFolder(ExeFolder, InstallFolders))
    return QDir(ExeFolder).filePath(SettingsBaseName);
  if (ConfigFolder.isEmpty())
    return QString();
  // A failure to make the folder shows later as a write that fails, which is swallowed.
  QDir().mkpath(ConfigFolder);
  return QDir(ConfigFolder).filePath(SettingsBaseName);
}

QString SettingsFileName() {
  const QString Folder = QCoreApplication::applicationDirPath();
  if (Folder.isEmpty())
    throw std::runtime_error("The executable's folder is unknown");
  return SettingsFileNameIn(Folder, QFileInfo(Folder).isWritable(), InstallFolders(),
                            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}
