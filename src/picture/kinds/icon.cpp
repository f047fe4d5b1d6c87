#include "picture/kinds/icon.h"
#include "picture/kinds/sampling.h"

#include <QPaintEngine>
#include <QPainter>

void TIcon::LoadFromBytes(const QByteArray &Data) {
  const QList<TIconEntry> Entries = ReadIconDirectory(Data);
  TIconImage Decoded = DecodeIconEntry(Data, Entries[ChooseIconEntry(Entries)]);
  FInverted = std::move(Decoded.Inverted);
  SetImage(std::move(Decoded.Image));
}

void TIcon::Draw(QPainter &Painter, const QRect &Dest, const QRect &Clip) {
  // AND pass: the image's opaque pixels replace what lies beneath, its transparent ones
  // leave it (alpha blending does both). XOR pass: the inverting pixels, where any.
  TRasterPicture::Draw(Painter, Dest, Clip);
  const QRect Visible = Dest & Clip;
  QPaintEngine *Engine = Painter.paintEngine();
  if (FInverted.isNull() || Visible.isEmpty() || !Engine ||
      !Engine->hasFeature(QPaintEngine::RasterOpModes))
    return;
  const QImage Part = SampleNearest(FInverted, Dest.size(), Visible.translated(-Dest.topLeft()));
  if (Part.isNull())
    return;
  Painter.save();
  Painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  Painter.drawImage(Visible.topLeft(), Part);
  Painter.restore();
}
