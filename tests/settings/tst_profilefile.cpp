#include "settings/profile.h"
#include "profiletestutil.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// The private-profile layer's lookups and line rules: matching, in-place writes, encodings,
// line ends, value lengths, the integer and flag readings.
class TProfileFileTest : public QObject, protected TSettingsFolder {
  Q_OBJECT
private slots:
  void init();

  void ReadString_data();
  void ReadString();
  void WriteString_data();
  void WriteString();
  void ReadInteger_data();
  void ReadInteger();
  void ReadBool_data();
  void ReadBool();
  void LongValues_data();
  void LongValues();
  void InvalidWrites_data();
  void InvalidWrites();
};

void TProfileFileTest::init() { QVERIFY(NewSettingsFolder()); }

void TProfileFileTest::ReadString_data() {
  QTest::addColumn<QByteArray>("Content");
  QTest::addColumn<QString>("Section");
  QTest::addColumn<QString>("Key");
  QTest::addColumn<bool>("Exists");
  QTest::addColumn<QString>("Expected");

  const QString Zoe = u"C:\\Users\\Zo\u00EB\\Bilder\\"_s;
  QTest::addRow("plain") << "[config]\nquality=7\n"_ba << "config" << "quality" << true << "7";
  QTest::addRow("section case") << "[CoNfIg]\nquality=7\n"_ba << "config" << "quality" << true << "7";
  QTest::addRow("key case") << "[config]\nQuality=7\n"_ba << "config" << "quality" << true << "7";
  QTest::addRow("caller's case") << "[config]\nquality=7\n"_ba << "CONFIG" << "QUALITY" << true << "7";
  QTest::addRow("non-ASCII case") << "[watermark]\n\xC3\x84key=1\n"_ba << "watermark"
                                  << u"\u00E4KEY"_s << true << "1";
  QTest::addRow("blanks around") << "  [ config ]  \n\t quality \t=\t 7 \t\n"_ba << "config"
                                 << "quality" << true << "7";
  QTest::addRow("first = splits") << "[watermark]\ntext=a=b\n"_ba << "watermark" << "text" << true
                                  << "a=b";
  QTest::addRow("empty value exists") << "[watermark]\ntext=\n"_ba << "watermark" << "text" << true
                                      << "";
  QTest::addRow("missing key") << "[config]\nquality=7\n"_ba << "config" << "openpath" << false
                               << "";
  QTest::addRow("missing section") << "[config]\nquality=7\n"_ba << "watermark" << "quality"
                                   << false << "";
  QTest::addRow("key before any section") << "quality=7\n[config]\n"_ba << "config" << "quality"
                                          << false << "";
  QTest::addRow("key of another section") << "[watermark]\nquality=7\n[config]\n"_ba << "config"
                                          << "quality" << false << "";
  QTest::addRow("first of two keys") << "[config]\nquality=7\nquality=8\n"_ba << "config"
                                     << "quality" << true << "7";
  QTest::addRow("first of two sections") << "[config]\nquality=7\n[config]\nquality=8\n"_ba
                                         << "config" << "quality" << true << "7";
  QTest::addRow("comment") << "[config]\n;quality=7\n"_ba << "config" << "quality" << false << "";
  QTest::addRow("line without =") << "[config]\nquality\n"_ba << "config" << "quality" << false
                                  << "";
  QTest::addRow("CRLF") << "[config]\r\nopenpath=/a/\r\nquality=7\r\n"_ba << "config"
                        << "openpath" << true << "/a/";
  QTest::addRow("no final line break") << "[config]\nquality=7"_ba << "config" << "quality"
                                       << true << "7";
  QTest::addRow("unclosed section") << "[config\nquality=7\n"_ba << "config" << "quality" << true
                                    << "7";
  QTest::addRow("note after bracket") << "[config] ; note\nquality=7\n"_ba << "config"
                                      << "quality" << true << "7";
  QTest::addRow("quotes kept") << "[watermark]\ntext=\"hi\"\n"_ba << "watermark" << "text" << true
                               << "\"hi\"";
  QTest::addRow("backslashes kept") << "[config]\nopenpath=C:\\Users\\me\\Pictures\\\n"_ba
                                    << "config" << "openpath" << true
                                    << "C:\\Users\\me\\Pictures\\";
  QTest::addRow("UTF-8") << "[config]\nopenpath=C:\\Users\\Zo\xC3\xAB\\Bilder\\\n"_ba << "config"
                         << "openpath" << true << Zoe;
  QTest::addRow("UTF-8 with mark")
      << "\xEF\xBB\xBF[config]\nopenpath=C:\\Users\\Zo\xC3\xAB\\Bilder\\\n"_ba << "config"
      << "openpath" << true << Zoe;
  QTest::addRow("UTF-16LE with mark")
      << Utf16LEWithMark(u"[config]\r\nopenpath="_s + Zoe + u"\r\nquality=7\r\n"_s) << "config"
      << "openpath" << true << Zoe;
  QTest::addRow("UTF-16BE with mark")
      << Utf16BEWithMark(u"[config]\r\nopenpath="_s + Zoe + u"\r\n"_s) << "config" << "openpath"
      << true << Zoe;
  // Files joined together leave byte-order marks inside the text: they count as blanks.
  QTest::addRow("UTF-16 mark starting a line")
      << Utf16LEWithMark(u"[config]\r\n\uFEFFquality=7\r\n"_s) << "config" << "quality" << true
      << "7";
  QTest::addRow("UTF-8 mark starting a section")
      << "[watermark]\n\xEF\xBB\xBF[config]\nquality=7\n"_ba << "config" << "quality" << true
      << "7";
  QTest::addRow("invalid UTF-8 elsewhere") << "[config]\n\xC3\x28\xFF\nquality=7\n"_ba << "config"
                                           << "quality" << true << "7";
  QTest::addRow("NUL bytes elsewhere") << QByteArray("[config]\n\0\0\0\nquality=7\n", 23)
                                       << "config" << "quality" << true << "7";
}

void TProfileFileTest::ReadString() {
  QFETCH(QByteArray, Content);
  QFETCH(QString, Section);
  QFETCH(QString, Key);
  QFETCH(bool, Exists);
  QFETCH(QString, Expected);
  WriteFileBytes(FPath, Content);
  const TProfileFile File(FPath);
  QCOMPARE(File.ValueExists(Section, Key), Exists);
  QCOMPARE(File.ReadString(Section, Key, u"<default>"_s), Exists ? Expected : u"<default>"_s);
}

void TProfileFileTest::WriteString_data() {
  QTest::addColumn<bool>("HasFile");
  QTest::addColumn<QByteArray>("Content");
  QTest::addColumn<QString>("Section");
  QTest::addColumn<QString>("Key");
  QTest::addColumn<QString>("Value");
  QTest::addColumn<QByteArray>("Expected");

  QTest::addRow("no file") << false << ""_ba << "config" << "quality" << "9"
                           << "[config]\nquality=9\n"_ba;
  QTest::addRow("empty file") << true << ""_ba << "config" << "quality" << "9"
                              << "[config]\nquality=9\n"_ba;
  QTest::addRow("replaced in place")
      << true << "; my notes\n[config]\nopenpath=/a/\nquality=5\nsavepath=/b/\n[watermark]\ntext=x\n"_ba
      << "config" << "quality" << "9"
      << "; my notes\n[config]\nopenpath=/a/\nquality=9\nsavepath=/b/\n[watermark]\ntext=x\n"_ba;
  QTest::addRow("replaced regardless of case") << true << "[CONFIG]\nQUALITY=5\nother=1\n"_ba
                                               << "config" << "quality" << "9"
                                               << "[CONFIG]\nquality=9\nother=1\n"_ba;
  QTest::addRow("replaced with blanks around") << true << "[ config ]\n  quality = 5\n"_ba
                                               << "config" << "quality" << "9"
                                               << "[ config ]\nquality=9\n"_ba;
  QTest::addRow("same value keeps its line") << true << "[config]\n  Quality = 9 \n"_ba
                                             << "config" << "quality" << "9"
                                             << "[config]\n  Quality = 9 \n"_ba;
  QTest::addRow("added at end of section")
      << true << "[config]\nopenpath=/a/\n\n[watermark]\ntext=x\n"_ba << "config" << "quality"
      << "9" << "[config]\nopenpath=/a/\nquality=9\n\n[watermark]\ntext=x\n"_ba;
  QTest::addRow("added after a trailing comment")
      << true << "[config]\nopenpath=/a/\n; note\n\n[watermark]\n"_ba << "config" << "quality"
      << "9" << "[config]\nopenpath=/a/\n; note\nquality=9\n\n[watermark]\n"_ba;
  QTest::addRow("added to empty section") << true << "[config]\n[watermark]\n"_ba << "config"
                                          << "quality" << "9"
                                          << "[config]\nquality=9\n[watermark]\n"_ba;
  QTest::addRow("section added at end") << true << "[watermark]\ntext=x\n"_ba << "config"
                                        << "quality" << "9"
                                        << "[watermark]\ntext=x\n[config]\nquality=9\n"_ba;
  QTest::addRow("first of two sections") << true << "[config]\nquality=5\n[config]\nquality=6\n"_ba
                                         << "config" << "quality" << "9"
                                         << "[config]\nquality=9\n[config]\nquality=6\n"_ba;
  QTest::addRow("key before sections untouched") << true << "quality=5\n[config]\n"_ba << "config"
                                                 << "quality" << "9"
                                                 << "quality=5\n[config]\nquality=9\n"_ba;
  QTest::addRow("commented key untouched") << true << "[config]\n;quality=5\n"_ba << "config"
                                           << "quality" << "9"
                                           << "[config]\n;quality=5\nquality=9\n"_ba;
  QTest::addRow("CRLF replaced") << true << "[config]\r\nopenpath=/a/\r\nquality=5\r\n"_ba
                                 << "config" << "quality" << "9"
                                 << "[config]\r\nopenpath=/a/\r\nquality=9\r\n"_ba;
  QTest::addRow("CRLF added") << true << "[config]\r\nopenpath=/a/\r\n"_ba << "config"
                              << "quality" << "9"
                              << "[config]\r\nopenpath=/a/\r\nquality=9\r\n"_ba;
  QTest::addRow("CRLF section added") << true << "[config]\r\nquality=9\r\n"_ba << "watermark"
                                      << "text" << "hi"
                                      << "[config]\r\nquality=9\r\n[watermark]\r\ntext=hi\r\n"_ba;
  QTest::addRow("mixed line ends kept")
      << true << "[config]\r\nopenpath=/a/\nsavepath=/b/\r\n"_ba << "config" << "quality" << "9"
      << "[config]\r\nopenpath=/a/\nsavepath=/b/\r\nquality=9\r\n"_ba;
  QTest::addRow("no final line break") << true << "[config]\nopenpath=/a/"_ba << "config"
                                       << "quality" << "9"
                                       << "[config]\nopenpath=/a/\nquality=9\n"_ba;
  QTest::addRow("UTF-8 mark kept") << true << "\xEF\xBB\xBF[config]\nquality=5\n"_ba << "config"
                                   << "quality" << "9" << "\xEF\xBB\xBF[config]\nquality=9\n"_ba;
  QTest::addRow("UTF-16LE becomes UTF-8")
      << true << Utf16LEWithMark(u"[config]\r\nopenpath=C:\\Zo\u00EB\\\r\nquality=5\r\n"_s)
      << "config" << "quality" << "9" << "[config]\r\nopenpath=C:\\Zo\xC3\xAB\\\r\nquality=9\r\n"_ba;
  QTest::addRow("UTF-16 mark starting a section")
      << true << Utf16BEWithMark(u"[config]\r\n\uFEFF[watermark]\r\ntext=x\r\n"_s)
      << "watermark" << "text" << "y"
      << "[config]\r\n\xEF\xBB\xBF[watermark]\r\ntext=y\r\n"_ba;
  QTest::addRow("invalid UTF-8 kept byte for byte")
      << true << "[config]\n\xFF\xFE\x80junk\r\nquality=5\n"_ba << "config" << "quality" << "9"
      << "[config]\n\xFF\xFE\x80junk\r\nquality=9\n"_ba;
  QTest::addRow("backslashes written as they are")
      << false << ""_ba << "config" << "openpath" << "C:\\Users\\me\\Pictures\\"
      << "[config]\nopenpath=C:\\Users\\me\\Pictures\\\n"_ba;
  QTest::addRow("non-ASCII written as UTF-8") << false << ""_ba << "watermark" << "text"
                                              << u"\u00A9 Zo\u00EB \U0001F600"_s
                                              << "[watermark]\ntext=\xC2\xA9 Zo\xC3\xAB \xF0\x9F\x98\x80\n"_ba;
  QTest::addRow("= ; [ in value") << false << ""_ba << "watermark" << "text" << "a=b; [c]"
                                  << "[watermark]\ntext=a=b; [c]\n"_ba;
  QTest::addRow("empty value") << true << "[watermark]\ntext=old\n"_ba << "watermark" << "text"
                               << "" << "[watermark]\ntext=\n"_ba;
}

void TProfileFileTest::WriteString() {
  QFETCH(bool, HasFile);
  QFETCH(QByteArray, Content);
  QFETCH(QString, Section);
  QFETCH(QString, Key);
  QFETCH(QString, Value);
  QFETCH(QByteArray, Expected);
  if (HasFile)
    WriteFileBytes(FPath, Content);
  {
    TProfileFile File(FPath);
    File.WriteString(Section, Key, Value);
    File.Flush();
    QVERIFY(!File.Modified());
  }
  QCOMPARE(ReadBytes(FPath), Expected);
  const TProfileFile Again(FPath);
  QCOMPARE(Again.ReadString(Section, Key, u"<missing>"_s), Value);
}

void TProfileFileTest::ReadInteger_data() {
  QTest::addColumn<QByteArray>("Stored");
  QTest::addColumn<int>("Expected");
  // Default 10 throughout.
  QTest::addRow("decimal") << "7"_ba << 7;
  QTest::addRow("0x8") << "0x8"_ba << 8;
  QTest::addRow("0X1f") << "0X1f"_ba << 31;
  QTest::addRow("0x alone") << "0x"_ba << 10;
  QTest::addRow("0x not hex") << "0xG"_ba << 10;
  QTest::addRow("blanks trimmed by the layer") << "  \t7\t "_ba << 7;
  QTest::addRow("dollar") << "$B"_ba << 11;
  QTest::addRow("negative") << "-3"_ba << -3;
  QTest::addRow("all ones") << "0xFFFFFFFF"_ba << -1;
  QTest::addRow("word") << "seven"_ba << 10;
  QTest::addRow("empty") << ""_ba << 10;
  QTest::addRow("too big") << "2147483648"_ba << 10;
}

void TProfileFileTest::ReadInteger() {
  QFETCH(QByteArray, Stored);
  QFETCH(int, Expected);
  WriteFileBytes(FPath, "[config]\nquality=" + Stored + "\n");
  const TProfileFile File(FPath);
  QCOMPARE(File.ReadInteger(u"config"_s, u"quality"_s, 10), Expected);
  QCOMPARE(File.ReadInteger(u"config"_s, u"missing"_s, 10), 10);
}

void TProfileFileTest::ReadBool_data() {
  QTest::addColumn<QByteArray>("Stored");
  QTest::addColumn<bool>("Default");
  QTest::addColumn<bool>("Expected");
  QTest::addRow("1") << "1"_ba << false << true;
  QTest::addRow("0") << "0"_ba << true << false;
  QTest::addRow("2") << "2"_ba << false << true;
  QTest::addRow("-1") << "-1"_ba << false << true;
  QTest::addRow("$0") << "$0"_ba << true << false;
  QTest::addRow("0x1") << "0x1"_ba << false << true;
  QTest::addRow("true is no integer") << "true"_ba << false << false;
  QTest::addRow("word keeps a set default") << "yes"_ba << true << true;
  QTest::addRow("empty") << ""_ba << false << false;
}

void TProfileFileTest::ReadBool() {
  QFETCH(QByteArray, Stored);
  QFETCH(bool, Default);
  QFETCH(bool, Expected);
  WriteFileBytes(FPath, "[watermark]\nfontbold=" + Stored + "\n");
  const TProfileFile File(FPath);
  QCOMPARE(File.ReadBool(u"watermark"_s, u"fontbold"_s, Default), Expected);
}

void TProfileFileTest::LongValues_data() {
  QTest::addColumn<QString>("Stored");
  QTest::addColumn<QString>("Expected");
  const QString A2047(2047, u'a');
  const QString Smile = u"\U0001F600"_s; // two UTF-16 units
  QTest::addRow("2047 kept") << A2047 << A2047;
  QTest::addRow("2048 cut") << A2047 + u"b"_s << A2047;
  QTest::addRow("100000 cut") << QString(100000, u'z') << QString(2047, u'z');
  QTest::addRow("pair across the limit dropped whole")
      << QString(2046, u'a') + Smile << QString(2046, u'a');
  QTest::addRow("pair inside the limit kept") << QString(2045, u'a') + Smile + u"b"_s
                                              << QString(2045, u'a') + Smile;
}

void TProfileFileTest::LongValues() {
  QFETCH(QString, Stored);
  QFETCH(QString, Expected);
  WriteFileBytes(FPath, "[watermark]\ntext=" + Stored.toUtf8() + "\nleft=5\n");
  const TProfileFile File(FPath);
  QCOMPARE(File.ReadString(u"watermark"_s, u"text"_s, QString()), Expected);
  QCOMPARE(File.ReadInteger(u"watermark"_s, u"left"_s, 0), 5);
}

void TProfileFileTest::InvalidWrites_data() {
  QTest::addColumn<QString>("Section");
  QTest::addColumn<QString>("Key");
  QTest::addColumn<QString>("Value");
  QTest::addRow("LF in value") << "watermark" << "text" << "two\nlines";
  QTest::addRow("CR in value") << "watermark" << "text" << "two\rlines";
  QTest::addRow("empty key") << "watermark" << "" << "x";
  QTest::addRow("empty section") << "" << "text" << "x";
  QTest::addRow("= in key") << "watermark" << "a=b" << "x";
  QTest::addRow("key like a section") << "watermark" << "[x" << "x";
  QTest::addRow("key like a comment") << "watermark" << ";x" << "x";
  QTest::addRow("] in section") << "a]b" << "text" << "x";
  QTest::addRow("blank around key") << "watermark" << " text" << "x";
  QTest::addRow("line break in section") << "water\nmark" << "text" << "x";
}

void TProfileFileTest::InvalidWrites() {
  QFETCH(QString, Section);
  QFETCH(QString, Key);
  QFETCH(QString, Value);
  const QByteArray Before = "[watermark]\ntext=old\n"_ba;
  WriteFileBytes(FPath, Before);
  {
    TProfileFile File(FPath);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, File.WriteString(Section, Key, Value));
    QVERIFY(!File.Modified());
    QCOMPARE(File.ReadString(u"watermark"_s, u"text"_s, QString()), u"old"_s);
  }
  QCOMPARE(ReadBytes(FPath), Before);
}

QTEST_GUILESS_MAIN(TProfileFileTest)
#include "tst_profilefile.moc"
