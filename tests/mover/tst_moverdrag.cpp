// Dragging: moves by the cursor's travel, Shift-resizes from the bottom-right corner with the
// 20-pixel rule, node resizes with the 10-pixel rule and the cursor held back (moved, or held
// by the mover where it cannot be moved), the cursors shown, drags that end at their release
// wherever it happens, and repaints kept to what changed.

#include "mover/mover.h"
#include "moverstage.h"
#include "mover/nodepanel.h"

#include <QPaintEvent>
#include <QRegion>

using TPoints = QList<QPoint>;
using TRects = QList<QRect>;

namespace {

const QPoint NotHeld(-9999, -9999);

// Collects what a widget is asked to repaint.
class TPaintRecorder : public QObject {
public:
  explicit TPaintRecorder(QWidget *Target) { Target->installEventFilter(this); }
  QRegion Painted;
  bool eventFilter(QObject *, QEvent *Event) override {
    if (Event->type() == QEvent::Paint)
      Painted += static_cast<QPaintEvent *>(Event)->region();
    return false;
  }
};

QRegion NodeSquares(const QRect &Bounds) {
  QRegion Squares;
  for (const QPoint &Corner : NodeCornersAround(Bounds))
    Squares += QRect(Corner, QSize(5, 5));
  return Squares;
}

} // namespace

class TMoverDragTest : public QObject {
  Q_OBJECT

  void CheckNodesAround(TMover &Mover, const QRect &Bounds) {
    const auto Corners = NodeCornersAround(Bounds);
    for (int I = 0; I < NodeCount; ++I) {
      QCOMPARE(Mover.NodePanel(I)->pos(), Corners[I]);
      QVERIFY(!Mover.NodePanel(I)->isHidden());
    }
  }

private slots:
  void Move_data() {
    QTest::addColumn<QRect>("Bounds");
    QTest::addColumn<int>("Button");
    QTest::addColumn<QPoint>("PressAt");
    QTest::addColumn<TPoints>("Steps");
    QTest::addColumn<TRects>("Expected");
    QTest::addColumn<QPoint>("ReleaseAt");
    QTest::addRow("right and down, then back a little")
        << QRect(100, 50, 80, 60) << int(Qt::LeftButton) << QPoint(120, 70)
        << TPoints{{130, 85}, {125, 95}} << TRects{{110, 65, 80, 60}, {105, 75, 80, 60}}
        << QPoint(125, 95);
    QTest::addRow("partly out of the frame's top-left")
        << QRect(100, 50, 80, 60) << int(Qt::LeftButton) << QPoint(120, 70) << TPoints{{-20, 10}}
        << TRects{{-40, -10, 80, 60}} << QPoint(-20, 10);
    // Wholly outside the frame the control is clipped away, yet the drag goes on and its
    // release, far outside the window, still ends it.
    QTest::addRow("wholly out and back, released outside the window")
        << QRect(100, 50, 80, 60) << int(Qt::LeftButton) << QPoint(120, 70)
        << TPoints{{-200, 70}, {-190, 80}, {130, 70}, {900, 500}}
        << TRects{{-220, 50, 80, 60}, {-210, 60, 80, 60}, {110, 50, 80, 60}, {880, 480, 80, 60}}
        << QPoint(900, 500);
    QTest::addRow("right button, released off the control")
        << QRect(100, 50, 80, 60) << int(Qt::RightButton) << QPoint(120, 70)
        << TPoints{{140, 70}, {160, 40}, {700, 70}}
        << TRects{{120, 50, 80, 60}, {140, 20, 80, 60}, {680, 50, 80, 60}} << QPoint(700, 70);
    QTest::addRow("middle button")
        << QRect(100, 50, 80, 60) << int(Qt::MiddleButton) << QPoint(170, 100)
        << TPoints{{171, 99}, {-30, -30}} << TRects{{101, 49, 80, 60}, {-100, -80, 80, 60}}
        << QPoint(-30, -30);
    // The window system reports the travel to a release point as a move first: the control
    // follows the cursor to the release, then stops.
    QTest::addRow("released away from the last move")
        << QRect(100, 50, 80, 60) << int(Qt::LeftButton) << QPoint(120, 70) << TPoints{{130, 80}}
        << TRects{{110, 60, 80, 60}} << QPoint(150, 90);
  }
  void Move() {
    QFETCH(QRect, Bounds);
    QFETCH(int, Button);
    QFETCH(QPoint, PressAt);
    QFETCH(TPoints, Steps);
    QFETCH(TRects, Expected);
    QFETCH(QPoint, ReleaseAt);
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Control = Stage.AddMoved("Image", Bounds);
    TMover &Mover = Stage.Mover;

    Stage.Press(PressAt, Qt::MouseButton(Button));
    QVERIFY(Mover.Dragging());
    QCOMPARE(Mover.LastPos(), Stage.Screen(PressAt));
    for (int I = 0; I < Steps.size(); ++I) {
      Stage.Move(Steps[I]);
      QCOMPARE(Control->BoundsRect(), Expected[I]);
      QCOMPARE(Mover.LastPos(), Stage.Screen(Steps[I]));
      QCOMPARE(Stage.Cursor.Current, crSizeAll);
      CheckNodesAround(Mover, Expected[I]);
    }
    Stage.Release(ReleaseAt, Qt::MouseButton(Button));
    QVERIFY(!Mover.Dragging());
    QCOMPARE(Stage.Cursor.Current, crDefault);
    const QPoint Travel = ReleaseAt - Steps.last();
    QCOMPARE(Control->BoundsRect(), Expected.last().translated(Travel));
    // Hovering after the release moves nothing.
    Stage.Move(ReleaseAt + QPoint(7, 9));
    QCOMPARE(Control->BoundsRect(), Expected.last().translated(Travel));
    // Routed, not chained: the control's own handlers never ran.
    QCOMPARE(Stage.Log, QStringList());
    QVERIFY(Stage.Cursor.SetPositions.isEmpty());
  }

  void ShiftResize_data() {
    QTest::addColumn<TPoints>("Steps");
    QTest::addColumn<TRects>("Expected");
    // The control is at (100, 50), 80 x 60; steps are in the frame, offsets from the
    // control's top-left corner in the comments.
    QTest::addRow("both sides follow above 20")
        << TPoints{{130, 75}, {250, 200}} // (30, 25), (150, 150)
        << TRects{{100, 50, 30, 25}, {100, 50, 150, 150}};
    QTest::addRow("at 20 or less a side keeps its last value")
        << TPoints{{120, 150}, {121, 70}, {105, 55}, {90, 40}} // (20, 100), (21, 20) ...
        << TRects{{100, 50, 80, 100}, {100, 50, 21, 100}, {100, 50, 21, 100}, {100, 50, 21, 100}};
    QTest::addRow("height only, width only")
        << TPoints{{110, 140}, {300, 60}} // (10, 90), (200, 10)
        << TRects{{100, 50, 80, 90}, {100, 50, 200, 90}};
  }
  void ShiftResize() {
    QFETCH(TPoints, Steps);
    QFETCH(TRects, Expected);
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Control = Stage.AddMoved("Image", QRect(100, 50, 80, 60));
    TMover &Mover = Stage.Mover;

    const QPoint PressAt(150, 80);
    Stage.Press(PressAt, Qt::LeftButton, Qt::ShiftModifier);
    for (int I = 0; I < Steps.size(); ++I) {
      Stage.Move(Steps[I], Qt::ShiftModifier);
      QCOMPARE(Control->BoundsRect(), Expected[I]);
      QCOMPARE(Stage.Cursor.Current, crSizeNWSE);
      // Resize steps leave the last position as it was.
      QCOMPARE(Mover.LastPos(), Stage.Screen(PressAt));
      CheckNodesAround(Mover, Expected[I]);
    }
    Stage.Release(Steps.last(), Qt::LeftButton, Qt::ShiftModifier);
    QVERIFY(!Mover.Dragging());
    QCOMPARE(Stage.Cursor.Current, crDefault);
  }

  // Shift let go after resize steps: the next move shifts the control by the whole travel
  // since the last move step, as resize steps do not refresh the last position.
  void ShiftThenMove() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Control = Stage.AddMoved("Image", QRect(100, 50, 80, 60));
    TMover &Mover = Stage.Mover;
    Stage.Press({150, 80});
    Stage.Move({160, 90});
    QCOMPARE(Control->BoundsRect(), QRect(110, 60, 80, 60));
    Stage.Move({200, 120}, Qt::ShiftModifier);
    QCOMPARE(Control->BoundsRect(), QRect(110, 60, 90, 60));
    Stage.Move({190, 130}, Qt::ShiftModifier);
    QCOMPARE(Control->BoundsRect(), QRect(110, 60, 80, 70));
    QCOMPARE(Mover.LastPos(), Stage.Screen({160, 90}));
    Stage.Move({195, 135});
    QCOMPARE(Control->BoundsRect(), QRect(145, 105, 80, 70));
    QCOMPARE(Stage.Cursor.Current, crSizeAll);
    Stage.Release({195, 135});
  }

  void NodeResize_data() {
    QTest::addColumn<int>("Node");
    QTest::addColumn<TPoints>("Steps");
    QTest::addColumn<TRects>("Expected");
    QTest::addColumn<TPoints>("HeldAt");
    // The control is at (100, 50), 80 x 60: right 180, bottom 110. Limits of the first step:
    // a right edge stops at x 110, a left edge at 170, a bottom edge at y 60, a top edge at 100.
    QTest::addRow("3 right, wider")
        << 3 << TPoints{{200, 80}} << TRects{{100, 50, 100, 60}} << TPoints{NotHeld};
    QTest::addRow("3 right, held back, then at the limit")
        << 3 << TPoints{{105, 80}, {110, 80}} << TRects{{100, 50, 80, 60}, {100, 50, 10, 60}}
        << TPoints{{110, 80}, NotHeld};
    QTest::addRow("7 left, narrower, then held back")
        << 7 << TPoints{{150, 80}, {175, 80}, {170, 80}}
        << TRects{{150, 50, 30, 60}, {150, 50, 30, 60}, {170, 50, 10, 60}}
        << TPoints{NotHeld, {170, 80}, NotHeld};
    QTest::addRow("1 top, taller, then held back")
        << 1 << TPoints{{140, 20}, {140, 105}} << TRects{{100, 20, 80, 90}, {100, 20, 80, 90}}
        << TPoints{NotHeld, {140, 100}};
    QTest::addRow("5 bottom, held back, at the limit, then taller")
        << 5 << TPoints{{140, 55}, {140, 60}, {140, 200}}
        << TRects{{100, 50, 80, 60}, {100, 50, 80, 10}, {100, 50, 80, 150}}
        << TPoints{{140, 60}, NotHeld, NotHeld};
    // One coordinate per event: x first, y at the next move.
    QTest::addRow("0 top-left past both limits")
        << 0 << TPoints{{175, 105}, {170, 105}, {170, 100}}
        << TRects{{100, 50, 80, 60}, {100, 50, 80, 60}, {170, 100, 10, 10}}
        << TPoints{{170, 105}, {170, 100}, NotHeld};
    QTest::addRow("4 bottom-right past both limits")
        << 4 << TPoints{{60, 40}, {110, 40}, {110, 60}}
        << TRects{{100, 50, 80, 60}, {100, 50, 80, 60}, {100, 50, 10, 10}}
        << TPoints{{110, 40}, {110, 60}, NotHeld};
    QTest::addRow("2 top-right") << 2 << TPoints{{250, 10}} << TRects{{100, 10, 150, 100}}
                                 << TPoints{NotHeld};
    QTest::addRow("6 bottom-left past the left limit only")
        << 6 << TPoints{{175, 200}, {170, 200}} << TRects{{100, 50, 80, 60}, {170, 50, 10, 150}}
        << TPoints{{170, 200}, NotHeld};
    QTest::addRow("6 bottom-left, larger")
        << 6 << TPoints{{50, 200}} << TRects{{50, 50, 130, 150}} << TPoints{NotHeld};
  }
  void NodeResize() {
    QFETCH(int, Node);
    QFETCH(TPoints, Steps);
    QFETCH(TRects, Expected);
    QFETCH(TPoints, HeldAt);
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    const QRect Bounds(100, 50, 80, 60);
    TLoggingControl *Control = Stage.AddMoved("Image", Bounds);
    TMover &Mover = Stage.Mover;
    Stage.Press({140, 80});
    Stage.Release({140, 80});
    const Qt::CursorShape OwnCursor = Mover.NodePanel(Node)->cursor().shape();

    // The node's centre pixel is its anchor on the outline.
    const QPoint Anchor = NodeCornersAround(Bounds)[Node] + QPoint(2, 2);
    Stage.Press(Anchor);
    QVERIFY(Mover.NodeDragging());
    QVERIFY(!Mover.Dragging());
    QCOMPARE(Mover.LastPos(), Stage.Screen(Anchor));
    QPoint LastPos = Stage.Screen(Anchor);
    for (int I = 0; I < Steps.size(); ++I) {
      const int HeldBefore = Stage.Cursor.SetPositions.size();
      Stage.Move(Steps[I]);
      QCOMPARE(Control->BoundsRect(), Expected[I]);
      QCOMPARE(Stage.Cursor.Current, crSizeNWSE);
      if (HeldAt[I] == NotHeld) {
        QCOMPARE(Stage.Cursor.SetPositions.size(), HeldBefore);
        LastPos = Stage.Screen(Steps[I]);
      } else {
        QCOMPARE(Stage.Cursor.SetPositions.size(), HeldBefore + 1);
        QCOMPARE(Stage.Cursor.SetPositions.last(), Stage.Screen(HeldAt[I]));
      }
      QCOMPARE(Mover.LastPos(), LastPos);
      CheckNodesAround(Mover, Expected[I]);
    }
    Stage.Release(Steps.last());
    QVERIFY(!Mover.NodeDragging());
    QCOMPARE(Stage.Cursor.Current, crDefault);
    QCOMPARE(Mover.NodePanel(Node)->cursor().shape(), OwnCursor);
    QCOMPARE(Control->BoundsRect(), Expected.last());
    // The node press went to the node alone: neither the control nor the frame saw it.
    QCOMPARE(Stage.Log, QStringList());
  }

  // The pointer held back on a limit by moving it (X11) or, where it cannot be moved
  // (Wayland), by the mover alone: the hand's same travel gives the same bounds step by step,
  // and a later drag after the release too. The pointer that cannot move is never asked to.
  void HeldBackWhetherThePointerMovesOrNot_data() {
    QTest::addColumn<int>("Node");
    QTest::addColumn<TPoints>("Travel");
    QTest::addColumn<TRects>("Expected");
    // After the release, the node pressed where it shows and dragged by (-20, -20).
    QTest::addColumn<QRect>("Later");
    // The control is at (100, 50), 80 x 60, as above.
    QTest::addRow("3 right, past the limit and back")
        << 3 << TPoints{{-30, 0}, {-30, 0}, {-15, 0}, {-20, 0}, {5, 0}, {30, 0}, {40, 7}}
        << TRects{{100, 50, 50, 60}, {100, 50, 20, 60}, {100, 50, 10, 60}, {100, 50, 10, 60},
                  {100, 50, 15, 60}, {100, 50, 45, 60}, {100, 50, 85, 60}}
        << QRect(100, 50, 65, 60);
    QTest::addRow("0 top-left, past both limits and back")
        << 0 << TPoints{{50, 30}, {40, 40}, {-60, -50}}
        << TRects{{150, 80, 30, 30}, {170, 100, 10, 10}, {110, 50, 70, 60}}
        << QRect(90, 30, 90, 80);
  }
  void HeldBackWhetherThePointerMovesOrNot() {
    QFETCH(int, Node);
    QFETCH(TPoints, Travel);
    QFETCH(TRects, Expected);
    QFETCH(QRect, Later);
    const QRect Bounds(100, 50, 80, 60);
    for (const bool Movable : {true, false}) {
      TMovingStage Stage;
      QVERIFY(Stage.Exposed);
      Stage.Cursor.Movable = Movable;
      TLoggingControl *Control = Stage.AddMoved("Image", Bounds);
      TMover &Mover = Stage.Mover;
      Stage.Press({140, 80});
      Stage.Release({140, 80});

      Stage.Press(NodeCornersAround(Bounds)[Node] + QPoint(2, 2));
      for (int I = 0; I < Travel.size(); ++I) {
        Stage.MoveBy(Travel[I]);
        QCOMPARE(Control->BoundsRect(), Expected[I]);
        CheckNodesAround(Mover, Expected[I]);
      }
      Stage.Release(Stage.Frame->mapFromGlobal(Stage.Cursor.Position));
      QVERIFY(!Mover.NodeDragging());
      QCOMPARE(Control->BoundsRect(), Expected.last());
      QCOMPARE(Stage.Cursor.SetPositions.isEmpty(), !Movable);

      Stage.Press(NodeCornersAround(Expected.last())[Node] + QPoint(2, 2));
      Stage.MoveBy({-20, -20});
      QCOMPARE(Control->BoundsRect(), Later);
      Stage.Release(Stage.Frame->mapFromGlobal(Stage.Cursor.Position));
    }
  }

  // Moving the mouse over a control with no button held never moves it.
  void HoverNeverMoves() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Control = Stage.AddMoved("Image", QRect(100, 50, 80, 60));
    Stage.Press({120, 70});
    Stage.Release({120, 70});
    for (const QPoint &At : {QPoint(130, 80), QPoint(150, 90), QPoint(170, 100)})
      Stage.Move(At);
    QCOMPARE(Control->BoundsRect(), QRect(100, 50, 80, 60));
    QCOMPARE(Stage.Cursor.Current, crDefault);
  }

  // A press whose release never reached the control (a modal dialog took it, say): the next
  // move without a button ends that drag instead of shifting the control.
  void LostReleaseEndsOnHover() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Control = Stage.AddMoved("Image", QRect(100, 50, 80, 60));
    TMover &Mover = Stage.Mover;
    Stage.Cursor.Position = Stage.Screen({120, 70});
    Mover.ControlMouseDown(Control, TMouseButton::mbLeft, ssLeft, 20, 20);
    QVERIFY(Mover.Dragging());
    Stage.Cursor.SetScreenCursor(crSizeAll);
    Stage.Move({150, 90});
    QVERIFY(!Mover.Dragging());
    QCOMPARE(Control->BoundsRect(), QRect(100, 50, 80, 60));
    QCOMPARE(Stage.Cursor.Current, crDefault);
    Stage.Move({160, 95});
    QCOMPARE(Control->BoundsRect(), QRect(100, 50, 80, 60));
  }

  // Once inactive, a node press starts nothing; a control press is no longer routed.
  void InactiveNodesStartNothing() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Control = Stage.AddMoved("Image", QRect(100, 50, 80, 60));
    TMover &Mover = Stage.Mover;
    Stage.Press({120, 70});
    Stage.Release({120, 70});
    Mover.SetActive(false);
    const QPoint Anchor(180, 80); // node 3
    Stage.Press(Anchor);
    QVERIFY(!Mover.NodeDragging());
    Stage.Move({220, 80});
    Stage.Release({220, 80});
    QCOMPARE(Control->BoundsRect(), QRect(100, 50, 80, 60));
    QCOMPARE(Stage.Cursor.Current, crDefault);
  }

  // A move step repaints the control's old and new places and the nodes' old and new
  // squares, nothing else of the frame; and the place it left is repainted.
  void MoveStepRepaintsOnlyWhatChanged() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Control = Stage.AddMoved("Image", QRect(100, 50, 80, 60));
    Stage.Press({120, 70});
    Stage.Move({125, 72});
    QTest::qWait(50);
    TPaintRecorder Recorder(Stage.Frame);

    const QRect Old(105, 52, 80, 60), New(115, 57, 80, 60);
    QCOMPARE(Control->BoundsRect(), Old);
    Stage.Move({135, 77});
    QCOMPARE(Control->BoundsRect(), New);
    QTRY_VERIFY(!Recorder.Painted.isEmpty());
    QTest::qWait(50);
    const QRegion Allowed = QRegion(Old) + New + NodeSquares(Old) + NodeSquares(New);
    QCOMPARE(Recorder.Painted - Allowed, QRegion());
    const QRegion Left = QRegion(Old) - New - NodeSquares(New);
    QCOMPARE(Left - Recorder.Painted, QRegion());
    Stage.Release({135, 77});
  }

  void ShiftStepRepaintsOnlyWhatChanged() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Control = Stage.AddMoved("Image", QRect(100, 50, 80, 60));
    Stage.Press({150, 80}, Qt::LeftButton, Qt::ShiftModifier);
    Stage.Move({170, 100}, Qt::ShiftModifier);
    QTest::qWait(50);
    TPaintRecorder Recorder(Stage.Frame);

    const QRect Old(100, 50, 70, 50), New(100, 50, 50, 40);
    QCOMPARE(Control->BoundsRect(), Old);
    Stage.Move({150, 90}, Qt::ShiftModifier);
    QCOMPARE(Control->BoundsRect(), New);
    QTRY_VERIFY(!Recorder.Painted.isEmpty());
    QTest::qWait(50);
    const QRegion Allowed = QRegion(Old) + New + NodeSquares(Old) + NodeSquares(New);
    QCOMPARE(Recorder.Painted - Allowed, QRegion());
    const QRegion Left = QRegion(Old) - New - NodeSquares(New);
    QCOMPARE(Left - Recorder.Painted, QRegion());
    Stage.Release({150, 90});
  }
};

QTEST_MAIN(TMoverDragTest)
#include "tst_moverdrag.moc"
