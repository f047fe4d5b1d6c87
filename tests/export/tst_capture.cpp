// The frame capture, pixel by pixel: a white frame holding coloured children (one nested,
// one hidden, one reaching beyond the frame, one painting single-pixel detail, one label)
// is captured and compared with an image drawn here by plain loops. The same executable
// also runs with QT_SCALE_FACTOR=2, where the frame is painted at twice its size on
// screen but the capture must still be one pixel per unit of the frame's geometry.
#include "export/capture.h"

#include <QLabel>
#include <QPainter>
#include <QTest>

namespace {

void Fill(QWidget &Widget, const QColor &Colour) {
  QPalette Palette = Widget.palette();
  Palette.setColor(QPalette::Window, Colour);
  Widget.setPalette(Palette);
  Widget.setAutoFillBackground(true);
}

QWidget *Block(QWidget *Parent, const QRect &Bounds, const QColor &Colour) {
  auto *Child = new QWidget(Parent);
  Child->setGeometry(Bounds);
  Fill(*Child, Colour);
  return Child;
}

// Single-pixel detail: a checkerboard of black and yellow pixels. Any scaling or
// resampling between the widget and the capture smears it.
class TCheckerWidget : public QWidget {
public:
  using QWidget::QWidget;

protected:
  void paintEvent(QPaintEvent *) override {
    QPainter Painter(this);
    for (int Y = 0; Y < height(); ++Y)
      for (int X = 0; X < width(); ++X)
        Painter.fillRect(X, Y, 1, 1, (X + Y) % 2 ? Qt::black : Qt::yellow);
  }
};

QColor CheckerAt(int X, int Y) { return (X + Y) % 2 ? Qt::black : Qt::yellow; }

// Sets the pixels of Bounds (clipped to the image) to Colour.
void Paint(QImage &Image, const QRect &Bounds, const QColor &Colour) {
  const QRect Clipped = Bounds & Image.rect();
  for (int Y = Clipped.top(); Y <= Clipped.bottom(); ++Y)
    for (int X = Clipped.left(); X <= Clipped.right(); ++X)
      Image.setPixel(X, Y, Colour.rgb());
}

const QRect RedBounds(10, 20, 50, 40);
const QRect NestedBounds(5, 5, 10, 10); // inside the red block
const QRect CheckerBounds(100, 50, 64, 32);
const QRect HiddenBounds(200, 100, 50, 50);
const QRect BeyondBounds(440, 250, 100, 100);
const QRect LabelBounds(300, 150, 120, 30);

struct TFrame {
  QWidget Frame;
  QLabel *Label = nullptr;

  TFrame(const QSize &Size, bool AutoFill) {
    Frame.resize(Size);
    Fill(Frame, Qt::white);
    Frame.setAutoFillBackground(AutoFill);
    Frame.setAttribute(Qt::WA_NoSystemBackground, !AutoFill);
    QWidget *Red = Block(&Frame, RedBounds, Qt::red);
    Block(Red, NestedBounds, Qt::magenta);
    auto *Checker = new TCheckerWidget(&Frame);
    Checker->setGeometry(CheckerBounds);
    Block(&Frame, HiddenBounds, Qt::green)->hide();
    Block(&Frame, BeyondBounds, Qt::blue);
    Label = new QLabel("Zelvane", &Frame);
    Label->setGeometry(LabelBounds);
    QPalette Palette = Label->palette();
    Palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    Label->setPalette(Palette);
  }
};

// The frame as it must be captured, label area excepted (text is checked on its own).
QImage ExpectedCapture(const QSize &Size) {
  QImage Image(Size, QImage::Format_RGB32);
  Image.fill(Qt::white);
  Paint(Image, RedBounds, Qt::red);
  Paint(Image, NestedBounds.translated(RedBounds.topLeft()), Qt::magenta);
  const QRect Checker = CheckerBounds & Image.rect();
  for (int Y = Checker.top(); Y <= Checker.bottom(); ++Y)
    for (int X = Checker.left(); X <= Checker.right(); ++X)
      Image.setPixel(X, Y, CheckerAt(X - CheckerBounds.left(), Y - CheckerBounds.top()).rgb());
  Paint(Image, BeyondBounds, Qt::blue);
  return Image;
}

} // namespace

class TestCapture : public QObject {
  Q_OBJECT
private slots:
  void capture_data();
  void capture();
  void screenScaleIsInForce();
  void screenDepth_data();
  void screenDepth();
};

void TestCapture::capture_data() {
  QTest::addColumn<QSize>("Size");
  QTest::addColumn<bool>("AutoFill");
  QTest::addColumn<bool>("Shown");
  QTest::addRow("wallpaper frame, shown") << QSize(480, 272) << true << true;
  QTest::addRow("wallpaper frame, not yet shown") << QSize(480, 272) << true << false;
  QTest::addRow("frame painting no background of its own") << QSize(480, 272) << false << true;
  QTest::addRow("smaller frame clips more") << QSize(130, 70) << true << true;
}

void TestCapture::capture() {
  QFETCH(QSize, Size);
  QFETCH(bool, AutoFill);
  QFETCH(bool, Shown);
  TFrame F(Size, AutoFill);
  if (Shown) {
    F.Frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&F.Frame));
  }
  const QImage Capture = CaptureFrame(F.Frame);
  QCOMPARE(Capture.size(), Size);
  QCOMPARE(Capture.format(), QImage::Format_RGB32);
  QCOMPARE(Capture.devicePixelRatio(), 1.0);

  const QImage Expected = ExpectedCapture(Size);
  const QRect Label = LabelBounds & Capture.rect();
  for (int Y = 0; Y < Size.height(); ++Y)
    for (int X = 0; X < Size.width(); ++X)
      if (!Label.contains(X, Y) && Capture.pixel(X, Y) != Expected.pixel(X, Y))
        QFAIL(qPrintable(QString("(%1,%2) is %3, not %4")
                             .arg(X).arg(Y)
                             .arg(Capture.pixel(X, Y), 8, 16)
                             .arg(Expected.pixel(X, Y), 8, 16)));

  if (Label.isEmpty())
    return;
  // The label's text is there, in its colour, on the frame's white; and it has the size
  // it has on screen in the frame's units: every inked pixel lies inside the label.
  int Inked = 0;
  for (int Y = Label.top(); Y <= Label.bottom(); ++Y)
    for (int X = Label.left(); X <= Label.right(); ++X) {
      const QRgb P = Capture.pixel(X, Y);
      if (P == qRgb(255, 255, 255))
        continue;
      ++Inked;
      QVERIFY2(qBlue(P) >= qRed(P) && qBlue(P) >= qGreen(P),
               qPrintable(QString("(%1,%2) is not the label's blue").arg(X).arg(Y)));
    }
  QVERIFY2(Inked > 40, qPrintable(QString("%1 inked pixels").arg(Inked)));
  const QRect TextBox = F.Label->fontMetrics().boundingRect(F.Label->text());
  QVERIFY(Inked <= TextBox.width() * TextBox.height());
}

// Under QT_SCALE_FACTOR the frame really is painted at that ratio on screen, so the test
// above has covered the high-density case.
void TestCapture::screenScaleIsInForce() {
  const QString Factor = qEnvironmentVariable("QT_SCALE_FACTOR");
  QWidget Frame;
  Frame.resize(480, 272);
  Frame.show();
  QVERIFY(QTest::qWaitForWindowExposed(&Frame));
  QCOMPARE(Frame.devicePixelRatioF(), Factor.isEmpty() ? 1.0 : Factor.toDouble());
}

void TestCapture::screenDepth_data() {
  QTest::addColumn<int>("Depth");
  QTest::addColumn<QColor>("Shown");
  // What such a screen shows for the colour (240, 220, 30): its top bits, widened again.
  QTest::addRow("16 bits") << 16 << QColor(247, 223, 24);
  QTest::addRow("15 bits") << 15 << QColor(247, 222, 24);
  QTest::addRow("24 bits") << 24 << QColor(240, 220, 30);
  QTest::addRow("32 bits") << 32 << QColor(240, 220, 30);
}

// On a screen of fewer colours the capture holds the colours the screen shows.
void TestCapture::screenDepth() {
  QFETCH(int, Depth);
  QFETCH(QColor, Shown);
  QWidget Frame;
  Frame.resize(480, 272);
  Fill(Frame, Qt::white);
  Block(&Frame, RedBounds, QColor(240, 220, 30));
  Frame.show();
  QVERIFY(QTest::qWaitForWindowExposed(&Frame));

  const QImage Capture = CaptureFrame(Frame, Depth).convertToFormat(QImage::Format_RGB32);
  QCOMPARE(Capture.size(), QSize(480, 272));
  QCOMPARE(QColor(Capture.pixel(RedBounds.center())), Shown);
  QCOMPARE(QColor(Capture.pixel(0, 0)), QColor(Qt::white));
}

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
