// Checks what a run of the real program, driven by the end-to-end script, left behind:
//
//   e2e_check picture <saved.jpg> <quality> <picture.rgb> <width> <height> <dx> <dy> <text>
//       the wallpaper of a picture stretched to the frame, dragged by (dx, dy), with a watermark
//   e2e_check box <saved.jpg> <quality> <picture.rgb> <width> <height> <left> <top> <box width>
//                 <box height> [<text>]
//       the wallpaper of a picture stretched over a box resized from its nodes, with a
//       watermark when a text is given
//   e2e_check default <saved.jpg> <quality> <default-wallpaper.jpg> <text>
//       the wallpaper of the default picture with a watermark (a run that opened nothing)
//   e2e_check ini <Zelvane.ini> <section> <key> <value> [<section> <key> <value> ...]
//       the settings file holds these values
//
// The expected frame is computed from the input picture alone (framemodel.h); the saved file
// is decoded by Qt's own JPEG reader. Prints what it measured; exits 1 on any fault.
#include "framemodel.h"
#include "support/filebytes.h"
#include "support/jpegfacts.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

QTextStream &Out() {
  static QTextStream Stream(stdout);
  return Stream;
}

struct TReport {
  QStringList Faults;
  void Check(bool Ok, const QString &What) {
    if (!Ok)
      Faults << What;
  }
};

// The saved file: its markers and its pixels.
QImage LoadWallpaper(const QString &FileName, int Quality, TReport &Report) {
  const QByteArray Bytes = ReadBytes(FileName);
  Report.Check(!Bytes.isEmpty(), QStringLiteral("%1 is missing or empty").arg(FileName));
  for (const QString &Fault :
       WallpaperFileFaults(ReadJpegFacts(Bytes), FrameWidth, FrameHeight, Quality))
    Report.Faults << Fault;
  QImage Saved = QImage::fromData(Bytes, "JPEG").convertToFormat(QImage::Format_RGB32);
  Report.Check(Saved.size() == QSize(FrameWidth, FrameHeight),
               QStringLiteral("decoded size %1 x %2").arg(Saved.width()).arg(Saved.height()));
  return Saved;
}

// The watermark: what the saved file adds to the picture around the label's box follows the
// letters of Text drawn there, and not the same letters in another order; and dark letter
// pixels are there at all.
void CheckWatermark(const QImage &Saved, const QImage &Plain, const QString &Text,
                    TReport &Report) {
  QImage WithText = Plain;
  const QRect Box = DrawWatermark(WithText, Text);
  QString Reversed = Text;
  std::reverse(Reversed.begin(), Reversed.end());
  QImage WithReversed = Plain;
  DrawWatermark(WithReversed, Reversed);
  const QRect Area = Box.adjusted(-3, -3, 3, 3);
  const double Right = GrayCorrelation(Saved, Plain, WithText, Area);
  const double Wrong = GrayCorrelation(Saved, Plain, WithReversed, Area);
  int Ink = 0;
  for (int Y = Box.top(); Y <= Box.bottom(); ++Y)
    for (int X = Box.left(); X <= Box.right(); ++X) {
      // Darker by half the background's brightness: black letters on a dark picture too.
      const int Background = qGray(Plain.pixel(X, Y));
      if (Background - qGray(Saved.pixel(X, Y)) >= std::max(12, Background / 2))
        ++Ink;
    }
  Out() << QStringLiteral("  watermark box %1,%2 %3x%4: correlation %5 (letters reversed %6),"
                          " %7 letter pixels\n")
               .arg(Box.x())
               .arg(Box.y())
               .arg(Box.width())
               .arg(Box.height())
               .arg(Right, 0, 'f', 3)
               .arg(Wrong, 0, 'f', 3)
               .arg(Ink);
  Report.Check(Right >= 0.8, QStringLiteral("the watermark \"%1\" is not in the file").arg(Text));
  Report.Check(Right >= Wrong + 0.25,
               QStringLiteral("the watermark's letters do not read \"%1\"").arg(Text));
  Report.Check(Ink >= 3 * Text.size(), QStringLiteral("too few dark letter pixels: %1").arg(Ink));
}

// How much darker Saved is than Plain over Area, in brightness (qGray): what a black node
// adds. Brightness, because JPEG keeps it at full resolution while it averages colour over
// 2 x 2 pixels, which blurs a red and blue edge under a node's place without any node there.
double MeanDarkening(const QImage &Saved, const QImage &Plain, const QRect &Area) {
  double Sum = 0;
  int Count = 0;
  for (int Y = Area.top(); Y <= Area.bottom(); ++Y)
    for (int X = Area.left(); X <= Area.right(); ++X) {
      Sum += qGray(Plain.pixel(X, Y)) - qGray(Saved.pixel(X, Y));
      ++Count;
    }
  return Count ? Sum / Count : 0;
}

// The eight resize nodes (5 x 5, black) would stand around the box's bounds.
void CheckNoNodes(const QImage &Saved, const QImage &Plain, const QRect &Bounds,
                  const QRect &Label, TReport &Report) {
  // Black over the darkest colour of the test pictures (pure blue) darkens by 39.
  constexpr double NodeDarkening = 20;
  const int L = Bounds.left(), T = Bounds.top(), W = Bounds.width(), H = Bounds.height();
  const std::array<QPoint, 8> Anchors = {QPoint(L, T),         QPoint(L + W / 2, T),
                                         QPoint(L + W, T),     QPoint(L + W, T + H / 2),
                                         QPoint(L + W, T + H), QPoint(L + W / 2, T + H),
                                         QPoint(L, T + H),     QPoint(L, T + H / 2)};
  int Checked = 0;
  for (const QPoint &Anchor : Anchors) {
    const QRect Node = QRect(Anchor - QPoint(2, 2), QSize(5, 5)) & Saved.rect();
    if (Node.isEmpty() || Node.intersects(Label))
      continue;
    ++Checked;
    const double Darkening = MeanDarkening(Saved, Plain, Node);
    Report.Check(Darkening < NodeDarkening,
                 QStringLiteral("a resize node shows at %1,%2 (darker by %3)")
                     .arg(Anchor.x())
                     .arg(Anchor.y())
                     .arg(Darkening, 0, 'f', 1));
  }
  Out() << QStringLiteral("  %1 places of resize nodes lie inside the frame\n").arg(Checked);
  Report.Check(Checked > 0, QStringLiteral("no node place lies inside the frame"));
}

// Spots where the expected frame is flat for 3 pixels around: JPEG coding keeps them close.
void CheckProbes(const QImage &Saved, const QImage &Plain, const QRect &Label, int MinColours,
                 TReport &Report) {
  int Probes = 0, Worst = 0;
  QSet<QRgb> Colours;
  const QRect Skip = Label.isNull() ? QRect() : Label.adjusted(-4, -4, 4, 4);
  for (int Y = 0; Y < FrameHeight; ++Y)
    for (int X = 0; X < FrameWidth; ++X) {
      if (Skip.contains(X, Y) || !FlatAround(Plain, X, Y, 3))
        continue;
      ++Probes;
      Colours.insert(Plain.pixel(X, Y));
      Worst = std::max(Worst, MaxChannelDifference(Saved.pixel(X, Y), Plain.pixel(X, Y)));
    }
  Out() << QStringLiteral("  %1 probes of %2 colours, worst channel difference %3\n")
               .arg(Probes)
               .arg(Colours.size())
               .arg(Worst);
  Report.Check(Probes >= 2000, QStringLiteral("only %1 probe points").arg(Probes));
  Report.Check(Colours.size() >= MinColours,
               QStringLiteral("probes cover only %1 colours").arg(Colours.size()));
  Report.Check(Worst <= 40, QStringLiteral("a probe differs by %1").arg(Worst));
}

int Finish(const QString &What, const TReport &Report) {
  for (const QString &Fault : Report.Faults)
    Out() << "FAIL: " << Fault << '\n';
  Out() << What << (Report.Faults.isEmpty() ? ": ok\n" : ": FAILED\n");
  Out().flush();
  return Report.Faults.isEmpty() ? 0 : 1;
}

// The wallpaper saved (file A[0], saved at quality A[1]) and the picture it was made from (raw
// RGB file A[2], A[3] x A[4]); false, with the fault in Report, when either is not as expected.
bool ReadWallpaperAndPicture(const QStringList &A, TReport &Report, QImage &Saved,
                             QImage &Picture) {
  Saved = LoadWallpaper(A[0], A[1].toInt(), Report);
  Picture = ReadRawRgb(A[2], A[3].toInt(), A[4].toInt());
  Report.Check(!Picture.isNull(), QStringLiteral("cannot read %1").arg(A[2]));
  return Saved.size() == QSize(FrameWidth, FrameHeight) && !Picture.isNull();
}

int CheckPicture(const QStringList &A) {
  if (A.size() != 8)
    return 2;
  TReport Report;
  QImage Saved, Picture;
  if (!ReadWallpaperAndPicture(A, Report, Saved, Picture))
    return Finish(QStringLiteral("picture wallpaper"), Report);
  const QPoint Offset(A[5].toInt(), A[6].toInt());
  const QString &Text = A[7];
  const QImage Plain = StretchedFrame(Picture, Offset);
  QImage Labelled = Plain;
  const QRect Label = DrawWatermark(Labelled, Text).adjusted(-2, -2, 2, 2);

  // The picture lies exactly where it was dragged to: of the places around it, the intended
  // one matches best.
  QPoint Best;
  double BestDifference = 1e9;
  for (int DY = -3; DY <= 3; ++DY)
    for (int DX = -3; DX <= 3; ++DX) {
      const double D = MeanDifference(Saved, StretchedFrame(Picture, Offset + QPoint(DX, DY)),
                                      Saved.rect(), Label);
      if (D < BestDifference) {
        BestDifference = D;
        Best = Offset + QPoint(DX, DY);
      }
    }
  Out() << QStringLiteral("  best match with the picture at %1,%2 (mean difference %3)\n")
               .arg(Best.x())
               .arg(Best.y())
               .arg(BestDifference, 0, 'f', 2);
  Report.Check(Best == Offset, QStringLiteral("the picture lies at %1,%2, not at %3,%4")
                                   .arg(Best.x())
                                   .arg(Best.y())
                                   .arg(Offset.x())
                                   .arg(Offset.y()));
  Report.Check(BestDifference < 10, QStringLiteral("the frame differs from the stretched picture"));
  CheckProbes(Saved, Plain, Label, 5, Report);
  CheckNoNodes(Saved, Plain, QRect(Offset, QSize(FrameWidth, FrameHeight)), Label, Report);
  CheckWatermark(Saved, Plain, Text, Report);
  return Finish(QStringLiteral("picture wallpaper"), Report);
}

int CheckBox(const QStringList &A) {
  if (A.size() != 9 && A.size() != 10)
    return 2;
  TReport Report;
  QImage Saved, Picture;
  if (!ReadWallpaperAndPicture(A, Report, Saved, Picture))
    return Finish(QStringLiteral("resized picture wallpaper"), Report);
  const QRect Box(A[5].toInt(), A[6].toInt(), A[7].toInt(), A[8].toInt());
  const QImage Plain = StretchedFrame(Picture, Box);
  const QString Text = A.value(9);
  QRect Label;
  if (!Text.isEmpty()) {
    QImage Labelled = Plain;
    Label = DrawWatermark(Labelled, Text).adjusted(-2, -2, 2, 2);
  }

  // The box has exactly the intended size: of the sizes around it, it matches best.
  QSize Best;
  double BestDifference = 1e9;
  for (int DH = -3; DH <= 3; ++DH)
    for (int DW = -3; DW <= 3; ++DW) {
      const QRect Tried(Box.topLeft(), Box.size() + QSize(DW, DH));
      const double D =
          MeanDifference(Saved, StretchedFrame(Picture, Tried), Saved.rect(), Label);
      if (D < BestDifference) {
        BestDifference = D;
        Best = Tried.size();
      }
    }
  Out() << QStringLiteral("  best match with the picture at %1 x %2 (mean difference %3)\n")
               .arg(Best.width())
               .arg(Best.height())
               .arg(BestDifference, 0, 'f', 2);
  Report.Check(Best == Box.size(), QStringLiteral("the picture is %1 x %2, not %3 x %4")
                                       .arg(Best.width())
                                       .arg(Best.height())
                                       .arg(Box.width())
                                       .arg(Box.height()));
  Report.Check(BestDifference < 10, QStringLiteral("the frame differs from the resized picture"));
  CheckProbes(Saved, Plain, Label, 3, Report);
  CheckNoNodes(Saved, Plain, Box, Label, Report);
  if (!Text.isEmpty())
    CheckWatermark(Saved, Plain, Text, Report);
  return Finish(QStringLiteral("resized picture wallpaper"), Report);
}

int CheckDefault(const QStringList &A) {
  if (A.size() != 4)
    return 2;
  TReport Report;
  const QImage Saved = LoadWallpaper(A[0], A[1].toInt(), Report);
  const QImage Default = QImage(A[2]).convertToFormat(QImage::Format_RGB32);
  Report.Check(Default.size() == QSize(FrameWidth, FrameHeight),
               QStringLiteral("cannot read %1").arg(A[2]));
  if (Saved.size() != QSize(FrameWidth, FrameHeight) || Default.isNull())
    return Finish(QStringLiteral("default wallpaper"), Report);
  const QImage Plain = UnscaledFrame(Default);
  QImage Labelled = Plain;
  const QRect Label = DrawWatermark(Labelled, A[3]).adjusted(-2, -2, 2, 2);
  const double Difference = MeanDifference(Saved, Plain, Saved.rect(), Label);
  Out() << QStringLiteral("  mean difference from the default wallpaper %1\n")
               .arg(Difference, 0, 'f', 2);
  Report.Check(Difference < 10, QStringLiteral("the frame differs from the default wallpaper"));
  CheckWatermark(Saved, Plain, A[3], Report);
  return Finish(QStringLiteral("default wallpaper"), Report);
}

// The value of Key in Section of an INI text, or a null string when missing.
QString IniValue(const QString &Text, const QString &Section, const QString &Key) {
  QString Current;
  for (QString Line : Text.split(u'\n')) {
    Line = Line.trimmed();
    if (Line.startsWith(u'[') && Line.endsWith(u']')) {
      Current = Line.mid(1, Line.size() - 2);
      continue;
    }
    const qsizetype Equals = Line.indexOf(u'=');
    if (Current == Section && Equals > 0 && Line.left(Equals) == Key)
      return Line.mid(Equals + 1);
  }
  return {};
}

int CheckIni(const QStringList &A) {
  if (A.size() < 4 || (A.size() - 1) % 3 != 0)
    return 2;
  TReport Report;
  const QString Text = QString::fromUtf8(ReadBytes(A[0]));
  Report.Check(!Text.isEmpty(), QStringLiteral("%1 is missing or empty").arg(A[0]));
  for (qsizetype I = 1; I + 2 < A.size(); I += 3) {
    const QString Value = IniValue(Text, A[I], A[I + 1]);
    Out() << "  [" << A[I] << "] " << A[I + 1] << '=' << Value << '\n';
    Report.Check(Value == A[I + 2], QStringLiteral("[%1] %2 is \"%3\", not \"%4\"")
                                        .arg(A[I], A[I + 1], Value, A[I + 2]));
  }
  return Finish(QStringLiteral("settings file"), Report);
}

} // namespace

int main(int Argc, char **Argv) {
  // Fonts need a GUI application; no window is shown.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication Application(Argc, Argv);
  QStringList Arguments = QCoreApplication::arguments().mid(1);
  const QString Mode = Arguments.isEmpty() ? QString() : Arguments.takeFirst();
  int Result = 2;
  if (Mode == u"picture")
    Result = CheckPicture(Arguments);
  else if (Mode == u"box")
    Result = CheckBox(Arguments);
  else if (Mode == u"default")
    Result = CheckDefault(Arguments);
  else if (Mode == u"ini")
    Result = CheckIni(Arguments);
  if (Result == 2)
    std::fputs("usage: e2e_check picture|box|default|ini ... (see the source's first lines)\n",
               stderr);
  return Result;
}
