#include "platform/cursorseam.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

class TSystemCursor final : public TCursorSeam {
public:
  QPoint Pos() const override { return QCursor::pos(); }
  bool CanSetPos() const override {
    // Every Wayland platform plugin ("wayland", "wayland-egl", ...) refuses to move it.
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
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
