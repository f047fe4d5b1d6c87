#include "batch/readpicture.h"

#include "picture/kinds/formats.h"

std::unique_ptr<TPicture> ReadPicture(const QString &FileName) {
  std::unique_ptr<TPicture> Picture = LoadPictureFromFile(FileName);
  if (auto *Raster = dynamic_cast<TRasterPicture *>(Picture.get())) {
    // No pixels for a picture that has a size: the decoding failed, and the conversion that
    // turns use reports why (it decodes nothing again).
    if (Raster->DecodedImage().isNull() && Raster->Width() > 0 && Raster->Height() > 0)
      Raster->ToBitmapImage();
  }
  return Picture;
}
