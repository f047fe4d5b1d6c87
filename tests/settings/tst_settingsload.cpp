#include "profiletestutil.h"
#include "settings/settings.h"
#include "settingsfixture.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Reading the settings file: which values are taken, and which are skipped.
class TSettingsLoadTest : public QObject, protected TSettingsFolder {
  Q_OBJECT
private slots:
  void init();

  void RoundTrip_data();
  void RoundTrip();
  void ExampleFileRead_data();
  void ExampleFileRead();
  void ReadingEdgeCases_data();
  void ReadingEdgeCases();
  void EnormousText();

private:
  TSettings Load(const QByteArray &Content);
};

void TSettingsLoadTest::init() { QVERIFY(NewSettingsFolder()); }

TSettings TSettingsLoadTest::Load(const QByteArray &Content) {
  WriteFileBytes(FPath, Content);
  return LoadSettings(FPath, Frame);
}

void TSettingsLoadTest::RoundTrip_data() {
  QTest::addColumn<TSettings>("AtExit");
  // What the next start takes: each value the window's own unless Expected sets it.
  QTest::addColumn<TSettings>("Expected");

  QTest::addRow("example") << ExampleValues() << ExampleValues();
  QTest::addRow("start values") << WindowAtStart()
                                << TSettings{
                                       .OpenPath = QString(), .SavePath = QString(), .Quality = 10};
  {
    TSettings S = WindowAtStart();
    S.OpenPath = u"/home/me/Bilder/"_s;
    S.SavePath = u"/tmp/out dir/"_s;
    S.Text = u"Hi"_s;
    S.Left = 457; // moved by its text only
    QTest::addRow("text, moved left") << S
                                      << TSettings{.OpenPath = S.OpenPath,
                                                   .SavePath = S.SavePath,
                                                   .Quality = 10,
                                                   .Text = S.Text,
                                                   .Left = 457};
  }
  {
    const TSettings S{.OpenPath = QString(),
                      .SavePath = QString(),
                      .Quality = 5,
                      .FontName = u"Courier New"_s,
                      .FontSize = 20,
                      .FontColor = 0x00FF00,
                      .FontStyle = fsBold | fsItalic | fsUnderline | fsStrikeOut,
                      .Text = u"\u00A9 2024 Zo\u00EB \U0001F600"_s,
                      .Left = 10,
                      .Top = 10};
    QTest::addRow("every style, non-ASCII") << S << S;
  }
  {
    TSettings S = WindowAtStart();
    S.FontColor = 0xFFFFFF;
    S.FontStyle = fsStrikeOut;
    S.Text = u"\"a=b\"; [c] \\d $1 0x2"_s;
    S.Left = 479;
    S.Top = 271;
    TSettings Expected = S;
    Expected.FontName.reset();
    Expected.FontSize.reset();
    QTest::addRow("awkward text, last pixel") << S << Expected;
  }
  {
    TSettings S = WindowAtStart();
    S.OpenPath = u"\\\\server\\share\\pics\\"_s;
    S.SavePath = u"D:\\"_s;
    S.Quality = 6;
    S.FontSize = 72;
    S.FontStyle = fsItalic | fsUnderline;
    S.Text = u"x"_s;
    S.Left = 1;
    S.Top = 1;
    TSettings Expected = S;
    Expected.FontName.reset();
    Expected.FontColor.reset();
    QTest::addRow("UNC path, big font") << S << Expected;
  }
}

void TSettingsLoadTest::RoundTrip() {
  QFETCH(TSettings, AtExit);
  QFETCH(TSettings, Expected);
  SaveSettings(AtExit, StartOf(), FPath);
  QCOMPARE(LoadSettings(FPath, Frame), Expected);
}

void TSettingsLoadTest::ExampleFileRead_data() {
  QTest::addColumn<QByteArray>("Content");
  QTest::addRow("as written") << JoinLines(ExampleLines);
  QTest::addRow("CRLF") << JoinLines(ExampleLines, "\r\n");
  QTest::addRow("UTF-8 mark") << "\xEF\xBB\xBF"_ba + JoinLines(ExampleLines);
  QTest::addRow("UTF-16LE, CRLF") << Utf16LEWithMark(
      QString::fromUtf8(JoinLines(ExampleLines, "\r\n")));
  QTest::addRow("other case, blanks, comments")
      << "; written by hand\n[Config]\n OpenPath = C:\\Users\\me\\Pictures\\\n"
         "SAVEPATH=C:\\Users\\me\\Wallpapers\\\nQuality=9\n\n[WaterMark]\nFontName=Arial\n"
         "FontSize=14\nFontColor=0xFF\nFontBold=1\nFontItalic=0\nFontUnderline=0\n"
         "FontStrikeout=0\nLeft=352\nTop=240\nText=My wallpaper\n"_ba;
}

void TSettingsLoadTest::ExampleFileRead() {
  QFETCH(QByteArray, Content);
  QCOMPARE(Load(Content), ExampleValues());
}

void TSettingsLoadTest::ReadingEdgeCases_data() {
  QTest::addColumn<QByteArray>("Content");
  QTest::addColumn<TSettings>("Expected");

  // Nothing to apply but the folders, which are always taken, empty or not.
  const TSettings None{.OpenPath = QString(), .SavePath = QString()};
  const auto With = [&](const TSetup &Change) {
    TSettings S = None;
    Change(S);
    return S;
  };

  QTest::addRow("no keys") << "[config]\n[watermark]\n"_ba << None;
  QTest::addRow("quality 4") << "[config]\nquality=4\n"_ba << None;
  QTest::addRow("quality 11") << "[config]\nquality=11\n"_ba << None;
  QTest::addRow("quality 7") << "[config]\nquality=7\n"_ba << With([](auto &S) { S.Quality = 7; });
  QTest::addRow("quality 5") << "[config]\nquality=5\n"_ba << With([](auto &S) { S.Quality = 5; });
  QTest::addRow("quality 0x8") << "[config]\nquality=0x8\n"_ba
                               << With([](auto &S) { S.Quality = 8; });
  QTest::addRow("quality $6") << "[config]\nquality=$6\n"_ba
                              << With([](auto &S) { S.Quality = 6; });
  QTest::addRow("quality not an integer") << "[config]\nquality=seven\n"_ba << None;
  QTest::addRow("quality 7.0") << "[config]\nquality=7.0\n"_ba << None;
  QTest::addRow("folders") << "[config]\nopenpath=/in/\nsavepath=\n"_ba
                           << With([](auto &S) { S.OpenPath = u"/in/"_s; });

  QTest::addRow("font name empty") << "[watermark]\nfontname=\n"_ba << None;
  QTest::addRow("font name") << "[watermark]\nfontname=Verdana\n"_ba
                             << With([](auto &S) { S.FontName = u"Verdana"_s; });
  QTest::addRow("font size 0") << "[watermark]\nfontsize=0\n"_ba << None;
  QTest::addRow("font size -3") << "[watermark]\nfontsize=-3\n"_ba << None;
  QTest::addRow("font size 12") << "[watermark]\nfontsize=12\n"_ba
                                << With([](auto &S) { S.FontSize = 12; });
  QTest::addRow("colour 0") << "[watermark]\nfontcolor=0\n"_ba << None;
  QTest::addRow("colour 255") << "[watermark]\nfontcolor=255\n"_ba
                              << With([](auto &S) { S.FontColor = 255; });
  QTest::addRow("colour system") << "[watermark]\nfontcolor=-2147483640\n"_ba << None;
  QTest::addRow("colour $FFFFFFFF") << "[watermark]\nfontcolor=$FFFFFFFF\n"_ba << None;
  QTest::addRow("colour 0x800000")
      << "[watermark]\nfontcolor=0x800000\n"_ba << With([](auto &S) { S.FontColor = 0x800000; });

  QTest::addRow("bold 1") << "[watermark]\nfontbold=1\n"_ba
                          << With([](auto &S) { S.FontStyle = fsBold; });
  QTest::addRow("bold true") << "[watermark]\nfontbold=true\n"_ba << None;
  QTest::addRow("bold 0") << "[watermark]\nfontbold=0\n"_ba << None;
  QTest::addRow("bold 2") << "[watermark]\nfontbold=2\n"_ba
                          << With([](auto &S) { S.FontStyle = fsBold; });
  QTest::addRow("italic -1") << "[watermark]\nfontitalic=-1\n"_ba
                             << With([](auto &S) { S.FontStyle = fsItalic; });
  QTest::addRow("underline 1") << "[watermark]\nfontunderline=1\n"_ba
                               << With([](auto &S) { S.FontStyle = fsUnderline; });
  QTest::addRow("strike-out 1") << "[watermark]\nfontstrikeOut=1\n"_ba
                                << With([](auto &S) { S.FontStyle = fsStrikeOut; });
  QTest::addRow("strike-out other case")
      << "[watermark]\nfontstrikeout=1\n"_ba << With([](auto &S) { S.FontStyle = fsStrikeOut; });
  // A flag of 0 or no integer adds nothing, and takes nothing away.
  QTest::addRow("flags mixed")
      << "[watermark]\nfontbold=0\nfontitalic=0\nfontunderline=1\nfontstrikeOut=x\n"_ba
      << With([](auto &S) { S.FontStyle = fsUnderline; });

  QTest::addRow("text") << "[watermark]\ntext=Hello\n"_ba
                        << With([](auto &S) { S.Text = u"Hello"_s; });
  // A value's surrounding blanks are no part of it.
  QTest::addRow("text padded") << "[watermark]\ntext=  Hi  \n"_ba
                               << With([](auto &S) { S.Text = u"Hi"_s; });
  QTest::addRow("text of spaces") << "[watermark]\ntext=    \n"_ba << None;
  QTest::addRow("text empty") << "[watermark]\ntext=\n"_ba << None;

  QTest::addRow("left 0") << "[watermark]\nleft=0\n"_ba << None;
  QTest::addRow("left -5") << "[watermark]\nleft=-5\n"_ba << None;
  QTest::addRow("left 352") << "[watermark]\nleft=352\n"_ba << With([](auto &S) { S.Left = 352; });
  QTest::addRow("left $100") << "[watermark]\nleft=$100\n"_ba
                             << With([](auto &S) { S.Left = 256; });
  QTest::addRow("left 479") << "[watermark]\nleft=479\n"_ba << With([](auto &S) { S.Left = 479; });
  QTest::addRow("left 480 outside") << "[watermark]\nleft=480\n"_ba << None;
  QTest::addRow("left 100000 outside") << "[watermark]\nleft=100000\n"_ba << None;
  QTest::addRow("top 0") << "[watermark]\ntop=0\n"_ba << None;
  QTest::addRow("top 1") << "[watermark]\ntop=1\n"_ba << With([](auto &S) { S.Top = 1; });
  QTest::addRow("top 271") << "[watermark]\ntop=271\n"_ba << With([](auto &S) { S.Top = 271; });
  QTest::addRow("top 272 outside") << "[watermark]\ntop=272\n"_ba << None;
  QTest::addRow("top -1") << "[watermark]\ntop=-1\n"_ba << None;
  QTest::addRow("keys in the wrong section")
      << "[watermark]\nquality=7\n[config]\ntext=x\n"_ba << None;
}

void TSettingsLoadTest::ReadingEdgeCases() {
  QFETCH(QByteArray, Content);
  QFETCH(TSettings, Expected);
  QCOMPARE(Load(Content), Expected);
}

void TSettingsLoadTest::EnormousText() {
  const QByteArray Line = "text=" + QByteArray(3 * 1024 * 1024, 'w');
  const TSettings S = Load("[config]\nquality=6\n[watermark]\n" + Line + "\nleft=300\n");
  QCOMPARE(S.Quality, 6);
  QCOMPARE(S.Text, QString(2047, u'w'));
  QCOMPARE(S.Left, 300);
}

QTEST_GUILESS_MAIN(TSettingsLoadTest)
#include "tst_settingsload.moc"
