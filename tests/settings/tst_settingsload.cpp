#include "faketarget.h"
#include "profiletestutil.h"
#include "settings/settings.h"
#include "settingsfixture.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Loading the settings file into a stand-in main window: what is applied, in which order, and
// what is skipped.
class TSettingsLoadTest : public QObject {
  Q_OBJECT
private slots:
  void init();

  void RoundTrip_data();
  void RoundTrip();
  void ExampleFileRead_data();
  void ExampleFileRead();
  void ReadingEdgeCases_data();
  void ReadingEdgeCases();
  void StyleNeverCleared();
  void LoadOrder();
  void LoadStopsAtError_data();
  void LoadStopsAtError();
  void EnormousText();

private:
  TFakeState Load(const QByteArray &Content);
  void Save(const TFakeState &State);

  std::unique_ptr<QTemporaryDir> FDir;
  QString FPath;
};

void TSettingsLoadTest::init() {
  FDir = std::make_unique<QTemporaryDir>();
  QVERIFY(FDir->isValid());
  FPath = FDir->filePath(u"Zelvane.ini"_s);
}

TFakeState TSettingsLoadTest::Load(const QByteArray &Content) {
  WriteFileBytes(FPath, Content);
  TFakeTarget Target;
  LoadSettings(Target, FPath);
  return Target.S;
}

void TSettingsLoadTest::Save(const TFakeState &State) {
  TFakeTarget Target;
  Target.S = State;
  SaveSettings(Target, FPath);
}

void TSettingsLoadTest::RoundTrip_data() {
  QTest::addColumn<TFakeState>("AtExit");

  QTest::addRow("example") << ExampleState();
  QTest::addRow("start values") << TFakeState();
  {
    TFakeState S;
    S.OpenPath = u"/home/me/Bilder/"_s;
    S.SavePath = u"/tmp/out dir/"_s;
    S.LabelText = S.EditText = u"Hi"_s;
    S.LabelVisible = true;
    S.Left = LeftFor(u"Hi"_s); // moved by its text only
    QTest::addRow("text at the start position") << S;
  }
  {
    TFakeState S;
    S.Quality = 5;
    S.FontName = u"Courier New"_s;
    S.FontSize = 20;
    S.FontColor = 0x00FF00;
    S.Styles = Bold | Italic | Underline | StrikeOut;
    S.LabelText = S.EditText = u"\u00A9 2024 Zo\u00EB \U0001F600"_s;
    S.LabelVisible = true;
    S.Left = 10;
    S.Top = 10;
    QTest::addRow("every style, non-ASCII") << S;
  }
  {
    TFakeState S;
    S.FontColor = 0xFFFFFF;
    S.Styles = StrikeOut;
    S.LabelText = S.EditText = u"\"a=b\"; [c] \\d $1 0x2"_s;
    S.LabelVisible = true;
    S.Left = 479;
    S.Top = 271;
    QTest::addRow("awkward text, last pixel") << S;
  }
  {
    TFakeState S;
    S.OpenPath = u"\\\\server\\share\\pics\\"_s;
    S.SavePath = u"D:\\"_s;
    S.Quality = 6;
    S.FontSize = 72;
    S.Styles = Italic | Underline;
    S.LabelText = S.EditText = u"x"_s;
    S.LabelVisible = true;
    S.Left = 1;
    S.Top = 1;
    QTest::addRow("UNC path, big font") << S;
  }
}

void TSettingsLoadTest::RoundTrip() {
  QFETCH(TFakeState, AtExit);
  Save(AtExit);

  TFakeTarget Next;
  LoadSettings(Next, FPath);
  TFakeState Expected = AtExit;
  if (Expected.Left != 470)
    Expected.WatermarkLeft = Expected.Left;
  if (Expected.Top != 252)
    Expected.WatermarkTop = Expected.Top;
  QCOMPARE(Next.S, Expected);
}

void TSettingsLoadTest::ExampleFileRead_data() {
  QTest::addColumn<QByteArray>("Content");
  QTest::addRow("as written") << JoinLines(ExampleLines);
  QTest::addRow("CRLF") << JoinLines(ExampleLines, "\r\n");
  QTest::addRow("UTF-8 mark") << "\xEF\xBB\xBF"_ba + JoinLines(ExampleLines);
  QTest::addRow("UTF-16LE, CRLF")
      << Utf16LEWithMark(QString::fromUtf8(JoinLines(ExampleLines, "\r\n")));
  QTest::addRow("other case, blanks, comments")
      << "; written by hand\n[Config]\n OpenPath = C:\\Users\\me\\Pictures\\\n"
         "SAVEPATH=C:\\Users\\me\\Wallpapers\\\nQuality=9\n\n[WaterMark]\nFontName=Arial\n"
         "FontSize=14\nFontColor=0xFF\nFontBold=1\nFontItalic=0\nFontUnderline=0\n"
         "FontStrikeout=0\nLeft=352\nTop=240\nText=My wallpaper\n"_ba;
}

void TSettingsLoadTest::ExampleFileRead() {
  QFETCH(QByteArray, Content);
  QCOMPARE(Load(Content), ExampleLoaded());
}

void TSettingsLoadTest::ReadingEdgeCases_data() {
  QTest::addColumn<QByteArray>("Content");
  QTest::addColumn<TFakeState>("Expected");

  const TFakeState Layout;
  const auto With = [&](const TSetup &Change) {
    TFakeState S = Layout;
    Change(S);
    return S;
  };
  const auto Texted = [&](const QString &Text) {
    return [Text](TFakeState &S) {
      S.LabelText = S.EditText = Text;
      S.LabelVisible = true;
      S.Left = LeftFor(Text);
    };
  };

  QTest::addRow("no keys") << "[config]\n[watermark]\n"_ba << Layout;
  QTest::addRow("quality 4") << "[config]\nquality=4\n"_ba << Layout;
  QTest::addRow("quality 11") << "[config]\nquality=11\n"_ba << Layout;
  QTest::addRow("quality 7") << "[config]\nquality=7\n"_ba << With([](auto &S) { S.Quality = 7; });
  QTest::addRow("quality 5") << "[config]\nquality=5\n"_ba << With([](auto &S) { S.Quality = 5; });
  QTest::addRow("quality 0x8") << "[config]\nquality=0x8\n"_ba
                               << With([](auto &S) { S.Quality = 8; });
  QTest::addRow("quality $6") << "[config]\nquality=$6\n"_ba << With([](auto &S) { S.Quality = 6; });
  QTest::addRow("quality not an integer") << "[config]\nquality=seven\n"_ba << Layout;
  QTest::addRow("quality 7.0") << "[config]\nquality=7.0\n"_ba << Layout;
  QTest::addRow("empty folders applied") << "[config]\nopenpath=\nsavepath=\n"_ba << Layout;

  QTest::addRow("font name empty") << "[watermark]\nfontname=\n"_ba << Layout;
  QTest::addRow("font name") << "[watermark]\nfontname=Verdana\n"_ba
                             << With([](auto &S) { S.FontName = u"Verdana"_s; });
  QTest::addRow("font size 0") << "[watermark]\nfontsize=0\n"_ba << Layout;
  QTest::addRow("font size -3") << "[watermark]\nfontsize=-3\n"_ba << Layout;
  QTest::addRow("font size 12") << "[watermark]\nfontsize=12\n"_ba
                                << With([](auto &S) { S.FontSize = 12; });
  QTest::addRow("colour 0") << "[watermark]\nfontcolor=0\n"_ba << Layout;
  QTest::addRow("colour 255") << "[watermark]\nfontcolor=255\n"_ba
                              << With([](auto &S) { S.FontColor = 255; });
  QTest::addRow("colour system") << "[watermark]\nfontcolor=-2147483640\n"_ba << Layout;
  QTest::addRow("colour $FFFFFFFF") << "[watermark]\nfontcolor=$FFFFFFFF\n"_ba << Layout;
  QTest::addRow("colour 0x800000") << "[watermark]\nfontcolor=0x800000\n"_ba
                                   << With([](auto &S) { S.FontColor = 0x800000; });

  QTest::addRow("bold 1") << "[watermark]\nfontbold=1\n"_ba << With([](auto &S) { S.Styles = Bold; });
  QTest::addRow("bold true") << "[watermark]\nfontbold=true\n"_ba << Layout;
  QTest::addRow("bold 0") << "[watermark]\nfontbold=0\n"_ba << Layout;
  QTest::addRow("bold 2") << "[watermark]\nfontbold=2\n"_ba << With([](auto &S) { S.Styles = Bold; });
  QTest::addRow("italic -1") << "[watermark]\nfontitalic=-1\n"_ba
                             << With([](auto &S) { S.Styles = Italic; });
  QTest::addRow("underline 1") << "[watermark]\nfontunderline=1\n"_ba
                               << With([](auto &S) { S.Styles = Underline; });
  QTest::addRow("strike-out 1") << "[watermark]\nfontstrikeOut=1\n"_ba
                                << With([](auto &S) { S.Styles = StrikeOut; });
  QTest::addRow("strike-out other case") << "[watermark]\nfontstrikeout=1\n"_ba
                                         << With([](auto &S) { S.Styles = StrikeOut; });

  QTest::addRow("text") << "[watermark]\ntext=Hello\n"_ba << With(Texted(u"Hello"_s));
  QTest::addRow("text of spaces") << "[watermark]\ntext=    \n"_ba << Layout;
  QTest::addRow("text padded") << "[watermark]\ntext=  Hi  \n"_ba << With(Texted(u"Hi"_s));
  QTest::addRow("text moves with font")
      << "[watermark]\nfontsize=10\nfontbold=1\ntext=Hello\n"_ba << With([](auto &S) {
           S.FontSize = 10;
           S.Styles = Bold;
           S.LabelText = S.EditText = u"Hello"_s;
           S.LabelVisible = true;
           S.Left = LeftFor(u"Hello"_s, 10, true);
         });

  QTest::addRow("left 0") << "[watermark]\ntext=Hello\nleft=0\n"_ba << With(Texted(u"Hello"_s));
  QTest::addRow("left -5") << "[watermark]\ntext=Hello\nleft=-5\n"_ba << With(Texted(u"Hello"_s));
  QTest::addRow("left 352") << "[watermark]\ntext=Hello\nleft=352\n"_ba << With([&](auto &S) {
    Texted(u"Hello"_s)(S);
    S.Left = S.WatermarkLeft = 352;
  });
  QTest::addRow("left $100") << "[watermark]\nleft=$100\n"_ba
                             << With([](auto &S) { S.Left = S.WatermarkLeft = 256; });
  QTest::addRow("left 479") << "[watermark]\nleft=479\n"_ba
                            << With([](auto &S) { S.Left = S.WatermarkLeft = 479; });
  QTest::addRow("left 480 outside") << "[watermark]\nleft=480\n"_ba << Layout;
  QTest::addRow("left 100000 outside") << "[watermark]\nleft=100000\n"_ba << Layout;
  QTest::addRow("top 0") << "[watermark]\ntop=0\n"_ba << Layout;
  QTest::addRow("top 1") << "[watermark]\ntop=1\n"_ba
                         << With([](auto &S) { S.Top = S.WatermarkTop = 1; });
  QTest::addRow("top 271") << "[watermark]\ntop=271\n"_ba
                           << With([](auto &S) { S.Top = S.WatermarkTop = 271; });
  QTest::addRow("top 272 outside") << "[watermark]\ntop=272\n"_ba << Layout;
  QTest::addRow("top -1") << "[watermark]\ntop=-1\n"_ba << Layout;
  QTest::addRow("keys in the wrong section") << "[watermark]\nquality=7\n[config]\ntext=x\n"_ba
                                             << Layout;
}

void TSettingsLoadTest::ReadingEdgeCases() {
  QFETCH(QByteArray, Content);
  QFETCH(TFakeState, Expected);
  QCOMPARE(Load(Content), Expected);
}

void TSettingsLoadTest::StyleNeverCleared() {
  WriteFileBytes(FPath, "[watermark]\nfontbold=0\nfontitalic=0\nfontunderline=1\nfontstrikeOut=x\n"_ba);
  TFakeTarget Target;
  Target.S.Styles = Bold | StrikeOut;
  LoadSettings(Target, FPath);
  QCOMPARE(Target.S.Styles, Bold | Underline | StrikeOut);
}

void TSettingsLoadTest::LoadOrder() {
  WriteFileBytes(FPath, JoinLines(ExampleLines));
  TFakeTarget Target;
  LoadSettings(Target, FPath);
  QCOMPARE(Target.Log, ExampleLoadLog);
}

void TSettingsLoadTest::LoadStopsAtError_data() {
  QTest::addColumn<QString>("FailOn");
  for (const QString &Call : ExampleLoadLog)
    QTest::addRow("%s", qPrintable(Call)) << Call;
  QTest::addRow("FrameWidth") << u"FrameWidth"_s;
  QTest::addRow("QualityPosition") << u"QualityPosition"_s;
}

void TSettingsLoadTest::LoadStopsAtError() {
  QFETCH(QString, FailOn);
  WriteFileBytes(FPath, JoinLines(ExampleLines));
  TFakeTarget Target;
  Target.FailOn = FailOn;
  LoadSettings(Target, FPath); // nothing escapes
  // Everything before the failing call was applied, nothing after it.
  qsizetype Done = ExampleLoadLog.indexOf(FailOn);
  if (FailOn == u"FrameWidth"_s)
    Done = ExampleLoadLog.indexOf(u"SetLabelLeft"_s);
  if (FailOn == u"QualityPosition"_s)
    Done = ExampleLoadLog.indexOf(u"SetQualityPosition"_s);
  QCOMPARE(Target.Log, ExampleLoadLog.first(Done));
}

void TSettingsLoadTest::EnormousText() {
  const QByteArray Line = "text=" + QByteArray(3 * 1024 * 1024, 'w');
  const TFakeState S = Load("[config]\nquality=6\n[watermark]\n" + Line + "\nleft=300\n");
  QCOMPARE(S.Quality, 6);
  QCOMPARE(S.LabelText, QString(2047, u'w'));
  QCOMPARE(S.Left, 300);
}

QTEST_GUILESS_MAIN(TSettingsLoadTest)
#include "tst_settingsload.moc"
