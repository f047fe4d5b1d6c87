#include "batch/options/batchoptions.h"
#include "base/wallpaperquality.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <optional>
#include <stdexcept>

#ifndef ZELVANE_VERSION
#define ZELVANE_VERSION "0"
#endif

namespace {

const char HelpText[] =
    "Usage: zelvane-batch [OPTION]... --output FOLDER FILE...\n"
    "Make a 480 x 272 wallpaper of each picture FILE (JPEG, PNG, GIF, BMP, ICO, WMF, EMF,\n"
    "WebP, HEIC/HEIF, AVIF, JPEG XL), byte for byte the file the Zelvane window saves after\n"
    "the same steps, and write it to FOLDER as the picture's name with .jpg.\n"
    "\n"
    "Steps, applied in this order:\n"
    "      --fit MODE           fit mode: none (the default), stretch, maxwidth, maxheight\n"
    "      --zoom N             move the zoom slider from 10 to N (1 to 10; default 10)\n"
    "      --turn WAY           a quarter turn: left or right\n"
    "      --mirror SIDE        a mirror: top (top to bottom) or left (left to right)\n"
    "      --watermark TEXT     a one-line watermark, its right edge at x = 473, top 252\n"
    "      --font FACE[,POINTS] the watermark's font (default Tahoma, 8 points)\n"
    "      --color #RRGGBB      the watermark's colour (default: the window text colour)\n"
    "      --quality Q          JPEG quality 50, 60, 70, 80, 90 or 100 (default 100)\n"
    "      --smooth             filter the picture where it is scaled, as the window's\n"
    "                           Smooth box does (default: the nearest pixel)\n"
    "As with the window's buttons, a turn or mirror shows the picture at its own size,\n"
    "whatever a fit mode or zoom gave it before.\n"
    "\n"
    "Output:\n"
    "  -o, --output FOLDER      the folder the wallpapers go into; it must exist\n"
    "      --overwrite          replace files already in FOLDER (kept by default)\n"
    "  -j, --jobs N             pictures worked on at once (default: one per processor)\n"
    "  -h, --help               show this help and exit\n"
    "  -V, --version            show the version and exit\n"
    "\n"
    "A second FILE with the same name gets a numbered one (name-2.jpg, name-3.jpg, ...).\n"
    "A FILE that cannot be made into a wallpaper is reported with the message the window\n"
    "shows for it, and the others go on. Progress shows on standard error when it is a\n"
    "terminal. Exit status: 0 when every wallpaper was written, 1 when any was not, 2 for\n"
    "an option that is not understood (nothing is written then).\n";

// A value that cannot be taken: its message names the option and what it takes.
[[noreturn]] void Refuse(const QString &Message) {
  throw std::invalid_argument(Message.toStdString());
}

// A whole decimal number from Low to High, or none.
std::optional<int> NumberIn(const QString &Value, int Low, int High) {
  bool Ok = false;
  const int Number = Value.toInt(&Ok, 10);
  if (!Ok || Value.startsWith(u'+') || Number < Low || Number > High)
    return std::nullopt;
  return Number;
}

TFitMode FitModeOf(const QString &Value) {
  static const QStringList Names = {QStringLiteral("none"), QStringLiteral("stretch"),
                                    QStringLiteral("maxwidth"), QStringLiteral("maxheight")};
  const qsizetype Index = Names.indexOf(Value.toLower());
  if (Index < 0)
    Refuse(
        QStringLiteral("invalid fit mode '%1': none, stretch, maxwidth or maxheight").arg(Value));
  return static_cast<TFitMode>(Index);
}

int QualityOf(const QString &Value) {
  const std::optional<int> Quality =
      NumberIn(Value, JpegQualityOf(MinQualityPosition), JpegQualityOf(MaxQualityPosition));
  if (!Quality || *Quality % QualityStep != 0)
    Refuse(QStringLiteral("invalid quality '%1': 50, 60, 70, 80, 90 or 100").arg(Value));
  return *Quality;
}

TTransform TurnOf(const QString &Value) {
  if (Value.compare(QLatin1String("left"), Qt::CaseInsensitive) == 0)
    return TTransform::LeftRotate;
  if (Value.compare(QLatin1String("right"), Qt::CaseInsensitive) == 0)
    return TTransform::RightRotate;
  Refuse(QStringLiteral("invalid turn '%1': left or right").arg(Value));
}

TTransform MirrorOf(const QString &Value) {
  if (Value.compare(QLatin1String("top"), Qt::CaseInsensitive) == 0)
    return TTransform::TopMirror;
  if (Value.compare(QLatin1String("left"), Qt::CaseInsensitive) == 0)
    return TTransform::LeftMirror;
  Refuse(QStringLiteral("invalid mirror '%1': top or left").arg(Value));
}

// FACE or FACE,POINTS: the face as the font chooser names it, the size in points as the
// chooser turns it into a height. The last comma separates the size.
void ApplyFont(const QString &Value, TPlainFont &Font) {
  QString Face = Value.trimmed();
  const qsizetype Comma = Value.lastIndexOf(u',');
  if (Comma >= 0) {
    Face = Value.left(Comma).trimmed();
    const std::optional<int> Points = NumberIn(Value.mid(Comma + 1).trimmed(), 1, 1000);
    if (!Points)
      Refuse(QStringLiteral("invalid font size in '%1': whole points from 1 to 1000").arg(Value));
    Font.Points = *Points;
  }
  if (Face.isEmpty())
    Refuse(QStringLiteral("invalid font '%1': FACE or FACE,POINTS").arg(Value));
  Font.Face = Face;
}

TColor ColorOf(const QString &Value) {
  static const QRegularExpression Hex(QStringLiteral("^#([0-9A-Fa-f]{6})$"));
  const QRegularExpressionMatch Match = Hex.match(Value);
  if (!Match.hasMatch())
    Refuse(QStringLiteral("invalid colour '%1': #RRGGBB").arg(Value));
  const uint Rgb = Match.captured(1).toUInt(nullptr, 16);
  // 0x00BBGGRR.
  return static_cast<TColor>(((Rgb >> 16) & 0xFF) | (Rgb & 0xFF00) | ((Rgb & 0xFF) << 16));
}

// The options the batch takes, as the parser knows them.
struct TOptionSet {
  QCommandLineOption Fit{QStringLiteral("fit"), QString(), QStringLiteral("MODE")};
  QCommandLineOption Zoom{QStringLiteral("zoom"), QString(), QStringLiteral("N")};
  QCommandLineOption Turn{QStringLiteral("turn"), QString(), QStringLiteral("WAY")};
  QCommandLineOption Mirror{QStringLiteral("mirror"), QString(), QStringLiteral("SIDE")};
  QCommandLineOption Quality{QStringLiteral("quality"), QString(), QStringLiteral("Q")};
  QCommandLineOption Watermark{QStringLiteral("watermark"), QString(), QStringLiteral("TEXT")};
  QCommandLineOption Font{QStringLiteral("font"), QString(), QStringLiteral("FACE")};
  QCommandLineOption Color{QStringList{QStringLiteral("color"), QStringLiteral("colour")},
                           QString(), QStringLiteral("COLOR")};
  QCommandLineOption Jobs{QStringList{QStringLiteral("j"), QStringLiteral("jobs")}, QString(),
                          QStringLiteral("N")};
  QCommandLineOption Output{QStringList{QStringLiteral("o"), QStringLiteral("output")},
                            QString(), QStringLiteral("FOLDER")};
  QCommandLineOption Smooth{QStringLiteral("smooth")};
  QCommandLineOption Overwrite{QStringLiteral("overwrite")};
  QCommandLineOption Help{QStringList{QStringLiteral("h"), QStringLiteral("help")}};
  QCommandLineOption Version{QStringList{QStringLiteral("V"), QStringLiteral("version")}};

  void AddTo(QCommandLineParser &Parser) const {
    Parser.addOptions({Fit, Zoom, Turn, Mirror, Quality, Watermark, Font, Color, Smooth, Jobs,
                       Output, Overwrite, Help, Version});
    Parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
  }
};

int ZoomOf(const QString &Value) {
  const std::optional<int> Position = NumberIn(Value, 1, 10);
  if (!Position)
    Refuse(QStringLiteral("invalid zoom '%1': a whole number from 1 to 10").arg(Value));
  return *Position;
}

int JobsOf(const QString &Value) {
  const std::optional<int> Count = NumberIn(Value, 1, MaxBatchJobs);
  if (!Count)
    Refuse(QStringLiteral("invalid number of jobs '%1': a whole number from 1 to %2")
               .arg(Value)
               .arg(MaxBatchJobs));
  return *Count;
}

// The wallpaper's steps as the line gives them; throws std::invalid_argument for a value
// that cannot be taken.
void ReadSteps(const QCommandLineParser &Parser, const TOptionSet &O, TWallpaperSteps &Steps) {
  if (Parser.isSet(O.Fit))
    Steps.Fit = FitModeOf(Parser.value(O.Fit));
  if (Parser.isSet(O.Zoom))
    Steps.Zoom = ZoomOf(Parser.value(O.Zoom));
  if (Parser.isSet(O.Turn))
    Steps.Turn = TurnOf(Parser.value(O.Turn));
  if (Parser.isSet(O.Mirror))
    Steps.Mirror = MirrorOf(Parser.value(O.Mirror));
  if (Parser.isSet(O.Quality))
    Steps.Quality = QualityOf(Parser.value(O.Quality));
  Steps.Watermark = Parser.value(O.Watermark);
  if (Parser.isSet(O.Font))
    ApplyFont(Parser.value(O.Font), Steps.Font);
  if (Parser.isSet(O.Color))
    Steps.Font.Color = ColorOf(Parser.value(O.Color));
  Steps.Smooth = Parser.isSet(O.Smooth);
}

// The run's jobs, output and files; throws std::invalid_argument as ReadSteps does.
void ReadRun(const QCommandLineParser &Parser, const TOptionSet &O, TBatchOptions &Options) {
  if (Parser.isSet(O.Jobs))
    Options.Jobs = JobsOf(Parser.value(O.Jobs));
  Options.Overwrite = Parser.isSet(O.Overwrite);
  Options.OutputFolder = Parser.value(O.Output);
  if (!Parser.isSet(O.Output) || Options.OutputFolder.isEmpty())
    Refuse(QStringLiteral("no output folder: --output FOLDER is needed"));
  Options.Files = Parser.positionalArguments();
  if (Options.Files.isEmpty())
    Refuse(QStringLiteral("no picture FILE given"));
}

} // namespace

QString BatchVersionText() { return QStringLiteral("zelvane-batch " ZELVANE_VERSION); }

TBatchCommand ParseBatchCommand(const QStringList &Arguments) {
  QCommandLineParser Parser;
  const TOptionSet Options;
  Options.AddTo(Parser);

  TBatchCommand Command;
  const bool Parsed = Parser.parse(Arguments);
  // Asked for help or the version, the rest of the line does not matter.
  if (Parser.isSet(Options.Help)) {
    Command.Action = TBatchAction::Help;
    Command.Text = QString::fromLatin1(HelpText);
    return Command;
  }
  if (Parser.isSet(Options.Version)) {
    Command.Action = TBatchAction::Version;
    Command.Text = BatchVersionText() + u'\n';
    return Command;
  }
  Command.Action = TBatchAction::Refuse;
  if (!Parsed) {
    Command.Text = Parser.errorText();
    return Command;
  }
  try {
    ReadSteps(Parser, Options, Command.Options.Steps);
    ReadRun(Parser, Options, Command.Options);
  } catch (const std::invalid_argument &Error) {
    Command.Text = QString::fromStdString(Error.what());
    return Command;
  }
  Command.Action = TBatchAction::Run;
  return Command;
}
