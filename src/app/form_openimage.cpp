// Open Image, and a picture file dropped onto the window.
#include "app/errorreport.h"
#include "base/filename.h"
#include "picture/kinds/formats.h"
#include "picture/image.h"
#include "app/picturefolder.h"
#include "app/zelvaneform.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

void TZelvaneForm::OpenSpeedButtonClick(QObject *) {
  // With no folder remembered, a name typed earlier in this run (one that failed to open)
  // keeps its own folder.
  StartDialogIn(*OpenPictureDialog, FOpenPath);
  if (OpenPictureDialog->Filter.isEmpty())
    OpenPictureDialog->Filter = TFileFormatsList::Instance().MakeFilterText(PictureBaseKind());
  if (!OpenPictureDialog->Execute())
    return;
  OpenPicture(OpenPictureDialog->FileName);
}

void TZelvaneForm::OpenPicture(const QString &FileName) {
  // The file is read and decoded before the box is touched, so a picture that cannot be
  // opened leaves the box, its picture, the natural size and the open folder as they were.
  std::unique_ptr<TPicture> Picture = LoadPictureFromFile(FileName);
  const QSize Natural = ShowOpenedPicture(*Image, std::move(Picture));
  FPictureWidth = Natural.width();
  FPictureHeight = Natural.height();
  FOpenPath = FolderPartOf(FileName);
}

namespace {

// The one local file a drag carries, or an empty name.
QString DroppedFile(const QMimeData *Data) {
  const QList<QUrl> Urls = Data ? Data->urls() : QList<QUrl>();
  return Urls.size() == 1 && Urls.front().isLocalFile() ? Urls.front().toLocalFile() : QString();
}

} // namespace

void TZelvaneForm::dragEnterEvent(QDragEnterEvent *Event) {
  // Whether the file can be opened is found out at the drop, as for a name typed in the dialog.
  if (!DroppedFile(Event->mimeData()).isEmpty())
    Event->acceptProposedAction();
}

void TZelvaneForm::dropEvent(QDropEvent *Event) {
  const QString FileName = DroppedFile(Event->mimeData());
  if (FileName.isEmpty())
    return;
  Event->acceptProposedAction();
  RunHandler([this, &FileName] { OpenPicture(FileName); });
}

bool TZelvaneForm::TakeFileDrop(QEvent *Event) {
  switch (Event->type()) {
  case QEvent::DragEnter:
  case QEvent::DragMove:
  case QEvent::Drop: {
    auto *Drop = static_cast<QDropEvent *>(Event);
    if (DroppedFile(Drop->mimeData()).isEmpty())
      return false;
    if (Event->type() == QEvent::Drop)
      dropEvent(Drop);
    else
      Drop->acceptProposedAction();
    return true;
  }
  default:
    return false;
  }
}
