// The metafile picture kind: its size, its load failures, how it draws into the picture box's
// rectangle, its cache, and the public sample files.

#include "../picturetesting.h"
#include "picture/image.h"
#include "metafiletesting.h"
#include "metafilewriter.h"

#include <QDirIterator>
#include <QFile>
#include <QTest>

namespace {

const QString Invalid = "Metafile is not valid";
const QRgb Red = qRgb(255, 0, 0);

// A red rectangle without pen from (L, T) to (R, B).
TEmfWriter &RedRectangle(TEmfWriter &W, qint32 L, qint32 T, qint32 R, qint32 B) {
  return W.Record(Emr::CreateBrushIndirect, {1, 0, qint32(ColorRef(255, 0, 0)), 0})
      .Record(Emr::SelectObject, {1})
      .Record(Emr::SelectObject, {qint32(Emr::StockNullPen)})
      .Record(Emr::Rectangle, {L, T, R, B});
}

QString LoadError(const QByteArray &Data) {
  TMetafile Metafile;
  try {
    Metafile.LoadFromBytes(Data);
  } catch (const std::exception &Error) {
    return QString::fromUtf8(Error.what());
  }
  return QString();
}

qint32 I32(const QByteArray &D, int At) {
  return qint32(quint32(uchar(D[At])) | quint32(uchar(D[At + 1])) << 8 |
                quint32(uchar(D[At + 2])) << 16 | quint32(uchar(D[At + 3])) << 24);
}

qint16 I16(const QByteArray &D, int At) { return qint16(uchar(D[At]) | uchar(D[At + 1]) << 8); }

// The size the header promises at 96 dpi, read here on its own: an EMF frame in 0.01 mm, a
// placeable box at its units per inch; invalid for other files.
QSize HeaderSize(const QByteArray &D) {
  auto Round = [](double V) { return int(std::floor(V + 0.5)); };
  if (D.size() >= 88 && I32(D, 0) == 1 && I32(D, 40) == 0x464D4520)
    return QSize(Round((I32(D, 32) - I32(D, 24)) * 96.0 / 2540),
                 Round((I32(D, 36) - I32(D, 28)) * 96.0 / 2540));
  if (D.size() >= 22 && quint32(I32(D, 0)) == 0x9AC6CDD7) {
    const int Inch = I16(D, 14) == 0 ? 1440 : quint16(I16(D, 14));
    return QSize(Round(std::abs(I16(D, 10) - I16(D, 6)) * 96.0 / Inch),
                 Round(std::abs(I16(D, 12) - I16(D, 8)) * 96.0 / Inch));
  }
  return QSize();
}

bool IsRed(QRgb C) { return qRed(C) > 200 && qGreen(C) < 80 && qBlue(C) < 80; }
bool IsDark(QRgb C) { return qRed(C) < 90 && qGreen(C) < 90 && qBlue(C) < 90; }
bool IsLight(QRgb C) { return qRed(C) > 225 && qGreen(C) > 225 && qBlue(C) > 225; }

// Whether every pixel of Image within Radius of X, Y is of the kind.
bool AllAround(const QImage &Image, int X, int Y, int Radius, bool (*Kind)(QRgb)) {
  for (int Dy = -Radius; Dy <= Radius; ++Dy)
    for (int Dx = -Radius; Dx <= Radius; ++Dx)
      if (Image.rect().contains(X + Dx, Y + Dy) && !Kind(Image.pixel(X + Dx, Y + Dy)))
        return false;
  return true;
}

bool AnyAround(const QImage &Image, int X, int Y, int Radius, bool (*Kind)(QRgb)) {
  for (int Dy = -Radius; Dy <= Radius; ++Dy)
    for (int Dx = -Radius; Dx <= Radius; ++Dx)
      if (Image.rect().contains(X + Dx, Y + Dy) && Kind(Image.pixel(X + Dx, Y + Dy)))
        return true;
  return false;
}

}  // namespace

class TestMetafile : public QObject {
  Q_OBJECT
private slots:
  void ownSize_data();
  void ownSize();
  void invalid_data();
  void invalid();
  void failedLoadKeepsPicture();
  void classAndBitmapConversion();
  void drawsIntoDestinationWithinClip();
  void repaintsAtSameSizeFromCache();
  void largeDestinationPlaysVisiblePart();
  void pictureBoxStretchesMetafile();
  void samples_data();
  void samples();
  void matchesSystemRendering_data();
  void matchesSystemRendering();
};

void TestMetafile::ownSize_data() {
  QTest::addColumn<QByteArray>("File");
  QTest::addColumn<QSize>("Size");
  {
    TEmfWriter W;
    W.Frame[2] = 2540, W.Frame[3] = 5080;
    QTest::addRow("EMF frame, 0.01 mm") << RedRectangle(W, 0, 0, 10, 10).Finish() << QSize(96, 192);
  }
  {
    TEmfWriter W;
    W.Frame[0] = -1270, W.Frame[1] = -1270, W.Frame[2] = 1270, W.Frame[3] = 3810;
    QTest::addRow("EMF frame off the origin") << RedRectangle(W, -40, -40, 0, 0).Finish() << QSize(96, 192);
  }
  {  // No frame: what the records draw, 100 reference pixels of 1 mm each.
    TEmfWriter W;
    W.Frame[2] = W.Frame[3] = 0;
    QTest::addRow("EMF without frame") << RedRectangle(W, 0, 0, 101, 51).Finish() << QSize(378, 189);
  }
  {
    TWmfWriter W;
    W.Box[0] = 0, W.Box[1] = 0, W.Box[2] = 2880, W.Box[3] = 1440;
    W.UnitsPerInch = 1440;
    QTest::addRow("placeable WMF") << W.Finish() << QSize(192, 96);
  }
  {
    TWmfWriter W;
    W.Box[0] = -500, W.Box[1] = -250, W.Box[2] = 500, W.Box[3] = 250;
    W.UnitsPerInch = 1000;
    QTest::addRow("placeable WMF off the origin") << W.Finish() << QSize(96, 48);
  }
  {  // No units per inch: taken as 1440.
    TWmfWriter W;
    W.Box[2] = 1440, W.Box[3] = 720;
    W.UnitsPerInch = 0;
    QTest::addRow("placeable WMF, 0 units per inch") << W.Finish() << QSize(96, 48);
  }
  {
    TWmfWriter W(false);
    W.Record(Meta::SetWindowOrg, {0, 0}).Record(Meta::SetWindowExt, {1440, 2880}).Record(Meta::Rectangle, {10, 10, 0, 0});
    QTest::addRow("plain WMF with a window") << W.Finish() << QSize(192, 96);
  }
  {  // No window: a unit is a pixel, and the picture is what the records draw.
    TWmfWriter W(false);
    W.Record(Meta::Rectangle, {70, 110, 20, 10});
    QTest::addRow("plain WMF without window") << W.Finish() << QSize(100, 50);
  }
}

void TestMetafile::ownSize() {
  QFETCH(QByteArray, File);
  QFETCH(QSize, Size);
  TMetafile Metafile;
  Metafile.LoadFromBytes(File);
  QCOMPARE(QSize(Metafile.Width(), Metafile.Height()), Size);
}

void TestMetafile::invalid_data() {
  QTest::addColumn<QByteArray>("File");
  TEmfWriter Good;
  RedRectangle(Good, 0, 0, 10, 10);
  const QByteArray Emf = Good.Finish();
  QTest::addRow("empty") << QByteArray();
  QTest::addRow("text") << QByteArray("not a picture at all, just words");
  QTest::addRow("PNG") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  QTest::addRow("EMF signature wrong") << QByteArray(Emf).replace(40, 4, "XEMF");
  QTest::addRow("EMF header longer than file") << QByteArray(Emf).replace(4, 4, Ints({4000}));
  QTest::addRow("EMF header too short") << QByteArray(Emf).replace(4, 4, Ints({80}));
  QTest::addRow("EMF record of size 0") << QByteArray(Emf).replace(88 + 4, 4, Ints({0}));
  QTest::addRow("EMF record size not a multiple of 4") << QByteArray(Emf).replace(88 + 4, 4, Ints({22}));
  QTest::addRow("EMF record past the end") << Emf.left(Emf.size() - 30);
  QTest::addRow("EMF description outside the header")
      << QByteArray(Emf).replace(60, 8, Ints({10, 80}));
  {
    TEmfWriter W;
    W.Frame[2] = W.Frame[3] = 0;
    W.Bounds[2] = W.Bounds[3] = -1;
    QTest::addRow("EMF without frame, drawing nothing") << W.Finish();
  }
  TWmfWriter Placeable;
  Placeable.Record(Meta::Rectangle, {10, 10, 0, 0});
  const QByteArray Wmf = Placeable.Finish();
  QTest::addRow("WMF version unknown") << QByteArray(Wmf).replace(22 + 4, 2, Shorts({0x200}));
  QTest::addRow("WMF record of 2 words") << QByteArray(Wmf).replace(22 + 18, 4, Ints({2}));
  QTest::addRow("WMF record past the end") << Wmf.left(22 + 18 + 10);
  QTest::addRow("placeable header cut short") << Wmf.left(20);
  {
    TWmfWriter W(false);
    W.Record(Meta::SetBkMode, {1});
    QTest::addRow("plain WMF drawing nothing") << W.Finish();
  }
}

void TestMetafile::invalid() {
  QFETCH(QByteArray, File);
  QCOMPARE(LoadError(File), Invalid);
}

void TestMetafile::failedLoadKeepsPicture() {
  TEmfWriter W(40, 20);
  TMetafile Metafile;
  Metafile.LoadFromBytes(RedRectangle(W, 0, 0, 41, 21).Finish());
  const QSize Before(Metafile.Width(), Metafile.Height());
  QVERIFY_THROWS_EXCEPTION(std::runtime_error, Metafile.LoadFromBytes("garbage"));
  QCOMPARE(QSize(Metafile.Width(), Metafile.Height()), Before);
  QImage Canvas = FilledImage(QSize(40, 20), FrameColor);
  QPainter Painter(&Canvas);
  Metafile.Draw(Painter, Canvas.rect(), Canvas.rect());
  QCOMPARE(Canvas.pixel(20, 10), 0xFF000000u | Red);
}

void TestMetafile::classAndBitmapConversion() {
  TMetafile Metafile;
  QCOMPARE(QString(Metafile.ClassName()), QString("TMetafile"));
  TEmfWriter W;
  Metafile.LoadFromBytes(RedRectangle(W, 0, 0, 10, 10).Finish());
  try {
    Metafile.ToBitmapImage();
    QFAIL("converted");
  } catch (const std::exception &Error) {
    QCOMPARE(QString(Error.what()), QString("Cannot assign a TMetafile to a TBitmap"));
  }
}

void TestMetafile::drawsIntoDestinationWithinClip() {
  // The picture's frame lands on the destination at 20,30; the clip cuts it at x = 45.
  TEmfWriter W(100, 100);
  TMetafile Metafile;
  Metafile.LoadFromBytes(RedRectangle(W, 10, 10, 31, 21).Finish());
  QImage Canvas = FilledImage(QSize(200, 200), FrameColor);
  QPainter Painter(&Canvas);
  Metafile.Draw(Painter, QRect(20, 30, 100, 100), QRect(0, 0, 45, 200));
  Painter.end();
  QImage Expected = FilledImage(QSize(200, 200), FrameColor);
  FillPixels(Expected, QRect(30, 40, 15, 10), Red);
  const QString Difference = FirstColourDifference(Canvas, Expected);
  QVERIFY2(Difference.isEmpty(), qPrintable(Difference));
}

void TestMetafile::repaintsAtSameSizeFromCache() {
  TEmfWriter W;
  TMetafile Metafile;
  Metafile.LoadFromBytes(RedRectangle(W, 10, 10, 31, 21).Finish());
  QImage Canvas = FilledImage(QSize(300, 300), FrameColor);
  QPainter Painter(&Canvas);
  Metafile.Draw(Painter, QRect(0, 0, 100, 100), Canvas.rect());
  Metafile.Draw(Painter, QRect(0, 0, 100, 100), Canvas.rect());
  // Dragging moves the destination without resizing it: the kept pixels, moved.
  Metafile.Draw(Painter, QRect(150, 120, 100, 100), Canvas.rect());
  QCOMPARE(Canvas.pixel(165, 135), 0xFF000000u | Red);
  QCOMPARE(Canvas.pixel(159, 135), FrameColor);
  // A new size plays again, at that size.
  Metafile.Draw(Painter, QRect(0, 150, 200, 100), Canvas.rect());
  QCOMPARE(Canvas.pixel(20, 160), 0xFF000000u | Red);
  QCOMPARE(Canvas.pixel(19, 160), FrameColor);
}

void TestMetafile::largeDestinationPlaysVisiblePart() {
  // 5000 x 5000 is beyond what is kept whole: only the visible part is played.
  TEmfWriter W;
  TMetafile Metafile;
  Metafile.LoadFromBytes(RedRectangle(W, 10, 10, 31, 21).Finish());
  QImage Canvas = FilledImage(QSize(300, 300), FrameColor);
  QPainter Painter(&Canvas);
  // Destination pixel x maps to frame unit x / 50: the rectangle covers [500, 1500) across.
  Metafile.Draw(Painter, QRect(-400, -400, 5000, 5000), Canvas.rect());
  Painter.end();
  QCOMPARE(Canvas.pixel(99, 99), FrameColor);
  QCOMPARE(Canvas.pixel(100, 100), 0xFF000000u | Red);
  QCOMPARE(Canvas.pixel(299, 299), 0xFF000000u | Red);
}

void TestMetafile::pictureBoxStretchesMetafile() {
  // In the picture box with stretching on, the frame fills the box's whole rectangle: the
  // rectangle's corners land at x 100 and 200, y 0 and 20, and without a pen it leaves out
  // one more pixel on the right and at the bottom.
  QWidget Parent;
  Parent.resize(300, 300);
  TImage Box(&Parent);
  auto Metafile = std::make_unique<TMetafile>();
  TEmfWriter W;
  Metafile->LoadFromBytes(RedRectangle(W, 50, 0, 100, 50).Finish());
  Box.SetPicture(std::move(Metafile));
  Box.SetStretch(true);
  Box.SetBounds(0, 0, 200, 40);
  QImage Canvas = FilledImage(QSize(300, 300), FrameColor);
  QPainter Painter(&Canvas);
  Box.DrawPicture(Painter, QPoint(10, 20), Canvas.rect());
  Painter.end();
  QImage Expected = FilledImage(QSize(300, 300), FrameColor);
  FillPixels(Expected, QRect(110, 20, 99, 19), Red);
  const QString Difference = FirstColourDifference(Canvas, Expected);
  QVERIFY2(Difference.isEmpty(), qPrintable(Difference));
}

void TestMetafile::samples_data() {
  QTest::addColumn<QString>("Path");
  QTest::addColumn<QString>("Outcome");
  // "draws": loads at its header's size (or a plausible one) and paints;
  // "blank": loads and paints nothing but white (EMF+ only, no drawing records, or text only
  // in glyph numbers of a font that is not installed);
  // "invalid": "Metafile is not valid".
  const QMap<QString, QString> Outcomes{
      {"libuemf/test_libuemf_p_ref.emf", "blank"},
      {"libemf2svg/good/test-030.emf", "blank"},
      {"libemf2svg/good/test-185.emf", "blank"},
      {"libemf2svg/corrupted/bad_corrupted_2014-12-02-215338.emf", "invalid"},
      {"libemf2svg/corrupted/bad_corrupted_2014-12-02-215400.emf", "invalid"},
      {"libemf2svg/corrupted/bad_corrupted_2014-12-02-215428.emf", "invalid"},
      {"libemf2svg/corrupted/bad_corrupted_2014-12-13-132605.emf", "invalid"},
      {"libemf2svg/corrupted/bad_corrupted_2014-12-14-080539.emf", "invalid"},
      {"libemf2svg/corrupted/bad_corrupted_2016-02-02-220639.emf", "invalid"},
      {"libemf2svg/corrupted/bad_corrupted_2016-02-02-225639.emf", "invalid"},
      {"libemf2svg/corrupted/bad_corrupted_2017-02-11-230400.emf", "invalid"},
      {"libemf2svg/corrupted/bad_corrupted_2017-05-12-074000.emf", "blank"},
      {"derived/sample-truncated.wmf", "invalid"},
  };
  const QString Root = QStringLiteral(ZELVANE_TESTDATA) + "/metafile/";
  QDirIterator It(Root, {"*.wmf", "*.emf"}, QDir::Files, QDirIterator::Subdirectories);
  QStringList Files;
  while (It.hasNext())
    Files << It.next().mid(Root.size());
  // The real-world set has its own test, against its references.
  Files.removeIf([](const QString &File) { return File.startsWith("realworld/"); });
  Files.sort();
  QCOMPARE(Files.size(), 48);
  for (const QString &File : Files)
    QTest::newRow(qPrintable(File)) << Root + File << Outcomes.value(File, "draws");
}

void TestMetafile::samples() {
  QFETCH(QString, Path);
  QFETCH(QString, Outcome);
  const QByteArray Data = ReadBytes(Path);
  QVERIFY(!Data.isEmpty());
  TMetafile Metafile;
  try {
    Metafile.LoadFromBytes(Data);
  } catch (const std::exception &Error) {
    QCOMPARE(QString(Error.what()), Invalid);
    QCOMPARE(Outcome, QString("invalid"));
    return;
  }
  QVERIFY2(Outcome != "invalid", "loaded");
  const QSize Size(Metafile.Width(), Metafile.Height());
  const QSize Promised = HeaderSize(Data);
  if (Promised.isValid())
    QCOMPARE(Size, Promised);
  QVERIFY(Size.width() >= 10 && Size.height() >= 5 && Size.width() <= 20000 && Size.height() <= 20000);
  // Drawn at its own size, or scaled into 600 x 600 when larger.
  const QSize Dest = Size.boundedTo(QSize(600, 600)) == Size ? Size : Size.scaled(600, 600, Qt::KeepAspectRatio);
  QImage Canvas = FilledImage(Dest, FrameColor);
  QPainter Painter(&Canvas);
  Metafile.Draw(Painter, Canvas.rect(), Canvas.rect());
  Painter.end();
  // Painted in a colour: neither the frame nor white (some files only paint a white page).
  const int Painted = CountPixels(Canvas, Canvas.rect(), [](QRgb C) {
    return (C | 0xFF000000u) != FrameColor && (C | 0xFF000000u) != 0xFFFFFFFFu;
  });
  if (Outcome == "blank")
    QCOMPARE(Painted, 0);
  else
    QVERIFY2(Painted >= 50, qPrintable(QString::number(Painted)));
}

void TestMetafile::matchesSystemRendering_data() {
  QTest::addColumn<QString>("Metafile");
  QTest::addColumn<QString>("Reference");
  const QString Pillow = QStringLiteral(ZELVANE_TESTDATA) + "/metafile/pillow/";
  QTest::addRow("WMF at 72 dpi") << Pillow + "drawing.wmf" << Pillow + "drawing_wmf_ref.png";
  QTest::addRow("WMF at 144 dpi") << Pillow + "drawing.wmf" << Pillow + "drawing_wmf_ref_144.png";
}

void TestMetafile::matchesSystemRendering() {
  // A red disc with a black outline: compared region by region, leaving the two pixels
  // along each edge, where rasterisers differ, out.
  QFETCH(QString, Metafile);
  QFETCH(QString, Reference);
  const QImage Ref = QImage(Reference).convertToFormat(QImage::Format_RGB32);
  QVERIFY(!Ref.isNull());
  const QImage Mine = DrawMetafile(ReadBytes(Metafile), Ref.size());
  int Red = 0, Light = 0, Outline = 0;
  for (int Y = 0; Y < Ref.height(); ++Y)
    for (int X = 0; X < Ref.width(); ++X) {
      const QRgb M = Mine.pixel(X, Y);
      if (AllAround(Ref, X, Y, 2, IsRed)) {
        QVERIFY2(IsRed(M), qPrintable(QString("%1,%2 not red").arg(X).arg(Y)));
        ++Red;
      } else if (AllAround(Ref, X, Y, 2, IsLight)) {
        QVERIFY2((M | 0xFF000000u) == FrameColor, qPrintable(QString("%1,%2 painted").arg(X).arg(Y)));
        ++Light;
      }
      if (IsDark(Ref.pixel(X, Y))) {
        QVERIFY2(AnyAround(Mine, X, Y, 2, IsDark), qPrintable(QString("%1,%2 no outline near").arg(X).arg(Y)));
        ++Outline;
      }
      if (IsDark(M))
        QVERIFY2(AnyAround(Ref, X, Y, 2, IsDark), qPrintable(QString("%1,%2 outline astray").arg(X).arg(Y)));
    }
  QVERIFY(Red > Ref.width() * Ref.height() / 3);
  QVERIFY(Light > 0 && Outline > 0);
}

QTEST_MAIN(TestMetafile)
#include "tst_metafile.moc"
