#include "profiletestutil.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "settings/settingslocation.h"
#include "settingsfixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/mount.h>

// Saving the settings file: which keys are written, where, and that nothing stops the save
// from ending quietly.
class TSettingsSaveTest : public QObject, protected TSettingsFolder {
  Q_OBJECT
private slots:
  void init();

  void ExampleFileWritten();
  void WriteConditions_data();
  void WriteConditions();
  void LoadedPositionKept();
  void WrittenWhenFileHoldsIt_data();
  void WrittenWhenFileHoldsIt();
  void ReturnToStartFontSticks();
  void ReturnToStartPositionSticks();
  void UnstorableTextKeepsItsKey_data();
  void UnstorableTextKeepsItsKey();
  void SavingAgainKeepsOneLinePerKey();
  void NotWritable();
  void FileNameIsAFolder();
  void UnusableFiles_data();
  void UnusableFiles();
  void TwoCopies();
  void FullFileSystemKeepsOldFile();
  void FileBesideExecutable();

private:
  TSettings Load(const QByteArray &Content);
  void Save(const TSettings &Values);
};

void TSettingsSaveTest::init() { QVERIFY(NewSettingsFolder()); }

TSettings TSettingsSaveTest::Load(const QByteArray &Content) {
  WriteFileBytes(FPath, Content);
  return LoadSettings(FPath, Frame);
}

// The label's position as loaded is the layout one.
void TSettingsSaveTest::Save(const TSettings &Values) { SaveSettings(Values, StartOf(), FPath); }

void TSettingsSaveTest::ExampleFileWritten() {
  Save(ExampleValues());
  QCOMPARE(ReadBytes(FPath), JoinLines(ExampleLines));
}

void TSettingsSaveTest::WriteConditions_data() {
  QTest::addColumn<TSetup>("Change");
  QTest::addColumn<QByteArray>("Expected");

  const QByteArray Flags0 = "fontbold=0\nfontitalic=0\nfontunderline=0\nfontstrikeOut=0\n"_ba;
  QTest::addRow("start values") << TSetup([](auto &) {})
                                << "[config]\nquality=10\n[watermark]\n"_ba + Flags0 + "text=\n";
  QTest::addRow("folders")
      << TSetup([](auto &S) {
           S.OpenPath = u"/in/"_s;
           S.SavePath = u"/out/"_s;
         })
      << "[config]\nopenpath=/in/\nsavepath=/out/\nquality=10\n[watermark]\n"_ba + Flags0 +
             "text=\n";
  QTest::addRow("save folder only")
      << TSetup([](auto &S) { S.SavePath = u"/out/"_s; })
      << "[config]\nsavepath=/out/\nquality=10\n[watermark]\n"_ba + Flags0 + "text=\n";
  QTest::addRow("quality 5") << TSetup([](auto &S) { S.Quality = 5; })
                             << "[config]\nquality=5\n[watermark]\n"_ba + Flags0 + "text=\n";
  QTest::addRow("font name case counts")
      << TSetup([](auto &S) { S.FontName = u"tahoma"_s; })
      << "[config]\nquality=10\n[watermark]\nfontname=tahoma\n"_ba + Flags0 + "text=\n";
  QTest::addRow("font size") << TSetup([](auto &S) {
    S.FontSize = 9;
  }) << "[config]\nquality=10\n[watermark]\nfontsize=9\n"_ba + Flags0 + "text=\n";
  QTest::addRow("colour black") << TSetup([](auto &S) {
    S.FontColor = 0;
  }) << "[config]\nquality=10\n[watermark]\nfontcolor=0\n"_ba + Flags0 + "text=\n";
  QTest::addRow("colour other system colour")
      << TSetup([](auto &S) { S.FontColor = -2147483643; })
      << "[config]\nquality=10\n[watermark]\nfontcolor=-2147483643\n"_ba + Flags0 + "text=\n";
  QTest::addRow("styles") << TSetup([](auto &S) { S.FontStyle = fsItalic | fsStrikeOut; })
                          << "[config]\nquality=10\n[watermark]\nfontbold=0\nfontitalic=1\n"
                             "fontunderline=0\nfontstrikeOut=1\ntext=\n"_ba;
  QTest::addRow("left moved by text") << TSetup([](auto &S) {
    S.Text = u"Hi"_s;
    S.Left = 454;
  }) << "[config]\nquality=10\n[watermark]\n"_ba + Flags0 + "left=454\ntext=Hi\n";
  QTest::addRow("left 0 or less still written")
      << TSetup([](auto &S) { S.Left = -7; })
      << "[config]\nquality=10\n[watermark]\n"_ba + Flags0 + "left=-7\ntext=\n";
  QTest::addRow("top only") << TSetup([](auto &S) { S.Top = 3; })
                            << "[config]\nquality=10\n[watermark]\n"_ba + Flags0 + "top=3\ntext=\n";
}

void TSettingsSaveTest::WriteConditions() {
  QFETCH(TSetup, Change);
  QFETCH(QByteArray, Expected);
  TSettings Values = WindowAtStart();
  Change(Values);
  Save(Values);
  QCOMPARE(ReadBytes(FPath), Expected);
}

void TSettingsSaveTest::LoadedPositionKept() {
  TSettings Values = WindowAtStart();
  Values.Left = 100;
  Values.Top = 50;
  SaveSettings(Values, StartOf(100, 50), FPath);
  QCOMPARE(ReadBytes(FPath), "[config]\nquality=10\n[watermark]\nfontbold=0\nfontitalic=0\n"
                                 "fontunderline=0\nfontstrikeOut=0\ntext=\n"_ba);
}

void TSettingsSaveTest::WrittenWhenFileHoldsIt_data() {
  QTest::addColumn<QString>("Key");
  QTest::addColumn<QString>("Stored");
  QTest::addColumn<QString>("Written");
  QTest::addRow("fontname") << "fontname"
                            << "Arial"
                            << "Tahoma";
  QTest::addRow("fontsize") << "fontsize"
                            << "14"
                            << "8";
  QTest::addRow("fontcolor") << "fontcolor"
                             << "255"
                             << "-2147483640";
  QTest::addRow("left") << "left"
                        << "352"
                        << "470";
  QTest::addRow("top") << "top"
                       << "240"
                       << "252";
  QTest::addRow("left, other case") << "Left"
                                    << "352"
                                    << "470";
}

void TSettingsSaveTest::WrittenWhenFileHoldsIt() {
  QFETCH(QString, Key);
  QFETCH(QString, Stored);
  QFETCH(QString, Written);
  WriteFileBytes(FPath, ("[watermark]\n" + Key + "=" + Stored + "\n").toUtf8());
  Save(WindowAtStart()); // every value at its start value
  const TProfileFile File(FPath);
  QCOMPARE(File.ReadString(u"watermark"_s, Key, QString()), Written);
  // Replaced in place: the key's line still comes first in its section.
  QVERIFY(ReadBytes(FPath).startsWith(
      ("[watermark]\n" + Key.toLower() + "=" + Written + "\n").toUtf8()));
}

void TSettingsSaveTest::ReturnToStartFontSticks() {
  // Run 1 ends with Arial 14; run 2 starts with it, goes back to Tahoma 8 and ends; run 3
  // must start with Tahoma 8.
  TSettings Run1 = WindowAtStart();
  Run1.FontName = u"Arial"_s;
  Run1.FontSize = 14;
  Save(Run1);

  const TSettings Run2 = LoadSettings(FPath, Frame);
  QCOMPARE(Run2.FontName, u"Arial"_s);
  QCOMPARE(Run2.FontSize, 14);
  Save(WindowAtStart());

  const TSettings Run3 = LoadSettings(FPath, Frame);
  QCOMPARE(Run3.FontName, u"Tahoma"_s);
  QCOMPARE(Run3.FontSize, 8);
}

void TSettingsSaveTest::ReturnToStartPositionSticks() {
  // Run 1 ends with the label dragged off the left edge; run 2 ignores that, the user drags
  // the label back to x = 470 and ends; run 3 must start with it at 470.
  TSettings Run1 = WindowAtStart();
  Run1.Text = u"Hello"_s;
  Run1.Left = -5;
  Save(Run1);

  QCOMPARE(LoadSettings(FPath, Frame).Left, std::nullopt);
  TSettings Run2 = WindowAtStart();
  Run2.Text = u"Hello"_s;
  Save(Run2); // dragged back to 470, where it was loaded

  QCOMPARE(LoadSettings(FPath, Frame).Left, 470);
}

void TSettingsSaveTest::UnstorableTextKeepsItsKey_data() {
  // A text with a line break cannot be stored in its line.
  QTest::addColumn<TSetup>("Break");
  QTest::addRow("openpath") << TSetup([](auto &S) { S.OpenPath = u"/in\n/"_s; });
  QTest::addRow("savepath") << TSetup([](auto &S) { S.SavePath = u"/out\r/"_s; });
  QTest::addRow("fontname") << TSetup([](auto &S) { S.FontName = u"Ar\nial"_s; });
  QTest::addRow("text") << TSetup([](auto &S) { S.Text = u"My\r\nwallpaper"_s; });
}

void TSettingsSaveTest::UnstorableTextKeepsItsKey() {
  QFETCH(TSetup, Break);
  Save(ExampleValues()); // an earlier run
  TSettings Values = ExampleValues();
  Values.Quality = 6;
  Values.FontSize = 20;
  Break(Values);
  Save(Values); // nothing escapes
  // The broken key keeps the earlier run's value; the keys before and after it take this
  // run's.
  QList<QByteArray> Expected = ExampleLines;
  Expected[3] = "quality=6";
  Expected[6] = "fontsize=20";
  QCOMPARE(ReadBytes(FPath), JoinLines(Expected));
}

void TSettingsSaveTest::SavingAgainKeepsOneLinePerKey() {
  TSettings First = ExampleValues();
  First.Quality = 6;
  First.Text = u"old"_s;
  Save(First);
  Save(ExampleValues());
  QCOMPARE(ReadBytes(FPath), JoinLines(ExampleLines));
}

void TSettingsSaveTest::NotWritable() {
  const QString Blocker = FDir->filePath(u"blocker"_s);
  WriteFileBytes(Blocker, "a file, not a folder"_ba);
  const QString Path = Blocker + u"/Zelvane.ini"_s;

  QCOMPARE(LoadSettings(Path, Frame), (TSettings{.OpenPath = QString(), .SavePath = QString()}));
  SaveSettings(ExampleValues(), StartOf(), Path); // silently not saved
  QCOMPARE(ReadBytes(Blocker), "a file, not a folder"_ba);
  QCOMPARE(QDir(FDir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
           QStringList{u"blocker"_s});
}

void TSettingsSaveTest::FileNameIsAFolder() {
  QVERIFY(QDir(FDir->path()).mkdir(u"Zelvane.ini"_s));
  QCOMPARE(LoadSettings(FPath, Frame), (TSettings{.OpenPath = QString(), .SavePath = QString()}));
  Save(ExampleValues());
  QVERIFY(QFileInfo(FPath).isDir());
}

void TSettingsSaveTest::UnusableFiles_data() {
  QTest::addColumn<QByteArray>("Content");
  QRandomGenerator Random(77);
  QByteArray Binary(256 * 1024, '\0');
  for (char &Byte : Binary)
    Byte = static_cast<char>(Random.bounded(256));
  Binary[0] = 'M'; // no byte-order mark by chance
  QTest::addRow("binary") << Binary;
  QTest::addRow("NUL bytes") << QByteArray(10000, '\0');
  QTest::addRow("UTF-16 mark, odd garbage") << QByteArray("\xFF\xFE\x00\xD8\x5B", 5);
  QTest::addRow("one line, no break") << QByteArray(1024 * 1024, '[');
  QTest::addRow("empty") << QByteArray();
}

void TSettingsSaveTest::UnusableFiles() {
  QFETCH(QByteArray, Content);
  // Starts with the layout values, and ends writing a file that the next start reads.
  QCOMPARE(Load(Content), (TSettings{.OpenPath = QString(), .SavePath = QString()}));
  Save(ExampleValues());
  QCOMPARE(LoadSettings(FPath, Frame), ExampleValues());
}

void TSettingsSaveTest::TwoCopies() {
  // Both start on the same file, A ends first, then B.
  WriteFileBytes(FPath, "[config]\nquality=7\n[other]\nkeep=me\n"_ba);
  QCOMPARE(LoadSettings(FPath, Frame).Quality, 7);
  TSettings A = WindowAtStart(), B = WindowAtStart();
  A.Quality = B.Quality = 7;
  A.OpenPath = u"/a/"_s;
  A.Text = u"from A"_s;
  B.SavePath = u"/b/"_s;
  B.Quality = 8;
  B.FontName = u"Arial"_s;
  B.Text = u"from B"_s;
  Save(A);
  Save(B);
  // A's folder survives B (which writes none), B's values win where both write.
  QCOMPARE(
      ReadBytes(FPath),
      "[config]\nquality=8\nopenpath=/a/\nsavepath=/b/\n[other]\nkeep=me\n[watermark]\n"
      "fontbold=0\nfontitalic=0\nfontunderline=0\nfontstrikeOut=0\ntext=from B\nfontname=Arial\n"_ba);
}

namespace {

// A tmpfs of its own, unmounted again however the test ends.
class TSmallFileSystem {
public:
  explicit TSmallFileSystem(const QString &Folder) : FFolder(Folder.toLocal8Bit()) {
    FMounted = ::mount("tmpfs", FFolder.constData(), "tmpfs", 0, "size=64k") == 0;
  }
  ~TSmallFileSystem() {
    if (FMounted)
      ::umount2(FFolder.constData(), MNT_DETACH);
  }
  bool Mounted() const { return FMounted; }

private:
  QByteArray FFolder;
  bool FMounted = false;
};

// Writes to FileName until the file system takes no more.
void FillUp(const QString &FileName) {
  QFile File(FileName);
  if (!File.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    throw std::runtime_error("cannot create " + FileName.toStdString());
  const QByteArray Block(4096, 'x');
  while (File.write(Block) == Block.size()) {
  }
}

} // namespace

void TSettingsSaveTest::FullFileSystemKeepsOldFile() {
  const QString Folder = FDir->filePath(u"small"_s);
  QVERIFY(QDir().mkpath(Folder));
  const TSmallFileSystem FileSystem(Folder);
  if (!FileSystem.Mounted())
    QSKIP("mounting a tmpfs needs root (CAP_SYS_ADMIN); the full file system goes untested here");

  FPath = QDir(Folder).filePath(u"Zelvane.ini"_s);
  TSettings First = WindowAtStart();
  First.Quality = 6;
  First.Text = u"first run"_s;
  Save(First);
  const QByteArray Before = ReadBytes(FPath);
  QVERIFY(Before.contains("text=first run\n"));

  FillUp(QDir(Folder).filePath(u"filler"_s));
  Save(ExampleValues()); // every key due, none fits

  QCOMPARE(ReadBytes(FPath), Before);
  QCOMPARE(QDir(Folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
           (QStringList{u"filler"_s, u"Zelvane.ini"_s}));
}

void TSettingsSaveTest::FileBesideExecutable() {
  const QString Name = SettingsFileName();
  QCOMPARE(QFileInfo(Name).fileName(), u"Zelvane.ini"_s);
  QCOMPARE(QFileInfo(Name).absoluteDir(),
           QFileInfo(QCoreApplication::applicationFilePath()).absoluteDir());
}

QTEST_GUILESS_MAIN(TSettingsSaveTest)
#include "tst_settingssave.moc"
