#pragma once

// Proves that a decoder refuses a hostile file without allocating what the file claims:
// while a TAddressSpaceLimit lives, the process may map only a little more than it does
// already, so an attempt to allocate the claimed pixels fails ("Out of memory") instead of
// quietly succeeding on a machine with memory to spare.

#include <QFile>
#include <QtGlobal>

#include <sys/resource.h>

// Sanitizers reserve terabytes of shadow address space: no limit can be set under them.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZELVANE_SHADOW_MEMORY 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) ||                        \
    __has_feature(memory_sanitizer)
#define ZELVANE_SHADOW_MEMORY 1
#endif
#endif

class TAddressSpaceLimit {
public:
  explicit TAddressSpaceLimit(qint64 Headroom) {
#if !defined(ZELVANE_SHADOW_MEMORY)
    const qint64 Mapped = MappedBytes();
    if (Mapped <= 0 || getrlimit(RLIMIT_AS, &FOld) != 0)
      return;
    rlimit New = FOld;
    New.rlim_cur = rlim_t(Mapped + Headroom);
    if (FOld.rlim_cur != RLIM_INFINITY && New.rlim_cur >= FOld.rlim_cur)
      return;
    FActive = setrlimit(RLIMIT_AS, &New) == 0;
#else
    Q_UNUSED(Headroom);
#endif
  }
  ~TAddressSpaceLimit() {
    if (FActive)
      setrlimit(RLIMIT_AS, &FOld);
  }
  TAddressSpaceLimit(const TAddressSpaceLimit &) = delete;
  TAddressSpaceLimit &operator=(const TAddressSpaceLimit &) = delete;

  bool Active() const { return FActive; }

  // The process's mapped address space (VmSize), in bytes; 0 when unknown.
  static qint64 MappedBytes() {
    QFile Status(QStringLiteral("/proc/self/status"));
    if (!Status.open(QIODevice::ReadOnly))
      return 0;
    for (const QByteArray &Line : Status.readAll().split('\n'))
      if (Line.startsWith("VmSize:"))
        return Line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
  }

private:
  rlimit FOld{};
  bool FActive = false;
};
