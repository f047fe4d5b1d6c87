#pragma once

#include <QImage>

// A new image of Size and Format, its pixels undefined, like QImage(Size, Format) except
// for where a large buffer lives.
//
// A fresh buffer is mapped by the kernel one page at a time, on first touch. With 4 KiB
// pages a 6000 x 4000 picture of 32-bit pixels costs 23,438 page faults, which on a virtual
// machine can take longer than decoding the picture. So buffers of LargeImageBytes and
// more are allocated on 2 MiB boundaries with a hint (madvise MADV_HUGEPAGE) that the
// kernel back them with 2 MiB pages: 46 faults for the same picture. Where the hint is not
// followed, the buffer is an ordinary one. Smaller images are plain QImages.
//
// Null when the memory cannot be had (as QImage(Size, Format) is).
QImage NewLargeImage(QSize Size, QImage::Format Format);

inline constexpr qsizetype LargeImageBytes = qsizetype(8) << 20;
