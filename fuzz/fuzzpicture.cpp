#include "fuzzpicture.h"
#include "picture/codecs/rasterlimits.h"
#include "picture/transform.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <exception>

namespace {

// Pictures of more pixels than this are only loaded. Decoders accept up to 1 GiB of pixels
// (rasterlimits.h); decoding and copying that many is legitimate work that would only slow
// the fuzzer down by orders of magnitude (a large allocation under AddressSanitizer costs a
// page fault per page). The drawing and conversion code is the same at any size, and sizes
// are computed in 64 bits, so a megapixel exercises it fully.
constexpr qint64 MaxExercisedPixels = qint64(1) << 20;

void DrawInto(TPicture &Picture, QSize CanvasSize, const QRect &Dest) {
  QImage Canvas(CanvasSize, QImage::Format_ARGB32_Premultiplied);
  if (Canvas.isNull())
    return;
  Canvas.fill(Qt::white);
  QPainter Painter(&Canvas);
  Picture.Draw(Painter, Dest, Canvas.rect());
}

} // namespace

// Found when the fuzzer exits, not ours to fix: fontconfig keeps a pattern it never frees
// (once per process); glib keeps the main loop contexts of Qt's pooled worker threads, which
// Qt's image conversions start, still alive at exit (seen after long runs).
extern "C" const char *__lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libglib-2.0.so\n";
}

int StartFuzzApplication(int *Argc, char ***Argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Decoders refuse pictures of more than 64 MiB of pixels here instead of 1 GiB: a gigabyte
  // picture is legitimate but takes seconds under the sanitizers, and the fuzzer would
  // otherwise spend its time making such files.
  SetMaxRasterBytes(qint64(64) << 20);
  // Never destroyed: at exit Qt's own globals may be gone before it would be.
  static QGuiApplication *Application = new QGuiApplication(*Argc, *Argv);
  return Application ? 0 : 1;
}

void ExercisePicture(TPicture &Picture, const std::uint8_t *Data, std::size_t Size) {
  const QByteArray Bytes(reinterpret_cast<const char *>(Data), qsizetype(Size));
  try {
    Picture.LoadFromBytes(Bytes);
  } catch (const std::exception &) {
    return;
  }
  const int Width = Picture.Width(), Height = Picture.Height();
  if (Width <= 0 || Height <= 0)
    return;
  // A metafile plays only what is visible, whatever its size; a raster kind has (or makes,
  // at the first draw) all of its pixels.
  if (dynamic_cast<TRasterPicture *>(&Picture) && qint64(Width) * Height > MaxExercisedPixels)
    return;

  DrawInto(Picture, QSize(64, 48), QRect(0, 0, 64, 48));
  const QSize Own(std::min(Width, 256), std::min(Height, 256));
  DrawInto(Picture, Own, QRect(0, 0, Width, Height));
  DrawInto(Picture, Own, QRect(-Width / 2, -Height / 2, Width, Height));

  QImage Bitmap;
  try {
    Bitmap = Picture.ToBitmapImage();
  } catch (const std::exception &) {
    return;
  }
  if (qint64(Bitmap.width()) * Bitmap.height() > MaxExercisedPixels)
    return;
  try {
    TransformPixels(Bitmap, TTransform::RightRotate);
    TransformPixels(Bitmap, TTransform::LeftMirror);
  } catch (const std::exception &) {
  }
}
