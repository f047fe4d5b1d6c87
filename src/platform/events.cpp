#include "platform/events.h"

#include <type_traits>

bool IsAssigned(const TMethod &Method) {
  return std::visit(
      [](const auto &Handler) {
        if constexpr (std::is_same_v<std::decay_t<decltype(Handler)>, std::monostate>)
          return false;
        else
          return static_cast<bool>(Handler);
      },
      Method);
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons) {
  TShiftState State = 0;
  if (Modifiers & Qt::ShiftModifier)
    State |= ssShift;
  if (Modifiers & Qt::AltModifier)
    State |= ssAlt;
  if (Modifiers & Qt::ControlModifier)
    State |= ssCtrl;
  if (Buttons & Qt::LeftButton)
    State |= ssLeft;
  if (Buttons & Qt::RightButton)
    State |= ssRight;
  if (Buttons & Qt::MiddleButton)
    State |= ssMiddle;
  return State;
}

TMouseButton MouseButtonOf(Qt::MouseButton Button) {
  switch (Button) {
  case Qt::RightButton:
    return TMouseButton::mbRight;
  case Qt::MiddleButton:
    return TMouseButton::mbMiddle;
  default:
    return TMouseButton::mbLeft;
  }
}

void CallNotify(const TNotifyEvent &Handler, QObject *Sender) {
  if (Handler)
    Handler(Sender);
}
