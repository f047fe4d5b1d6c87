#include "batch/readpicture.h"

#include "picture/kinds/formats.h"

std::unique_ptr<TPicture> ReadPicture(const QString &FileName) {
  std::unique_ptr<TPicture> Picture = LoadPictureFromFile(FileName);
  // The decoded pixels, not Image(): a deferred decoding runs here, and its error is reported,
  // but a colour conversion the picture owes is left to the frame, which converts only what
  // it draws (and to the turns, which convert the whole picture).
  if (auto *Raster = dynamic_cast<TRasterPicture *>(Picture.get()))
    Raster->DecodedImage();
  if (const std::exception_ptr Failure = Picture->DrawFailure())
    std::rethrow_exception(Failure);
  return Picture;
}
