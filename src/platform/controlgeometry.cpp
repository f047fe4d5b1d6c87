#include "platform/controlgeometry.h"
#include "platform/graphiccontrol.h"

#include <QWidget>

#include <algorithm>

bool IsWindowed(const QObject *Control) {
  return Control && Control->isWidgetType() && !qobject_cast<const TGraphicControl *>(Control);
}

QRect ControlBounds(const QWidget &Control) {
  if (const auto *Graphic = qobject_cast<const TGraphicControl *>(&Control))
    return Graphic->BoundsRect();
  return Control.geometry();
}

void SetControlBounds(QWidget &Control, int ALeft, int ATop, int AWidth, int AHeight) {
  if (auto *Graphic = qobject_cast<TGraphicControl *>(&Control))
    Graphic->SetBounds(ALeft, ATop, AWidth, AHeight);
  else
    Control.setGeometry(ALeft, ATop, std::max(0, AWidth), std::max(0, AHeight));
}

QPoint ScreenToControl(const QWidget &Control, const QPoint &Point) {
  return ScreenToParent(Control, Point) - ControlBounds(Control).topLeft();
}

QPoint ParentToScreen(const QWidget &Control, const QPoint &Point) {
  const QWidget *Parent = Control.parentWidget();
  return Parent ? Parent->mapToGlobal(Point) : Point;
}

QPoint ScreenToParent(const QWidget &Control, const QPoint &Point) {
  const QWidget *Parent = Control.parentWidget();
  return Parent ? Parent->mapFromGlobal(Point) : Point;
}
