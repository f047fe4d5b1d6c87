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

}  // namespace

void TGdiContext::ExtTextOut(const TGdiText &Text) {
  const TGdiFont &Font = FState.Font;
  const QTransform &T = Transform();
  const double Det = T.determinant();
  if (!std::isfinite(Det) || Det == 0)
    return;

  // The baseline's direction on the canvas: the escapement turns it counter-clockwise as
  // seen; in advanced mode the world transform turns it too.
  const double Escapement = (Font.Escapement % 3600) / 10.0 * Pi / 180;
  const QTransform Linear(T.m11(), T.m12(), T.m21(), T.m22(), 0, 0);
  const QPointF LogicalDir(std::cos(Escapement), (Det < 0 ? 1 : -1) * std::sin(Escapement));
  QPointF Along = Linear.map(LogicalDir);
  const double AlongScale = std::hypot(Along.x(), Along.y());
  if (!(AlongScale > 0))
    return;
  if (!Text.Advanced)
    Along = QPointF(std::cos(Escapement), -std::sin(Escapement)) * AlongScale;
  const QPointF U = Along / AlongScale;  // unit vector along the baseline
  const QPointF Down(-U.y(), U.x());     // unit vector from the baseline downwards
  const double UpScale = std::abs(Det) / AlongScale;
  const double Angle = std::atan2(U.y(), U.x()) * 180 / Pi;

  // Symbol-font text is shown as the Unicode characters it stands for, in an ordinary font:
  // installed symbol fonts seldom carry the same codes.
  const bool Symbol = TextCharSet(Font.CharSet, Font.Face) == Gdi::SymbolCharset &&
                     IsSymbolFace(Font.Face) && !Text.GlyphIndices;
  const QString String = Symbol ? MapSymbolText(Text.Text) : Text.Text;

  // The font at its size in canvas pixels; a positive height is the character cell's
  // (ascent and descent together), a negative one the characters' own.
  QFont QtFont = MakeFont(Font, Symbol);
  const double Dpi = std::max(1, FCanvas.logicalDpiY());
  auto SetPixels = [&](double Pixels) { QtFont.setPointSizeF(Pixels * 72.0 / Dpi); };
  double Em = 16 * std::sqrt(std::abs(FDevice.DeviceToOutput.determinant()));
  if (Font.Height < 0) {
    Em = -double(Font.Height) * UpScale;
  } else if (Font.Height > 0) {
    SetPixels(100);
    const QFontMetricsF Probe(QtFont, &FCanvas);
    const double Cell = Probe.ascent() + Probe.descent();
    Em = double(Font.Height) * UpScale * (Cell > 0 ? 100 / Cell : 1);
  }
  if (!std::isfinite(Em) || Em > 20000)
    return;
  const bool Glyphs = Em >= 0.5;
  SetPixels(std::max(Em, 0.5));
  const QFontMetricsF Metrics(QtFont, &FCanvas);
  // Glyphs are as wide as the font's width says, in the scale along the baseline; without
  // a width, as wide as their height asks, scaled along the baseline as much as across it,
  // so that text in a picture stretched unevenly is stretched with it.
  double StretchX = std::clamp(AlongScale / UpScale, 0.05, 20.0);
  if (Font.Width != 0 && Metrics.averageCharWidth() > 0)
    StretchX = std::clamp(std::abs(double(Font.Width)) * AlongScale / Metrics.averageCharWidth(),
                          0.05, 20.0);

  // Where each character goes in the text's own frame (x along the baseline from its start,
  // y downwards), in canvas pixels: the record's advances, or the font's plus the extra
  // character spacing.
  const int Count = String.size();
  const bool HasDx = !Text.Dx.empty();
  std::vector<QPointF> At(Count);
  double Width = 0, Rise = 0;
  auto Piece = [&](int I) { return String.mid(I, String[I].isHighSurrogate() ? 2 : 1); };
  for (int I = 0; I < Count; ++I) {
    At[I] = QPointF(Width, Rise);
    if (HasDx) {
      Width += (I < int(Text.Dx.size()) ? Text.Dx[I] : 0) * AlongScale;
      if (I < int(Text.Dy.size()))
        Rise += QPointF::dotProduct(Linear.map(QPointF(0, Text.Dy[I])), Down);
    } else if (!String[I].isLowSurrogate()) {
      const double Natural = Text.GlyphIndices ? Metrics.averageCharWidth()
                                               : Metrics.horizontalAdvance(Piece(I));
      Width += Natural * StretchX + FState.CharExtra * AlongScale;
    }
  }
  AddWork(qint64(Count) * 1024);

  // The reference point (or the current position) and the alignment give the start.
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
  const QPointF Origin = Reference + U * Start + Down * Drop;
  if (UpdateCp && Horizontal != Gdi::TaCenter) {
    bool Invertible = false;
    const QTransform Inverse = T.inverted(&Invertible);
    if (Invertible)
      FState.Position =
          Inverse.map(Reference + U * (Horizontal == Gdi::TaRight ? -Width : Width));
  }
  QTransform Local;
  Local.translate(Origin.x(), Origin.y());
  Local.rotate(Angle);
  const QTransform Glyph = QTransform::fromScale(StretchX, 1) * Local;
  const QPolygonF Cell = Local.map(
      QPolygonF(QRectF(0, -Metrics.ascent(), Width, Metrics.ascent() + Metrics.descent())));

  if (FInPath) {
    QPainterPath Outline;
    for (int I = 0; I < Count && Glyphs && !Text.GlyphIndices; ++I)
      if (!String[I].isLowSurrogate())
        Outline.addText(QPointF(At[I].x() / StretchX, At[I].y()), QtFont, Piece(I));
    FPath.addPath(Glyph.map(Outline));
    return;
  }

  const int SavedRop = FState.Rop2;
  FState.Rop2 = Gdi::R2CopyPen;  // text ignores the pen's raster operation
  const bool SavedClipped = FState.Clipped;
  const QRegion SavedClip = FState.Clip;
  if (Text.HasRect) {
    const QPoint A = MapPoint(Text.RectTopLeft), B = MapPoint(Text.RectBottomRight);
    const QRect Box(QPoint(std::min(A.x(), B.x()), std::min(A.y(), B.y())),
                    QPoint(std::max(A.x(), B.x()) - 1, std::max(A.y(), B.y()) - 1));
    if (Box.isValid()) {
      if (Text.Options & Gdi::EtoOpaque)
        PaintOperation(Box, [&](QPainter &Painter) {
          Painter.fillRect(Box, QColor::fromRgb(FState.BkColor));
        });
      if (Text.Options & Gdi::EtoClipped)
        SetClip(QRegion(Box), Gdi::RgnAnd);
    }
  }
  // Glyph numbers only mean something in the very font they were taken from.
  QRawFont Raw;
  if (Text.GlyphIndices) {
    Raw = QRawFont::fromFont(QtFont);
    if (!Raw.isValid() || Raw.familyName().compare(Font.Face, Qt::CaseInsensitive) != 0)
      Raw = QRawFont();
  }
  // Right-to-left text (and text without advances) is laid out as a whole, so that its
  // characters join and order as the script wants; with advances it is fitted to their sum.
  const bool Whole = (!HasDx && FState.CharExtra == 0) || RightToLeft(String);
  PaintOperation(Cell.boundingRect(), [&](QPainter &Painter) {
    if (FState.BkMode == Gdi::Opaque && Count > 0) {
      QPainterPath Back;
      Back.addPolygon(Cell);
      Painter.fillPath(Back, QColor::fromRgb(FState.BkColor));
    }
    if (!Glyphs || Count == 0)
      return;
    Painter.save();
    Painter.setTransform(Glyph, true);
    Painter.setFont(QtFont);
    Painter.setPen(QColor::fromRgb(FState.TextColor));
    if (Text.GlyphIndices) {
      if (Raw.isValid()) {
        QList<quint32> Indexes;
        QList<QPointF> Positions;
        for (int I = 0; I < Count; ++I) {
          Indexes.push_back(String[I].unicode());
          Positions.push_back(QPointF(At[I].x() / StretchX, At[I].y()));
        }
        QGlyphRun Run;
        Run.setRawFont(Raw);
        Run.setGlyphIndexes(Indexes);
        Run.setPositions(Positions);
        Painter.drawGlyphRun(QPointF(0, 0), Run);
      }
    } else if (Whole) {
      const double Natural = Metrics.horizontalAdvance(String) * StretchX;
      Painter.scale(HasDx && Natural > 0 ? std::clamp(Width / Natural, 0.25, 4.0) : 1.0, 1);
      Painter.drawText(QPointF(0, 0), String);
    } else {
      for (int I = 0; I < Count; ++I)
        if (!String[I].isLowSurrogate())
          Painter.drawText(QPointF(At[I].x() / StretchX, At[I].y()), Piece(I));
    }
    Painter.restore();
  });
  FState.Clipped = SavedClipped;
  FState.Clip = SavedClip;
  FState.Rop2 = SavedRop;
}
