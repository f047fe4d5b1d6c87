#pragma once

#include <QImage>

// A picture shrunk by averaging its light over each destination pixel's area: every source
// pixel counts by the share of it that the destination pixel covers, its colour taken in
// linear light and weighted by its alpha. This is the box filter at its exact: a picture
// shrunk by a whole ratio gives each destination pixel the plain average of its block.
//
// Source is Format_RGB32 or Format_ARGB32 (not premultiplied), Alpha saying which. Its first
// Extent pixels across and down are the picture (a reduced level may hold a last half pixel
// more, which is never read); they are spread over DestSize, neither side larger than the
// extent's. Only the pixels of Part (destination coordinates) are computed, reading only the
// source pixels under them. The result has Source's format; null when the memory cannot be
// had.
QImage AreaAverage(const QImage &Source, QSizeF Extent, QSize DestSize, QRect Part, bool Alpha);
