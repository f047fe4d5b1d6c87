#include "app/commandline.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#ifndef ZELVANE_VERSION
#define ZELVANE_VERSION "0"
#endif

namespace {

// The options QGuiApplication and QApplication take from the same arguments. A session
// manager restarts the program with -session; developers pass -platform or -style. They are
// accepted here so they reach the application object, and left out of the help.
struct TQtOption {
  const char *Name;
  bool TakesValue;
};

constexpr TQtOption QtOptions[] = {
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"qwindowgeometry", true}, {"geometry", true},
    {"qwindowtitle", true},    {"title", true},
    {"qwindowicon", true},     {"icon", true},
    {"session", true},         {"display", true},
    {"style", true},           {"stylesheet", true},
    {"qmljsdebugger", true},   {"reverse", false},
    {"widgetcount", false},    {"nograb", false},
    {"dograb", false},         {"sync", false},
};

TCommandLine Failure(const QString &Program, const QString &Reason) {
  TCommandLine Line;
  Line.Action = TCommandLine::TAction::Fail;
  Line.Text = QStringLiteral("%1: %2\nUsage: %1 [options] [file]\nTry '%1 --help' for more.\n")
                  .arg(Program, Reason);
  return Line;
}

} // namespace

TCommandLine ParseCommandLine(const QStringList &Arguments) {
  QCommandLineParser Parser;
  // Qt's own options are single-dash words (-platform, -style).
  Parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  Parser.setApplicationDescription(
      QStringLiteral("Turns a picture into a 480 x 272 wallpaper for a handheld game console."));
  const QCommandLineOption Help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Show this help and exit."));
  const QCommandLineOption Version({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("Show the program's version and exit."));
  Parser.addOption(Help);
  Parser.addOption(Version);
  for (const TQtOption &Qt : QtOptions) {
    QCommandLineOption Option(QString::fromLatin1(Qt.Name));
    if (Qt.TakesValue)
      Option.setValueName(QStringLiteral("value"));
    Option.setFlags(QCommandLineOption::HiddenFromHelp);
    Parser.addOption(Option);
  }
  Parser.addPositionalArgument(
      QStringLiteral("file"),
      QStringLiteral("A picture to open (JPEG, PNG, GIF, BMP, icon, Windows metafile, WebP, "
                     "HEIC/HEIF, AVIF or JPEG XL)."),
      QStringLiteral("[file]"));

  const QString Program = Arguments.isEmpty() ? QStringLiteral("zelvane")
                                              : QFileInfo(Arguments.constFirst()).fileName();
  if (!Parser.parse(Arguments))
    return Failure(Program, Parser.errorText());

  TCommandLine Line;
  if (Parser.isSet(Help)) {
    Line.Action = TCommandLine::TAction::Help;
    Line.Text = Parser.helpText();
    return Line;
  }
  if (Parser.isSet(Version)) {
    Line.Action = TCommandLine::TAction::Version;
    Line.Text = QStringLiteral("Zelvane " ZELVANE_VERSION "\n");
    return Line;
  }
  const QStringList Files = Parser.positionalArguments();
  if (Files.size() > 1)
    return Failure(Program, QStringLiteral("only one picture can be opened at a time."));
  // Absolute, so that the error report names the file by its full path and the next Open
  // Image starts in its folder.
  if (!Files.isEmpty())
    Line.FileName = QDir::cleanPath(QFileInfo(Files.constFirst()).absoluteFilePath());
  return Line;
}

int ExitCodeOf(const TCommandLine &Line) {
  return Line.Action == TCommandLine::TAction::Fail ? 2 : 0;
}
