// The GIF kind: the public samples, first-frame drawing on the logical screen, the working
// bitmap, decoder messages and hostile sizes.
#include "../picturetesting.h"
#include "giffixture.h"
#include "picture/kinds/gifimage.h"
#include "support/rawrgb.h"

#include <QImageReader>
#include <QPainter>
#include <QTest>

using namespace GifFixture;

namespace {

const QString InvalidSignature = QStringLiteral("Invalid GIF signature");
const QString PrematureEnd = QStringLiteral("Premature end of data");
const QString InvalidData = QStringLiteral("Invalid GIF data");
const QString InvalidExtension = QStringLiteral("Invalid extension introducer");
const QString Circular = QStringLiteral("Circular decoder table entry");

QString GifFolder() { return QStringLiteral(ZELVANE_TESTDATA "/gif/"); }

QList<QRgb> Pixels(const QImage &Image) {
  QList<QRgb> Out;
  for (int Y = 0; Y < Image.height(); ++Y)
    for (int X = 0; X < Image.width(); ++X)
      Out.append(Image.pixel(X, Y));
  return Out;
}

const QRgb Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0), Blue = qRgb(0, 0, 255),
           White = qRgb(255, 255, 255), Black = qRgb(0, 0, 0), Fill = qRgb(200, 0, 200),
           Grey = qRgb(90, 90, 90);
const QList<QRgb> Four = {Red, Green, Blue, White};

} // namespace

class TGifTest : public QObject {
  Q_OBJECT
private slots:
  void Samples_data();
  void Samples();
  void ReferenceDecodes_data();
  void ReferenceDecodes();
  void AgreesWithQtReader_data();
  void AgreesWithQtReader();
  void TruncatedSampleKeepsRowsRead();
  void TransparentFrameShowsBackground();
  void Drawing_data();
  void Drawing();
  void ScaledLikeTheWholePicture();
  void Messages_data();
  void Messages();
  void FailedLoadKeepsOldPicture();
};

void TGifTest::Samples_data() {
  QTest::addColumn<QString>("File");
  QTest::addColumn<QSize>("Screen");
  QTest::addColumn<int>("Frames");
  QTest::addColumn<QString>("Message");
  auto Good = [](const char *File, int W, int H, int Frames) {
    QTest::addRow("%s", File) << GifFolder() + File << QSize(W, H) << Frames << QString();
  };
  auto Bad = [](const char *File, const QString &Message) {
    QTest::addRow("%s", File) << GifFolder() + File << QSize() << 0 << Message;
  };
  Good("giflib/porsche.gif", 320, 200, 1);
  Good("giflib/solid2.gif", 640, 400, 1);
  Good("giflib/wedge.gif", 640, 350, 1);
  Good("giflib/treescap.gif", 40, 40, 1);
  Good("giflib/treescap-interlaced.gif", 40, 40, 1);
  Good("giflib/gifgrid.gif", 100, 100, 1);
  Good("giflib/x-trans.gif", 100, 100, 1);
  Good("giflib/fire.gif", 30, 60, 33);
  Good("giflib/welcome2.gif", 290, 48, 6);
  Good("pillow/hopper.gif", 128, 128, 1);
  Good("pillow/transparent_dispose.gif", 3, 1, 3);
  Good("pillow/first_frame_transparency.gif", 75, 50, 1);
  Good("pillow/no_palette.gif", 1, 1, 2); // two frames, neither with a colour table
  Good("image-gif/interlaced.gif", 540, 330, 1);
  // Its first frame's data ends early (an end code) and is kept; garbage follows.
  Good("image-gif/issue-117-out-of-range.gif", 3, 23850, 1);
  Good("derived/porsche-truncated.gif", 320, 200, 1);
  Bad("pillow/decompression_bomb.gif", InvalidData);         // LZW code size 143
  Bad("pillow/zero_width.gif", InvalidData);                 // screen 0 wide
  Bad("image-gif/issue-96-small-codesize.gif", InvalidData); // screen 0 high
}

void TGifTest::Samples() {
  QFETCH(QString, File);
  QFETCH(QSize, Screen);
  QFETCH(int, Frames);
  QFETCH(QString, Message);
  TGIFImage Picture;
  QCOMPARE(LoadError(Picture, ReadBytes(File)), Message);
  if (!Message.isEmpty())
    return;
  QCOMPARE(QSize(Picture.Width(), Picture.Height()), Screen);
  QCOMPARE(Picture.Info().FrameCount, Frames);
  const QImage Bitmap = Picture.ToBitmapImage();
  QCOMPARE(Bitmap.size(), Screen);
  QCOMPARE(Bitmap.format(), QImage::Format_RGB32);
}

void TGifTest::ReferenceDecodes_data() {
  QTest::addColumn<QString>("Name");
  for (const char *Name :
       {"gifgrid", "porsche", "solid2", "treescap", "treescap-interlaced", "x-trans"})
    QTest::addRow("%s", Name) << QString::fromLatin1(Name);
}

// Every one of these frames covers its screen, so nothing of the canvas may show through.
void TGifTest::ReferenceDecodes() {
  QFETCH(QString, Name);
  TGIFImage Picture;
  QCOMPARE(LoadError(Picture, ReadBytes(GifFolder() + "giflib/" + Name + ".gif")), QString());
  const QImage Expected = ReadRawRgb(GifFolder() + "giflib/expected-rgb/" + Name + ".rgb",
                                  Picture.Width(), Picture.Height());
  QVERIFY(!Expected.isNull());
  const QString Difference = FirstDifference(DrawOver(Picture, Fill), Expected);
  QVERIFY2(Difference.isEmpty(), qPrintable(Difference));
  QCOMPARE(Picture.Image().format(), QImage::Format_RGB32);
}

void TGifTest::AgreesWithQtReader_data() {
  QTest::addColumn<QString>("File");
  for (const char *File :
       {"giflib/wedge.gif", "giflib/fire.gif", "giflib/welcome2.gif", "pillow/hopper.gif",
        "pillow/transparent_dispose.gif", "pillow/first_frame_transparency.gif",
        "pillow/no_palette.gif", "image-gif/interlaced.gif"})
    QTest::addRow("%s", File) << GifFolder() + File;
}

// Qt's own GIF reader leaves a first frame's transparent pixels (and whatever it does not
// cover) transparent; every pixel it does draw must be drawn the same here.
void TGifTest::AgreesWithQtReader() {
  QFETCH(QString, File);
  TGIFImage Picture;
  QCOMPARE(LoadError(Picture, ReadBytes(File)), QString());
  const QImage Reference = QImageReader(File).read().convertToFormat(QImage::Format_ARGB32);
  QCOMPARE(Reference.size(), QSize(Picture.Width(), Picture.Height()));
  const QImage Drawn = DrawOver(Picture, Fill);
  int Compared = 0;
  for (int Y = 0; Y < Drawn.height(); ++Y)
    for (int X = 0; X < Drawn.width(); ++X)
      if (qAlpha(Reference.pixel(X, Y)) == 255) {
        ++Compared;
        if (Drawn.pixel(X, Y) != Reference.pixel(X, Y))
          QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(X).arg(Y)));
      }
  QVERIFY(Compared > 0);
}

// The cut file shows porsche's top rows, decoded as far as the data goes, and nothing below.
void TGifTest::TruncatedSampleKeepsRowsRead() {
  TGIFImage Picture;
  QCOMPARE(LoadError(Picture, ReadBytes(GifFolder() + "derived/porsche-truncated.gif")), QString());
  const int Rows = Picture.Info().RowsRead;
  QVERIFY2(Rows > 10 && Rows < 200, qPrintable(QString::number(Rows)));
  const QImage Expected = ReadRawRgb(GifFolder() + "giflib/expected-rgb/porsche.rgb", 320, 200);
  const QImage Drawn = DrawOver(Picture, Fill);
  QCOMPARE(FirstDifference(Drawn.copy(0, 0, 320, Rows), Expected.copy(0, 0, 320, Rows)), QString());
  QImage Undrawn(320, 200 - Rows, QImage::Format_RGB32);
  Undrawn.fill(Fill);
  QCOMPARE(FirstDifference(Drawn.copy(0, Rows, 320, 200 - Rows), Undrawn), QString());
}

// A 50 x 50 frame at x = 25 on a 75 x 50 screen, with a transparent colour: the screen
// left of it is the background colour, read here from the file's own global table.
void TGifTest::TransparentFrameShowsBackground() {
  const QByteArray Data = ReadBytes(GifFolder() + "pillow/first_frame_transparency.gif");
  TGIFImage Picture;
  QCOMPARE(LoadError(Picture, Data), QString());
  const int Index = uchar(Data[11]);
  const QRgb Background =
      qRgb(uchar(Data[13 + 3 * Index]), uchar(Data[14 + 3 * Index]), uchar(Data[15 + 3 * Index]));
  QCOMPARE(Picture.Info().Frame, QRect(25, 0, 50, 50));
  QVERIFY(Picture.Info().DeclaresTransparency);
  const QImage Drawn = DrawOver(Picture, Fill);
  const QImage Bitmap = Picture.ToBitmapImage();
  for (int Y = 0; Y < 50; ++Y)
    for (int X = 0; X < 25; ++X) {
      QCOMPARE(Drawn.pixel(X, Y), Background);
      QCOMPARE(Bitmap.pixel(X, Y), Background);
    }
}

void TGifTest::Drawing_data() {
  QTest::addColumn<QByteArray>("Data");
  QTest::addColumn<QSize>("Screen");
  QTest::addColumn<QList<QRgb>>("Drawn");  // over Fill, row by row
  QTest::addColumn<QList<QRgb>>("Bitmap"); // the working bitmap
  QTest::addColumn<int>("Frames");
  const QByteArray Blue4x3 = Header(4, 3, Four, 2); // background: blue
  const QByteArray Small = Frame(1, 1, 2, 2, {0, 1, 1, 3});
  const QRgb F = Fill, B = Blue, W = White;
  QTest::addRow("transparent frame on background")
      << Blue4x3 + Gce(1) + Small + Trailer() << QSize(4, 3)
      << QList<QRgb>{B, B, B, B, B, Red, Green, B, B, Green, W, B}
      << QList<QRgb>{B, B, B, B, B, Red, B, B, B, B, W, B} << 1;
  QTest::addRow("opaque frame alone")
      << Blue4x3 + Small + Trailer() << QSize(4, 3)
      << QList<QRgb>{F, F, F, F, F, Red, Green, F, F, Green, W, F}
      << QList<QRgb>{W, W, W, W, W, Red, Green, W, W, Green, W, W} << 1;
  QTest::addRow("frame clipped to the screen")
      << Header(3, 3, Four) + Frame(1, 1, 3, 3, {0, 1, 2, 3, 0, 1, 2, 3, 0}) + Trailer()
      << QSize(3, 3) << QList<QRgb>{F, F, F, F, Red, Green, F, W, Red}
      << QList<QRgb>{W, W, W, W, Red, Green, W, W, Red} << 1;
  QTest::addRow("index beyond the table is black")
      << Header(4, 1, {Red, Green}) + Frame(0, 0, 4, 1, {0, 1, 2, 3}) + Trailer() << QSize(4, 1)
      << QList<QRgb>{Red, Green, Black, Black} << QList<QRgb>{Red, Green, Black, Black} << 1;
  QTest::addRow("background index beyond the table is white")
      << Header(2, 1, {Red, Green}, 5) + Gce(0) + Frame(1, 0, 1, 1, {1}) + Trailer() << QSize(2, 1)
      << QList<QRgb>{W, Green} << QList<QRgb>{W, Green} << 1;
  QTest::addRow("transparent pixel on white without a global table")
      << Header(2, 1, {}) + Gce(0) + Frame(0, 0, 1, 1, {0}, {Grey, Red}) + Trailer() << QSize(2, 1)
      << QList<QRgb>{Grey, W} << QList<QRgb>{W, W} << 1;
  QTest::addRow("local table over the global one")
      << Header(2, 1, Four) + Frame(0, 0, 2, 1, {0, 1}, {Grey, Black}) + Trailer() << QSize(2, 1)
      << QList<QRgb>{Grey, Black} << QList<QRgb>{Grey, Black} << 1;
  QTest::addRow("no colour table at all")
      << Header(2, 1, {}) + Frame(0, 0, 2, 1, {0, 1}) + Trailer() << QSize(2, 1)
      << QList<QRgb>{Black, Black} << QList<QRgb>{Black, Black} << 1;
  QList<QRgb> Sixteen;
  QList<int> Column;
  for (int I = 0; I < 16; ++I)
    Sixteen.append(qRgb(I * 16, 255 - I * 16, I));
  for (int I = 0; I < 11; ++I)
    Column.append(I);
  QTest::addRow("interlaced rows")
      << Header(1, 11, Sixteen) + Frame(0, 0, 1, 11, Column, {}, true, 4) + Trailer()
      << QSize(1, 11) << Sixteen.mid(0, 11) << Sixteen.mid(0, 11) << 1;
  QTest::addRow("later frames parsed, not shown")
      << Header(2, 1, Four) + Frame(0, 0, 2, 1, {0, 1}) + Gce(0) + Frame(0, 0, 2, 1, {2, 2}) +
             QByteArray("\x21\xFE\x02hi\x00", 6) + Frame(0, 0, 2, 1, {3, 3}) + Trailer()
      << QSize(2, 1) << QList<QRgb>{Red, Green} << QList<QRgb>{Red, Green} << 3;
  QTest::addRow("empty first frame on background")
      << Header(2, 1, Four, 2) + Gce(0) + Descriptor(0, 0, 0, 0) + ImageData({}) + Trailer()
      << QSize(2, 1) << QList<QRgb>{B, B} << QList<QRgb>{B, B} << 1;
  // Data ending early keeps the rows decoded; the frame after it is still parsed.
  const QByteArray Header2x3 = Header(2, 3, Four);
  const QByteArray Next = Frame(0, 0, 1, 1, {0});
  QTest::addRow("end code after two rows of three")
      << Header2x3 + Descriptor(0, 0, 2, 3) + char(2) +
             SubBlocks(Pack(Codes({0, 1, 2, 0}, 2) + QList<int>{5}, 3)) + Next + Trailer()
      << QSize(2, 3) << QList<QRgb>{Red, Green, Blue, Red, F, F}
      << QList<QRgb>{Red, Green, Blue, Red, W, W} << 2;
  QTest::addRow("sub-blocks ending after two rows of three")
      << Header2x3 + Descriptor(0, 0, 2, 3) + char(8) + SubBlocks(Pack(Codes({0, 1, 2, 0}, 8), 9)) +
             Next + Trailer()
      << QSize(2, 3) << QList<QRgb>{Red, Green, Blue, Red, F, F}
      << QList<QRgb>{Red, Green, Blue, Red, W, W} << 2;
  QTest::addRow("file ending inside the image data")
      << Header2x3 + Descriptor(0, 0, 2, 3) + char(8) +
             SubBlocks(Pack(Codes({0, 1, 2, 0}, 8), 9), false)
      << QSize(2, 3) << QList<QRgb>{Red, Green, Blue, Red, F, F}
      << QList<QRgb>{Red, Green, Blue, Red, W, W} << 1;
  QTest::addRow("unknown block after the frame")
      << Header(1, 1, Four) + Frame(0, 0, 1, 1, {2}) + "\x07junk" << QSize(1, 1)
      << QList<QRgb>{Blue} << QList<QRgb>{Blue} << 1;
  QTest::addRow("no trailer") << Header(1, 1, Four) + Frame(0, 0, 1, 1, {3}) << QSize(1, 1)
                              << QList<QRgb>{W} << QList<QRgb>{W} << 1;
}

void TGifTest::Drawing() {
  QFETCH(QByteArray, Data);
  QFETCH(QSize, Screen);
  QFETCH(QList<QRgb>, Drawn);
  QFETCH(QList<QRgb>, Bitmap);
  QFETCH(int, Frames);
  TGIFImage Picture;
  QCOMPARE(LoadError(Picture, Data), QString());
  QCOMPARE(QSize(Picture.Width(), Picture.Height()), Screen);
  QCOMPARE(Picture.Info().FrameCount, Frames);
  QCOMPARE(Pixels(DrawOver(Picture, Fill)), Drawn);
  const QImage Working = Picture.ToBitmapImage();
  QCOMPARE(Working.format(), QImage::Format_RGB32);
  QCOMPARE(Pixels(Working), Bitmap);
}

// Drawn at twice its size, the frame keeps its place on the doubled screen: every screen
// pixel becomes a 2 x 2 block.
void TGifTest::ScaledLikeTheWholePicture() {
  TGIFImage Picture;
  QCOMPARE(
      LoadError(Picture, Header(3, 2, Four, 2) + Gce(0) + Frame(1, 1, 2, 1, {0, 3}) + Trailer()),
      QString());
  const QList<QRgb> Screen = {Blue, Blue, Blue, Blue, Red, White};
  QImage Canvas(6, 4, QImage::Format_RGB32);
  Canvas.fill(Fill);
  QPainter Painter(&Canvas);
  Picture.Draw(Painter, QRect(0, 0, 6, 4), QRect(0, 0, 6, 4));
  for (int Y = 0; Y < 4; ++Y)
    for (int X = 0; X < 6; ++X)
      QCOMPARE(Canvas.pixel(X, Y), Screen[(Y / 2) * 3 + X / 2]);
}

void TGifTest::Messages_data() {
  QTest::addColumn<QByteArray>("Data");
  QTest::addColumn<QString>("Message");
  const QByteArray Head = Header(2, 2, Four);
  const QByteArray Good = Frame(0, 0, 2, 2, {0, 1, 2, 3});
  QTest::addRow("empty file") << QByteArray() << InvalidSignature;
  QTest::addRow("PNG file") << QByteArray("\x89PNG\r\n\x1a\n", 8) << InvalidSignature;
  QTest::addRow("GIX signature") << "GIX89a" + Head.mid(6) + Good + Trailer() << InvalidSignature;
  QTest::addRow("signature only") << QByteArray("GIF89a") << PrematureEnd;
  QTest::addRow("cut in screen descriptor") << Head.left(9) << PrematureEnd;
  QTest::addRow("cut in global table") << Head.left(16) << PrematureEnd;
  QTest::addRow("cut in image descriptor") << Head + Good.left(5) << PrematureEnd;
  QTest::addRow("cut in local table")
      << Head + Descriptor(0, 0, 1, 1, Four).left(14) << PrematureEnd;
  QTest::addRow("cut before code size") << Head + Descriptor(0, 0, 1, 1) << PrematureEnd;
  QTest::addRow("cut in extension") << Head + QByteArray("\x21\xFE\x05"
                                                         "ab",
                                                         5)
                                    << PrematureEnd;
  QTest::addRow("cut in later descriptor") << Head + Good + Good.left(4) << PrematureEnd;
  QTest::addRow("extensions only, then the end") << Head + Gce(1) << PrematureEnd;
  QTest::addRow("no frame") << Head + Trailer() << InvalidData;
  QTest::addRow("no frame, unknown block") << Head + "\x05" << InvalidData;
  QTest::addRow("code size 12") << Head + Descriptor(0, 0, 1, 1) + char(12) + char(0) + Trailer()
                                << InvalidData;
  QTest::addRow("screen 0 wide") << Header(0, 2, Four) + Good + Trailer() << InvalidData;
  QTest::addRow("unknown extension label")
      << Head + QByteArray("\x21\x42\x01x\x00", 5) + Good + Trailer() << InvalidExtension;
  // Right after a clear, code 7 names a table entry that does not exist.
  QTest::addRow("undefined table entry")
      << Head + Descriptor(0, 0, 2, 2) + char(2) + SubBlocks(Pack({4, 7, 1}, 3)) + Trailer()
      << Circular;
  QTest::addRow("huge screen") << Header(65535, 65535, Four) + Good + Trailer()
                               << "Picture too large (65535 x 65535 pixels)";
  QTest::addRow("huge first frame")
      << Head + Descriptor(0, 0, 65535, 65535) + ImageData({0}) + Trailer()
      << "Picture too large (65535 x 65535 pixels)";
  QTest::addRow("huge later frame is skipped")
      << Head + Good + Descriptor(0, 0, 65535, 65535) + ImageData({0}) + Trailer() << QString();
}

void TGifTest::Messages() {
  QFETCH(QByteArray, Data);
  QFETCH(QString, Message);
  TGIFImage Picture;
  QCOMPARE(LoadError(Picture, Data), Message);
}

void TGifTest::FailedLoadKeepsOldPicture() {
  TGIFImage Picture;
  QCOMPARE(LoadError(Picture, Header(2, 1, Four) + Frame(0, 0, 2, 1, {1, 2}) + Trailer()),
           QString());
  QCOMPARE(LoadError(Picture, Header(5, 5, Four) + Trailer()), InvalidData);
  QCOMPARE(QSize(Picture.Width(), Picture.Height()), QSize(2, 1));
  QCOMPARE(Pixels(DrawOver(Picture, Fill)), (QList<QRgb>{Green, Blue}));
}

QTEST_MAIN(TGifTest)
#include "tst_gif.moc"
