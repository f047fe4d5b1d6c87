#pragma once

#include "settings/profileimage.h"

#include <QList>
#include <QString>

// One settings file, read and written key by key the way the platform's private-profile
// functions do it (see TProfileImage for the matching rules). Reads see this object's own
// writes at once. Writes reach the disk when Flush runs, at the latest when the object is
// destroyed, and always as a whole new file:
//
//   Flush:  read the file as it is NOW  ->  apply this object's writes, in order
//           ->  write a temporary file beside it  ->  rename it over the file
//
// so keys another running copy wrote since this object was opened, and which this one does not
// write, survive; for a key both write, the copy that flushes last wins. A lock file
// ("<name>.lock") keeps two copies from flushing at the same instant.
//
// An empty file name names no file: it reads as empty and is never written.
//
// A missing file, one that cannot be read and one larger than MaxFileSize or of more than
// MaxLineCount lines all read as empty. Flush refuses to touch a file it cannot read, an
// oversize one included: that is no settings file of ours, but may be someone's file.
//
// A flush that does not reach the disk completely (a full disk, a write error) leaves the old
// file byte for byte as it was: the new file replaces it only once all of it is written.
class TProfileFile {
public:
  // Values are read up to this many UTF-16 code units, as through a 2048-unit buffer.
  static constexpr qsizetype MaxValueLength = 2047;
  // Larger files, or files of more lines, are not settings files of ours: they read as empty
  // and are never written.
  static constexpr qint64 MaxFileSize = 4 * 1024 * 1024;
  static constexpr qsizetype MaxLineCount = 100000;

  // Reads the file as it is now; never throws for the file's sake.
  explicit TProfileFile(const QString &FileName);
  // Flushes pending writes, swallowing any failure.
  ~TProfileFile();
  TProfileFile(const TProfileFile &) = delete;
  TProfileFile &operator=(const TProfileFile &) = delete;

  const QString &FileName() const { return FFileName; }

  // The value, or Default when the section or key is missing.
  QString ReadString(const QString &Section, const QString &Key, const QString &Default) const;
  // The value by the integer rule ("0x" at the start of a longer text reads as "$"), or
  // Default when the key is missing or its text is no integer.
  int ReadInteger(const QString &Section, const QString &Key, int Default) const;
  // A flag: an integer, set when not zero.
  bool ReadBool(const QString &Section, const QString &Key, bool Default) const;
  // Whether the key is present at all, even with an empty value.
  bool ValueExists(const QString &Section, const QString &Key) const;

  // Whether a value can be stored: one that holds no line break.
  static bool StorableValue(const QString &Value);
  // Throws std::runtime_error for a name that cannot be stored (empty, with a line break or
  // surrounding blanks, a section holding "]", a key holding "=" or starting with "[" or ";")
  // or a value that is not StorableValue.
  void WriteString(const QString &Section, const QString &Key, const QString &Value);
  // Decimal, with a minus sign when negative.
  void WriteInteger(const QString &Section, const QString &Key, int Value);
  // "1" or "0".
  void WriteBool(const QString &Section, const QString &Key, bool Value);

  // Whether writes wait for Flush.
  bool Modified() const { return !FPending.isEmpty(); }

  // Writes the pending writes as described above. Throws std::runtime_error when the current
  // file cannot be read (or is oversize) or the new one cannot be written in full; the file is
  // then left as it was and the writes stay pending.
  void Flush();

private:
  struct TWrite {
    QString Section;
    QString Key;
    QString Value;
  };

  QString FFileName;
  TProfileImage FImage;
  QList<TWrite> FPending;
};
