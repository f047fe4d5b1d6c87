#include "batch/batchrun.h"

#include "export/filewriter.h"
#include "export/jpegwriter.h"
#include "batch/options/outputnames.h"
#include "batch/readpicture.h"
#include "base/systemmessage.h"
#include "batch/wallpaperframe.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// One picture handed to the user-interface thread to be drawn in the frame; the worker that
// handed it waits until Done.
struct TComposeRequest {
  std::unique_ptr<TPicture> Picture;
  QImage Capture;
  std::exception_ptr Error;
  bool Done = false;
};

// What the workers and the user-interface thread share, under one lock.
class TBatchQueue {
public:
  explicit TBatchQueue(int Workers) : FWorkers(Workers) {}

  // Worker side: has the picture drawn and waits for the capture; rethrows a step's error.
  QImage Compose(std::unique_ptr<TPicture> Picture) {
    TComposeRequest Request;
    Request.Picture = std::move(Picture);
    std::unique_lock Lock(FMutex);
    FRequests.push_back(&Request);
    FChanged.notify_all();
    FChanged.wait(Lock, [&] { return Request.Done; });
    if (Request.Error)
      std::rethrow_exception(Request.Error);
    return std::move(Request.Capture);
  }

  void Finished(TBatchResult Result) {
    const std::lock_guard Lock(FMutex);
    FResults.push_back(std::move(Result));
    FChanged.notify_all();
  }

  void WorkerEnded() {
    const std::lock_guard Lock(FMutex);
    --FWorkers;
    FChanged.notify_all();
  }

  // User-interface side: draws what the workers hand over and reports what they finish,
  // until every worker has ended.
  void Serve(const TWallpaperSteps &Steps, const TBatchProgress &Progress) {
    std::unique_lock Lock(FMutex);
    for (;;) {
      FChanged.wait(Lock, [&] { return !FRequests.empty() || !FResults.empty() || FWorkers == 0; });
      while (!FRequests.empty()) {
        TComposeRequest *Request = FRequests.front();
        FRequests.pop_front();
        Lock.unlock();
        try {
          Request->Capture = ComposeWallpaper(std::move(Request->Picture), Steps);
        } catch (...) {
          Request->Error = std::current_exception();
        }
        Request->Picture.reset();
        Lock.lock();
        Request->Done = true;
        FChanged.notify_all();
      }
      while (!FResults.empty()) {
        const TBatchResult Result = std::move(FResults.front());
        FResults.pop_front();
        Lock.unlock();
        if (Progress)
          Progress(Result);
        Lock.lock();
      }
      if (FWorkers == 0 && FRequests.empty() && FResults.empty())
        return;
    }
  }

private:
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::deque<TComposeRequest *> FRequests;
  std::deque<TBatchResult> FResults;
  int FWorkers;
};

// One input, on a worker thread. The output file is made first, so that a name already
// taken (or a folder that cannot take it) fails before the picture is decoded.
void MakeWallpaper(TBatchResult &Result, const TBatchOptions &Options, TBatchQueue &Queue) {
  try {
    TReplacingFile File(Result.Output,
                        Options.Overwrite ? TExistingFile::Replace : TExistingFile::Keep);
    const QImage Capture = Queue.Compose(ReadPicture(Result.Input));
    File.Commit(EncodeJpeg(Capture, Options.Steps.Quality));
  } catch (...) {
    Result.Error = ErrorReportText(std::current_exception());
  }
}

} // namespace

void RunBatch(const TBatchOptions &Options, int Jobs, const TBatchProgress &Progress) {
  const QStringList Outputs = WallpaperNames(Options.Files, Options.OutputFolder);
  const int Count = static_cast<int>(Options.Files.size());
  const int Workers = std::clamp(Jobs, 1, std::max(1, Count));
  std::atomic<int> Next{0};
  TBatchQueue Queue(Workers);

  std::vector<std::thread> Threads;
  Threads.reserve(Workers);
  for (int W = 0; W < Workers; ++W) {
    Threads.emplace_back([&] {
      for (int I = Next++; I < Count; I = Next++) {
        TBatchResult Result{Options.Files[I], Outputs[I], QString()};
        MakeWallpaper(Result, Options, Queue);
        Queue.Finished(std::move(Result));
      }
      Queue.WorkerEnded();
    });
  }
  Queue.Serve(Options.Steps, Progress);
  for (std::thread &Thread : Threads)
    Thread.join();
}
