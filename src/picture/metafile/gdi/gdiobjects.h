#pragma once

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <optional>
#include <variant>
#include <vector>

// The drawing objects a metafile creates and selects, held by value: selecting copies an
// object into the drawing state, so deleting or replacing it later cannot disturb what is
// selected.

namespace Gdi {
// Pen style word.
constexpr quint32 PsSolid = 0, PsDash = 1, PsDot = 2, PsDashDot = 3, PsDashDotDot = 4,
                  PsNull = 5, PsInsideFrame = 6, PsUserStyle = 7, PsAlternate = 8,
                  PsStyleMask = 0xF;
constexpr quint32 PsEndcapRound = 0, PsEndcapSquare = 0x100, PsEndcapFlat = 0x200,
                  PsEndcapMask = 0xF00;
constexpr quint32 PsJoinRound = 0, PsJoinBevel = 0x1000, PsJoinMiter = 0x2000,
                  PsJoinMask = 0xF000;
constexpr quint32 PsGeometric = 0x10000;
// Brush styles and hatches.
constexpr quint32 BsSolid = 0, BsNull = 1, BsHatched = 2, BsPattern = 3, BsIndexed = 4,
                  BsDibPattern = 5, BsDibPatternPt = 6;
constexpr quint32 HsHorizontal = 0, HsVertical = 1, HsFDiagonal = 2, HsBDiagonal = 3,
                  HsCross = 4, HsDiagCross = 5;
// Mapping modes.
constexpr int MmText = 1, MmLoMetric = 2, MmHiMetric = 3, MmLoEnglish = 4, MmHiEnglish = 5,
              MmTwips = 6, MmIsotropic = 7, MmAnisotropic = 8;
// Background modes, fill modes, arc directions.
constexpr int Transparent = 1, Opaque = 2;
constexpr int Alternate = 1, Winding = 2;
constexpr int AdCounterClockwise = 1, AdClockwise = 2;
// Binary raster operations (1 to 16).
constexpr int R2Black = 1, R2Nop = 11, R2CopyPen = 13, R2White = 16;
// Stretch mode that smooths.
constexpr int Halftone = 4;
// Region combination modes.
constexpr int RgnAnd = 1, RgnOr = 2, RgnXor = 3, RgnDiff = 4, RgnCopy = 5;
// Text alignment.
constexpr quint32 TaUpdateCp = 1, TaRight = 2, TaCenter = 6, TaHorizontalMask = 6,
                  TaBottom = 8, TaBaseline = 24, TaVerticalMask = 24;
// Text output options.
constexpr quint32 EtoOpaque = 2, EtoClipped = 4, EtoGlyphIndex = 0x10, EtoPdy = 0x2000;
// Character sets of fonts.
constexpr quint8 AnsiCharset = 0, DefaultCharset = 1, SymbolCharset = 2, MacCharset = 77,
                 ShiftJisCharset = 128, HangulCharset = 129, Gb2312Charset = 134,
                 ChineseBig5Charset = 136, GreekCharset = 161, TurkishCharset = 162,
                 VietnameseCharset = 163, HebrewCharset = 177, ArabicCharset = 178,
                 BalticCharset = 186, RussianCharset = 204, ThaiCharset = 222,
                 EastEuropeCharset = 238, OemCharset = 255;
// Font quality.
constexpr quint8 NonAntialiasedQuality = 3;
// Point types of PolyDraw: the figure-closing flag, then what the point is.
constexpr quint8 PtCloseFigure = 1, PtLineTo = 2, PtBezierTo = 4, PtMoveTo = 6;
// Gradient fill modes.
constexpr quint32 GradientFillRectH = 0, GradientFillRectV = 1, GradientFillTriangle = 2;
// How a world transform record changes the transform.
constexpr int MwtIdentity = 1, MwtLeftMultiply = 2, MwtRightMultiply = 3, MwtSet = 4;
// Graphics mode in which the world transform turns text too.
constexpr quint32 GmAdvanced = 2;
// The raster operation that copies the source, and the one a mask blit keeps the destination
// with where the mask is clear.
constexpr quint32 SrcCopy = 0x00CC0020, MaskedSrcCopy = 0xAACC0020;
// Options of the small text record.
constexpr quint32 EtoNoRect = 0x100, EtoSmallChars = 0x200;
// Binary raster operation that inverts the destination.
constexpr int R2Not = 6;
}  // namespace Gdi

struct TGdiPen {
  quint32 Style = Gdi::PsSolid;  // the whole style word: style, caps, joins, type
  double Width = 0;              // logical units; 0 is one pixel whatever the mapping
  QRgb Color = 0xFF000000;
  // Created from a plain pen record: such pens are one pixel unless wider than that, and
  // wide ones are solid with round caps and joins.
  bool Plain = true;
  std::vector<double> UserDashes;  // PS_USERSTYLE entries
  // A pen drawn with a brush (hatch or pattern) instead of a colour.
  bool HasBrush = false;
  quint32 BrushStyle = Gdi::BsSolid;
  quint32 Hatch = 0;
  QImage Pattern;

  bool Null() const { return (Style & Gdi::PsStyleMask) == Gdi::PsNull; }
};

struct TGdiBrush {
  quint32 Style = Gdi::BsSolid;
  QRgb Color = 0xFFFFFFFF;
  quint32 Hatch = 0;
  QImage Pattern;           // BS_PATTERN, BS_DIBPATTERN
  bool Monochrome = false;  // Pattern is two-colour Indexed8 taking the text and bk colours

  bool Null() const { return Style == Gdi::BsNull; }
};

struct TGdiFont {
  qint32 Height = 0;
  qint32 Width = 0;
  qint32 Escapement = 0;  // tenths of a degree, counter-clockwise
  qint32 Orientation = 0;
  qint32 Weight = 400;
  bool Italic = false, Underline = false, StrikeOut = false;
  quint8 CharSet = 0;
  quint8 Quality = 0;
  quint8 PitchAndFamily = 0;
  QString Face;
};

struct TGdiPalette {
  QList<QRgb> Colors;
};

// A region object of an old metafile: rectangles in logical units.
struct TGdiRegion {
  QList<QRect> Rects;
};

using TGdiObject =
    std::variant<std::monostate, TGdiPen, TGdiBrush, TGdiFont, TGdiPalette, TGdiRegion>;

// The stock object with the given number (WHITE_BRUSH 0 ... DC_PEN 19), if there is one.
std::optional<TGdiObject> StockObject(quint32 Id);

// A COLORREF (0x00BBGGRR, high byte 1 for a palette index) as an opaque colour.
QRgb ColorRefToRgb(quint32 ColorRef, const QList<QRgb> &Palette);

// An 8 x 8 hatch tile: the hatch lines in Color, the rest transparent.
QImage HatchTile(quint32 Hatch, QRgb Color);

// The object table of a playing metafile. It starts at the size the file's header gives and
// grows when a file numbers more objects than it declared, up to 65536 slots; indices
// beyond that are refused, never followed.
class TGdiObjectTable {
public:
  static constexpr quint32 MaxSize = 65536;

  explicit TGdiObjectTable(quint32 Size);

  quint32 Size() const { return static_cast<quint32>(FObjects.size()); }
  // Stores an object at Index, replacing what was there; false when Index is beyond the
  // largest table.
  bool Put(quint32 Index, TGdiObject Object);
  // Stores an object in the first free slot (old metafiles number objects so); the index,
  // or -1 when the largest table is full.
  int PutFirstFree(TGdiObject Object);
  // The object at Index, or null for an empty slot or an index outside the table.
  const TGdiObject *Get(quint32 Index) const;
  void Delete(quint32 Index);

private:
  std::vector<TGdiObject> FObjects;
  quint32 FFirstFree = 0;
};
