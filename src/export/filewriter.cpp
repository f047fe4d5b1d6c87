#include "export/filewriter.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int TemporaryNameAttempts = 100;

QByteArray FolderOfNative(const QByteArray &Path) {
  const qsizetype Slash = Path.lastIndexOf('/');
  return Slash <= 0 ? QByteArray(Slash == 0 ? "/" : ".") : Path.left(Slash);
}

QByteArray TemporaryNameIn(const QByteArray &Folder) {
  return Folder + "/.zelvane-" +
         QByteArray::number(QRandomGenerator::global()->generate64(), 16) + ".tmp";
}

// A file in Folder that has no name yet, so that a process killed while writing it leaves
// nothing behind; -1 with errno on failure. A file system that cannot make one answers
// EOPNOTSUPP (or EISDIR, on kernels that predate the flag).
int CreateUnnamed(const QByteArray &Folder) {
  return ::open(Folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
}

bool CannotCreateUnnamed(int ErrorCode) {
  return ErrorCode == EOPNOTSUPP || ErrorCode == EISDIR || ErrorCode == EINVAL;
}

// ".zelvane-<16 hex digits>.tmp" in Folder, created exclusively; -1 with errno on failure.
int CreateTemporary(const QByteArray &Folder, QByteArray &Path) {
  for (int Attempt = 0; Attempt < TemporaryNameAttempts; ++Attempt) {
    Path = TemporaryNameIn(Folder);
    const int Handle = ::open(Path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (Handle >= 0 || errno != EEXIST)
      return Handle;
  }
  errno = EEXIST;
  return -1;
}

// Gives the unnamed file behind Handle the name Path; 0, or -1 with errno (EEXIST when the
// name is taken). Through /proc, which needs no privilege, unlike AT_EMPTY_PATH.
int LinkUnnamed(int Handle, const QByteArray &Path) {
  const QByteArray Self = "/proc/self/fd/" + QByteArray::number(Handle);
  return ::linkat(AT_FDCWD, Self.constData(), AT_FDCWD, Path.constData(), AT_SYMLINK_FOLLOW);
}

void SyncFolder(const QByteArray &Folder) {
  const int Handle = ::open(Folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (Handle >= 0) {
    ::fsync(Handle);
    ::close(Handle);
  }
}

} // namespace

QString SystemErrorText(int ErrorCode) {
  return CleanSystemMessage(QString::fromLocal8Bit(std::strerror(ErrorCode)));
}

TReplacingFile::TReplacingFile(const QString &FileName, TExistingFile WhenTaken)
    : FFullName(QFileInfo(FileName).absoluteFilePath()), FExisting(WhenTaken) {
  if (FileName.isEmpty())
    Fail(ENOENT);
  if (FExisting == TExistingFile::Keep) {
    struct stat Taken {};
    if (::lstat(QFile::encodeName(FFullName).constData(), &Taken) == 0)
      Fail(EEXIST);
  }
  const QFileInfo Info(FFullName);
  // Through a link, the file it names is replaced, not the link.
  FTarget = QFile::encodeName(Info.exists() ? Info.canonicalFilePath() : FFullName);

  struct stat Existing {};
  const bool Exists = ::stat(FTarget.constData(), &Existing) == 0;
  if (Exists && S_ISDIR(Existing.st_mode))
    Fail(EISDIR);

  if (Exists && !S_ISREG(Existing.st_mode)) {
    // Devices and pipes are written in place; a pipe without a reader fails at once.
    FHandle = ::open(FTarget.constData(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC);
    if (FHandle < 0)
      Fail(errno);
    const int Flags = ::fcntl(FHandle, F_GETFL);
    if (Flags < 0 || ::fcntl(FHandle, F_SETFL, Flags & ~O_NONBLOCK) < 0)
      Fail(errno);
    return;
  }

  // A read-only file stays read-only, also for a process that may ignore the bits.
  if (Exists && (Existing.st_mode & 0222) == 0)
    Fail(EACCES);
  if (Exists && ::access(FTarget.constData(), W_OK) != 0)
    Fail(errno);
  // The temporary name is short; a name too long must fail here, not at the rename.
  if (QFile::encodeName(QFileInfo(QFile::decodeName(FTarget)).fileName()).size() > NAME_MAX)
    Fail(ENAMETOOLONG);

  const QByteArray Folder = FolderOfNative(FTarget);
  FHandle = CreateUnnamed(Folder);
  FUnnamed = FHandle >= 0;
  if (!FUnnamed && CannotCreateUnnamed(errno))
    FHandle = CreateTemporary(Folder, FTemporary);
  if (FHandle < 0) {
    const int Error = errno;
    FTemporary.clear();
    Fail(Error);
  }
  if (Exists) {
    // The replacement keeps the old file's permissions and, where allowed, its owner.
    // Owner first: a change of owner may clear set-id bits that the mode then restores.
    if (::fchown(FHandle, Existing.st_uid, Existing.st_gid) != 0) {
      // Not ours to give away: the new file keeps the process's owner.
    }
    ::fchmod(FHandle, Existing.st_mode & 07777);
  }
}

TReplacingFile::~TReplacingFile() { Discard(); }

void TReplacingFile::Discard() {
  if (FHandle >= 0)
    ::close(FHandle);
  FHandle = -1;
  FUnnamed = false;
  if (!FTemporary.isEmpty())
    ::unlink(FTemporary.constData());
  FTemporary.clear();
}

void TReplacingFile::Fail(int ErrorCode) {
  Discard();
  throw std::runtime_error(QString("Cannot create file \"%1\". %2")
                               .arg(FFullName, SystemErrorText(ErrorCode))
                               .toStdString());
}

void TReplacingFile::Commit(const QByteArray &Bytes) {
  if (FHandle < 0)
    throw std::logic_error("TReplacingFile::Commit called twice");
  const char *Next = Bytes.constData();
  size_t Left = static_cast<size_t>(Bytes.size());
  while (Left > 0) {
    const ssize_t Written = ::write(FHandle, Next, Left);
    if (Written < 0 && errno == EINTR)
      continue;
    if (Written < 0)
      Fail(errno);
    if (Written == 0)
      Fail(ENOSPC);
    Next += Written;
    Left -= static_cast<size_t>(Written);
  }
  const bool InPlace = FTemporary.isEmpty() && !FUnnamed;
  // Devices and pipes cannot be synced; for them EINVAL is no failure.
  if (::fsync(FHandle) != 0 && !(InPlace && (errno == EINVAL || errno == EROFS)))
    Fail(errno);
  // An unnamed file is named while it is open: its handle is all that keeps it.
  const bool Placed = FUnnamed && NameUnnamed();
  const int Handle = FHandle;
  FHandle = -1;
  FUnnamed = false;
  // A failing close can still mean lost data (quota, network file systems).
  if (::close(Handle) != 0 && errno != EINTR) {
    const int Error = errno;
    if (Placed)
      ::unlink(FTarget.constData()); // it was new: no file of that name, as before
    Fail(Error);
  }
  if (InPlace)
    return;
  if (!Placed && FExisting == TExistingFile::Keep)
    PlaceTemporaryNoReplace();
  else if (!Placed && ::rename(FTemporary.constData(), FTarget.constData()) != 0)
    Fail(errno);
  FTemporary.clear();
  SyncFolder(FolderOfNative(FTarget));
}

bool TReplacingFile::NameUnnamed() {
  // A new file takes its name in one step. A name already taken cannot be linked over, so
  // the file gets a name of its own beside it for the rename, which stands there only for
  // the moment between the two calls.
  if (LinkUnnamed(FHandle, FTarget) == 0)
    return true;
  if (errno != EEXIST || FExisting == TExistingFile::Keep)
    Fail(errno);
  for (int Attempt = 0; Attempt < TemporaryNameAttempts; ++Attempt) {
    const QByteArray Path = TemporaryNameIn(FolderOfNative(FTarget));
    if (LinkUnnamed(FHandle, Path) == 0) {
      FTemporary = Path;
      return false;
    }
    if (errno != EEXIST)
      Fail(errno);
  }
  Fail(EEXIST);
}

void TReplacingFile::PlaceTemporaryNoReplace() {
  // A rename that refuses a taken name; file systems without it get a hard link, which
  // refuses one too, and the temporary name is then dropped.
  if (::renameat2(AT_FDCWD, FTemporary.constData(), AT_FDCWD, FTarget.constData(),
                  RENAME_NOREPLACE) == 0)
    return;
  if (errno != EINVAL && errno != ENOSYS)
    Fail(errno);
  if (::link(FTemporary.constData(), FTarget.constData()) != 0)
    Fail(errno);
  ::unlink(FTemporary.constData());
}

void WriteFileReplacing(const QString &FileName, const QByteArray &Bytes) {
  TReplacingFile File(FileName);
  File.Commit(Bytes);
}
