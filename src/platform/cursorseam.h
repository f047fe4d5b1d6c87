#pragma once

#include <QPoint>

// Named cursors, with the identifiers the rest of the program speaks in.
enum TCursor : int {
  crDefault = 0,
  crSizeNESW = -6,
  crSizeNS = -7,
  crSizeNWSE = -8,
  crSizeWE = -9,
  crHandPoint = -21,
  crSizeAll = -22,
};

// The system cursor and the application-wide cursor override, behind a seam so tests can
// drive the mover with a cursor of their own instead of the real pointer.
class TCursorSeam {
public:
  virtual ~TCursorSeam() = default;
  // Cursor position in screen (global, device-independent) coordinates.
  virtual QPoint Pos() const = 0;
  // Whether SetPos can move the pointer here. Wayland gives no client that power: there the
  // pointer stays where the user's hand put it (and Qt complains at each attempt), and X11
  // programs under Xwayland move it only for a moment.
  virtual bool CanSetPos() const { return true; }
  // Moves the pointer, where CanSetPos says it can. The window system then reports a mouse
  // move to the new place, as if the user had moved it there.
  virtual void SetPos(const QPoint &ScreenPos) = 0;
  // crDefault removes the override.
  virtual void SetScreenCursor(TCursor Cursor) = 0;
  virtual TCursor ScreenCursor() const = 0;
};

// The process-wide seam: the real pointer unless a test installed another one.
TCursorSeam &Cursor();
// Installs Seam (not owned); nullptr goes back to the real pointer.
void SetCursorSeam(TCursorSeam *Seam);

// The Qt cursor shape for a named cursor.
Qt::CursorShape CursorShape(TCursor Cursor);
