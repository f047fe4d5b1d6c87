#pragma once

// Files and folders as the writing tests see them.

#include "support/filebytes.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTest>

// Writes a fixture; a failure is recorded against the calling test function.
inline void WriteAll(const QString &Path, const QByteArray &Bytes) {
  QFile File(Path);
  QVERIFY(File.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(File.write(Bytes), Bytes.size());
}

// Every entry of a folder, hidden ones included: a left-over temporary file shows here.
inline QStringList Entries(const QString &Folder) {
  return QDir(Folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                    QDir::NoDotAndDotDot,
                                QDir::Name);
}
