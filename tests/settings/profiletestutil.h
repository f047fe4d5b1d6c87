#pragma once

#include "support/filebytes.h"

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

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
