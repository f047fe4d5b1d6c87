#include "platform/font.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

constexpr int DefaultPixelHeight = 11; // 8 points at 96 pixels per inch

// The desktop colours by their index (the low byte of a system colour), as the palette roles
// that play the same part here. Indices without a counterpart fall back to the window text.
QPalette::ColorRole SystemColorRole(int Index, QPalette::ColorGroup &Group) {
  Group = QPalette::Active;
  switch (Index) {
  case 0:  // scroll bar
  case 15: // button face
  case 4:  // menu
  case 30: // menu bar
    return QPalette::Button;
  case 1:  // desktop background
  case 12: // application work space
    return QPalette::Dark;
  case 2:  // active caption
  case 13: // highlight
  case 27: // gradient of the active caption
  case 29: // menu highlight
    return QPalette::Highlight;
  case 3:  // inactive caption
  case 28: // gradient of the inactive caption
    Group = QPalette::Inactive;
    return QPalette::Highlight;
  case 5: // window background
    return QPalette::Base;
  case 6:  // window frame
  case 21: // 3D dark shadow
    return QPalette::Shadow;
  case 9:  // caption text
  case 14: // highlighted text
    return QPalette::HighlightedText;
  case 10: // active border
  case 11: // inactive border
    return QPalette::Window;
  case 16: // button shadow
    return QPalette::Mid;
  case 17: // grey text
    Group = QPalette::Disabled;
    return QPalette::WindowText;
  case 18: // button text
    return QPalette::ButtonText;
  case 19: // inactive caption text
    Group = QPalette::Inactive;
    return QPalette::HighlightedText;
  case 20: // button highlight
    return QPalette::Light;
  case 22: // 3D light
    return QPalette::Midlight;
  case 23: // tool tip text
    return QPalette::ToolTipText;
  case 24: // tool tip background
    return QPalette::ToolTipBase;
  case 26: // hot-tracked item
    return QPalette::Link;
  case 7: // menu text
  case 8: // window text
  default:
    return QPalette::WindowText;
  }
}

} // namespace

TColor ColorToRGB(TColor Color) {
  if (Color >= 0)
    return Color;
  QPalette::ColorGroup Group;
  const QPalette::ColorRole Role = SystemColorRole(Color & 0xFF, Group);
  return FromQColor(QApplication::palette().color(Group, Role));
}

QColor ToQColor(TColor Color) {
  const TColor Plain = ColorToRGB(Color);
  return QColor(Plain & 0xFF, (Plain >> 8) & 0xFF, (Plain >> 16) & 0xFF);
}

TColor FromQColor(const QColor &Color) {
  const QColor Rgb = Color.toRgb();
  return static_cast<TColor>(Rgb.red() | (Rgb.green() << 8) | (Rgb.blue() << 16));
}

int TFont::Size() const {
  // Height -11 at 96 pixels per inch is 8 points.
  return static_cast<int>(std::lround(-Height * 72.0 / 96.0));
}

void TFont::SetSize(int Points) { Height = -static_cast<int>(std::lround(Points * 96.0 / 72.0)); }

TFont FontOf(const TPlainFont &Plain) {
  TFont Font;
  Font.Name = Plain.Face;
  Font.SetSize(Plain.Points);
  Font.Style = Plain.Style;
  Font.Color = Plain.Color;
  return Font;
}

namespace {

QString LookUpFontFamily(const QString &Name) {
  if (!Name.isEmpty() && QFontDatabase::hasFamily(Name))
    return Name;
  // The start face is a narrow humanist sans; its nearest stand-in keeps the layout's widths.
  if (Name.compare(QLatin1String(DefaultFontFace), Qt::CaseInsensitive) == 0)
    for (const char *Substitute : {"DejaVu Sans Condensed", "Liberation Sans Narrow"})
      if (QFontDatabase::hasFamily(QLatin1String(Substitute)))
        return QLatin1String(Substitute);
  QFont Probe;
  Probe.setStyleHint(QFont::SansSerif);
  const QString SansSerif = Probe.defaultFamily();
  if (!SansSerif.isEmpty() && QFontDatabase::hasFamily(SansSerif))
    return SansSerif;
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

} // namespace

QString ResolvedFontFamily(const QString &Name) {
  // Each question to the font database costs a fontconfig substitution and a list of every
  // family, and the start face takes two; every font made asks again (the window makes four
  // before its first frame). The answers hold while the program runs, which adds no fonts.
  static std::mutex Mutex;
  static QHash<QString, QString> Known;
  {
    const std::lock_guard Lock(Mutex);
    const auto Found = Known.constFind(Name);
    if (Found != Known.constEnd())
      return *Found;
  }
  const QString Family = LookUpFontFamily(Name);
  const std::lock_guard Lock(Mutex);
  Known.insert(Name, Family);
  return Family;
}

QFont TFont::ToQFont() const {
  QFont Font(ResolvedFontFamily(Name));
  Font.setStyleHint(Pitch == fpFixed ? QFont::Monospace : QFont::SansSerif);
  Font.setFixedPitch(Pitch == fpFixed);
  Font.setBold(Style & fsBold);
  Font.setItalic(Style & fsItalic);
  Font.setUnderline(Style & fsUnderline);
  Font.setStrikeOut(Style & fsStrikeOut);
  if (Height < 0) {
    Font.setPixelSize(-Height);
  } else if (Height == 0) {
    Font.setPixelSize(DefaultPixelHeight);
  } else {
    // A cell height: scale the em size so that ascent plus descent come to Height.
    Font.setPixelSize(100);
    const QFontMetricsF Metrics(Font);
    const qreal Cell = Metrics.ascent() + Metrics.descent();
    const int Em = Cell > 0 ? static_cast<int>(std::lround(Height * 100.0 / Cell)) : Height;
    Font.setPixelSize(std::max(1, Em));
  }
  return Font;
}
