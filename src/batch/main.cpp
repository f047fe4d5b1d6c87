// zelvane-batch: the window's wallpaper for every picture of a command line, without the
// window. See options/batchoptions.cpp for the interface, batchrun.h for how the work is shared.
#include "batch/options/batchoptions.h"
#include "batch/batchrun.h"

#include <QApplication>
#include <QFileInfo>
#include <QThread>

#include <cstdio>

#include <unistd.h>

namespace {

void Print(std::FILE *Stream, const QString &Text) {
  const QByteArray Bytes = Text.toLocal8Bit();
  std::fwrite(Bytes.constData(), 1, static_cast<size_t>(Bytes.size()), Stream);
  std::fflush(Stream);
}

// Qt's own remarks (a missing runtime folder, a font fallback) say nothing about the
// pictures and would drown the failures; its critical and fatal messages still show.
void QtMessage(QtMsgType Type, const QMessageLogContext &, const QString &Message) {
  if (Type == QtCriticalMsg || Type == QtFatalMsg)
    Print(stderr, QStringLiteral("zelvane-batch: %1\n").arg(Message));
}

int Refuse(const QString &Message) {
  Print(stderr, QStringLiteral("zelvane-batch: %1\nTry 'zelvane-batch --help' for more "
                               "information.\n")
                    .arg(Message));
  return 2;
}

// Progress on a terminal: one line, rewritten after every picture; failures go above it.
// Elsewhere only the failures, one line each.
class TReporter {
public:
  explicit TReporter(qsizetype Total) : FTotal(Total), FTerminal(::isatty(STDERR_FILENO) == 1) {
    ShowProgress();
  }

  void Done(const TBatchResult &Result) {
    ++FDone;
    if (!Result.Error.isEmpty()) {
      ++FFailed;
      Print(stderr, QStringLiteral("%1zelvane-batch: %2: %3\n")
                        .arg(FTerminal ? QStringLiteral("\r\033[K") : QString(), Result.Input,
                             Result.Error));
    }
    ShowProgress();
  }

  void End() {
    if (FTerminal)
      Print(stderr, QStringLiteral("\n"));
  }

  int Failed() const { return FFailed; }

private:
  void ShowProgress() {
    if (FTerminal)
      Print(stderr,
            QStringLiteral("\r\033[K%1/%2 done, %3 failed").arg(FDone).arg(FTotal).arg(FFailed));
  }

  qsizetype FTotal;
  bool FTerminal;
  int FDone = 0;
  int FFailed = 0;
};

} // namespace

int main(int Argc, char **Argv) {
  QStringList Arguments;
  for (int I = 0; I < Argc; ++I)
    Arguments << QString::fromLocal8Bit(Argv[I]);

  // Help, version and refusals need no display and no application object.
  const TBatchCommand Command = ParseBatchCommand(Arguments);
  switch (Command.Action) {
  case TBatchAction::Help:
  case TBatchAction::Version:
    Print(stdout, Command.Text);
    return 0;
  case TBatchAction::Refuse:
    return Refuse(Command.Text);
  case TBatchAction::Run:
    break;
  }
  const TBatchOptions &Options = Command.Options;
  if (!QFileInfo(Options.OutputFolder).isDir())
    return Refuse(QStringLiteral("output folder '%1' is not a folder").arg(Options.OutputFolder));

  // Always drawn off screen, whatever platform the environment names: the program never needs
  // a display, so it runs alike from ssh, cron or a Wayland session whose compositor it
  // cannot reach, and writes the same bytes everywhere. No desktop theme comes in either.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qunsetenv("QT_QPA_PLATFORMTHEME");
  qInstallMessageHandler(QtMessage);
  QApplication Application(Argc, Argv);
  QApplication::setApplicationName(QStringLiteral("zelvane-batch"));

  const int Jobs = Options.Jobs > 0 ? Options.Jobs : std::max(1, QThread::idealThreadCount());
  TReporter Reporter(Options.Files.size());
  RunBatch(Options, Jobs, [&](const TBatchResult &Result) { Reporter.Done(Result); });
  Reporter.End();
  return Reporter.Failed() > 0 ? 1 : 0;
}
