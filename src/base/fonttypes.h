#pragma once

// The plain values of colours and fonts, for code that stores or names them without drawing.
// The font record that draws (its height in pixels, its Qt font) is platform/font.h's TFont.

#include <QString>

#include <cstdint>

// A colour: 0x00BBGGRR for a plain colour (255 is pure red); a negative value names a system
// colour (0x80000000 | index of the desktop colour), resolved to its current plain value when
// drawn or offered in a chooser.
using TColor = std::int32_t;
inline constexpr TColor clWindowText = static_cast<TColor>(0x80000008);
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

// The face and size a font has until one is chosen.
inline constexpr char DefaultFontFace[] = "Tahoma";
inline constexpr int DefaultFontPoints = 8;

// A font as the user names it: the face as the font chooser lists it, the size in whole
// points, the style and the colour. It becomes a TFont where it is drawn.
struct TPlainFont {
  QString Face = QLatin1String(DefaultFontFace);
  int Points = DefaultFontPoints;
  TFontStyles Style = 0;
  TColor Color = clWindowText;
};
