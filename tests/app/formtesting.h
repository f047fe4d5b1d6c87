#pragma once

// What the main window's tests share beyond the window's seams (support/windowtestseams.h):
// a driver that sends mouse events into the window the way the window system does, so the
// widget under the point (and Qt's implicit mouse grab) decides who gets them, and where the
// mover's nodes stand.

#include "mover/mover.h"
#include "platform/graphiccontrol.h"
#include "support/filebytes.h"
#include "support/nodecorners.h"
#include "support/testdata.h"
#include "support/whiteframe.h"
#include "support/windowtestseams.h"

#include <QImage>
#include <QTest>
#include <QWindow>

#include <array>

// Mouse input for a shown main window. Points are given in the client coordinates of a
// widget of the window (for a picture box that reaches beyond the frame, give frame points);
// the fake pointer stands there when the event arrives.
class TFormMouse {
public:
  TFormMouse(QWidget &Form, TFakeCursor &Cursor) : FForm(Form), FCursor(Cursor) {}

  void Press(QWidget *Where, const QPoint &At, Qt::KeyboardModifiers Modifiers = {}) {
    FButtons = Qt::LeftButton;
    Send(Where, At, Qt::LeftButton, QEvent::MouseButtonPress, Modifiers);
  }
  void Move(QWidget *Where, const QPoint &At, Qt::KeyboardModifiers Modifiers = {}) {
    Send(Where, At, Qt::NoButton, QEvent::MouseMove, Modifiers);
  }
  void Release(QWidget *Where, const QPoint &At) {
    FButtons = {};
    Send(Where, At, Qt::LeftButton, QEvent::MouseButtonRelease, {});
    // The next press starts a new click, not the second half of a double click.
    FClock += 1000;
  }
  void Click(QWidget *Where, const QPoint &At) {
    Press(Where, At);
    Release(Where, At);
  }
  void Drag(QWidget *Where, const QPoint &From, const QPoint &To) {
    Press(Where, From);
    Move(Where, (From + To) / 2);
    Move(Where, To);
    Release(Where, To);
  }
  // Two clicks in quick succession: the window system makes the second press a double click.
  void DoubleClick(QWidget *Where, const QPoint &At) {
    FButtons = Qt::LeftButton;
    Send(Where, At, Qt::LeftButton, QEvent::MouseButtonPress, {});
    FButtons = {};
    Send(Where, At, Qt::LeftButton, QEvent::MouseButtonRelease, {});
    FButtons = Qt::LeftButton;
    Send(Where, At, Qt::LeftButton, QEvent::MouseButtonPress, {});
    FButtons = {};
    Send(Where, At, Qt::LeftButton, QEvent::MouseButtonRelease, {});
    FClock += 1000;
  }

private:
  void Send(QWidget *Where, const QPoint &At, Qt::MouseButton Button, QEvent::Type Type,
            Qt::KeyboardModifiers Modifiers) {
    const QPoint InForm = Where == &FForm ? At : Where->mapTo(&FForm, At);
    const QPoint Global = FForm.mapToGlobal(InForm);
    FCursor.Position = Global;
    QWindow *Handle = FForm.windowHandle();
    FClock += 10;
    qt_handleMouseEvent(Handle, QPointF(InForm), QPointF(Global), FButtons, Button, Type,
                        Modifiers, FClock);
    QCoreApplication::processEvents();
  }

  QWidget &FForm;
  TFakeCursor &FCursor;
  Qt::MouseButtons FButtons;
  int FClock = 200000;
};

// Whether all eight resize nodes show (Visible) or none does (!Visible).
inline bool NodesShown(const TZelvaneForm &Form, bool Visible) {
  for (int I = 0; I < 8; ++I) {
    TNodePanel *Node = Form.FMover->NodePanel(I);
    const bool Shown = Node && Node->parentWidget() && Node->isVisible();
    if (Shown != Visible)
      return false;
  }
  return true;
}

inline bool NodesAround(const TZelvaneForm &Form, const QRect &Bounds) {
  const std::array<QPoint, 8> Corners = NodeCornersAround(Bounds);
  for (int I = 0; I < 8; ++I) {
    TNodePanel *Node = Form.FMover->NodePanel(I);
    if (!Node || Node->parentWidget() != Form.Panel || !Node->isVisible() ||
        Node->pos() != Corners[I])
      return false;
  }
  return true;
}
