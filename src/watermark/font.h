#pragma once

#include <QFont>
#include <QString>

#include <cstdint>

// A colour: 0x00BBGGRR for a plain colour (255 is pure red); a negative value names a system
// colour, resolved to its current plain value when drawn or offered in a chooser.
using TColor = std::int32_t;
inline constexpr TColor clWindowText = static_cast<TColor>(0x80000008);
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;

// The plain colour a colour stands for now.
TColor ColorToRGB(TColor Color);
QColor ToQColor(TColor Color);
TColor FromQColor(const QColor &Color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// The font record: copying it copies every field. Height is in pixels at 96 pixels per inch,
// negative for a character height (Size in points = -Height * 72 / 96, rounded).
struct TFont {
  QString Name = QStringLiteral("Tahoma");
  int Height = -11;
  TColor Color = clWindowText;
  TFontStyles Style = 0;
  int Charset = 1; // DEFAULT_CHARSET
  int Pitch = 0;   // default pitch

  int Size() const;
  void SetSize(int Points);
  bool operator==(const TFont &) const = default;

  // The Qt font that draws this record at 96 pixels per inch (pixel size from Height); a
  // missing face falls back to the desktop's nearest sans-serif.
  QFont ToQFont() const;
};
