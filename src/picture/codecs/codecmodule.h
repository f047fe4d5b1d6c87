#pragma once

#include <QByteArray>
#include <QImage>

// The HEIF/AVIF and JPEG XL decoders (heifcodec.h, jxlcodec.h), reached through a module of
// their own that is loaded the first time a picture of those formats is opened. Linked into
// the program, libheif and libjxl with the codec libraries they bring in (libde265, dav1d,
// libaom, x265, highway, brotli) cost every start of every program about 6 ms of loading and
// static initialisation, although most pictures opened are JPEGs.
//
// Each function decodes as the decoder it names does, under the raster limit in force here
// (rasterlimits.h), and throws what it throws. When the module cannot be loaded (missing, or a
// library it needs missing) they throw "Cannot load the HEIF, AVIF and JPEG XL decoders. %s"
// with the loader's reason. Safe to call from several threads at once; the module, once
// loaded, stays loaded.
QImage DecodeHeifFromModule(const QByteArray &Data, const char *InvalidMessage);
QImage DecodeJxlFromModule(const QByteArray &Data);
