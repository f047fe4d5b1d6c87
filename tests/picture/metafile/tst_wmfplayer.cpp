// Windows metafile records, played from fixtures built byte by byte and checked as pixels.

#include "metafiletesting.h"
#include "metafilewriter.h"

#include <QTest>

namespace {

const quint32 RedRef = ColorRef(255, 0, 0), BlueRef = ColorRef(0, 0, 255);
const QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255), Black = qRgb(0, 0, 0),
           White = qRgb(255, 255, 255), Green = qRgb(0, 255, 0);

QImage Expect() { return FilledImage(QSize(100, 100), FrameColor); }

// A red brush in slot 0 and a null pen in slot 1, both selected.
TWmfWriter &RedNoPen(TWmfWriter &W) {
  return W.Record(Meta::CreateBrushIndirect, WmfBrush(0, RedRef))
      .Record(Meta::SelectObject, {0})
      .Record(Meta::CreatePenIndirect, WmfPen(5, 0, 0))
      .Record(Meta::SelectObject, {1});
}

QByteArray Font(qint16 Height, const QByteArray &Face, quint8 CharSet = 0) {
  TFixtureBytes P;
  P.I16(Height).I16(0).I16(0).I16(0).I16(400);
  P.U8(0).U8(0).U8(0).U8(CharSet).U8(0).U8(0).U8(0).U8(0);
  P.Raw(Face).U8(0);
  return P.Data;
}

QByteArray TextOut(qint16 X, qint16 Y, const QByteArray &Text) {
  TFixtureBytes P;
  P.I16(qint16(Text.size())).Raw(Text).Pad(2).I16(Y).I16(X);
  return P.Data;
}

QByteArray ExtTextOut(qint16 X, qint16 Y, const QByteArray &Text, QList<qint16> Dx) {
  TFixtureBytes P;
  P.I16(Y).I16(X).I16(qint16(Text.size())).U16(0).Raw(Text).Pad(2);
  for (qint16 D : Dx)
    P.I16(D);
  return P.Data;
}

}  // namespace

class TestWmfPlayer : public QObject {
  Q_OBJECT
private slots:
  void exactPixels_data();
  void exactPixels();
  void textOut();
  void extTextOutAdvances();
  void characterExtraSpreadsText();
  void symbolFaceWithDefaultCharSet();
};

void TestWmfPlayer::exactPixels_data() {
  QTest::addColumn<QByteArray>("File");
  QTest::addColumn<QImage>("Expected");
  {
    TWmfWriter W;
    RedNoPen(W).Record(Meta::Rectangle, {20, 30, 10, 10});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 19, 9), Red);
    QTest::addRow("rectangle in the box's units") << W.Finish() << E;
  }
  {
    TWmfWriter W;
    RedNoPen(W)
        .Record(Meta::SetWindowOrg, {0, 0})
        .Record(Meta::SetWindowExt, {200, 200})
        .Record(Meta::Rectangle, {40, 60, 20, 20});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 19, 9), Red);
    QTest::addRow("window extent scales") << W.Finish() << E;
  }
  {  // A negative extent turns the axis over: y grows upwards from the window's origin.
    TWmfWriter W;
    RedNoPen(W)
        .Record(Meta::SetWindowOrg, {100, 0})
        .Record(Meta::SetWindowExt, {-100, 100})
        .Record(Meta::Rectangle, {80, 30, 90, 10});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 19, 9), Red);
    QTest::addRow("window turned over") << W.Finish() << E;
  }
  {  // A polygon under a window ten times the destination.
    TWmfWriter W;
    RedNoPen(W)
        .Record(Meta::SetWindowExt, {1000, 1000})
        .Record(Meta::Polygon, {4, 100, 100, 300, 100, 300, 300, 100, 300});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 20, 20), Red);
    QTest::addRow("polygon under a scaled window") << W.Finish() << E;
  }
  {
    TWmfWriter W;
    RedNoPen(W).Record(Meta::PolyPolygon, {2, 4, 4, 10, 10, 50, 10, 50, 50, 10, 50, 20, 20,
                                           40, 20, 40, 40, 20, 40});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 40, 40), Red);
    FillPixels(E, QRect(20, 20, 20, 20), FrameColor);
    QTest::addRow("poly-polygon with a hole") << W.Finish() << E;
  }
  {  // Objects take the first free slot: a brush made after deleting slot 0 lands there.
    TWmfWriter W;
    RedNoPen(W)
        .Record(Meta::DeleteObject, {0})
        .Record(Meta::CreateBrushIndirect, WmfBrush(0, BlueRef))
        .Record(Meta::SelectObject, {0})
        .Record(Meta::Rectangle, {20, 30, 10, 10});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 19, 9), Blue);
    QTest::addRow("first free slot") << W.Finish() << E;
  }
  {
    TWmfWriter W;
    RedNoPen(W)
        .Record(Meta::SaveDc, QByteArray())
        .Record(Meta::CreateBrushIndirect, WmfBrush(0, BlueRef))
        .Record(Meta::SelectObject, {2})
        .Record(Meta::SetWindowOrg, {-50, -50})
        .Record(Meta::RestoreDc, {-1})
        .Record(Meta::Rectangle, {20, 30, 10, 10});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 19, 9), Red);
    QTest::addRow("restore") << W.Finish() << E;
  }
  {
    TWmfWriter W;
    RedNoPen(W).Record(Meta::IntersectClipRect, {25, 25, 15, 15}).Record(Meta::Rectangle, {31, 31, 10, 10});
    QImage E = Expect();
    FillPixels(E, QRect(15, 15, 10, 10), Red);
    QTest::addRow("clip rectangle") << W.Finish() << E;
  }
  {  // Escapes are never acted on.
    TWmfWriter W;
    RedNoPen(W).Record(Meta::Escape, {15, 4, 0, 0}).Record(Meta::Rectangle, {20, 30, 10, 10});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 19, 9), Red);
    QTest::addRow("escape skipped") << W.Finish() << E;
  }
  {
    const TFixtureDib Dib = MakeDib(24, {{Red, Green}, {Blue, White}});
    TFixtureBytes P;
    P.U32(0x00CC0020).U16(0).I16(2).I16(2).I16(0).I16(0).I16(40).I16(40).I16(10).I16(10);
    P.Raw(Dib.Info).Raw(Dib.Bits);
    TWmfWriter W;
    W.Record(Meta::StretchDib, P.Data);
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 20, 20), Red);
    FillPixels(E, QRect(30, 10, 20, 20), Green);
    FillPixels(E, QRect(10, 30, 20, 20), Blue);
    FillPixels(E, QRect(30, 30, 20, 20), White);
    QTest::addRow("stretched bitmap") << W.Finish() << E;
  }
  {  // A monochrome device bitmap: 0 in the text colour, 1 in the background colour.
    TFixtureBytes P;
    P.U32(0x00CC0020).I16(0).I16(0).I16(1).I16(2).I16(0).I16(0);
    P.I16(0).I16(2).I16(1).I16(2).U8(1).U8(1).U8(0x40).U8(0);
    TWmfWriter W;
    W.Record(Meta::SetTextColor, WmfBrush(0, RedRef).mid(2, 4))
        .Record(Meta::SetBkColor, WmfBrush(0, BlueRef).mid(2, 4))
        .Record(Meta::BitBlt, P.Data);
    QImage E = Expect();
    E.setPixel(0, 0, Red);
    E.setPixel(1, 0, Blue);
    QTest::addRow("monochrome bitmap") << W.Finish() << E;
  }
  {
    TFixtureBytes P;
    P.U32(0x00F00021).I16(10).I16(20).I16(5).I16(5);
    TWmfWriter W;
    RedNoPen(W).Record(Meta::PatBlt, P.Data);
    QImage E = Expect();
    FillPixels(E, QRect(5, 5, 20, 10), Red);
    QTest::addRow("pattern blit") << W.Finish() << E;
  }
  {  // A blue pen one pixel wide around a red fill.
    TWmfWriter W;
    W.Record(Meta::CreateBrushIndirect, WmfBrush(0, RedRef)).Record(Meta::SelectObject, {0})
        .Record(Meta::CreatePenIndirect, WmfPen(0, 1, BlueRef)).Record(Meta::SelectObject, {1})
        .Record(Meta::Rectangle, {20, 30, 10, 10});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 20, 10), Blue);
    FillPixels(E, QRect(11, 11, 18, 8), Red);
    QTest::addRow("pen in its colour") << W.Finish() << E;
  }
  {  // Vertical hatch on a transparent background: one column in eight.
    TWmfWriter W;
    W.Record(Meta::CreateBrushIndirect, WmfBrush(2, 0, 1))
        .Record(Meta::SelectObject, {0})
        .Record(Meta::CreatePenIndirect, WmfPen(5, 0, 0))
        .Record(Meta::SelectObject, {1})
        .Record(Meta::SetBkMode, {1})
        .Record(Meta::Rectangle, {9, 17, 0, 0});
    QImage E = Expect();
    FillPixels(E, QRect(7, 0, 1, 8), Black);
    FillPixels(E, QRect(15, 0, 1, 8), Black);
    QTest::addRow("hatched brush") << W.Finish() << E;
  }
}

void TestWmfPlayer::exactPixels() {
  QFETCH(QByteArray, File);
  QFETCH(QImage, Expected);
  const QString Difference = FirstColourDifference(DrawMetafile(File, QSize(100, 100)), Expected);
  QVERIFY2(Difference.isEmpty(), qPrintable(Difference));
}

void TestWmfPlayer::textOut() {
  TWmfWriter W;
  W.Record(Meta::CreateFontIndirect, Font(-20, "DejaVu Sans"))
      .Record(Meta::SelectObject, {0})
      .Record(Meta::SetBkMode, {1})
      .Record(Meta::TextOut, TextOut(20, 40, "HH"));
  const QImage Image = DrawMetafile(W.Finish(), QSize(100, 100));
  const QRect Box = PaintedBox(Image);
  QVERIFY2(QRect(19, 39, 40, 24).contains(Box), qPrintable(QString("%1,%2 %3x%4").arg(Box.x()).arg(Box.y()).arg(Box.width()).arg(Box.height())));
  QVERIFY(Box.width() >= 16 && Box.height() >= 10);
  // Black text: the darkest pixels are black.
  QVERIFY(CountPixels(Image, Box, [](QRgb C) { return qGray(C) < 40; }) > 20);
}

void TestWmfPlayer::extTextOutAdvances() {
  // Each character at the advance the record gives: the second 'I' 50 units right.
  TWmfWriter W;
  W.Record(Meta::CreateFontIndirect, Font(-20, "DejaVu Sans"))
      .Record(Meta::SelectObject, {0})
      .Record(Meta::SetBkMode, {1})
      .Record(Meta::ExtTextOut, ExtTextOut(10, 10, "II", {50, 10}));
  const QImage Image = DrawMetafile(W.Finish(), QSize(100, 100));
  auto Dark = [](QRgb C) { return qGray(C) < 100; };
  QVERIFY(CountPixels(Image, QRect(8, 0, 10, 40), Dark) > 10);
  QCOMPARE(CountPixels(Image, QRect(20, 0, 36, 40), Dark), 0);
  QVERIFY(CountPixels(Image, QRect(58, 0, 10, 40), Dark) > 10);
}

void TestWmfPlayer::characterExtraSpreadsText() {
  auto Width = [](qint16 Extra) {
    TWmfWriter W;
    W.Record(Meta::CreateFontIndirect, Font(-20, "DejaVu Sans"))
        .Record(Meta::SelectObject, {0})
        .Record(Meta::SetBkMode, {1})
        .Record(Meta::SetTextCharExtra, {Extra})
        .Record(Meta::TextOut, TextOut(5, 5, "IIII"));
    return PaintedBox(DrawMetafile(W.Finish(), QSize(100, 100))).width();
  };
  // Three gaps between four letters widen by 10 pixels each.
  QCOMPARE(Width(10) - Width(0), 30);
}

void TestWmfPlayer::symbolFaceWithDefaultCharSet() {
  // "x" of the symbol font is the Greek xi, which reaches above and below the letter x.
  auto Height = [](const QByteArray &Face, quint8 CharSet) {
    TWmfWriter W;
    W.Record(Meta::CreateFontIndirect, Font(-40, Face, CharSet))
        .Record(Meta::SelectObject, {0})
        .Record(Meta::SetBkMode, {1})
        .Record(Meta::TextOut, TextOut(20, 20, "x"));
    return PaintedBox(DrawMetafile(W.Finish(), QSize(100, 100))).height();
  };
  const int Letter = Height("DejaVu Serif", 0);
  QVERIFY(Letter > 10);
  QVERIFY2(Height("Symbol", 1) > Letter * 3 / 2, qPrintable(QString::number(Height("Symbol", 1))));
}

QTEST_MAIN(TestWmfPlayer)
#include "tst_wmfplayer.moc"
