// Fuzz target: a settings file, through the whole settings path.
//
//   bytes -> Zelvane.ini -> LoadSettings into values
//                        -> TProfileFile reads of the program's keys and of names taken
//                           from the input
//                        -> SaveSettings of those values back, and a write read back
//                           after Flush
//   bytes -> TProfileImage: a value set is read back, before and after a round trip
//            through its own bytes, and a value elsewhere is left as it was
//
// A broken round trip aborts: it is a finding like a crash.
#include "settings/profile.h"
#include "settings/profileimage.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> Folder;

void Require(bool Condition) {
  if (!Condition)
    std::abort();
}

// A section and a key named by the input's first two lines (brackets, "=" and blanks
// dropped), so that lookups by names the file itself uses are exercised too.
void NamesFrom(const QByteArray &Data, QString &Section, QString &Key) {
  const QList<QByteArray> Lines = Data.left(256).split('\n');
  Section = QString::fromUtf8(Lines.value(0)).remove(u'[').remove(u']').trimmed();
  Key = QString::fromUtf8(Lines.value(1).split('=').value(0)).trimmed();
}

void ReadProgramKeys(const TProfileFile &File, const QString &Section, const QString &Key) {
  static const char *const Keys[] = {"openpath", "savepath", "quality", "fontname",
                                     "fontsize", "fontcolor", "fontbold", "text",
                                     "left", "top"};
  for (const char *Name : Keys) {
    File.ReadString(QStringLiteral("watermark"), QLatin1String(Name), QString());
    File.ReadInteger(QStringLiteral("config"), QLatin1String(Name), -1);
    File.ReadBool(QStringLiteral("watermark"), QLatin1String(Name), false);
  }
  File.ReadString(Section, Key, QString());
  File.ReadInteger(Section, Key, 0);
  File.ValueExists(Section, Key);
}

void CheckImage(const QByteArray &Data, const QString &Section, const QString &Key) {
  TProfileImage Image = TProfileImage::FromBytes(Data);
  const bool Elsewhere = Section.compare(QLatin1String("config"), Qt::CaseInsensitive) != 0 &&
                         !Section.isEmpty() && !Key.isEmpty();
  const std::optional<QString> Before = Image.Value(Section, Key);
  Image.SetValue(QStringLiteral("config"), QStringLiteral("quality"), QStringLiteral("7"));
  Require(Image.Value(QStringLiteral("config"), QStringLiteral("quality")) == u"7");
  const TProfileImage Again = TProfileImage::FromBytes(Image.ToBytes());
  Require(Again.Value(QStringLiteral("config"), QStringLiteral("quality")) == u"7");
  if (Elsewhere)
    Require(Image.Value(Section, Key) == Before);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *Argc, char ***Argv) {
  // Never destroyed: at exit Qt's own globals may be gone before it would be.
  static QCoreApplication *Application = new QCoreApplication(*Argc, *Argv);
  if (!Application)
    return 1;
  // Every input is written and flushed (with fsync) twice: in memory where there is a place
  // for it, that costs microseconds instead of milliseconds.
  if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
    Folder = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/zelvane-fuzz-XXXXXX"));
  if (!Folder || !Folder->isValid())
    Folder = std::make_unique<QTemporaryDir>();
  return Folder->isValid() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *Data, std::size_t Size) {
  const QByteArray Bytes(reinterpret_cast<const char *>(Data), qsizetype(Size));
  const QString FileName = Folder->filePath(QStringLiteral("Zelvane.ini"));
  {
    QFile File(FileName);
    if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate) || File.write(Bytes) != Bytes.size())
      return 0;
  }
  QString Section, Key;
  NamesFrom(Bytes, Section, Key);

  const TSettings Values = LoadSettings(FileName, QSize(480, 272));
  {
    const TProfileFile File(FileName);
    ReadProgramKeys(File, Section, Key);
  }
  SaveSettings(Values, TSettings{}, FileName);
  {
    TProfileFile File(FileName);
    File.WriteString(QStringLiteral("watermark"), QStringLiteral("text"), QStringLiteral("fuzz"));
    bool Flushed = true;
    try {
      File.Flush();
    } catch (const std::exception &) {
      Flushed = false;
    }
    if (Flushed)
      Require(TProfileFile(FileName).ReadString(QStringLiteral("watermark"),
                                                QStringLiteral("text"), QString()) == u"fuzz");
  }
  CheckImage(Bytes, Section, Key);
  return 0;
}
