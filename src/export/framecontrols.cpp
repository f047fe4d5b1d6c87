#include "export/framecontrols.h"
#include "picture/image.h"
#include "watermark/watermarklabel.h"

// The frame's size is the console's screen.
static constexpr QSize FrameSize(480, 272);

TFrameControls CreateFrameControls(QWidget &Panel) {
  QPalette White = Panel.palette();
  White.setColor(QPalette::Window, Qt::white);
  Panel.setPalette(White);
  Panel.setAutoFillBackground(true);
  Panel.resize(FrameSize);

  TFrameControls Frame;
  Frame.Image = new TImage(&Panel);
  Frame.Image->setObjectName(QStringLiteral("Image"));
  Frame.Image->SetBounds(0, 0, FrameSize.width(), FrameSize.height());
  Frame.WatermarkLabel = new TWatermarkLabel(&Panel);
  Frame.WatermarkLabel->setObjectName(QStringLiteral("WatermarkLabel"));
  Frame.WatermarkLabel->PlaceAtStart();
  return Frame;
}

void ApplyFrameOptions(const TFrameControls &Frame, const TFrameOptions &Options) {
  Frame.Image->SetSmooth(Options.Smooth);
}
