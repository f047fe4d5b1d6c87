// The built-in artwork: the fixed facts the main window relies on. Each picture is read back
// as raw bytes from the resources and its container parsed here, byte by byte, so a writer
// that slips (a progressive or grey JPEG, a 32-bit or top-down BMP, a missing icon size) is
// caught; the pixels are then decoded and checked where the window depends on them (the
// device's screen under the wallpaper frame, the glyphs' transparent key, white edges).

#include "support/filebytes.h"
#include "support/jpegfacts.h"

#include <QFile>
#include <QImage>
#include <QtEndian>
#include <QTest>

#include <cmath>

namespace {

quint16 U16(const QByteArray &Data, qsizetype At) {
  return qFromLittleEndian<quint16>(Data.constData() + At);
}

quint32 U32(const QByteArray &Data, qsizetype At) {
  return qFromLittleEndian<quint32>(Data.constData() + At);
}

qint32 I32(const QByteArray &Data, qsizetype At) {
  return qFromLittleEndian<qint32>(Data.constData() + At);
}

int Byte(const QByteArray &Data, qsizetype At) { return int(quint8(Data[At])); }

double Luma(QRgb Pixel) {
  return 0.299 * qRed(Pixel) + 0.587 * qGreen(Pixel) + 0.114 * qBlue(Pixel);
}

// The device's screen: where the main window lays the 480 x 272 wallpaper frame over the
// photograph (the frame's offset from the photograph's top-left corner).
const QRect ScreenInPhoto(170, 22, 480, 272);

}  // namespace

class TArtworkTest : public QObject {
  Q_OBJECT

private slots:
  void JpegIsBaselineColour_data();
  void JpegIsBaselineColour();
  void GlyphIsBottomUpBmp24_data();
  void GlyphIsBottomUpBmp24();
  void IconPngHasAlpha_data();
  void IconPngHasAlpha();
  void IcoHolds32BitEntries();
  void DeviceScreenLiesUnderFrame();
};

void TArtworkTest::JpegIsBaselineColour_data() {
  QTest::addColumn<QString>("Path");
  QTest::addColumn<QSize>("Size");
  QTest::addColumn<bool>("OnWhite");
  QTest::addRow("device photograph") << ":/device.jpg" << QSize(826, 350) << true;
  QTest::addRow("default wallpaper") << ":/wallpaper.jpg" << QSize(480, 272) << false;
  QTest::addRow("banner") << ":/banner.jpg" << QSize(350, 70) << true;
}

void TArtworkTest::JpegIsBaselineColour() {
  QFETCH(QString, Path);
  QFETCH(QSize, Size);
  QFETCH(bool, OnWhite);
  const QByteArray Data = ReadBytes(Path);
  QVERIFY2(!Data.isEmpty(), qPrintable(Path + " is not in the resources"));
  const TJpegFacts Facts = ReadJpegFacts(Data);
  QCOMPARE(Facts.Frames, 1);
  QCOMPARE(Facts.FrameMarker, 0xC0);  // SOF0: baseline sequential, Huffman coded
  QCOMPARE(Facts.Precision, 8);
  QCOMPARE(Facts.Sampling.size(), 3);
  QCOMPARE(QSize(Facts.Width, Facts.Height), Size);

  QImage Image;
  QVERIFY(Image.loadFromData(Data, "JPG"));
  QCOMPARE(Image.size(), Size);
  QVERIFY2(!Image.isGrayscale(), "a colour picture decodes with colour");
  if (OnWhite) {
    // The picture stands on the window's white: its corners must not show as a box.
    for (const QPoint Corner :
         {QPoint(0, 0), QPoint(Size.width() - 1, 0), QPoint(0, Size.height() - 1),
          QPoint(Size.width() - 1, Size.height() - 1)}) {
      const QRgb Pixel = Image.pixel(Corner);
      QVERIFY2(
          qRed(Pixel) >= 248 && qGreen(Pixel) >= 248 && qBlue(Pixel) >= 248,
          qPrintable(QStringLiteral("corner %1,%2 is not white").arg(Corner.x()).arg(Corner.y())));
    }
  }
}

void TArtworkTest::GlyphIsBottomUpBmp24_data() {
  QTest::addColumn<QString>("Name");
  QTest::addColumn<QSize>("Size");
  QTest::addRow("open") << "open" << QSize(22, 22);
  QTest::addRow("save") << "save" << QSize(22, 22);
  QTest::addRow("close") << "close" << QSize(22, 24);
  QTest::addRow("font") << "font" << QSize(20, 24);
  QTest::addRow("color") << "color" << QSize(23, 23);
  QTest::addRow("rotateleft") << "rotateleft" << QSize(20, 23);
  QTest::addRow("rotateright") << "rotateright" << QSize(20, 24);
  QTest::addRow("mirrortop") << "mirrortop" << QSize(24, 21);
  QTest::addRow("mirrorleft") << "mirrorleft" << QSize(24, 21);
}

void TArtworkTest::GlyphIsBottomUpBmp24() {
  QFETCH(QString, Name);
  QFETCH(QSize, Size);
  const QByteArray Data = ReadBytes(":/glyphs/" + Name + ".bmp");
  QVERIFY2(Data.size() > 54, "glyph missing from the resources");
  QCOMPARE(Data.left(2), QByteArray("BM"));
  QCOMPARE(qsizetype(U32(Data, 2)), Data.size());
  const quint32 PixelsAt = U32(Data, 10);
  QCOMPARE(U32(Data, 14), 40u);  // BITMAPINFOHEADER
  QCOMPARE(I32(Data, 18), Size.width());
  QCOMPARE(I32(Data, 22), Size.height());  // positive: rows stored bottom-up
  QCOMPARE(U16(Data, 26), quint16(1));
  QCOMPARE(U16(Data, 28), quint16(24));
  QCOMPARE(U32(Data, 30), 0u);  // BI_RGB
  const int Stride = (Size.width() * 3 + 3) / 4 * 4;
  QVERIFY(qsizetype(PixelsAt) + qsizetype(Stride) * Size.height() <= Data.size());

  // The first stored row is the bottom one: its first pixel is the lower-left, the colour
  // the button leaves transparent.
  const QRgb Key = qRgb(Byte(Data, PixelsAt + 2), Byte(Data, PixelsAt + 1), Byte(Data, PixelsAt));
  QImage Image;
  QVERIFY(Image.loadFromData(Data, "BMP"));
  QCOMPARE(Image.size(), Size);
  QCOMPARE(Image.pixel(0, Size.height() - 1) & 0xFFFFFF, Key & 0xFFFFFF);

  // The drawing covers a fair part of the glyph, and its edges were not smoothed against the
  // key (such pixels would show as a coloured fringe once the key is dropped).
  int Drawn = 0;
  for (int Y = 0; Y < Size.height(); ++Y)
    for (int X = 0; X < Size.width(); ++X) {
      const QRgb Pixel = Image.pixel(X, Y);
      if ((Pixel & 0xFFFFFF) == (Key & 0xFFFFFF))
        continue;
      ++Drawn;
      const int Distance = std::abs(qRed(Pixel) - qRed(Key)) +
                           std::abs(qGreen(Pixel) - qGreen(Key)) +
                           std::abs(qBlue(Pixel) - qBlue(Key));
      QVERIFY2(Distance > 90,
               qPrintable(QStringLiteral("pixel %1,%2 is nearly the key colour").arg(X).arg(Y)));
    }
  const int Area = Size.width() * Size.height();
  QVERIFY2(Drawn > Area / 6, "the glyph is almost empty");
  QVERIFY2(Drawn < Area * 9 / 10, "the glyph leaves almost no background");
}

void TArtworkTest::IconPngHasAlpha_data() {
  QTest::addColumn<int>("Size");
  QTest::addRow("16") << 16;
  QTest::addRow("32") << 32;
}

void TArtworkTest::IconPngHasAlpha() {
  QFETCH(int, Size);
  const QByteArray Data = ReadBytes(QStringLiteral(":/icon/zelvane-%1.png").arg(Size));
  QVERIFY2(Data.size() > 33, "icon missing from the resources");
  QCOMPARE(Data.left(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
  // IHDR: width, height (big-endian), bit depth 8, colour type 6 (RGBA).
  QCOMPARE(Data.mid(12, 4), QByteArray("IHDR"));
  QCOMPARE(qFromBigEndian<quint32>(Data.constData() + 16), quint32(Size));
  QCOMPARE(qFromBigEndian<quint32>(Data.constData() + 20), quint32(Size));
  QCOMPARE(Byte(Data, 24), 8);
  QCOMPARE(Byte(Data, 25), 6);
  QImage Image;
  QVERIFY(Image.loadFromData(Data, "PNG"));
  // A rounded tile: see-through corners, an opaque middle.
  QCOMPARE(qAlpha(Image.pixel(0, 0)), 0);
  QCOMPARE(qAlpha(Image.pixel(Size - 1, Size - 1)), 0);
  QCOMPARE(qAlpha(Image.pixel(Size / 2, Size / 2)), 255);
}

void TArtworkTest::IcoHolds32BitEntries() {
  const QByteArray Data = ReadBytes(QStringLiteral(ZELVANE_ASSETS_DIR "/icon/zelvane.ico"));
  QVERIFY2(Data.size() > 6, "zelvane.ico missing");
  QCOMPARE(U16(Data, 0), quint16(0));
  QCOMPARE(U16(Data, 2), quint16(1));  // icon
  const int Count = U16(Data, 4);
  QVERIFY(Data.size() >= 6 + 16 * Count);
  QList<int> Sizes;
  for (int I = 0; I < Count; ++I) {
    const qsizetype Entry = 6 + 16 * I;
    const int Size = Byte(Data, Entry) == 0 ? 256 : Byte(Data, Entry);
    QCOMPARE(Byte(Data, Entry + 1) == 0 ? 256 : Byte(Data, Entry + 1), Size);
    QCOMPARE(U16(Data, Entry + 6), quint16(32));
    const quint32 Bytes = U32(Data, Entry + 8), At = U32(Data, Entry + 12);
    QVERIFY(qsizetype(At) + qsizetype(Bytes) <= Data.size());
    Sizes.append(Size);
    if (Size != 16 && Size != 32)
      continue;
    // A 32-bit DIB: BGRA rows bottom-up at twice the height (pixels, then the AND mask).
    QCOMPARE(U32(Data, At), 40u);
    QCOMPARE(I32(Data, At + 4), Size);
    QCOMPARE(I32(Data, At + 8), 2 * Size);
    QCOMPARE(U16(Data, At + 14), quint16(32));
    const int MaskStride = (Size + 31) / 32 * 4;
    QCOMPARE(Bytes, quint32(40 + Size * Size * 4 + MaskStride * Size));
    // The entry shows the same picture as the PNG of that size, and its mask marks exactly
    // the fully transparent pixels.
    QImage Png;
    QVERIFY(Png.loadFromData(ReadBytes(QStringLiteral(":/icon/zelvane-%1.png").arg(Size)), "PNG"));
    Png = Png.convertToFormat(QImage::Format_ARGB32);
    const qsizetype Pixels = At + 40, Mask = Pixels + qsizetype(Size) * Size * 4;
    for (int Row = 0; Row < Size; ++Row)
      for (int X = 0; X < Size; ++X) {
        const int Y = Size - 1 - Row;
        const qsizetype P = Pixels + (qsizetype(Row) * Size + X) * 4;
        const QRgb Dib =
            qRgba(Byte(Data, P + 2), Byte(Data, P + 1), Byte(Data, P), Byte(Data, P + 3));
        QCOMPARE(Dib, Png.pixel(X, Y));
        const bool Masked = (Byte(Data, Mask + Row * MaskStride + X / 8) >> (7 - X % 8)) & 1;
        QCOMPARE(Masked, qAlpha(Dib) == 0);
      }
  }
  QVERIFY2(Sizes.contains(16), "no 16 x 16 entry");
  QVERIFY2(Sizes.contains(32), "no 32 x 32 entry");
}

void TArtworkTest::DeviceScreenLiesUnderFrame() {
  QImage Photo;
  QVERIFY(Photo.load(":/device.jpg"));
  Photo = Photo.convertToFormat(QImage::Format_RGB32);
  const QRect S = ScreenInPhoto;

  // The screen area: dark and even, as a switched-off display is.
  double Sum = 0, Squares = 0;
  for (int Y = S.top(); Y <= S.bottom(); ++Y)
    for (int X = S.left(); X <= S.right(); ++X) {
      const double L = Luma(Photo.pixel(X, Y));
      Sum += L;
      Squares += L * L;
    }
  const double Count = double(S.width()) * S.height();
  const double Mean = Sum / Count,
               Deviation = std::sqrt(std::max(0.0, Squares / Count - Mean * Mean));
  QVERIFY2(Mean < 40, qPrintable(QStringLiteral("screen mean brightness %1").arg(Mean)));
  QVERIFY2(Deviation < 3, qPrintable(QStringLiteral("screen brightness spread %1").arg(Deviation)));

  // The screen's own edge pixels are screen like the rest, and just outside them, all the
  // way round, lies the darker mask of the bezel: the frame covers the screen to its last
  // pixel and not one pixel of anything else.
  // Returns what is wrong with the pixel, or nothing.
  const auto Fault = [&](int X, int Y, bool IsScreen) {
    const double L = Luma(Photo.pixel(X, Y));
    if (IsScreen ? std::abs(L - Mean) < 6 : L < Mean - 10)
      return QString();
    return QStringLiteral("%1 at %2,%3: brightness %4 against the screen's %5")
        .arg(IsScreen ? "screen edge" : "bezel")
        .arg(X)
        .arg(Y)
        .arg(L)
        .arg(Mean);
  };
  QStringList Faults;
  for (int X = S.left(); X <= S.right(); ++X)
    Faults << Fault(X, S.top(), true) << Fault(X, S.bottom(), true) << Fault(X, S.top() - 1, false)
           << Fault(X, S.bottom() + 1, false);
  for (int Y = S.top(); Y <= S.bottom(); ++Y)
    Faults << Fault(S.left(), Y, true) << Fault(S.right(), Y, true) << Fault(S.left() - 1, Y, false)
           << Fault(S.right() + 1, Y, false);
  Faults.removeAll(QString());
  QVERIFY2(Faults.isEmpty(), qPrintable(Faults.mid(0, 5).join("; ")));

  // Further out the bezel stays dark: the frame's edge never lands on the shell.
  for (int Ring = 2; Ring <= 4; ++Ring) {
    const QRect Around = S.adjusted(-Ring, -Ring, Ring, Ring);
    for (int X = Around.left(); X <= Around.right(); ++X)
      for (const int Y : {Around.top(), Around.bottom()})
        QVERIFY2(Luma(Photo.pixel(X, Y)) < 70,
                 qPrintable(QStringLiteral("bezel at %1,%2").arg(X).arg(Y)));
    for (int Y = Around.top(); Y <= Around.bottom(); ++Y)
      for (const int X : {Around.left(), Around.right()})
        QVERIFY2(Luma(Photo.pixel(X, Y)) < 70,
                 qPrintable(QStringLiteral("bezel at %1,%2").arg(X).arg(Y)));
  }

  // The console itself surrounds the screen: left and right of it, at mid height, the
  // picture is not the white background.
  const int Middle = S.center().y();
  double Left = 0, Right = 0;
  for (int Dx = 20; Dx < 120; ++Dx) {
    Left += Luma(Photo.pixel(S.left() - Dx, Middle));
    Right += Luma(Photo.pixel(S.right() + Dx, Middle));
  }
  QVERIFY2(Left / 100 < 160, "no device left of the screen");
  QVERIFY2(Right / 100 < 160, "no device right of the screen");
}

QTEST_GUILESS_MAIN(TArtworkTest)
#include "tst_artwork.moc"
