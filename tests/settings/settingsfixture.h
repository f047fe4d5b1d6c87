#pragma once

#include "settings/settings.h"

#include <QByteArray>
#include <QDebug>
#include <QList>
#include <QMetaType>

#include <functional>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TSettings)

template <class T> void PrintField(QDebug &Debug, const char *Name, const std::optional<T> &F) {
  if (F)
    Debug << " " << Name << "=" << *F;
}

inline QDebug operator<<(QDebug Debug, const TSettings &S) {
  QDebugStateSaver Saver(Debug);
  Debug.nospace() << "{";
  PrintField(Debug, "open", S.OpenPath);
  PrintField(Debug, "save", S.SavePath);
  PrintField(Debug, "quality", S.Quality);
  PrintField(Debug, "font", S.FontName);
  PrintField(Debug, "size", S.FontSize);
  PrintField(Debug, "colour", S.FontColor);
  PrintField(Debug, "style", S.FontStyle);
  PrintField(Debug, "text", S.Text);
  PrintField(Debug, "left", S.Left);
  PrintField(Debug, "top", S.Top);
  return Debug << " }";
}

// So that QCOMPARE prints both sides.
inline char *toString(const TSettings &S) {
  QString Text;
  QDebug(&Text) << S;
  return qstrdup(Text.toUtf8().constData());
}

inline const QSize Frame(480, 272);

// The window's values at start-up: its own font ("Tahoma", 8 points, window-text colour), the
// label at its layout position, no folders, quality 10.
inline TSettings WindowAtStart() {
  return {.OpenPath = QString(),
          .SavePath = QString(),
          .Quality = 10,
          .FontName = u"Tahoma"_s,
          .FontSize = 8,
          .FontColor = clWindowText,
          .FontStyle = 0,
          .Text = QString(),
          .Left = 470,
          .Top = 252};
}

// What a save compares with: the window's own font and the label's position as loaded.
inline TSettings StartOf(int Left = 470, int Top = 252) {
  return {
      .FontName = u"Tahoma"_s, .FontSize = 8, .FontColor = clWindowText, .Left = Left, .Top = Top};
}

// A change made to the window's values before a save.
using TSetup = std::function<void(TSettings &)>;
Q_DECLARE_METATYPE(TSetup)

// The window at exit after the session the example file describes; also what a start that
// reads the example file takes from it.
inline TSettings ExampleValues() {
  return {.OpenPath = u"C:\\Users\\me\\Pictures\\"_s,
          .SavePath = u"C:\\Users\\me\\Wallpapers\\"_s,
          .Quality = 9,
          .FontName = u"Arial"_s,
          .FontSize = 14,
          .FontColor = 255,
          .FontStyle = fsBold,
          .Text = u"My wallpaper"_s,
          .Left = 352,
          .Top = 240};
}

inline const QList<QByteArray> ExampleLines = {
    "[config]",
    "openpath=C:\\Users\\me\\Pictures\\",
    "savepath=C:\\Users\\me\\Wallpapers\\",
    "quality=9",
    "[watermark]",
    "fontname=Arial",
    "fontsize=14",
    "fontcolor=255",
    "fontbold=1",
    "fontitalic=0",
    "fontunderline=0",
    "fontstrikeOut=0",
    "left=352",
    "top=240",
    "text=My wallpaper",
};

inline QByteArray JoinLines(const QList<QByteArray> &Lines, const QByteArray &Break = "\n") {
  QByteArray Out;
  for (const QByteArray &Line : Lines)
    Out += Line + Break;
  return Out;
}
