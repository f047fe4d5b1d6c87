#include "platform/graphiccontrol.h"

#include <QEvent>
#include <QMouseEvent>

#include <stdexcept>

TGraphicControl::TGraphicControl(QWidget *Parent) : QWidget(Parent) {
  // Drawn by us on top of the parent's background; nothing of the parent is erased.
  setAttribute(Qt::WA_NoSystemBackground);
  setMouseTracking(true);
}

void TGraphicControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
    return;
  // Repaint what the old bounds covered as well as the new ones.
  const QRect Old = geometry();
  FLeft = ALeft;
  FTop = ATop;
  FWidth = std::max(0, AWidth);
  FHeight = std::max(0, AHeight);
  UpdateWidgetGeometry();
  if (parentWidget() && FVisible)
    parentWidget()->update(Old);
  update();
}

void TGraphicControl::SetVisible(bool Value) {
  if (FVisible == Value)
    return;
  FVisible = Value;
  UpdateWidgetGeometry();
}

void TGraphicControl::UpdateWidgetGeometry() {
  QRect Visible(FLeft, FTop, FWidth, FHeight);
  if (parentWidget())
    Visible &= parentWidget()->rect();
  if (!FVisible) {
    setGeometry(QRect(0, 0, 0, 0));
    hide();
    return;
  }
  // Wholly clipped away, the widget stays shown at no size: a hidden widget loses Qt's mouse
  // grab, and a control dragged out of its parent must still receive the release.
  setGeometry(Visible.isEmpty() ? QRect(0, 0, 0, 0) : Visible);
  show();
}

QRect TGraphicControl::ClientRectInWidget() const {
  return QRect(FLeft - geometry().x(), FTop - geometry().y(), FWidth, FHeight);
}

bool TGraphicControl::HasEvent(const QString &Name) const {
  return Name == QLatin1String("OnClick") || Name == QLatin1String("OnDblClick") ||
         Name == QLatin1String("OnMouseDown") || Name == QLatin1String("OnMouseMove") ||
         Name == QLatin1String("OnMouseUp");
}

TMethod TGraphicControl::GetEvent(const QString &Name) const {
  if (Name == QLatin1String("OnClick"))
    return OnClick;
  if (Name == QLatin1String("OnDblClick"))
    return OnDblClick;
  if (Name == QLatin1String("OnMouseDown"))
    return OnMouseDown;
  if (Name == QLatin1String("OnMouseMove"))
    return OnMouseMove;
  if (Name == QLatin1String("OnMouseUp"))
    return OnMouseUp;
  throw std::runtime_error(QString("Property %1 does not exist").arg(Name).toStdString());
}

namespace {

template <class T> T HandlerAs(const TMethod &Handler, const QString &Name) {
  if (std::holds_alternative<std::monostate>(Handler))
    return T();
  if (const T *Typed = std::get_if<T>(&Handler))
    return *Typed;
  throw std::runtime_error(QString("Invalid handler for %1").arg(Name).toStdString());
}

} // namespace

void TGraphicControl::SetEvent(const QString &Name, const TMethod &Handler) {
  if (Name == QLatin1String("OnClick"))
    OnClick = HandlerAs<TNotifyEvent>(Handler, Name);
  else if (Name == QLatin1String("OnDblClick"))
    OnDblClick = HandlerAs<TNotifyEvent>(Handler, Name);
  else if (Name == QLatin1String("OnMouseDown"))
    OnMouseDown = HandlerAs<TMouseEvent>(Handler, Name);
  else if (Name == QLatin1String("OnMouseMove"))
    OnMouseMove = HandlerAs<TMouseMoveEvent>(Handler, Name);
  else if (Name == QLatin1String("OnMouseUp"))
    OnMouseUp = HandlerAs<TMouseEvent>(Handler, Name);
  else
    throw std::runtime_error(QString("Property %1 does not exist").arg(Name).toStdString());
}

namespace {

QPoint ClientPos(const TGraphicControl &Control, const QMouseEvent &Event) {
  return Event.position().toPoint() + Control.geometry().topLeft() -
         QPoint(Control.Left(), Control.Top());
}

} // namespace

void TGraphicControl::mousePressEvent(QMouseEvent *Event) {
  FClickPending = Event->button() == Qt::LeftButton;
  if (OnMouseDown) {
    const QPoint P = ClientPos(*this, *Event);
    OnMouseDown(this, MouseButtonOf(Event->button()),
                ShiftStateOf(Event->modifiers(), Event->buttons()), P.x(), P.y());
  }
}

void TGraphicControl::mouseMoveEvent(QMouseEvent *Event) {
  if (OnMouseMove) {
    const QPoint P = ClientPos(*this, *Event);
    OnMouseMove(this, ShiftStateOf(Event->modifiers(), Event->buttons()), P.x(), P.y());
  }
}

void TGraphicControl::mouseReleaseEvent(QMouseEvent *Event) {
  // A click is a left press and release on the same control; a release after the control
  // moved away from under the cursor still counts, as the press captured the mouse.
  const bool Click = FClickPending && Event->button() == Qt::LeftButton;
  FClickPending = false;
  if (OnMouseUp) {
    const QPoint P = ClientPos(*this, *Event);
    OnMouseUp(this, MouseButtonOf(Event->button()),
              ShiftStateOf(Event->modifiers(), Event->buttons()), P.x(), P.y());
  }
  if (Click)
    CallNotify(OnClick, this);
}

void TGraphicControl::mouseDoubleClickEvent(QMouseEvent *Event) {
  // Qt sends the second press of a double click as this event alone: report the double click,
  // then the press, as the second press is a press like any other.
  FClickPending = false;
  if (Event->button() == Qt::LeftButton)
    CallNotify(OnDblClick, this);
  if (OnMouseDown) {
    const QPoint P = ClientPos(*this, *Event);
    OnMouseDown(this, MouseButtonOf(Event->button()),
                ShiftStateOf(Event->modifiers(), Event->buttons()) | ssDouble, P.x(), P.y());
  }
}

bool TGraphicControl::event(QEvent *Event) {
  if (Event->type() == QEvent::ParentChange)
    UpdateWidgetGeometry();
  return QWidget::event(Event);
}
