#pragma once

// The plain values of colours and font styles, apart from the font record, for code that
// stores them without drawing.

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
