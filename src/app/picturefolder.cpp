#include "app/picturefolder.h"
#include "app/filedialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString DefaultPictureFolder() {
  const QString Pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  const QString Folder =
      !Pictures.isEmpty() && QFileInfo(Pictures).isDir() ? Pictures : QDir::homePath();
  return Folder.endsWith(u'/') ? Folder : Folder + u'/';
}

void StartDialogIn(TFileDialog &Dialog, const QString &Remembered) {
  if (!Remembered.isEmpty()) {
    QDir::setCurrent(Remembered);
    Dialog.InitialDir = Remembered;
  } else {
    Dialog.InitialDir = Dialog.FileName.isEmpty() ? DefaultPictureFolder() : QString();
  }
}
