// Activation: which controls are routed, what is saved, what is required of a control, what
// stays the control's own, and what deactivation and destruction leave behind.

#include "mover/mover.h"
#include "moverstage.h"
#include "mover/nodepanel.h"

#include <stdexcept>

namespace {

// A control whose named events can be made to miss one, or to refuse a new click handler.
class TPartialControl : public TLoggingControl {
public:
  TPartialControl(QWidget *Parent, const QString &Name, QStringList &Log, const QString &Missing,
                  bool RefuseClick)
      : TLoggingControl(Parent, Name, Log), FMissing(Missing), FRefuseClick(RefuseClick) {
    // An event the control lacks has no handler either.
    if (Missing == "OnClick")
      OnClick = nullptr;
  }

  bool HasEvent(const QString &Name) const override {
    return Name != FMissing && TLoggingControl::HasEvent(Name);
  }
  TMethod GetEvent(const QString &Name) const override {
    if (Name == FMissing)
      throw std::runtime_error(QString("Property %1 does not exist").arg(Name).toStdString());
    return TLoggingControl::GetEvent(Name);
  }
  void SetEvent(const QString &Name, const TMethod &Handler) override {
    if (Name == FMissing)
      throw std::runtime_error(QString("Property %1 does not exist").arg(Name).toStdString());
    if (Name == "OnClick" && FRefuseClick)
      throw std::runtime_error("OnClick is read-only");
    TLoggingControl::SetEvent(Name, Handler);
  }

private:
  QString FMissing;
  bool FRefuseClick;
};

void Fire(const TMethod &Handler, QObject *Sender) {
  if (const auto *Mouse = std::get_if<TMouseEvent>(&Handler))
    (*Mouse)(Sender, TMouseButton::mbLeft, ssLeft, 1, 1);
  else if (const auto *Move = std::get_if<TMouseMoveEvent>(&Handler))
    (*Move)(Sender, ssLeft, 1, 1);
  else if (const auto *Notify = std::get_if<TNotifyEvent>(&Handler))
    (*Notify)(Sender);
}

bool NodesHidden(const TMover &Mover) {
  for (int I = 0; I < NodeCount; ++I)
    if (!Mover.NodePanel(I)->isHidden())
      return false;
  return true;
}

} // namespace

class TMoverActivationTest : public QObject {
  Q_OBJECT
private slots:
  void PressBeforeActivationDoesNothing() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Image = Stage.AddControl("Image", QRect(100, 50, 80, 60));
    TMover &Mover = Stage.Mover;
    Mover.AddControl(Image);
    QVERIFY(!Mover.Active());
    Stage.Press({120, 70});
    Stage.Move({150, 90});
    Stage.Release({150, 90});
    QVERIFY(!Mover.Dragging());
    QVERIFY(NodesHidden(Mover));
    QVERIFY(!Mover.CurrentControl());
    QCOMPARE(Image->BoundsRect(), QRect(100, 50, 80, 60));
    // Registration alone took nothing over.
    QCOMPARE(WithoutMoves(Stage.Log), (QStringList{"Image down", "Image up", "Image click"}));
    QVERIFY(Stage.Log.contains("Image move"));
    // Nor does a direct call before activation.
    Mover.ControlMouseDown(Image, TMouseButton::mbLeft, ssLeft, 0, 0);
    QVERIFY(!Mover.Dragging());
    QVERIFY(NodesHidden(Mover));
  }

  void RegisteredAfterActivationIsNotRouted() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    Stage.AddMoved("Image", QRect(10, 10, 80, 60));
    TLoggingControl *Late = Stage.AddControl("Late", QRect(200, 100, 80, 60));
    TMover &Mover = Stage.Mover;
    Mover.AddControl(Late);
    QCOMPARE(Mover.ControlCount(), 2);
    Stage.Press({220, 120});
    Stage.Move({240, 130});
    Stage.Release({240, 130});
    QVERIFY(!Mover.Dragging());
    QVERIFY(NodesHidden(Mover));
    QCOMPARE(Late->BoundsRect(), QRect(200, 100, 80, 60));
    QCOMPARE(WithoutMoves(Stage.Log), (QStringList{"Late down", "Late up", "Late click"}));
    QVERIFY(Stage.Log.contains("Late move"));
  }

  // A second activation changes nothing: deactivation still gives the controls their own.
  void SecondActivationKeepsSavedHandlers() {
    TMovingStage Stage;
    TLoggingControl *Image = Stage.AddMoved("Image", QRect(10, 10, 80, 60));
    TMover &Mover = Stage.Mover;
    Mover.SetActive(true);
    QVERIFY(Mover.Active());
    QVERIFY(!IsAssigned(Image->GetEvent("OnClick")));
    Fire(Image->GetEvent("OnMouseDown"), Image);
    QVERIFY(Mover.Dragging());
    Fire(Image->GetEvent("OnMouseUp"), Image);
    QCOMPARE(Stage.Log, QStringList());
    Mover.SetActive(false);
    for (const char *Event : {"OnClick", "OnMouseDown", "OnMouseMove", "OnMouseUp"})
      Fire(Image->GetEvent(Event), Image);
    QCOMPARE(Stage.Log, (QStringList{"Image click", "Image down", "Image move", "Image up"}));
    QVERIFY(!Mover.Dragging());
  }

  // The label's double click runs its own handler and, as a press, shows the nodes.
  void DoubleClickStillReachesTheLabel() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    Stage.AddMoved("Image", QRect(0, 0, 480, 272));
    TLoggingControl *Label = Stage.AddMoved("WatermarkLabel", QRect(300, 200, 90, 20));
    TMover &Mover = Stage.Mover;
    Stage.DoubleClick({320, 210});
    QCOMPARE(Stage.Log, QStringList{"WatermarkLabel dblclick"});
    QCOMPARE(Mover.CurrentControl(), Label);
    QVERIFY(!NodesHidden(Mover));
    QCOMPARE(Mover.NodePanel(0)->pos(), QPoint(298, 198));
    QVERIFY(!Mover.Dragging());
    QCOMPARE(Label->BoundsRect(), QRect(300, 200, 90, 20));
  }

  void RequiredEvents_data() {
    QTest::addColumn<QString>("Missing");
    QTest::addColumn<bool>("RefuseClick");
    QTest::addColumn<QString>("Error");
    QTest::addRow("no OnMouseDown")
        << "OnMouseDown" << false << "Property OnMouseDown does not exist";
    QTest::addRow("no OnMouseMove")
        << "OnMouseMove" << false << "Property OnMouseMove does not exist";
    QTest::addRow("no OnMouseUp") << "OnMouseUp" << false << "Property OnMouseUp does not exist";
    QTest::addRow("no OnClick") << "OnClick" << false << "";
    QTest::addRow("OnClick cannot be cleared") << "" << true << "";
  }
  // Controls: a complete one, then the partial one, then another complete one.
  void RequiredEvents() {
    QFETCH(QString, Missing);
    QFETCH(bool, RefuseClick);
    QFETCH(QString, Error);
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *First = Stage.AddControl("First", QRect(10, 10, 60, 40));
    auto *Partial = new TPartialControl(Stage.Frame, "Partial", Stage.Log, Missing, RefuseClick);
    Partial->SetBounds(100, 10, 60, 40);
    TLoggingControl *Last = Stage.AddControl("Last", QRect(200, 10, 60, 40));
    TMover &Mover = Stage.Mover;
    Mover.AddControl(First);
    Mover.AddControl(Partial);
    Mover.AddControl(Last);

    QString Raised;
    try {
      Mover.SetActive(true);
    } catch (const std::runtime_error &E) {
      Raised = QString::fromUtf8(E.what());
    }
    QCOMPARE(Raised, Error);
    QVERIFY(Mover.Active());

    // The control handled before the failure stays routed.
    Stage.Press({20, 20});
    QVERIFY(Mover.Dragging());
    Stage.Move({30, 25});
    Stage.Release({30, 25});
    QCOMPARE(First->BoundsRect(), QRect(20, 15, 60, 40));
    QCOMPARE(Stage.Log, QStringList());

    if (!Error.isEmpty()) {
      // The one after it was never reached.
      Stage.Press({210, 20});
      Stage.Release({210, 20});
      QCOMPARE(WithoutMoves(Stage.Log), (QStringList{"Last down", "Last up", "Last click"}));
      return;
    }
    // Without OnClick, or with one that cannot be cleared, a control is routed all the same.
    Stage.Press({110, 20});
    Stage.Move({130, 30});
    Stage.Release({130, 30});
    QCOMPARE(Partial->BoundsRect(), QRect(120, 20, 60, 40));
    QCOMPARE(Mover.CurrentControl(), Partial);
    // An OnClick that could not be cleared still runs; a missing one cannot.
    QCOMPARE(Stage.Log, RefuseClick ? QStringList{"Partial click"} : QStringList());
    // Deactivation gives it back what it had, a click handler only where it had one.
    Mover.SetActive(false);
    Stage.Log.clear();
    Fire(Partial->GetEvent("OnMouseDown"), Partial);
    if (Partial->HasEvent("OnClick"))
      Fire(Partial->GetEvent("OnClick"), Partial);
    QCOMPARE(Stage.Log, RefuseClick ? (QStringList{"Partial down", "Partial click"})
                                    : QStringList{"Partial down"});
  }

  void NotAnEventSource() {
    TMovingStage Stage;
    Stage.Mover.AddControl(new QWidget(Stage.Frame));
    QString Raised;
    try {
      Stage.Mover.SetActive(true);
    } catch (const std::runtime_error &E) {
      Raised = QString::fromUtf8(E.what());
    }
    QCOMPARE(Raised, QString("Property OnMouseDown does not exist"));
  }

  // Deactivation gives the controls their handlers back and ends a drag under way.
  void DeactivationRestores() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Image = Stage.AddMoved("Image", QRect(10, 10, 60, 40));
    Stage.Moved(Image); // listed twice: still its own handlers afterwards
    TMover &Mover = Stage.Mover;
    Stage.Press({20, 20});
    Stage.Move({25, 20});
    QCOMPARE(Stage.Cursor.Current, crSizeAll);
    Mover.SetActive(false);
    QVERIFY(!Mover.Dragging());
    QCOMPARE(Stage.Cursor.Current, crDefault);
    Stage.Move({45, 20});
    Stage.Release({45, 20});
    QCOMPARE(Image->BoundsRect(), QRect(15, 10, 60, 40));
    QCOMPARE(Stage.Log, (QStringList{"Image move", "Image up", "Image click"}));

    Stage.Log.clear();
    Stage.Press({20, 20});
    Stage.Release({20, 20});
    QCOMPARE(WithoutMoves(Stage.Log), (QStringList{"Image down", "Image up", "Image click"}));
    QVERIFY(!Mover.Dragging());

    // And a new activation takes them over again.
    Stage.Log.clear();
    Mover.SetActive(true);
    Stage.Press({20, 20});
    QVERIFY(Mover.Dragging());
    Stage.Release({20, 20});
    QCOMPARE(Stage.Log, QStringList());
  }

  // A destroyed control drops out of the registry, and its saved handlers with it: the
  // controls after it get their own back, not their neighbour's.
  void DestroyedControlDropsOut() {
    TMovingStage Stage;
    TLoggingControl *A = Stage.AddMoved("A", QRect(10, 10, 60, 40));
    TLoggingControl *B = Stage.AddMoved("B", QRect(100, 10, 60, 40));
    TLoggingControl *C = Stage.AddMoved("C", QRect(200, 10, 60, 40));
    TMover &Mover = Stage.Mover;
    delete B;
    QCOMPARE(Mover.ControlCount(), 2);
    QCOMPARE(Mover.Control(0), A);
    QCOMPARE(Mover.Control(1), C);
    Mover.SetActive(false);
    Fire(C->GetEvent("OnMouseUp"), C);
    Fire(A->GetEvent("OnMouseUp"), A);
    QCOMPARE(Stage.Log, (QStringList{"C up", "A up"}));
  }

  // The current control destroyed: node events are ignored, nothing dangles.
  void CurrentControlDestroyed() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Image = Stage.AddMoved("Image", QRect(100, 50, 80, 60));
    TMover &Mover = Stage.Mover;
    Stage.Press({120, 70});
    Stage.Release({120, 70});
    Stage.Press({180, 80}); // node 3
    QVERIFY(Mover.NodeDragging());
    delete Image;
    QVERIFY(!Mover.CurrentControl());
    Stage.Move({200, 80});
    Stage.Release({200, 80});
    QVERIFY(!Mover.NodeDragging());
    QCOMPARE(Stage.Cursor.Current, crDefault);
    QCOMPARE(Mover.ControlCount(), 0);
  }

  // The handlers activation installs pass their arguments on: a Shift move through them
  // resizes.
  void InstalledHandlersPassArguments() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Image = Stage.AddMoved("Image", QRect(100, 50, 80, 60));
    TMover &Mover = Stage.Mover;
    Stage.Cursor.Position = Stage.Screen({150, 80});
    std::get<TMouseEvent>(Image->GetEvent("OnMouseDown"))(Image, TMouseButton::mbLeft, ssLeft, 50,
                                                          30);
    QCOMPARE(Mover.CurrentControl(), Image);
    Stage.Cursor.Position = Stage.Screen({140, 100});
    std::get<TMouseMoveEvent>(Image->GetEvent("OnMouseMove"))(Image, ssShift | ssLeft, 40, 50);
    QCOMPARE(Image->BoundsRect(), QRect(100, 50, 40, 50));
    std::get<TMouseEvent>(Image->GetEvent("OnMouseUp"))(Image, TMouseButton::mbLeft, 0, 40, 50);
    QVERIFY(!Mover.Dragging());
  }

  // The owner frees the mover, the mover its nodes; controls that outlive it fire into
  // nothing.
  void OwnershipAndLifetime() {
    TMoverStage Stage;
    QVERIFY(Stage.Exposed);
    TLoggingControl *Image = Stage.AddControl("Image", QRect(100, 50, 80, 60));
    auto *Owner = new QObject;
    QPointer<TMover> Mover = TMover::Create(Owner);
    Mover->AddControl(Image);
    Mover->SetActive(true);
    Stage.Press({120, 70});
    Stage.Release({120, 70});
    QPointer<TNodePanel> Node = Mover->NodePanel(0);
    QVERIFY(Node);
    delete Owner;
    QVERIFY(!Mover);
    QVERIFY(!Node);
    Stage.Press({120, 70});
    Stage.Move({150, 90});
    Stage.Release({150, 90});
    QCOMPARE(Image->BoundsRect(), QRect(100, 50, 80, 60));
  }

  // The frame destroyed first takes the placed nodes with it; the mover copes.
  void NodesGoneWithTheirParent() {
    TMovingStage Stage;
    QVERIFY(Stage.Exposed);
    Stage.AddMoved("Image", QRect(100, 50, 80, 60));
    TLoggingControl *Other = Stage.Moved(Stage.AddWindowControl("Other", QRect(530, 320, 60, 40)));
    TMover &Mover = Stage.Mover;
    Stage.Press({120, 70});
    Stage.Release({120, 70});
    delete Stage.Frame;
    for (int I = 0; I < NodeCount; ++I)
      QVERIFY(!Mover.NodePanel(I));
    Mover.SetNodesVisible(false);
    Mover.ControlMouseDown(Other, TMouseButton::mbLeft, ssLeft, 0, 0);
    QCOMPARE(Mover.CurrentControl(), Other);
    Mover.ControlMouseUp(Other, TMouseButton::mbLeft, 0, 0, 0);
  }
};

QTEST_MAIN(TMoverActivationTest)
#include "tst_moveractivation.moc"
