#pragma once

#include <QImage>
#include <QList>
#include <QString>

// Writers for the artwork's file formats. Each throws std::runtime_error naming the file when
// it cannot be written, and checks what it wrote where the format has a trap (JPEG: baseline,
// three components).

// Baseline JPEG, YCbCr (three components), at the given quality.
void WriteJpeg(const QImage &Image, const QString &Path, int Quality);

// 24-bit BMP: BITMAPINFOHEADER, rows bottom-up, no compression, alpha dropped.
void WriteBmp24(const QImage &Image, const QString &Path);

// PNG with an alpha channel (32-bit RGBA).
void WritePng(const QImage &Image, const QString &Path);

// ICO container: one 32-bit DIB entry (BGRA pixels plus AND mask) per image, in list order.
// Images must be square and at most 256 pixels wide.
void WriteIco(const QList<QImage> &Images, const QString &Path);

// The SOF marker of a JPEG file: marker byte (0xC0 for baseline) and component count.
struct TJpegFrame {
  int Marker = 0;
  int Components = 0;
  int Width = 0;
  int Height = 0;
};
TJpegFrame ReadJpegFrame(const QByteArray &Data);
