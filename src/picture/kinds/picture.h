#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>

#include <exception>
#include <memory>

class QPainter;
class TColourTransform;
class TReducedLevels;

// One decoded picture of one kind. Kinds report their own size and draw themselves into a
// destination rectangle; failures are std::runtime_error carrying the kind's message.
class TPicture {
public:
  virtual ~TPicture() = default;

  // The kind's class name, as shown in messages ("TBitmap", "TJPEGImage", ...).
  virtual const char *ClassName() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // Decodes a whole file held in memory. Throws with the kind's message; the picture is
  // left empty (or as it was) on failure.
  virtual void LoadFromBytes(const QByteArray &Data) = 0;

  // Draws the picture scaled to Dest (painter coordinates). Only the pixels inside Clip are
  // touched, and only those are computed, so the cost follows the visible area, not the
  // picture's size. Never throws: a picture that cannot be drawn draws nothing.
  virtual void Draw(QPainter &Painter, const QRect &Dest, const QRect &Clip) = 0;

  // Draws as Draw does, except that a picture scaled to Dest is filtered rather than sampled
  // at the nearest pixel (see smoothsampling.h). Kinds without pixels of their own, and those
  // drawn through a mask, draw as Draw does.
  virtual void DrawSmooth(QPainter &Painter, const QRect &Dest, const QRect &Clip) {
    Draw(Painter, Dest, Clip);
  }

  // The picture as an opaque 32-bit bitmap of its own size, as turns and mirrors work on it.
  // Throws "Cannot assign a <kind> to a TBitmap" for kinds that have no pixels of their own.
  virtual QImage ToBitmapImage();

  // Why Draw drew nothing: the error of a decoding deferred to the first draw, which failed.
  // Null while the picture can be drawn, and before a deferred decoding was tried.
  virtual std::exception_ptr DrawFailure() const { return nullptr; }
};

// A picture held as pixels. Opaque kinds use Format_RGB32 (or Format_Indexed8);
// transparent ones Format_ARGB32 (not premultiplied), drawn blended over what lies beneath.
class TRasterPicture : public TPicture {
public:
  int Width() const override;
  int Height() const override;
  TRasterPicture();
  ~TRasterPicture() override;
  void Draw(QPainter &Painter, const QRect &Dest, const QRect &Clip) override;
  void DrawSmooth(QPainter &Painter, const QRect &Dest, const QRect &Clip) override;
  QImage ToBitmapImage() override;

  // The pixels, in sRGB; kinds that decode lazily do so here. Empty for an empty picture.
  const QImage &Image();
  // The pixels as decoded, before the colour conversion they may still owe (see SetImage):
  // whether a picture has pixels at all, without the cost of converting them.
  virtual const QImage &DecodedImage();

protected:
  // Colour, when given, converts Image's pixels to sRGB in place. It is owed, not applied:
  // nearest-pixel drawing converts only the part it samples (colour conversion commutes with
  // nearest-pixel sampling), and the whole picture is converted, once, the first time
  // Image() is asked for (turns, mirrors, flattening, smooth drawing).
  void SetImage(QImage Image, std::shared_ptr<const TColourTransform> Colour = nullptr);
  // Drops the cached scaled part and the reduced levels, after the pixels changed.
  void Changed();

  QImage FImage;

private:
  void DrawSampled(QPainter &Painter, const QRect &Dest, const QRect &Clip, bool Smooth);

  std::shared_ptr<const TColourTransform> FColour;
  // The last scaled part drawn, so repaints at the same size cost a blit.
  QImage FCache;
  QSize FCacheDestSize;
  QRect FCachePart;
  qint64 FCacheKey = 0;
  bool FCacheSmooth = false;
  // Made at the first smooth draw of these pixels, kept until they change (a turn or mirror
  // replaces them); FLevelsKey is the pixels' cache key.
  std::unique_ptr<TReducedLevels> FLevels;
  qint64 FLevelsKey = 0;
};
