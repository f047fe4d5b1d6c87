#include "picture/metafile/gdi/gdiobjects.h"

#include <algorithm>

std::optional<TGdiObject> StockObject(quint32 Id) {
  auto Brush = [](QRgb Color, quint32 Style = Gdi::BsSolid) {
    TGdiBrush B;
    B.Style = Style;
    B.Color = Color;
    return TGdiObject(B);
  };
  auto Pen = [](QRgb Color, quint32 Style = Gdi::PsSolid) {
    TGdiPen P;
    P.Style = Style;
    P.Color = Color;
    return TGdiObject(P);
  };
  auto Font = [](const char *Face, quint8 PitchAndFamily) {
    TGdiFont F;
    F.Face = QString::fromLatin1(Face);
    F.PitchAndFamily = PitchAndFamily;
    return TGdiObject(F);
  };
  switch (Id) {
  case 0: return Brush(0xFFFFFFFF);
  case 1: return Brush(0xFFC0C0C0);
  case 2: return Brush(0xFF808080);
  case 3: return Brush(0xFF404040);
  case 4: return Brush(0xFF000000);
  case 5: return Brush(0xFF000000, Gdi::BsNull);
  case 6: return Pen(0xFFFFFFFF);
  case 7: return Pen(0xFF000000);
  case 8: return Pen(0xFF000000, Gdi::PsNull);
  case 10: case 11: case 16: return Font("Courier New", 0x31);
  case 12: case 13: case 14: case 17: return Font("", 0x20);
  case 15: return TGdiObject(TGdiPalette());
  case 18: return Brush(0xFFFFFFFF);
  case 19: return Pen(0xFF000000);
  default: return std::nullopt;
  }
}

QRgb ColorRefToRgb(quint32 ColorRef, const QList<QRgb> &Palette) {
  if ((ColorRef >> 24) == 1) {
    const quint32 Index = ColorRef & 0xFFFF;
    return Index < quint32(Palette.size()) ? (Palette[Index] | 0xFF000000u) : 0xFF000000u;
  }
  return qRgb(ColorRef & 0xFF, (ColorRef >> 8) & 0xFF, (ColorRef >> 16) & 0xFF);
}

QImage HatchTile(quint32 Hatch, QRgb Color) {
  QImage Tile(8, 8, QImage::Format_ARGB32_Premultiplied);
  Tile.fill(Qt::transparent);
  for (int Y = 0; Y < 8; ++Y)
    for (int X = 0; X < 8; ++X) {
      const bool Horizontal = Y == 7, Vertical = X == 7;
      const bool Forward = X == Y, Backward = X + Y == 7;  // "\" and "/"
      bool On = false;
      switch (Hatch) {
      case Gdi::HsHorizontal: On = Horizontal; break;
      case Gdi::HsVertical: On = Vertical; break;
      case Gdi::HsFDiagonal: On = Forward; break;
      case Gdi::HsBDiagonal: On = Backward; break;
      case Gdi::HsCross: On = Horizontal || Vertical; break;
      case Gdi::HsDiagCross: On = Forward || Backward; break;
      default: On = Horizontal; break;
      }
      if (On)
        Tile.setPixel(X, Y, Color | 0xFF000000u);
    }
  return Tile;
}

TGdiObjectTable::TGdiObjectTable(quint32 Size) : FObjects(std::min(Size, MaxSize)) {}

bool TGdiObjectTable::Put(quint32 Index, TGdiObject Object) {
  if (Index >= MaxSize)
    return false;
  if (Index >= FObjects.size())
    FObjects.resize(Index + 1);
  FObjects[Index] = std::move(Object);
  return true;
}

int TGdiObjectTable::PutFirstFree(TGdiObject Object) {
  for (quint32 I = FFirstFree; I < FObjects.size(); ++I)
    if (std::holds_alternative<std::monostate>(FObjects[I])) {
      FObjects[I] = std::move(Object);
      FFirstFree = I + 1;
      return static_cast<int>(I);
    }
  if (FObjects.size() >= MaxSize)
    return -1;
  FObjects.push_back(std::move(Object));
  FFirstFree = static_cast<quint32>(FObjects.size());
  return static_cast<int>(FObjects.size() - 1);
}

const TGdiObject *TGdiObjectTable::Get(quint32 Index) const {
  if (Index >= FObjects.size() || std::holds_alternative<std::monostate>(FObjects[Index]))
    return nullptr;
  return &FObjects[Index];
}

void TGdiObjectTable::Delete(quint32 Index) {
  if (Index >= FObjects.size())
    return;
  FObjects[Index] = std::monostate();
  FFirstFree = std::min(FFirstFree, Index);
}
