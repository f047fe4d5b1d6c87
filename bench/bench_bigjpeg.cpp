// A 24-megapixel JPEG through the real main window (off screen), each figure as a ratio to
// a baseline measured in the same run:
//
//   figure        measured                                  baseline              target
//   open          Open Image of the 6000 x 4000 JPEG        BM_LibjpegDecode      <= 0.05
//   first draw    the frame's first repaint after opening   BM_LibjpegDecode      <= 1.1
//   repaint       repainting the frame, the big picture     BM_Repaint/Small      <= 1.5
//                 stretched into it
//   quarter turn  the window's quarter turn of the picture  BM_CopyPixels         <= 3
//   smooth resize a resize step of the picture stretched     BM_ResizeStep/Nearest <= 4
//                 into the frame, the Smooth box checked     (and <= 16 ms itself)
//
//   BM_LibjpegDecode   libjpeg alone: the file's bytes (in memory) decoded at full scale with
//                      the library's defaults, 24-bit RGB, each row into the same buffer, as
//                      djpeg does: the decoding and nothing else
//   BM_LibjpegPicture  the same into a new buffer of the whole picture (new[]), which costs
//                      a page fault per 4 KiB touched (shown, no target)
//   BM_NewPicture      a new 6000 x 4000 picture as the decoder gets it (NewLargeImage), every
//                      byte written once: what holding the decoded picture costs by itself
//   BM_CopyPixels      memcpy of the decoded picture (32 bits a pixel) into a buffer
//                      allocated beforehand
//   BM_Repaint/Small   a 480 x 272 JPEG opened and stretched, the frame repainted
//   BM_Drag/...        the box moved by one pixel before each repaint, so the scaled part is
//                      computed afresh every time (shown, no target)
//   BM_ResizeStep/...  one step of a Shift-drag on the box, which the mover resizes by one
//                      pixel (wider and taller, then back), and the repaint of the frame's
//                      area: Nearest with the Smooth box unchecked, Smooth with it checked
//
//   bench_bigjpeg BIG.jpg SMALL.jpg [--benchmark_... flags]
//
// Every benchmark runs several times; the medians count, by processor time (the machine may
// be shared, and processor time is what the process itself spends) and by wall-clock. Lines
// starting "FIGURE" are for bench/run.

#include "benchform.h"
#include "picture/image.h"
#include "platform/cursorseam.h"
#include "picture/kinds/jpegimage.h"
#include "picture/codecs/largeimage.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>

#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int Repetitions = 7;
// One frame at 60 frames a second.
constexpr double MaxStepMs = 16;

QString BigFile;
QString SmallFile;
TZelvaneForm *Form = nullptr;
TAnsweredDialogs Dialogs;

QByteArray ReadAll(const QString &FileName) {
  QFile File(FileName);
  if (!File.open(QIODevice::ReadOnly))
    return {};
  return File.readAll();
}

const QByteArray &BigBytes() {
  static const QByteArray Bytes = ReadAll(BigFile);
  return Bytes;
}

// libjpeg with all its defaults; the file is ours, so the library's own error exit (which
// ends the process) is good enough here.
struct TPlainDecoder {
  explicit TPlainDecoder(const QByteArray &Data) {
    Info.err = jpeg_std_error(&Errors);
    jpeg_create_decompress(&Info);
    jpeg_mem_src(&Info, reinterpret_cast<const unsigned char *>(Data.constData()),
                 static_cast<unsigned long>(Data.size()));
    jpeg_read_header(&Info, TRUE);
    jpeg_start_decompress(&Info);
  }
  ~TPlainDecoder() { jpeg_destroy_decompress(&Info); }
  size_t Stride() const { return size_t(Info.output_width) * size_t(Info.output_components); }

  jpeg_decompress_struct Info{};
  jpeg_error_mgr Errors{};
};

std::unique_ptr<unsigned char[]> DecodeWhole(const QByteArray &Data) {
  TPlainDecoder D(Data);
  std::unique_ptr<unsigned char[]> Pixels(new unsigned char[D.Stride() * D.Info.output_height]);
  while (D.Info.output_scanline < D.Info.output_height) {
    JSAMPROW Row = Pixels.get() + D.Stride() * D.Info.output_scanline;
    jpeg_read_scanlines(&D.Info, &Row, 1);
  }
  jpeg_finish_decompress(&D.Info);
  return Pixels;
}

void DecodeRows(const QByteArray &Data) {
  TPlainDecoder D(Data);
  std::vector<unsigned char> Row(D.Stride());
  JSAMPROW At = Row.data();
  while (D.Info.output_scanline < D.Info.output_height)
    jpeg_read_scanlines(&D.Info, &At, 1);
  jpeg_finish_decompress(&D.Info);
  benchmark::DoNotOptimize(Row.data());
}

// As a click runs it, except that an error is thrown on, to end the benchmark.
void OpenPicture(const QString &FileName) {
  Dialogs.Open->Answer = FileName;
  Form->OpenSpeedButtonClick(Form->OpenSpeedButton);
}

TJPEGImage *ShownJpeg() { return dynamic_cast<TJPEGImage *>(Form->Image->Picture()); }

void BM_LibjpegPicture(benchmark::State &State) {
  const QByteArray &Data = BigBytes();
  std::unique_ptr<unsigned char[]> Pixels;
  for (auto _ : State) {
    // The previous picture is freed outside the measurement, as the window frees its old
    // picture while opening the next one.
    State.PauseTiming();
    Pixels.reset();
    State.ResumeTiming();
    Pixels = DecodeWhole(Data);
    benchmark::DoNotOptimize(Pixels.get());
  }
}

void BM_LibjpegDecode(benchmark::State &State) {
  const QByteArray &Data = BigBytes();
  for (auto _ : State)
    DecodeRows(Data);
}

void BM_NewPicture(benchmark::State &State) {
  QImage Picture;
  for (auto _ : State) {
    State.PauseTiming();
    Picture = QImage();
    State.ResumeTiming();
    Picture = NewLargeImage(QSize(6000, 4000), QImage::Format_RGB32);
    std::memset(Picture.bits(), 0x80, size_t(Picture.sizeInBytes()));
    benchmark::DoNotOptimize(Picture.constBits());
    benchmark::ClobberMemory();
  }
}

void BM_OpenImage(benchmark::State &State) {
  for (auto _ : State)
    OpenPicture(BigFile);
  if (!ShownJpeg() || ShownJpeg()->Decoded())
    State.SkipWithError("Open Image decoded the pixels");
}

void BM_FirstDraw(benchmark::State &State) {
  for (auto _ : State) {
    State.PauseTiming();
    OpenPicture(BigFile);
    State.ResumeTiming();
    Form->Panel->repaint();
  }
  if (!ShownJpeg() || !ShownJpeg()->Decoded())
    State.SkipWithError("the first repaint did not decode the picture once");
}

void BM_Repaint(benchmark::State &State, const QString *FileName) {
  OpenPicture(*FileName);
  ChooseFitMode(*Form, 1);
  Form->Panel->repaint();
  if (Form->Image->Width() != 480 || Form->Image->Height() != 272 || !Form->Image->Stretch())
    State.SkipWithError("the picture is not stretched into the frame");
  for (auto _ : State)
    Form->Panel->repaint();
}

void BM_Drag(benchmark::State &State, const QString *FileName) {
  OpenPicture(*FileName);
  ChooseFitMode(*Form, 1);
  Form->Panel->repaint();
  int Step = 1;
  for (auto _ : State) {
    Form->Image->SetLeft(Form->Image->Left() + Step);
    Step = -Step;
    Form->Panel->repaint();
  }
}

// The pointer, moved by the benchmark: the mover reads it through the cursor seam.
class TBenchCursor final : public TCursorSeam {
public:
  QPoint Pos() const override { return Position; }
  void SetPos(const QPoint &ScreenPos) override { Position = ScreenPos; }
  void SetScreenCursor(TCursor Cursor) override { Current = Cursor; }
  TCursor ScreenCursor() const override { return Current; }
  QPoint Position;
  TCursor Current = crDefault;
};

void SendMouse(QWidget *Box, QEvent::Type Type, const QPoint &Global, Qt::MouseButtons Buttons) {
  const QPointF Local = Box->mapFromGlobal(QPointF(Global));
  QMouseEvent Event(Type, Local, QPointF(Global),
                    Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Buttons,
                    Qt::ShiftModifier);
  QCoreApplication::sendEvent(Box, &Event);
}

void BM_ResizeStep(benchmark::State &State, bool Smooth) {
  TBenchCursor Pointer;
  SetCursorSeam(&Pointer);
  OpenPicture(BigFile);
  ChooseFitMode(*Form, 1);
  Form->SmoothCheckBox->setChecked(Smooth);
  Form->Panel->repaint();
  QWidget *Box = Form->Image;
  // Shift-dragging puts the bottom-right corner under the pointer.
  Pointer.Position = Box->mapToGlobal(QPoint(Box->width(), Box->height()));
  SendMouse(Box, QEvent::MouseButtonPress, Pointer.Position, Qt::LeftButton);
  // What the mover's steps make dirty: the box, its nodes 5 pixels beyond it, the frame.
  const QRect Area = Form->Panel->geometry().adjusted(-8, -8, 8, 8);
  int Step = 1;
  for (auto _ : State) {
    Pointer.Position += QPoint(Step, Step);
    Step = -Step;
    SendMouse(Box, QEvent::MouseMove, Pointer.Position, Qt::LeftButton);
    QCoreApplication::processEvents();
    Form->repaint(Area);
  }
  SendMouse(Box, QEvent::MouseButtonRelease, Pointer.Position, Qt::NoButton);
  SetCursorSeam(nullptr);
  if (Form->Image->Width() < 470 || Form->Image->Width() > 490 || Form->Image->Smooth() != Smooth)
    State.SkipWithError("the box was not resized around the frame's size");
  Form->SmoothCheckBox->setChecked(false);
}

void BM_CopyPixels(benchmark::State &State) {
  TJPEGImage Picture;
  Picture.LoadFromBytes(BigBytes());
  const QImage &Source = Picture.Image();
  const auto Bytes = size_t(Source.sizeInBytes());
  std::vector<uchar> Target(Bytes);
  for (auto _ : State) {
    std::memcpy(Target.data(), Source.constBits(), Bytes);
    benchmark::DoNotOptimize(Target.data());
    benchmark::ClobberMemory();
  }
}

void BM_QuarterTurn(benchmark::State &State) {
  OpenPicture(BigFile);
  Form->Panel->repaint();
  for (auto _ : State)
    Form->RightRotateSpeedButtonClick(Form->RightRotateSpeedButton);
  if (Form->Image->Picture()->Width() * Form->Image->Picture()->Height() != 24000000)
    State.SkipWithError("the turned picture has the wrong size");
}

// Processor time of the whole process, so that work any library does on other threads counts.
void Measured(benchmark::internal::Benchmark *Each) {
  Each->Unit(benchmark::kMillisecond)
      ->Repetitions(Repetitions)
      ->ReportAggregatesOnly(false)
      ->MeasureProcessCPUTime();
}

// Keeps every repetition's time per benchmark; the console shows the summaries.
class TMedianReporter : public benchmark::ConsoleReporter {
public:
  TMedianReporter() : ConsoleReporter(OO_Tabular) {}

  struct TTimes {
    std::vector<double> Real, Cpu;
  };

  void ReportRuns(const std::vector<Run> &Runs) override {
    std::vector<Run> Summaries;
    for (const Run &Each : Runs) {
      if (Each.run_type != Run::RT_Iteration) {
        Summaries.push_back(Each);
        continue;
      }
      if (Each.error_occurred) {
        std::fprintf(stderr, "%s: %s\n", Each.benchmark_name().c_str(), Each.error_message.c_str());
        Failed = true;
        continue;
      }
      TTimes &Times = FTimes[Each.run_name.function_name + Each.run_name.args];
      Times.Real.push_back(Each.GetAdjustedRealTime());
      Times.Cpu.push_back(Each.GetAdjustedCPUTime());
    }
    if (!Summaries.empty())
      ConsoleReporter::ReportRuns(Summaries);
  }

  static double Median(std::vector<double> Values) {
    if (Values.empty())
      return 0;
    std::sort(Values.begin(), Values.end());
    const size_t N = Values.size();
    return N % 2 ? Values[N / 2] : (Values[N / 2 - 1] + Values[N / 2]) / 2;
  }
  double MedianCpu(const std::string &Name) const { return Median(Find(Name).Cpu); }
  double MedianReal(const std::string &Name) const { return Median(Find(Name).Real); }

  bool Failed = false;

private:
  const TTimes &Find(const std::string &Name) const {
    static const TTimes None;
    const auto At = FTimes.find(Name);
    return At == FTimes.end() ? None : At->second;
  }
  std::map<std::string, TTimes> FTimes;
};

struct TFigure {
  const char *Name;
  const char *Measured;
  const char *Baseline;
  double Target; // 0: shown, no target
};

} // namespace

int main(int Argc, char **Argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  benchmark::Initialize(&Argc, Argv);
  if (Argc != 3) {
    std::fprintf(stderr, "usage: %s BIG.jpg SMALL.jpg [--benchmark_...]\n", Argv[0]);
    return 2;
  }
  // Full names, as the dialog gives them: Open Image changes the current folder.
  BigFile = QFileInfo(QString::fromLocal8Bit(Argv[1])).absoluteFilePath();
  SmallFile = QFileInfo(QString::fromLocal8Bit(Argv[2])).absoluteFilePath();
  int QtArgc = 1;
  QApplication Application(QtArgc, Argv);
  if (BigBytes().isEmpty()) {
    std::fprintf(stderr, "cannot read %s\n", Argv[1]);
    return 2;
  }

  // The window as the program shows it, its settings kept away from the real ones.
  TZelvaneForm::SetSettingsFileName(QDir::temp().filePath(
      QStringLiteral("zelvane-bench-%1.ini").arg(QCoreApplication::applicationPid())));
  TPrintedErrors Errors;
  SetMessageSeam(&Errors);
  auto Window = std::make_unique<TZelvaneForm>();
  Form = Window.get();
  Dialogs = AnswerDialogs(*Form);
  Form->show();
  QCoreApplication::processEvents();

  benchmark::RegisterBenchmark("BM_LibjpegDecode", BM_LibjpegDecode)->Apply(Measured);
  benchmark::RegisterBenchmark("BM_LibjpegPicture", BM_LibjpegPicture)->Apply(Measured);
  benchmark::RegisterBenchmark("BM_NewPicture", BM_NewPicture)->Apply(Measured);
  benchmark::RegisterBenchmark("BM_OpenImage", BM_OpenImage)->Apply(Measured);
  benchmark::RegisterBenchmark("BM_FirstDraw", BM_FirstDraw)->Apply(Measured);
  benchmark::RegisterBenchmark("BM_Repaint/Big", BM_Repaint, &BigFile)->Apply(Measured);
  benchmark::RegisterBenchmark("BM_Repaint/Small", BM_Repaint, &SmallFile)->Apply(Measured);
  benchmark::RegisterBenchmark("BM_Drag/Big", BM_Drag, &BigFile)->Apply(Measured);
  benchmark::RegisterBenchmark("BM_Drag/Small", BM_Drag, &SmallFile)->Apply(Measured);
  benchmark::RegisterBenchmark("BM_ResizeStep/Nearest", BM_ResizeStep, false)->Apply(Measured);
  benchmark::RegisterBenchmark("BM_ResizeStep/Smooth", BM_ResizeStep, true)->Apply(Measured);
  benchmark::RegisterBenchmark("BM_CopyPixels", BM_CopyPixels)->Apply(Measured);
  benchmark::RegisterBenchmark("BM_QuarterTurn", BM_QuarterTurn)->Apply(Measured);

  TMedianReporter Reporter;
  try {
    benchmark::RunSpecifiedBenchmarks(&Reporter);
  } catch (const std::exception &Error) {
    std::fprintf(stderr, "%s\n", Error.what());
    return 1;
  }
  benchmark::Shutdown();
  Window.reset();
  QFile::remove(TZelvaneForm::SettingsFileName());

  const TFigure Figures[] = {
      {"open", "BM_OpenImage", "BM_LibjpegDecode", 0.05},
      {"first-draw", "BM_FirstDraw", "BM_LibjpegDecode", 1.1},
      {"first-draw-vs-picture", "BM_FirstDraw", "BM_LibjpegPicture", 0},
      {"new-picture", "BM_NewPicture", "BM_LibjpegDecode", 0},
      {"repaint", "BM_Repaint/Big", "BM_Repaint/Small", 1.5},
      {"drag-repaint", "BM_Drag/Big", "BM_Drag/Small", 0},
      {"quarter-turn", "BM_QuarterTurn", "BM_CopyPixels", 3.0},
      {"smooth-resize", "BM_ResizeStep/Smooth", "BM_ResizeStep/Nearest", 4.0},
  };
  std::printf("\nMedians of %d runs, as ratios (processor time; wall-clock in brackets):\n",
              Repetitions);
  bool Met = !Reporter.Failed && Errors.Count == 0;
  for (const TFigure &Each : Figures) {
    const double Cpu = Reporter.MedianCpu(Each.Measured), BaseCpu = Reporter.MedianCpu(Each.Baseline);
    const double Real = Reporter.MedianReal(Each.Measured),
                 BaseReal = Reporter.MedianReal(Each.Baseline);
    if (Cpu <= 0 || BaseCpu <= 0 || BaseReal <= 0)
      continue; // filtered out
    const double Ratio = Cpu / BaseCpu;
    const bool Pass = Each.Target == 0 || Ratio <= Each.Target;
    Met = Met && Pass;
    std::printf("  %-20s %-18s / %-18s %7.3f (%7.3f)  %s\n", Each.Name, Each.Measured,
                Each.Baseline, Ratio, Real / BaseReal,
                Each.Target == 0 ? "shown" : Pass ? "met" : "MISSED");
    std::printf("FIGURE %s %.4f %.4f %.3f %.3f %.3f %.3f\n", Each.Name, Ratio, Real / BaseReal,
                Cpu, BaseCpu, Real, BaseReal);
  }
  // The smooth step must also keep up with 60 frames a second by itself.
  const double SmoothStep = Reporter.MedianReal("BM_ResizeStep/Smooth");
  if (SmoothStep > 0) {
    const bool Pass = SmoothStep <= MaxStepMs;
    Met = Met && Pass;
    std::printf("  %-20s %-39s %7.3f ms  %s\n", "smooth-resize-ms", "BM_ResizeStep/Smooth",
                SmoothStep, Pass ? "met" : "MISSED");
    std::printf("FIGURE smooth-resize-ms %.4f %.4f\n", Reporter.MedianCpu("BM_ResizeStep/Smooth"),
                SmoothStep);
  }
  return Met ? 0 : 3;
}
