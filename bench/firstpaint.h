#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

// Ends the event loop once the watched window's first paint is done. The paint event is
// seen before the window paints; the quit is queued behind it, so the whole first frame
// (the window and its children, painted in one pass) is drawn and flushed first.
class TQuitAfterFirstPaint final : public QObject {
public:
  explicit TQuitAfterFirstPaint(QWidget &Window) : FWindow(Window) { Window.installEventFilter(this); }
  ~TQuitAfterFirstPaint() override { FWindow.removeEventFilter(this); }

protected:
  bool eventFilter(QObject *Watched, QEvent *Event) override {
    if (Watched == &FWindow && Event->type() == QEvent::Paint && !FQuitting) {
      FQuitting = true;
      QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                Qt::QueuedConnection);
    }
    return false;
  }

private:
  QWidget &FWindow;
  bool FQuitting = false;
};
