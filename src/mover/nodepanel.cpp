#include "mover/nodepanel.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

struct TNodeRow {
  int XHalves; // anchor x: 0 left edge, 1 middle, 2 right edge
  int YHalves; // anchor y: 0 top edge, 1 middle, 2 bottom edge
  unsigned Edges;
  TCursor Cursor;
};

constexpr TNodeRow NodeTable[NodeCount] = {
    {0, 0, neLeft | neTop, crSizeNWSE},     {1, 0, neTop, crSizeNS},
    {2, 0, neRight | neTop, crSizeNESW},    {2, 1, neRight, crSizeWE},
    {2, 2, neRight | neBottom, crSizeNWSE}, {1, 2, neBottom, crSizeNS},
    {0, 2, neLeft | neBottom, crSizeNESW},  {0, 1, neLeft, crSizeWE},
};

int Anchor(int Start, int Extent, int Halves) {
  switch (Halves) {
  case 0:
    return Start;
  case 1:
    return Start + Extent / 2;
  default:
    return Start + Extent;
  }
}

} // namespace

QPoint NodeOrigin(int Index, const QRect &Bounds) {
  const TNodeRow &Row = NodeTable[Index];
  return QPoint(Anchor(Bounds.left(), Bounds.width(), Row.XHalves) - NodeSize / 2,
                Anchor(Bounds.top(), Bounds.height(), Row.YHalves) - NodeSize / 2);
}

unsigned NodeEdges(int Index) { return NodeTable[Index].Edges; }

TCursor NodeCursor(int Index) { return NodeTable[Index].Cursor; }

TNodePanel::TNodePanel(QWidget *Parent) : QWidget(Parent) {
  // Solid black, painted whole: nothing of the parent needs drawing underneath.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TNodePanel::paintEvent(QPaintEvent *Event) {
  QPainter Painter(this);
  Painter.fillRect(Event->rect(), Qt::black);
}

// Mouse coordinates handed on are the node's client coordinates. The events are left
// accepted, so they never reach the parent.

void TNodePanel::mousePressEvent(QMouseEvent *Event) {
  if (OnMouseDown)
    OnMouseDown(this, MouseButtonOf(Event->button()),
                ShiftStateOf(Event->modifiers(), Event->buttons()), Event->position().toPoint().x(),
                Event->position().toPoint().y());
}

void TNodePanel::mouseMoveEvent(QMouseEvent *Event) {
  if (OnMouseMove)
    OnMouseMove(this, ShiftStateOf(Event->modifiers(), Event->buttons()),
                Event->position().toPoint().x(), Event->position().toPoint().y());
}

void TNodePanel::mouseReleaseEvent(QMouseEvent *Event) {
  if (OnMouseUp)
    OnMouseUp(this, MouseButtonOf(Event->button()),
              ShiftStateOf(Event->modifiers(), Event->buttons()), Event->position().toPoint().x(),
              Event->position().toPoint().y());
}
