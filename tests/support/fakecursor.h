#pragma once

// The system pointer, under the test's control, for the mover and the windows that hold it.

#include "platform/cursorseam.h"

#include <QList>
#include <QPoint>

// SetPos records where it was asked to go and moves it there, as X11 does; a pointer that is
// not Movable stays, as on Wayland.
class TFakeCursor final : public TCursorSeam {
public:
  QPoint Position;
  QList<QPoint> SetPositions;
  TCursor Current = crDefault;
  bool Movable = true;
  // Moved by SetPos since the last mouse event.
  bool Warped = false;

  QPoint Pos() const override { return Position; }
  bool CanSetPos() const override { return Movable; }
  void SetPos(const QPoint &ScreenPos) override {
    SetPositions.append(ScreenPos);
    if (!Movable)
      return;
    Position = ScreenPos;
    Warped = true;
  }
  void SetScreenCursor(TCursor Cursor) override { Current = Cursor; }
  TCursor ScreenCursor() const override { return Current; }
};
