#pragma once

#include <QByteArray>
#include <QString>

#include "base/systemmessage.h"

// Writing a file so that a reader never sees half of it, and an existing file of that name
// is replaced only by a complete new one:
//
//   dir/name            <- untouched until the very end
//   (a file without a name, in dir)
//                       <- written in full and flushed to disk; then it takes the name
//                          dir/name in one step if that is free, or else the name
//                          dir/.zelvane-XXXX.tmp, which is at once renamed over dir/name
//
// A process killed while writing leaves nothing behind. A file system that cannot make a
// file without a name gets the named temporary from the start instead.
//
// A target that exists but is not a regular file (a device, a pipe) cannot be renamed
// over; it is opened and written in place instead.
//
// Every failure throws std::runtime_error "Cannot create file "%s". %s": the file name
// made a full path, and the system's text for the error, cleaned by CleanSystemMessage.
// That holds for the creation (folder missing, access denied, a directory of that name,
// an invalid name), for a read-only target (refused even where the process could
// override the permission bits), and for the writing itself (a full disk, a file size
// limit), which is detected, never taken for success. On failure the temporary file is
// removed and any earlier file of that name is left as it was.
//
// Not QSaveFile (Qt 6.4): it also writes an unnamed file and links it in at the end, but it
// renames over a device or a pipe (so /dev/null becomes a regular file), replaces a
// read-only file for root, does not keep the replaced file's owner, has no way to refuse a
// name another process takes meanwhile (Keep below), reports a full disk as a short write
// without the system's text, and does not sync the folder after the rename.

// The system's cleaned text for an errno value.
QString SystemErrorText(int ErrorCode);

// What becomes of a file that already has the name being written.
//   Replace  it is replaced, as above
//   Keep     it is left alone and the writing fails with the system's text for EEXIST
//            ("Cannot create file "%s". File exists"): at once when the name is taken at
//            creation, and also when another process takes it while the content is written,
//            for the new file takes its name only where no file has it (never a rename over
//            one). A link of that name counts as a file, whatever it points to.
enum class TExistingFile { Replace, Keep };

// The file being written. Creating it makes the temporary file (or opens a non-regular
// target) and throws if that is impossible, before any content exists; Commit writes the
// content and puts the file in place. Destroyed uncommitted, it leaves no trace.
class TReplacingFile {
public:
  explicit TReplacingFile(const QString &FileName,
                          TExistingFile WhenTaken = TExistingFile::Replace);
  ~TReplacingFile();
  TReplacingFile(const TReplacingFile &) = delete;
  TReplacingFile &operator=(const TReplacingFile &) = delete;

  // The file name as a full path, as messages give it.
  const QString &FullName() const { return FFullName; }

  // Writes all of Bytes, flushes them to the disk and moves the file into place. Once.
  void Commit(const QByteArray &Bytes);

private:
  [[noreturn]] void Fail(int ErrorCode);
  void Discard();
  // Links the unnamed file in: true when it took the target's name itself, false when it
  // took a temporary name (FTemporary) to be renamed over the target.
  bool NameUnnamed();
  // Gives the named temporary file the target's name where no file has it.
  void PlaceTemporaryNoReplace();

  QString FFullName;
  QByteArray FTarget;    // native path that is finally replaced (links resolved)
  QByteArray FTemporary; // native path of a named file beside it; empty while unnamed or in place
  int FHandle = -1;
  bool FUnnamed = false; // FHandle is a file without a name in the target's folder
  TExistingFile FExisting = TExistingFile::Replace;
};

// TReplacingFile(FileName).Commit(Bytes).
void WriteFileReplacing(const QString &FileName, const QByteArray &Bytes);
