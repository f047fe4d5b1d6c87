#include "settings/integerrule.h"

#include <QTest>

#include <climits>

// The integer rule: optional spaces, optional sign, decimal digits or hexadecimal digits
// after "$", "x", "X", "0x", "0X", nothing after the digits, 32-bit limits.
class TIntegerRuleTest : public QObject {
  Q_OBJECT
private slots:
  void TryStrToInt_data();
  void TryStrToInt();
  void FailureLeavesValueAlone();
  void StrToIntDef_data();
  void StrToIntDef();
};

void TIntegerRuleTest::TryStrToInt_data() {
  QTest::addColumn<QString>("Text");
  QTest::addColumn<bool>("Ok");
  QTest::addColumn<int>("Expected");

  // Decimal.
  QTest::addRow("zero") << "0" << true << 0;
  QTest::addRow("seven") << "7" << true << 7;
  QTest::addRow("leading zeros") << "00000000000000000007" << true << 7;
  QTest::addRow("plus") << "+5" << true << 5;
  QTest::addRow("minus") << "-5" << true << -5;
  QTest::addRow("minus zero") << "-0" << true << 0;
  QTest::addRow("leading spaces") << "   42" << true << 42;
  QTest::addRow("spaces then sign") << "  -12" << true << -12;
  QTest::addRow("int max") << "2147483647" << true << INT_MAX;
  QTest::addRow("int max + 1") << "2147483648" << false << 0;
  QTest::addRow("int min") << "-2147483648" << true << INT_MIN;
  QTest::addRow("int min - 1") << "-2147483649" << false << 0;
  QTest::addRow("2^32 does not wrap to 0") << "4294967296" << false << 0;
  QTest::addRow("2^32 + 7 does not wrap to 7") << "4294967303" << false << 0;
  QTest::addRow("twenty nines") << "99999999999999999999" << false << 0;

  // Hexadecimal, every prefix, either letter case.
  QTest::addRow("dollar") << "$FF" << true << 255;
  QTest::addRow("dollar lower case") << "$ff" << true << 255;
  QTest::addRow("dollar mixed case") << "$aB" << true << 171;
  QTest::addRow("x") << "xA" << true << 10;
  QTest::addRow("X") << "XA" << true << 10;
  QTest::addRow("0x") << "0x10" << true << 16;
  QTest::addRow("0X") << "0X10" << true << 16;
  QTest::addRow("0x eight") << "0x8" << true << 8;
  QTest::addRow("dollar zero") << "$0" << true << 0;
  QTest::addRow("all ones is -1") << "$FFFFFFFF" << true << -1;
  QTest::addRow("top bit") << "$80000000" << true << INT_MIN;
  QTest::addRow("int max hex") << "0x7FFFFFFF" << true << INT_MAX;
  QTest::addRow("33 bits") << "$100000000" << false << 0;
  QTest::addRow("nine digits, leading zero") << "$000000001" << true << 1;
  QTest::addRow("negative hex") << "-$10" << true << -16;
  QTest::addRow("negated all ones") << "-$FFFFFFFF" << true << 1;
  QTest::addRow("negated top bit wraps") << "-$80000000" << true << INT_MIN;
  QTest::addRow("plus x") << "+x1F" << true << 31;
  QTest::addRow("spaces minus 0x") << " -0x1" << true << -1;
  QTest::addRow("red") << "$000000FF" << true << 255;

  // Not integers.
  QTest::addRow("empty") << "" << false << 0;
  QTest::addRow("spaces only") << "   " << false << 0;
  QTest::addRow("plus only") << "+" << false << 0;
  QTest::addRow("minus only") << "-" << false << 0;
  QTest::addRow("dollar only") << "$" << false << 0;
  QTest::addRow("0x only") << "0x" << false << 0;
  QTest::addRow("x only") << "x" << false << 0;
  QTest::addRow("minus dollar only") << "-$" << false << 0;
  QTest::addRow("letter after digits") << "12a" << false << 0;
  QTest::addRow("trailing space") << "7 " << false << 0;
  QTest::addRow("exponent") << "1e3" << false << 0;
  QTest::addRow("fraction") << "3.5" << false << 0;
  QTest::addRow("space after sign") << "- 5" << false << 0;
  QTest::addRow("two signs") << "--5" << false << 0;
  QTest::addRow("sign after dollar") << "$-5" << false << 0;
  QTest::addRow("sign after 0x") << "0x-5" << false << 0;
  QTest::addRow("two prefixes") << "$$5" << false << 0;
  QTest::addRow("dollar inside") << "0$5" << false << 0;
  QTest::addRow("dollar after") << "5$" << false << 0;
  QTest::addRow("hex digit in decimal") << "1F" << false << 0;
  QTest::addRow("non-hex after dollar") << "$G" << false << 0;
  QTest::addRow("word") << "true" << false << 0;
  QTest::addRow("tab is no space") << "\t7" << false << 0;
  QTest::addRow("arabic-indic digit") << QString(QChar(0x0663)) << false << 0;
  QTest::addRow("fullwidth digit") << QString(QChar(0xFF17)) << false << 0;
  QTest::addRow("fullwidth hex letter") << QString("$") + QChar(0xFF21) << false << 0;
}

void TIntegerRuleTest::TryStrToInt() {
  QFETCH(QString, Text);
  QFETCH(bool, Ok);
  QFETCH(int, Expected);
  int Value = 12345;
  QCOMPARE(::TryStrToInt(Text, Value), Ok);
  QCOMPARE(Value, Ok ? Expected : 12345);
}

void TIntegerRuleTest::FailureLeavesValueAlone() {
  // A number that overflows only after some digits were taken must not leave a partial value.
  int Value = -77;
  QVERIFY(!::TryStrToInt(QStringLiteral("21474836470"), Value));
  QCOMPARE(Value, -77);
  QVERIFY(!::TryStrToInt(QStringLiteral("$123456789"), Value));
  QCOMPARE(Value, -77);
}

void TIntegerRuleTest::StrToIntDef_data() {
  QTest::addColumn<QString>("Text");
  QTest::addColumn<int>("Default");
  QTest::addColumn<int>("Expected");
  QTest::addRow("integer") << "9" << 10 << 9;
  QTest::addRow("not an integer") << "nine" << 10 << 10;
  QTest::addRow("empty") << "" << -3 << -3;
  QTest::addRow("zero is no default") << "0" << 10 << 0;
}

void TIntegerRuleTest::StrToIntDef() {
  QFETCH(QString, Text);
  QFETCH(int, Default);
  QFETCH(int, Expected);
  QCOMPARE(::StrToIntDef(Text, Default), Expected);
}

QTEST_GUILESS_MAIN(TIntegerRuleTest)
#include "tst_integerrule.moc"
