#pragma once

#include <QByteArray>
#include <QImage>

// The wallpaper encoder: libjpeg (jpeg62 API) with one fixed set of settings.
//
//   jpeg_set_defaults          YCbCr, JFIF 1.01, density unit 0, density 1:1, no thumbnail
//   dct_method = JDCT_FLOAT    floating-point DCT
//   jpeg_set_quality(Q, TRUE)  standard tables scaled by 200 - 2Q percent, entries 1..255
//   one baseline scan          no progression, standard Huffman tables, no optimisation
//   no smoothing, no restarts  Y sampled 2x2, Cb and Cr 1x1; no other marker
//
// The capture is copied row by row into a 24-bit buffer in memory order blue, green, red,
// which the library is told to read as such (JCS_EXT_BGR), so the file holds the colours
// the capture shows. Any pixel format is accepted; alpha is dropped, not blended.
//
// Quality is handed to jpeg_set_quality unchanged (the library keeps it within 1..100).
// A fatal library error throws std::runtime_error "JPEG error #%d" with the library's
// message code (an empty capture, one wider or taller than 65500 pixels); running out of
// memory throws std::bad_alloc. Warnings are ignored. Nothing is leaked on any path.
QByteArray EncodeJpeg(const QImage &Capture, int Quality);
