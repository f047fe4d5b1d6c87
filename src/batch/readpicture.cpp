#include "batch/readpicture.h"

#include "picture/kinds/formats.h"

std::unique_ptr<TPicture> ReadPicture(const QString &FileName) {
  std::unique_ptr<TPicture> Picture = LoadPictureFromFile(FileName);
  if (auto *Raster = dynamic_cast<TRasterPicture *>(Picture.get()))
    Raster->Image();
  if (const std::exception_ptr Failure = Picture->DrawFailure())
    std::rethrow_exception(Failure);
  return Picture;
}
