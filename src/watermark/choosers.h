#pragma once

#include "platform/font.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>

// The two choosers the watermark handlers run, as seams: the window owns real ones on Qt's
// dialogs; tests hand in their own.

class TFontChooser {
public:
  virtual ~TFontChooser() = default;
  // Opens modally on Font. On confirm, writes the choice back into Font and returns true:
  // face name, height and style always; the character set only when the user picked another
  // face or script; the colour only when the user picked one in the colour box. On cancel,
  // returns false and leaves Font alone.
  virtual bool Execute(TFont &Font) = 0;

  // The text the chooser's sample shows, as the watermark shows it; empty for the chooser's
  // own sample.
  QString SampleText;
};

class TColorChooser {
public:
  virtual ~TColorChooser() = default;
  // Opens modally on Color (a system colour is shown as its current plain value). On confirm,
  // sets Color to the chosen plain colour 0x00BBGGRR and returns true; on cancel, returns false
  // and leaves Color alone.
  virtual bool Execute(TColor &Color) = 0;
};

// What the user left in the font chooser when confirming it.
struct TFontChoice {
  QString Name;
  int Height = -11;
  TFontStyles Style = 0;
  bool CharsetChanged = false;
  int Charset = DEFAULT_CHARSET;
  bool ColorPicked = false;
  TColor Color = clBlack;
};

// The write-back rule of a confirmed font chooser.
void ApplyFontChoice(TFont &Font, const TFontChoice &Choice);

class TFontChooserDialog;

// The font chooser on Qt's font dialog (every installed face is offered), with a colour box
// of the 16 basic colours added. Its dialog is made at the first Execute, as a child of
// Parent (building it lists every installed face, too slow to do while the window starts),
// and lives until this object or Parent goes. Qt's dialog takes whole point sizes from 1
// to 512.
class TQtFontChooser : public TFontChooser {
public:
  explicit TQtFontChooser(QWidget *Parent);
  ~TQtFontChooser() override;
  TQtFontChooser(const TQtFontChooser &) = delete;
  TQtFontChooser &operator=(const TQtFontChooser &) = delete;

  bool Execute(TFont &Font) override;

private:
  QPointer<QWidget> FParent;
  bool FHasParent;
  bool FMade = false;
  QPointer<TFontChooserDialog> FDialog;
};

// The colour chooser on Qt's colour dialog. Its 16 custom colours start empty (white, as the
// dialog shows an unused slot); those the user defines are taken over when the dialog is
// confirmed and offered again at the next use, for as long as this object lives. Qt's dialog
// always shows its custom-colour part; it has no smaller form.
class TQtColorChooser : public TColorChooser {
public:
  explicit TQtColorChooser(QWidget *Parent);

  bool Execute(TColor &Color) override;

private:
  static constexpr int CustomColorCount = 16;
  QPointer<QWidget> FParent;
  std::array<QColor, CustomColorCount> FCustomColors;
};

// The real choosers, for the window that owns them.
std::unique_ptr<TFontChooser> CreateFontChooser(QWidget *Parent);
std::unique_ptr<TColorChooser> CreateColorChooser(QWidget *Parent);
