#pragma once

// Colours and object records shared by the enhanced-metafile drawing tests: a brush, a pen
// or the null pen created and selected in one step, a world transform's bytes, and the
// canvas a test starts from.

#include "metafiletesting.h"
#include "metafilewriter.h"

#include <QImage>

inline const quint32 RedRef = ColorRef(255, 0, 0), BlueRef = ColorRef(0, 0, 255);
inline constexpr QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255), Black = qRgb(0, 0, 0),
                      White = qRgb(255, 255, 255), Yellow = qRgb(255, 255, 0);

inline qint32 Q(quint32 V) { return qint32(V); }

inline TEmfWriter &Brush(TEmfWriter &W, qint32 Index, quint32 Color, qint32 Style = 0,
                         qint32 Hatch = 0) {
  return W.Record(Emr::CreateBrushIndirect, {Index, Style, Q(Color), Hatch})
      .Record(Emr::SelectObject, {Index});
}

inline TEmfWriter &NullPen(TEmfWriter &W) {
  return W.Record(Emr::SelectObject, {Q(Emr::StockNullPen)});
}

inline TEmfWriter &Pen(TEmfWriter &W, qint32 Index, qint32 Style, qint32 Width, quint32 Color) {
  return W.Record(Emr::CreatePen, {Index, Style, Width, 0, Q(Color)})
      .Record(Emr::SelectObject, {Index});
}

inline QImage Expect(QSize Size = QSize(100, 100)) { return FilledImage(Size, FrameColor); }

// XFORM: M11 M12 M21 M22 Dx Dy as floats, then the mode of a modify record if one is given.
inline QByteArray Xform(float M11, float M12, float M21, float M22, float Dx, float Dy,
                        qint32 Mode = -1) {
  TFixtureBytes B;
  B.F32(M11).F32(M12).F32(M21).F32(M22).F32(Dx).F32(Dy);
  if (Mode >= 0)
    B.I32(Mode);
  return B.Data;
}
