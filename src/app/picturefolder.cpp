#include "app/picturefolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString DefaultPictureFolder() {
  const QString Pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  const QString Folder =
      !Pictures.isEmpty() && QFileInfo(Pictures).isDir() ? Pictures : QDir::homePath();
  return Folder.endsWith(u'/') ? Folder : Folder + u'/';
}
