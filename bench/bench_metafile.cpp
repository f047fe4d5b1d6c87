// Repainting a metafile of thousands of records, against repainting a bitmap of the same
// size. Target: a repaint at an unchanged size, also while the picture is being dragged,
// within 4 times the bitmap's (processor time), since both are blits of a kept result.
//
//   BM_BitmapRepaint    the baseline: a 480 x 272 bitmap drawn at its size, again and again
//   BM_MetafileRepaint  a metafile of 6000 records drawn at 480 x 272, again and again
//   BM_MetafileDrag     the same, its destination moving a pixel each time
//   BM_MetafilePlay     the metafile played afresh at 480 x 272 (shown, no target): the
//                       cost of the first paint and of every resize
//
// The metafile is made here: polygons, polylines, rectangles, ellipses and text in many
// pens and brushes, as a chart or a drawing exported from an office program would hold.

#include "picture/kinds/bitmap.h"
#include "fastestreporter.h"
#include "picture/kinds/metafile.h"

#include <QGuiApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int Width = 480;
constexpr int Height = 272;
constexpr double Target = 4.0;
constexpr int Repetitions = 5;

class TWriter {
public:
  void Record(quint32 Type, const std::vector<qint32> &Values, const QByteArray &Tail = {}) {
    QByteArray Payload;
    for (qint32 V : Values)
      Payload.append(reinterpret_cast<const char *>(&V), 4);
    Payload.append(Tail);
    while (Payload.size() % 4 != 0)
      Payload.append('\0');
    const quint32 Head[2] = {Type, quint32(8 + Payload.size())};
    FRecords.append(reinterpret_cast<const char *>(Head), 8);
    FRecords.append(Payload);
    ++FCount;
  }
  QByteArray Finish() const {
    const qint32 Header[22] = {1, 88, 0, 0, Width - 1, Height - 1, 0, 0, Width * 100,
                               Height * 100, 0x464D4520, 0x10000,
                               qint32(88 + FRecords.size() + 20), FCount + 2, 64, 0, 0, 0,
                               1000, 1000, 1000, 1000};
    const qint32 Eof[5] = {14, 20, 0, 16, 20};
    return QByteArray(reinterpret_cast<const char *>(Header), sizeof Header) + FRecords +
           QByteArray(reinterpret_cast<const char *>(Eof), sizeof Eof);
  }

private:
  QByteArray FRecords;
  qint32 FCount = 0;
};

quint32 Noise(quint32 &State) {
  State = State * 1664525u + 1013904223u;
  return State >> 8;
}

const QByteArray &MetafileBytes() {
  static const QByteArray Bytes = [] {
    TWriter W;
    quint32 State = 5;
    auto Coordinate = [&](int Limit) { return qint32(Noise(State) % quint32(Limit)); };
    const std::u16string Label = u"Quarterly total";
    QByteArray Text(reinterpret_cast<const char *>(Label.data()), int(Label.size() * 2));
    std::vector<qint32> Font(24, 0);  // the index, then a 92-byte font description
    Font[0] = 1, Font[1] = -14, Font[5] = 400;
    W.Record(82, Font);
    W.Record(37, {1});
    for (int I = 0; I < 1000; ++I) {
      W.Record(39, {2, 0, qint32(Noise(State) & 0xFFFFFF), 0});
      W.Record(37, {2});
      W.Record(38, {3, 0, qint32(Coordinate(4)), 0, qint32(Noise(State) & 0xFFFFFF)});
      W.Record(37, {3});
      const qint32 X = Coordinate(Width), Y = Coordinate(Height);
      switch (I % 5) {
      case 0:
        W.Record(3, {0, 0, 0, 0, 5, X, Y, X + 30, Y + 5, X + 40, Y + 30, X + 10, Y + 40, X - 5,
                     Y + 20});
        break;
      case 1:
        W.Record(4, {0, 0, 0, 0, 4, X, Y, X + 50, Y + 10, X + 20, Y + 60, X + 70, Y + 70});
        break;
      case 2:
        W.Record(43, {X, Y, X + Coordinate(80), Y + Coordinate(60)});
        break;
      case 3:
        W.Record(42, {X, Y, X + Coordinate(80), Y + Coordinate(60)});
        break;
      default:
        W.Record(84,
                 {0, 0, -1, -1, 1, 0x3F800000, 0x3F800000, X, Y, qint32(Label.size()), 76, 0, 0,
                  0, 0, 0, 0},
                 Text);
        break;
      }
      W.Record(40, {2});
      W.Record(40, {3});
    }
    return W.Finish();
  }();
  return Bytes;
}

TMetafile &Metafile() {
  static TMetafile Picture;
  if (Picture.Empty())
    Picture.LoadFromBytes(MetafileBytes());
  return Picture;
}

void BM_BitmapRepaint(benchmark::State &State) {
  QImage Pixels(Width, Height, QImage::Format_RGB32);
  Pixels.fill(Qt::darkCyan);
  TBitmap Bitmap(Pixels);
  QImage Canvas(Width, Height, QImage::Format_RGB32);
  QPainter Painter(&Canvas);
  for (auto _ : State) {
    Bitmap.Draw(Painter, Canvas.rect(), Canvas.rect());
    benchmark::ClobberMemory();
  }
}

void BM_MetafileRepaint(benchmark::State &State) {
  QImage Canvas(Width, Height, QImage::Format_RGB32);
  QPainter Painter(&Canvas);
  for (auto _ : State) {
    Metafile().Draw(Painter, Canvas.rect(), Canvas.rect());
    benchmark::ClobberMemory();
  }
}

void BM_MetafileDrag(benchmark::State &State) {
  QImage Canvas(Width, Height, QImage::Format_RGB32);
  QPainter Painter(&Canvas);
  int Shift = 0;
  for (auto _ : State) {
    Shift = (Shift + 1) % 64;
    Metafile().Draw(Painter, QRect(Shift - 32, Shift - 32, Width, Height), Canvas.rect());
    benchmark::ClobberMemory();
  }
}

void BM_MetafilePlay(benchmark::State &State) {
  for (auto _ : State) {
    QImage Played = Metafile().Render(QSize(Width, Height), QRect(0, 0, Width, Height));
    benchmark::DoNotOptimize(Played.constBits());
  }
}

void Measured(benchmark::internal::Benchmark *Each) {
  Each->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(Repetitions);
}

BENCHMARK(BM_BitmapRepaint)->Apply(Measured);
BENCHMARK(BM_MetafileRepaint)->Apply(Measured);
BENCHMARK(BM_MetafileDrag)->Apply(Measured);
BENCHMARK(BM_MetafilePlay)->Apply(Measured);

// Prints one measurement as ratios to the baseline; false when a target is missed.
bool Report(const TFastestReporter &Reporter, const char *Name, double Goal) {
  const auto Time = Reporter.Fastest(Name), Base = Reporter.Fastest("BM_BitmapRepaint");
  if (Time.Cpu <= 0 || Base.Cpu <= 0 || Base.Real <= 0)
    return true;
  const double Real = Time.Real / Base.Real, Cpu = Time.Cpu / Base.Cpu;
  if (Goal > 0)
    std::printf("  %-20s %10.2f %10.2f  target <= %.1f: %s\n", Name, Real, Cpu, Goal,
                Cpu <= Goal ? "met" : "MISSED");
  else
    std::printf("  %-20s %10.2f %10.2f  (%.2f ms a play)\n", Name, Real, Cpu, Time.Real / 1000);
  return Goal <= 0 || Cpu <= Goal;
}

}  // namespace

int main(int Argc, char **Argv) {
  QGuiApplication Application(Argc, Argv);
  benchmark::Initialize(&Argc, Argv);
  if (benchmark::ReportUnrecognizedArguments(Argc, Argv))
    return 1;
  Metafile();
  TFastestReporter Reporter;
  benchmark::RunSpecifiedBenchmarks(&Reporter);
  benchmark::Shutdown();
  std::printf("\nFastest of %d runs, %d x %d pixels, metafile of %lld bytes, as ratios to "
              "BM_BitmapRepaint:\n",
              Repetitions, Width, Height, static_cast<long long>(MetafileBytes().size()));
  std::printf("  %-20s %10s %10s\n", "", "wall-clock", "processor");
  const bool Repaint = Report(Reporter, "BM_MetafileRepaint", Target);
  const bool Drag = Report(Reporter, "BM_MetafileDrag", Target);
  Report(Reporter, "BM_MetafilePlay", 0);
  return Repaint && Drag ? 0 : 2;
}
