#include "picture/image.h"
#include "picture/kinds/bitmap.h"

#include <QPaintEvent>
#include <QPainter>

TImage::TImage(QWidget *Parent) : TGraphicControl(Parent) {}

TImage::~TImage() = default;

void TImage::SetPicture(std::unique_ptr<TPicture> Picture) {
  FPicture = std::move(Picture);
  FFailureNotice = TFailureNotice::None;
  PictureChanged();
}

TBitmap &TImage::MakeBitmap() {
  if (auto *Bitmap = dynamic_cast<TBitmap *>(FPicture.get()))
    return *Bitmap;
  FPicture = std::make_unique<TBitmap>();
  FFailureNotice = TFailureNotice::None;
  PictureChanged();
  return static_cast<TBitmap &>(*FPicture);
}

void TImage::PictureChanged() {
  if (FAutoSize && FPicture && FPicture->Width() > 0 && FPicture->Height() > 0)
    TGraphicControl::SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
  update();
}

void TImage::SetAutoSize(bool Value) {
  if (FAutoSize == Value)
    return;
  FAutoSize = Value;
  if (FAutoSize)
    SetBounds(Left(), Top(), Width(), Height());
}

void TImage::SetStretch(bool Value) {
  if (FStretch == Value)
    return;
  FStretch = Value;
  update();
}

void TImage::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FAutoSize && FPicture && FPicture->Width() > 0 && FPicture->Height() > 0) {
    AWidth = FPicture->Width();
    AHeight = FPicture->Height();
  }
  TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

QRect TImage::DestRect() const {
  if (FStretch || !FPicture)
    return QRect(0, 0, Width(), Height());
  return QRect(0, 0, FPicture->Width(), FPicture->Height());
}

void TImage::DrawPicture(QPainter &Painter, const QPoint &Origin, const QRect &Clip) const {
  if (!FPicture)
    return;
  const QRect Box(Origin, QSize(Width(), Height()));
  FPicture->Draw(Painter, DestRect().translated(Origin), Clip & Box);
}

void TImage::ThrowDrawFailure() {
  if (!FPicture)
    return;
  if (const std::exception_ptr Failure = FPicture->DrawFailure()) {
    FFailureNotice = TFailureNotice::Told;
    std::rethrow_exception(Failure);
  }
}

void TImage::paintEvent(QPaintEvent *Event) {
  {
    QPainter Painter(this);
    DrawPicture(Painter, ClientRectInWidget().topLeft(), Event->rect());
  }
  NoticeDrawFailure();
}

void TImage::NoticeDrawFailure() {
  if (FFailureNotice != TFailureNotice::None || !FPicture || !FPicture->DrawFailure())
    return;
  FFailureNotice = TFailureNotice::Waiting;
  // Queued: a message box shown from inside a paint would run an event loop there.
  QMetaObject::invokeMethod(this, &TImage::SendDrawFailure, Qt::QueuedConnection);
}

void TImage::SendDrawFailure() {
  if (FFailureNotice != TFailureNotice::Waiting)
    return;
  FFailureNotice = TFailureNotice::Told;
  CallNotify(OnDrawFailure, this);
}

QSize ShowOpenedPicture(TImage &Image, std::unique_ptr<TPicture> Picture) {
  Image.SetTop(0);
  Image.SetLeft(0);
  Image.SetAutoSize(true);
  Image.SetPicture(std::move(Picture));
  const QSize Natural(Image.Width(), Image.Height());
  Image.SetAutoSize(false);
  Image.SetStretch(true);
  return Natural;
}
