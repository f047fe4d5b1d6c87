#pragma once

#include "faketarget.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QStringList>

#include <functional>

using namespace Qt::StringLiterals;

// A change made to the stand-in window's state before a save.
using TSetup = std::function<void(TFakeState &)>;
Q_DECLARE_METATYPE(TFakeState)
Q_DECLARE_METATYPE(TSetup)

inline const unsigned Bold = StyleBit(TStyleFlag::Bold);
inline const unsigned Italic = StyleBit(TStyleFlag::Italic);
inline const unsigned Underline = StyleBit(TStyleFlag::Underline);
inline const unsigned StrikeOut = StyleBit(TStyleFlag::StrikeOut);

// Where the right-justified label's left edge lands when its text is set at the layout position.
inline int LeftFor(const QString &Text, int Size = 8, bool IsBold = false) {
  return 473 - TFakeTarget::WidthOf(Text, Size, IsBold);
}

// The main window at exit after the session the example file describes.
inline TFakeState ExampleState() {
  TFakeState S;
  S.OpenPath = u"C:\\Users\\me\\Pictures\\"_s;
  S.SavePath = u"C:\\Users\\me\\Wallpapers\\"_s;
  S.Quality = 9;
  S.FontName = u"Arial"_s;
  S.FontSize = 14;
  S.FontColor = 255;
  S.Styles = Bold;
  S.LabelText = S.EditText = u"My wallpaper"_s;
  S.LabelVisible = true;
  S.Left = 352;
  S.Top = 240;
  return S;
}

inline const QList<QByteArray> ExampleLines = {
    "[config]",         "openpath=C:\\Users\\me\\Pictures\\", "savepath=C:\\Users\\me\\Wallpapers\\",
    "quality=9",        "[watermark]",                        "fontname=Arial",
    "fontsize=14",      "fontcolor=255",                      "fontbold=1",
    "fontitalic=0",     "fontunderline=0",                    "fontstrikeOut=0",
    "left=352",         "top=240",                            "text=My wallpaper",
};

inline QByteArray JoinLines(const QList<QByteArray> &Lines, const QByteArray &Break = "\n") {
  QByteArray Out;
  for (const QByteArray &Line : Lines)
    Out += Line + Break;
  return Out;
}

// What the example state looks like after a start that reads the example file.
inline TFakeState ExampleLoaded() {
  TFakeState S = ExampleState();
  S.WatermarkLeft = 352;
  S.WatermarkTop = 240;
  return S;
}

// The calls a load of the example file makes, in order.
inline const QStringList ExampleLoadLog = {
    u"SetOpenPath"_s,       u"SetSavePath"_s,      u"SetQualityPosition"_s, u"SetLabelFontName"_s,
    u"SetLabelFontSize"_s,  u"SetLabelFontColor"_s, u"AddLabelFontStyle0"_s, u"SetLabelText"_s,
    u"SetEditText"_s,       u"SetLabelLeft"_s,     u"SetWatermarkLeft"_s,   u"SetLabelTop"_s,
    u"SetWatermarkTop"_s,
};
