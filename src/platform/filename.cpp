#include "platform/filename.h"

QString FolderPartOf(const QString &FileName) {
  return FileName.left(FileName.lastIndexOf(u'/') + 1);
}
