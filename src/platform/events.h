#pragma once

#include <QString>
#include <Qt>

#include <functional>
#include <variant>

class QObject;

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

TShiftState ShiftStateOf(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons);
TMouseButton MouseButtonOf(Qt::MouseButton Button);

// Runs Handler if it is assigned; the event kinds must match.
void CallNotify(const TNotifyEvent &Handler, QObject *Sender);
