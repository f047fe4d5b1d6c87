#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The text of a private-profile file, line by line, with the lookup and replacement rules of the
// platform's profile functions:
//
//   ; a comment, or any line we do not understand, is kept as it is
//   [Section]            <- names matched without regard to case, surrounding blanks ignored
//   key = value         <- first "=" splits; key and value trimmed; the first match wins
//   other=line
//                        <- a key added to this section goes here, after its last non-blank line
//   [next]
//
// Lines before the first section belong to no section. Only the first section of a name is
// looked at. Each line remembers the bytes it was read from, line end included, so lines that
// were not rewritten are written back byte for byte (for a UTF-8 source); rewritten and added
// lines are UTF-8 with the file's line break.
class TProfileImage {
public:
  // Decodes a whole file: UTF-8 with or without a byte-order mark, or UTF-16 (either byte order)
  // with a mark. Line breaks are LF or CR LF; the first one found is used for the whole file
  // when it is written back. Invalid UTF-8 decodes to replacement characters and never fails.
  static TProfileImage FromBytes(const QByteArray &Data);

  // The file as written: UTF-8 (with a mark only when the source had a UTF-8 mark), every
  // line ended by the file's line break.
  QByteArray ToBytes() const;

  // The trimmed value of Key in Section, or nothing when either is missing.
  std::optional<QString> Value(const QString &Section, const QString &Key) const;

  // Replaces Key's line in place ("Key=Value"), adds it at the end of its section, or adds
  // the section with the key at the end of the file. A line whose value already equals Value
  // is left untouched, unless Value is empty and blanks follow the line's "=". The caller
  // guarantees that names and value hold no line breaks.
  void SetValue(const QString &Section, const QString &Key, const QString &Value);

private:
  struct TLine {
    QString Text;
    // Where the line's source bytes, its own line end included, lie in FSource while the
    // line is unchanged; RawStart is -1 for a rewritten or added line.
    qsizetype RawStart = -1;
    qsizetype RawLength = 0;
  };

  qsizetype FindSection(const QString &Section) const;
  qsizetype SectionEnd(qsizetype SectionLine) const;

  QByteArray FSource;
  QList<TLine> FLines;
  bool FUtf8Mark = false;
  QByteArray FLineBreak;
};
