// The font record and colours: points and heights, the Qt font drawn at 96 pixels per inch
// with a sans-serif stand-in for a missing face, and plain and system colours.
#include "platform/font.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QTest>

namespace {

const QString MissingFace = QStringLiteral("No Such Face 7f3c");

// An installed face that is not the sans-serif stand-in, when the machine has one.
QString OtherInstalledFace() {
  const QString StandIn = ResolvedFontFamily(MissingFace);
  for (const QString &Family : QFontDatabase::families())
    if (Family != StandIn && !QFontDatabase::isPrivateFamily(Family) && !Family.contains(u'['))
      return Family;
  return QString();
}

} // namespace

class TFontTest : public QObject {
  Q_OBJECT
private slots:
  void SizeFromHeight_data();
  void SizeFromHeight();
  void HeightFromSize_data();
  void HeightFromSize();
  void PixelSizeFollowsHeight_data();
  void PixelSizeFollowsHeight();
  void CellHeight();
  void SizeIgnoresDeviceResolution();
  void MissingFaceFallsBackToSansSerif_data();
  void MissingFaceFallsBackToSansSerif();
  void MissingStartFaceTakesNarrowStandIn();
  void InstalledFaceKept();
  void Styles_data();
  void Styles();
  void PlainColours_data();
  void PlainColours();
  void SystemColoursFollowPalette_data();
  void SystemColoursFollowPalette();
};

void TFontTest::SizeFromHeight_data() {
  QTest::addColumn<int>("Height");
  QTest::addColumn<int>("Points");
  QTest::addRow("-11 is 8") << -11 << 8;
  QTest::addRow("-12 is 9") << -12 << 9;
  QTest::addRow("-13 is 10") << -13 << 10;
  QTest::addRow("-14 is 11 (10.5 rounds up)") << -14 << 11;
  QTest::addRow("-16 is 12") << -16 << 12;
  QTest::addRow("-21 is 16") << -21 << 16;
  QTest::addRow("-96 is 72") << -96 << 72;
}

void TFontTest::SizeFromHeight() {
  QFETCH(int, Height);
  QFETCH(int, Points);
  TFont Font;
  Font.Height = Height;
  QCOMPARE(Font.Size(), Points);
}

void TFontTest::HeightFromSize_data() {
  QTest::addColumn<int>("Points");
  QTest::addColumn<int>("Height");
  QTest::addRow("8") << 8 << -11;
  QTest::addRow("9") << 9 << -12;
  QTest::addRow("10") << 10 << -13;
  QTest::addRow("12") << 12 << -16;
  QTest::addRow("36") << 36 << -48;
  QTest::addRow("1") << 1 << -1;
}

void TFontTest::HeightFromSize() {
  QFETCH(int, Points);
  QFETCH(int, Height);
  TFont Font;
  Font.SetSize(Points);
  QCOMPARE(Font.Height, Height);
}

void TFontTest::PixelSizeFollowsHeight_data() {
  QTest::addColumn<int>("Height");
  QTest::addColumn<int>("PixelSize");
  QTest::addRow("start font") << -11 << 11;
  QTest::addRow("one pixel") << -1 << 1;
  QTest::addRow("large") << -96 << 96;
  QTest::addRow("default height") << 0 << 11;
}

void TFontTest::PixelSizeFollowsHeight() {
  QFETCH(int, Height);
  QFETCH(int, PixelSize);
  for (const QString &Name : {QStringLiteral("Tahoma"), MissingFace}) {
    TFont Font;
    Font.Name = Name;
    Font.Height = Height;
    QCOMPARE(Font.ToQFont().pixelSize(), PixelSize);
    QCOMPARE(QFontInfo(Font.ToQFont()).pixelSize(), PixelSize);
  }
}

void TFontTest::CellHeight() {
  // A positive height is ascent plus descent: the em size comes out smaller.
  TFont Font;
  Font.Height = 40;
  const QFont Q = Font.ToQFont();
  const QFontMetricsF Metrics(Q);
  QVERIFY(Q.pixelSize() < 40);
  QVERIFY(std::abs(Metrics.ascent() + Metrics.descent() - 40) <= 1.0);
}

void TFontTest::SizeIgnoresDeviceResolution() {
  TFont Font;
  Font.Height = -20;
  QImage Dense(10, 10, QImage::Format_RGB32);
  Dense.setDotsPerMeterX(int(192 / 0.0254));
  Dense.setDotsPerMeterY(int(192 / 0.0254));
  QCOMPARE(QFontMetricsF(Font.ToQFont(), &Dense).height(), QFontMetricsF(Font.ToQFont()).height());
}

void TFontTest::MissingFaceFallsBackToSansSerif_data() {
  QTest::addColumn<QString>("Name");
  QTest::addRow("unknown face") << MissingFace;
  QTest::addRow("empty name") << QString();
}

void TFontTest::MissingFaceFallsBackToSansSerif() {
  QFETCH(QString, Name);
  TFont Font;
  Font.Name = Name;
  const QString Family = QFontInfo(Font.ToQFont()).family();
  QVERIFY(QFontDatabase::hasFamily(Family));
  QCOMPARE(Family, ResolvedFontFamily(Name));
  QVERIFY(!QFontDatabase::isFixedPitch(Family));
  // The desktop's own choice for a sans-serif request.
  QFont SansSerif;
  SansSerif.setStyleHint(QFont::SansSerif);
  QCOMPARE(Family, QFontInfo(QFont(SansSerif.defaultFamily())).family());
  QCOMPARE(Font.Name, Name); // the record keeps its name
}

void TFontTest::MissingStartFaceTakesNarrowStandIn() {
  if (QFontDatabase::hasFamily(QStringLiteral("Tahoma")))
    QSKIP("the start face is installed");
  TFont Font;
  const QString Family = QFontInfo(Font.ToQFont()).family();
  QVERIFY(QFontDatabase::hasFamily(Family));
  QVERIFY(!QFontDatabase::isFixedPitch(Family));
  QCOMPARE(Font.Name, QStringLiteral("Tahoma"));
  // Narrower than the desktop's plain sans-serif, as the start face is.
  QFont SansSerif;
  SansSerif.setStyleHint(QFont::SansSerif);
  SansSerif.setFamily(SansSerif.defaultFamily());
  SansSerif.setPixelSize(11);
  const QString Sample = QStringLiteral("MaxHeight Wallpaper Quality");
  QVERIFY(QFontMetrics(Font.ToQFont()).horizontalAdvance(Sample) <=
          QFontMetrics(SansSerif).horizontalAdvance(Sample));
}

void TFontTest::InstalledFaceKept() {
  const QString Other = OtherInstalledFace();
  if (Other.isEmpty())
    QSKIP("only one face installed");
  TFont Font;
  Font.Name = Other;
  QCOMPARE(ResolvedFontFamily(Other), Other);
  QCOMPARE(QFontInfo(Font.ToQFont()).family(), Other);
}

void TFontTest::Styles_data() {
  QTest::addColumn<uint>("Style");
  QTest::addRow("none") << 0u;
  QTest::addRow("bold") << uint(fsBold);
  QTest::addRow("italic") << uint(fsItalic);
  QTest::addRow("underline") << uint(fsUnderline);
  QTest::addRow("strike-out") << uint(fsStrikeOut);
  QTest::addRow("all") << uint(fsBold | fsItalic | fsUnderline | fsStrikeOut);
}

void TFontTest::Styles() {
  QFETCH(uint, Style);
  TFont Font;
  Font.Style = Style;
  const QFont Q = Font.ToQFont();
  QCOMPARE(Q.bold(), bool(Style & fsBold));
  QCOMPARE(Q.italic(), bool(Style & fsItalic));
  QCOMPARE(Q.underline(), bool(Style & fsUnderline));
  QCOMPARE(Q.strikeOut(), bool(Style & fsStrikeOut));
}

void TFontTest::PlainColours_data() {
  QTest::addColumn<TColor>("Color");
  QTest::addColumn<QColor>("Qt");
  QTest::addRow("black") << TColor(0) << QColor(0, 0, 0);
  QTest::addRow("255 is red") << TColor(255) << QColor(255, 0, 0);
  QTest::addRow("green") << TColor(0x00FF00) << QColor(0, 255, 0);
  QTest::addRow("blue") << TColor(0xFF0000) << QColor(0, 0, 255);
  QTest::addRow("mixed") << TColor(0x563412) << QColor(0x12, 0x34, 0x56);
  QTest::addRow("white") << TColor(0xFFFFFF) << QColor(255, 255, 255);
}

void TFontTest::PlainColours() {
  QFETCH(TColor, Color);
  QFETCH(QColor, Qt);
  QCOMPARE(ColorToRGB(Color), Color);
  QCOMPARE(ToQColor(Color), Qt);
  QCOMPARE(FromQColor(Qt), Color);
  QCOMPARE(FromQColor(Qt.toHsv()), Color);
}

void TFontTest::SystemColoursFollowPalette_data() {
  QTest::addColumn<TColor>("Color");
  QTest::addColumn<int>("Role");
  QTest::addRow("window text") << clWindowText << int(QPalette::WindowText);
  QTest::addRow("button face") << TColor(0x8000000F) << int(QPalette::Button);
  QTest::addRow("button text") << TColor(0x80000012) << int(QPalette::ButtonText);
  QTest::addRow("highlight") << TColor(0x8000000D) << int(QPalette::Highlight);
  QTest::addRow("window") << TColor(0x80000005) << int(QPalette::Base);
}

void TFontTest::SystemColoursFollowPalette() {
  QFETCH(TColor, Color);
  QFETCH(int, Role);
  const QPalette Saved = QApplication::palette();
  auto Restore = qScopeGuard([&] { QApplication::setPalette(Saved); });
  for (const QColor &Value : {QColor(0x12, 0x34, 0x56), QColor(200, 10, 99)}) {
    QPalette Palette = Saved;
    Palette.setColor(QPalette::ColorRole(Role), Value);
    QApplication::setPalette(Palette);
    QCOMPARE(ColorToRGB(Color), TColor(Value.red() | Value.green() << 8 | Value.blue() << 16));
    QCOMPARE(ToQColor(Color), Value);
  }
}

QTEST_MAIN(TFontTest)
#include "tst_font.moc"
