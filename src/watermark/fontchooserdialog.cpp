#include "watermark/fontchooserdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

struct TNamedColor {
  const char *Name;
  TColor Color; // 0x00BBGGRR
};

// The basic colours a font's colour box offers.
constexpr TNamedColor BasicColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
    {"Navy", 0x800000},   {"Purple", 0x800080},  {"Teal", 0x808000},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF},
};

QIcon Swatch(TColor Color) {
  QPixmap Pixmap(16, 12);
  Pixmap.fill(ToQColor(Color));
  return QIcon(Pixmap);
}

// The whole points the dialog shows for a record's height (at least 1).
int PointSizeOf(const TFont &Font) {
  const int Pixels = Font.ToQFont().pixelSize();
  return std::max(1, static_cast<int>(std::lround(Pixels * 72.0 / 96.0)));
}

// The face's own style nearest to the record's bold and italic flags. Qt's dialog would
// otherwise take the first style listed whenever none is called "Normal" (a face whose upright
// style is "Book" opened as "Oblique"). Width variants rank behind the face's normal width.
QString NearestStyle(const QString &Family, bool Bold, bool Italic) {
  const int Wanted = Bold ? QFont::Bold : QFont::Normal;
  QString Best;
  int BestScore = 0;
  for (const QString &Style : QFontDatabase::styles(Family)) {
    const QFont Face = QFontDatabase::font(Family, Style, 12);
    int Score = std::abs(Face.weight() - Wanted);
    if (Face.italic() != Italic)
      Score += 10000;
    if (Style.contains(QLatin1String("Condensed"), Qt::CaseInsensitive) ||
        Style.contains(QLatin1String("Narrow"), Qt::CaseInsensitive) ||
        Style.contains(QLatin1String("Expanded"), Qt::CaseInsensitive))
      Score += 50;
    if (Best.isEmpty() || Score < BestScore || (Score == BestScore && Style.size() < Best.size())) {
      Best = Style;
      BestScore = Score;
    }
  }
  return Best;
}

} // namespace

TFontChooserDialog::TFontChooserDialog(QWidget *Parent)
    : QDialog(Parent), FFontDialog(new QFontDialog(this)), FColorBox(new QComboBox(this)) {
  setWindowTitle(tr("Font"));
  FFontDialog->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  FFontDialog->setWindowFlags(Qt::Widget);
  // Embedded, it is no window to be sized by its corner.
  FFontDialog->setSizeGripEnabled(false);
  // Qt's sample is the one line edit inside a group box; choosing a writing system puts that
  // system's sample text in it, which the watermark's text replaces again.
  for (QLineEdit *Edit : FFontDialog->findChildren<QLineEdit *>())
    if (qobject_cast<QGroupBox *>(Edit->parentWidget()))
      FSample = Edit;
  if (FSample) {
    FOwnSampleText = FSample->text();
    for (QComboBox *WritingSystems : FFontDialog->findChildren<QComboBox *>())
      connect(WritingSystems, &QComboBox::activated, this, [this] { ShowSampleText(); });
  }

  for (const TNamedColor &Entry : BasicColors)
    FColorBox->addItem(Swatch(Entry.Color), tr(Entry.Name), Entry.Color);
  // Sized to the longest name whenever the entries or the font change, not only once.
  FColorBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  connect(FColorBox, &QComboBox::activated, this, [this] { FColorPicked = true; });
  connect(FColorBox, &QComboBox::currentIndexChanged, this, [this] { ShowSampleColor(); });

  auto *Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto *ColorLabel = new QLabel(tr("&Colour:"), this);
  ColorLabel->setBuddy(FColorBox);
  auto *Bottom = new QHBoxLayout;
  Bottom->addWidget(ColorLabel);
  Bottom->addWidget(FColorBox);
  Bottom->addStretch();
  Bottom->addWidget(Buttons);

  auto *Layout = new QVBoxLayout(this);
  Layout->addWidget(FFontDialog);
  Layout->addLayout(Bottom);
}

void TFontChooserDialog::SetInitialFont(const TFont &Font) {
  FInitial = Font;
  QFont Shown = Font.ToQFont();
  Shown.setPointSize(PointSizeOf(Font));
  Shown.setStyleName(NearestStyle(Shown.family(), Font.Style & fsBold, Font.Style & fsItalic));
  FFontDialog->setCurrentFont(Shown);
  FShownFamily = FFontDialog->currentFont().family();
  FShownPointSize = FFontDialog->currentFont().pointSize();
  SelectColor(ColorToRGB(Font.Color));
  FColorPicked = false;
  ShowSampleColor();
}

void TFontChooserDialog::SetSampleText(const QString &Text) {
  FSampleText = Text;
  ShowSampleText();
}

void TFontChooserDialog::ShowSampleText() {
  if (FSample)
    FSample->setText(FSampleText.isEmpty() ? FOwnSampleText : FSampleText);
}

void TFontChooserDialog::ShowSampleColor() {
  if (!FSample)
    return;
  const QColor Color = ToQColor(FColorBox->currentData().toInt());
  QPalette Palette = FSample->palette();
  Palette.setColor(QPalette::Text, Color);
  // White or yellow letters on the white box would not show.
  Palette.setColor(QPalette::Base,
                   qGray(Color.rgb()) > 200 ? QColor(64, 64, 64) : QColor(Qt::white));
  FSample->setPalette(Palette);
}

void TFontChooserDialog::SelectColor(TColor Plain) {
  // A colour that is not a basic one gets an entry of its own at the top, for this use only.
  const int Basic = static_cast<int>(std::size(BasicColors));
  while (FColorBox->count() > Basic)
    FColorBox->removeItem(0);
  int Index = FColorBox->findData(Plain);
  if (Index < 0) {
    FColorBox->insertItem(0, Swatch(Plain), tr("Custom"), Plain);
    Index = 0;
  }
  FColorBox->setCurrentIndex(Index);
}

TFontChoice TFontChooserDialog::Choice() const {
  const QFont Chosen = FFontDialog->currentFont();
  TFontChoice Result;
  const bool FaceChanged = Chosen.family() != FShownFamily;
  Result.Name = FaceChanged ? Chosen.family() : FInitial.Name;
  if (Chosen.pointSize() == FShownPointSize || Chosen.pointSize() <= 0) {
    Result.Height = FInitial.Height;
  } else {
    TFont Sized;
    Sized.SetSize(Chosen.pointSize());
    Result.Height = Sized.Height;
  }
  Result.Style = (Chosen.weight() > QFont::Normal ? fsBold : 0u) |
                 (Chosen.italic() ? fsItalic : 0u) | (Chosen.underline() ? fsUnderline : 0u) |
                 (Chosen.strikeOut() ? fsStrikeOut : 0u);
  // Qt chooses glyphs per character, so any face drawn here covers every script it has: a new
  // face takes the default character set.
  Result.CharsetChanged = FaceChanged;
  Result.Charset = DEFAULT_CHARSET;
  Result.ColorPicked = FColorPicked;
  Result.Color = FColorBox->currentData().toInt();
  return Result;
}
