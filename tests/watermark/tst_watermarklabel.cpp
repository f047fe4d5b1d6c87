// The watermark label: the ampersand rule, measuring, the right-edge sizing rule, a size given
// from outside kept until the next change, and drawing into the frame checked as pixels.
#include "watermark/labeltext.h"
#include "watermark/watermarklabel.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <QTest>

#include <cmath>
#include <memory>

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb PictureGreen = qRgb(0, 128, 0);

// The wallpaper frame as the window has it: a white 480 x 272 panel, a picture-like child
// filling its upper half with green, and the label created after it (so drawn over it).
struct TFrame {
  QWidget Panel;
  QWidget *Picture;
  TWatermarkLabel *Label = nullptr;

  TFrame() {
    Panel.resize(480, 272);
    Panel.setAutoFillBackground(true);
    QPalette White;
    White.setColor(QPalette::Window, Qt::white);
    Panel.setPalette(White);
    Picture = new QWidget(&Panel);
    Picture->setGeometry(0, 0, 480, 136);
    Picture->setAutoFillBackground(true);
    QPalette Green;
    Green.setColor(QPalette::Window, QColor(PictureGreen));
    Picture->setPalette(Green);
  }
  TWatermarkLabel &AddLabel() {
    Label = new TWatermarkLabel(&Panel);
    return *Label;
  }
  QImage Render() {
    QImage Shot(Panel.size(), QImage::Format_RGB32);
    Shot.fill(Qt::black);
    Panel.render(&Shot);
    return Shot;
  }
};

TFont FontOf(int Height, TColor Color, TFontStyles Style = 0) {
  TFont Font;
  Font.Height = Height;
  Font.Color = Color;
  Font.Style = Style;
  return Font;
}

// The frame without a label, drawn independently, with Shown drawn by QPainter right-aligned
// at the top of Rect and clipped by it: what the label must look like.
QImage Expected(const QImage &Background, const QRect &Rect, const QString &Shown,
                const QFont &Font, const QColor &Color) {
  QImage Result = Background.copy();
  QPainter Painter(&Result);
  Painter.setClipRect(Rect);
  Painter.setFont(Font);
  Painter.setPen(Color);
  Painter.drawText(Rect, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, Shown);
  return Result;
}

// Pixels where two pictures differ.
QRect DiffBounds(const QImage &A, const QImage &B) {
  QRect Bounds;
  for (int Y = 0; Y < A.height(); ++Y)
    for (int X = 0; X < A.width(); ++X)
      if (A.pixel(X, Y) != B.pixel(X, Y))
        Bounds |= QRect(X, Y, 1, 1);
  return Bounds;
}

int CountColor(const QImage &Image, const QRect &Area, QRgb Color) {
  int Count = 0;
  const QRect Clipped = Area & Image.rect();
  for (int Y = Clipped.top(); Y <= Clipped.bottom(); ++Y)
    for (int X = Clipped.left(); X <= Clipped.right(); ++X)
      Count += Image.pixel(X, Y) == Color;
  return Count;
}

// The expected extent of a shown text: its advance and the font's ascent + descent, each
// rounded up to whole pixels.
QSize ExtentOf(const QString &Shown, const TFont &Font) {
  const QFontMetricsF Metrics(Font.ToQFont());
  return QSize(int(std::ceil(Metrics.horizontalAdvance(Shown))),
               int(std::ceil(Metrics.ascent() + Metrics.descent())));
}

} // namespace

class TWatermarkLabelTest : public QObject {
  Q_OBJECT
private slots:
  void StripAccelerators_data();
  void StripAccelerators();
  void Measure_data();
  void Measure();
  void MeasureExpandsTabs();
  void StartsHiddenAndSizedToOneSpace();
  void RightEdgeAndTopKept_data();
  void RightEdgeAndTopKept();
  void GivenSizeKeptUntilChange_data();
  void GivenSizeKeptUntilChange();
  void DrawsLettersOnlyAtItsPlace_data();
  void DrawsLettersOnlyAtItsPlace();
  void GivenSizeClipsRightAlignedText();
  void SingleAmpersandUnderlinesNextCharacter();
  void DoubleAmpersandDrawsOne();
  void HiddenLabelLeavesNoTrace();
};

void TWatermarkLabelTest::StripAccelerators_data() {
  QTest::addColumn<QString>("Caption");
  QTest::addColumn<QString>("Shown");
  QTest::addColumn<QList<int>>("Underlined");
  QTest::addRow("plain") << "abc"
                         << "abc" << QList<int>{};
  QTest::addRow("empty") << ""
                         << "" << QList<int>{};
  QTest::addRow("single") << "a&b"
                          << "ab" << QList<int>{1};
  QTest::addRow("double") << "a&&b"
                          << "a&b" << QList<int>{};
  QTest::addRow("first") << "&abc"
                         << "abc" << QList<int>{0};
  QTest::addRow("two marks") << "&a&b"
                             << "ab" << QList<int>{0, 1};
  QTest::addRow("triple") << "&&&x"
                          << "&x" << QList<int>{1};
  QTest::addRow("quadruple") << "a&&&&b"
                             << "a&&b" << QList<int>{};
  QTest::addRow("trailing") << "ab&"
                            << "ab" << QList<int>{};
  QTest::addRow("alone") << "&"
                         << "" << QList<int>{};
  QTest::addRow("before space") << "a& b"
                                << "a b" << QList<int>{1};
}

void TWatermarkLabelTest::StripAccelerators() {
  QFETCH(QString, Caption);
  QFETCH(QString, Shown);
  QFETCH(QList<int>, Underlined);
  const TAcceleratedText Text = ::StripAccelerators(Caption);
  QCOMPARE(Text.Shown, Shown);
  QCOMPARE(Text.Underlined, Underlined);
}

void TWatermarkLabelTest::Measure_data() {
  QTest::addColumn<QString>("Caption");
  QTest::addColumn<QString>("Shown");
  QTest::addColumn<int>("Height");
  QTest::addColumn<uint>("Style");
  QTest::addRow("start font, empty is one space") << ""
                                                  << " " << -11 << 0u;
  QTest::addRow("lone ampersand is one space") << "&"
                                               << " " << -11 << 0u;
  QTest::addRow("word") << "Hello world"
                        << "Hello world" << -11 << 0u;
  QTest::addRow("ampersand dropped") << "Sa&ve"
                                     << "Save" << -11 << 0u;
  QTest::addRow("double ampersand is one") << "a&&b"
                                           << "a&b" << -11 << 0u;
  QTest::addRow("inner spaces") << "a   b"
                                << "a   b" << -11 << 0u;
  QTest::addRow("large") << "Watermark"
                         << "Watermark" << -40 << 0u;
  QTest::addRow("large bold italic") << "Watermark"
                                     << "Watermark" << -40 << uint(fsBold | fsItalic);
  QTest::addRow("underline strike") << "Wm"
                                    << "Wm" << -20 << uint(fsUnderline | fsStrikeOut);
}

void TWatermarkLabelTest::Measure() {
  QFETCH(QString, Caption);
  QFETCH(QString, Shown);
  QFETCH(int, Height);
  QFETCH(uint, Style);
  const TFont Font = FontOf(Height, clBlack, Style);
  QCOMPARE(MeasureLabelText(Caption, Font), ExtentOf(Shown, Font));
}

void TWatermarkLabelTest::MeasureExpandsTabs() {
  // Tab stops every eight average character widths: "a<tab>b" puts b at the first stop.
  const TFont Font = FontOf(-20, clBlack);
  const QFont Q = Font.ToQFont();
  const int Stop = 8 * QFontMetrics(Q).averageCharWidth();
  QVERIFY(QFontMetricsF(Q).horizontalAdvance(QStringLiteral("a")) < Stop);
  const int Width = int(std::ceil(Stop + QFontMetricsF(Q).horizontalAdvance(QStringLiteral("b"))));
  QCOMPARE(MeasureLabelText(QStringLiteral("a\tb"), Font),
           QSize(Width, ExtentOf(QStringLiteral("ab"), Font).height()));
  QCOMPARE(MeasureLabelText(QStringLiteral("a\t\tb"), Font).width(),
           int(std::ceil(2 * Stop + QFontMetricsF(Q).horizontalAdvance(QStringLiteral("b")))));
}

void TWatermarkLabelTest::StartsHiddenAndSizedToOneSpace() {
  TFrame Frame;
  TWatermarkLabel &Label = Frame.AddLabel();
  QVERIFY(!Label.Visible());
  QVERIFY(Label.Caption().isEmpty());
  QCOMPARE(Label.Font(), TFont());
  // Placed as the window places it, then sized once: the right edge stays at 473.
  Label.SetBounds(470, 252, 3, 13);
  Label.AdjustBounds();
  const QSize Space = ExtentOf(QStringLiteral(" "), TFont());
  QCOMPARE(Label.BoundsRect(), QRect(473 - Space.width(), 252, Space.width(), Space.height()));
}

void TWatermarkLabelTest::RightEdgeAndTopKept_data() {
  QTest::addColumn<QStringList>("Captions");
  QTest::addColumn<QList<int>>("Heights");
  // Each step sets the caption and then the font height; after each the geometry is checked.
  QTest::addRow("growing text") << QStringList{"a", "ab", "abc def ghi"}
                                << QList<int>{-11, -11, -11};
  QTest::addRow("shrinking text") << QStringList{"a long watermark", "short", "x"}
                                  << QList<int>{-11, -11, -11};
  QTest::addRow("font grows") << QStringList{"abc", "abc", "abc"} << QList<int>{-11, -24, -60};
  QTest::addRow("font shrinks") << QStringList{"abc", "abc"} << QList<int>{-40, -9};
  QTest::addRow("both") << QStringList{"Zelvane", "Z", "Zel&vane", ""}
                        << QList<int>{-30, -12, -50, -11};
  QTest::addRow("past the left edge")
      << QStringList{"a text much wider than the room left of the edge"} << QList<int>{-40};
}

void TWatermarkLabelTest::RightEdgeAndTopKept() {
  QFETCH(QStringList, Captions);
  QFETCH(QList<int>, Heights);
  TFrame Frame;
  TWatermarkLabel &Label = Frame.AddLabel();
  Label.SetBounds(470, 252, 3, 13);
  Label.AdjustBounds();
  const int Right = Label.Left() + Label.Width();
  for (int I = 0; I < Captions.size(); ++I) {
    Label.SetCaption(Captions[I]);
    QCOMPARE(Label.BoundsRect().size(), MeasureLabelText(Captions[I], Label.Font()));
    QCOMPARE(Label.Left() + Label.Width(), Right);
    QCOMPARE(Label.Top(), 252);
    Label.SetFont(FontOf(Heights[I], clBlack));
    const QSize Extent = MeasureLabelText(Captions[I], Label.Font());
    QCOMPARE(Label.BoundsRect(),
             QRect(Right - Extent.width(), 252, Extent.width(), Extent.height()));
  }
}

enum class TChange {
  SameCaption,
  SameFont,
  SameColor,
  NewCaption,
  NewHeight,
  NewStyle,
  NewName,
  NewColor
};

void TWatermarkLabelTest::GivenSizeKeptUntilChange_data() {
  QTest::addColumn<TChange>("Change");
  QTest::addColumn<bool>("Kept");
  QTest::addRow("same caption") << TChange::SameCaption << true;
  QTest::addRow("same font") << TChange::SameFont << true;
  QTest::addRow("same colour") << TChange::SameColor << true;
  QTest::addRow("new caption") << TChange::NewCaption << false;
  QTest::addRow("new height") << TChange::NewHeight << false;
  QTest::addRow("new style") << TChange::NewStyle << false;
  QTest::addRow("new face") << TChange::NewName << false;
  QTest::addRow("new colour") << TChange::NewColor << false;
}

void TWatermarkLabelTest::GivenSizeKeptUntilChange() {
  QFETCH(TChange, Change);
  QFETCH(bool, Kept);
  TFrame Frame;
  TWatermarkLabel &Label = Frame.AddLabel();
  Label.SetFont(FontOf(-11, 0x0000FF));
  Label.SetCaption(QStringLiteral("Hello"));
  const QRect Given(100, 50, 200, 60); // what the mover's resize left
  Label.SetBounds(Given.x(), Given.y(), Given.width(), Given.height());
  TFont Font = Label.Font();
  switch (Change) {
  case TChange::SameCaption:
    Label.SetCaption(QStringLiteral("Hello"));
    break;
  case TChange::SameFont:
    Label.SetFont(Font);
    break;
  case TChange::SameColor:
    Label.SetFontColor(0x0000FF);
    break;
  case TChange::NewCaption:
    Label.SetCaption(QStringLiteral("Hello!"));
    break;
  case TChange::NewHeight:
    Font.Height = -12;
    Label.SetFont(Font);
    break;
  case TChange::NewStyle:
    Font.Style = fsBold;
    Label.SetFont(Font);
    break;
  case TChange::NewName:
    Font.Name = QStringLiteral("Sans Serif Elsewhere");
    Label.SetFont(Font);
    break;
  case TChange::NewColor:
    Label.SetFontColor(0x00FF00);
    break;
  }
  if (Kept) {
    QCOMPARE(Label.BoundsRect(), Given);
  } else {
    const QSize Extent = MeasureLabelText(Label.Caption(), Label.Font());
    QCOMPARE(Label.BoundsRect(), QRect(Given.right() + 1 - Extent.width(), Given.top(),
                                       Extent.width(), Extent.height()));
  }
}

void TWatermarkLabelTest::DrawsLettersOnlyAtItsPlace_data() {
  QTest::addColumn<QPoint>("RightTop"); // where the label's right edge and top are put
  QTest::addColumn<int>("Height");
  QTest::addColumn<TColor>("Color");
  QTest::addColumn<QRgb>("Ink");
  QTest::addRow("on white, red") << QPoint(400, 180) << -30 << TColor(0x0000FF) << qRgb(255, 0, 0);
  QTest::addRow("on the picture, blue")
      << QPoint(300, 40) << -40 << TColor(0xFF0000) << qRgb(0, 0, 255);
  QTest::addRow("across picture and white")
      << QPoint(470, 110) << -48 << TColor(0x2080C0) << qRgb(0xC0, 0x80, 0x20);
  QTest::addRow("system colour") << QPoint(250, 200) << -36 << clWindowText << qRgb(10, 120, 200);
  QTest::addRow("cut by the left edge")
      << QPoint(60, 150) << -40 << TColor(0x0000FF) << qRgb(255, 0, 0);
  QTest::addRow("cut by right and bottom")
      << QPoint(500, 250) << -40 << TColor(0x000000) << qRgb(0, 0, 0);
}

void TWatermarkLabelTest::DrawsLettersOnlyAtItsPlace() {
  QFETCH(QPoint, RightTop);
  QFETCH(int, Height);
  QFETCH(TColor, Color);
  QFETCH(QRgb, Ink);
  // The system window-text colour follows the palette: make it one no default would give.
  const QPalette Saved = QApplication::palette();
  QPalette Palette = Saved;
  Palette.setColor(QPalette::WindowText, QColor(10, 120, 200));
  QApplication::setPalette(Palette);
  auto Restore = qScopeGuard([&] { QApplication::setPalette(Saved); });

  TFrame Frame;
  const QImage Background = Frame.Render();
  TWatermarkLabel &Label = Frame.AddLabel();
  Label.SetBounds(RightTop.x(), RightTop.y(), 0, 0);
  Label.SetFont(FontOf(Height, Color, fsBold));
  Label.SetCaption(QStringLiteral("HIWM"));
  Label.SetVisible(true);
  const QRect Rect = Label.BoundsRect();
  QCOMPARE(Rect.right() + 1, RightTop.x());
  const QImage Shot = Frame.Render();

  // Something is drawn, only inside the label's rectangle...
  const QRect Changed = DiffBounds(Shot, Background);
  QVERIFY(!Changed.isEmpty());
  QVERIFY2(Rect.contains(Changed), qPrintable(QStringLiteral("ink outside the label")));
  // ...solid strokes in the label's colour...
  QVERIFY(CountColor(Shot, Rect, Ink) >= 20);
  // ...and the background shows through around the letters: nothing filled the rectangle.
  if ((Rect & QRect(0, 0, 480, 136)).isValid())
    QVERIFY(CountColor(Shot, Rect & QRect(0, 0, 480, 136), PictureGreen) > 0);
  if ((Rect & QRect(0, 136, 480, 136)).isValid())
    QVERIFY(CountColor(Shot, Rect & QRect(0, 136, 480, 136), White) > 0);
  // Pixel for pixel what QPainter draws for the text right-aligned in that rectangle.
  QCOMPARE(Shot,
           Expected(Background, Rect, QStringLiteral("HIWM"), Label.Font().ToQFont(), QColor(Ink)));
}

void TWatermarkLabelTest::GivenSizeClipsRightAlignedText() {
  TFrame Frame;
  const QImage Background = Frame.Render();
  TWatermarkLabel &Label = Frame.AddLabel();
  Label.SetFont(FontOf(-40, 0x0000FF, fsBold));
  Label.SetCaption(QStringLiteral("WIDE TEXT"));
  Label.SetVisible(true);
  const int Full = Label.Width();
  // The mover leaves the label narrower and shorter than its text.
  const QRect Given(200, 150, Full / 3, 20);
  Label.SetBounds(Given.x(), Given.y(), Given.width(), Given.height());
  const QImage Shot = Frame.Render();
  const QRect Changed = DiffBounds(Shot, Background);
  QVERIFY(!Changed.isEmpty());
  QVERIFY(Given.contains(Changed));
  QCOMPARE(Shot, Expected(Background, Given, QStringLiteral("WIDE TEXT"), Label.Font().ToQFont(),
                          QColor(255, 0, 0)));
}

void TWatermarkLabelTest::SingleAmpersandUnderlinesNextCharacter() {
  const TFont Font = FontOf(-60, 0x000000);
  const QFont Q = Font.ToQFont();
  const QFontMetricsF Metrics(Q);
  auto Draw = [&](const QString &Caption) {
    TFrame Frame;
    TWatermarkLabel &Label = Frame.AddLabel();
    Label.SetBounds(400, 150, 0, 0);
    Label.SetFont(Font);
    Label.SetCaption(Caption);
    Label.SetVisible(true);
    return std::make_pair(Frame.Render(), Label.BoundsRect());
  };
  const auto [Marked, Rect] = Draw(QStringLiteral("a&c"));
  const auto [Plain, PlainRect] = Draw(QStringLiteral("ac"));
  QCOMPARE(Rect, PlainRect); // the mark takes no room

  // Where the two glyphs lie, from the right edge leftwards.
  const qreal Right = Rect.right() + 1;
  const int CLeft = int(std::ceil(Right - Metrics.horizontalAdvance(QStringLiteral("c"))));
  const int ALeft = int(std::ceil(Right - Metrics.horizontalAdvance(QStringLiteral("ac"))));
  const int Baseline = Rect.top() + QFontMetrics(Q).ascent();

  // The marked text differs from the plain one only below the baseline, under the 'c'.
  const QRect Changed = DiffBounds(Marked, Plain);
  QVERIFY(!Changed.isEmpty());
  QVERIFY(Changed.top() >= Baseline);
  QVERIFY(Changed.left() >= CLeft - 1);
  QVERIFY(Changed.right() < Rect.right() + 1);
  // There a full row of ink runs across the middle of the 'c': the underline.
  const int From = CLeft + 3, To = int(Right) - 3;
  QVERIFY(To > From);
  bool Underlined = false;
  for (int Y = Baseline; Y <= Rect.bottom() && !Underlined; ++Y) {
    bool Row = true;
    for (int X = From; X <= To && Row; ++X)
      Row = Marked.pixel(X, Y) == qRgb(0, 0, 0);
    Underlined = Row;
  }
  QVERIFY(Underlined);
  // Nothing changed under the 'a'.
  QVERIFY(Changed.left() > ALeft + 3);
}

void TWatermarkLabelTest::DoubleAmpersandDrawsOne() {
  const TFont Font = FontOf(-40, 0x008000);
  const QString Caption = QStringLiteral("R&&D");
  const QString Shown = QStringLiteral("R&D");
  // It measures as "R&D" taken literally...
  QCOMPARE(MeasureLabelText(Caption, Font), ExtentOf(Shown, Font));
  QVERIFY(MeasureLabelText(Caption, Font) != ExtentOf(QStringLiteral("RD"), Font));
  // ...and draws as QPainter draws it literally, with no underline anywhere.
  TFrame Frame;
  const QImage Background = Frame.Render();
  TWatermarkLabel &Label = Frame.AddLabel();
  Label.SetBounds(300, 100, 0, 0);
  Label.SetFont(Font);
  Label.SetCaption(Caption);
  Label.SetVisible(true);
  QCOMPARE(Frame.Render(),
           Expected(Background, Label.BoundsRect(), Shown, Font.ToQFont(), QColor(0, 128, 0)));
}

void TWatermarkLabelTest::HiddenLabelLeavesNoTrace() {
  TFrame Frame;
  const QImage Background = Frame.Render();
  TWatermarkLabel &Label = Frame.AddLabel();
  Label.SetFont(FontOf(-40, 0x0000FF));
  Label.SetCaption(QStringLiteral("Hidden"));
  Label.SetBounds(100, 100, Label.Width(), Label.Height());
  QCOMPARE(Frame.Render(), Background); // starts hidden
  Label.SetVisible(true);
  QVERIFY(Frame.Render() != Background);
  Label.SetVisible(false);
  QCOMPARE(Frame.Render(), Background);
  // Changes while hidden do not show it.
  Label.SetCaption(QStringLiteral("Still hidden"));
  Label.SetFontColor(0x00FF00);
  QCOMPARE(Frame.Render(), Background);
}

QTEST_MAIN(TWatermarkLabelTest)
#include "tst_watermarklabel.moc"
