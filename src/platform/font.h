#pragma once

#include "base/fonttypes.h"

#include <QFont>
#include <QString>

// The plain colour a colour stands for now: a plain colour is returned as it is, a system
// colour is looked up in the application's palette.
TColor ColorToRGB(TColor Color);
QColor ToQColor(TColor Color);
TColor FromQColor(const QColor &Color);

inline constexpr int DEFAULT_CHARSET = 1;
enum TFontPitch : int { fpDefault = 0, fpFixed = 1, fpVariable = 2 };

// The font record: copying it copies every field. Height is in pixels at 96 pixels per inch:
// negative for a character height (the em size), positive for a cell height (ascent plus
// descent), 0 for the default height of 8 points. Size in points = -Height * 72 / 96, rounded.
struct TFont {
  QString Name = QLatin1String(DefaultFontFace);
  int Height = -11;
  TColor Color = clWindowText;
  TFontStyles Style = 0;
  int Charset = DEFAULT_CHARSET;
  int Pitch = fpDefault;

  int Size() const;
  void SetSize(int Points);
  bool operator==(const TFont &) const = default;

  // The Qt font that draws this record at 96 pixels per inch: its pixel size is the character
  // height the record asks for, whatever the screen's resolution. A face that is not installed
  // is replaced by the desktop's default sans-serif face; the record keeps its own name.
  QFont ToQFont() const;
};

// The record of a plain font: its face, style and colour, and its size in points turned into
// a character height as the font chooser turns it (SetSize).
TFont FontOf(const TPlainFont &Plain);

// The installed face that ToQFont draws Name with: Name itself when installed, else the
// desktop's default sans-serif face.
QString ResolvedFontFamily(const QString &Name);
