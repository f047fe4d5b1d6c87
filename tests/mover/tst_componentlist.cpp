// The registry list: order kept, destroyed components drop out by themselves and the dropped
// indices are reported so that arrays kept in step can follow.

#include "mover/componentlist.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

using TIndices = QList<int>;

class TComponentListTest : public QObject {
  Q_OBJECT
private slots:
  void DropsDestroyed_data() {
    QTest::addColumn<TIndices>("Added");     // which of 4 objects, in order
    QTest::addColumn<int>("Destroyed");      // which object is deleted
    QTest::addColumn<TIndices>("Remaining"); // objects left, in order
    QTest::addColumn<TIndices>("Reported");  // indices reported by ItemRemoved, in order
    QTest::addRow("middle one") << TIndices{0, 1, 2} << 1 << TIndices{0, 2} << TIndices{1};
    QTest::addRow("first one") << TIndices{0, 1, 2} << 0 << TIndices{1, 2} << TIndices{0};
    QTest::addRow("last one") << TIndices{0, 1, 2} << 2 << TIndices{0, 1} << TIndices{2};
    QTest::addRow("listed twice") << TIndices{0, 1, 0, 2} << 0 << TIndices{1, 2} << TIndices{2, 0};
    QTest::addRow("not listed") << TIndices{0, 1} << 3 << TIndices{0, 1} << TIndices{};
  }
  void DropsDestroyed() {
    QFETCH(TIndices, Added);
    QFETCH(int, Destroyed);
    QFETCH(TIndices, Remaining);
    QFETCH(TIndices, Reported);
    std::vector<std::unique_ptr<QObject>> Objects;
    for (int I = 0; I < 4; ++I)
      Objects.push_back(std::make_unique<QObject>());
    TComponentList List;
    for (int Index : Added)
      List.Add(Objects[Index].get());
    QSignalSpy Spy(&List, &TComponentList::ItemRemoved);
    Objects[Destroyed].reset();

    QCOMPARE(List.Count(), Remaining.size());
    for (int I = 0; I < Remaining.size(); ++I)
      QCOMPARE(List.Items(I), Objects[Remaining[I]].get());
    QCOMPARE(Spy.count(), Reported.size());
    for (int I = 0; I < Reported.size(); ++I)
      QCOMPARE(Spy.at(I).at(0).toInt(), Reported[I]);
  }

  void IndexOf() {
    QObject A, B, C;
    TComponentList List;
    List.Add(&A);
    List.Add(&B);
    List.Add(&A);
    QCOMPARE(List.IndexOf(&A), 0);
    QCOMPARE(List.IndexOf(&B), 1);
    QCOMPARE(List.IndexOf(&C), -1);
  }
};

QTEST_MAIN(TComponentListTest)
#include "tst_componentlist.moc"
