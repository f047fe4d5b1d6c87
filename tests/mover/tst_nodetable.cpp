// What the eight nodes guarantee around any control: each is centred on the control's
// outline, at a corner or the middle of a side (halves truncated), it moves exactly the
// edges it sits on, and it shows the cursor of the directions those edges move in; no two
// nodes do the same.

#include "mover/nodepanel.h"

#include <QSet>
#include <QTest>

class TNodeTableTest : public QObject {
  Q_OBJECT
private slots:
  void Guarantees_data() {
    QTest::addColumn<QRect>("Bounds");
    QTest::addRow("control filling the 480 x 272 frame") << QRect(0, 0, 480, 272);
    QTest::addRow("control 5 wide, middle nodes on the left edge") << QRect(100, 40, 5, 9);
    QTest::addRow("odd sides, partly left of and above the parent") << QRect(-31, -7, 81, 45);
    QTest::addRow("empty control") << QRect(10, 20, 0, 0);
  }
  void Guarantees() {
    QFETCH(QRect, Bounds);
    const int L = Bounds.left(), T = Bounds.top(), W = Bounds.width(), H = Bounds.height();
    QSet<unsigned> Seen;
    for (int I = 0; I < NodeCount; ++I) {
      const QPoint Centre = NodeOrigin(I, Bounds) + QPoint(NodeSize / 2, NodeSize / 2);
      const unsigned Edges = NodeEdges(I);
      QVERIFY(Edges != 0 && !Seen.contains(Edges));
      Seen.insert(Edges);
      QVERIFY(!((Edges & neLeft) && (Edges & neRight)) && !((Edges & neTop) && (Edges & neBottom)));
      QCOMPARE(Centre.x(), (Edges & neLeft) ? L : (Edges & neRight) ? L + W : L + W / 2);
      QCOMPARE(Centre.y(), (Edges & neTop) ? T : (Edges & neBottom) ? T + H : T + H / 2);
      const bool Across = Edges & (neLeft | neRight), Along = Edges & (neTop | neBottom);
      const bool Diagonal = Edges == (neLeft | neTop) || Edges == (neRight | neBottom);
      const TCursor Expected = !Along    ? crSizeWE
                               : !Across ? crSizeNS
                               : Diagonal ? crSizeNWSE
                                          : crSizeNESW;
      QCOMPARE(int(NodeCursor(I)), int(Expected));
    }
  }
};

QTEST_MAIN(TNodeTableTest)
#include "tst_nodetable.moc"
