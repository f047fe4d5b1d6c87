#pragma once

// A stage for driving the mover the way the window system does: a shown top-level window
// holding a 480 x 272 frame with windowless controls, mouse events entering through the window
// (so Qt's implicit grab and mouse tracking are in play), and a fake cursor standing in for the
// system pointer.

#include "mover/mover.h"
#include "platform/graphiccontrol.h"
#include "support/fakecursor.h"
#include "support/nodecorners.h"
#include "support/whiteframe.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <array>

// A windowless control painted solid grey, whose own handlers write to a log.
class TLoggingControl : public TGraphicControl {
public:
  TLoggingControl(QWidget *Parent, const QString &Name, QStringList &Log)
      : TGraphicControl(Parent) {
    setObjectName(Name);
    OnClick = [&Log, Name](QObject *) { Log << Name + " click"; };
    OnDblClick = [&Log, Name](QObject *) { Log << Name + " dblclick"; };
    OnMouseDown = [&Log, Name](QObject *, TMouseButton, TShiftState, int, int) {
      Log << Name + " down";
    };
    OnMouseMove = [&Log, Name](QObject *, TShiftState, int, int) { Log << Name + " move"; };
    OnMouseUp = [&Log, Name](QObject *, TMouseButton, TShiftState, int, int) {
      Log << Name + " up";
    };
  }

protected:
  void paintEvent(QPaintEvent *Event) override {
    QPainter Painter(this);
    Painter.fillRect(Event->rect(), QColor(128, 128, 128));
  }
};

class TMoverStage {
public:
  static constexpr QPoint FrameOrigin{40, 30};

  TMoverStage() {
    Window.resize(640, 400);
    Window.move(15, 25);
    Frame = new QWidget(&Window);
    Frame->setObjectName("Frame");
    Frame->setGeometry(QRect(FrameOrigin, QSize(480, 272)));
    PaintWhite(*Frame);
    SetCursorSeam(&Cursor);
    Window.show();
    Exposed = QTest::qWaitForWindowExposed(&Window);
  }
  ~TMoverStage() { SetCursorSeam(nullptr); }

  TLoggingControl *AddControl(const QString &Name, const QRect &Bounds) {
    return Place(new TLoggingControl(Frame, Name, Log), Bounds);
  }
  // A control on the window beside the frame, Bounds in the window's coordinates.
  TLoggingControl *AddWindowControl(const QString &Name, const QRect &Bounds) {
    return Place(new TLoggingControl(&Window, Name, Log), Bounds);
  }

  // A point of the frame's client area on the screen.
  QPoint Screen(const QPoint &InFrame) const { return Frame->mapToGlobal(InFrame); }

  // Mouse actions at a point of the frame (which may lie outside the frame or the window);
  // the fake cursor is there when the event arrives.
  void Press(const QPoint &InFrame, Qt::MouseButton Button = Qt::LeftButton,
             Qt::KeyboardModifiers Modifiers = {}) {
    Buttons |= Button;
    Send(InFrame, Button, QEvent::MouseButtonPress, Modifiers);
  }
  void Move(const QPoint &InFrame, Qt::KeyboardModifiers Modifiers = {}) {
    Send(InFrame, Qt::NoButton, QEvent::MouseMove, Modifiers);
  }
  // The hand moves the mouse by Delta: the pointer goes on from where it is. Where the program
  // moved the pointer meanwhile, the window system reports a move to that place next, as X11
  // does after a warp.
  void MoveBy(const QPoint &Delta) {
    SendGlobal(Cursor.Position + Delta, Qt::NoButton, QEvent::MouseMove, {});
    for (int Reported = 0; Reported < MaxWarpsPerMove && Cursor.Warped; ++Reported)
      SendGlobal(Cursor.Position, Qt::NoButton, QEvent::MouseMove, {});
  }
  void Release(const QPoint &InFrame, Qt::MouseButton Button = Qt::LeftButton,
               Qt::KeyboardModifiers Modifiers = {}) {
    Buttons &= ~Qt::MouseButtons(Button);
    Send(InFrame, Button, QEvent::MouseButtonRelease, Modifiers);
    // The next press is a new click, not the second half of a double click.
    Clock += 1000;
  }
  // Press, release, press, release in quick succession: the window system makes the second
  // press a double click.
  void DoubleClick(const QPoint &InFrame) {
    Buttons = Qt::LeftButton;
    Send(InFrame, Qt::LeftButton, QEvent::MouseButtonPress, {});
    Buttons = {};
    Send(InFrame, Qt::LeftButton, QEvent::MouseButtonRelease, {});
    Buttons = Qt::LeftButton;
    Send(InFrame, Qt::LeftButton, QEvent::MouseButtonPress, {});
    Buttons = {};
    Send(InFrame, Qt::LeftButton, QEvent::MouseButtonRelease, {});
    Clock += 1000;
  }

  QWidget Window;
  QWidget *Frame = nullptr;
  TFakeCursor Cursor;
  QStringList Log;
  bool Exposed = false;

private:
  static constexpr int MaxWarpsPerMove = 4;

  static TLoggingControl *Place(TLoggingControl *Control, const QRect &Bounds) {
    Control->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
    return Control;
  }

  void Send(const QPoint &InFrame, Qt::MouseButton Button, QEvent::Type Type,
            Qt::KeyboardModifiers Modifiers) {
    SendGlobal(Screen(InFrame), Button, Type, Modifiers);
  }
  void SendGlobal(const QPoint &Global, Qt::MouseButton Button, QEvent::Type Type,
                  Qt::KeyboardModifiers Modifiers) {
    Cursor.Position = Global;
    Cursor.Warped = false;
    QWindow *Handle = Window.windowHandle();
    Clock += 10;
    qt_handleMouseEvent(Handle, Handle->mapFromGlobal(Global), Global, Buttons, Button, Type,
                        Modifiers, Clock);
    QCoreApplication::processEvents();
  }

  Qt::MouseButtons Buttons;
  int Clock = 100000;
};

// The log without its move entries. A press or release away from the last known pointer
// position comes with a move to it first, so how many moves a control logs depends on where
// the pointer was before.
inline QStringList WithoutMoves(const QStringList &Log) {
  QStringList Kept;
  for (const QString &Entry : Log)
    if (!Entry.endsWith(QLatin1String(" move")))
      Kept << Entry;
  return Kept;
}

// The stage with a mover over its window. Tests about registration and activation themselves
// give the mover its controls by hand; the others through Moved or AddMoved.
class TMovingStage : public TMoverStage {
public:
  TMover Mover{&Window};

  // Control given to the mover, which is then switched on. The mover takes over only the
  // controls it has when switched on, so for a second control it is switched off and on again:
  // every control given this way is routed.
  template <class TControl> TControl *Moved(TControl *Control) {
    Mover.SetActive(false);
    Mover.AddControl(Control);
    Mover.SetActive(true);
    return Control;
  }
  // A control on the frame, given to the mover as above.
  TLoggingControl *AddMoved(const QString &Name, const QRect &Bounds) {
    return Moved(AddControl(Name, Bounds));
  }
};
