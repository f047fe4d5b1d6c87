#include "picture/kinds/metafile.h"
#include "picture/metafile/emfplayer.h"
#include "picture/metafile/wmfplayer.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

[[noreturn]] void Invalid() { throw std::runtime_error(MetafileInvalidMessage()); }

// Number * Numerator / Denominator rounded half away from zero, in 64 bits.
qint64 MulDiv(qint64 Number, qint64 Numerator, qint64 Denominator) {
  const qint64 Product = Number * Numerator;
  const qint64 Magnitude = (std::abs(Product) + std::abs(Denominator) / 2) / std::abs(Denominator);
  return (Product < 0) != (Denominator < 0) ? -Magnitude : Magnitude;
}

// A picture side in pixels, at least 1 and within an int.
int Side(qint64 Pixels) {
  return int(std::clamp<qint64>(Pixels, 1, std::numeric_limits<int>::max()));
}

int Side(double Pixels) {
  return std::isfinite(Pixels) ? Side(qint64(std::llround(std::min(Pixels, 2e9)))) : 1;
}

// Old metafiles assumed to be in twips when nothing says otherwise.
constexpr int DefaultUnitsPerInch = 1440;

// Plays a Windows metafile with its window first set to WindowOrg + WindowExt, the window
// mapping onto a device of |WindowExt| pixels whose rectangle Source maps onto DestSize
// pixels, of which Part is painted into Canvas. Returns the device box of what it drew when
// Collect is set.
QRectF PlayWmf(TByteView Data, const TWmfFile &File, QImage &Canvas, QSize DestSize, QRect Part,
               QPointF WindowOrg, QSizeF WindowExt, QRectF Source, bool Collect,
               const TPlayLimits &Limits) {
  TGdiDevice Device;
  Device.FixedViewport = true;
  Device.ViewportExt = QSizeF(std::abs(WindowExt.width()), std::abs(WindowExt.height()));
  Device.DeviceToOutput = QTransform::fromTranslate(-Source.left(), -Source.top()) *
                          QTransform::fromScale(DestSize.width() / Source.width(),
                                                DestSize.height() / Source.height()) *
                          QTransform::fromTranslate(-Part.left(), -Part.top());
  Device.Canvas = QRect(QPoint(0, 0), Part.size());
  Device.CollectBounds = Collect;
  TGdiContext Context(Canvas, Device, File.Objects, Limits);
  Context.SetMapMode(Gdi::MmAnisotropic);
  Context.SetWindowOrg(WindowOrg);
  Context.SetWindowExt(WindowExt);
  TWmfPlayer(Data, File).Play(Context);
  return Context.DrawnBounds();
}

// The box of what a Windows metafile draws, on the device its window maps onto.
QRectF DrawnBox(TByteView Data, const TWmfFile &File, QPointF WindowOrg, QSizeF WindowExt) {
  QImage Probe(1, 1, QImage::Format_ARGB32_Premultiplied);
  Probe.setDotsPerMeterX(3780);
  Probe.setDotsPerMeterY(3780);
  const QSizeF Device(std::abs(WindowExt.width()), std::abs(WindowExt.height()));
  try {
    return PlayWmf(Data, File, Probe, Device.toSize().expandedTo(QSize(1, 1)),
                   QRect(0, 0, 1, 1), WindowOrg, WindowExt, QRectF(QPointF(0, 0), Device), true,
                   TPlayLimits());
  } catch (const std::exception &) {
    return QRectF();  // out of memory while measuring: the header's box stands
  }
}

// The box of what an enhanced metafile draws, in reference-device pixels.
QRectF DrawnBox(TByteView Data, const TEmfFile &File) {
  QImage Probe(1, 1, QImage::Format_ARGB32_Premultiplied);
  Probe.setDotsPerMeterX(3780);
  Probe.setDotsPerMeterY(3780);
  TGdiDevice Device;
  Device.PixelsPerMmX = File.Header.PixelsPerMmX();
  Device.PixelsPerMmY = File.Header.PixelsPerMmY();
  Device.Canvas = QRect(0, 0, 1, 1);
  Device.CollectBounds = true;
  try {
    TGdiContext Context(Probe, Device, std::max<quint32>(File.Header.Handles, 1), TPlayLimits());
    TEmfPlayer(Data, File).Play(Context);
    return Context.DrawnBounds();
  } catch (const std::exception &) {
    return QRectF();  // out of memory while measuring: the header's box stands
  }
}

// The device rectangle that maps onto the destination: normally the picture's own box.
// Some writers give a box of the right size in the wrong place (a frame left at the origin
// while the drawing lies elsewhere, negated coordinates). When the drawing reaches out of
// the box by more than a twentieth of its size on some side, and is about the box's size
// (within a fifth), the drawing's box is used, so that all of it shows where it belongs.
QRectF SourceRect(const QRectF &Box, const QRectF &Drawn) {
  if (!(Drawn.width() > 0) || !(Drawn.height() > 0))
    return Box;
  const double Dx = Box.width() / 20, Dy = Box.height() / 20;
  if (Box.adjusted(-Dx, -Dy, Dx, Dy).contains(Drawn))
    return Box;
  const double Wide = Drawn.width() / Box.width(), High = Drawn.height() / Box.height();
  if (Wide < 0.8 || Wide > 1.25 || High < 0.8 || High > 1.25)
    return Box;
  return Drawn;
}

}  // namespace

TMetafile::TMetafile() = default;

TMetafile::~TMetafile() = default;

void TMetafile::LoadFromBytes(const QByteArray &Data) {
  const TByteView Bytes(reinterpret_cast<const uchar *>(Data.constData()), Data.size());
  std::unique_ptr<TEmfFile> Emf;
  std::unique_ptr<TWmfFile> Wmf;
  int Width = 0, Height = 0;
  QRectF Source;
  QPointF WindowOrg(0, 0);
  QSizeF WindowExt(0, 0);
  if (LooksLikeEmf(Bytes)) {
    Emf = std::make_unique<TEmfFile>(ReadEmf(Bytes));
    const TEmfHeader &Header = Emf->Header;
    const double PerMmX = Header.PixelsPerMmX(), PerMmY = Header.PixelsPerMmY();
    const TMfRect &Frame = Header.Frame, &Bounds = Header.Bounds;
    // The header's bounds are the writer's word; the box of what the records really draw
    // is measured.
    const QRectF Drawn = DrawnBox(Bytes, *Emf);
    if (Frame.Width() > 0 && Frame.Height() > 0) {
      Width = Side(MulDiv(Frame.Width(), 96, 2540));
      Height = Side(MulDiv(Frame.Height(), 96, 2540));
      Source = SourceRect(QRectF(QPointF(Frame.Left * PerMmX / 100, Frame.Top * PerMmY / 100),
                                 QPointF(Frame.Right * PerMmX / 100, Frame.Bottom * PerMmY / 100)),
                          Drawn);
    } else {
      Source = Drawn;
      if (Source.isEmpty() && Bounds.Right >= Bounds.Left && Bounds.Bottom >= Bounds.Top)
        Source = QRectF(QPointF(Bounds.Left, Bounds.Top),
                        QPointF(Bounds.Right + 1.0, Bounds.Bottom + 1.0));
      if (Source.isEmpty())
        Invalid();
      Width = Side(Source.width() / PerMmX * 96 / 25.4);
      Height = Side(Source.height() / PerMmY * 96 / 25.4);
    }
  } else if (LooksLikeWmf(Bytes)) {
    Wmf = std::make_unique<TWmfFile>(ReadWmf(Bytes));
    const TMfRect &Box = Wmf->Box;
    if (Wmf->Placeable && Box.Width() != 0 && Box.Height() != 0) {
      const int Inch = Wmf->UnitsPerInch != 0 ? Wmf->UnitsPerInch : DefaultUnitsPerInch;
      Width = Side(MulDiv(std::abs(Box.Width()), 96, Inch));
      Height = Side(MulDiv(std::abs(Box.Height()), 96, Inch));
      WindowOrg = QPointF(Box.Left, Box.Top);
      WindowExt = QSizeF(Box.Width(), Box.Height());
    } else {
      // The window set before the first drawing record, if any.
      for (const TMfRecord &Record : Wmf->Records) {
        if (TWmfPlayer::Draws(Record.Type))
          break;
        const TByteView R = Bytes.Sub(Record.Offset, Record.Size);
        if (Record.Type == 0x020B && R.Size() >= 10)
          WindowOrg = QPointF(R.I16(8), R.I16(6));
        if (Record.Type == 0x020C && R.Size() >= 10 && R.I16(6) != 0 && R.I16(8) != 0)
          WindowExt = QSizeF(R.I16(8), R.I16(6));
      }
      if (WindowExt.width() != 0 && WindowExt.height() != 0) {
        Width = Side(MulDiv(qint64(std::abs(WindowExt.width())), 96, DefaultUnitsPerInch));
        Height = Side(MulDiv(qint64(std::abs(WindowExt.height())), 96, DefaultUnitsPerInch));
      } else {
        // No window: logical units are pixels, and the picture is what the records draw.
        const QRect Whole = DrawnBox(Bytes, *Wmf, QPointF(0, 0), QSizeF(1, 1)).toAlignedRect();
        if (Whole.width() <= 0 || Whole.height() <= 0)
          Invalid();
        WindowOrg = Whole.topLeft();
        WindowExt = Whole.size();
        Width = Side(qint64(Whole.width()));
        Height = Side(qint64(Whole.height()));
      }
    }
    const QRectF Device(0, 0, std::abs(WindowExt.width()), std::abs(WindowExt.height()));
    Source = SourceRect(Device, DrawnBox(Bytes, *Wmf, WindowOrg, WindowExt));
  } else {
    Invalid();
  }
  FData = Data;
  FEmf = std::move(Emf);
  FWmf = std::move(Wmf);
  FWidth = Width;
  FHeight = Height;
  FSourceRect = Source;
  FWindowOrg = WindowOrg;
  FWindowExt = WindowExt;
  FCache = QImage();
  FCacheDestSize = QSize();
  FCachePart = QRect();
}

QImage TMetafile::Render(QSize DestSize, QRect Part, const TPlayLimits &Limits) const {
  if (Empty() || DestSize.isEmpty() || Part.isEmpty())
    return QImage();
  QImage Canvas(Part.size(), QImage::Format_ARGB32_Premultiplied);
  if (Canvas.isNull())
    return QImage();
  Canvas.fill(Qt::transparent);
  // 96 dpi, so that point sizes and pixel sizes agree.
  Canvas.setDotsPerMeterX(3780);
  Canvas.setDotsPerMeterY(3780);
  const TByteView Bytes(reinterpret_cast<const uchar *>(FData.constData()), FData.size());
  if (FWmf) {
    PlayWmf(Bytes, *FWmf, Canvas, DestSize, Part, FWindowOrg, FWindowExt, FSourceRect, false,
            Limits);
    return Canvas;
  }
  TGdiDevice Device;
  Device.PixelsPerMmX = FEmf->Header.PixelsPerMmX();
  Device.PixelsPerMmY = FEmf->Header.PixelsPerMmY();
  Device.DeviceToOutput =
      QTransform::fromTranslate(-FSourceRect.left(), -FSourceRect.top()) *
      QTransform::fromScale(DestSize.width() / FSourceRect.width(),
                            DestSize.height() / FSourceRect.height()) *
      QTransform::fromTranslate(-Part.left(), -Part.top());
  Device.Canvas = QRect(QPoint(0, 0), Part.size());
  {
    TGdiContext Context(Canvas, Device, std::max<quint32>(FEmf->Header.Handles, 1), Limits);
    TEmfPlayer(Bytes, *FEmf).Play(Context);
  }
  return Canvas;
}

void TMetafile::Draw(QPainter &Painter, const QRect &Dest, const QRect &Clip) {
  if (Empty() || Dest.width() <= 0 || Dest.height() <= 0)
    return;
  const QRect Visible = Dest & Clip;
  if (Visible.isEmpty())
    return;
  const QRect Wanted = Visible.translated(-Dest.topLeft());
  if (FCache.isNull() || FCacheDestSize != Dest.size() || !FCachePart.contains(Wanted)) {
    const QRect Whole(QPoint(0, 0), Dest.size());
    const QRect Part =
        qint64(Dest.width()) * Dest.height() <= MaxCachedPixels ? Whole : Wanted;
    try {
      FCache = Render(Dest.size(), Part);
    } catch (...) {
      // Drawing never throws: a picture that cannot be played shows nothing.
      FCache = QImage();
    }
    FCacheDestSize = Dest.size();
    FCachePart = Part;
    if (FCache.isNull())
      return;
  }
  Painter.drawImage(Visible.topLeft(), FCache, Wanted.translated(-FCachePart.topLeft()));
}
