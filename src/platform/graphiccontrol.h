#pragma once

#include "platform/events.h"

#include <QWidget>

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
