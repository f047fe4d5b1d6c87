// Enhanced metafile records whose edge pixels are left to the rasteriser (curves, text,
// wide and dashed pens, gradients, blending), checked by regions and measures.

#include "emfrecords.h"
#include "metafiletesting.h"
#include "metafilewriter.h"

#include <QTest>

class TestEmfDrawing : public QObject {
  Q_OBJECT
private slots:
  void curvesByRegion_data();
  void curvesByRegion();
  void text_data();
  void text();
  void opaqueTextRectangle();
  void escapementTurnsText();
  void textStretchesWithPicture();
  void geometricPenWidth();
  void dashedPenLeavesGaps();
  void gradientFillRuns();
  void alphaBlendMixes();
  void damagedRecordStopsDrawing();
};

void TestEmfDrawing::curvesByRegion_data() {
  QTest::addColumn<QByteArray>("File");
  QTest::addColumn<QList<QPoint>>("Painted");
  QTest::addColumn<QList<QPoint>>("Unpainted");
  {
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef)).Record(Emr::Ellipse, {10, 10, 90, 50});
    QTest::addRow("ellipse") << W.Finish()
                             << QList<QPoint>{{50, 30}, {12, 30}, {87, 30}, {50, 12}, {50, 47}}
                             << QList<QPoint>{{11, 11}, {88, 11}, {11, 48}, {88, 48}, {50, 52}};
  }
  {  // Counter-clockwise from 3 o'clock to 12 o'clock: the upper right quarter.
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef)).Record(Emr::Pie, {10, 10, 91, 91, 90, 50, 50, 10});
    QTest::addRow("pie quarter") << W.Finish()
                                 << QList<QPoint>{{60, 40}, {80, 45}, {55, 20}}
                                 << QList<QPoint>{{40, 40}, {60, 60}, {40, 60}};
  }
}

void TestEmfDrawing::curvesByRegion() {
  QFETCH(QByteArray, File);
  QFETCH(QList<QPoint>, Painted);
  QFETCH(QList<QPoint>, Unpainted);
  const QImage Image = DrawMetafile(File, QSize(100, 100));
  for (const QPoint &P : Painted)
    QVERIFY2(Image.pixel(P) == (0xFF000000u | Red), qPrintable(QString("%1,%2").arg(P.x()).arg(P.y())));
  for (const QPoint &P : Unpainted)
    QVERIFY2(Image.pixel(P) == FrameColor, qPrintable(QString("%1,%2").arg(P.x()).arg(P.y())));
}

void TestEmfDrawing::text_data() {
  QTest::addColumn<quint32>("Align");
  QTest::addColumn<QRect>("Inside");
  // The reference point 20,40 is the text's top-left corner, its baseline's start or its
  // top-right corner.
  QTest::addRow("top left") << quint32(0) << QRect(19, 39, 60, 24);
  QTest::addRow("baseline") << quint32(24) << QRect(19, 20, 60, 22);
  QTest::addRow("right") << quint32(2) << QRect(-41, 39, 62, 24);
}

void TestEmfDrawing::text() {
  QFETCH(quint32, Align);
  QFETCH(QRect, Inside);
  TEmfWriter W;
  W.Record(Emr::ExtCreateFontIndirectW, FontPayload(1, -20, "DejaVu Sans"))
      .Record(Emr::SelectObject, {1})
      .Record(Emr::SetBkMode, {1})
      .Record(Emr::SetTextAlign, {qint32(Align)})
      .Record(Emr::SetTextColor, {Q(BlueRef)})
      .Record(Emr::ExtTextOutW, ExtTextOutWPayload(20, 40, "HH"));
  const QImage Image = DrawMetafile(W.Finish(), QSize(100, 100));
  const QRect Box = PaintedBox(Image);
  QVERIFY2(!Box.isEmpty(), "no text drawn");
  QVERIFY2(Inside.contains(Box), qPrintable(QString("text at %1,%2 %3x%4").arg(Box.x()).arg(Box.y()).arg(Box.width()).arg(Box.height())));
  // Two letters of a 20-pixel font: wider than one letter, about as tall as capitals.
  QVERIFY(Box.width() >= 16);
  QVERIFY(Box.height() >= 10 && Box.height() <= 20);
  QVERIFY(CountPixels(Image, Box, [](QRgb C) { return qBlue(C) > 200 && qRed(C) < 60; }) > 20);
}

void TestEmfDrawing::opaqueTextRectangle() {
  TEmfWriter W;
  W.Record(Emr::SetBkColor, {Q(ColorRef(255, 255, 0))})
      .Record(Emr::ExtTextOutW, ExtTextOutWPayload(10, 10, "", 2, QRect(5, 6, 30, 20)));
  QImage E = Expect();
  FillPixels(E, QRect(5, 6, 30, 20), Yellow);
  const QString Difference = FirstColourDifference(DrawMetafile(W.Finish(), QSize(100, 100)), E);
  QVERIFY2(Difference.isEmpty(), qPrintable(Difference));
}

void TestEmfDrawing::escapementTurnsText() {
  TEmfWriter W(200, 200);
  W.Record(Emr::ExtCreateFontIndirectW, FontPayload(1, -20, "DejaVu Sans", 400, 900))
      .Record(Emr::SelectObject, {1})
      .Record(Emr::SetBkMode, {1})
      .Record(Emr::ExtTextOutW, ExtTextOutWPayload(100, 150, "HHHHHH"));
  const QRect Box = PaintedBox(DrawMetafile(W.Finish(), QSize(200, 200)));
  // Turned a quarter counter-clockwise: the text runs upwards from the reference point.
  QVERIFY(Box.height() > 2 * Box.width());
  QVERIFY(Box.bottom() <= 151 && Box.top() < 100);
  QVERIFY(Box.left() >= 100);
}

void TestEmfDrawing::textStretchesWithPicture() {
  TEmfWriter W;
  W.Record(Emr::ExtCreateFontIndirectW, FontPayload(1, -20, "DejaVu Sans"))
      .Record(Emr::SelectObject, {1})
      .Record(Emr::SetBkMode, {1})
      .Record(Emr::ExtTextOutW, ExtTextOutWPayload(10, 10, "HHHH"));
  const QRect Natural = PaintedBox(DrawMetafile(W.Finish(), QSize(100, 100)));
  const QRect Squeezed = PaintedBox(DrawMetafile(W.Finish(), QSize(50, 100)));
  // Half as wide, as tall as before.
  QVERIFY2(std::abs(Squeezed.width() * 2 - Natural.width()) <= 4,
           qPrintable(QString("%1 of %2").arg(Squeezed.width()).arg(Natural.width())));
  QVERIFY(std::abs(Squeezed.height() - Natural.height()) <= 1);
}

void TestEmfDrawing::geometricPenWidth() {
  TFixtureBytes P;
  P.U32(1).U32(0).U32(0).U32(0).U32(0).U32(0x10000 | 0x200).U32(6).U32(0).U32(0).U32(0).U32(0);
  TEmfWriter W;
  W.Record(Emr::ExtCreatePen, P.Data).Record(Emr::SelectObject, {1})
      .Record(Emr::MoveToEx, {10, 50})
      .Record(Emr::LineTo, {90, 50});
  const QImage Image = DrawMetafile(W.Finish(), QSize(100, 100));
  // A flat-capped line six pixels wide, centred on y = 50.
  QCOMPARE(PaintedBox(Image), QRect(10, 47, 80, 6));
}

void TestEmfDrawing::dashedPenLeavesGaps() {
  TEmfWriter W;
  Pen(W, 1, 1, 0, 0).Record(Emr::SetBkMode, {1}).Record(Emr::MoveToEx, {0, 50}).Record(Emr::LineTo, {96, 50});
  const QImage Image = DrawMetafile(W.Finish(), QSize(100, 100));
  const int Dark = CountPixels(Image, QRect(0, 50, 96, 1), [](QRgb C) { return qGray(C) < 50; });
  // Dashes of 18 pixels with gaps of 6: three quarters of the line.
  QVERIFY2(Dark >= 66 && Dark <= 78, qPrintable(QString::number(Dark)));
  QCOMPARE(PaintedBox(Image).height(), 1);
}

void TestEmfDrawing::gradientFillRuns() {
  TFixtureBytes P;
  P.I32(0).I32(0).I32(100).I32(10).U32(2).U32(1).U32(0);
  P.I32(0).I32(0).U16(0).U16(0).U16(0xFF00).U16(0);
  P.I32(100).I32(10).U16(0xFF00).U16(0).U16(0).U16(0);
  P.U32(0).U32(1);
  TEmfWriter W;
  W.Record(Emr::GradientFill, P.Data);
  const QImage Image = DrawMetafile(W.Finish(), QSize(100, 100));
  QCOMPARE(PaintedBox(Image), QRect(0, 0, 100, 10));
  // Blue to red from left to right, steadily.
  QVERIFY(qBlue(Image.pixel(0, 5)) > 240 && qRed(Image.pixel(0, 5)) < 15);
  QVERIFY(qRed(Image.pixel(99, 5)) > 240 && qBlue(Image.pixel(99, 5)) < 15);
  for (int X = 1; X < 100; ++X)
    QVERIFY(qRed(Image.pixel(X, 5)) >= qRed(Image.pixel(X - 1, 5)));
  QVERIFY(std::abs(qRed(Image.pixel(50, 5)) - 128) < 10);
}

void TestEmfDrawing::alphaBlendMixes() {
  const TFixtureDib Dib = MakeDib(24, {{Red}});
  TFixtureBytes P;
  P.I32(0).I32(0).I32(10).I32(10).I32(0).I32(0).I32(10).I32(10);
  P.U8(0).U8(0).U8(128).U8(0).I32(0).I32(0).Raw(Xform(1, 0, 0, 1, 0, 0)).U32(0).U32(0);
  P.U32(108).U32(quint32(Dib.Info.size())).U32(108 + quint32(Dib.Info.size())).U32(quint32(Dib.Bits.size()));
  P.I32(1).I32(1).Raw(Dib.Info).Raw(Dib.Bits);
  TEmfWriter W;
  NullPen(Brush(W, 1, BlueRef)).Record(Emr::Rectangle, {0, 0, 21, 21}).Record(Emr::AlphaBlend, P.Data);
  const QImage Image = DrawMetafile(W.Finish(), QSize(100, 100));
  const QRgb Mixed = Image.pixel(5, 5);
  QVERIFY(std::abs(qRed(Mixed) - 128) <= 3 && std::abs(qBlue(Mixed) - 127) <= 3 && qGreen(Mixed) == 0);
  QCOMPARE(Image.pixel(15, 15), 0xFF000000u | Blue);
}

void TestEmfDrawing::damagedRecordStopsDrawing() {
  // A polyline claiming more points than its record holds ends the playback there.
  TEmfWriter W;
  NullPen(Brush(W, 1, RedRef)).Record(Emr::Rectangle, {10, 10, 30, 20});
  W.Record(Emr::Polyline16, Ints({0, 0, 10, 10, 1000000}) + Shorts({1, 1, 5, 5}));
  W.Record(Emr::Rectangle, {50, 50, 70, 70});
  QImage E = Expect();
  FillPixels(E, QRect(10, 10, 19, 9), Red);
  const QString Difference = FirstColourDifference(DrawMetafile(W.Finish(), QSize(100, 100)), E);
  QVERIFY2(Difference.isEmpty(), qPrintable(Difference));
}

QTEST_MAIN(TestEmfDrawing)
#include "tst_emfdrawing.moc"
