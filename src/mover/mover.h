#pragma once

#include "platform/graphiccontrol.h"
#include "mover/nodepanel.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class TComponentList;

// A growable array of bound event handlers; an entry holding no handler means there was none.
using TMethodArray = std::vector<TMethod>;

// Moves and resizes controls with the mouse inside the parent that holds them.
//
// Registered controls (AddControl) are taken over when the mover is activated (SetActive):
// their OnClick is cleared and their OnMouseDown, OnMouseMove and OnMouseUp are pointed at the
// mover's published operations, found by name; the handlers they had are kept in the four
// saved-handler arrays. Then
//   - a press on a control places eight 5 x 5 nodes around it and shows them;
//   - a drag moves the control by the cursor's travel;
//   - a Shift-drag resizes it from its bottom-right corner, a side following the cursor only
//     while it stays longer than 20 pixels;
//   - dragging a node moves the control's side(s) under it; where a side would get shorter
//     than 10 pixels the system cursor is held back on the limit instead. Where the platform
//     cannot move the pointer (Wayland), the mover holds back a pointer of its own: it keeps
//     how far the real one went past the limit, follows the real one less that overshoot for
//     the rest of the node drag, and takes the step at the limit at once, as the window
//     system's move to the new place does elsewhere. Every step then gives what it gives
//     where the pointer moves.
// The cursor is always read from the cursor seam in screen coordinates; the event's own X, Y
// are not used.
//
// Qt grabs the mouse for the pressed widget until the last button is up, so a drag always
// ends at its release, wherever the cursor is then. A move that arrives with no button held
// while a drag is recorded means its release went elsewhere (a modal dialog opened by a
// double click, say): the drag ends there as at a release, and nothing moves.
//
// The mover is owned by the QObject given at construction; it owns its eight nodes, which live
// as children of the surrounded control's parent once placed.
class TMover : public QObject {
  Q_OBJECT
public:
  explicit TMover(QObject *AOwner);
  ~TMover() override;

  static TMover *Create(QObject *AOwner) { return new TMover(AOwner); }

  // Registers Control; routing starts at the next activation.
  void AddControl(QWidget *Control);
  // Turns routing on or off; nothing happens when Value is the current state.
  // Turning it on throws "Property %s does not exist" for a registered control lacking
  // OnMouseDown, OnMouseMove or OnMouseUp; the mover is then active and the controls handled
  // before it stay routed. Turning it off ends a control drag under way (its release would
  // no longer reach the mover) and gives each routed control its saved handlers back.
  void SetActive(bool Value);

  // Shows or hides all eight nodes; nodes never placed stay hidden.
  Q_INVOKABLE void SetNodesVisible(bool Value);
  // The handlers activation installs; Button, X and Y are not used.
  Q_INVOKABLE void ControlMouseDown(QObject *Sender, TMouseButton Button, TShiftState Shift, int X,
                                    int Y);
  Q_INVOKABLE void ControlMouseMove(QObject *Sender, TShiftState Shift, int X, int Y);
  Q_INVOKABLE void ControlMouseUp(QObject *Sender, TMouseButton Button, TShiftState Shift, int X,
                                  int Y);

  bool Active() const { return FActive; }
  bool Dragging() const { return FDragging; }
  bool NodeDragging() const { return FNodeDragging; }
  QPoint LastPos() const { return FLastPos; }
  // Empty before the first placement, and once that control is destroyed.
  QWidget *CurrentControl() const { return FCurrentControl; }
  TNodePanel *NodePanel(int Index) const { return FNodePanels.at(Index); }
  int ControlCount() const;
  QObject *Control(int Index) const;

private:
  void NodeMouseDown(QObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void NodeMouseMove(QObject *Sender, TShiftState Shift, int X, int Y);
  void NodeMouseUp(QObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  // One node step with the pointer at P (screen): resizes FCurrentControl, or returns the
  // screen point the pointer is held back on, changing nothing.
  std::optional<QPoint> NodeStep(int Index, const QPoint &P);
  void PositionNodes(QWidget *A);
  void CreateNodes();

  void Route();
  void Unroute();
  void EndDrag();
  void EndNodeDrag();
  bool IsOwnHandler(const TMethod &Method) const;
  void RaiseNodes(QWidget *Parent);
  bool IsNode(const QObject *Object) const;
  void ControlDropped(int Index);

  bool FDragging = false;
  bool FNodeDragging = false;
  // Screen coordinates.
  QPoint FLastPos;
  // During a node drag where the pointer cannot be moved: how far the real pointer lies
  // beyond the held-back one. Zero otherwise.
  QPoint FOvershoot;
  // The nodes in index order; a node destroyed with its parent drops to empty.
  QList<QPointer<TNodePanel>> FNodes;
  // Per routed control, at its index in FControls: the handler it had at activation.
  TMethodArray FSavedOnClick;
  TMethodArray FSavedOnMouseDown;
  TMethodArray FSavedOnMouseMove;
  TMethodArray FSavedOnMouseUp;
  // Made on first use; does not own the controls.
  std::unique_ptr<TComponentList> FControls;
  bool FActive = false;
  std::array<QPointer<TNodePanel>, 8> FNodePanels;
  QPointer<QWidget> FCurrentControl;
};
