#include "picture/codecs/picturefile.h"
#include "picture/codecs/largeimage.h"
#include "base/systemmessage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 StreamChunk = 64 * 1024;

class TReadHandle {
public:
  explicit TReadHandle(int Handle) : FHandle(Handle) {}
  ~TReadHandle() {
    if (FHandle >= 0)
      ::close(FHandle);
  }
  TReadHandle(const TReadHandle &) = delete;
  TReadHandle &operator=(const TReadHandle &) = delete;
  int Get() const { return FHandle; }

private:
  int FHandle;
};

// Reads up to Length bytes at Into; the count read (less only at the end), or -1 with errno.
qint64 ReadFully(int Handle, char *Into, qint64 Length) {
  qint64 Done = 0;
  while (Done < Length) {
    const ssize_t Count = ::read(Handle, Into + Done, size_t(Length - Done));
    if (Count < 0 && errno == EINTR)
      continue;
    if (Count < 0)
      return -1;
    if (Count == 0)
      break;
    Done += Count;
  }
  return Done;
}

[[noreturn]] void FailOpen(const QString &FullName, int ErrorCode) {
  throw std::runtime_error(
      QStringLiteral("Cannot open file \"%1\". %2")
          .arg(FullName, CleanSystemMessage(QString::fromLocal8Bit(std::strerror(ErrorCode))))
          .toStdString());
}

} // namespace

// Not QFile: its open waits for a writer on a pipe that has none, and says "file to open is
// a directory" where the message gives the system's text.
QByteArray ReadPictureFile(const QString &FileName) {
  const QString FullName = QDir::toNativeSeparators(QFileInfo(FileName).absoluteFilePath());
  auto Fail = [&FullName](int ErrorCode) { FailOpen(FullName, ErrorCode); };
  if (FileName.isEmpty())
    Fail(ENOENT);
  // Opened without waiting, so a pipe without a writer does not hang the program.
  const TReadHandle Handle(
      ::open(QFile::encodeName(FileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (Handle.Get() < 0)
    Fail(errno);
  struct stat Status {};
  if (::fstat(Handle.Get(), &Status) != 0)
    Fail(errno);
  if (S_ISDIR(Status.st_mode))
    Fail(EISDIR);
  const int Flags = ::fcntl(Handle.Get(), F_GETFL);
  if (Flags < 0 || ::fcntl(Handle.Get(), F_SETFL, Flags & ~O_NONBLOCK) < 0)
    Fail(errno);

  QByteArray Data;
  try {
    if (S_ISREG(Status.st_mode)) {
      if (Status.st_size > MaxPictureFileBytes)
        Fail(EFBIG);
      Data.resize(qsizetype(Status.st_size));
      // Filled whole by the read: mapped in large pages, a large file reads several times
      // faster than in 4 KiB page faults.
      AdviseHugePages(Data.data(), Data.size());
      const qint64 Count = ReadFully(Handle.Get(), Data.data(), Data.size());
      if (Count < 0)
        Fail(errno);
      Data.truncate(qsizetype(Count));
    } else {
      // A device or pipe: read until it ends.
      for (;;) {
        const qsizetype At = Data.size();
        if (At > MaxPictureFileBytes)
          Fail(EFBIG);
        Data.resize(At + StreamChunk);
        const qint64 Count = ReadFully(Handle.Get(), Data.data() + At, StreamChunk);
        if (Count < 0)
          Fail(errno);
        Data.truncate(At + qsizetype(Count));
        if (Count < StreamChunk)
          break;
      }
    }
  } catch (const std::bad_alloc &) {
    throw std::runtime_error("Out of memory");
  }
  return Data;
}
