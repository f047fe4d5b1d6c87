#pragma once

#include <QString>
#include <QStringList>

// Where Zelvane.ini lives for the running executable (see SettingsFileNameIn): beside it for a
// copy run from its own folder, in the user's configuration folder for an installed program.
// Throws std::runtime_error when the executable's folder is unknown (no application object).
QString SettingsFileName();

// The folders an installed program runs from, whoever may write there: the bin folder of the
// install prefix this program was configured with, and the system's own program folders
// (/usr/bin, /bin, /usr/local/bin), since `cmake --install --prefix` and the Debian package
// may put it elsewhere than the configured prefix.
QStringList InstallFolders();

// Where the settings file lives, given the executable's folder, whether this user may create
// files there, the install folders and the user's configuration folder for this program:
//
//   ExeFolder one of InstallFolders?  -- yes -->  installed
//              | no
//   ExeFolderWritable?                -- no  -->  installed
//              | yes
//   ExeFolder/Zelvane.ini                         (a build folder, an unpacked copy)
//
//   installed:  ConfigFolder/Zelvane.ini, the folder made when missing; empty when there is
//               no ConfigFolder, and an empty name is a file that is never read or written
//
// An installed program never reads or writes a file beside itself: one user's file there
// (root may write anywhere) would otherwise become every user's. Folders are compared by
// their canonical paths; an install folder that does not exist matches nothing.
QString SettingsFileNameIn(const QString &ExeFolder, bool ExeFolderWritable,
                           const QStringList &InstallFolders, const QString &ConfigFolder);
