// Where Zelvane.ini lives: beside a copy run from its own folder, in the user's configuration
// folder for an installed program (root included); and a save and load through the chosen name
// meet.
#include "profiletestutil.h"
#include "settings/settings.h"
#include "settings/settingslocation.h"
#include "settingsfixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TSettingsLocationTest : public QObject {
  Q_OBJECT
private slots:
  void init();
  void Chooses_data();
  void Chooses();
  void FallbackFolderIsMade();
  void InstalledRoundTrip();
  void ConfigFolderIsNamedAfterTheProgram();

private:
  std::unique_ptr<QTemporaryDir> FDir;
  QString FExe;
  QString FConfig;
};

void TSettingsLocationTest::init() {
  FDir = std::make_unique<QTemporaryDir>();
  QVERIFY(FDir->isValid());
  FExe = FDir->filePath(u"bin"_s);
  FConfig = FDir->filePath(u"home/.config/Zelvane"_s);
  QVERIFY(QDir().mkpath(FExe));
}

void TSettingsLocationTest::Chooses_data() {
  // Folder: "own" (a build or unpacked folder), "prefix" (the same folder given as the install
  // prefix's bin folder) or a real path. Writable: whether this user may create files there;
  // root may everywhere, so for root only the install folders tell an installed program.
  QTest::addColumn<QString>("Folder");
  QTest::addColumn<bool>("Writable");
  QTest::addColumn<bool>("BesideExists");
  QTest::addColumn<bool>("HasConfig");
  QTest::addColumn<QString>("Expected"); // "beside", "config" or "none"
  QTest::addRow("own folder") << "own" << true << false << true << "beside";
  QTest::addRow("own folder, file beside") << "own" << true << true << true << "beside";
  QTest::addRow("own folder, no config folder") << "own" << true << false << false << "beside";
  QTest::addRow("read-only folder, user") << "own" << false << false << true << "config";
  QTest::addRow("read-only folder, user, file beside")
      << "own" << false << true << true << "config";
  QTest::addRow("prefix bin, user") << "prefix" << false << false << true << "config";
  QTest::addRow("prefix bin, root") << "prefix" << true << false << true << "config";
  QTest::addRow("prefix bin, root, file beside") << "prefix" << true << true << true << "config";
  QTest::addRow("prefix bin, root, no config folder")
      << "prefix" << true << false << false << "none";
  QTest::addRow("/usr/bin, user") << "/usr/bin" << false << false << true << "config";
  QTest::addRow("/usr/bin, root") << "/usr/bin" << true << false << true << "config";
}

void TSettingsLocationTest::Chooses() {
  QFETCH(QString, Folder);
  QFETCH(bool, Writable);
  QFETCH(bool, BesideExists);
  QFETCH(bool, HasConfig);
  QFETCH(QString, Expected);
  const bool Scratch = Folder == u"own"_s || Folder == u"prefix"_s;
  const QString ExeFolder = Scratch ? FExe : Folder;
  QStringList Installs = InstallFolders();
  if (Folder == u"prefix"_s)
    Installs.append(FExe);
  const QString Beside = QDir(ExeFolder).filePath(u"Zelvane.ini"_s);
  if (BesideExists)
    WriteFileBytes(Beside, "[config]\nquality=7\n"_ba);
  const bool Existed = QFileInfo::exists(Beside);
  const QByteArray Before = ReadBytes(Beside);

  const QString Chosen =
      SettingsFileNameIn(ExeFolder, Writable, Installs, HasConfig ? FConfig : QString());
  const QString InConfig = QDir(FConfig).filePath(u"Zelvane.ini"_s);
  QCOMPARE(Chosen, Expected == u"beside"_s   ? Beside
                   : Expected == u"config"_s ? InConfig
                                             : QString());
  // Choosing never makes or touches the file itself.
  QCOMPARE(QFileInfo::exists(Beside), Existed);
  QCOMPARE(ReadBytes(Beside), Before);
  QVERIFY(!QFileInfo::exists(InConfig));
}

void TSettingsLocationTest::FallbackFolderIsMade() {
  // ~/.config/Zelvane does not exist on a first run; the file's folder must, or the save fails.
  QVERIFY(!QFileInfo::exists(FConfig));
  const QString Chosen = SettingsFileNameIn(FExe, false, {}, FConfig);
  QVERIFY(QFileInfo(FConfig).isDir());
  QCOMPARE(QFileInfo(Chosen).absolutePath(), QFileInfo(FConfig).absoluteFilePath());
}

void TSettingsLocationTest::InstalledRoundTrip() {
  // Root runs an installed copy that has an older file beside it: that file is neither read
  // nor written, and the next start finds what this one saved.
  const QString Beside = QDir(FExe).filePath(u"Zelvane.ini"_s);
  const QByteArray Foreign = "[config]\nquality=7\n[watermark]\ntext=root's\n"_ba;
  WriteFileBytes(Beside, Foreign);
  const QString Chosen = SettingsFileNameIn(FExe, true, {FExe}, FConfig);

  QCOMPARE(LoadSettings(Chosen, Frame), (TSettings{.OpenPath = QString(), .SavePath = QString()}));
  TSettings First = WindowAtStart();
  First.Quality = 6;
  First.OpenPath = u"/pictures/"_s;
  First.Text = u"kept"_s;
  SaveSettings(First, StartOf(), Chosen);

  QCOMPARE(ReadBytes(Beside), Foreign);
  QCOMPARE(QDir(FExe).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
           QStringList{u"Zelvane.ini"_s});
  const QByteArray Stored = ReadBytes(QDir(FConfig).filePath(u"Zelvane.ini"_s));
  QVERIFY2(Stored.contains("quality=6\n"), Stored.constData());
  QVERIFY2(Stored.contains("text=kept\n"), Stored.constData());

  const TSettings Read = LoadSettings(SettingsFileNameIn(FExe, true, {FExe}, FConfig), Frame);
  QCOMPARE(Read.Quality, 6);
  QCOMPARE(Read.OpenPath, u"/pictures/"_s);
  QCOMPARE(Read.Text, u"kept"_s);
}

void TSettingsLocationTest::ConfigFolderIsNamedAfterTheProgram() {
  // The folder the README names: $XDG_CONFIG_HOME/Zelvane, no organisation level in between.
  const QByteArray Saved = qgetenv("XDG_CONFIG_HOME");
  const QString Home = FDir->filePath(u"xdg"_s);
  QVERIFY(QDir().mkpath(Home));
  QFile::setPermissions(Home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("XDG_CONFIG_HOME", Home.toLocal8Bit());
  const QString Folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  qputenv("XDG_CONFIG_HOME", Saved);
  QCOMPARE(Folder, QDir(Home).filePath(u"Zelvane"_s));
}

int main(int Argc, char **Argv) {
  QCoreApplication Application(Argc, Argv);
  // As the program names itself.
  QCoreApplication::setApplicationName(u"Zelvane"_s);
  TSettingsLocationTest Test;
  return QTest::qExec(&Test, Argc, Argv);
}

#include "tst_settingslocation.moc"
