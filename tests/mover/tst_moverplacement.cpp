// Where the nodes appear: on a press, at the places of the node table, above the controls,
// clipped by the frame, with their own names and cursors; hidden on request and never seen
// in a capture of the frame while hidden.

#include "mover/mover.h"
#include "moverstage.h"
#include "mover/nodepanel.h"

#include <QImage>

using TCorners = QList<QPoint>;

namespace {

QImage Capture(QWidget &Frame) {
  return Frame.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TMoverPlacementTest : public QObject {
  Q_OBJECT
private slots:
  void NodesOnPress_data() {
    QTest::addColumn<QRect>("Bounds");
    QTest::addColumn<QPoint>("PressAt");
    QTest::addColumn<TCorners>("Expected");
    QTest::addRow("picture filling the frame")
        << QRect(0, 0, 480, 272) << QPoint(200, 100)
        << TCorners{{-2, -2},   {238, -2},  {478, -2}, {478, 134},
                    {478, 270}, {238, 270}, {-2, 270}, {-2, 134}};
    QTest::addRow("control 5 wide") << QRect(100, 40, 5, 9) << QPoint(102, 44)
                                    << TCorners{{98, 38},  {100, 38}, {103, 38}, {103, 42},
                                                {103, 47}, {100, 47}, {98, 47},  {98, 42}};
    QTest::addRow("label inside the frame")
        << QRect(300, 200, 61, 17) << QPoint(330, 205)
        << TCorners{{298, 198}, {328, 198}, {359, 198}, {359, 206},
                    {359, 215}, {328, 215}, {298, 215}, {298, 206}};
    QTest::addRow("picture larger than the frame, off its top-left")
        << QRect(-100, -50, 800, 600) << QPoint(10, 10)
        << TCorners{{-102, -52}, {298, -52}, {698, -52},  {698, 248},
                    {698, 548},  {298, 548}, {-102, 548}, {-102, 248}};
  }
  void NodesOnPress() {
    QFETCH(QRect, Bounds);
    QFETCH(QPoint, PressAt);
    QFETCH(TCorners, Expected);
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Control = Stage.AddMoved("Image", Bounds);
    TMover &Mover = Stage.Mover;
    for (int I = 0; I < NodeCount; ++I)
      QVERIFY(Mover.NodePanel(I)->isHidden());

    Stage.Press(PressAt);
    QCOMPARE(Mover.CurrentControl(), Control);
    for (int I = 0; I < NodeCount; ++I) {
      TNodePanel *Node = Mover.NodePanel(I);
      QCOMPARE(Node->objectName(), QString("Node%1").arg(I));
      QCOMPARE(Node->parentWidget(), Stage.Frame);
      QCOMPARE(Node->geometry(), QRect(Expected.at(I), QSize(5, 5)));
      QVERIFY(Node->isVisible());
      // Windowed nodes lie above the windowless control: the frame shows a node at each
      // node's centre (on a control this narrow, a neighbour may cover it).
      const QPoint Centre = Expected.at(I) + QPoint(2, 2);
      if (Stage.Frame->rect().contains(Centre)) {
        auto *Shown = qobject_cast<TNodePanel *>(Stage.Frame->childAt(Centre));
        QVERIFY(Shown);
        QVERIFY(Bounds.width() < 10 || Shown == Node);
      }
    }
    // The control's bounds are untouched by a press without movement.
    QCOMPARE(Control->BoundsRect(), Bounds);

    Stage.Release(PressAt);
    QVERIFY(!Mover.Dragging());
    for (int I = 0; I < NodeCount; ++I)
      QVERIFY(Mover.NodePanel(I)->isVisible());
    QCOMPARE(Control->BoundsRect(), Bounds);
  }

  void NodeCursors() {
    TMovingStage Stage;
    TMover &Mover = Stage.Mover;
    const Qt::CursorShape Shapes[] = {Qt::SizeFDiagCursor, Qt::SizeVerCursor,   Qt::SizeBDiagCursor,
                                      Qt::SizeHorCursor,   Qt::SizeFDiagCursor, Qt::SizeVerCursor,
                                      Qt::SizeBDiagCursor, Qt::SizeHorCursor};
    for (int I = 0; I < NodeCount; ++I)
      QCOMPARE(Mover.NodePanel(I)->cursor().shape(), Shapes[I]);
  }

  // The frame clips the nodes: of the picture filling it, the top-left node shows 3 x 3
  // pixels and the nodes on the right and bottom edges strips 2 pixels wide or high.
  void ClippedByTheFramePixels() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    Stage.AddMoved("Image", QRect(0, 0, 480, 272));
    TMover &Mover = Stage.Mover;
    Stage.Press({240, 136});
    Stage.Release({240, 136});

    // Black exactly where a node's 5 x 5 square meets the frame; grey elsewhere.
    const QRect Squares[] = {{-2, -2, 5, 5},   {238, -2, 5, 5},  {478, -2, 5, 5}, {478, 134, 5, 5},
                             {478, 270, 5, 5}, {238, 270, 5, 5}, {-2, 270, 5, 5}, {-2, 134, 5, 5}};
    const QImage Shot = Capture(*Stage.Frame);
    QCOMPARE(Shot.size(), QSize(480, 272));
    int Black = 0;
    for (int Y = 0; Y < 272; ++Y)
      for (int X = 0; X < 480; ++X) {
        bool InNode = false;
        for (const QRect &Square : Squares)
          InNode = InNode || Square.contains(X, Y);
        const QRgb Pixel = Shot.pixel(X, Y);
        if (InNode) {
          QVERIFY2(Pixel == qRgb(0, 0, 0), qPrintable(QString("(%1, %2)").arg(X).arg(Y)));
          ++Black;
        } else {
          QVERIFY2(Pixel == qRgb(128, 128, 128), qPrintable(QString("(%1, %2)").arg(X).arg(Y)));
        }
      }
    // Seen of the nodes, clockwise from the top-left: 3 x 3, 5 x 3, 2 x 3, 2 x 5, 2 x 2, 5 x 2,
    // 3 x 2 and 3 x 5 pixels.
    QCOMPARE(Black, 75);

    // Hidden nodes are not in a capture of the frame.
    Mover.SetNodesVisible(false);
    const QImage Hidden = Capture(*Stage.Frame);
    for (int Y = 0; Y < 272; ++Y)
      for (int X = 0; X < 480; ++X)
        QVERIFY2(Hidden.pixel(X, Y) == qRgb(128, 128, 128),
                 qPrintable(QString("(%1, %2)").arg(X).arg(Y)));
  }

  // Hiding keeps the current control; the nodes stay where they were until the next press,
  // which places them around the control's bounds as they are then.
  void HiddenUntilTheNextPress() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Control = Stage.AddMoved("Image", QRect(50, 60, 100, 80));
    TMover &Mover = Stage.Mover;
    Stage.Press({70, 70});
    Stage.Release({70, 70});
    Mover.SetNodesVisible(false);
    Mover.SetNodesVisible(false);
    QCOMPARE(Mover.CurrentControl(), Control);
    for (int I = 0; I < NodeCount; ++I)
      QVERIFY(Mover.NodePanel(I)->isHidden());

    Control->SetBounds(10, 20, 30, 40);
    QCOMPARE(Mover.NodePanel(4)->pos(), QPoint(148, 138));
    Stage.Press({20, 30});
    const auto Corners = NodeCornersAround(QRect(10, 20, 30, 40));
    for (int I = 0; I < NodeCount; ++I) {
      QVERIFY(!Mover.NodePanel(I)->isHidden());
      QCOMPARE(Mover.NodePanel(I)->pos(), Corners[I]);
    }
    Stage.Release({20, 30});
  }

  // The nodes go to the parent of the control pressed last.
  void FollowTheControlToAnotherParent() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    Stage.AddMoved("Image", QRect(50, 60, 100, 80));
    TLoggingControl *Other = Stage.Moved(Stage.AddWindowControl("Other", QRect(530, 320, 60, 40)));
    TMover &Mover = Stage.Mover;
    Stage.Press({60, 70});
    Stage.Release({60, 70});
    QCOMPARE(Mover.NodePanel(0)->parentWidget(), Stage.Frame);

    const QPoint OtherInFrame = Stage.Frame->mapFrom(&Stage.Window, QPoint(540, 330));
    Stage.Press(OtherInFrame);
    Stage.Release(OtherInFrame);
    QCOMPARE(Mover.CurrentControl(), Other);
    const auto Corners = NodeCornersAround(QRect(530, 320, 60, 40));
    for (int I = 0; I < NodeCount; ++I) {
      QCOMPARE(Mover.NodePanel(I)->parentWidget(), &Stage.Window);
      QCOMPARE(Mover.NodePanel(I)->pos(), Corners[I]);
      QVERIFY(Mover.NodePanel(I)->isVisible());
      QCOMPARE(Stage.Window.childAt(Corners[I] + QPoint(2, 2)), Mover.NodePanel(I));
    }
  }

  // A control made after the nodes were first placed still lies under them at the next
  // placement.
  void AboveControlsMadeLater() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Image = Stage.AddMoved("Image", QRect(100, 50, 80, 60));
    TMover &Mover = Stage.Mover;
    Stage.Press({120, 70});
    Stage.Release({120, 70});
    Stage.AddControl("Later", QRect(0, 0, 480, 272));
    Mover.ControlMouseDown(Image, TMouseButton::mbLeft, ssLeft, 0, 0);
    Mover.ControlMouseUp(Image, TMouseButton::mbLeft, 0, 0, 0);
    const auto Corners = NodeCornersAround(QRect(100, 50, 80, 60));
    for (int I = 0; I < NodeCount; ++I)
      QCOMPARE(Stage.Frame->childAt(Corners[I] + QPoint(2, 2)), Mover.NodePanel(I));
  }

  // Nodes never placed have no parent: showing them must not make eight little windows.
  void NeverPlacedNodesStayHidden() {
    TMovingStage Stage;
    TMover &Mover = Stage.Mover;
    Mover.SetNodesVisible(true);
    for (int I = 0; I < NodeCount; ++I) {
      QVERIFY(Mover.NodePanel(I)->isHidden());
      QVERIFY(!Mover.NodePanel(I)->parentWidget());
    }
  }
};

QTEST_MAIN(TMoverPlacementTest)
#include "tst_moverplacement.moc"
