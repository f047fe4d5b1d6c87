// Turning and mirroring the picture box's picture: the box takes the result's own size at
// the same corner, the picture becomes a bitmap, and kinds without pixels fail unchanged.
#include "picture/kinds/bitmap.h"
#include "picture/fitzoomhandlers.h"
#include "picture/kinds/icon.h"
#include "picture/image.h"
#include "picture/codecs/jpegcodec.h"
#include "picture/kinds/jpegimage.h"
#include "picture/kinds/metafile.h"
#include "picture/pictureturn.h"
#include "support/transformtarget.h"
#include "zoomsliderfake.h"

#include <QBuffer>
#include <QImageWriter>
#include <QTest>

#include <memory>
#include <stdexcept>

namespace {

const TTransform AllTransforms[] = {TTransform::LeftRotate, TTransform::RightRotate,
                                    TTransform::TopMirror, TTransform::LeftMirror};

bool IsTurn(TTransform Transform) {
  return Transform == TTransform::LeftRotate || Transform == TTransform::RightRotate;
}

// Every pixel a different colour.
QImage Numbered(int W, int H, QImage::Format Format = QImage::Format_RGB32) {
  QImage Image(W, H, QImage::Format_RGB32);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X)
      Image.setPixel(X, Y, qRgb(X & 0xFF, Y & 0xFF, ((X >> 8) << 4) | (Y >> 8)));
  return Image.convertToFormat(Format);
}

// Result holds Source's pixels (as 32-bit values, alpha included) at their target places.
void CheckMoved(const QImage &Source, TTransform Transform, const QImage &Result) {
  const int W = Source.width();
  const int H = Source.height();
  QCOMPARE(Result.size(), IsTurn(Transform) ? QSize(H, W) : QSize(W, H));
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      const QPoint To = TargetOf(Transform, X, Y, W, H);
      if (Result.pixel(To) != Source.pixel(X, Y))
        QFAIL(qPrintable(QStringLiteral("source %1,%2 not at %3,%4: %5 instead of %6")
                             .arg(X).arg(Y).arg(To.x()).arg(To.y())
                             .arg(Result.pixel(To), 8, 16).arg(Source.pixel(X, Y), 8, 16)));
    }
}

QByteArray EncodeJpeg(const QImage &Image) {
  QByteArray Bytes;
  QBuffer Buffer(&Bytes);
  Buffer.open(QIODevice::WriteOnly);
  QImageWriter Writer(&Buffer, "jpg");
  Writer.setQuality(90);
  if (!Writer.write(Image))
    return {};
  return Bytes;
}

// A kind without pixels of its own, like icons and metafiles: its conversion to a bitmap is
// the base one, which refuses.
class TPixellessPicture : public TPicture {
public:
  explicit TPixellessPicture(const char *Name) : FName(Name) {}
  const char *ClassName() const override { return FName; }
  int Width() const override { return 32; }
  int Height() const override { return 24; }
  void LoadFromBytes(const QByteArray &) override {}
  void Draw(QPainter &, const QRect &, const QRect &) override {}

private:
  const char *FName;
};

// A raster kind holding pixels with an alpha channel, drawn blended like a PNG with alpha.
class TAlphaPicture : public TRasterPicture {
public:
  explicit TAlphaPicture(QImage Image) { SetImage(std::move(Image)); }
  const char *ClassName() const override { return "TAlphaPicture"; }
  void LoadFromBytes(const QByteArray &) override {}
};

// The frame with the picture box, a count of node hidings and what the box looked like when
// the nodes were hidden.
struct TStage {
  QWidget Frame;
  TImage Image{&Frame};
  int Hidden = 0;
  QRect BoundsWhenHidden;
  const TPicture *PictureWhenHidden = nullptr;
  THideSelection Hide = [this] {
    ++Hidden;
    BoundsWhenHidden = Image.BoundsRect();
    PictureWhenHidden = Image.Picture();
  };

  TStage() { Frame.resize(480, 272); }
};

} // namespace

class TPictureTurnTest : public QObject {
  Q_OBJECT
private slots:
  void BitmapTurnedInPlace_data();
  void BitmapTurnedInPlace();
  void PaletteBitmapStaysPalette();
  void AlphaBitmapKeepsAlpha();
  void JpegBecomesBitmap_data();
  void JpegBecomesBitmap();
  void AlphaFlattenedOverWhite();
  void PixellessKindsFail_data();
  void PixellessKindsFail();
  void OpenedIconAndMetafileFail_data();
  void OpenedIconAndMetafileFail();
  void UndecodableJpegFails();
  void TurnKeepsZoom();
  void AutoSizeOnTakesTurnedSize();
  void EmptyBoxUnchanged();
};

// A zoomed, moved box: the bitmap stays the same object, holds the moved pixels, and the
// box takes their own size at the same Left and Top; the flags stay.
void TPictureTurnTest::BitmapTurnedInPlace_data() {
  QTest::addColumn<int>("Transform");
  QTest::addRow("LeftRotate") << int(TTransform::LeftRotate);
  QTest::addRow("RightRotate") << int(TTransform::RightRotate);
  QTest::addRow("TopMirror") << int(TTransform::TopMirror);
  QTest::addRow("LeftMirror") << int(TTransform::LeftMirror);
}

void TPictureTurnTest::BitmapTurnedInPlace() {
  QFETCH(int, Transform);
  TStage Stage;
  const QImage Pixels = Numbered(480, 272);
  Stage.Image.SetPicture(std::make_unique<TBitmap>(Pixels));
  Stage.Image.SetStretch(true);
  Stage.Image.SetBounds(30, 40, 240, 136);
  const TPicture *Before = Stage.Image.Picture();

  RotateOrMirror(Stage.Image, TTransform(Transform), Stage.Hide);

  QCOMPARE(Stage.Hidden, 1);
  QCOMPARE(Stage.BoundsWhenHidden, QRect(30, 40, 240, 136)); // hidden before the turn
  QCOMPARE(Stage.Image.Picture(), Before);
  auto *Bitmap = dynamic_cast<TBitmap *>(Stage.Image.Picture());
  QVERIFY(Bitmap);
  QCOMPARE(Bitmap->Image().format(), QImage::Format_RGB32);
  CheckMoved(Pixels, TTransform(Transform), Bitmap->Image());
  const QSize Own = IsTurn(TTransform(Transform)) ? QSize(272, 480) : QSize(480, 272);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(QPoint(30, 40), Own));
  QVERIFY(Stage.Image.Stretch());
  QVERIFY(!Stage.Image.AutoSize());
}

void TPictureTurnTest::PaletteBitmapStaysPalette() {
  TStage Stage;
  const QImage Pixels = Numbered(7, 5, QImage::Format_Indexed8);
  QCOMPARE(Pixels.format(), QImage::Format_Indexed8);
  Stage.Image.SetPicture(std::make_unique<TBitmap>(Pixels));
  Stage.Image.SetBounds(0, 0, 7, 5);
  for (TTransform Transform : AllTransforms) {
    TurnPicture(Stage.Image, Transform);
    const QImage &Result = static_cast<TBitmap *>(Stage.Image.Picture())->Image();
    QCOMPARE(Result.format(), QImage::Format_Indexed8);
    QCOMPARE(Result.colorTable(), Pixels.colorTable());
    CheckMoved(Pixels, Transform, Result);
    TurnPicture(Stage.Image, Transform == TTransform::LeftRotate    ? TTransform::RightRotate
                             : Transform == TTransform::RightRotate ? TTransform::LeftRotate
                                                                    : Transform);
    QCOMPARE(static_cast<TBitmap *>(Stage.Image.Picture())->Image(), Pixels);
  }
}

// A bitmap's own pixels are moved as they are, alpha included.
void TPictureTurnTest::AlphaBitmapKeepsAlpha() {
  TStage Stage;
  QImage Pixels(5, 3, QImage::Format_ARGB32);
  for (int Y = 0; Y < 3; ++Y)
    for (int X = 0; X < 5; ++X)
      Pixels.setPixel(X, Y, qRgba(40 * X, 60 * Y, 7, (X + Y) * 30));
  Stage.Image.SetPicture(std::make_unique<TBitmap>(Pixels));
  TurnPicture(Stage.Image, TTransform::RightRotate);
  const QImage &Result = static_cast<TBitmap *>(Stage.Image.Picture())->Image();
  QCOMPARE(Result.format(), QImage::Format_ARGB32);
  CheckMoved(Pixels, TTransform::RightRotate, Result);
}

// An opened JPEG (decoded on the way) becomes a true-colour bitmap of its turned pixels.
void TPictureTurnTest::JpegBecomesBitmap_data() {
  QTest::addColumn<bool>("Grey");
  QTest::addColumn<int>("Transform");
  for (bool Grey : {false, true})
    for (TTransform Transform : AllTransforms)
      QTest::addRow("%s %d", Grey ? "grey" : "colour", int(Transform)) << Grey << int(Transform);
}

void TPictureTurnTest::JpegBecomesBitmap() {
  QFETCH(bool, Grey);
  QFETCH(int, Transform);
  const QImage Drawn = Numbered(67, 41, Grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
  const QByteArray Bytes = EncodeJpeg(Drawn);
  QVERIFY(!Bytes.isEmpty());
  // What the decoder makes of the file, as true colour: the pixels the turn starts from.
  const QImage Decoded = DecodeJpeg(Bytes).convertToFormat(QImage::Format_RGB32);
  auto Jpeg = std::make_unique<TJPEGImage>();
  Jpeg->LoadFromBytes(Bytes);
  const TPicture *Opened = Jpeg.get();
  TStage Stage;
  Stage.Image.SetPicture(std::move(Jpeg));
  Stage.Image.SetStretch(true);
  Stage.Image.SetBounds(12, 7, 100, 50);

  RotateOrMirror(Stage.Image, TTransform(Transform), Stage.Hide);

  QCOMPARE(QLatin1String(Stage.Image.Picture()->ClassName()), QLatin1String("TBitmap"));
  const QImage &Result = static_cast<TBitmap *>(Stage.Image.Picture())->Image();
  QCOMPARE(Result.format(), QImage::Format_RGB32);
  CheckMoved(Decoded, TTransform(Transform), Result);
  const QSize Own = IsTurn(TTransform(Transform)) ? QSize(41, 67) : QSize(67, 41);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(QPoint(12, 7), Own));
  QCOMPARE(Stage.Hidden, 1);
  QCOMPARE(Stage.PictureWhenHidden, Opened); // hidden before the picture was replaced
}

// A picture with an alpha channel is flattened over white, as the frame shows it: fully
// transparent corners turn white, not black.
void TPictureTurnTest::AlphaFlattenedOverWhite() {
  QImage Pixels(4, 3, QImage::Format_ARGB32);
  for (int Y = 0; Y < 3; ++Y)
    for (int X = 0; X < 4; ++X)
      Pixels.setPixel(X, Y, qRgba(200, 100, 20, 255));
  for (QPoint Corner : {QPoint(0, 0), QPoint(3, 0), QPoint(0, 2), QPoint(3, 2)})
    Pixels.setPixel(Corner, qRgba(10, 20, 30, 0));
  Pixels.setPixel(1, 1, qRgba(0, 0, 0, 128));
  TStage Stage;
  Stage.Image.SetPicture(std::make_unique<TAlphaPicture>(Pixels));
  TurnPicture(Stage.Image, TTransform::LeftRotate);
  const QImage &Result = static_cast<TBitmap *>(Stage.Image.Picture())->Image();
  QCOMPARE(Result.size(), QSize(3, 4));
  QCOMPARE(Result.format(), QImage::Format_RGB32);
  for (int Y = 0; Y < 3; ++Y)
    for (int X = 0; X < 4; ++X) {
      const QRgb Source = Pixels.pixel(X, Y);
      const int A = qAlpha(Source);
      // The colour over white: c * a / 255 + 255 * (255 - a) / 255, within rounding.
      const auto Over = [A](int C) { return (C * A + 255 * (255 - A)) / 255.0; };
      const QRgb Got = Result.pixel(TargetOf(TTransform::LeftRotate, X, Y, 4, 3));
      QVERIFY2(qAbs(qRed(Got) - Over(qRed(Source))) <= 1.0 &&
                   qAbs(qGreen(Got) - Over(qGreen(Source))) <= 1.0 &&
                   qAbs(qBlue(Got) - Over(qBlue(Source))) <= 1.0,
               qPrintable(QStringLiteral("pixel %1,%2 is %3").arg(X).arg(Y).arg(Got, 8, 16)));
    }
  QCOMPARE(Result.pixel(0, 0), qRgb(255, 255, 255));
}

// Icons and metafiles cannot become a bitmap: the error names the kind, the nodes are
// hidden, and nothing else changes.
void TPictureTurnTest::PixellessKindsFail_data() {
  QTest::addColumn<QString>("Kind");
  QTest::addColumn<int>("Transform");
  for (const QString &Kind : {QStringLiteral("TIcon"), QStringLiteral("TMetafile")})
    for (TTransform Transform : AllTransforms)
      QTest::addRow("%s %d", qPrintable(Kind), int(Transform)) << Kind << int(Transform);
}

void TPictureTurnTest::PixellessKindsFail() {
  QFETCH(QString, Kind);
  QFETCH(int, Transform);
  const QByteArray Name = Kind.toLatin1();
  TStage Stage;
  Stage.Image.SetPicture(std::make_unique<TPixellessPicture>(Name.constData()));
  Stage.Image.SetStretch(true);
  Stage.Image.SetBounds(-5, 9, 120, 90);
  const TPicture *Before = Stage.Image.Picture();
  try {
    RotateOrMirror(Stage.Image, TTransform(Transform), Stage.Hide);
    QFAIL("no error");
  } catch (const std::runtime_error &Error) {
    QCOMPARE(QString::fromUtf8(Error.what()),
             QStringLiteral("Cannot assign a %1 to a TBitmap").arg(Kind));
  }
  QCOMPARE(Stage.Hidden, 1);
  QCOMPARE(Stage.PictureWhenHidden, Before);
  QCOMPARE(Stage.Image.Picture(), Before);
  QCOMPARE(QLatin1String(Stage.Image.Picture()->ClassName()), QLatin1String(Name));
  QCOMPARE(Stage.Image.BoundsRect(), QRect(-5, 9, 120, 90));
  QVERIFY(Stage.Image.Stretch());
  QVERIFY(!Stage.Image.AutoSize());
}

// The same with the program's own icon and metafile kinds, opened from files.
void TPictureTurnTest::OpenedIconAndMetafileFail_data() {
  QTest::addColumn<QString>("File");
  QTest::addColumn<QString>("Kind");
  QTest::addRow("icon") << "ico/pillow/hopper.ico" << "TIcon";
  QTest::addRow("metafile") << "metafile/libuemf/test_libuemf_ref.wmf" << "TMetafile";
}

void TPictureTurnTest::OpenedIconAndMetafileFail() {
  QFETCH(QString, File);
  QFETCH(QString, Kind);
  QFile Input(QStringLiteral(ZELVANE_TESTDATA "/") + File);
  QVERIFY(Input.open(QIODevice::ReadOnly));
  std::unique_ptr<TPicture> Picture;
  if (Kind == "TIcon")
    Picture = std::make_unique<TIcon>();
  else
    Picture = std::make_unique<TMetafile>();
  Picture->LoadFromBytes(Input.readAll());
  QVERIFY(Picture->Width() > 0 && Picture->Height() > 0);
  TStage Stage;
  const TPicture *Opened = Picture.get();
  Stage.Image.SetPicture(std::move(Picture));
  Stage.Image.SetStretch(true);
  Stage.Image.SetBounds(11, 12, 200, 100);
  try {
    RotateOrMirror(Stage.Image, TTransform::RightRotate, Stage.Hide);
    QFAIL("no error");
  } catch (const std::runtime_error &Error) {
    QCOMPARE(QString::fromUtf8(Error.what()),
             QStringLiteral("Cannot assign a %1 to a TBitmap").arg(Kind));
  }
  QCOMPARE(Stage.Image.Picture(), Opened);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(11, 12, 200, 100));
  QCOMPARE(Stage.Hidden, 1);
}

// A JPEG whose data cannot be decoded fails with the decoder's message and stays as it was.
// The file is progressive; its header is sound, but its second scan names a component the
// frame does not have, which only the decoding of the pixels finds.
void TPictureTurnTest::UndecodableJpegFails() {
  QByteArray Bytes;
  {
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter Writer(&Buffer, "jpg");
    Writer.setProgressiveScanWrite(true);
    QVERIFY(Writer.write(Numbered(64, 32)));
  }
  const QByteArray Sos("\xFF\xDA", 2);
  const qsizetype Second = Bytes.indexOf(Sos, Bytes.indexOf(Sos) + 2);
  QVERIFY(Second > 0);
  Bytes[Second + 5] = char(0x77); // the first component selector of that scan
  auto Jpeg = std::make_unique<TJPEGImage>();
  Jpeg->LoadFromBytes(Bytes);
  TStage Stage;
  Stage.Image.SetPicture(std::move(Jpeg));
  Stage.Image.SetBounds(3, 4, 64, 32);
  const TPicture *Before = Stage.Image.Picture();
  try {
    RotateOrMirror(Stage.Image, TTransform::LeftRotate, Stage.Hide);
    QFAIL("no error");
  } catch (const std::runtime_error &Error) {
    QVERIFY2(QByteArray(Error.what()).startsWith("JPEG error #"), Error.what());
  }
  QCOMPARE(Stage.Image.Picture(), Before);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(3, 4, 64, 32));
  QCOMPARE(QLatin1String(Stage.Image.Picture()->ClassName()), QLatin1String("TJPEGImage"));
  QCOMPARE(Stage.Hidden, 1);
}

// A zoomed box turns to the picture's own turned size at the same corner; the slider and
// its remembered position are untouched. (That the fit modes then still compute from the
// natural size is the window's test.)
void TPictureTurnTest::TurnKeepsZoom() {
  TStage Stage;
  Stage.Image.SetPicture(std::make_unique<TBitmap>(Numbered(480, 272)));
  Stage.Image.SetBounds(0, 0, 480, 272);
  TFakeZoomSlider Slider;
  Slider.OnChange = [&] { ApplyZoomStep(Stage.Image, Slider, Stage.Hide); };
  Stage.Image.SetLeft(25);
  Slider.Move(5);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(25, 0, 240, 136));

  RotateOrMirror(Stage.Image, TTransform::RightRotate, Stage.Hide);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(25, 0, 272, 480));
  QCOMPARE(Slider.Position(), 5);
  QCOMPARE(Slider.Tag(), 5);
  QVERIFY(Stage.Image.Stretch());
}

// In the failed-load state (auto-size on) the box still ends at the turned size.
void TPictureTurnTest::AutoSizeOnTakesTurnedSize() {
  TStage Stage;
  auto Jpeg = std::make_unique<TJPEGImage>();
  Jpeg->LoadFromBytes(EncodeJpeg(Numbered(30, 20)));
  Stage.Image.SetPicture(std::move(Jpeg));
  Stage.Image.SetAutoSize(true);
  Stage.Image.SetBounds(6, 8, 5, 5);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(6, 8, 30, 20));
  TurnPicture(Stage.Image, TTransform::LeftRotate);
  QCOMPARE(Stage.Image.BoundsRect(), QRect(6, 8, 20, 30));
  QVERIFY(Stage.Image.AutoSize());
}

void TPictureTurnTest::EmptyBoxUnchanged() {
  TStage Stage;
  Stage.Image.SetBounds(1, 2, 30, 40);
  RotateOrMirror(Stage.Image, TTransform::LeftRotate, Stage.Hide);
  QCOMPARE(Stage.Hidden, 1);
  QVERIFY(!Stage.Image.Picture());
  QCOMPARE(Stage.Image.BoundsRect(), QRect(1, 2, 30, 40));
}

QTEST_MAIN(TPictureTurnTest)
#include "tst_pictureturn.moc"
