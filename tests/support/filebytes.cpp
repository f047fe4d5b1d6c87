#include "support/filebytes.h"

#include <QDir>
#include <QFile>

QByteArray ReadBytes(const QString &FileName) {
  QFile File(FileName);
  return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

bool WriteBytes(const QString &FileName, const QByteArray &Bytes) {
  QFile File(FileName);
  return File.open(QIODevice::WriteOnly | QIODevice::Truncate) && File.write(Bytes) == Bytes.size();
}

QStringList FilesIn(const QString &Folder) {
  return QDir(Folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}
