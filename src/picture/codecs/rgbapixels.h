#pragma once

#include <QtGlobal>

// Turns rows of 8-bit R, G, B, A bytes, as libheif and libjxl give them, in place into the
// 32-bit pixels of Format_ARGB32 (not premultiplied). Without alpha every pixel gets alpha
// 255, so the rows are also valid Format_RGB32; a premultiplied alpha is undone.
void MakeArgb32(uchar *Pixels, qsizetype Stride, int Width, int Height, bool HasAlpha,
                bool Premultiplied);
