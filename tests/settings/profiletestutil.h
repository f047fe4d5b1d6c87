#pragma once

#include "support/filebytes.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QStringEncoder>

#include <memory>
#include <stdexcept>

inline void WriteFileBytes(const QString &FileName, const QByteArray &Data) {
  if (!WriteBytes(FileName, Data))
    throw std::runtime_error("cannot write test fixture " + FileName.toStdString());
}

// Text as a file written on Windows: UTF-16 with its byte-order mark.
inline QByteArray Utf16LEWithMark(const QString &Text) {
  QStringEncoder Encoder(QStringConverter::Utf16LE);
  return QByteArray("\xFF\xFE", 2) + QByteArray(Encoder(Text));
}

inline QByteArray Utf16BEWithMark(const QString &Text) {
  QStringEncoder Encoder(QStringConverter::Utf16BE);
  return QByteArray("\xFE\xFF", 2) + QByteArray(Encoder(Text));
}

// A scratch folder of its own for each test, and the settings file's name in it. A test class
// derives from it beside QObject and calls NewSettingsFolder() from init.
class TSettingsFolder {
protected:
  bool NewSettingsFolder() {
    FDir = std::make_unique<QTemporaryDir>();
    FPath = FDir->filePath(QStringLiteral("Zelvane.ini"));
    return FDir->isValid();
  }

  std::unique_ptr<QTemporaryDir> FDir;
  QString FPath;
};
