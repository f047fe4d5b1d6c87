// Metafiles from real documents, played into the wallpaper frame's size and compared with
// pictures an independent renderer made of them (tests/data/metafile/realworld/README.md).
//
// The comparison tolerates what differs between any two renderers (antialiasing, fonts, a
// pixel of rounding) and not what a user sees as wrong: both pictures are averaged over
// 10 x 10 pixel cells, each cell is matched with the closest of the cells around the same
// place in the other picture, and the shares of dark pixels must agree. A wrong colour, a
// figure missing or joined to another, or text in the wrong place moves whole cells.

#include "../picturetesting.h"
#include "metafiletesting.h"

#include <QDirIterator>
#include <QTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

const QSize FrameSize(480, 272);
constexpr int CellSide = 10;
// Mean colour distance of a cell to its closest neighbour, out of 255, beyond which a
// picture is drawn wrong; and the dark shares' allowed difference, a part of the larger.
constexpr double MaxCellDistance = 16;
constexpr double DarkSlack = 0.02, DarkShareSlack = 0.35;
// A cell farther than FarCell from all its neighbours is one a renderer got plainly wrong;
// fonts that differ make some, in either direction, but not MaxFarCells.
constexpr double FarCell = 48;
constexpr int MaxFarCells = 240;

// The files whose reference the renderer itself got wrong (the README says how): these are
// only checked to open and draw.
const QStringList Unchecked{
    "libemf2svg-test-007.emf", "libemf2svg-test-012.emf", "libemf2svg-test-013.emf",
    "libemf2svg-test-168.emf", "libemf2svg-test-177.emf", "libwmf-2doorvan.wmf",
    "libwmf-fjftest.wmf", "poi-63327.emf", "poi-64716_image3.wmf", "poi-SimpleEMF_windows.emf",
    "poi-nested_wmf.emf"};

QImage OnWhite(const QImage &Picture) {
  QImage Canvas = FilledImage(FrameSize, qRgb(255, 255, 255));
  QPainter Painter(&Canvas);
  Painter.setRenderHint(QPainter::SmoothPixmapTransform);
  Painter.drawImage(Canvas.rect(), Picture);
  return Canvas;
}

QImage Played(const QByteArray &File) {
  TMetafile Metafile;
  Metafile.LoadFromBytes(File);
  QImage Canvas = FilledImage(FrameSize, qRgb(255, 255, 255));
  QPainter Painter(&Canvas);
  Metafile.Draw(Painter, Canvas.rect(), Canvas.rect());
  return Canvas;
}

// The mean colour of each cell, as red, green and blue.
using TCells = std::vector<std::array<double, 3>>;
TCells Cells(const QImage &Image) {
  const int Columns = Image.width() / CellSide, Rows = Image.height() / CellSide;
  TCells Result(Columns * Rows, {0, 0, 0});
  for (int Y = 0; Y < Rows * CellSide; ++Y)
    for (int X = 0; X < Columns * CellSide; ++X) {
      const QRgb C = Image.pixel(X, Y);
      auto &Cell = Result[(Y / CellSide) * Columns + X / CellSide];
      Cell[0] += qRed(C), Cell[1] += qGreen(C), Cell[2] += qBlue(C);
    }
  for (auto &Cell : Result)
    for (double &Channel : Cell)
      Channel /= CellSide * CellSide;
  return Result;
}

// The mean, over A's cells, of the largest channel difference to the closest cell of B
// among the same place and its eight neighbours; Far counts the cells farther than FarCell.
double CellDistance(const TCells &A, const TCells &B, int &Far) {
  const int Columns = FrameSize.width() / CellSide, Rows = FrameSize.height() / CellSide;
  double Sum = 0;
  for (int Y = 0; Y < Rows; ++Y)
    for (int X = 0; X < Columns; ++X) {
      double Best = 255;
      for (int Dy = -1; Dy <= 1; ++Dy)
        for (int Dx = -1; Dx <= 1; ++Dx) {
          if (X + Dx < 0 || X + Dx >= Columns || Y + Dy < 0 || Y + Dy >= Rows)
            continue;
          const auto &P = A[Y * Columns + X], &Q = B[(Y + Dy) * Columns + X + Dx];
          Best = std::min(Best, std::max({std::abs(P[0] - Q[0]), std::abs(P[1] - Q[1]),
                                          std::abs(P[2] - Q[2])}));
        }
      Sum += Best;
      Far += Best > FarCell;
    }
  return Sum / (Columns * Rows);
}

double DarkShare(const QImage &Image) {
  return double(CountPixels(Image, Image.rect(), [](QRgb C) { return qGray(C) < 128; })) /
         (Image.width() * Image.height());
}

}  // namespace

class TestMetafileRealWorld : public QObject {
  Q_OBJECT
private slots:
  void matchesReference_data();
  void matchesReference();
};

void TestMetafileRealWorld::matchesReference_data() {
  QTest::addColumn<QString>("Path");
  const QString Root = QStringLiteral(ZELVANE_TESTDATA) + "/metafile/realworld/";
  QDirIterator It(Root, {"*.wmf", "*.emf"}, QDir::Files);
  QStringList Files;
  while (It.hasNext())
    Files << It.next().mid(Root.size());
  Files.sort();
  QVERIFY(Files.size() - Unchecked.size() >= 30);
  for (const QString &File : Files)
    QTest::newRow(qPrintable(File)) << Root + File;
}

void TestMetafileRealWorld::matchesReference() {
  QFETCH(QString, Path);
  const QImage Mine = Played(ReadBytes(Path));
  if (Unchecked.contains(Path.section('/', -1))) {
    QVERIFY(CountPixels(Mine, Mine.rect(), [](QRgb C) { return qGray(C) < 224; }) >= 50);
    return;
  }
  const QImage Reference(Path.left(Path.lastIndexOf('.')) + ".png");
  QVERIFY(!Reference.isNull());
  const QImage Theirs = OnWhite(Reference);
  const TCells A = Cells(Mine), B = Cells(Theirs);
  int Far = 0;
  const double Distance = std::max(CellDistance(A, B, Far), CellDistance(B, A, Far));
  const double MyDark = DarkShare(Mine), TheirDark = DarkShare(Theirs);
  const QString Measures = QString("cell distance %1, far cells %2, dark share %3, reference's %4")
                               .arg(Distance, 0, 'f', 1).arg(Far)
                               .arg(MyDark, 0, 'f', 3).arg(TheirDark, 0, 'f', 3);
  QVERIFY2(Distance <= MaxCellDistance && Far <= MaxFarCells, qPrintable(Measures));
  QVERIFY2(std::abs(MyDark - TheirDark) <= DarkSlack + DarkShareSlack * std::max(MyDark, TheirDark),
           qPrintable(Measures));
}

QTEST_MAIN(TestMetafileRealWorld)
#include "tst_metafilerealworld.moc"
