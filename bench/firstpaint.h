#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

// Ends the process once the watched window's first paint is done. The paint event is seen
// before the window paints; the exit is queued behind it, so the whole first frame (the
// window and its children, painted in one pass) is drawn and flushed first. The process
// then ends at once, without closing its windows: what is measured is start-up to the first
// frame, not what a program does when it closes (the main window saves its settings).
class TExitAfterFirstPaint final : public QObject {
public:
  explicit TExitAfterFirstPaint(QWidget &Window) : FWindow(Window) { Window.installEventFilter(this); }
  ~TExitAfterFirstPaint() override { FWindow.removeEventFilter(this); }

protected:
  bool eventFilter(QObject *Watched, QEvent *Event) override {
    if (Watched == &FWindow && Event->type() == QEvent::Paint && !FQuitting) {
      FQuitting = true;
      QMetaObject::invokeMethod(
          QCoreApplication::instance(),
          [] {
            std::fflush(nullptr);
            std::_Exit(0);
          },
          Qt::QueuedConnection);
    }
    return false;
  }

private:
  QWidget &FWindow;
  bool FQuitting = false;
};
