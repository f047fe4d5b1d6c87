#pragma once

#include "platform/graphiccontrol.h"
#include "picture/kinds/picture.h"

#include <memory>

class TBitmap;

// The picture box: a windowless control showing one picture, with the two flags auto-size
// and stretching. With stretching on the picture is drawn scaled to the box's whole
// rectangle; with it off, at its own size from the box's top-left corner. Either way the
// parent clips it.
class TImage : public TGraphicControl {
  Q_OBJECT
public:
  explicit TImage(QWidget *Parent);
  ~TImage() override;

  TPicture *Picture() const { return FPicture.get(); }
  // Takes the picture, discards the old one and runs the picture-changed steps.
  void SetPicture(std::unique_ptr<TPicture> Picture);
  // Makes the picture a bitmap: a bitmap stays, any other kind is replaced by an empty one.
  TBitmap &MakeBitmap();
  // Runs the picture-changed steps after the picture's pixels or size changed in place.
  void PictureChanged();

  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);

  // While auto-size is on, the size given is replaced by the picture's own (when both its
  // sides are above 0).
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // Sent after a paint in which the picture could not be drawn (its DrawFailure is set), once
  // per picture the box is given, from the event loop and never from inside the paint: the
  // handler may show a message box. It learns why from ThrowDrawFailure.
  TNotifyEvent OnDrawFailure;
  // Throws the picture's DrawFailure, if it has one. A notice for OnDrawFailure that waits to
  // be sent is dropped: the error thrown here tells the same.
  void ThrowDrawFailure();

  // The rectangle the picture is drawn into, in the box's client coordinates.
  QRect DestRect() const;
  // Draws the picture as the box shows it, the box's top-left corner at Origin of Painter.
  void DrawPicture(QPainter &Painter, const QPoint &Origin, const QRect &Clip) const;

protected:
  void paintEvent(QPaintEvent *Event) override;

private:
  // Whether the failure of the picture held now to draw was noticed, and whether that was told.
  enum class TFailureNotice { None, Waiting, Told };

  void NoticeDrawFailure();
  void SendDrawFailure();

  std::unique_ptr<TPicture> FPicture;
  TFailureNotice FFailureNotice = TFailureNotice::None;
  bool FAutoSize = false;
  bool FStretch = false;
};

// What Open Image does to the box once its file has been read and decoded: the box holds
// Picture at the frame's top-left corner, at the picture's own size when both its sides are
// above 0 (else at the size it had), stretching on and auto-size off. Gives that size, the
// natural size the fit modes compute from.
QSize ShowOpenedPicture(TImage &Image, std::unique_ptr<TPicture> Picture);
