#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// What the markers of a JPEG file say, read byte by byte without a decoder, so that a test
// sees the file as any reader would and not as our encoder meant it.
struct TJpegSegment {
  int Marker = 0;
  QByteArray Payload; // without the marker and the length field
  qsizetype Offset = 0; // of the payload in the file
};

struct THuffmanTable {
  QList<int> Bits; // BITS: the count of codes of each length 1..16
  QList<int> Values;
  bool operator==(const THuffmanTable &) const = default;
};

struct TJpegFacts {
  // Every segment in file order, SOI and EOI included (with empty payloads).
  QList<TJpegSegment> Segments;
  // Empty when the file is well formed from SOI to EOI; else where it is not.
  QString Error;
  // Bytes after EOI; -1 when there is no EOI.
  qsizetype BytesAfterEnd = -1;
  bool RestartMarkers = false;

  bool StartOfImage = false;
  bool Jfif = false;
  // The count of frame headers (SOFn), and what the first says: its marker (0xC0 for
  // baseline; 0 when there is none), size, precision and components.
  int Frames = 0;
  int FrameMarker = 0;
  int Width = 0;
  int Height = 0;
  int Precision = 0;
  // Per component: (horizontal << 4 | vertical) sampling and quantisation table number.
  QList<int> Sampling;
  QList<int> TableOf;
  // Quantisation tables by number, in natural (row by row) order.
  QMap<int, QList<int>> Tables;
  // Huffman tables by class x 16 + number (0x00 DC 0, 0x10 AC 0, ...).
  QMap<int, THuffmanTable> Huffman;
  int Scans = 0;
};

TJpegFacts ReadJpegFacts(const QByteArray &File);

// File with the spectral band of its scan number Scan (0 for the first) set to Ss..Se, all
// else unchanged; empty when it has no such scan. A progressive file whose later scan asks
// for an impossible band (Ss after Se) keeps a sound header and first scan, as a file damaged
// in its middle does: the damage shows only while the pixels are decoded.
QByteArray WithScanBand(const QByteArray &File, int Scan, int Ss, int Se);

// The table libjpeg's jpeg_set_quality makes from a standard table of ITU-T T.81 Annex K at
// Quality with baseline forced, in natural order: each entry scaled by 200 - 2 x Quality
// percent (5000 / Quality below 50), rounded as (entry x scale + 50) div 100 and clamped to
// 1..255.
QList<int> ScaledTable(bool Chrominance, int Quality);

// Empty when the file is a baseline JFIF JPEG of Width x Height with Y sampled 2 x 2 on table
// 0, Cb and Cr 1 x 1 on table 1, one scan, and the tables of Quality; else what differs.
QStringList WallpaperFileFaults(const TJpegFacts &Facts, int Width, int Height, int Quality);
