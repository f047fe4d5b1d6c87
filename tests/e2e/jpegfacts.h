#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// What the markers of a JPEG file say, read byte by byte without a decoder.
struct TJpegFacts {
  bool StartOfImage = false;
  bool Jfif = false;
  // The frame header: 0xC0 for baseline, another SOFn otherwise; 0 when none was found.
  int FrameMarker = 0;
  int Width = 0;
  int Height = 0;
  int Precision = 0;
  // Per component: (horizontal << 4 | vertical) sampling and quantisation table number.
  QList<int> Sampling;
  QList<int> TableOf;
  // Quantisation tables by number, in natural (row by row) order.
  QMap<int, QList<int>> Tables;
  int Scans = 0;
};

TJpegFacts ReadJpegFacts(const QByteArray &File);

// The table libjpeg's jpeg_set_quality makes from a standard table of ITU-T T.81 Annex K at
// Quality with baseline forced: each entry scaled by 200 - 2 x Quality percent (5000 / Quality
// below 50), rounded as (entry x scale + 50) div 100 and clamped to 1..255.
QList<int> ScaledTable(bool Chrominance, int Quality);

// Empty when the file is a baseline JFIF JPEG of Width x Height with Y sampled 2 x 2 on table
// 0, Cb and Cr 1 x 1 on table 1, one scan, and the tables of Quality; else what differs.
QStringList WallpaperFileFaults(const TJpegFacts &Facts, int Width, int Height, int Quality);
