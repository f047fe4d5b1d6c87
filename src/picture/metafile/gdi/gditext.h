#pragma once

#include "picture/codecs/byteview.h"

#include <QString>

// Decodes 8-bit text as a font of the given character set writes it: the code page of the
// set (1252 for ANSI and default, 1250 to 1258, 874, 437 for OEM, Shift-JIS, GBK, Big5, Korean,
// Mac Roman); symbol-set bytes are kept as the characters 0 to 255.
QString DecodeCharSetText(TByteView Bytes, quint8 CharSet);

// The one symbol font whose codes are mapped to Unicode characters.
bool IsSymbolFace(const QString &Face);

// The character set a font's text is written in: the symbol font asked for with the default
// set has the symbol set, as the system's font mapper gives it that font.
quint8 TextCharSet(quint8 CharSet, const QString &Face);

// Replaces symbol-set codes (0x20 to 0xFF, also as U+F020 to U+F0FF, how 16-bit text carries
// them) by their Unicode characters.
QString MapSymbolText(const QString &Text);
