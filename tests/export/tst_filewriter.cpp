// Writing a file beside its target and renaming it into place. The process runs as root
// in the test environment, where permission bits do not stop writes, so unwritable places
// are made of paths the file system refuses for everyone: a missing folder, a regular file
// used as a folder, a directory as the target, a name too long, and a file size limit or
// /dev/full for a write that stops short.
#include "filetesting.h"
#include "export/filewriter.h"
#include "support/thrown.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QString Expected(const QString &FullPath, int ErrorCode) {
  return QString("Cannot create file \"%1\". %2")
      .arg(FullPath, QString::fromLocal8Bit(std::strerror(ErrorCode)));
}

QByteArray Pattern(int Size) {
  QByteArray Bytes(Size, Qt::Uninitialized);
  for (int I = 0; I < Size; ++I)
    Bytes[I] = char(I * 7 + I / 256);
  return Bytes;
}

// A file size limit for the test's duration: writes beyond it stop short with EFBIG.
class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t Bytes) {
    getrlimit(RLIMIT_FSIZE, &FOld);
    FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit Limit = FOld;
    Limit.rlim_cur = Bytes;
    FOk = setrlimit(RLIMIT_FSIZE, &Limit) == 0;
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &FOld);
    std::signal(SIGXFSZ, FOldHandler);
  }
  bool Ok() const { return FOk; }

private:
  rlimit FOld{};
  void (*FOldHandler)(int) = nullptr;
  bool FOk = false;
};

} // namespace

class TestFileWriter : public QObject {
  Q_OBJECT
private slots:
  void cleanSystemMessage_data();
  void cleanSystemMessage();
  void writesNewFile_data();
  void writesNewFile();
  void replacesExistingFile();
  void keepsPermissionsOfReplacedFile();
  void writesThroughLink();
  void cannotCreate_data();
  void cannotCreate();
  void relativeNameReportedInFull();
  void creationFailsBeforeAnyContent();
  void uncommittedLeavesNoTrace();
  void shortWriteIsAnError();
  void fullDeviceIsAnError();
  void deviceIsWrittenNotReplaced();
  void keptWhenTaken();
};

void TestFileWriter::cleanSystemMessage_data() {
  QTest::addColumn<QString>("Text");
  QTest::addColumn<QString>("Cleaned");
  QTest::addRow("system style line end") << "Access is denied.\r\n" << "Access is denied";
  QTest::addRow("already clean") << "No such file or directory" << "No such file or directory";
  QTest::addRow("stops and spaces mixed") << "Disk full. . .  " << "Disk full";
  QTest::addRow("tabs and NUL") << QString("Bad name\t\n") + QChar(0) << "Bad name";
  QTest::addRow("inner stops stay") << "File a.b is locked." << "File a.b is locked";
  QTest::addRow("leading spaces stay") << "  x " << "  x";
  QTest::addRow("nothing but stops") << "..." << "";
  QTest::addRow("empty") << "" << "";
  QTest::addRow("non-ASCII kept") << QString::fromUtf8("Zugriff verweigert \u00e9.")
                                  << QString::fromUtf8("Zugriff verweigert \u00e9");
}

void TestFileWriter::cleanSystemMessage() {
  QFETCH(QString, Text);
  QFETCH(QString, Cleaned);
  QCOMPARE(CleanSystemMessage(Text), Cleaned);
}

void TestFileWriter::writesNewFile_data() {
  QTest::addColumn<QString>("Name");
  QTest::addColumn<int>("Size");
  QTest::addRow("wallpaper") << "wall.jpg" << 70000;
  QTest::addRow("no extension is added") << "wall" << 1000;
  QTest::addRow("another extension is kept") << "wall.png" << 10;
  QTest::addRow("empty content") << "empty.jpg" << 0;
  QTest::addRow("spaces and non-ASCII") << QString::fromUtf8("m\u00fcde Tapete 1.jpg") << 333;
}

void TestFileWriter::writesNewFile() {
  QFETCH(QString, Name);
  QFETCH(int, Size);
  QTemporaryDir Dir;
  QVERIFY(Dir.isValid());
  const QByteArray Bytes = Pattern(Size);
  WriteFileReplacing(Dir.filePath(Name), Bytes);
  QCOMPARE(ReadBytes(Dir.filePath(Name)), Bytes);
  QCOMPARE(Entries(Dir.path()), QStringList{Name});
}

// A longer old file is replaced, not overwritten at its start.
void TestFileWriter::replacesExistingFile() {
  QTemporaryDir Dir;
  const QString Path = Dir.filePath("wall.jpg");
  WriteAll(Path, QByteArray(5000, 'o'));
  WriteFileReplacing(Path, "new");
  QCOMPARE(ReadBytes(Path), QByteArray("new"));
  QCOMPARE(Entries(Dir.path()), QStringList{"wall.jpg"});
}

void TestFileWriter::keepsPermissionsOfReplacedFile() {
  QTemporaryDir Dir;
  const QString Path = Dir.filePath("wall.jpg");
  WriteAll(Path, "old");
  QCOMPARE(::chmod(QFile::encodeName(Path).constData(), 0640), 0);
  WriteFileReplacing(Path, "new");
  struct stat After {};
  QCOMPARE(::stat(QFile::encodeName(Path).constData(), &After), 0);
  QCOMPARE(After.st_mode & 07777, mode_t(0640));
}

// A link to a file: the file it names gets the content, the link stays a link.
void TestFileWriter::writesThroughLink() {
  QTemporaryDir Dir;
  QVERIFY(QDir(Dir.path()).mkdir("real"));
  const QString Real = Dir.filePath("real/wall.jpg");
  const QString Link = Dir.filePath("link.jpg");
  WriteAll(Real, "old");
  QVERIFY(QFile::link(Real, Link));
  WriteFileReplacing(Link, "new");
  QCOMPARE(ReadBytes(Real), QByteArray("new"));
  QVERIFY(QFileInfo(Link).isSymLink());
  QCOMPARE(Entries(Dir.filePath("real")), QStringList{"wall.jpg"});
}

void TestFileWriter::cannotCreate_data() {
  QTest::addColumn<QString>("Name"); // relative to the temporary folder
  QTest::addColumn<int>("ErrorCode");
  QTest::addColumn<QString>("Folder"); // where no temporary file may be left
  QTest::addRow("missing folder") << "missing/wall.jpg" << ENOENT << "";
  QTest::addRow("a file used as a folder") << "file.txt/wall.jpg" << ENOTDIR << "";
  QTest::addRow("a directory as the target") << "sub" << EISDIR << "";
  QTest::addRow("read-only file") << "readonly.jpg" << EACCES << "";
  QTest::addRow("name too long") << QString(300, QChar('n')) + ".jpg" << ENAMETOOLONG << "";
  QTest::addRow("read-only file in a subfolder") << "sub/locked.jpg" << EACCES << "sub";
}

// Each refused name gives the message with its full path and the system's reason, and
// leaves the folder as it was: earlier files unchanged, no temporary file.
void TestFileWriter::cannotCreate() {
  QFETCH(QString, Name);
  QFETCH(int, ErrorCode);
  QFETCH(QString, Folder);
  QTemporaryDir Dir;
  QVERIFY(QDir(Dir.path()).mkdir("sub"));
  WriteAll(Dir.filePath("file.txt"), "a file");
  WriteAll(Dir.filePath("readonly.jpg"), "earlier wallpaper");
  WriteAll(Dir.filePath("sub/locked.jpg"), "earlier wallpaper");
  QCOMPARE(::chmod(QFile::encodeName(Dir.filePath("readonly.jpg")).constData(), 0444), 0);
  QCOMPARE(::chmod(QFile::encodeName(Dir.filePath("sub/locked.jpg")).constData(), 0444), 0);
  const QStringList Before = Entries(Dir.filePath(Folder));

  const QString Path = Dir.filePath(Name);
  QCOMPARE(MessageOf([&] { WriteFileReplacing(Path, "new content"); }),
           Expected(Path, ErrorCode));
  QCOMPARE(Entries(Dir.filePath(Folder)), Before);
  QCOMPARE(ReadBytes(Dir.filePath("readonly.jpg")), QByteArray("earlier wallpaper"));
  QCOMPARE(ReadBytes(Dir.filePath("sub/locked.jpg")), QByteArray("earlier wallpaper"));
  QCOMPARE(ReadBytes(Dir.filePath("file.txt")), QByteArray("a file"));
}

void TestFileWriter::relativeNameReportedInFull() {
  QTemporaryDir Dir;
  const QString Old = QDir::currentPath();
  QVERIFY(QDir::setCurrent(Dir.path()));
  const QString Message = MessageOf([] { WriteFileReplacing("missing/wall.jpg", "x"); });
  QDir::setCurrent(Old);
  QCOMPARE(Message, Expected(QDir(Dir.path()).absoluteFilePath("missing/wall.jpg"), ENOENT));
}

// The file is made (or refused) before any content exists, so an uncreatable name is
// reported even when the content could never have been produced.
void TestFileWriter::creationFailsBeforeAnyContent() {
  QTemporaryDir Dir;
  const QString Path = Dir.filePath("missing/wall.jpg");
  QCOMPARE(MessageOf([&] { TReplacingFile File(Path); }), Expected(Path, ENOENT));
}

// While the file is written it has no name, so a process killed then leaves nothing behind.
void TestFileWriter::uncommittedLeavesNoTrace() {
  QTemporaryDir Dir;
  const QString Path = Dir.filePath("wall.jpg");
  WriteAll(Path, "earlier wallpaper");
  {
    TReplacingFile File(Path);
    QCOMPARE(File.FullName(), Path);
    QCOMPARE(Entries(Dir.path()), QStringList{"wall.jpg"});
  }
  QCOMPARE(Entries(Dir.path()), QStringList{"wall.jpg"});
  QCOMPARE(ReadBytes(Path), QByteArray("earlier wallpaper"));
}

// The write stops short (a file size limit stands in for a full disk): an error with the
// file's name and the reason, the earlier file intact, nothing left beside it.
void TestFileWriter::shortWriteIsAnError() {
  QTemporaryDir Dir;
  const QString Path = Dir.filePath("wall.jpg");
  WriteAll(Path, "earlier wallpaper");
  QString Message;
  {
    TFileSizeLimit Limit(4096);
    QVERIFY(Limit.Ok());
    Message = MessageOf([&] { WriteFileReplacing(Path, Pattern(100000)); });
  }
  QCOMPARE(Message, Expected(Path, EFBIG));
  QCOMPARE(ReadBytes(Path), QByteArray("earlier wallpaper"));
  QCOMPARE(Entries(Dir.path()), QStringList{"wall.jpg"});
}

void TestFileWriter::fullDeviceIsAnError() {
  if (!QFileInfo::exists("/dev/full"))
    QSKIP("no /dev/full here");
  QCOMPARE(MessageOf([] { WriteFileReplacing("/dev/full", Pattern(1000)); }),
           Expected("/dev/full", ENOSPC));
  struct stat After {};
  QCOMPARE(::stat("/dev/full", &After), 0);
  QVERIFY(S_ISCHR(After.st_mode));
}

// A device cannot be renamed over; it is written in place and stays a device.
void TestFileWriter::deviceIsWrittenNotReplaced() {
  WriteFileReplacing("/dev/null", Pattern(1000));
  struct stat After {};
  QCOMPARE(::stat("/dev/null", &After), 0);
  QVERIFY(S_ISCHR(After.st_mode));
  const QStringList DevEntries = Entries("/dev");
  QVERIFY(!DevEntries.join(' ').contains(".zelvane-"));
}

// Keep: a name already taken, or taken by another writer while the content is written, is
// left as it is, a link of that name included; nothing of the new file remains.
void TestFileWriter::keptWhenTaken() {
  QTemporaryDir Dir;
  const QString Taken = Dir.filePath("taken.jpg");
  const QString Dangling = Dir.filePath("dangling.jpg");
  WriteAll(Taken, "old");
  QVERIFY(QFile::link(Dir.filePath("nowhere"), Dangling));
  for (const QString &Path : {Taken, Dangling})
    QCOMPARE(MessageOf([&] { TReplacingFile File(Path, TExistingFile::Keep); }),
             Expected(Path, EEXIST));

  const QString Raced = Dir.filePath("raced.jpg");
  QCOMPARE(MessageOf([&] {
             TReplacingFile File(Raced, TExistingFile::Keep);
             WriteAll(Raced, "theirs");
             File.Commit("ours");
           }),
           Expected(Raced, EEXIST));
  QCOMPARE(ReadBytes(Raced), QByteArray("theirs"));
  QCOMPARE(ReadBytes(Taken), QByteArray("old"));
  QCOMPARE(Entries(Dir.path()), (QStringList{"dangling.jpg", "raced.jpg", "taken.jpg"}));

  const QString Free = Dir.filePath("free.jpg");
  TReplacingFile File(Free, TExistingFile::Keep);
  File.Commit("new");
  QCOMPARE(ReadBytes(Free), QByteArray("new"));
}

QTEST_GUILESS_MAIN(TestFileWriter)
#include "tst_filewriter.moc"
