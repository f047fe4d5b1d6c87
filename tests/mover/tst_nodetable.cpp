// The node table: where each of the eight nodes goes around a control, which edges it moves
// and which cursor it shows.

#include "mover/nodepanel.h"

#include <QTest>

using TCorners = QList<QPoint>;

class TNodeTableTest : public QObject {
  Q_OBJECT
private slots:
  void Origins_data() {
    QTest::addColumn<QRect>("Bounds");
    QTest::addColumn<TCorners>("Expected");
    // Left edges -2, 238, 478 and top edges -2, 134, 270.
    QTest::addRow("control filling the 480 x 272 frame")
        << QRect(0, 0, 480, 272) << TCorners{{-2, -2},   {238, -2},  {478, -2}, {478, 134},
                                             {478, 270}, {238, 270}, {-2, 270}, {-2, 134}};
    // 5 div 2 = 2: the middle nodes share the control's left edge.
    QTest::addRow("control 5 wide")
        << QRect(100, 40, 5, 9) << TCorners{{98, 38},  {100, 38}, {103, 38}, {103, 42},
                                            {103, 47}, {100, 47}, {98, 47},  {98, 42}};
    // 81 div 2 = 40, 45 div 2 = 22.
    QTest::addRow("odd sides, partly left of and above the parent")
        << QRect(-31, -7, 81, 45) << TCorners{{-33, -9}, {7, -9}, {48, -9},  {48, 13},
                                              {48, 36},  {7, 36}, {-33, 36}, {-33, 13}};
    QTest::addRow("empty control")
        << QRect(10, 20, 0, 0)
        << TCorners{{8, 18}, {8, 18}, {8, 18}, {8, 18}, {8, 18}, {8, 18}, {8, 18}, {8, 18}};
  }
  void Origins() {
    QFETCH(QRect, Bounds);
    QFETCH(TCorners, Expected);
    for (int I = 0; I < NodeCount; ++I)
      QCOMPARE(NodeOrigin(I, Bounds), Expected.at(I));
  }

  void EdgesAndCursors_data() {
    QTest::addColumn<int>("Index");
    QTest::addColumn<unsigned>("Edges");
    QTest::addColumn<int>("Cursor");
    QTest::addRow("0 top-left") << 0 << unsigned(neLeft | neTop) << int(crSizeNWSE);
    QTest::addRow("1 top") << 1 << unsigned(neTop) << int(crSizeNS);
    QTest::addRow("2 top-right") << 2 << unsigned(neRight | neTop) << int(crSizeNESW);
    QTest::addRow("3 right") << 3 << unsigned(neRight) << int(crSizeWE);
    QTest::addRow("4 bottom-right") << 4 << unsigned(neRight | neBottom) << int(crSizeNWSE);
    QTest::addRow("5 bottom") << 5 << unsigned(neBottom) << int(crSizeNS);
    QTest::addRow("6 bottom-left") << 6 << unsigned(neLeft | neBottom) << int(crSizeNESW);
    QTest::addRow("7 left") << 7 << unsigned(neLeft) << int(crSizeWE);
  }
  void EdgesAndCursors() {
    QFETCH(int, Index);
    QFETCH(unsigned, Edges);
    QFETCH(int, Cursor);
    QCOMPARE(NodeEdges(Index), Edges);
    QCOMPARE(int(NodeCursor(Index)), Cursor);
  }
};

QTEST_MAIN(TNodeTableTest)
#include "tst_nodetable.moc"
