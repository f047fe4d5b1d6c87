// Where Zelvane.ini lives: beside the executable when it is there or may be made there, else
// in the user's configuration folder; and a save and load through the chosen name meet.
#include "faketarget.h"
#include "profiletestutil.h"
#include "settings/settings.h"

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
  void FallbackRoundTrip();
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
  QTest::addColumn<bool>("BesideExists");
  QTest::addColumn<bool>("Writable");
  QTest::addColumn<bool>("HasConfig");
  QTest::addColumn<bool>("ExpectBeside");
  // A file shipped beside a read-only executable is still the one read and written.
  QTest::addRow("existing file, read-only folder") << true << false << true << true;
  QTest::addRow("existing file, writable folder") << true << true << true << true;
  QTest::addRow("no file, writable folder") << false << true << true << true;
  QTest::addRow("no file, read-only folder") << false << false << true << false;
  // Without a configuration folder there is nowhere better; the write then fails silently.
  QTest::addRow("no file, read-only folder, no config folder") << false << false << false << true;
}

void TSettingsLocationTest::Chooses() {
  QFETCH(bool, BesideExists);
  QFETCH(bool, Writable);
  QFETCH(bool, HasConfig);
  QFETCH(bool, ExpectBeside);
  const QString Beside = QDir(FExe).filePath(u"Zelvane.ini"_s);
  if (BesideExists)
    WriteFileBytes(Beside, "[config]\nquality=7\n"_ba);

  const QString Chosen = SettingsFileNameIn(FExe, Writable, HasConfig ? FConfig : QString());
  QCOMPARE(Chosen, ExpectBeside ? Beside : QDir(FConfig).filePath(u"Zelvane.ini"_s));
  // Choosing never makes or touches the file itself.
  QCOMPARE(QFileInfo::exists(Beside), BesideExists);
  QVERIFY(!QFileInfo::exists(QDir(FConfig).filePath(u"Zelvane.ini"_s)));
}

void TSettingsLocationTest::FallbackFolderIsMade() {
  // ~/.config/Zelvane does not exist on a first run; the file's folder must, or the save fails.
  QVERIFY(!QFileInfo::exists(FConfig));
  const QString Chosen = SettingsFileNameIn(FExe, false, FConfig);
  QVERIFY(QFileInfo(FConfig).isDir());
  QCOMPARE(QFileInfo(Chosen).absolutePath(), QFileInfo(FConfig).absoluteFilePath());
}

void TSettingsLocationTest::FallbackRoundTrip() {
  TFakeTarget Written;
  Written.S.Quality = 6;
  Written.S.OpenPath = u"/pictures/"_s;
  Written.S.LabelText = Written.S.EditText = u"kept"_s;
  SaveSettings(Written, SettingsFileNameIn(FExe, false, FConfig));

  // Nothing lands beside the executable; the next start finds the file again.
  QVERIFY(QDir(FExe).isEmpty());
  const QByteArray Stored = ReadFileBytes(QDir(FConfig).filePath(u"Zelvane.ini"_s));
  QVERIFY2(Stored.contains("quality=6\n"), Stored.constData());
  QVERIFY2(Stored.contains("text=kept\n"), Stored.constData());

  TFakeTarget Read;
  LoadSettings(Read, SettingsFileNameIn(FExe, false, FConfig));
  QCOMPARE(Read.S.Quality, 6);
  QCOMPARE(Read.S.OpenPath, u"/pictures/"_s);
  QCOMPARE(Read.S.LabelText, u"kept"_s);
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
