// Save Wallpaper.
#include "export/capture.h"
#include "base/filename.h"
#include "mover/mover.h"
#include "app/picturefolder.h"
#include "export/wallpaperfile.h"
#include "base/wallpaperquality.h"
#include "picture/image.h"
#include "app/zelvaneform.h"

#include <QCoreApplication>

void TZelvaneForm::SaveSpeedButtonClick(QObject *) {
  FMover->SetNodesVisible(false);
  // Whatever waits to be painted (the places the nodes covered among it) is painted first.
  QCoreApplication::processEvents();
  // Captured before the dialog opens, so the dialog never covers what is saved.
  const QImage Capture = CaptureFrame(*Panel);
  // A picture that could not be drawn left the frame blank: no wallpaper of that is written,
  // and the user learns why instead.
  Image->ThrowDrawFailure();
  // With no folder remembered, the user's pictures: never the working folder that Open Image
  // left at the opened photo's.
  StartDialogIn(*SavePictureDialog, FSavePath);
  if (!SavePictureDialog->Execute())
    return;
  const QString FileName = SavePictureDialog->FileName;
  WriteWallpaperFile(Capture, JpegQualityOf(QualityTrackBar->Position()), FileName);
  FSavePath = FolderPartOf(FileName);
}
