#include "base/filename.h"

QString FolderPartOf(const QString &FileName) {
  return FileName.left(FileName.lastIndexOf(u'/') + 1);
}

QString PictureExtension(const QString &FileName) {
  const qsizetype Dot = FileName.lastIndexOf(u'.');
  if (Dot < 0 || Dot < FileName.lastIndexOf(u'/'))
    return QString();
  return FileName.mid(Dot + 1);
}
