// Enhanced metafile records, played from fixtures built byte by byte and checked pixel by
// pixel where the system's rules fix every pixel: mapping, state, clipping, fills, bitmaps
// and raster operations.

#include "emfrecords.h"
#include "metafiletesting.h"
#include "metafilewriter.h"
#include "../codecs/dibfixture.h"
#include "picture/kinds/bitmap.h"

#include <QTest>

namespace {

QByteArray Region(std::initializer_list<QRect> Rects, qint32 Mode) {
  TFixtureBytes Data;
  Data.U32(32).U32(1).U32(quint32(Rects.size())).U32(quint32(Rects.size() * 16));
  Data.I32(0).I32(0).I32(0).I32(0);
  for (const QRect &R : Rects)
    Data.I32(R.left()).I32(R.top()).I32(R.left() + R.width()).I32(R.top() + R.height());
  TFixtureBytes P;
  P.U32(quint32(Data.Data.size())).I32(Mode).Raw(Data.Data);
  return P.Data;
}

QByteArray BitBltPayload(QRect Dest, quint32 Rop, const TFixtureDib *Dib) {
  TFixtureBytes P;
  P.I32(Dest.left()).I32(Dest.top()).I32(Dest.right()).I32(Dest.bottom());
  P.I32(Dest.left()).I32(Dest.top()).I32(Dest.width()).I32(Dest.height()).U32(Rop);
  P.I32(0).I32(0).Raw(Xform(1, 0, 0, 1, 0, 0)).U32(0).U32(0);
  const quint32 InfoAt = 100;
  if (Dib)
    P.U32(InfoAt).U32(quint32(Dib->Info.size())).U32(InfoAt + quint32(Dib->Info.size()))
        .U32(quint32(Dib->Bits.size())).Raw(Dib->Info).Raw(Dib->Bits);
  else
    P.U32(0).U32(0).U32(0).U32(0);
  return P.Data;
}

}  // namespace

class TestEmfPlayer : public QObject {
  Q_OBJECT
private slots:
  void exactPixels_data();
  void exactPixels();
};

void TestEmfPlayer::exactPixels_data() {
  QTest::addColumn<QByteArray>("File");
  QTest::addColumn<QSize>("Dest");
  QTest::addColumn<QImage>("Expected");
  const QSize Dest(100, 100);

  {  // Box shapes leave out their right and bottom edges, and one more without a pen.
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef)).Record(Emr::Rectangle, {10, 10, 30, 20});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 19, 9), Red);
    QTest::addRow("rectangle without pen") << W.Finish() << Dest << E;
  }
  {
    TEmfWriter W;
    Pen(Brush(W, 1, RedRef), 2, 0, 0, 0).Record(Emr::Rectangle, {10, 10, 30, 20});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 20, 10), Black);
    FillPixels(E, QRect(11, 11, 18, 8), Red);
    QTest::addRow("rectangle with a one-pixel pen") << W.Finish() << Dest << E;
  }
  {  // The destination is twice the frame: every coordinate doubles.
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef)).Record(Emr::Rectangle, {10, 10, 30, 20});
    QImage E = Expect(QSize(200, 200));
    FillPixels(E, QRect(20, 20, 39, 19), Red);
    QTest::addRow("destination twice the frame") << W.Finish() << QSize(200, 200) << E;
  }
  {
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef))
        .Record(Emr::SetMapMode, {8})
        .Record(Emr::SetWindowExtEx, {200, 200})
        .Record(Emr::SetViewportExtEx, {100, 100})
        .Record(Emr::Rectangle, {20, 20, 60, 40});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 19, 9), Red);
    QTest::addRow("anisotropic window extent halves") << W.Finish() << Dest << E;
  }
  {  // Isotropic mapping keeps the aspect: the smaller scale wins.
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef))
        .Record(Emr::SetMapMode, {7})
        .Record(Emr::SetWindowExtEx, {100, 100})
        .Record(Emr::SetViewportExtEx, {100, 50})
        .Record(Emr::Rectangle, {0, 0, 100, 100});
    QImage E = Expect();
    FillPixels(E, QRect(0, 0, 49, 49), Red);
    QTest::addRow("isotropic keeps aspect") << W.Finish() << Dest << E;
  }
  {  // 0.1 mm units with y upwards, on a device of one pixel per millimetre.
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef))
        .Record(Emr::SetMapMode, {2})
        .Record(Emr::Rectangle, {100, -200, 300, -400});
    QImage E = Expect();
    FillPixels(E, QRect(10, 20, 19, 19), Red);
    QTest::addRow("low metric, y upwards") << W.Finish() << Dest << E;
  }
  {
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef))
        .Record(Emr::SetViewportOrgEx, {5, 7})
        .Record(Emr::Rectangle, {0, 0, 10, 10});
    QImage E = Expect();
    FillPixels(E, QRect(5, 7, 9, 9), Red);
    QTest::addRow("viewport origin") << W.Finish() << Dest << E;
  }
  {
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef))
        .Record(Emr::SetWindowOrgEx, {-5, -7})
        .Record(Emr::Rectangle, {0, 0, 10, 10});
    QImage E = Expect();
    FillPixels(E, QRect(5, 7, 9, 9), Red);
    QTest::addRow("window origin") << W.Finish() << Dest << E;
  }
  {
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef))
        .Record(Emr::SetWorldTransform, Xform(2, 0, 0, 2, 10, 5))
        .Record(Emr::Rectangle, {0, 0, 10, 10});
    QImage E = Expect();
    FillPixels(E, QRect(10, 5, 19, 19), Red);
    QTest::addRow("world transform") << W.Finish() << Dest << E;
  }
  {  // Left-multiplying applies the new transform first: scale, then the translation.
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef))
        .Record(Emr::SetWorldTransform, Xform(1, 0, 0, 1, 10, 0))
        .Record(Emr::ModifyWorldTransform, Xform(2, 0, 0, 2, 0, 0, 2))
        .Record(Emr::Rectangle, {0, 0, 10, 10});
    QImage E = Expect();
    FillPixels(E, QRect(10, 0, 19, 19), Red);
    QTest::addRow("world transform left-multiplied") << W.Finish() << Dest << E;
  }
  {
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef)).Record(Emr::SaveDc, QByteArray());
    Brush(W, 2, BlueRef)
        .Record(Emr::SetViewportOrgEx, {50, 50})
        .Record(Emr::RestoreDc, {-1})
        .Record(Emr::Rectangle, {10, 10, 20, 20});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 9, 9), Red);
    QTest::addRow("restore brings back brush and mapping") << W.Finish() << Dest << E;
  }
  {
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef))
        .Record(Emr::IntersectClipRect, {15, 15, 25, 25})
        .Record(Emr::Rectangle, {10, 10, 31, 31});
    QImage E = Expect();
    FillPixels(E, QRect(15, 15, 10, 10), Red);
    QTest::addRow("intersect clip rectangle") << W.Finish() << Dest << E;
  }
  {
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef))
        .Record(Emr::ExcludeClipRect, {15, 15, 25, 25})
        .Record(Emr::Rectangle, {10, 10, 31, 31});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 20, 20), Red);
    FillPixels(E, QRect(15, 15, 10, 10), FrameColor);
    QTest::addRow("exclude clip rectangle") << W.Finish() << Dest << E;
  }
  {  // A clipping region in device units, then reset by an empty one.
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef))
        .Record(Emr::ExtSelectClipRgn, Region({QRect(0, 0, 50, 50)}, 5))
        .Record(Emr::Rectangle, {10, 10, 81, 21});
    Brush(W, 2, BlueRef)
        .Record(Emr::ExtSelectClipRgn, Ints({0, 5}))
        .Record(Emr::Rectangle, {10, 60, 81, 71});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 40, 10), Red);
    FillPixels(E, QRect(10, 60, 70, 10), Blue);
    QTest::addRow("clip region and reset") << W.Finish() << Dest << E;
  }
  {  // Polygons take the pixels whose top-left corner lies inside.
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef))
        .Record(Emr::Polygon, {0, 0, -1, -1, 4, 10, 10, 30, 10, 30, 30, 10, 30});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 20, 20), Red);
    QTest::addRow("polygon") << W.Finish() << Dest << E;
  }
  {
    TEmfWriter W;
    TFixtureBytes P;
    P.I32(0).I32(0).I32(-1).I32(-1).U32(2).U32(8);
    P.U32(4).U32(4);
    for (qint16 V : {10, 10, 50, 10, 50, 50, 10, 50, 20, 20, 40, 20, 40, 40, 20, 40})
      P.I16(V);
    NullPen(Brush(W, 1, RedRef)).Record(Emr::PolyPolygon16, P.Data);
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 40, 40), Red);
    FillPixels(E, QRect(20, 20, 20, 20), FrameColor);
    QTest::addRow("poly-polygon alternate leaves a hole") << W.Finish() << Dest << E;
    W.Records.clear();
    W.Count = 0;
    NullPen(Brush(W, 1, RedRef)).Record(Emr::SetPolyFillMode, {2}).Record(Emr::PolyPolygon16, P.Data);
    E = Expect();
    FillPixels(E, QRect(10, 10, 40, 40), Red);
    QTest::addRow("poly-polygon winding fills it") << W.Finish() << Dest << E;
  }
  {  // A bottom-up bitmap: its first stored row is the bottom one.
    const TFixtureDib Dib = MakeDib(24, {{Red, 0xFF00FF00}, {Blue, White}});
    TEmfWriter W;
    W.Record(Emr::StretchDiBits, StretchDiBitsPayload(10, 10, 40, 40, Dib));
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 20, 20), Red);
    FillPixels(E, QRect(30, 10, 20, 20), qRgb(0, 255, 0));
    FillPixels(E, QRect(10, 30, 20, 20), Blue);
    FillPixels(E, QRect(30, 30, 20, 20), White);
    QTest::addRow("24-bit bitmap stretched") << W.Finish() << Dest << E;
  }
  {
    const TFixtureDib Dib = MakeDib(1, {{0, 1, 1, 0}}, {Yellow, Blue});
    TEmfWriter W;
    W.Record(Emr::StretchDiBits, StretchDiBitsPayload(0, 0, 40, 10, Dib));
    QImage E = Expect();
    FillPixels(E, QRect(0, 0, 10, 10), Yellow);
    FillPixels(E, QRect(10, 0, 20, 10), Blue);
    FillPixels(E, QRect(30, 0, 10, 10), Yellow);
    QTest::addRow("1-bit bitmap with its palette") << W.Finish() << Dest << E;
  }
  {  // 16-bit bit fields give the colours a BMP file of the same pixels gives: one rule
     // scales a channel (every 5- and 6-bit value occurs; the 5-bit 16 is 132).
    using namespace DibFixture;
    TInfoHeader H;
    H.Width = 64, H.BitCount = 16, H.Compression = 3;
    const QByteArray Info = InfoHeader(H) + Masks({0xF800, 0x07E0, 0x001F});
    QList<quint32> Words;
    for (quint32 X = 0; X < 64; ++X)
      Words << (((X & 31) << 11) | (X << 5) | (31 - (X & 31)));
    const QByteArray Pixels = Rows({Words}, 16);
    TBitmap Bitmap;
    Bitmap.LoadFromBytes(BmpFile(Info, Pixels));
    QCOMPARE(qRed(Bitmap.Image().pixel(16, 0)), 132);
    TEmfWriter W;
    W.Record(Emr::StretchDiBits, StretchDiBitsPayload(0, 0, 64, 1, TFixtureDib{Info, Pixels}));
    QImage E = Expect();
    for (int X = 0; X < 64; ++X)
      E.setPixel(X, 0, Bitmap.Image().pixel(X, 0));
    QTest::addRow("16-bit bit fields as in a BMP file") << W.Finish() << Dest << E;
  }
  {  // A negative destination width mirrors.
    const TFixtureDib Dib = MakeDib(8, {{0, 1}}, {Red, Blue});
    TEmfWriter W;
    W.Record(Emr::StretchDiBits, StretchDiBitsPayload(40, 0, -40, 10, Dib));
    QImage E = Expect();
    FillPixels(E, QRect(0, 0, 20, 10), Blue);
    FillPixels(E, QRect(20, 0, 20, 10), Red);
    QTest::addRow("mirrored bitmap") << W.Finish() << Dest << E;
  }
  {
    TEmfWriter W;
    Brush(W, 1, BlueRef).Record(Emr::BitBlt, BitBltPayload(QRect(5, 5, 10, 10), 0x00F00021, nullptr));
    QImage E = Expect();
    FillPixels(E, QRect(5, 5, 10, 10), Blue);
    QTest::addRow("pattern copy without bitmap") << W.Finish() << Dest << E;
  }
  {  // The classic transparent bitmap: AND a mask, then OR the picture. Raster operations
     // work over the white frame, so the untouched part comes out white.
    const TFixtureDib Mask = MakeDib(24, {{White, Black}});
    const TFixtureDib Picture = MakeDib(24, {{Black, Red}});
    TEmfWriter W;
    W.Record(Emr::BitBlt, BitBltPayload(QRect(0, 0, 2, 1), 0x008800C6, &Mask))
        .Record(Emr::BitBlt, BitBltPayload(QRect(0, 0, 2, 1), 0x00EE0086, &Picture));
    QImage E = Expect();
    E.setPixel(0, 0, White);
    E.setPixel(1, 0, Red);
    QTest::addRow("mask and paint") << W.Finish() << Dest << E;
  }
  {  // A masked blit: the source where the mask is set, the destination kept elsewhere.
    const TFixtureDib Source = MakeDib(24, {{Red, Red}});
    const TFixtureDib Mask = MakeDib(1, {{1, 0}}, {Black, White});
    TFixtureBytes P;
    P.I32(0).I32(0).I32(1).I32(0).I32(0).I32(0).I32(2).I32(1).U32(0xAACC0020);
    P.I32(0).I32(0).Raw(Xform(1, 0, 0, 1, 0, 0)).U32(0).U32(0);
    const quint32 SourceAt = 128, MaskAt = SourceAt + quint32(Source.Info.size() + Source.Bits.size());
    P.U32(SourceAt).U32(quint32(Source.Info.size())).U32(SourceAt + quint32(Source.Info.size()))
        .U32(quint32(Source.Bits.size()));
    P.I32(0).I32(0).U32(0).U32(MaskAt).U32(quint32(Mask.Info.size()))
        .U32(MaskAt + quint32(Mask.Info.size())).U32(quint32(Mask.Bits.size()));
    P.Raw(Source.Info).Raw(Source.Bits).Raw(Mask.Info).Raw(Mask.Bits);
    TEmfWriter W;
    NullPen(Brush(W, 1, BlueRef)).Record(Emr::Rectangle, {0, 0, 11, 11}).Record(78, P.Data);
    QImage E = Expect();
    FillPixels(E, QRect(0, 0, 10, 10), Blue);
    E.setPixel(0, 0, Red);
    QTest::addRow("masked blit") << W.Finish() << Dest << E;
  }
  {  // Inverting with the same bitmap twice gives the colour back.
    const TFixtureDib Bits = MakeDib(24, {{qRgb(255, 128, 0), qRgb(1, 2, 3)}});
    TEmfWriter W;
    NullPen(Brush(W, 1, BlueRef)).Record(Emr::Rectangle, {0, 0, 11, 11});
    W.Record(Emr::BitBlt, BitBltPayload(QRect(0, 0, 2, 1), 0x00660046, &Bits))
        .Record(Emr::BitBlt, BitBltPayload(QRect(0, 0, 2, 1), 0x00660046, &Bits));
    QImage E = Expect();
    FillPixels(E, QRect(0, 0, 10, 10), Blue);
    QTest::addRow("source invert twice") << W.Finish() << Dest << E;
  }
  {  // XOR pen: the brush XORed with what lies beneath.
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef)).Record(Emr::Rectangle, {0, 0, 21, 11});
    Brush(W, 2, ColorRef(255, 255, 255)).Record(Emr::SetRop2, {7}).Record(Emr::Rectangle, {10, 0, 31, 11});
    QImage E = Expect();
    FillPixels(E, QRect(0, 0, 10, 10), Red);
    FillPixels(E, QRect(10, 0, 10, 10), qRgb(0, 255, 255));
    FillPixels(E, QRect(20, 0, 10, 10), Black);
    QTest::addRow("XOR pen over the frame's white") << W.Finish() << Dest << E;
  }
  {  // Horizontal hatch: one line in eight, the gaps in the background colour when opaque.
    TEmfWriter W;
    NullPen(Brush(W, 1, 0, 2, 0)).Record(Emr::SetBkColor, {Q(ColorRef(255, 255, 0))});
    W.Record(Emr::Rectangle, {0, 0, 17, 17});
    QImage E = Expect();
    FillPixels(E, QRect(0, 0, 16, 16), Yellow);
    FillPixels(E, QRect(0, 7, 16, 1), Black);
    FillPixels(E, QRect(0, 15, 16, 1), Black);
    QTest::addRow("hatch, opaque background") << W.Finish() << Dest << E;
    W.Records.clear();
    W.Count = 0;
    NullPen(Brush(W, 1, 0, 2, 0)).Record(Emr::SetBkMode, {1}).Record(Emr::Rectangle, {0, 0, 17, 17});
    E = Expect();
    FillPixels(E, QRect(0, 7, 16, 1), Black);
    FillPixels(E, QRect(0, 15, 16, 1), Black);
    QTest::addRow("hatch, transparent background") << W.Finish() << Dest << E;
  }
  {  // A bitmap pattern brush repeats from the destination's corner.
    const TFixtureDib Dib = MakeDib(24, {{Red, Blue}, {Blue, Red}});
    TFixtureBytes P;
    P.U32(1).U32(0).U32(32).U32(quint32(Dib.Info.size())).U32(32 + quint32(Dib.Info.size()))
        .U32(quint32(Dib.Bits.size())).Raw(Dib.Info).Raw(Dib.Bits);
    TEmfWriter W;
    NullPen(W).Record(Emr::CreateDibPatternBrushPt, P.Data).Record(Emr::SelectObject, {1});
    W.Record(Emr::Rectangle, {0, 0, 5, 5});
    QImage E = Expect();
    for (int Y = 0; Y < 4; ++Y)
      for (int X = 0; X < 4; ++X)
        E.setPixel(X, Y, (X + Y) % 2 ? Blue : Red);
    QTest::addRow("bitmap pattern brush") << W.Finish() << Dest << E;
  }
  {  // Dual files carry EMF+ records in comments; they are skipped, as are unknown records.
    TFixtureBytes Comment;
    Comment.U32(16).U32(0x2B464D45).U32(0x4001).U32(0xFFFFFFFF);
    TEmfWriter W;
    W.Record(Emr::GdiComment, Comment.Data).Record(9999, {1, 2, 3});
    NullPen(Brush(W, 1, RedRef)).Record(Emr::Rectangle, {10, 10, 30, 20});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 19, 9), Red);
    QTest::addRow("comments and unknown records skipped") << W.Finish() << Dest << E;
  }
  {  // A path filled, and a path as clipping region.
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef))
        .Record(Emr::BeginPath, QByteArray())
        .Record(Emr::Polygon16, Ints({0, 0, -1, -1, 4}) + Shorts({10, 10, 30, 10, 30, 30, 10, 30}))
        .Record(Emr::EndPath, QByteArray())
        .Record(Emr::FillPath, Ints({0, 0, -1, -1}));
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 20, 20), Red);
    QTest::addRow("path filled") << W.Finish() << Dest << E;
    W.Records.clear();
    W.Count = 0;
    NullPen(Brush(W, 1, RedRef))
        .Record(Emr::BeginPath, QByteArray())
        .Record(Emr::Rectangle, {10, 10, 31, 21})
        .Record(Emr::EndPath, QByteArray())
        .Record(Emr::SelectClipPath, {1})
        .Record(Emr::Rectangle, {0, 0, 101, 101});
    E = Expect();
    FillPixels(E, QRect(10, 10, 20, 10), Red);
    QTest::addRow("path as clipping region") << W.Finish() << Dest << E;
  }
  {  // Two open figures, each begun by a move: filled each on its own, not joined.
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef)).Record(Emr::BeginPath, QByteArray());
    for (qint32 At : {10, 60})
      W.Record(Emr::MoveToEx, {At, At}).Record(Emr::LineTo, {At + 20, At})
          .Record(Emr::LineTo, {At + 20, At + 20}).Record(Emr::LineTo, {At, At + 20});
    W.Record(Emr::EndPath, QByteArray()).Record(Emr::FillPath, Ints({0, 0, -1, -1}));
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 20, 20), Red);
    FillPixels(E, QRect(60, 60, 20, 20), Red);
    QTest::addRow("path of two figures") << W.Finish() << Dest << E;
  }
  {  // Deleted objects leave the selection as it is; a bad index changes nothing.
    TEmfWriter W;
    NullPen(Brush(W, 1, RedRef))
        .Record(Emr::DeleteObject, {1})
        .Record(Emr::SelectObject, {1})
        .Record(Emr::SelectObject, {40000})
        .Record(Emr::Rectangle, {10, 10, 30, 20});
    QImage E = Expect();
    FillPixels(E, QRect(10, 10, 19, 9), Red);
    QTest::addRow("deleted and unknown objects") << W.Finish() << Dest << E;
  }
}

void TestEmfPlayer::exactPixels() {
  QFETCH(QByteArray, File);
  QFETCH(QSize, Dest);
  QFETCH(QImage, Expected);
  const QString Difference = FirstColourDifference(DrawMetafile(File, Dest), Expected);
  QVERIFY2(Difference.isEmpty(), qPrintable(Difference));
}

QTEST_MAIN(TestEmfPlayer)
#include "tst_emfplayer.moc"
