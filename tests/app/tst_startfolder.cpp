// Where the open and save dialogs start while no folder is remembered for them: the user's
// pictures folder as the desktop names it, else the home folder; the save dialog never in the
// folder a picture was opened from.
#include "app/application.h"
#include "formtesting.h"

#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

class TStartFolderTest : public QObject, protected TWindowTestSeams {
  Q_OBJECT
private slots:
  void initTestCase();
  void init();
  void cleanup();
  void FirstDialogStartsInPictures_data();
  void FirstDialogStartsInPictures();

private:
  QByteArray FHome;
  QByteArray FConfigHome;
};

void TStartFolderTest::initTestCase() {
  QVERIFY(InstallSeams());
  FHome = qgetenv("HOME");
  FConfigHome = qgetenv("XDG_CONFIG_HOME");
  QImage Picture(40, 30, QImage::Format_RGB32);
  Picture.fill(qRgb(10, 120, 200));
  QVERIFY(QDir().mkpath(FDir.filePath("photos")));
  QVERIFY(QImageWriter(FDir.filePath("photos/photo.png"), "png").write(Picture));
}

void TStartFolderTest::init() {
  ResetSeams();
}

void TStartFolderTest::cleanup() {
  qputenv("HOME", FHome);
  if (FConfigHome.isNull())
    qunsetenv("XDG_CONFIG_HOME");
  else
    qputenv("XDG_CONFIG_HOME", FConfigHome);
}

void TStartFolderTest::FirstDialogStartsInPictures_data() {
  QTest::addColumn<bool>("Save");
  // The desktop's user-dirs.dirs names "$HOME/Bilder" as the pictures folder.
  QTest::addColumn<bool>("Named");
  // Made under the home folder; empty for none.
  QTest::addColumn<QString>("Made");
  // The folder expected, under the home folder.
  QTest::addColumn<QString>("Expected");
  QTest::addRow("open, the desktop's pictures folder") << false << true << "Bilder" << "Bilder/";
  QTest::addRow("open, that folder missing") << false << true << "" << "";
  QTest::addRow("save after an open elsewhere, ~/Pictures") << true << false << "Pictures"
                                                            << "Pictures/";
  QTest::addRow("save, no pictures folder") << true << false << "" << "";
}

void TStartFolderTest::FirstDialogStartsInPictures() {
  QFETCH(bool, Save);
  QFETCH(bool, Named);
  QFETCH(QString, Made);
  QFETCH(QString, Expected);
  const QString Home = FDir.filePath(QStringLiteral("home-%1").arg(QTest::currentDataTag()));
  const QString Config = Home + "/.config";
  QVERIFY(QDir().mkpath(Config));
  if (Named)
    QVERIFY(WriteBytes(Config + "/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"));
  if (!Made.isEmpty())
    QVERIFY(QDir().mkpath(Home + u'/' + Made));
  qputenv("HOME", QFile::encodeName(Home));
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(Config));

  TZelvaneForm Form;
  auto *Open = new TAnsweringFileDialog(&Form, TFileDialog::TKind::Open);
  Form.OpenPictureDialog.reset(Open);
  auto *SaveDialog = new TAnsweringFileDialog(&Form, TFileDialog::TKind::Save);
  Form.SavePictureDialog.reset(SaveDialog);
  Form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&Form));
  TAnsweringFileDialog *Dialog = Save ? SaveDialog : Open;
  if (Save) {
    // Twice: the second open makes the photo's folder the working folder.
    Open->Answer = FDir.filePath("photos/photo.png");
    QTest::mouseClick(Form.OpenSpeedButton, Qt::LeftButton);
    QTest::mouseClick(Form.OpenSpeedButton, Qt::LeftButton);
    QCOMPARE(QDir(QDir::currentPath()).canonicalPath(),
             QDir(FDir.filePath("photos")).canonicalPath());
  }
  QTest::mouseClick(Save ? Form.SaveSpeedButton : Form.OpenSpeedButton, Qt::LeftButton);
  QVERIFY2(FMessages.Shown.isEmpty(), qPrintable(FMessages.Shown.join('\n')));
  QCOMPARE(Dialog->Runs.size(), 1);
  QCOMPARE(Dialog->Runs[0].InitialDir, Home + u'/' + Expected);
}

int main(int Argc, char **Argv) {
  TZelvaneApplication Application(Argc, Argv);
  Application.setApplicationName(QStringLiteral("Zelvane"));
  TStartFolderTest Test;
  return QTest::qExec(&Test, Argc, Argv);
}

#include "tst_startfolder.moc"
