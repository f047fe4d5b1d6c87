#pragma once

// Small writers of metafile fixtures, byte by byte, for the metafile tests.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

// Little-endian bytes.
class TFixtureBytes {
public:
  TFixtureBytes &U8(quint8 V) {
    Data.append(char(V));
    return *this;
  }
  TFixtureBytes &U16(quint16 V) { return U8(V & 0xFF).U8(V >> 8); }
  TFixtureBytes &I16(qint16 V) { return U16(quint16(V)); }
  TFixtureBytes &U32(quint32 V) { return U16(V & 0xFFFF).U16(V >> 16); }
  TFixtureBytes &I32(qint32 V) { return U32(quint32(V)); }
  TFixtureBytes &F32(float V) {
    quint32 Bits;
    std::memcpy(&Bits, &V, 4);
    return U32(Bits);
  }
  TFixtureBytes &Raw(const QByteArray &Bytes) {
    Data.append(Bytes);
    return *this;
  }
  TFixtureBytes &Pad(int Multiple) {
    while (Data.size() % Multiple != 0)
      Data.append('\0');
    return *this;
  }
  QByteArray Data;
};

inline quint32 ColorRef(int R, int G, int B) { return quint32(R) | (G << 8) | (B << 16); }

inline QByteArray Ints(std::initializer_list<qint32> Values) {
  TFixtureBytes B;
  for (qint32 V : Values)
    B.I32(V);
  return B.Data;
}

inline QByteArray Shorts(std::initializer_list<qint16> Values) {
  TFixtureBytes B;
  for (qint16 V : Values)
    B.I16(V);
  return B.Data;
}

// A BITMAPINFOHEADER with its colour table, and the bits, of a bottom-up bitmap given as
// rows from the top: Indices for 1, 4 and 8 bits, colours for 24 and 32.
struct TFixtureDib {
  QByteArray Info;
  QByteArray Bits;
};

inline TFixtureDib MakeDib(int BitCount, const QList<QList<quint32>> &RowsFromTop,
                           const QList<QRgb> &Palette = {}) {
  const int Height = RowsFromTop.size();
  const int Width = Height > 0 ? RowsFromTop[0].size() : 0;
  TFixtureBytes Info;
  Info.U32(40).I32(Width).I32(Height).U16(1).U16(BitCount).U32(0).U32(0).I32(0).I32(0);
  Info.U32(Palette.size()).U32(0);
  for (QRgb C : Palette)
    Info.U8(qBlue(C)).U8(qGreen(C)).U8(qRed(C)).U8(0);
  const int Stride = ((Width * BitCount + 31) / 32) * 4;
  QByteArray Bits(Stride * Height, '\0');
  for (int Y = 0; Y < Height; ++Y) {
    uchar *Row = reinterpret_cast<uchar *>(Bits.data()) + Stride * (Height - 1 - Y);
    for (int X = 0; X < Width; ++X) {
      const quint32 V = RowsFromTop[Y][X];
      switch (BitCount) {
      case 1: Row[X / 8] |= uchar((V & 1) << (7 - X % 8)); break;
      case 4: Row[X / 2] |= uchar((V & 15) << (X % 2 ? 0 : 4)); break;
      case 8: Row[X] = uchar(V); break;
      case 24:
        Row[3 * X] = uchar(qBlue(V)), Row[3 * X + 1] = uchar(qGreen(V)), Row[3 * X + 2] = uchar(qRed(V));
        break;
      case 32:
        Row[4 * X] = uchar(qBlue(V)), Row[4 * X + 1] = uchar(qGreen(V));
        Row[4 * X + 2] = uchar(qRed(V)), Row[4 * X + 3] = uchar(qAlpha(V));
        break;
      }
    }
  }
  return TFixtureDib{Info.Data, Bits};
}

// An enhanced metafile: header, records, end-of-file record. By default the reference
// device has 1 pixel per millimetre and the frame is FrameWidth x FrameHeight pixels at
// the origin, so that drawing it at that size maps one logical unit to one pixel.
class TEmfWriter {
public:
  TEmfWriter(int FrameWidth = 100, int FrameHeight = 100) {
    Frame[2] = FrameWidth * 100;
    Frame[3] = FrameHeight * 100;
    Bounds[2] = FrameWidth - 1;
    Bounds[3] = FrameHeight - 1;
  }

  qint32 Bounds[4] = {0, 0, 0, 0};
  qint32 Frame[4] = {0, 0, 0, 0};
  qint32 Device[2] = {1000, 1000};
  qint32 Millimeters[2] = {1000, 1000};
  quint16 Handles = 16;

  TEmfWriter &Record(quint32 Type, const QByteArray &Payload) {
    TFixtureBytes R;
    R.U32(Type).U32(quint32(8 + ((Payload.size() + 3) & ~3))).Raw(Payload).Pad(4);
    Records.append(R.Data);
    ++Count;
    return *this;
  }
  TEmfWriter &Record(quint32 Type, std::initializer_list<qint32> Values) {
    return Record(Type, Ints(Values));
  }

  QByteArray Header() const {
    TFixtureBytes H;
    H.U32(1).U32(88);
    for (qint32 V : Bounds)
      H.I32(V);
    for (qint32 V : Frame)
      H.I32(V);
    H.U32(0x464D4520).U32(0x10000).U32(quint32(88 + Records.size() + 20)).U32(Count + 2);
    H.U16(Handles).U16(0).U32(0).U32(0).U32(0);
    H.I32(Device[0]).I32(Device[1]).I32(Millimeters[0]).I32(Millimeters[1]);
    return H.Data;
  }

  QByteArray Finish() const {
    TFixtureBytes Eof;
    Eof.U32(14).U32(20).U32(0).U32(16).U32(20);
    return Header() + Records + Eof.Data;
  }

  QByteArray Records;
  quint32 Count = 0;
};

// Record types used by the fixtures.
namespace Emr {
constexpr quint32 Polygon = 3, Polyline = 4, SetWindowExtEx = 9, SetWindowOrgEx = 10,
                  SetViewportExtEx = 11, SetViewportOrgEx = 12, SetMapMode = 17,
                  SetBkMode = 18, SetPolyFillMode = 19, SetRop2 = 20, SetTextAlign = 22,
                  SetTextColor = 24, SetBkColor = 25, MoveToEx = 27, ExcludeClipRect = 29,
                  IntersectClipRect = 30, SaveDc = 33, RestoreDc = 34,
                  SetWorldTransform = 35, ModifyWorldTransform = 36, SelectObject = 37,
                  CreatePen = 38, CreateBrushIndirect = 39, DeleteObject = 40, Ellipse = 42,
                  Rectangle = 43, Pie = 47, LineTo = 54, BeginPath = 59, EndPath = 60,
                  FillPath = 62, SelectClipPath = 67, GdiComment = 70,
                  ExtSelectClipRgn = 75, BitBlt = 76, StretchDiBits = 81,
                  ExtCreateFontIndirectW = 82, ExtTextOutW = 84, Polygon16 = 86,
                  Polyline16 = 87, PolyPolygon16 = 91, CreateDibPatternBrushPt = 94,
                  ExtCreatePen = 95, AlphaBlend = 114, GradientFill = 118;
constexpr quint32 StockNullPen = 0x80000008, StockNullBrush = 0x80000005,
                  StockBlackPen = 0x80000007, StockWhiteBrush = 0x80000000;
}  // namespace Emr

// StretchDIBits of a bitmap onto the logical rectangle at X, Y of size Cx, Cy.
inline QByteArray StretchDiBitsPayload(int X, int Y, int Cx, int Cy, const TFixtureDib &Dib,
                                       quint32 Rop = 0x00CC0020) {
  qint32 Width = 0, Height = 0;
  std::memcpy(&Width, Dib.Info.constData() + 4, 4);
  std::memcpy(&Height, Dib.Info.constData() + 8, 4);
  const quint32 InfoAt = 8 + 72, BitsAt = InfoAt + quint32(Dib.Info.size());
  TFixtureBytes P;
  P.I32(X).I32(Y).I32(X + Cx).I32(Y + Cy);
  P.I32(X).I32(Y).I32(0).I32(0).I32(Width).I32(std::abs(Height));
  P.U32(InfoAt).U32(quint32(Dib.Info.size())).U32(BitsAt).U32(quint32(Dib.Bits.size()));
  P.U32(0).U32(Rop).I32(Cx).I32(Cy);
  P.Raw(Dib.Info).Raw(Dib.Bits);
  return P.Data;
}

// ExtTextOutW of Text at X, Y with the given options and rectangle.
inline QByteArray ExtTextOutWPayload(int X, int Y, const QString &Text, quint32 Options = 0,
                                     QRect Rect = QRect()) {
  TFixtureBytes P;
  P.I32(0).I32(0).I32(-1).I32(-1).U32(1).F32(1).F32(1);
  const quint32 StringAt = 8 + 68;
  P.I32(X).I32(Y).U32(quint32(Text.size())).U32(StringAt).U32(Options);
  P.I32(Rect.left()).I32(Rect.top()).I32(Rect.left() + Rect.width()).I32(Rect.top() + Rect.height());
  P.U32(0);
  for (QChar C : Text)
    P.U16(C.unicode());
  return P.Pad(4).Data;
}

// EXTCREATEFONTINDIRECTW of a font Height logical units high (negative: character height).
inline QByteArray FontPayload(quint32 Index, qint32 Height, const QString &Face,
                              qint32 Weight = 400, qint32 Escapement = 0) {
  TFixtureBytes P;
  P.U32(Index).I32(Height).I32(0).I32(Escapement).I32(0).I32(Weight);
  P.U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0);
  for (int I = 0; I < 32; ++I)
    P.U16(I < Face.size() ? Face[I].unicode() : 0);
  return P.Data;
}

// A Windows metafile, placeable or plain.
class TWmfWriter {
public:
  explicit TWmfWriter(bool Placeable = true) : FPlaceable(Placeable) {}

  qint16 Box[4] = {0, 0, 100, 100};
  quint16 UnitsPerInch = 96;
  quint16 Objects = 16;

  TWmfWriter &Record(quint16 Function, const QByteArray &Params) {
    TFixtureBytes R;
    QByteArray Padded = Params;
    if (Padded.size() % 2 != 0)
      Padded.append('\0');
    R.U32(quint32(3 + Padded.size() / 2)).U16(Function).Raw(Padded);
    Records.append(R.Data);
    FMaxRecord = std::max<quint32>(FMaxRecord, quint32(3 + Padded.size() / 2));
    return *this;
  }
  TWmfWriter &Record(quint16 Function, std::initializer_list<qint16> Params) {
    return Record(Function, Shorts(Params));
  }

  QByteArray Finish() const {
    TFixtureBytes F;
    if (FPlaceable) {
      TFixtureBytes P;
      P.U32(0x9AC6CDD7).U16(0);
      for (qint16 V : Box)
        P.I16(V);
      P.U16(UnitsPerInch).U32(0);
      quint16 Sum = 0;
      for (int I = 0; I < 20; I += 2)
        Sum ^= quint16(uchar(P.Data[I]) | (uchar(P.Data[I + 1]) << 8));
      P.U16(Sum);
      F.Raw(P.Data);
    }
    const quint32 Words = quint32(9 + Records.size() / 2 + 3);
    F.U16(1).U16(9).U16(0x300).U32(Words).U16(Objects).U32(FMaxRecord).U16(0);
    F.Raw(Records);
    F.U32(3).U16(0);
    return F.Data;
  }

  QByteArray Records;

private:
  bool FPlaceable;
  quint32 FMaxRecord = 3;
};

namespace Meta {
constexpr quint16 SetBkMode = 0x0102, SetMapMode = 0x0103, SetRop2 = 0x0104,
                  SetPolyFillMode = 0x0106, SetTextCharExtra = 0x0108, RestoreDc = 0x0127,
                  SelectObject = 0x012D, SetTextAlign = 0x012E, DeleteObject = 0x01F0,
                  SetBkColor = 0x0201, SetTextColor = 0x0209, SetWindowOrg = 0x020B,
                  SetWindowExt = 0x020C, LineTo = 0x0213, MoveTo = 0x0214,
                  CreatePenIndirect = 0x02FA, CreateFontIndirect = 0x02FB,
                  CreateBrushIndirect = 0x02FC, Polygon = 0x0324, Polyline = 0x0325,
                  IntersectClipRect = 0x0416, Ellipse = 0x0418, Rectangle = 0x041B,
                  TextOut = 0x0521, PolyPolygon = 0x0538, PatBlt = 0x061D, Escape = 0x0626,
                  BitBlt = 0x0922, ExtTextOut = 0x0A32, StretchDib = 0x0F43, SaveDc = 0x001E;
}  // namespace Meta

inline QByteArray WmfBrush(int Style, quint32 Color, int Hatch = 0) {
  TFixtureBytes P;
  P.U16(quint16(Style)).U32(Color).U16(quint16(Hatch));
  return P.Data;
}

inline QByteArray WmfPen(int Style, int Width, quint32 Color) {
  TFixtureBytes P;
  P.U16(quint16(Style)).I16(qint16(Width)).I16(0).U32(Color);
  return P.Data;
}
