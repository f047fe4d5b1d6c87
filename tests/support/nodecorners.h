#pragma once

// Where the mover's eight resize nodes stand, worked out from the node table rather than
// from the mover.

#include <QPoint>
#include <QRect>

#include <array>

// The nodes' top-left corners around a control's bounds: anchors at the corners and edge
// midpoints (halves truncated), clockwise from the top-left corner, each node 2 pixels up
// and left of its anchor.
inline std::array<QPoint, 8> NodeCornersAround(const QRect &B) {
  const int L = B.x(), T = B.y(), W = B.width(), H = B.height();
  return {QPoint(L - 2, T - 2),         QPoint(L + W / 2 - 2, T - 2),
          QPoint(L + W - 2, T - 2),     QPoint(L + W - 2, T + H / 2 - 2),
          QPoint(L + W - 2, T + H - 2), QPoint(L + W / 2 - 2, T + H - 2),
          QPoint(L - 2, T + H - 2),     QPoint(L - 2, T + H / 2 - 2)};
}
