// The settings file through the real window: what a run leaves in Zelvane.ini, what the next
// run makes of it, values that must be ignored, and a file that cannot be written.
#include "app/application.h"
#include "formtesting.h"
#include "picture/image.h"
#include "watermark/watermarklabel.h"

#include <QImageWriter>
#include <QTest>

#include <functional>

namespace {

// The file's keys as "section/key" with their values, in the order of their lines.
QList<QPair<QString, QString>> IniLines(const QString &FileName) {
  QList<QPair<QString, QString>> Lines;
  QString Section;
  for (QString Line : QString::fromUtf8(ReadBytes(FileName)).split(u'\n')) {
    Line = Line.trimmed();
    if (Line.startsWith(u'[') && Line.endsWith(u']'))
      Section = Line.mid(1, Line.size() - 2);
    else if (const qsizetype Equals = Line.indexOf(u'='); Equals > 0)
      Lines << qMakePair(Section + u'/' + Line.left(Equals), Line.mid(Equals + 1));
  }
  return Lines;
}

// The start-up font of the label, the window's: "Tahoma", 8 points, window-text colour.
bool AtLayoutValues(const TZelvaneForm &Form) {
  return Form.QualityTrackBar->Position() == 10 && Form.WatermarkLabel->Font() == TFont() &&
         Form.WatermarkLabel->Caption().isEmpty() && !Form.WatermarkLabel->Visible() &&
         Form.WatermarkEdit->text().isEmpty() && Form.WatermarkLabel->Top() == 252 &&
         Form.WatermarkLabel->Left() + Form.WatermarkLabel->Width() == 473 &&
         Form.FOpenPath.isEmpty() && Form.FSavePath.isEmpty();
}

} // namespace

class TFormSettingsTest : public QObject, protected TWindowTestSeams {
  Q_OBJECT
private slots:
  void initTestCase();
  void init();
  void cleanup();
  void RestartBringsEverythingBack();
  void FirstRunWritesWhatIsDue();
  void IgnoredValues_data();
  void IgnoredValues();
  void TextOfBlanksWrittenEmpty();
  void UnwritableFileIsSilent();
  void SmoothBoxRemembered();
};

// Each test names a settings file of its own in the scratch folder.
void TFormSettingsTest::initTestCase() { QVERIFY(InstallSeams()); }

void TFormSettingsTest::init() { ResetSeams(); }

void TFormSettingsTest::cleanup() {
  QVERIFY2(FMessages.Shown.isEmpty(), qPrintable(FMessages.Shown.join('\n')));
}

void TFormSettingsTest::RestartBringsEverythingBack() {
  const QString Ini = FDir.filePath("restart/Zelvane.ini");
  QVERIFY(QDir().mkpath(QFileInfo(Ini).absolutePath()));
  TZelvaneForm::SetSettingsFileName(Ini);
  const QString Pictures = FDir.filePath("restart/pictures");
  const QString Walls = FDir.filePath("restart/walls");
  QVERIFY(QDir().mkpath(Pictures));
  QVERIFY(QDir().mkpath(Walls));
  QImage Plain(300, 200, QImage::Format_RGB32);
  Plain.fill(qRgb(10, 120, 200));
  // Names with ":" and "\", ordinary characters here: the folders remembered end at the "/".
  const QString Picture = Pictures + "/Screenshot 12:30.png";
  const QString Wallpaper = Walls + "/sea\\12:30.jpg";
  QVERIFY(QImageWriter(Picture, "png").write(Plain));

  TFont Chosen;
  Chosen.Name = QStringLiteral("DejaVu Serif");
  Chosen.SetSize(14);
  Chosen.Style = fsBold | fsItalic;
  QRect Label;
  {
    TZelvaneForm Form;
    auto *Open = new TAnsweringFileDialog(&Form, TFileDialog::TKind::Open);
    Form.OpenPictureDialog.reset(Open);
    auto *Save = new TAnsweringFileDialog(&Form, TFileDialog::TKind::Save);
    Form.SavePictureDialog.reset(Save);
    auto *Fonts = new TAnsweringFontChooser;
    Form.FontDialog.reset(Fonts);
    auto *Colors = new TAnsweringColorChooser;
    Form.ColorDialog.reset(Colors);
    Form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Form));
    QVERIFY(AtLayoutValues(Form));

    Form.QualityTrackBar->setFocus();
    for (int I = 0; I < 3; ++I)
      QTest::keyClick(Form.QualityTrackBar, Qt::Key_Left);
    QCOMPARE(Form.QualityTrackBar->Position(), 7);
    QTest::keyClicks(Form.WatermarkEdit, QStringLiteral("My wallpaper"));
    Fonts->Choice = Chosen;
    QTest::mouseClick(Form.FontSpeedButton, Qt::LeftButton);
    Colors->Choice = 255;
    QTest::mouseClick(Form.ColorSpeedButton, Qt::LeftButton);
    const QRect Typed = Form.WatermarkLabel->BoundsRect();
    TFormMouse Mouse(Form, FCursor);
    Mouse.Drag(Form.Panel, Typed.center(), Typed.center() - QPoint(61, 43));
    Label = Form.WatermarkLabel->BoundsRect();
    QCOMPARE(Label, Typed.translated(-61, -43));
    Open->Answer = Picture;
    QTest::mouseClick(Form.OpenSpeedButton, Qt::LeftButton);
    Save->Answer = Wallpaper;
    QTest::mouseClick(Form.SaveSpeedButton, Qt::LeftButton);
    QVERIFY(QFileInfo::exists(Wallpaper));
    QCOMPARE(Form.FOpenPath, Pictures + u'/');
    QCOMPARE(Form.FSavePath, Walls + u'/');
  }

  // Written at the window's end, in the order of a first save.
  const QList<QPair<QString, QString>> Expected{
      {"config/openpath", Pictures + u'/'},
      {"config/savepath", Walls + u'/'},
      {"config/quality", "7"},
      {"watermark/fontname", "DejaVu Serif"},
      {"watermark/fontsize", "14"},
      {"watermark/fontcolor", "255"},
      {"watermark/fontbold", "1"},
      {"watermark/fontitalic", "1"},
      {"watermark/fontunderline", "0"},
      {"watermark/fontstrikeOut", "0"},
      {"watermark/left", QString::number(Label.left())},
      {"watermark/top", QString::number(Label.top())},
      {"watermark/text", "My wallpaper"}};
  QCOMPARE(IniLines(Ini), Expected);

  TZelvaneForm Form;
  Form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&Form));
  TFont Expect = Chosen;
  Expect.Color = 255;
  QCOMPARE(Form.WatermarkLabel->Font(), Expect);
  QCOMPARE(Form.WatermarkLabel->Caption(), QStringLiteral("My wallpaper"));
  QCOMPARE(Form.WatermarkEdit->text(), QStringLiteral("My wallpaper"));
  QVERIFY(Form.WatermarkLabel->Visible());
  QCOMPARE(Form.WatermarkLabel->BoundsRect(), Label);
  QCOMPARE(Form.FWatermarkLeft, Label.left());
  QCOMPARE(Form.FWatermarkTop, Label.top());
  QCOMPARE(Form.QualityTrackBar->Position(), 7);
  QCOMPARE(Form.FOpenPath, Pictures + u'/');
  QCOMPARE(Form.FSavePath, Walls + u'/');
  // Nothing else comes from the file: the picture box is at its layout values.
  QCOMPARE(Form.Image->BoundsRect(), QRect(0, 0, 480, 272));
  QCOMPARE(Form.ZoomTrackBar->Position(), 10);
}

void TFormSettingsTest::FirstRunWritesWhatIsDue() {
  const QString Ini = FDir.filePath("first/Zelvane.ini");
  QVERIFY(QDir().mkpath(QFileInfo(Ini).absolutePath()));
  TZelvaneForm::SetSettingsFileName(Ini);
  {
    TZelvaneForm Form;
    QVERIFY(AtLayoutValues(Form));
  }
  const QList<QPair<QString, QString>> Expected{{"config/quality", "10"},
                                                {"watermark/fontbold", "0"},
                                                {"watermark/fontitalic", "0"},
                                                {"watermark/fontunderline", "0"},
                                                {"watermark/fontstrikeOut", "0"},
                                                {"watermark/text", ""}};
  QCOMPARE(IniLines(Ini), Expected);
}

void TFormSettingsTest::IgnoredValues_data() {
  QTest::addColumn<QByteArray>("Content");
  QTest::addColumn<int>("Quality");
  // Rows that are read leave no doubt that the file is read at all.
  QTest::addRow("quality 7 is taken") << QByteArray("[config]\nquality=7\n") << 7;
  QTest::addRow("quality 0x8 is taken") << QByteArray("[config]\nquality=0x8\n") << 8;
  QTest::addRow("quality 4") << QByteArray("[config]\nquality=4\n") << 10;
  QTest::addRow("quality 11") << QByteArray("[config]\nquality=11\n") << 10;
  QTest::addRow("quality not a number") << QByteArray("[config]\nquality=high\n") << 10;
  QTest::addRow("quality empty") << QByteArray("[config]\nquality=\n") << 10;
  static const char Garbage[] = "\x00\xff\xfe[config\nquality\n=7\n;;\x01\x02[\n]]\nzz=\xc3\x28\n";
  QTest::addRow("garbage") << QByteArray(Garbage, sizeof(Garbage) - 1) << 10;
  QTest::addRow("zero font values")
      << QByteArray("[watermark]\nfontname=\nfontsize=0\nfontcolor=0\nfontbold=true\n"
                    "left=0\ntop=-5\ntext=\n")
      << 10;
}

void TFormSettingsTest::IgnoredValues() {
  QFETCH(QByteArray, Content);
  QFETCH(int, Quality);
  const QString Ini =
      FDir.filePath(QStringLiteral("ignored/%1/Zelvane.ini").arg(QTest::currentDataTag()));
  QVERIFY(QDir().mkpath(QFileInfo(Ini).absolutePath()));
  QVERIFY(WriteBytes(Ini, Content));
  TZelvaneForm::SetSettingsFileName(Ini);
  TZelvaneForm Form;
  QCOMPARE(Form.QualityTrackBar->Position(), Quality);
  Form.QualityTrackBar->SetPosition(10);
  QVERIFY(AtLayoutValues(Form));
  QCOMPARE(Form.WatermarkLabel->Left(), Form.FWatermarkLeft);
  QCOMPARE(Form.FWatermarkTop, 252);
}

void TFormSettingsTest::TextOfBlanksWrittenEmpty() {
  const QString Ini = FDir.filePath("blanks/Zelvane.ini");
  QVERIFY(QDir().mkpath(QFileInfo(Ini).absolutePath()));
  QVERIFY(WriteBytes(Ini, "[watermark]\ntext=     \n"));
  TZelvaneForm::SetSettingsFileName(Ini);
  {
    TZelvaneForm Form;
    QVERIFY(AtLayoutValues(Form));
  }
  // The label's text, empty, as it stands in the file; IniLines would trim the blanks away.
  const QList<QByteArray> Lines = ReadBytes(Ini).split('\n');
  QVERIFY2(Lines.contains("text="), ReadBytes(Ini).constData());
  QVERIFY(!ReadBytes(Ini).contains("text= "));
}

void TFormSettingsTest::UnwritableFileIsSilent() {
  const QString Plain = FDir.filePath("plain");
  QVERIFY(WriteBytes(Plain, "a regular file, not a folder"));
  TZelvaneForm::SetSettingsFileName(Plain + "/Zelvane.ini");
  {
    TZelvaneForm Form;
    QVERIFY(AtLayoutValues(Form));
    QTest::keyClicks(Form.WatermarkEdit, QStringLiteral("unsaved"));
    Form.QualityTrackBar->SetPosition(6);
  }
  QVERIFY(FMessages.Shown.isEmpty());
  QCOMPARE(ReadBytes(Plain), QByteArray("a regular file, not a folder"));
}

void TFormSettingsTest::SmoothBoxRemembered() {
  const QString Ini = FDir.filePath("smooth/Zelvane.ini");
  QVERIFY(QDir().mkpath(QFileInfo(Ini).absolutePath()));
  TZelvaneForm::SetSettingsFileName(Ini);
  const auto Run = [](const std::function<void(TZelvaneForm &)> &Steps) {
    TZelvaneForm Form;
    Form.show();
    Steps(Form);
  };
  // Never checked: nothing is added, and the file a run leaves stays byte for byte.
  QVERIFY(WriteBytes(Ini, "[config]\nquality=7\n"));
  Run([](TZelvaneForm &Form) { QVERIFY(!Form.SmoothCheckBox->isChecked()); });
  const QByteArray Before = ReadBytes(Ini);
  QVERIFY(!Before.contains("smooth"));
  Run([](TZelvaneForm &) {});
  QCOMPARE(ReadBytes(Ini), Before);

  // Checked by a click: written after the quality, and the next run starts with it.
  Run([&](TZelvaneForm &Form) {
    TFormMouse(Form, FCursor).Click(Form.SmoothCheckBox, QPoint(8, 10));
    QVERIFY(Form.SmoothCheckBox->isChecked());
  });
  const QList<QPair<QString, QString>> Config = IniLines(Ini).mid(0, 2);
  QCOMPARE(Config, (QList<QPair<QString, QString>>{{"config/quality", "7"},
                                                    {"config/smooth", "1"}}));
  // Unchecked again with Space: the key the file holds says so.
  Run([](TZelvaneForm &Form) {
    QVERIFY(Form.SmoothCheckBox->isChecked());
    QVERIFY(Form.Image->Smooth());
    QApplication::setActiveWindow(&Form);
    Form.SmoothCheckBox->setFocus();
    QTest::keyClick(Form.SmoothCheckBox, Qt::Key_Space);
    QVERIFY(!Form.Image->Smooth());
  });
  QVERIFY(IniLines(Ini).contains(qMakePair(QString("config/smooth"), QString("0"))));

  // Only 1 checks it.
  for (const char *Value : {"0", "2", "-1", "yes", "true", ""}) {
    QVERIFY(WriteBytes(Ini, QByteArray("[config]\nsmooth=") + Value + "\n"));
    Run([Value](TZelvaneForm &Form) { QVERIFY2(!Form.SmoothCheckBox->isChecked(), Value); });
  }
}

int main(int Argc, char **Argv) {
  TZelvaneApplication Application(Argc, Argv);
  Application.setApplicationName(QStringLiteral("Zelvane"));
  TFormSettingsTest Test;
  return QTest::qExec(&Test, Argc, Argv);
}

#include "tst_formsettings.moc"
