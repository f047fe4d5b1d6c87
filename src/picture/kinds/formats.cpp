#include "picture/kinds/formats.h"
#include "picture/kinds/bitmap.h"
#include "picture/kinds/gifimage.h"
#include "picture/kinds/heifimage.h"
#include "picture/kinds/icon.h"
#include "picture/kinds/jpegimage.h"
#include "picture/kinds/jxlimage.h"
#include "picture/kinds/metafile.h"
#include "picture/codecs/picturefile.h"
#include "picture/kinds/pngimage.h"
#include "picture/kinds/webpimage.h"

#include <stdexcept>

namespace {

template <class T> TPictureKind KindOf() {
  return TPictureKind{QString::fromLatin1(T().ClassName()), QStringLiteral("TGraphic"),
                      [] { return std::make_unique<T>(); }};
}

// The formats beyond the first eight. The dialog's filter lists the registry from its last
// entry to its first, so these come first, in the reverse of the order the dialog shows them
// in: after the eight, in the same place in the "All" line.
void RegisterNewerFormats(TFileFormatsList &L) {
  L.RegisterPictureFormat(QStringLiteral("jxl"), QStringLiteral("JPEG XL Image"),
                          KindOf<TJPEGXLImage>());
  L.RegisterPictureFormat(QStringLiteral("avif"), QStringLiteral("AVIF Image"),
                          KindOf<TAvifImage>());
  L.RegisterPictureFormat(QStringLiteral("heif"), QStringLiteral("HEIF Image"),
                          KindOf<THeifImage>());
  L.RegisterPictureFormat(QStringLiteral("heic"), QStringLiteral("HEIC Image"),
                          KindOf<THeifImage>());
  L.RegisterPictureFormat(QStringLiteral("webp"), QStringLiteral("WebP Image"),
                          KindOf<TWebPImage>());
}

} // namespace

const TPictureKind &PictureBaseKind() {
  static const TPictureKind Base{QStringLiteral("TGraphic"), QString(), nullptr};
  return Base;
}

TFileFormatsList &TFileFormatsList::Instance() {
  static TFileFormatsList List = [] {
    TFileFormatsList L;
    RegisterNewerFormats(L);
    // Other names of JPEG files. The dialog lists the registry from its end, so these two
    // follow the eight below there, and the newer formats follow them.
    L.RegisterPictureFormat(QStringLiteral("jpe"), QStringLiteral("JPEG Image File"),
                            KindOf<TJPEGImage>());
    L.RegisterPictureFormat(QStringLiteral("jfif"), QStringLiteral("JPEG Image File"),
                            KindOf<TJPEGImage>());
    L.RegisterPictureFormat(QStringLiteral("wmf"), QStringLiteral("Metafiles"),
                            KindOf<TMetafile>());
    L.RegisterPictureFormat(QStringLiteral("emf"), QStringLiteral("Enhanced Metafiles"),
                            KindOf<TMetafile>());
    L.RegisterPictureFormat(QStringLiteral("ico"), QStringLiteral("Icons"), KindOf<TIcon>());
    L.RegisterPictureFormat(QStringLiteral("bmp"), QStringLiteral("Bitmaps"), KindOf<TBitmap>());
    L.RegisterPictureFormat(QStringLiteral("jpeg"), QStringLiteral("JPEG Image File"),
                            KindOf<TJPEGImage>());
    L.RegisterPictureFormat(QStringLiteral("jpg"), QStringLiteral("JPEG Image File"),
                            KindOf<TJPEGImage>());
    L.RegisterPictureFormat(QStringLiteral("png"), QStringLiteral("Portable Network Graphics"),
                            KindOf<TPngImage>());
    L.RegisterPictureFormat(QStringLiteral("gif"), QStringLiteral("GIF Image"),
                            KindOf<TGIFImage>());
    return L;
  }();
  return List;
}

void TFileFormatsList::RegisterPictureFormat(const QString &Extension, const QString &Description,
                                             const TPictureKind &Kind) {
  FFormats.append(TFileFormat{Extension.toLower(), Description, Kind});
}

const TPictureKind *TFileFormatsList::LookupFormat(const QString &Extension) const {
  for (qsizetype I = FFormats.size() - 1; I >= 0; --I)
    if (FFormats[I].Extension.compare(Extension, Qt::CaseInsensitive) == 0)
      return &FFormats[I].Kind;
  return nullptr;
}

bool TFileFormatsList::Descends(const TPictureKind &Kind, const TPictureKind &Base) const {
  return Base.ClassName == Kind.ClassName || Base.ClassName == PictureBaseKind().ClassName ||
         Kind.BaseName == Base.ClassName;
}

QString TFileFormatsList::MakeFilterText(const TPictureKind &BaseKind) const {
  // From the last entry to the first:
  //   All (*.gif;*.png;...)|*.gif;*.png;...|GIF Image (*.gif)|*.gif|...
  QStringList Filters;
  QStringList Masks;
  for (qsizetype I = FFormats.size() - 1; I >= 0; --I) {
    const TFileFormat &Format = FFormats[I];
    if (Format.Extension.isEmpty() || !Descends(Format.Kind, BaseKind))
      continue;
    Filters << QStringLiteral("%1 (*.%2)|*.%2").arg(Format.Description, Format.Extension);
    Masks << QStringLiteral("*.%1").arg(Format.Extension);
  }
  QString Text = Filters.join(u'|');
  if (Filters.size() > 1) {
    const QString MaskList = Masks.join(u';');
    Text.prepend(QStringLiteral("All (%1)|%1|").arg(MaskList));
  }
  return Text;
}

std::unique_ptr<TPicture> LoadPictureFromFile(const QString &FileName) {
  const QString Extension = PictureExtension(FileName);
  const TPictureKind *Kind = TFileFormatsList::Instance().LookupFormat(Extension);
  if (!Kind)
    throw std::runtime_error(
        QStringLiteral("Unknown picture file extension (.%1)").arg(Extension).toStdString());
  std::unique_ptr<TPicture> Picture = Kind->Create();
  const QByteArray Data = ReadPictureFile(FileName);
  Picture->LoadFromBytes(Data);
  return Picture;
}
