// Hostile metafiles, made here from good ones: cut short, with broken record lengths, huge
// counts, object indices outside the table, bitmaps reaching past their record, absurd
// coordinates and deep nesting. Each must either be refused with "Metafile is not valid" or
// load and draw what lies before the damage, and never crash or hang (the test's time limit
// catches a hang; the sanitizer build catches a bad access).

#include "../picturetesting.h"
#include "metafiletesting.h"
#include "metafilewriter.h"

#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <limits>

namespace {

const QString Invalid = "Metafile is not valid";
const quint32 RedRef = ColorRef(255, 0, 0), BlueRef = ColorRef(0, 0, 255);

// Loads and draws; the load error, or empty when it loaded. Any other message fails.
QString LoadAndDraw(const QByteArray &File, QImage *Drawn = nullptr) {
  TMetafile Metafile;
  try {
    Metafile.LoadFromBytes(File);
  } catch (const std::exception &Error) {
    return QString::fromUtf8(Error.what());
  }
  QImage Canvas = FilledImage(QSize(100, 100), FrameColor);
  QPainter Painter(&Canvas);
  Metafile.Draw(Painter, Canvas.rect(), Canvas.rect());
  Painter.end();
  if (Drawn)
    *Drawn = Canvas;
  return QString();
}

QStringList Samples() {
  const QString Root = QStringLiteral(ZELVANE_TESTDATA) + "/metafile/";
  QStringList Files;
  QDirIterator It(Root, {"*.wmf", "*.emf"}, QDir::Files, QDirIterator::Subdirectories);
  while (It.hasNext())
    Files << It.next();
  Files.sort();
  return Files;
}

// A red square, then the record under test, then a blue square: whether the blue one shows
// tells whether playing went on past the record.
QByteArray EmfAround(quint32 Type, const QByteArray &Payload) {
  TEmfWriter W;
  W.Record(Emr::SelectObject, {qint32(Emr::StockNullPen)})
      .Record(Emr::CreateBrushIndirect, {1, 0, qint32(RedRef), 0})
      .Record(Emr::SelectObject, {1})
      .Record(Emr::Rectangle, {0, 0, 11, 11})
      .Record(Type, Payload)
      .Record(Emr::CreateBrushIndirect, {2, 0, qint32(BlueRef), 0})
      .Record(Emr::SelectObject, {2})
      .Record(Emr::Rectangle, {50, 50, 61, 61});
  return W.Finish();
}

QByteArray WmfAround(quint16 Function, const QByteArray &Params) {
  TWmfWriter W;
  W.Record(Meta::CreatePenIndirect, WmfPen(5, 0, 0))
      .Record(Meta::SelectObject, {0})
      .Record(Meta::CreateBrushIndirect, WmfBrush(0, RedRef))
      .Record(Meta::SelectObject, {1})
      .Record(Meta::Rectangle, {11, 11, 0, 0})
      .Record(Function, Params)
      .Record(Meta::CreateBrushIndirect, WmfBrush(0, BlueRef))
      .Record(Meta::SelectObject, {2})
      .Record(Meta::Rectangle, {61, 61, 50, 50});
  return W.Finish();
}

QByteArray Dib(int Width, int Height, int BitCount, int BitsSize) {
  TFixtureDib D = MakeDib(BitCount, {{0}}, {qRgb(0, 0, 0), qRgb(255, 255, 255)});
  TFixtureBytes Info;
  Info.U32(40).I32(Width).I32(Height).U16(1).U16(quint16(BitCount)).U32(0).U32(0).I32(0).I32(0).U32(0).U32(0);
  return Info.Data + D.Info.mid(40) + QByteArray(BitsSize, '\x55');
}

}  // namespace

class TestMetafileHostile : public QObject {
  Q_OBJECT
private slots:
  void cutShort_data();
  void cutShort();
  void brokenRecordLength_data();
  void brokenRecordLength();
  void damagedRecordStops_data();
  void damagedRecordStops();
  void refusedRequestsGoOn_data();
  void refusedRequestsGoOn();
  void absurdGeometry_data();
  void absurdGeometry();
  void deepNesting();
  void randomDamage();
};

void TestMetafileHostile::cutShort_data() {
  QTest::addColumn<QByteArray>("File");
  for (const QString &Path : Samples()) {
    const QByteArray Data = ReadBytes(Path);
    const QString Name = Path.section('/', -2);
    for (int Part = 1; Part <= 6; ++Part) {
      const int Cut = int(qint64(Data.size()) * Part / 7);
      QTest::addRow("%s cut at %d", qPrintable(Name), Cut) << Data.left(Cut);
    }
  }
}

void TestMetafileHostile::cutShort() {
  QFETCH(QByteArray, File);
  const QString Error = LoadAndDraw(File);
  QVERIFY2(Error.isEmpty() || Error == Invalid, qPrintable(Error));
}

void TestMetafileHostile::brokenRecordLength_data() {
  QTest::addColumn<QByteArray>("File");
  const QByteArray Emf = EmfAround(Emr::Rectangle, Ints({20, 20, 30, 30}));
  // The fifth record (the rectangle under test) starts after the header and four records.
  const int At = 88 + 12 + 24 + 12 + 24;
  for (quint32 Size : {0u, 4u, 6u, 10u, 28u, 4096u, 0x7FFFFFFCu, 0xFFFFFFFCu})
    QTest::addRow("EMF record size %u", Size) << QByteArray(Emf).replace(At + 4, 4, Ints({qint32(Size)}));
  const QByteArray Wmf = WmfAround(Meta::Rectangle, Shorts({30, 30, 20, 20}));
  const int WmfAt = 22 + 18 + 16 + 8 + 14 + 8 + 14;
  for (quint32 Words : {0u, 1u, 2u, 500u, 0x7FFFFFFFu, 0xFFFFFFFFu})
    QTest::addRow("WMF record size %u words", Words) << QByteArray(Wmf).replace(WmfAt, 4, Ints({qint32(Words)}));
}

void TestMetafileHostile::brokenRecordLength() {
  QFETCH(QByteArray, File);
  QCOMPARE(LoadAndDraw(File), Invalid);
}

void TestMetafileHostile::damagedRecordStops_data() {
  QTest::addColumn<QByteArray>("File");
  const qint32 Huge = 0x7FFFFFFF;
  const qint32 All = -1;
  QTest::addRow("polyline count") << EmfAround(Emr::Polyline, Ints({0, 0, 9, 9, Huge, 1, 1, 5, 5}));
  QTest::addRow("polyline16 count") << EmfAround(Emr::Polyline16, Ints({0, 0, 9, 9, All}) + Shorts({1, 1, 5, 5}));
  QTest::addRow("poly-polygon polygons") << EmfAround(Emr::PolyPolygon16, Ints({0, 0, 9, 9, Huge, 2, 2}) + Shorts({1, 1, 5, 5}));
  QTest::addRow("poly-polygon counts beyond total") << EmfAround(Emr::PolyPolygon16, Ints({0, 0, 9, 9, 2, 2, 1, 5}) + Shorts({1, 1, 5, 5}));
  QTest::addRow("text characters") << EmfAround(Emr::ExtTextOutW, ExtTextOutWPayload(5, 5, "AB").replace(36, 4, Ints({Huge})));
  QTest::addRow("text offset") << EmfAround(Emr::ExtTextOutW, ExtTextOutWPayload(5, 5, "AB").replace(40, 4, Ints({All})));
  QTest::addRow("text advances offset") << EmfAround(Emr::ExtTextOutW, ExtTextOutWPayload(5, 5, "AB").replace(64, 4, Ints({5000})));
  QTest::addRow("region rectangles") << EmfAround(Emr::ExtSelectClipRgn, Ints({48, 5, 32, 1, Huge, 16, 0, 0, 9, 9, 0, 0, 9, 9}));
  QTest::addRow("region size") << EmfAround(Emr::ExtSelectClipRgn, Ints({Huge, 5, 32, 1, 1, 16}));
  QTest::addRow("gradient vertices") << EmfAround(Emr::GradientFill, Ints({0, 0, 9, 9, Huge, 1, 0, 0, 0, 0, 0}));
  QTest::addRow("gradient meshes") << EmfAround(Emr::GradientFill, Ints({0, 0, 9, 9, 0, Huge, 2}));
  QTest::addRow("pen style entries") << EmfAround(Emr::ExtCreatePen, Ints({3, 0, 0, 0, 0, 0x10007, 2, 0, 0, 0, Huge}));
  const TFixtureDib Good = MakeDib(24, {{0xFFFF0000}});
  auto Stretch = [&](int Field, qint32 Value) {
    return EmfAround(Emr::StretchDiBits, StretchDiBitsPayload(5, 5, 10, 10, Good).replace(Field, 4, Ints({Value})));
  };
  QTest::addRow("bitmap header offset past record") << Stretch(40, 5000);
  QTest::addRow("bitmap header size past record") << Stretch(44, Huge);
  QTest::addRow("bitmap bits offset past record") << Stretch(48, 5000);
  QTest::addRow("bitmap bits size past record") << Stretch(52, 100);
  QTest::addRow("bitmap offsets wrapping") << Stretch(48, qint32(0xFFFFFFF0));
  QTest::addRow("WMF polygon count") << WmfAround(Meta::Polygon, Shorts({30000, 1, 1, 5, 5}));
  QTest::addRow("WMF poly-polygon counts") << WmfAround(Meta::PolyPolygon, Shorts({2, 30000, 2, 1, 1, 5, 5}));
  QTest::addRow("WMF poly-polygon polygons") << WmfAround(Meta::PolyPolygon, Shorts({-1, 2, 1, 1}));
  QTest::addRow("WMF text count") << WmfAround(Meta::TextOut, Shorts({30000, 0x4141, 5, 5}));
  QTest::addRow("WMF extended text count") << WmfAround(Meta::ExtTextOut, Shorts({5, 5, 30000, 0, 0x4141}));
}

void TestMetafileHostile::damagedRecordStops() {
  QFETCH(QByteArray, File);
  QImage Drawn;
  QCOMPARE(LoadAndDraw(File, &Drawn), QString());
  // What came before the damage is drawn; nothing after it.
  QCOMPARE(Drawn.pixel(5, 5), 0xFF000000u | qRgb(255, 0, 0));
  QCOMPARE(Drawn.pixel(55, 55), FrameColor);
}

void TestMetafileHostile::refusedRequestsGoOn_data() {
  QTest::addColumn<QByteArray>("File");
  QTest::addRow("select index 65536") << EmfAround(Emr::SelectObject, Ints({65536}));
  QTest::addRow("select index 2^31 - 1") << EmfAround(Emr::SelectObject, Ints({0x7FFFFFFF}));
  QTest::addRow("select unknown stock object") << EmfAround(Emr::SelectObject, Ints({qint32(0x80000063)}));
  QTest::addRow("delete index 2^32 - 1") << EmfAround(Emr::DeleteObject, Ints({-1}));
  QTest::addRow("create at index 0") << EmfAround(Emr::CreateBrushIndirect, Ints({0, 0, 0, 0}));
  QTest::addRow("create beyond the largest table") << EmfAround(Emr::CreateBrushIndirect, Ints({70000, 0, 0, 0}));
  QTest::addRow("restore level 2^31 - 1") << EmfAround(Emr::RestoreDc, Ints({0x7FFFFFFF}));
  QTest::addRow("restore level -2^31") << EmfAround(Emr::RestoreDc, Ints({qint32(0x80000000)}));
  QTest::addRow("bitmap of 65535 x 65535 in a few bytes")
      << EmfAround(Emr::StretchDiBits, StretchDiBitsPayload(5, 5, 10, 10, TFixtureDib{Dib(65535, 65535, 24, 0).left(40), QByteArray(64, '\1')}));
  QTest::addRow("bitmap of negative width")
      << EmfAround(Emr::StretchDiBits, StretchDiBitsPayload(5, 5, 10, 10, TFixtureDib{Dib(-5, 5, 24, 0).left(40), QByteArray(64, '\1')}));
  QTest::addRow("transform not a number")
      << EmfAround(Emr::SetWorldTransform, TFixtureBytes().F32(std::numeric_limits<float>::quiet_NaN())
                                               .F32(0).F32(0).F32(1).F32(0).F32(0).Data);
  QTest::addRow("transform without inverse")
      << EmfAround(Emr::SetWorldTransform, TFixtureBytes().F32(1).F32(1).F32(1).F32(1).F32(0).F32(0).Data);
  QTest::addRow("escape record") << EmfAround(106, Ints({1, 1000, 0}));
  QTest::addRow("WMF select slot 65535") << WmfAround(Meta::SelectObject, Shorts({-1}));
  QTest::addRow("WMF delete slot 65535") << WmfAround(Meta::DeleteObject, Shorts({-1}));
  QTest::addRow("WMF escape") << WmfAround(Meta::Escape, Shorts({0x0F, 30000, 1, 2}));
  QTest::addRow("WMF restore level -30000") << WmfAround(Meta::RestoreDc, Shorts({-30000}));
  QTest::addRow("WMF device bitmap bigger than its bits")
      << WmfAround(Meta::BitBlt, Shorts({0x20, 0xCC, 0, 0, 10, 10, 0, 0, 0, 30000, 30000, 2, 1, 0}));
  QTest::addRow("WMF bitmap of 65535 x 65535")
      << WmfAround(Meta::StretchDib, Shorts({0x20, 0xCC, 0, 10, 10, 0, 0, 10, 10, 0, 0}) + Dib(65535, 65535, 8, 16));
}

void TestMetafileHostile::refusedRequestsGoOn() {
  QFETCH(QByteArray, File);
  QImage Drawn;
  QCOMPARE(LoadAndDraw(File, &Drawn), QString());
  QCOMPARE(Drawn.pixel(55, 55), 0xFF000000u | qRgb(0, 0, 255));
}

void TestMetafileHostile::absurdGeometry_data() {
  QTest::addColumn<QByteArray>("File");
  const qint32 Min = qint32(0x80000000), Max = 0x7FFFFFFF;
  QTest::addRow("rectangle over the whole range") << EmfAround(Emr::Rectangle, Ints({Min, Min, Max, Max}));
  QTest::addRow("ellipse over the whole range") << EmfAround(Emr::Ellipse, Ints({Min, Min, Max, Max}));
  QTest::addRow("pie of a point") << EmfAround(Emr::Pie, Ints({5, 5, 5, 5, 5, 5, 5, 5}));
  QTest::addRow("polygon at the range's ends") << EmfAround(Emr::Polygon, Ints({0, 0, 0, 0, 3, Min, Min, Max, Min, 0, Max}));
  {
    TEmfWriter W;
    TFixtureBytes Pen;
    Pen.U32(1).U32(0).U32(0).U32(0).U32(0).U32(0x10002).U32(0x7FFFFFFF).U32(0).U32(0).U32(0).U32(0);
    W.Record(Emr::SetMapMode, {8})
        .Record(Emr::SetWindowExtEx, {1, 1})
        .Record(Emr::SetViewportExtEx, {Max, Max})
        .Record(Emr::ExtCreatePen, Pen.Data)
        .Record(Emr::SelectObject, {1})
        .Record(Emr::MoveToEx, {Min, Min})
        .Record(Emr::LineTo, {Max, Max})
        .Record(Emr::Ellipse, {-3, -3, 3, 3});
    QTest::addRow("wide dotted pen, huge scale") << W.Finish();
  }
  {
    TEmfWriter W;
    W.Record(Emr::CreatePen, {1, 2, 0, 0, 0})
        .Record(Emr::SelectObject, {1})
        .Record(Emr::MoveToEx, {Min, 50})
        .Record(Emr::LineTo, {Max, 50});
    QTest::addRow("dotted line across the range") << W.Finish();
  }
  {
    TEmfWriter W;
    W.Record(Emr::ExtCreateFontIndirectW, FontPayload(1, Min, "DejaVu Sans"))
        .Record(Emr::SelectObject, {1})
        .Record(Emr::ExtTextOutW, ExtTextOutWPayload(5, 5, "Huge"))
        .Record(Emr::ExtCreateFontIndirectW, FontPayload(2, -1000000, "DejaVu Sans", 400, Max))
        .Record(Emr::SelectObject, {2})
        .Record(Emr::ExtTextOutW, ExtTextOutWPayload(5, 5, "Huge"));
    QTest::addRow("fonts of absurd heights") << W.Finish();
  }
}

void TestMetafileHostile::absurdGeometry() {
  QFETCH(QByteArray, File);
  QCOMPARE(LoadAndDraw(File), QString());
}

void TestMetafileHostile::deepNesting() {
  // A hundred thousand saved states and paths opened without end: bounded, and the last
  // restore still finds a state.
  TEmfWriter W;
  W.Record(Emr::SelectObject, {qint32(Emr::StockNullPen)})
      .Record(Emr::CreateBrushIndirect, {1, 0, qint32(BlueRef), 0})
      .Record(Emr::SelectObject, {1})
      .Record(Emr::SaveDc, QByteArray());
  for (int I = 0; I < 100000; ++I)
    W.Record(Emr::SaveDc, QByteArray()).Record(Emr::BeginPath, QByteArray());
  W.Record(Emr::EndPath, QByteArray()).Record(Emr::RestoreDc, {1}).Record(Emr::Rectangle, {50, 50, 61, 61});
  QImage Drawn;
  QCOMPARE(LoadAndDraw(W.Finish(), &Drawn), QString());
  QCOMPARE(Drawn.pixel(55, 55), 0xFF000000u | qRgb(0, 0, 255));
}

void TestMetafileHostile::randomDamage() {
  // Every sample with bytes overwritten at random (a fixed seed, so failures repeat).
  QRandomGenerator Random(20240607);
  for (const QString &Path : Samples()) {
    const QByteArray Data = ReadBytes(Path);
    for (int Round = 0; Round < 6; ++Round) {
      QByteArray Damaged = Data;
      const int Hits = 1 + int(Random.bounded(16));
      for (int I = 0; I < Hits; ++I)
        Damaged[int(Random.bounded(Damaged.size()))] = char(Random.bounded(256));
      const QString Error = LoadAndDraw(Damaged);
      QVERIFY2(Error.isEmpty() || Error == Invalid, qPrintable(Path + ": " + Error));
    }
  }
}

QTEST_MAIN(TestMetafileHostile)
#include "tst_metafilehostile.moc"
