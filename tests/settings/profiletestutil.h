#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringEncoder>

#include <stdexcept>

inline void WriteFileBytes(const QString &FileName, const QByteArray &Data) {
  QFile File(FileName);
  if (!File.open(QIODevice::WriteOnly) || File.write(Data) != Data.size())
    throw std::runtime_error("cannot write test fixture " + FileName.toStdString());
}

inline QByteArray ReadFileBytes(const QString &FileName) {
  QFile File(FileName);
  if (!File.open(QIODevice::ReadOnly))
    return {};
  return File.readAll();
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
