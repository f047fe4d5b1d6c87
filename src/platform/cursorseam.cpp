#include "platform/cursorseam.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {

class TSystemCursor final : public TCursorSeam {
public:
  QPoint Pos() const override { return QCursor::pos(); }
  bool CanSetPos() const override {
    // Every Wayland platform plugin ("wayland", "wayland-egl", ...) refuses to move it.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
      return false;
    // Xwayland moves only its own idea of the pointer: the compositor's stays where it was
    // and takes Xwayland's back with its next move. Xwayland names its outputs XWAYLAND0,
    // XWAYLAND1, ...
    const QList<QScreen *> Screens = QGuiApplication::screens();
    return std::none_of(Screens.cbegin(), Screens.cend(), [](const QScreen *Screen) {
      return Screen->name().startsWith(QLatin1String("XWAYLAND"));
    });
  }
  void SetPos(const QPoint &ScreenPos) override { QCursor::setPos(ScreenPos); }

  void SetScreenCursor(TCursor Cursor) override {
    if (Cursor == FCursor)
      return;
    // Qt keeps a stack of overrides; we keep at most one entry on it.
    if (FCursor != crDefault)
      QGuiApplication::restoreOverrideCursor();
    if (Cursor != crDefault)
      QGuiApplication::setOverrideCursor(QCursor(CursorShape(Cursor)));
    FCursor = Cursor;
  }
  TCursor ScreenCursor() const override { return FCursor; }

private:
  TCursor FCursor = crDefault;
};

TSystemCursor SystemCursor;
TCursorSeam *Installed = nullptr;

} // namespace

TCursorSeam &Cursor() { return Installed ? *Installed : SystemCursor; }

void SetCursorSeam(TCursorSeam *Seam) { Installed = Seam; }

Qt::CursorShape CursorShape(TCursor Cursor) {
  switch (Cursor) {
  case crSizeNESW:
    return Qt::SizeBDiagCursor;
  case crSizeNS:
    return Qt::SizeVerCursor;
  case crSizeNWSE:
    return Qt::SizeFDiagCursor;
  case crSizeWE:
    return Qt::SizeHorCursor;
  case crHandPoint:
    return Qt::PointingHandCursor;
  case crSizeAll:
    return Qt::SizeAllCursor;
  case crDefault:
    break;
  }
  return Qt::ArrowCursor;
}
