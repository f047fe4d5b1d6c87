#include "picture/codecs/orientation.h"

#include <QTransform>

#include <memory>
#include <stdexcept>

#include <libexif/exif-data.h>

namespace {

constexpr char ExifHeader[] = {'E', 'x', 'i', 'f', '\0', '\0'};

struct TExifDataFree {
  void operator()(ExifData *Data) const { exif_data_unref(Data); }
};

QImage Checked(QImage Image) {
  if (Image.isNull())
    throw std::runtime_error("Out of memory");
  return Image;
}

QImage Turned(const QImage &Image, qreal Degrees) {
  return Checked(Image.transformed(QTransform().rotate(Degrees)));
}

QImage Upright(const QImage &Image, int Orientation) {
  switch (Orientation) {
  case 2:
    return Checked(Image.mirrored(true, false));
  case 3:
    return Checked(Image.mirrored(true, true));
  case 4:
    return Checked(Image.mirrored(false, true));
  case 5:
    return Checked(Turned(Image, 90).mirrored(true, false));
  case 6:
    return Turned(Image, 90);
  case 7:
    return Checked(Turned(Image, 270).mirrored(true, false));
  case 8:
    return Turned(Image, 270);
  default:
    return Image;
  }
}

} // namespace

int ExifOrientation(const QByteArray &Exif) {
  if (Exif.isEmpty())
    return 1;
  QByteArray Block = Exif;
  if (!Block.startsWith(QByteArray(ExifHeader, sizeof ExifHeader)))
    Block.prepend(ExifHeader, sizeof ExifHeader);
  std::unique_ptr<ExifData, TExifDataFree> Data(exif_data_new());
  if (!Data)
    return 1;
  exif_data_load_data(Data.get(), reinterpret_cast<const unsigned char *>(Block.constData()),
                      static_cast<unsigned int>(Block.size()));
  ExifEntry *Entry = exif_content_get_entry(Data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
  if (!Entry || Entry->format != EXIF_FORMAT_SHORT || Entry->components < 1 || !Entry->data)
    return 1;
  const int Value = exif_get_short(Entry->data, exif_data_get_byte_order(Data.get()));
  return Value >= 1 && Value <= 8 ? Value : 1;
}

void MakeUpright(QImage &Image, int Orientation) { Image = Upright(Image, Orientation); }
