#include "platform/filename.h"

QString FolderPartOf(const QString &FileName) {
  for (qsizetype I = FileName.size() - 1; I >= 0; --I) {
    const QChar C = FileName[I];
    if (C == u'/' || C == u'\\' || C == u':')
      return FileName.left(I + 1);
  }
  return QString();
}
