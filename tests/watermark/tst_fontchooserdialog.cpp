// The font chooser's dialog, driven without running it: every installed face offered, what an
// untouched confirm gives back, the colour box, changed face and size, and the sample.
#include "watermark/fontchooserdialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include <cstdlib>

namespace {

// An installed face other than Avoid, when the machine has one.
QString InstalledFaceOtherThan(const QString &Avoid) {
  for (const QString &Family : QFontDatabase::families())
    if (Family != Avoid && !QFontDatabase::isPrivateFamily(Family) && !Family.contains(u'['))
      return Family;
  return QString();
}

// The pixels of Image within 40 of Color in every channel.
int PixelsNear(const QImage &Image, QRgb Color) {
  int Count = 0;
  for (int Y = 0; Y < Image.height(); ++Y)
    for (int X = 0; X < Image.width(); ++X) {
      const QRgb P = Image.pixel(X, Y);
      if (std::abs(qRed(P) - qRed(Color)) <= 40 && std::abs(qGreen(P) - qGreen(Color)) <= 40 &&
          std::abs(qBlue(P) - qBlue(Color)) <= 40)
        ++Count;
    }
  return Count;
}

void Pick(QComboBox &Box, int Index) {
  Box.setCurrentIndex(Index);
  emit Box.activated(Index); // what a user's choice in the list raises
}

} // namespace

class TFontChooserDialogTest : public QObject {
  Q_OBJECT
private slots:
  void OffersEveryInstalledFace();
  void UntouchedConfirmGivesTheRecordBack_data();
  void UntouchedConfirmGivesTheRecordBack();
  void ColourBoxOpensOnPlainValue_data();
  void ColourBoxOpensOnPlainValue();
  void PickedColourIsTaken();
  void NewSizeAndFace();
  void SampleShowsTextInChosenColour();
};

void TFontChooserDialogTest::OffersEveryInstalledFace() {
  TFontChooserDialog Dialog(nullptr);
  Dialog.SetInitialFont(TFont());
  // The face list is the one the dialog's "&Font" label names: with few fonts installed, the
  // size list is longer than the face list, so the length says nothing.
  QListView *Faces = nullptr;
  for (QLabel *Label : Dialog.FontDialog()->findChildren<QLabel *>())
    if (Label->text() == QFontDialog::tr("&Font"))
      Faces = qobject_cast<QListView *>(Label->buddy());
  QVERIFY(Faces);
  QStringList Offered;
  for (int Row = 0; Row < Faces->model()->rowCount(); ++Row)
    Offered << Faces->model()->index(Row, 0).data().toString();
  int Installed = 0;
  for (const QString &Family : QFontDatabase::families()) {
    if (QFontDatabase::isPrivateFamily(Family))
      continue;
    ++Installed;
    QVERIFY2(Offered.contains(Family), qPrintable(Family));
  }
  QVERIFY(Installed > 0);
  // The face the label starts with is among them, and is the one shown.
  QCOMPARE(Faces->currentIndex().data().toString(), TFont().ToQFont().family());
}

void TFontChooserDialogTest::UntouchedConfirmGivesTheRecordBack_data() {
  QTest::addColumn<QString>("Name");
  QTest::addColumn<int>("Height");
  QTest::addColumn<uint>("Style");
  const QString Installed = ResolvedFontFamily(QString());
  QTest::addRow("start font") << "Tahoma" << -11 << 0u;
  QTest::addRow("missing face") << "No Such Face 7f3c" << -16 << 0u;
  QTest::addRow("installed face") << Installed << -13 << 0u;
  QTest::addRow("height between point sizes") << Installed << -14 << 0u;
  QTest::addRow("cell height") << Installed << 15 << 0u;
  QTest::addRow("bold") << Installed << -11 << uint(fsBold);
  QTest::addRow("bold italic") << Installed << -20 << uint(fsBold | fsItalic);
  QTest::addRow("underline strike-out") << Installed << -11 << uint(fsUnderline | fsStrikeOut);
}

void TFontChooserDialogTest::UntouchedConfirmGivesTheRecordBack() {
  QFETCH(QString, Name);
  QFETCH(int, Height);
  QFETCH(uint, Style);
  TFontChooserDialog Dialog(nullptr);
  const TFont Record{Name, Height, 0x00AA00, Style, 0, fpVariable};
  Dialog.SetInitialFont(Record);
  const TFontChoice Choice = Dialog.Choice();
  QCOMPARE(Choice.Name, Name);
  QCOMPARE(Choice.Height, Height);
  QCOMPARE(Choice.Style, TFontStyles(Style));
  QVERIFY(!Choice.CharsetChanged);
  QVERIFY(!Choice.ColorPicked);
  TFont Confirmed = Record;
  ApplyFontChoice(Confirmed, Choice);
  QCOMPARE(Confirmed, Record);
}

void TFontChooserDialogTest::ColourBoxOpensOnPlainValue_data() {
  QTest::addColumn<TColor>("Color");
  QTest::addColumn<TColor>("Shown");
  QTest::addColumn<int>("Entries");
  QTest::addRow("system colour") << clWindowText << TColor(0x563412) << 17;
  QTest::addRow("basic colour") << TColor(0x0000FF) << TColor(0x0000FF) << 16;
  QTest::addRow("other colour") << TColor(0x102030) << TColor(0x102030) << 17;
}

void TFontChooserDialogTest::ColourBoxOpensOnPlainValue() {
  QFETCH(TColor, Color);
  QFETCH(TColor, Shown);
  QFETCH(int, Entries);
  const QPalette Saved = QApplication::palette();
  auto Restore = qScopeGuard([&] { QApplication::setPalette(Saved); });
  QPalette Palette = Saved;
  Palette.setColor(QPalette::WindowText, QColor(0x12, 0x34, 0x56));
  QApplication::setPalette(Palette);

  TFontChooserDialog Dialog(nullptr);
  // Opened twice: the entry of an earlier use does not pile up.
  Dialog.SetInitialFont(TFont{QStringLiteral("Tahoma"), -11, 0x445566, 0, 1, 0});
  TFont Record;
  Record.Color = Color;
  Dialog.SetInitialFont(Record);
  QCOMPARE(Dialog.ColorBox()->currentData().toInt(), Shown);
  QCOMPARE(Dialog.ColorBox()->count(), Entries);
  // Not picked: the record's colour stays, system colour included.
  TFont Confirmed = Record;
  ApplyFontChoice(Confirmed, Dialog.Choice());
  QCOMPARE(Confirmed.Color, Color);
}

void TFontChooserDialogTest::PickedColourIsTaken() {
  TFontChooserDialog Dialog(nullptr);
  TFont Record;
  Dialog.SetInitialFont(Record);
  QComboBox &Box = *Dialog.ColorBox();
  const int Red = Box.findData(TColor(0x0000FF));
  QVERIFY(Red >= 0);
  Pick(Box, Red);
  TFontChoice Choice = Dialog.Choice();
  QVERIFY(Choice.ColorPicked);
  QCOMPARE(Choice.Color, TColor(0x0000FF));
  ApplyFontChoice(Record, Choice);
  QCOMPARE(Record.Color, TColor(0x0000FF));

  // Picking the colour it opened on still turns a system colour into its plain value.
  TFont Start;
  Dialog.SetInitialFont(Start);
  QVERIFY(!Dialog.Choice().ColorPicked); // a new use starts unpicked
  Pick(Box, Box.currentIndex());
  Choice = Dialog.Choice();
  QVERIFY(Choice.ColorPicked);
  QCOMPARE(Choice.Color, ColorToRGB(clWindowText));
}

void TFontChooserDialogTest::NewSizeAndFace() {
  const QString Shown = ResolvedFontFamily(QStringLiteral("Tahoma"));
  TFontChooserDialog Dialog(nullptr);
  Dialog.SetInitialFont(TFont());

  QFont Larger = Dialog.FontDialog()->currentFont();
  Larger.setPointSize(12);
  Dialog.FontDialog()->setCurrentFont(Larger);
  TFontChoice Choice = Dialog.Choice();
  QCOMPARE(Choice.Height, -16);
  QCOMPARE(Choice.Name, QStringLiteral("Tahoma")); // face untouched
  QVERIFY(!Choice.CharsetChanged);

  const QString Other = InstalledFaceOtherThan(Shown);
  if (Other.isEmpty())
    QSKIP("only one face installed");
  QFont OtherFace(Other);
  OtherFace.setPointSize(12);
  Dialog.FontDialog()->setCurrentFont(OtherFace);
  Choice = Dialog.Choice();
  QCOMPARE(Choice.Name, Other);
  QVERIFY(Choice.CharsetChanged);
  QCOMPARE(Choice.Charset, DEFAULT_CHARSET);
}

void TFontChooserDialogTest::SampleShowsTextInChosenColour() {
  TFontChooserDialog Dialog(nullptr);
  TFont Record;
  Record.SetSize(24);
  Record.Color = 0x0000FF;
  Dialog.SetInitialFont(Record);
  Dialog.SetSampleText(QStringLiteral("Mark"));
  Dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&Dialog));
  QLineEdit *Sample = Dialog.Sample();
  QVERIFY(Sample);
  QCOMPARE(Sample->text(), QStringLiteral("Mark"));
  const QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255);
  QImage Shown = Sample->grab().toImage();
  QVERIFY2(PixelsNear(Shown, Red) >= 20, qPrintable(QString::number(PixelsNear(Shown, Red))));
  QCOMPARE(PixelsNear(Shown, Blue), 0);

  Pick(*Dialog.ColorBox(), Dialog.ColorBox()->findData(TColor(0xFF0000)));
  Shown = Sample->grab().toImage();
  QVERIFY(PixelsNear(Shown, Blue) >= 20);
  QCOMPARE(PixelsNear(Shown, Red), 0);

  // A writing system's own sample text gives way to the watermark's again.
  auto *Systems = Dialog.FontDialog()->findChild<QComboBox *>();
  QVERIFY(Systems && Systems->count() > 1);
  Pick(*Systems, 1);
  QCOMPARE(Sample->text(), QStringLiteral("Mark"));
}

QTEST_MAIN(TFontChooserDialogTest)
#include "tst_fontchooserdialog.moc"
