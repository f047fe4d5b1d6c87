// Quarter turns and mirrors of pixels: the 3 x 2 example, strips, every pixel format, and
// the group laws, each checked pixel by pixel.
#include "picture/transform.h"
#include "support/transformtarget.h"

#include <QTest>

#include <cstring>

namespace {

const TTransform AllTransforms[] = {TTransform::LeftRotate, TTransform::RightRotate,
                                    TTransform::TopMirror, TTransform::LeftMirror};

const char *NameOf(TTransform Transform) {
  switch (Transform) {
  case TTransform::LeftRotate:
    return "LeftRotate";
  case TTransform::RightRotate:
    return "RightRotate";
  case TTransform::TopMirror:
    return "TopMirror";
  case TTransform::LeftMirror:
    return "LeftMirror";
  }
  return "?";
}

// Pseudo-random bytes in every pixel, so no wrong move can match by chance; for palette
// formats random indexes into a random colour table.
QImage Random(QSize Size, QImage::Format Format, quint32 Seed) {
  QImage Image(Size, Format);
  quint32 State = Seed;
  const auto Next = [&State] {
    State = State * 1664525u + 1013904223u;
    return State >> 24;
  };
  if (Format == QImage::Format_Indexed8 || Format == QImage::Format_Mono ||
      Format == QImage::Format_MonoLSB) {
    QList<QRgb> Colours;
    for (int I = 0; I < (Format == QImage::Format_Indexed8 ? 200 : 2); ++I)
      Colours.append(qRgb(int(Next()), int(Next()), int(Next())));
    Image.setColorTable(Colours);
    for (int Y = 0; Y < Size.height(); ++Y)
      for (int X = 0; X < Size.width(); ++X)
        Image.setPixel(X, Y, uint(Next() % quint32(Colours.size())));
    return Image;
  }
  const qsizetype RowBytes = (qsizetype(Size.width()) * Image.depth() + 7) / 8;
  for (int Y = 0; Y < Size.height(); ++Y) {
    uchar *Row = Image.scanLine(Y);
    for (qsizetype I = 0; I < RowBytes; ++I)
      Row[I] = uchar(Next());
  }
  return Image;
}

// Whether pixel (AX, AY) of A has the same bits as pixel (BX, BY) of B, whatever the format
// (the 1-bit formats through their index).
bool SamePixel(const QImage &A, int AX, int AY, const QImage &B, int BX, int BY) {
  if (A.depth() < 8)
    return A.pixelIndex(AX, AY) == B.pixelIndex(BX, BY);
  const int Bytes = A.depth() / 8;
  return std::memcmp(A.constScanLine(AY) + qsizetype(AX) * Bytes,
                     B.constScanLine(BY) + qsizetype(BX) * Bytes, size_t(Bytes)) == 0;
}

// Every source pixel is at its target place in Result, with the same bits; every target
// pixel is reached once because the map is one to one and the sizes match.
void CheckMoved(const QImage &Source, TTransform Transform, const QImage &Result) {
  const int W = Source.width();
  const int H = Source.height();
  const QSize Expected = (Transform == TTransform::LeftRotate ||
                          Transform == TTransform::RightRotate)
                             ? QSize(H, W)
                             : QSize(W, H);
  QCOMPARE(Result.size(), Expected);
  QCOMPARE(Result.format(), Source.format());
  QCOMPARE(Result.colorTable(), Source.colorTable());
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      const QPoint To = TargetOf(Transform, X, Y, W, H);
      if (!SamePixel(Result, To.x(), To.y(), Source, X, Y))
        QFAIL(qPrintable(QStringLiteral("%1: source %2,%3 not at %4,%5")
                             .arg(NameOf(Transform))
                             .arg(X).arg(Y).arg(To.x()).arg(To.y())));
    }
}

void CheckSame(const QImage &Expected, const QImage &Got) {
  QCOMPARE(Got.size(), Expected.size());
  QCOMPARE(Got.format(), Expected.format());
  for (int Y = 0; Y < Expected.height(); ++Y)
    for (int X = 0; X < Expected.width(); ++X)
      if (!SamePixel(Got, X, Y, Expected, X, Y))
        QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs").arg(X).arg(Y)));
}

QImage Apply(QImage Image, std::initializer_list<TTransform> Steps) {
  for (TTransform Step : Steps)
    Image = TransformPixels(Image, Step);
  return Image;
}

} // namespace

class TTransformTest : public QObject {
  Q_OBJECT
private slots:
  void ThreeByTwo_data();
  void ThreeByTwo();
  void Moves_data();
  void Moves();
  void GroupLaws_data();
  void GroupLaws();
  void PaletteKept();
  void NullGivesNull();
};

// a b c        LeftRotate: c f / b e / a d     RightRotate: d a / e b / f c
// d e f        LeftMirror: c b a / f e d       TopMirror:   d e f / a b c
void TTransformTest::ThreeByTwo_data() {
  QTest::addColumn<int>("Transform");
  QTest::addColumn<int>("Format");
  QTest::addColumn<QStringList>("Rows");
  const struct {
    TTransform Transform;
    QStringList Rows;
  } Cases[] = {{TTransform::LeftRotate, {"cf", "be", "ad"}},
               {TTransform::RightRotate, {"da", "eb", "fc"}},
               {TTransform::LeftMirror, {"cba", "fed"}},
               {TTransform::TopMirror, {"def", "abc"}}};
  const QImage::Format Formats[] = {QImage::Format_RGB32, QImage::Format_ARGB32,
                                    QImage::Format_Indexed8, QImage::Format_RGB888,
                                    QImage::Format_RGB16, QImage::Format_RGBA64};
  for (const auto &Case : Cases)
    for (QImage::Format Format : Formats)
      QTest::addRow("%s %d", NameOf(Case.Transform), int(Format))
          << int(Case.Transform) << int(Format) << Case.Rows;
}

void TTransformTest::ThreeByTwo() {
  QFETCH(int, Transform);
  QFETCH(int, Format);
  QFETCH(QStringList, Rows);
  // Six colours that every format here holds exactly.
  const QHash<QChar, QRgb> Colour{{'a', qRgb(255, 0, 0)},   {'b', qRgb(0, 255, 0)},
                                  {'c', qRgb(0, 0, 255)},   {'d', qRgb(255, 255, 0)},
                                  {'e', qRgb(0, 255, 255)}, {'f', qRgb(255, 0, 255)}};
  QImage Source(3, 2, QImage::Format_RGB32);
  const QString Letters = "abcdef";
  for (int I = 0; I < 6; ++I)
    Source.setPixel(I % 3, I / 3, Colour[Letters[I]]);
  Source = Source.convertToFormat(QImage::Format(Format), Qt::ThresholdDither);
  const QImage Result = TransformPixels(Source, TTransform(Transform));
  QCOMPARE(Result.format(), Source.format());
  QCOMPARE(Result.size(), QSize(Rows[0].size(), Rows.size()));
  for (int Y = 0; Y < Rows.size(); ++Y)
    for (int X = 0; X < Rows[Y].size(); ++X)
      QCOMPARE(QColor(Result.pixel(X, Y)), QColor(Colour[Rows[Y][X]]));
}

// Every move of every pixel, for strips, single pixels and odd sizes, in every depth; for
// 32-bit pixels, which have a turn of their own, sizes around its 16-pixel blocks and
// targets large enough for its streaming writes.
void TTransformTest::Moves_data() {
  QTest::addColumn<QSize>("Size");
  QTest::addColumn<int>("Format");
  const QSize Sizes[] = {QSize(1, 1), QSize(1, 9), QSize(9, 1), QSize(7, 5), QSize(259, 270)};
  const QImage::Format Formats[] = {QImage::Format_RGB32,    QImage::Format_ARGB32,
                                    QImage::Format_Indexed8, QImage::Format_Grayscale8,
                                    QImage::Format_RGB16,    QImage::Format_RGB888,
                                    QImage::Format_RGBA64,   QImage::Format_RGBA32FPx4,
                                    QImage::Format_Mono,     QImage::Format_MonoLSB};
  for (QSize Size : Sizes)
    for (QImage::Format Format : Formats)
      QTest::addRow("%dx%d format %d", Size.width(), Size.height(), int(Format))
          << Size << int(Format);
  for (QSize Size : {QSize(16, 16), QSize(17, 15), QSize(33, 48), QSize(64, 65), QSize(1001, 3),
                     QSize(2048, 2064), QSize(2053, 2051)})
    QTest::addRow("%dx%d 32 bits", Size.width(), Size.height()) << Size << int(QImage::Format_RGB32);
}

void TTransformTest::Moves() {
  QFETCH(QSize, Size);
  QFETCH(int, Format);
  const QImage Source = Random(Size, QImage::Format(Format), quint32(Size.width() * 7919 + Format));
  for (TTransform Transform : AllTransforms) {
    CheckMoved(Source, Transform, TransformPixels(Source, Transform));
    if (QTest::currentTestFailed())
      return;
  }
}

// On odd sizes, where the first and last rows and columns have no partner of their own:
// four turns either way, a turn and its inverse, a mirror twice give the picture back; two
// turns are the two mirrors.
void TTransformTest::GroupLaws_data() {
  QTest::addColumn<QSize>("Size");
  QTest::addColumn<int>("Format");
  for (QSize Size : {QSize(7, 5), QSize(1001, 3), QSize(3, 1001), QSize(33, 17), QSize(1, 1)}) {
    QTest::addRow("%dx%d RGB32", Size.width(), Size.height())
        << Size << int(QImage::Format_RGB32);
    QTest::addRow("%dx%d Indexed8", Size.width(), Size.height())
        << Size << int(QImage::Format_Indexed8);
  }
}

void TTransformTest::GroupLaws() {
  QFETCH(QSize, Size);
  QFETCH(int, Format);
  const QImage Start = Random(Size, QImage::Format(Format), 4242u + quint32(Size.width()));
  using T = TTransform;
  CheckSame(Start, Apply(Start, {T::LeftRotate, T::LeftRotate, T::LeftRotate, T::LeftRotate}));
  CheckSame(Start, Apply(Start, {T::RightRotate, T::RightRotate, T::RightRotate, T::RightRotate}));
  CheckSame(Start, Apply(Start, {T::LeftRotate, T::RightRotate}));
  CheckSame(Start, Apply(Start, {T::RightRotate, T::LeftRotate}));
  CheckSame(Start, Apply(Start, {T::LeftMirror, T::LeftMirror}));
  CheckSame(Start, Apply(Start, {T::TopMirror, T::TopMirror}));
  CheckSame(Apply(Start, {T::LeftRotate, T::LeftRotate}),
            Apply(Start, {T::TopMirror, T::LeftMirror}));
  CheckSame(Apply(Start, {T::RightRotate}),
            Apply(Start, {T::LeftRotate, T::TopMirror, T::LeftMirror}));
}

void TTransformTest::PaletteKept() {
  const QImage Source = Random(QSize(5, 3), QImage::Format_Indexed8, 77u);
  for (TTransform Transform : AllTransforms) {
    const QImage Result = TransformPixels(Source, Transform);
    QCOMPARE(Result.format(), QImage::Format_Indexed8);
    QCOMPARE(Result.colorTable(), Source.colorTable());
    CheckMoved(Source, Transform, Result);
  }
}

void TTransformTest::NullGivesNull() {
  for (TTransform Transform : AllTransforms)
    QVERIFY(TransformPixels(QImage(), Transform).isNull());
}

QTEST_APPLESS_MAIN(TTransformTest)
#include "tst_transform.moc"
