#pragma once

#include <QImage>

// Large buffers that are filled at once, mapped in 2 MiB pages where the kernel agrees.
//
// A fresh buffer is mapped by the kernel one page at a time, on first touch. With 4 KiB
// pages a 6000 x 4000 picture of 32-bit pixels costs 23,438 page faults, which on a virtual
// machine can take longer than decoding the picture; a 7 MB file read into memory costs
// 1,800 of them, several times the read itself. In 2 MiB pages (the hint madvise
// MADV_HUGEPAGE, followed where the kernel's transparent huge pages allow it) the same
// picture costs 46. Where the hint is not followed, the buffers are ordinary ones.

// A new image of Size and Format, its pixels undefined, like QImage(Size, Format); one of
// LargeImageBytes and more is allocated on 2 MiB boundaries with the hint. Null when the
// memory cannot be had, as QImage(Size, Format) is.
QImage NewLargeImage(QSize Size, QImage::Format Format);

inline constexpr qsizetype LargeImageBytes = qsizetype(8) << 20;

// Gives the hint for the whole 2 MiB pages within [Data, Data + Bytes): for a buffer
// allocated elsewhere (a QByteArray) that is about to be filled whole. Pages already
// touched keep their size; buffers below two huge pages are left alone.
void AdviseHugePages(void *Data, qsizetype Bytes);
