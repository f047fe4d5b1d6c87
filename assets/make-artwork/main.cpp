// make-artwork: paints Zelvane's built-in pictures from artwork.ini and writes them into the
// assets folder.
//
//   make-artwork <artwork.ini> <assets folder>
//
// Needs a Qt platform for fonts; the offscreen one is enough (QT_QPA_PLATFORM=offscreen).

#include "artworkparams.h"
#include "bannerart.h"
#include "devicephoto.h"
#include "glyphart.h"
#include "iconart.h"
#include "imagefiles.h"
#include "wallpaperart.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

#include <exception>

int main(int Argc, char *Argv[]) {
  QGuiApplication Application(Argc, Argv);
  const QStringList Arguments = Application.arguments();
  QTextStream Err(stderr);
  if (Arguments.size() != 3) {
    Err << "usage: make-artwork <artwork.ini> <assets folder>\n";
    return 2;
  }
  try {
    const TArtworkParams Params(Arguments[1]);
    const QDir Out(Arguments[2]);
    const int Quality = Params.Integer("jpeg/quality");
    WriteJpeg(PaintDevicePhoto(Params), Out.filePath("device.jpg"), Quality);
    WriteJpeg(PaintWallpaper(Params), Out.filePath("wallpaper.jpg"), Quality);
    WriteJpeg(PaintBanner(Params), Out.filePath("banner.jpg"), Quality);
    for (const TGlyph &Glyph : PaintGlyphs(Params))
      WriteBmp24(Glyph.Image, Out.filePath(QStringLiteral("glyphs/%1.bmp").arg(Glyph.Name)));
    QList<QImage> IcoEntries;
    for (const double Size : Params.List("icon/sizes")) {
      const QImage Icon = PaintIcon(Params, int(Size));
      WritePng(Icon, Out.filePath(QStringLiteral("icon/zelvane-%1.png").arg(int(Size))));
      if (Size == 32 || Size == 16)
        IcoEntries.append(Icon);
    }
    WriteIco(IcoEntries, Out.filePath("icon/zelvane.ico"));
  } catch (const std::exception &Error) {
    Err << "make-artwork: " << Error.what() << "\n";
    return 1;
  }
  return 0;
}
