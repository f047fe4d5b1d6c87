#pragma once

// Files as every test reads and writes them: whole, as bytes; and what a folder holds.

#include <QByteArray>
#include <QString>
#include <QStringList>

// The file's bytes; empty when it cannot be read.
QByteArray ReadBytes(const QString &FileName);

// Replaces the file's content with Bytes; false when the file cannot be written whole.
bool WriteBytes(const QString &FileName, const QByteArray &Bytes);

// The files of a folder by name, hidden ones included: a left-over temporary file shows.
QStringList FilesIn(const QString &Folder);
