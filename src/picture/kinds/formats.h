#pragma once

#include "base/filename.h"
#include "picture/kinds/picture.h"

#include <QList>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

// A picture kind as the registry knows it: its class name, the class it derives from (empty
// for the picture base) and how to make an empty one.
struct TPictureKind {
  QString ClassName;
  QString BaseName;
  std::function<std::unique_ptr<TPicture>()> Create;
};

// The picture kind every kind descends from.
const TPictureKind &PictureBaseKind();

struct TFileFormat {
  QString Extension; // lower case, no dot
  QString Description;
  TPictureKind Kind;
};

// The process-wide ordered list of accepted picture extensions.
class TFileFormatsList {
public:
  // The newer formats (jxl, avif, heif, heic, webp), jpe and jfif (JPEG), then the four
  // base entries (wmf, emf, ico, bmp), then jpeg, jpg, png and gif: the dialog lists the
  // eight first.
  static TFileFormatsList &Instance();

  void RegisterPictureFormat(const QString &Extension, const QString &Description,
                             const TPictureKind &Kind);
  // Matches without regard to case, from the last entry to the first: a later
  // registration hides an earlier one. Null when no entry matches.
  const TPictureKind *LookupFormat(const QString &Extension) const;
  // The open dialog's filter over every kind that is BaseKind or descends from it.
  QString MakeFilterText(const TPictureKind &BaseKind) const;

  const QList<TFileFormat> &Formats() const { return FFormats; }

private:
  bool Descends(const TPictureKind &Kind, const TPictureKind &Base) const;
  QList<TFileFormat> FFormats;
};

// Reads and decodes a picture file by its extension (PictureExtension, base/filename.h).
// Throws "Unknown picture file extension (.%s)" with the extension as written (before the
// file is touched), "Cannot open file "%s". %s" (see ReadPictureFile), or the kind's own
// message.
std::unique_ptr<TPicture> LoadPictureFromFile(const QString &FileName);
