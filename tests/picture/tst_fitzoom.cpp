// Fit and zoom arithmetic: the worked examples, the extended-precision cases, a large table
// checked against an exact integer reference, and sizes at and beyond the edges.
#include "extendedoracle.h"
#include "picture/fitzoom.h"

#include <QTest>

#include <climits>
#include <cmath>

namespace {

const QSize Frame(480, 272);

// The across side of MaxWidth / MaxHeight in double precision, as a wrong implementation
// would compute it (used only to show that a table tells the two apart).
int DoubleFit(int FrameLength, int NaturalAlong, int NaturalAcross) {
  const double Ratio = double(FrameLength) / double(NaturalAlong);
  return int(std::trunc(Ratio * double(NaturalAcross)));
}

qint64 ExpectedFit(int FrameLength, int NaturalAlong, int NaturalAcross) {
  return ExtendedOracle::Truncated(quint64(FrameLength), quint64(NaturalAlong),
                                   quint64(NaturalAcross), MaxBoxLength);
}

qint64 ExpectedZoom(int Position, int Tag, int Length) {
  return ExtendedOracle::Rounded(quint64(Position), quint64(Tag), quint64(Length), MaxBoxLength);
}

// A fixed pseudo-random sequence, so the large rows are the same on every run.
quint32 Next(quint32 &State) {
  State = State * 1664525u + 1013904223u;
  return State >> 8;
}

} // namespace

class TFitZoomTest : public QObject {
  Q_OBJECT
private slots:
  void OracleSelfCheck_data();
  void OracleSelfCheck();
  void FitWorkedExamples_data();
  void FitWorkedExamples();
  void ZoomWorkedExamples_data();
  void ZoomWorkedExamples();
  void ExtendedNotDouble_data();
  void ExtendedNotDouble();
  void FitTable_data();
  void FitTable();
  void ZoomTable_data();
  void ZoomTable();
  void FitEdges_data();
  void FitEdges();
  void ZoomEdges_data();
  void ZoomEdges();
};

// The reference itself, on values whose rounding is known by hand.
void TFitZoomTest::OracleSelfCheck_data() {
  QTest::addColumn<int>("Numerator");
  QTest::addColumn<int>("Denominator");
  QTest::addColumn<int>("Factor");
  QTest::addColumn<qint64>("Truncated");
  QTest::addColumn<qint64>("Rounded");
  QTest::addRow("exact half") << 1 << 2 << 481 << qint64(240) << qint64(240);
  QTest::addRow("half rounds to even upwards") << 1 << 2 << 271 << qint64(135) << qint64(136);
  QTest::addRow("exact whole") << 3 << 4 << 400 << qint64(300) << qint64(300);
  QTest::addRow("two thirds") << 2 << 3 << 544 << qint64(362) << qint64(363);
  QTest::addRow("ratio above one") << 10 << 3 << 82 << qint64(273) << qint64(273);
  // 1/3 rounds up at 64 bits, to a little above a third; times 3 that is a little above 1,
  // and the product rounds back to exactly 1 at 64 bits.
  QTest::addRow("third times three") << 1 << 3 << 3 << qint64(1) << qint64(1);
}

void TFitZoomTest::OracleSelfCheck() {
  QFETCH(int, Numerator);
  QFETCH(int, Denominator);
  QFETCH(int, Factor);
  QFETCH(qint64, Truncated);
  QFETCH(qint64, Rounded);
  QCOMPARE(ExtendedOracle::Truncated(Numerator, Denominator, Factor, INT_MAX), Truncated);
  QCOMPARE(ExtendedOracle::Rounded(Numerator, Denominator, Factor, INT_MAX), Rounded);
}

void TFitZoomTest::FitWorkedExamples_data() {
  QTest::addColumn<QSize>("Natural");
  QTest::addColumn<int>("Mode");
  QTest::addColumn<QSize>("Box");
  const int None = int(TFitMode::None), Stretch = int(TFitMode::Stretch);
  const int MaxWidth = int(TFitMode::MaxWidth), MaxHeight = int(TFitMode::MaxHeight);
  QTest::addRow("1024x768 MaxWidth") << QSize(1024, 768) << MaxWidth << QSize(480, 360);
  QTest::addRow("1024x768 MaxHeight") << QSize(1024, 768) << MaxHeight << QSize(362, 272);
  QTest::addRow("1920x1080 MaxWidth") << QSize(1920, 1080) << MaxWidth << QSize(480, 270);
  QTest::addRow("1920x1080 MaxHeight") << QSize(1920, 1080) << MaxHeight << QSize(483, 272);
  QTest::addRow("600x800 MaxWidth") << QSize(600, 800) << MaxWidth << QSize(480, 640);
  QTest::addRow("600x800 MaxHeight") << QSize(600, 800) << MaxHeight << QSize(204, 272);
  QTest::addRow("1024x768 Stretch") << QSize(1024, 768) << Stretch << QSize(480, 272);
  QTest::addRow("7x3 Stretch") << QSize(7, 3) << Stretch << QSize(480, 272);
  QTest::addRow("5000x20 Stretch") << QSize(5000, 20) << Stretch << QSize(480, 272);
  QTest::addRow("1024x768 None") << QSize(1024, 768) << None << QSize(1024, 768);
}

void TFitZoomTest::FitWorkedExamples() {
  QFETCH(QSize, Natural);
  QFETCH(int, Mode);
  QFETCH(QSize, Box);
  QCOMPARE(FitBoxSize(TFitMode(Mode), Natural, Frame), Box);
}

void TFitZoomTest::ZoomWorkedExamples_data() {
  QTest::addColumn<QSize>("Before");
  QTest::addColumn<int>("From");
  QTest::addColumn<int>("To");
  QTest::addColumn<QSize>("After");
  QTest::addRow("10 to 3") << QSize(480, 272) << 10 << 3 << QSize(144, 82);
  QTest::addRow("3 to 10") << QSize(144, 82) << 3 << 10 << QSize(480, 273);
  QTest::addRow("10 to 9") << QSize(480, 272) << 10 << 9 << QSize(432, 245);
  QTest::addRow("9 to 10") << QSize(432, 245) << 9 << 10 << QSize(480, 272);
  QTest::addRow("ties to even") << QSize(481, 271) << 10 << 5 << QSize(240, 136);
  QTest::addRow("5 to 10 doubles") << QSize(1024, 768) << 5 << 10 << QSize(2048, 1536);
}

void TFitZoomTest::ZoomWorkedExamples() {
  QFETCH(QSize, Before);
  QFETCH(int, From);
  QFETCH(int, To);
  QFETCH(QSize, After);
  QCOMPARE(ZoomLength(To, From, Before.width()), After.width());
  QCOMPARE(ZoomLength(To, From, Before.height()), After.height());
}

// 480 / 21 * 21 falls just below 480 in extended precision and is exactly 480 in double;
// 480 / 11 * 11 the other way round. The double column proves each row tells them apart.
void TFitZoomTest::ExtendedNotDouble_data() {
  QTest::addColumn<QSize>("Natural");
  QTest::addColumn<int>("Mode");
  QTest::addColumn<QSize>("Box");
  QTest::addColumn<int>("DoubleAcross");
  QTest::addRow("21x21 MaxWidth") << QSize(21, 21) << int(TFitMode::MaxWidth) << QSize(480, 479)
                                  << 480;
  QTest::addRow("11x11 MaxWidth") << QSize(11, 11) << int(TFitMode::MaxWidth) << QSize(480, 480)
                                  << 479;
}

void TFitZoomTest::ExtendedNotDouble() {
  QFETCH(QSize, Natural);
  QFETCH(int, Mode);
  QFETCH(QSize, Box);
  QFETCH(int, DoubleAcross);
  QCOMPARE(DoubleFit(Frame.width(), Natural.width(), Natural.height()), DoubleAcross);
  QVERIFY(DoubleAcross != Box.height());
  QCOMPARE(ExpectedFit(Frame.width(), Natural.width(), Natural.height()), qint64(Box.height()));
  QCOMPARE(FitBoxSize(TFitMode(Mode), Natural, Frame), Box);
}

// Every natural size in a range (or a pseudo-random sample of large ones), both fitting
// modes, against the exact reference. In the rows of moderate sizes the double computation
// must differ somewhere, or the row could not catch double precision; among sizes up to
// 2^31 - 1 nearly every result is 0 or saturated, which tests the limits instead.
void TFitZoomTest::FitTable_data() {
  QTest::addColumn<int>("Lowest");
  QTest::addColumn<int>("Highest");
  QTest::addColumn<int>("Samples"); // 0: every pair in [Lowest, Highest]^2
  QTest::addColumn<QSize>("FrameSize");
  QTest::addColumn<bool>("TellsDoubleApart");
  QTest::addRow("all 1..400 squared") << 1 << 400 << 0 << Frame << true;
  QTest::addRow("all 401..700 squared") << 401 << 700 << 0 << Frame << true;
  QTest::addRow("random up to 65535") << 1 << 65535 << 200000 << Frame << true;
  QTest::addRow("random up to 2^31-1") << 1 << INT_MAX << 200000 << Frame << false;
  QTest::addRow("odd frame 1..300") << 1 << 300 << 0 << QSize(479, 271) << true;
}

void TFitZoomTest::FitTable() {
  QFETCH(int, Lowest);
  QFETCH(int, Highest);
  QFETCH(int, Samples);
  QFETCH(QSize, FrameSize);
  QFETCH(bool, TellsDoubleApart);
  qint64 Checked = 0;
  qint64 DoubleDiffers = 0;
  const auto Check = [&](int W, int H) {
    const QSize ByWidth = FitBoxSize(TFitMode::MaxWidth, QSize(W, H), FrameSize);
    const qint64 Height = ExpectedFit(FrameSize.width(), W, H);
    if (ByWidth != QSize(FrameSize.width(), int(Height)))
      QFAIL(qPrintable(QStringLiteral("MaxWidth %1x%2 gave %3x%4, expected height %5")
                           .arg(W).arg(H).arg(ByWidth.width()).arg(ByWidth.height()).arg(Height)));
    const QSize ByHeight = FitBoxSize(TFitMode::MaxHeight, QSize(W, H), FrameSize);
    const qint64 Width = ExpectedFit(FrameSize.height(), H, W);
    if (ByHeight != QSize(int(Width), FrameSize.height()))
      QFAIL(qPrintable(QStringLiteral("MaxHeight %1x%2 gave %3x%4, expected width %5")
                           .arg(W).arg(H).arg(ByHeight.width()).arg(ByHeight.height()).arg(Width)));
    if (Height < MaxBoxLength && DoubleFit(FrameSize.width(), W, H) != Height)
      ++DoubleDiffers;
    if (Width < MaxBoxLength && DoubleFit(FrameSize.height(), H, W) != Width)
      ++DoubleDiffers;
    Checked += 2;
  };
  if (Samples == 0) {
    for (int W = Lowest; W <= Highest; ++W)
      for (int H = Lowest; H <= Highest; ++H)
        Check(W, H);
  } else {
    quint32 State = 20240601u + quint32(Highest);
    const quint64 Span = quint64(Highest) - quint64(Lowest) + 1;
    for (int I = 0; I < Samples; ++I) {
      const quint64 A = (quint64(Next(State)) << 24 | Next(State)) % Span;
      const quint64 B = (quint64(Next(State)) << 24 | Next(State)) % Span;
      Check(int(Lowest + A), int(Lowest + B));
    }
  }
  QVERIFY(Checked > 0);
  if (TellsDoubleApart)
    QVERIFY2(DoubleDiffers > 0, "no size in this row tells extended from double precision");
}

// Zoom steps between every pair of slider positions, for many box lengths.
void TFitZoomTest::ZoomTable_data() {
  QTest::addColumn<int>("LongestLength");
  QTest::addColumn<int>("Step");
  QTest::addRow("lengths 0..5000") << 5000 << 1;
  QTest::addRow("lengths to 16777215 in steps") << MaxBoxLength << 9973;
}

void TFitZoomTest::ZoomTable() {
  QFETCH(int, LongestLength);
  QFETCH(int, Step);
  qint64 Checked = 0;
  for (int Tag = 1; Tag <= 10; ++Tag)
    for (int Position = 1; Position <= 10; ++Position)
      for (int Length = 0; Length <= LongestLength; Length += Step) {
        const int Got = ZoomLength(Position, Tag, Length);
        const qint64 Expected = ExpectedZoom(Position, Tag, Length);
        if (Got != Expected)
          QFAIL(qPrintable(QStringLiteral("%1 to %2 of %3 gave %4, expected %5")
                               .arg(Tag).arg(Position).arg(Length).arg(Got).arg(Expected)));
        ++Checked;
      }
  QVERIFY(Checked > 0);
}

// Zero, negative and huge sizes: defined results, no division by zero, no overflow.
void TFitZoomTest::FitEdges_data() {
  QTest::addColumn<int>("Mode");
  QTest::addColumn<QSize>("Natural");
  QTest::addColumn<QSize>("FrameSize");
  QTest::addColumn<QSize>("Box");
  const int None = int(TFitMode::None), Stretch = int(TFitMode::Stretch);
  const int MaxWidth = int(TFitMode::MaxWidth), MaxHeight = int(TFitMode::MaxHeight);
  const int M = MaxBoxLength;
  QTest::addRow("MaxWidth 0x0 keeps the frame") << MaxWidth << QSize(0, 0) << Frame << Frame;
  QTest::addRow("MaxWidth 0x100 keeps the frame") << MaxWidth << QSize(0, 100) << Frame << Frame;
  QTest::addRow("MaxWidth 100x0 is flat") << MaxWidth << QSize(100, 0) << Frame << QSize(480, 0);
  QTest::addRow("MaxHeight 0x0 keeps the frame") << MaxHeight << QSize(0, 0) << Frame << Frame;
  QTest::addRow("MaxHeight 100x0 keeps the frame") << MaxHeight << QSize(100, 0) << Frame << Frame;
  QTest::addRow("MaxHeight 0x100 is thin") << MaxHeight << QSize(0, 100) << Frame << QSize(0, 272);
  QTest::addRow("MaxWidth negative width") << MaxWidth << QSize(-5, 100) << Frame << Frame;
  QTest::addRow("MaxWidth negative height") << MaxWidth << QSize(100, -5) << Frame << QSize(480, 0);
  QTest::addRow("MaxHeight INT_MIN height") << MaxHeight << QSize(10, INT_MIN) << Frame << Frame;
  QTest::addRow("MaxWidth 1 x INT_MAX saturates") << MaxWidth << QSize(1, INT_MAX) << Frame
                                                  << QSize(480, M);
  QTest::addRow("MaxHeight INT_MAX x 1 saturates") << MaxHeight << QSize(INT_MAX, 1) << Frame
                                                   << QSize(M, 272);
  QTest::addRow("MaxWidth 1 x 65535 saturates") << MaxWidth << QSize(1, 65535) << Frame
                                                << QSize(480, M);
  QTest::addRow("MaxWidth INT_MAX x 1 is flat") << MaxWidth << QSize(INT_MAX, 1) << Frame
                                                << QSize(480, 0);
  QTest::addRow("MaxWidth INT_MAX square")
      << MaxWidth << QSize(INT_MAX, INT_MAX) << Frame
      << QSize(480, int(ExpectedFit(480, INT_MAX, INT_MAX)));
  QTest::addRow("MaxWidth huge frame") << MaxWidth << QSize(3, 7) << QSize(INT_MAX, INT_MAX)
                                       << QSize(M, M);
  QTest::addRow("Stretch huge frame") << Stretch << QSize(3, 7) << QSize(INT_MAX, INT_MIN)
                                      << QSize(M, 0);
  QTest::addRow("None huge natural") << None << QSize(INT_MAX, INT_MIN) << Frame << QSize(M, 0);
  QTest::addRow("None zero natural") << None << QSize(0, 0) << Frame << QSize(0, 0);
}

void TFitZoomTest::FitEdges() {
  QFETCH(int, Mode);
  QFETCH(QSize, Natural);
  QFETCH(QSize, FrameSize);
  QFETCH(QSize, Box);
  QCOMPARE(FitBoxSize(TFitMode(Mode), Natural, FrameSize), Box);
}

void TFitZoomTest::ZoomEdges_data() {
  QTest::addColumn<int>("Position");
  QTest::addColumn<int>("Tag");
  QTest::addColumn<int>("Length");
  QTest::addColumn<int>("Result");
  const int M = MaxBoxLength;
  QTest::addRow("Tag 0 keeps the length") << 5 << 0 << 300 << 300;
  QTest::addRow("negative Tag keeps the length") << 5 << -3 << 300 << 300;
  QTest::addRow("Tag INT_MIN keeps the length") << 5 << INT_MIN << 300 << 300;
  QTest::addRow("Tag 0 saturates a huge length") << 5 << 0 << INT_MAX << M;
  QTest::addRow("position 0 gives 0") << 0 << 10 << 300 << 0;
  QTest::addRow("negative position gives 0") << -3 << 10 << 300 << 0;
  QTest::addRow("negative length gives 0") << 3 << 10 << -300 << 0;
  QTest::addRow("zero length stays 0") << 3 << 10 << 0 << 0;
  QTest::addRow("tenfold of INT_MAX saturates") << 10 << 1 << INT_MAX << M;
  QTest::addRow("INT_MAX positions saturate") << INT_MAX << 1 << INT_MAX << M;
  QTest::addRow("INT_MAX down to 1") << 1 << INT_MAX << INT_MAX << 1;
  QTest::addRow("just below the limit") << 1 << 1 << M - 1 << M - 1;
  QTest::addRow("at the limit") << 1 << 1 << M << M;
  QTest::addRow("one above the limit") << 1 << 1 << M + 1 << M;
  QTest::addRow("tiny product rounds to 0") << 1 << INT_MAX << 1 << 0;
  QTest::addRow("half rounds to even 0") << 1 << 2 << 1 << 0;
  QTest::addRow("one and a half rounds to 2") << 1 << 2 << 3 << 2;
}

void TFitZoomTest::ZoomEdges() {
  QFETCH(int, Position);
  QFETCH(int, Tag);
  QFETCH(int, Length);
  QFETCH(int, Result);
  QCOMPARE(ZoomLength(Position, Tag, Length), Result);
}

QTEST_APPLESS_MAIN(TFitZoomTest)
#include "tst_fitzoom.moc"
