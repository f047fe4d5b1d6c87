#pragma once

#include "artworkparams.h"

#include <QImage>
#include <QList>
#include <QString>

// The nine button glyphs. A glyph button draws its glyph with the colour of the glyph's
// lower-left pixel left out, so every glyph stands on a key colour ([glyphs] key) that fills
// its background, lower-left pixel included, and that no pixel of the drawing uses. Edges are
// smoothed against the button's face colour, not against the key, so no key-coloured fringe
// is left around the drawing when the key is dropped.
struct TGlyph {
  QString Name;  // file name without ".bmp"
  QImage Image;  // RGB32, the size the main window's layout gives the button's glyph
};

QList<TGlyph> PaintGlyphs(const TArtworkParams &Params);
