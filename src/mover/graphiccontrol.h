#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <variant>

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// Modifier keys and mouse buttons held during a mouse event; Shift is bit 0.
using TShiftState = unsigned;
inline constexpr TShiftState ssShift = 1u << 0;
inline constexpr TShiftState ssAlt = 1u << 1;
inline constexpr TShiftState ssCtrl = 1u << 2;
inline constexpr TShiftState ssLeft = 1u << 3;
inline constexpr TShiftState ssRight = 1u << 4;
inline constexpr TShiftState ssMiddle = 1u << 5;
inline constexpr TShiftState ssDouble = 1u << 6;

using TNotifyEvent = std::function<void(QObject *Sender)>;
using TMouseEvent =
    std::function<void(QObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject *Sender, TShiftState Shift, int X, int Y)>;

// One bound event handler, or none (monostate, or an empty function).
using TMethod = std::variant<std::monostate, TNotifyEvent, TMouseEvent, TMouseMoveEvent>;

bool IsAssigned(const TMethod &Method);

// A component whose events can be read and replaced by name ("OnClick", "OnMouseDown", ...).
// This is how the mover takes over a control without knowing its class.
class TEventSource {
public:
  virtual ~TEventSource() = default;
  virtual bool HasEvent(const QString &Name) const = 0;
  // Throws std::runtime_error "Property %s does not exist" for an unknown name.
  virtual TMethod GetEvent(const QString &Name) const = 0;
  // Throws for an unknown name or a handler of the wrong signature.
  virtual void SetEvent(const QString &Name, const TMethod &Handler) = 0;
};

// A windowless control: drawn inside its parent, with integer bounds relative to the parent's
// client area that may reach beyond it (the parent clips). Qt widgets cannot be arbitrarily
// large, so the bounds live here and the QWidget only covers their visible part:
//
//   parent  +-------------------------+
//           |   +~~~~~~~~~~~~~~~~~~~~~~~~~~~~+  bounds (Left, Top, Width, Height)
//           |   | QWidget = bounds ∩ parent |
//           +---+--------------------------+
//
// Mouse coordinates handed to the events are in the control's own client coordinates.
class TGraphicControl : public QWidget, public TEventSource {
  Q_OBJECT
public:
  explicit TGraphicControl(QWidget *Parent);

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  QRect BoundsRect() const { return QRect(FLeft, FTop, FWidth, FHeight); }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  // The one place every change of bounds goes through; subclasses may adjust the size.
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);

  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);

  // Client coordinates of this control <-> screen coordinates, through the parent chain.
  QPoint ClientToScreen(const QPoint &Point) const;
  QPoint ScreenToClient(const QPoint &Point) const;

  bool HasEvent(const QString &Name) const override;
  TMethod GetEvent(const QString &Name) const override;
  void SetEvent(const QString &Name, const TMethod &Handler) override;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

protected:
  // The control's client rectangle in this QWidget's coordinates (it may start left of or
  // above 0 when the control reaches beyond its parent).
  QRect ClientRectInWidget() const;
  // Called after the bounds changed; repaints by default.
  virtual void BoundsChanged() {}

  void mousePressEvent(QMouseEvent *Event) override;
  void mouseMoveEvent(QMouseEvent *Event) override;
  void mouseReleaseEvent(QMouseEvent *Event) override;
  void mouseDoubleClickEvent(QMouseEvent *Event) override;
  bool event(QEvent *Event) override;

private:
  void UpdateWidgetGeometry();

  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  bool FVisible = true;
  bool FClickPending = false;
};

TShiftState ShiftStateOf(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons);
TMouseButton MouseButtonOf(Qt::MouseButton Button);

// Runs Handler if it is assigned; the event kinds must match.
void CallNotify(const TNotifyEvent &Handler, QObject *Sender);
