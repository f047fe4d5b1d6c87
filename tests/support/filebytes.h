#pragma once

// Files as every test reads and writes them: whole, as bytes.

#include <QByteArray>
#include <QString>

// The file's bytes; empty when it cannot be read.
QByteArray ReadBytes(const QString &FileName);

// Replaces the file's content with Bytes; false when the file cannot be written whole.
bool WriteBytes(const QString &FileName, const QByteArray &Bytes);
