#include "font.h"

#include <QApplication>
#include <QPalette>

#include <cmath>

TColor ColorToRGB(TColor Color) {
  if (Color >= 0)
    return Color;
  // System colours follow the desktop's palette.
  const QColor Resolved = QApplication::palette().color(QPalette::WindowText);
  return FromQColor(Resolved);
}

QColor ToQColor(TColor Color) {
  const TColor Plain = ColorToRGB(Color);
  return QColor(Plain & 0xFF, (Plain >> 8) & 0xFF, (Plain >> 16) & 0xFF);
}

TColor FromQColor(const QColor &Color) {
  return static_cast<TColor>(Color.red() | (Color.green() << 8) | (Color.blue() << 16));
}

int TFont::Size() const {
  // Height -11 at 96 pixels per inch is 8 points.
  return static_cast<int>(std::lround(-Height * 72.0 / 96.0));
}

void TFont::SetSize(int Points) { Height = -static_cast<int>(std::lround(Points * 96.0 / 72.0)); }

QFont TFont::ToQFont() const {
  QFont Font(Name);
  Font.setStyleHint(QFont::SansSerif);
  Font.setPixelSize(std::max(1, std::abs(Height)));
  Font.setBold(Style & fsBold);
  Font.setItalic(Style & fsItalic);
  Font.setUnderline(Style & fsUnderline);
  Font.setStrikeOut(Style & fsStrikeOut);
  return Font;
}
