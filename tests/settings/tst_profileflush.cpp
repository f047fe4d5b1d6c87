#include "settings/profile.h"
#include "profiletestutil.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// Getting the private-profile layer's writes to disk: when, as a whole new file, beside
// another writer, and in the face of files that are no settings files at all.
class TProfileFlushTest : public QObject, protected TSettingsFolder {
  Q_OBJECT
private slots:
  void init();

  void ReadsOwnWritesBeforeFlush();
  void DestructorFlushes();
  void FlushWithoutWritesTouchesNothing();
  void FlushLeavesNothingBeside();
  void NotWritable();
  void FileNameIsAFolder();
  void TwoWritersKeepEachOthersKeys();
  void SameKeyLastFlushWins();
  void OneEnormousLine();
  void FileAtSizeLimit();
  void OversizeFileLeftAlone_data();
  void OversizeFileLeftAlone();
  void LineCountLimit_data();
  void LineCountLimit();
  void BinaryGarbage();
  void Utf16Garbage();
};

void TProfileFlushTest::init() { QVERIFY(NewSettingsFolder()); }

void TProfileFlushTest::ReadsOwnWritesBeforeFlush() {
  WriteFileBytes(FPath, "[config]\nquality=5\n"_ba);
  TProfileFile File(FPath);
  QVERIFY(!File.Modified());
  File.WriteInteger(u"config"_s, u"quality"_s, 8);
  File.WriteBool(u"watermark"_s, u"fontbold"_s, true);
  QVERIFY(File.Modified());
  QCOMPARE(File.ReadInteger(u"config"_s, u"quality"_s, 0), 8);
  QCOMPARE(File.ReadBool(u"watermark"_s, u"fontbold"_s, false), true);
  // Not on disk until flushed.
  QCOMPARE(ReadBytes(FPath), "[config]\nquality=5\n"_ba);
  File.Flush();
  QCOMPARE(ReadBytes(FPath), "[config]\nquality=8\n[watermark]\nfontbold=1\n"_ba);
}

void TProfileFlushTest::DestructorFlushes() {
  {
    TProfileFile File(FPath);
    File.WriteInteger(u"watermark"_s, u"left"_s, -12);
    File.WriteString(u"watermark"_s, u"text"_s, u"hello"_s);
  }
  QCOMPARE(ReadBytes(FPath), "[watermark]\nleft=-12\ntext=hello\n"_ba);
}

void TProfileFlushTest::FlushWithoutWritesTouchesNothing() {
  {
    TProfileFile File(FPath);
    File.Flush();
  }
  QVERIFY(!QFileInfo::exists(FPath));

  const QByteArray Foreign = "[config]\r\n  quality = 5 ; odd\r\n"_ba;
  WriteFileBytes(FPath, Foreign);
  {
    TProfileFile File(FPath);
    QCOMPARE(File.ReadString(u"config"_s, u"quality"_s, QString()), u"5 ; odd"_s);
    File.Flush();
  }
  QCOMPARE(ReadBytes(FPath), Foreign);
}

void TProfileFlushTest::FlushLeavesNothingBeside() {
  {
    TProfileFile File(FPath);
    File.WriteInteger(u"config"_s, u"quality"_s, 9);
    File.Flush();
    File.WriteInteger(u"config"_s, u"quality"_s, 8);
  }
  const QStringList Entries = QDir(FDir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  QCOMPARE(Entries, QStringList{u"Zelvane.ini"_s});
  QCOMPARE(ReadBytes(FPath), "[config]\nquality=8\n"_ba);
}

void TProfileFlushTest::NotWritable() {
  // Its "folder" is a regular file: no write can succeed there, not even as root.
  const QString Blocker = FDir->filePath(u"blocker"_s);
  WriteFileBytes(Blocker, "not a folder"_ba);
  const QString Path = Blocker + u"/Zelvane.ini"_s;
  {
    TProfileFile File(Path);
    QCOMPARE(File.ReadInteger(u"config"_s, u"quality"_s, 10), 10);
    File.WriteInteger(u"config"_s, u"quality"_s, 7);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, File.Flush());
    QVERIFY(File.Modified());
    QCOMPARE(File.ReadInteger(u"config"_s, u"quality"_s, 10), 7);
  } // the destructor's retry fails quietly
  QVERIFY(QFileInfo(Blocker).isFile());
  QCOMPARE(ReadBytes(Blocker), "not a folder"_ba);
}

void TProfileFlushTest::FileNameIsAFolder() {
  QVERIFY(QDir(FDir->path()).mkdir(u"Zelvane.ini"_s));
  {
    TProfileFile File(FPath);
    QVERIFY(!File.ValueExists(u"config"_s, u"quality"_s));
    File.WriteInteger(u"config"_s, u"quality"_s, 7);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, File.Flush());
  }
  QVERIFY(QFileInfo(FPath).isDir());
}

void TProfileFlushTest::TwoWritersKeepEachOthersKeys() {
  WriteFileBytes(FPath, "[config]\nquality=5\n; kept\n"_ba);
  TProfileFile A(FPath);
  TProfileFile B(FPath);
  A.WriteString(u"config"_s, u"openpath"_s, u"/a/"_s);
  B.WriteString(u"config"_s, u"savepath"_s, u"/b/"_s);
  B.WriteString(u"watermark"_s, u"text"_s, u"from B"_s);
  A.Flush();
  B.Flush(); // B opened before A flushed, yet A's key survives
  QCOMPARE(ReadBytes(FPath),
           "[config]\nquality=5\n; kept\nopenpath=/a/\nsavepath=/b/\n[watermark]\ntext=from B\n"_ba);
  // Each object now also sees the other's keys.
  QCOMPARE(B.ReadString(u"config"_s, u"openpath"_s, QString()), u"/a/"_s);
}

void TProfileFlushTest::SameKeyLastFlushWins() {
  TProfileFile A(FPath);
  TProfileFile B(FPath);
  B.WriteInteger(u"config"_s, u"quality"_s, 6);
  A.WriteInteger(u"config"_s, u"quality"_s, 9);
  B.Flush();
  A.Flush();
  QCOMPARE(TProfileFile(FPath).ReadInteger(u"config"_s, u"quality"_s, 0), 9);
  B.WriteInteger(u"config"_s, u"quality"_s, 6);
  B.Flush();
  QCOMPARE(TProfileFile(FPath).ReadInteger(u"config"_s, u"quality"_s, 0), 6);
}

void TProfileFlushTest::OneEnormousLine() {
  // 3 MiB on one line, below the size limit.
  QByteArray Data = "[config]\nquality=7\n[watermark]\ntext="_ba;
  Data += QByteArray(3 * 1024 * 1024, 'a');
  WriteFileBytes(FPath, Data);
  {
    TProfileFile File(FPath);
    QCOMPARE(File.ReadInteger(u"config"_s, u"quality"_s, 10), 7);
    QCOMPARE(File.ReadString(u"watermark"_s, u"text"_s, QString()), QString(2047, u'a'));
    File.WriteInteger(u"config"_s, u"quality"_s, 8);
  }
  QCOMPARE(ReadBytes(FPath), Data.replace("quality=7", "quality=8") + "\n");
}

void TProfileFlushTest::FileAtSizeLimit() {
  QByteArray Data = "[config]\nquality=7\n;"_ba;
  Data += QByteArray(TProfileFile::MaxFileSize - Data.size() - 1, 'x') + "\n";
  QCOMPARE(Data.size(), TProfileFile::MaxFileSize);
  WriteFileBytes(FPath, Data);
  const TProfileFile File(FPath);
  QCOMPARE(File.ReadInteger(u"config"_s, u"quality"_s, 10), 7);
}

void TProfileFlushTest::OversizeFileLeftAlone_data() {
  QTest::addColumn<QByteArray>("Data");
  QByteArray Large = "[config]\nquality=7\n;"_ba;
  Large += QByteArray(TProfileFile::MaxFileSize - Large.size(), 'x') + "\n";
  QCOMPARE(Large.size(), TProfileFile::MaxFileSize + 1);
  QTest::addRow("one byte too large") << Large;
  QTest::addRow("one line too many")
      << "[config]\nquality=7\n"_ba + QByteArray(TProfileFile::MaxLineCount - 1, '\n');
}

void TProfileFlushTest::OversizeFileLeftAlone() {
  // Not a settings file of ours, yet maybe someone's: nothing is read from it, and it is
  // neither written to nor replaced, however often a flush is tried.
  QFETCH(QByteArray, Data);
  WriteFileBytes(FPath, Data);
  {
    TProfileFile File(FPath);
    QCOMPARE(File.ReadInteger(u"config"_s, u"quality"_s, 10), 10);
    File.WriteInteger(u"config"_s, u"quality"_s, 6);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, File.Flush());
  }
  QCOMPARE(ReadBytes(FPath), Data);
  QCOMPARE(QDir(FDir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
           QStringList{u"Zelvane.ini"_s});
}

void TProfileFlushTest::LineCountLimit_data() {
  QTest::addColumn<qsizetype>("Lines");
  QTest::addColumn<bool>("FinalBreak");
  QTest::addColumn<int>("Expected");
  QTest::addRow("at the limit") << TProfileFile::MaxLineCount << true << 7;
  QTest::addRow("at the limit, no final break") << TProfileFile::MaxLineCount << false << 7;
  QTest::addRow("one line more") << TProfileFile::MaxLineCount + 1 << true << 10;
  QTest::addRow("one line more, no final break") << TProfileFile::MaxLineCount + 1 << false << 10;
}

void TProfileFlushTest::LineCountLimit() {
  // Blank lines make a small file of many lines; each would cost memory once parsed.
  QFETCH(qsizetype, Lines);
  QFETCH(bool, FinalBreak);
  QFETCH(int, Expected);
  QByteArray Data = "[config]\nquality=7\n"_ba + QByteArray(Lines - 2, '\n');
  if (!FinalBreak)
    Data.back() = ';'; // the last line is ";", with no break after it
  WriteFileBytes(FPath, Data);
  const TProfileFile File(FPath);
  QCOMPARE(File.ReadInteger(u"config"_s, u"quality"_s, 10), Expected);
}

void TProfileFlushTest::BinaryGarbage() {
  QRandomGenerator Random(20240611);
  QByteArray Garbage(64 * 1024, '\0');
  for (char &Byte : Garbage)
    Byte = static_cast<char>(Random.bounded(256));
  Garbage[0] = '\0'; // no byte-order mark by chance
  Garbage[Garbage.size() - 1] = '\x01';
  WriteFileBytes(FPath, Garbage);
  {
    TProfileFile File(FPath);
    QCOMPARE(File.ReadInteger(u"config"_s, u"quality"_s, 10), 10);
    QCOMPARE(File.ReadString(u"watermark"_s, u"text"_s, u"none"_s), u"none"_s);
    File.WriteInteger(u"config"_s, u"quality"_s, 6);
    File.WriteString(u"watermark"_s, u"text"_s, u"after garbage"_s);
  }
  const QByteArray After = ReadBytes(FPath);
  QVERIFY(After.startsWith(Garbage)); // foreign bytes kept as they were
  const TProfileFile Again(FPath);
  QCOMPARE(Again.ReadInteger(u"config"_s, u"quality"_s, 10), 6);
  QCOMPARE(Again.ReadString(u"watermark"_s, u"text"_s, QString()), u"after garbage"_s);
}

void TProfileFlushTest::Utf16Garbage() {
  // A mark followed by an odd number of bytes and unpaired surrogates.
  const QByteArray Garbage("\xFF\xFE\x00\xD8\x41\x00\x00\xDC\x0A\x00\x5B\x00\x99", 13);
  WriteFileBytes(FPath, Garbage);
  {
    TProfileFile File(FPath);
    QCOMPARE(File.ReadInteger(u"config"_s, u"quality"_s, 10), 10);
    File.WriteInteger(u"config"_s, u"quality"_s, 6);
  }
  const TProfileFile Again(FPath);
  QCOMPARE(Again.ReadInteger(u"config"_s, u"quality"_s, 10), 6);
}

QTEST_GUILESS_MAIN(TProfileFlushTest)
#include "tst_profileflush.moc"
