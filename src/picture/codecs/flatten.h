#pragma once

#include <QImage>

// Composes an image over white and returns it opaque (Format_RGB32). A null image gives a
// null image; throws "Out of memory" when the result cannot be allocated.
QImage FlattenOverWhite(const QImage &Image);
