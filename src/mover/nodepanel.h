#pragma once

#include "platform/cursorseam.h"
#include "platform/graphiccontrol.h"

#include <QPoint>
#include <QRect>
#include <QWidget>

// The eight resize nodes around a control, clockwise from its top-left corner. Node i's
// top-left corner sits 2 pixels up and left of its anchor, so the anchor is the centre pixel
// of the 5 x 5 node:
//
//     0 ------- 1 ------- 2         anchors, with L, T, W, H the control's bounds:
//     |                   |           0 (L, T)            1 (L + W/2, T)
//     7       control     3           2 (L + W, T)        3 (L + W, T + H/2)
//     |                   |           4 (L + W, T + H)    5 (L + W/2, T + H)
//     6 ------- 5 ------- 4           6 (L, T + H)        7 (L, T + H/2)
//
// Halves truncate toward zero.
inline constexpr int NodeCount = 8;
inline constexpr int NodeSize = 5;

// The edges of the control that dragging a node moves.
enum TNodeEdge : unsigned { neLeft = 1, neTop = 2, neRight = 4, neBottom = 8 };

// Node Index's top-left corner for a control with the given bounds, in the same coordinates.
QPoint NodeOrigin(int Index, const QRect &Bounds);
unsigned NodeEdges(int Index);
// The node's own cursor, shown while it is hovered.
TCursor NodeCursor(int Index);

// One resize node: a small black windowed control. It has no handlers of its own; its three
// mouse events are bound by whoever made it, and a press on it goes nowhere else.
class TNodePanel : public QWidget {
  Q_OBJECT
public:
  explicit TNodePanel(QWidget *Parent = nullptr);

  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

protected:
  void paintEvent(QPaintEvent *Event) override;
  void mousePressEvent(QMouseEvent *Event) override;
  void mouseMoveEvent(QMouseEvent *Event) override;
  void mouseReleaseEvent(QMouseEvent *Event) override;
};
