#include "settings/profile.h"
#include "settings/integerrule.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include <unistd.h>

namespace {

[[noreturn]] void Fail(const QString &Message) {
  throw std::runtime_error(Message.toStdString());
}

// The file's bytes; empty for a missing file. Throws when the file exists but cannot be read
// (a folder, a device, no permission, a read error) or lies beyond the limits.
QByteArray ReadFileBytes(const QString &FileName) {
  const QFileInfo Info(FileName);
  if (!Info.exists())
    return {};
  if (!Info.isFile())
    Fail(QStringLiteral("Cannot read %1: not a file").arg(FileName));
  QFile File(FileName);
  if (!File.open(QIODevice::ReadOnly))
    Fail(QStringLiteral("Cannot read %1: %2").arg(FileName, File.errorString()));
  // Read one byte past the limit, never the whole of a huge or endless file; and no more
  // than the file holds, since a read allocates all it is asked for (4 MiB for every
  // settings file otherwise, kept as long as its image).
  QByteArray Data = File.read(std::min(File.size(), TProfileFile::MaxFileSize) + 1);
  if (File.error() != QFileDevice::NoError)
    Fail(QStringLiteral("Cannot read %1: %2").arg(FileName, File.errorString()));
  if (Data.size() > TProfileFile::MaxFileSize)
    Fail(QStringLiteral("Cannot read %1: larger than a settings file").arg(FileName));
  // Lines cost far more memory than their bytes; a file of millions of line breaks is no
  // settings file. (For UTF-16 this counts 0x0A bytes, an upper bound of the lines.)
  const qsizetype Lines = Data.count('\n') + (Data.isEmpty() || Data.endsWith('\n') ? 0 : 1);
  if (Lines > TProfileFile::MaxLineCount)
    Fail(QStringLiteral("Cannot read %1: more lines than a settings file").arg(FileName));
  return Data;
}

bool HasLineBreak(const QString &Text) {
  return Text.contains(u'\n') || Text.contains(u'\r');
}

void CheckName(const QString &Name, const QString &What) {
  if (Name.isEmpty() || HasLineBreak(Name) || Name.trimmed() != Name)
    Fail(QStringLiteral("Invalid settings %1 \"%2\"").arg(What, Name));
}

} // namespace

TProfileFile::TProfileFile(const QString &FileName) : FFileName(FileName) {
  try {
    FImage = TProfileImage::FromBytes(ReadFileBytes(FileName));
  } catch (const std::exception &) {
    FImage = TProfileImage();
  }
}

TProfileFile::~TProfileFile() {
  try {
    Flush();
  } catch (...) {
  }
}

QString TProfileFile::ReadString(const QString &Section, const QString &Key,
                                 const QString &Default) const {
  const std::optional<QString> Value = FImage.Value(Section, Key);
  if (!Value)
    return Default;
  if (Value->size() <= MaxValueLength)
    return *Value;
  QString Cut = Value->left(MaxValueLength);
  if (Cut.back().isHighSurrogate())
    Cut.chop(1); // never keep half a character
  return Cut;
}

int TProfileFile::ReadInteger(const QString &Section, const QString &Key, int Default) const {
  QString Text = ReadString(Section, Key, QString());
  if (Text.size() > 2 && (Text.startsWith(u"0x") || Text.startsWith(u"0X")))
    Text.replace(0, 2, u'$');
  return StrToIntDef(Text, Default);
}

bool TProfileFile::ReadBool(const QString &Section, const QString &Key, bool Default) const {
  return ReadInteger(Section, Key, Default ? 1 : 0) != 0;
}

bool TProfileFile::ValueExists(const QString &Section, const QString &Key) const {
  return FImage.Value(Section, Key).has_value();
}

bool TProfileFile::StorableValue(const QString &Value) { return !HasLineBreak(Value); }

void TProfileFile::WriteString(const QString &Section, const QString &Key,
                               const QString &Value) {
  CheckName(Section, QStringLiteral("section"));
  CheckName(Key, QStringLiteral("key"));
  if (Section.contains(u']'))
    Fail(QStringLiteral("Invalid settings section \"%1\"").arg(Section));
  if (Key.contains(u'=') || Key.startsWith(u'[') || Key.startsWith(u';'))
    Fail(QStringLiteral("Invalid settings key \"%1\"").arg(Key));
  if (!StorableValue(Value))
    Fail(QStringLiteral("Settings value of \"%1\" holds a line break").arg(Key));
  FImage.SetValue(Section, Key, Value);
  FPending.append({Section, Key, Value});
}

void TProfileFile::WriteInteger(const QString &Section, const QString &Key, int Value) {
  WriteString(Section, Key, QString::number(Value));
}

void TProfileFile::WriteBool(const QString &Section, const QString &Key, bool Value) {
  WriteString(Section, Key, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TProfileFile::Flush() {
  if (FPending.isEmpty())
    return;
  if (FFileName.isEmpty())
    Fail(QStringLiteral("No settings file to write"));

  // Best effort: without the lock (a folder we cannot write to, a copy that hangs) the write
  // below still runs, and fails on its own where the folder is the problem.
  QLockFile Lock(FFileName + QStringLiteral(".lock"));
  Lock.setStaleLockTime(10000);
  Lock.tryLock(2000);

  TProfileImage Current = TProfileImage::FromBytes(ReadFileBytes(FFileName));
  for (const TWrite &Write : FPending)
    Current.SetValue(Write.Section, Write.Key, Write.Value);
  const QByteArray Bytes = Current.ToBytes();

  // Unbuffered, so a failing write shows here and not inside commit(), which would still put
  // the short temporary file in place. The data is on the disk before the rename, so the old
  // file is only ever replaced by a complete new one.
  QSaveFile Out(FFileName);
  if (!Out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    Fail(QStringLiteral("Cannot create %1: %2").arg(FFileName, Out.errorString()));
  if (Out.write(Bytes) != Bytes.size()) {
    const QString Reason = Out.errorString();
    Out.cancelWriting();
    Fail(QStringLiteral("Cannot write %1: %2").arg(FFileName, Reason));
  }
  if (::fsync(Out.handle()) != 0) {
    const QString Reason = qt_error_string(errno);
    Out.cancelWriting();
    Fail(QStringLiteral("Cannot write %1: %2").arg(FFileName, Reason));
  }
  if (!Out.commit())
    Fail(QStringLiteral("Cannot write %1: %2").arg(FFileName, Out.errorString()));

  FImage = std::move(Current);
  FPending.clear();
}
