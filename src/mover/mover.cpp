#include "mover/mover.h"
#include "mover/componentlist.h"
#include "platform/controlgeometry.h"
#include "platform/cursorseam.h"
#include "mover/nodepanel.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace {

constexpr TShiftState ssButtons = ssLeft | ssRight | ssMiddle;
// A Shift-drag sets a side only to a length above this.
constexpr int ShiftResizeMinimum = 20;
// A node drag never leaves a side it moves shorter than this.
constexpr int NodeResizeMinimum = 10;
// Each hold corrects one coordinate, so a move is held at most twice before its step applies.
constexpr int MaxHoldsPerStep = 2;

// Handlers bound to a published operation of a mover. They are types of their own so that the
// mover can tell its handlers on a control from anyone else's, and they hold the mover weakly:
// a control that outlives its mover fires into nothing.
struct TPublishedMouseEvent {
  QPointer<TMover> Mover;
  void (TMover::*Method)(QObject *, TMouseButton, TShiftState, int, int);
  void operator()(QObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y) const {
    if (Mover)
      (Mover.data()->*Method)(Sender, Button, Shift, X, Y);
  }
};

struct TPublishedMouseMoveEvent {
  QPointer<TMover> Mover;
  void operator()(QObject *Sender, TShiftState Shift, int X, int Y) const {
    if (Mover)
      Mover->ControlMouseMove(Sender, Shift, X, Y);
  }
};

std::runtime_error NoSuchProperty(const QString &Name) {
  return std::runtime_error(QString("Property %1 does not exist").arg(Name).toStdString());
}

// What a registered object without named events has: none at all.
class TNoEvents final : public TEventSource {
public:
  bool HasEvent(const QString &) const override { return false; }
  TMethod GetEvent(const QString &Name) const override { throw NoSuchProperty(Name); }
  void SetEvent(const QString &Name, const TMethod &) override { throw NoSuchProperty(Name); }
};

TEventSource &EventsOf(QObject *Component) {
  static TNoEvents None;
  auto *Events = dynamic_cast<TEventSource *>(Component);
  return Events ? *Events : None;
}

const QString OnClick = QStringLiteral("OnClick");
const QString OnMouseDown = QStringLiteral("OnMouseDown");
const QString OnMouseMove = QStringLiteral("OnMouseMove");
const QString OnMouseUp = QStringLiteral("OnMouseUp");

} // namespace

TMover::TMover(QObject *AOwner) : QObject(AOwner) { CreateNodes(); }

TMover::~TMover() {
  // Freed in the middle of a drag: leave no cursor override behind.
  EndDrag();
  EndNodeDrag();
  FControls.reset();
  FNodes.clear();
  // Placed nodes are children of another widget; those it already took with it are gone.
  for (const QPointer<TNodePanel> &Node : FNodePanels)
    delete Node.data();
}

void TMover::CreateNodes() {
  for (int I = 0; I < NodeCount; ++I) {
    // No parent until the first placement; the mover deletes it.
    auto *Node = new TNodePanel();
    FNodePanels[I] = Node;
    Node->setObjectName(QStringLiteral("Node%1").arg(I));
    Node->setAccessibleName(QStringLiteral("Resize handle"));
    Node->resize(NodeSize, NodeSize);
    Node->hide();
    FNodes.append(Node);
    Node->setCursor(QCursor(CursorShape(NodeCursor(I))));
    Node->OnMouseDown = [this](QObject *Sender, TMouseButton Button, TShiftState Shift, int X,
                               int Y) { NodeMouseDown(Sender, Button, Shift, X, Y); };
    Node->OnMouseMove = [this](QObject *Sender, TShiftState Shift, int X, int Y) {
      NodeMouseMove(Sender, Shift, X, Y);
    };
    Node->OnMouseUp = [this](QObject *Sender, TMouseButton Button, TShiftState Shift, int X,
                             int Y) { NodeMouseUp(Sender, Button, Shift, X, Y); };
  }
}

void TMover::AddControl(QWidget *Control) {
  if (!FControls) {
    FControls = std::make_unique<TComponentList>();
    connect(FControls.get(), &TComponentList::ItemRemoved, this, &TMover::ControlDropped);
  }
  FControls->Add(Control);
}

int TMover::ControlCount() const { return FControls ? FControls->Count() : 0; }

QObject *TMover::Control(int Index) const { return FControls->Items(Index); }

void TMover::ControlDropped(int Index) {
  // Keep the saved handlers at the index of their control.
  for (TMethodArray *Saved :
       {&FSavedOnClick, &FSavedOnMouseDown, &FSavedOnMouseMove, &FSavedOnMouseUp})
    if (Index < static_cast<int>(Saved->size()))
      Saved->erase(Saved->begin() + Index);
}

bool TMover::IsOwnHandler(const TMethod &Method) const {
  if (const auto *Mouse = std::get_if<TMouseEvent>(&Method)) {
    const auto *Published = Mouse->target<TPublishedMouseEvent>();
    return Published && Published->Mover == this;
  }
  if (const auto *Move = std::get_if<TMouseMoveEvent>(&Method)) {
    const auto *Published = Move->target<TPublishedMouseMoveEvent>();
    return Published && Published->Mover == this;
  }
  return false;
}

void TMover::SetActive(bool Value) {
  if (Value == FActive)
    return;
  FActive = Value;
  if (Value)
    Route();
  else
    Unroute();
}

void TMover::Route() {
  const int Count = ControlCount();
  for (TMethodArray *Saved :
       {&FSavedOnClick, &FSavedOnMouseDown, &FSavedOnMouseMove, &FSavedOnMouseUp}) {
    Saved->clear();
    Saved->resize(Count);
  }
  const TMethod Down = TMouseEvent(TPublishedMouseEvent{this, &TMover::ControlMouseDown});
  const TMethod Move = TMouseMoveEvent(TPublishedMouseMoveEvent{this});
  const TMethod Up = TMouseEvent(TPublishedMouseEvent{this, &TMover::ControlMouseUp});
  for (int I = 0; I < Count; ++I) {
    TEventSource &Events = EventsOf(FControls->Items(I));
    if (Events.HasEvent(OnClick)) {
      FSavedOnClick[I] = Events.GetEvent(OnClick);
      try {
        Events.SetEvent(OnClick, TMethod());
      } catch (const std::exception &) {
        // A click handler that cannot be cleared does not stop the routing.
      }
    }
    FSavedOnMouseDown[I] = Events.GetEvent(OnMouseDown);
    Events.SetEvent(OnMouseDown, Down);
    FSavedOnMouseMove[I] = Events.GetEvent(OnMouseMove);
    Events.SetEvent(OnMouseMove, Move);
    FSavedOnMouseUp[I] = Events.GetEvent(OnMouseUp);
    Events.SetEvent(OnMouseUp, Up);
  }
}

void TMover::Unroute() {
  // The control's release will no longer reach the mover: end its drag now.
  EndDrag();
  const int Count = std::min(ControlCount(), static_cast<int>(FSavedOnMouseDown.size()));
  // Last to first: a control registered twice saved the mover's own handlers at its later
  // entry, so the handlers of its first entry, put back last, are the ones it keeps.
  for (int I = Count - 1; I >= 0; --I) {
    TEventSource &Events = EventsOf(FControls->Items(I));
    // A handler goes back only where the mover's own is still in place: a control that a
    // failed activation never reached, or that got other handlers since, keeps what it has.
    auto RestoreOwn = [&](const QString &Name, const TMethod &Saved) {
      if (!Events.HasEvent(Name) || !IsOwnHandler(Events.GetEvent(Name)))
        return false;
      Events.SetEvent(Name, Saved);
      return true;
    };
    const bool Routed = RestoreOwn(OnMouseDown, FSavedOnMouseDown[I]);
    RestoreOwn(OnMouseMove, FSavedOnMouseMove[I]);
    RestoreOwn(OnMouseUp, FSavedOnMouseUp[I]);
    if (Routed && Events.HasEvent(OnClick) && !IsAssigned(Events.GetEvent(OnClick))) {
      try {
        Events.SetEvent(OnClick, FSavedOnClick[I]);
      } catch (const std::exception &) {
        // Clearing it may have failed the same way at activation; the rest is back.
      }
    }
  }
  for (TMethodArray *Saved :
       {&FSavedOnClick, &FSavedOnMouseDown, &FSavedOnMouseMove, &FSavedOnMouseUp})
    Saved->clear();
}

void TMover::EndDrag() {
  if (!FDragging)
    return;
  Cursor().SetScreenCursor(crDefault);
  FDragging = false;
}

void TMover::EndNodeDrag() {
  if (!FNodeDragging)
    return;
  Cursor().SetScreenCursor(crDefault);
  FNodeDragging = false;
  FOvershoot = QPoint();
}

// Capture: Qt grabs the mouse for the pressed widget, windowed or windowless, whatever the
// button, and keeps the grab until the last button is released. Moves and the release of a
// drag therefore reach the pressed control or node wherever the cursor goes, and the grab ends
// by itself; the handlers below neither take nor release it.

void TMover::ControlMouseDown(QObject *Sender, TMouseButton, TShiftState, int, int) {
  auto *Control = qobject_cast<QWidget *>(Sender);
  if (!FActive || !Control)
    return;
  FDragging = true;
  FLastPos = Cursor().Pos();
  PositionNodes(Control);
}

void TMover::ControlMouseMove(QObject *Sender, TShiftState Shift, int, int) {
  if (!FDragging)
    return;
  auto *Control = qobject_cast<QWidget *>(Sender);
  if (!Control)
    return;
  if (!(Shift & ssButtons)) {
    // The release went elsewhere; hovering never moves a control.
    EndDrag();
    return;
  }
  const QPoint P = Cursor().Pos();
  // Each step changes the bounds in one call: setting the sides one after the other would
  // also repaint the places in between.
  const QRect B = ControlBounds(*Control);
  if (Shift & ssShift) {
    // Bottom-right corner to the cursor, each side on its own; FLastPos stays.
    Cursor().SetScreenCursor(crSizeNWSE);
    const QPoint C = ScreenToControl(*Control, P);
    SetControlBounds(*Control, B.left(), B.top(), C.x() > ShiftResizeMinimum ? C.x() : B.width(),
                     C.y() > ShiftResizeMinimum ? C.y() : B.height());
  } else {
    Cursor().SetScreenCursor(crSizeAll);
    SetControlBounds(*Control, B.left() + P.x() - FLastPos.x(), B.top() + P.y() - FLastPos.y(),
                     B.width(), B.height());
    FLastPos = P;
  }
  PositionNodes(Control);
}

void TMover::ControlMouseUp(QObject *, TMouseButton, TShiftState, int, int) { EndDrag(); }

void TMover::NodeMouseDown(QObject *Sender, TMouseButton, TShiftState, int, int) {
  if (!FCurrentControl || !FActive || !IsWindowed(Sender))
    return;
  FNodeDragging = true;
  FOvershoot = QPoint();
  FLastPos = Cursor().Pos();
}

void TMover::NodeMouseMove(QObject *Sender, TShiftState Shift, int, int) {
  if (!FCurrentControl || !FNodeDragging)
    return;
  if (!(Shift & ssButtons)) {
    EndNodeDrag();
    return;
  }
  int Index = -1;
  for (int I = 0; I < FNodes.size() && Index < 0; ++I)
    if (Sender && FNodes.at(I) == Sender)
      Index = I;
  if (Index < 0)
    return;
  QPoint P = Cursor().Pos() - FOvershoot;
  // One cursor for every node while dragging, whatever the node's own.
  Cursor().SetScreenCursor(crSizeNWSE);
  // A held-back pointer is moved there, and the window system's move to that place brings
  // the next step. Where it cannot be moved, that step is taken here with the pointer held
  // back; it may hold the other coordinate of a corner node in turn, so up to two holds
  // precede the step that applies.
  for (int Hold = 0; Hold <= MaxHoldsPerStep; ++Hold) {
    const std::optional<QPoint> HeldAt = NodeStep(Index, P);
    if (!HeldAt)
      return;
    if (Cursor().CanSetPos()) {
      Cursor().SetPos(*HeldAt);
      return;
    }
    FOvershoot += P - *HeldAt;
    P = *HeldAt;
  }
}

std::optional<QPoint> TMover::NodeStep(int Index, const QPoint &P) {
  QWidget &Control = *FCurrentControl;
  const QPoint C = ScreenToParent(Control, P);
  const QRect B = ControlBounds(Control);
  const int L = B.left(), T = B.top(), W = B.width(), H = B.height();
  const unsigned Edges = NodeEdges(Index);

  // The first limit that applies holds the cursor back on it, one coordinate per event (a
  // corner node has its other coordinate tested at the next move); nothing else changes.
  std::optional<QPoint> HeldBack;
  if ((Edges & neRight) && C.x() < L + NodeResizeMinimum)
    HeldBack = QPoint(L + NodeResizeMinimum, C.y());
  else if ((Edges & neLeft) && C.x() > L + W - NodeResizeMinimum)
    HeldBack = QPoint(L + W - NodeResizeMinimum, C.y());
  else if ((Edges & neBottom) && C.y() < T + NodeResizeMinimum)
    HeldBack = QPoint(C.x(), T + NodeResizeMinimum);
  else if ((Edges & neTop) && C.y() > T + H - NodeResizeMinimum)
    HeldBack = QPoint(C.x(), T + H - NodeResizeMinimum);
  if (HeldBack)
    return ParentToScreen(Control, *HeldBack);

  int Left = L, Top = T, Right = L + W, Bottom = T + H;
  if (Edges & neLeft)
    Left = C.x();
  if (Edges & neRight)
    Right = C.x();
  if (Edges & neTop)
    Top = C.y();
  if (Edges & neBottom)
    Bottom = C.y();
  SetControlBounds(Control, Left, Top, Right - Left, Bottom - Top);
  // The dragged node lands on the new outline with the others; shifting it by the cursor's
  // travel first would only repaint a spot it leaves at once.
  FLastPos = P;
  PositionNodes(&Control);
  return std::nullopt;
}

void TMover::NodeMouseUp(QObject *, TMouseButton, TShiftState, int, int) {
  // Ends even when the control went away meanwhile: no cursor override may stay behind.
  EndNodeDrag();
}

void TMover::PositionNodes(QWidget *A) {
  QWidget *Parent = A->parentWidget();
  // A node without a parent would be a window of its own.
  if (!Parent)
    return;
  FCurrentControl = nullptr;
  const QRect Bounds = ControlBounds(*A);
  // Node points are computed and set in the parent's client coordinates, which are the nodes'
  // own once they are the parent's children: no trip through the screen is needed.
  for (int I = 0; I < NodeCount; ++I) {
    TNodePanel *Node = FNodes.at(I);
    if (!Node)
      continue;
    if (Node->parentWidget() != Parent)
      Node->setParent(Parent);
    Node->move(NodeOrigin(I, Bounds));
  }
  RaiseNodes(Parent);
  FCurrentControl = A;
  SetNodesVisible(true);
}

void TMover::RaiseNodes(QWidget *Parent) {
  // The nodes are windowed and lie above the windowless controls (and any other child) of
  // their parent. Raising repaints them, so it is done only when they are not yet the topmost
  // widgets.
  int Live = 0;
  for (const QPointer<TNodePanel> &Node : FNodes)
    Live += Node ? 1 : 0;
  int OnTop = 0;
  const QObjectList &Children = Parent->children();
  for (auto It = Children.crbegin(); It != Children.crend(); ++It) {
    if (!(*It)->isWidgetType())
      continue;
    if (!IsNode(*It))
      break;
    ++OnTop;
  }
  if (OnTop == Live)
    return;
  for (const QPointer<TNodePanel> &Node : FNodes)
    if (Node)
      Node->raise();
}

bool TMover::IsNode(const QObject *Object) const {
  return Object &&
         std::any_of(FNodes.cbegin(), FNodes.cend(),
                     [Object](const QPointer<TNodePanel> &Node) { return Node == Object; });
}

void TMover::SetNodesVisible(bool Value) {
  for (const QPointer<TNodePanel> &Node : FNodePanels) {
    if (!Node || (Value && !Node->parentWidget()))
      continue;
    if (Node->isHidden() == Value)
      Node->setVisible(Value);
  }
}
