// Fonts and text output of the drawing context.
#include "picture/metafile/gdi/gditext.h"
#include "picture/metafile/gdi/gdicontext.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;

const char *CodePage(quint8 CharSet) {
  switch (CharSet) {
  case Gdi::MacCharset: return "macintosh";
  case Gdi::ShiftJisCharset: return "Shift_JIS";
  case Gdi::HangulCharset: return "windows-949";
  case Gdi::Gb2312Charset: return "GBK";
  case Gdi::ChineseBig5Charset: return "Big5";
  case Gdi::GreekCharset: return "windows-1253";
  case Gdi::TurkishCharset: return "windows-1254";
  case Gdi::VietnameseCharset: return "windows-1258";
  case Gdi::HebrewCharset: return "windows-1255";
  case Gdi::ArabicCharset: return "windows-1256";
  case Gdi::BalticCharset: return "windows-1257";
  case Gdi::RussianCharset: return "windows-1251";
  case Gdi::ThaiCharset: return "windows-874";
  case Gdi::EastEuropeCharset: return "windows-1250";
  case Gdi::OemCharset: return "IBM437";
  default: return "windows-1252";
  }
}

bool RightToLeft(const QString &Text) {
  for (QChar C : Text)
    if (C.direction() == QChar::DirR || C.direction() == QChar::DirAL)
      return true;
  return false;
}

QFont::StyleHint Hint(quint8 PitchAndFamily) {
  switch (PitchAndFamily & 0xF0) {
  case 0x10: return QFont::Serif;
  case 0x20: return QFont::SansSerif;
  case 0x30: return QFont::TypeWriter;
  case 0x40: return QFont::Cursive;
  case 0x50: return QFont::Decorative;
  default: return QFont::AnyStyle;
  }
}

// The family fonts fall back to when their face is not installed.
const QString &FallbackFamily() {
  static const QString Family =
      QFontInfo(QFont(QStringLiteral("Zelvane No Such Face"))).family();
  return Family;
}

}  // namespace

bool IsSymbolFace(const QString &Face) {
  return Face.compare(u"Symbol", Qt::CaseInsensitive) == 0;
}

quint8 TextCharSet(quint8 CharSet, const QString &Face) {
  return CharSet == Gdi::DefaultCharset && IsSymbolFace(Face) ? Gdi::SymbolCharset : CharSet;
}

QString DecodeCharSetText(TByteView Bytes, quint8 CharSet) {
  const QByteArrayView View(reinterpret_cast<const char *>(Bytes.Data()), Bytes.Size());
  if (CharSet == Gdi::SymbolCharset)
    return QString::fromLatin1(View);
  QStringDecoder Decoder(CodePage(CharSet));
  if (!Decoder.isValid())
    return QString::fromLatin1(View);
  return Decoder.decode(View);
}

namespace {

// Builds the font of a text output: the face (or, for symbol text, an ordinary serif face),
// weight, slant, lines and antialiasing; its size is set by the caller.
QFont MakeFont(const TGdiFont &Font, bool Symbol) {
  // The family class only helps faces that are not installed (giving it otherwise makes the
  // font matching prefer the class's default).
  QFont Result;
  if (Symbol)
    Result.setStyleHint(QFont::Serif);
  else if (!Font.Face.isEmpty())
    Result.setFamilies({Font.Face});
  if (!Symbol && (Font.Face.isEmpty() || QFontInfo(Result).family() == FallbackFamily()))
    Result.setStyleHint(Hint(Font.PitchAndFamily));
  Result.setFixedPitch((Font.PitchAndFamily & 3) == 1);
  Result.setWeight(QFont::Weight(std::clamp(Font.Weight <= 0 ? 400 : Font.Weight, 1, 1000)));
  Result.setItalic(Font.Italic);
  Result.setUnderline(Font.Underline);
  Result.setStrikeOut(Font.StrikeOut);
  Result.setKerning(false);
  Result.setStyleStrategy(Font.Quality == Gdi::NonAntialiasedQuality ? QFont::NoAntialias : QFont::PreferAntialias);
  return Result;
}

// Font sizes in canvas pixels outside which text is not drawn (too large) or only its
// background (too small for glyphs); glyph stretching kept within reason.
constexpr double MaxEm = 20000, MinEm = 0.5;
constexpr double MinStretch = 0.05, MaxStretch = 20;
// The font size of a font record without a height, at one reference pixel a canvas pixel.
constexpr double DefaultEm = 16;
// How far text given with advances is squeezed or spread to fit them, laid out as a whole.
constexpr double MinFit = 0.25, MaxFit = 4;
// Work counted for each character drawn.
constexpr qint64 WorkPerCharacter = 1024;

// One character of the text: a code unit, or a surrogate pair.
QString Piece(const QString &String, int I) {
  return String.mid(I, String[I].isHighSurrogate() ? 2 : 1);
}

// The text's frame on the canvas.
struct TBaseline {
  QPointF Along;  // unit vector along the baseline
  QPointF Down;   // unit vector from the baseline downwards
  double AlongScale = 0, UpScale = 0;  // canvas pixels per logical unit along and across
  double Angle = 0;  // the baseline's, in degrees as QTransform::rotate takes them
  QTransform Linear;  // logical to canvas, without the translation
};

// The baseline's direction on the canvas: the escapement turns it counter-clockwise as seen;
// in advanced mode the world transform turns it too. False when the mapping flattens text.
bool FindBaseline(const QTransform &T, qint32 EscapementTenths, bool Advanced, TBaseline &B) {
  const double Det = T.determinant();
  if (!std::isfinite(Det) || Det == 0)
    return false;
  const double Escapement = (EscapementTenths % 3600) / 10.0 * Pi / 180;
  B.Linear = QTransform(T.m11(), T.m12(), T.m21(), T.m22(), 0, 0);
  const QPointF LogicalDir(std::cos(Escapement), (Det < 0 ? 1 : -1) * std::sin(Escapement));
  QPointF Along = B.Linear.map(LogicalDir);
  B.AlongScale = std::hypot(Along.x(), Along.y());
  if (!(B.AlongScale > 0))
    return false;
  if (!Advanced)
    Along = QPointF(std::cos(Escapement), -std::sin(Escapement)) * B.AlongScale;
  B.Along = Along / B.AlongScale;
  B.Down = QPointF(-B.Along.y(), B.Along.x());
  B.UpScale = std::abs(Det) / B.AlongScale;
  B.Angle = std::atan2(B.Along.y(), B.Along.x()) * 180 / Pi;
  return true;
}

// The font of a text output at its size on the canvas.
struct TSizedFont {
  QFont Font;
  double StretchX = 1;  // glyphs' stretch along the baseline
  bool Glyphs = true;   // large enough to draw glyphs
};

// Sizes the font in canvas pixels: a positive height is the character cell's (ascent and
// descent together), a negative one the characters' own. Glyphs are as wide as the font's
// width says, in the scale along the baseline; without a width, as wide as their height
// asks, scaled along the baseline as much as across it, so that text in a picture
// stretched unevenly is stretched with it. False when the text is too large to draw.
bool SizeFont(const TGdiFont &Font, bool Symbol, const TBaseline &B, double NoHeightEm,
              const QPaintDevice &Device, TSizedFont &Sized) {
  QFont &QtFont = Sized.Font;
  QtFont = MakeFont(Font, Symbol);
  const double Dpi = std::max(1, Device.logicalDpiY());
  auto SetPixels = [&](double Pixels) { QtFont.setPointSizeF(Pixels * 72.0 / Dpi); };
  double Em = NoHeightEm;
  if (Font.Height < 0) {
    Em = -double(Font.Height) * B.UpScale;
  } else if (Font.Height > 0) {
    constexpr double ProbePixels = 100;
    SetPixels(ProbePixels);
    const QFontMetricsF Probe(QtFont, &Device);
    const double Cell = Probe.ascent() + Probe.descent();
    Em = double(Font.Height) * B.UpScale * (Cell > 0 ? ProbePixels / Cell : 1);
  }
  if (!std::isfinite(Em) || Em > MaxEm)
    return false;
  Sized.Glyphs = Em >= MinEm;
  SetPixels(std::max(Em, MinEm));
  const QFontMetricsF Metrics(QtFont, &Device);
  Sized.StretchX = std::clamp(B.AlongScale / B.UpScale, MinStretch, MaxStretch);
  if (Font.Width != 0 && Metrics.averageCharWidth() > 0)
    Sized.StretchX = std::clamp(std::abs(double(Font.Width)) * B.AlongScale /
                                    Metrics.averageCharWidth(),
                                MinStretch, MaxStretch);
  return true;
}

// Where each character goes in the text's own frame (x along the baseline from its start,
// y downwards), in canvas pixels: the record's advances, or the font's plus the extra
// character spacing. Gives the text's width.
double LayOut(const QString &String, const TGdiText &Text, const QFontMetricsF &Metrics,
              const TBaseline &B, double StretchX, double CharExtra, std::vector<QPointF> &At) {
  const int Count = String.size();
  const bool HasDx = !Text.Dx.empty();
  At.assign(Count, QPointF());
  double Width = 0, Rise = 0;
  for (int I = 0; I < Count; ++I) {
    At[I] = QPointF(Width, Rise);
    if (HasDx) {
      Width += (I < int(Text.Dx.size()) ? Text.Dx[I] : 0) * B.AlongScale;
      if (I < int(Text.Dy.size()))
        Rise += QPointF::dotProduct(B.Linear.map(QPointF(0, Text.Dy[I])), B.Down);
    } else if (!String[I].isLowSurrogate()) {
      const double Natural = Text.GlyphIndices ? Metrics.averageCharWidth()
                                               : Metrics.horizontalAdvance(Piece(String, I));
      Width += Natural * StretchX + CharExtra * B.AlongScale;
    }
  }
  return Width;
}

// The laid-out text, drawn by a painter whose origin is the text's start and whose x axis
// runs along the baseline, unstretched.
struct TTextRun {
  const QString &String;
  const TGdiText &Text;
  const std::vector<QPointF> &At;
  double Width;
  const TSizedFont &Sized;
  const QFontMetricsF &Metrics;
};

// Glyph numbers only mean something in the very font they were taken from: none otherwise.
QRawFont GlyphFont(const TSizedFont &Sized, const TGdiFont &Font) {
  QRawFont Raw = QRawFont::fromFont(Sized.Font);
  if (!Raw.isValid() || Raw.familyName().compare(Font.Face, Qt::CaseInsensitive) != 0)
    return QRawFont();
  return Raw;
}

void DrawGlyphNumbers(QPainter &Painter, const TTextRun &Run, const QRawFont &Raw) {
  if (!Raw.isValid())
    return;
  QList<quint32> Indexes;
  QList<QPointF> Positions;
  for (int I = 0; I < Run.String.size(); ++I) {
    Indexes.push_back(Run.String[I].unicode());
    Positions.push_back(QPointF(Run.At[I].x() / Run.Sized.StretchX, Run.At[I].y()));
  }
  QGlyphRun Glyphs;
  Glyphs.setRawFont(Raw);
  Glyphs.setGlyphIndexes(Indexes);
  Glyphs.setPositions(Positions);
  Painter.drawGlyphRun(QPointF(0, 0), Glyphs);
}

// Right-to-left text (and text without advances or extra spacing) is laid out as a whole,
// so that its characters join and order as the script wants; with advances it is fitted to
// their sum. Other text goes character by character.
void DrawCharacters(QPainter &Painter, const TTextRun &Run, double CharExtra) {
  const bool HasDx = !Run.Text.Dx.empty();
  if ((!HasDx && CharExtra == 0) || RightToLeft(Run.String)) {
    const double Natural = Run.Metrics.horizontalAdvance(Run.String) * Run.Sized.StretchX;
    Painter.scale(HasDx && Natural > 0 ? std::clamp(Run.Width / Natural, MinFit, MaxFit) : 1.0,
                  1);
    Painter.drawText(QPointF(0, 0), Run.String);
    return;
  }
  for (int I = 0; I < Run.String.size(); ++I)
    if (!Run.String[I].isLowSurrogate())
      Painter.drawText(QPointF(Run.At[I].x() / Run.Sized.StretchX, Run.At[I].y()),
                       Piece(Run.String, I));
}

}  // namespace

QPointF TGdiContext::TextOrigin(const TGdiText &Text, const QPointF &Along,
                                const QPointF &Down, double Width, const QFontMetricsF &Metrics) {
  const bool UpdateCp = (FState.TextAlign & Gdi::TaUpdateCp) != 0;
  const QPointF Reference = MapPointF(UpdateCp ? FState.Position : Text.Reference);
  const quint32 Horizontal = FState.TextAlign & Gdi::TaHorizontalMask;
  const quint32 Vertical = FState.TextAlign & Gdi::TaVerticalMask;
  const double Start = Horizontal == Gdi::TaRight    ? -Width
                       : Horizontal == Gdi::TaCenter ? -Width / 2
                                                     : 0;
  const double Drop = Vertical == Gdi::TaBaseline ? 0
                      : Vertical == Gdi::TaBottom ? -Metrics.descent()
                                                  : Metrics.ascent();
  if (UpdateCp && Horizontal != Gdi::TaCenter) {
    // The current position moves to the text's other end.
    bool Invertible = false;
    const QTransform Inverse = Transform().inverted(&Invertible);
    if (Invertible)
      FState.Position =
          Inverse.map(Reference + Along * (Horizontal == Gdi::TaRight ? -Width : Width));
  }
  return Reference + Along * Start + Down * Drop;
}

void TGdiContext::OpenTextRectangle(const TGdiText &Text) {
  if (!Text.HasRect)
    return;
  const QPoint A = MapPoint(Text.RectTopLeft), B = MapPoint(Text.RectBottomRight);
  const QRect Box(QPoint(std::min(A.x(), B.x()), std::min(A.y(), B.y())),
                  QPoint(std::max(A.x(), B.x()) - 1, std::max(A.y(), B.y()) - 1));
  if (!Box.isValid())
    return;
  if (Text.Options & Gdi::EtoOpaque)
    PaintOperation(Box, [&](QPainter &Painter) {
      Painter.fillRect(Box, QColor::fromRgb(FState.BkColor));
    });
  if (Text.Options & Gdi::EtoClipped)
    SetClip(QRegion(Box), Gdi::RgnAnd);
}

void TGdiContext::ExtTextOut(const TGdiText &Text) {
  const TGdiFont &Font = FState.Font;
  TBaseline B;
  if (!FindBaseline(Transform(), Font.Escapement, Text.Advanced, B))
    return;
  // Symbol-font text is shown as the Unicode characters it stands for, in an ordinary font:
  // installed symbol fonts seldom carry the same codes.
  const bool Symbol = TextCharSet(Font.CharSet, Font.Face) == Gdi::SymbolCharset &&
                      IsSymbolFace(Font.Face) && !Text.GlyphIndices;
  const QString String = Symbol ? MapSymbolText(Text.Text) : Text.Text;
  TSizedFont Sized;
  const double NoHeightEm =
      DefaultEm * std::sqrt(std::abs(FDevice.DeviceToOutput.determinant()));
  if (!SizeFont(Font, Symbol, B, NoHeightEm, FCanvas, Sized))
    return;
  const QFontMetricsF Metrics(Sized.Font, &FCanvas);
  std::vector<QPointF> At;
  const double Width = LayOut(String, Text, Metrics, B, Sized.StretchX, FState.CharExtra, At);
  const int Count = String.size();
  AddWork(qint64(Count) * WorkPerCharacter);

  const QPointF Origin = TextOrigin(Text, B.Along, B.Down, Width, Metrics);
  QTransform Local;
  Local.translate(Origin.x(), Origin.y());
  Local.rotate(B.Angle);
  const QTransform Glyph = QTransform::fromScale(Sized.StretchX, 1) * Local;
  const QPolygonF Cell = Local.map(
      QPolygonF(QRectF(0, -Metrics.ascent(), Width, Metrics.ascent() + Metrics.descent())));

  if (FInPath) {
    QPainterPath Outline;
    for (int I = 0; I < Count && Sized.Glyphs && !Text.GlyphIndices; ++I)
      if (!String[I].isLowSurrogate())
        Outline.addText(QPointF(At[I].x() / Sized.StretchX, At[I].y()), Sized.Font,
                        Piece(String, I));
    FPath.addPath(Glyph.map(Outline));
    return;
  }

  const int SavedRop = FState.Rop2;
  FState.Rop2 = Gdi::R2CopyPen;  // text ignores the pen's raster operation
  const bool SavedClipped = FState.Clipped;
  const QRegion SavedClip = FState.Clip;
  OpenTextRectangle(Text);
  const QRawFont Raw = Text.GlyphIndices ? GlyphFont(Sized, Font) : QRawFont();
  const TTextRun Run{String, Text, At, Width, Sized, Metrics};
  PaintOperation(Cell.boundingRect(), [&](QPainter &Painter) {
    if (FState.BkMode == Gdi::Opaque && Count > 0) {
      QPainterPath Back;
      Back.addPolygon(Cell);
      Painter.fillPath(Back, QColor::fromRgb(FState.BkColor));
    }
    if (!Sized.Glyphs || Count == 0)
      return;
    Painter.save();
    Painter.setTransform(Glyph, true);
    Painter.setFont(Sized.Font);
    Painter.setPen(QColor::fromRgb(FState.TextColor));
    if (Text.GlyphIndices)
      DrawGlyphNumbers(Painter, Run, Raw);
    else
      DrawCharacters(Painter, Run, FState.CharExtra);
    Painter.restore();
  });
  FState.Clipped = SavedClipped;
  FState.Clip = SavedClip;
  FState.Rop2 = SavedRop;
}
