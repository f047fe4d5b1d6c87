#pragma once

// What a test that drives the main window stands on: answering dialogs and choosers in place
// of the modal ones, a recording error report, a fake system pointer, and a scratch folder for
// the window's settings file. The window's own tests and the batch program's tests, which
// compare its files with the window's, both use it.

#include "app/filedialogs.h"
#include "app/seams.h"
#include "app/zelvaneform.h"
#include "support/fakecursor.h"
#include "watermark/choosers.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The error report's texts, in the order they would have been shown.
class TRecordingMessages final : public TMessageSeam {
public:
  void ShowError(const QString &, const QString &Text) override { Shown << Text; }
  QStringList Shown;
};

// An open or save dialog answered by the test. Answer is the full file name "chosen"; an
// empty one cancels. Each run records what the window had set up for it.
//
// With Typing set, a run goes through the Qt dialog the window would show, never shown:
// Answer (if not empty) is typed into its name field, else the proposal stays as it is, and
// the name is confirmed there. Where the dialog stays open (a question answered "No", a
// folder's name), the user then cancels.
class TAnsweringFileDialog final : public TFileDialog {
public:
  struct TRun {
    QString Filter;
    int FilterIndex = 0;
    QString InitialDir;
    QString ProposedName;
    QString DefaultExt;
    QString CurrentDir;
  };

  TAnsweringFileDialog(QWidget *Owner, TKind Kind) : TFileDialog(Owner, Kind) {}

  QString Answer;
  QList<TRun> Runs;
  bool Typing = false;
  // The answer to the question before an existing file is replaced, and the names asked about.
  bool Replace = false;
  QStringList Questions;

protected:
  bool Run() override {
    Runs << TRun{Filter, FilterIndex, InitialDir, FileName, DefaultExt, QDir::currentPath()};
    if (Typing) {
      const std::unique_ptr<QFileDialog> Dialog = CreateDialog();
      if (!Answer.isEmpty())
        Dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(Answer);
      // As the dialog's Save or Open button does it.
      static_cast<QDialog *>(Dialog.get())->accept();
      if (Dialog->result() != QDialog::Accepted)
        return false;
      TakeChoice(*Dialog);
      return true;
    }
    if (Answer.isEmpty())
      return false;
    FileName = Answer;
    return true;
  }

  bool ConfirmReplace(QWidget *, const QString &Name) override {
    Questions << Name;
    return Replace;
  }
};

// The font chooser: records the font it was opened on; a confirmed run hands back Choice.
class TAnsweringFontChooser final : public TFontChooser {
public:
  bool Confirm = true;
  TFont Choice;
  QList<TFont> OpenedOn;

  bool Execute(TFont &Font) override {
    OpenedOn << Font;
    if (!Confirm)
      return false;
    Font = Choice;
    return true;
  }
};

class TAnsweringColorChooser final : public TColorChooser {
public:
  bool Confirm = true;
  TColor Choice = 0;
  QList<TColor> OpenedOn;

  bool Execute(TColor &Color) override {
    OpenedOn << Color;
    if (!Confirm)
      return false;
    Color = Choice;
    return true;
  }
};

// What a window test stands on: a scratch folder that holds the window's settings file, and
// the error report and the system pointer answered by the recorders above. A test class
// derives from it beside QObject, calls InstallSeams() from initTestCase and ResetSeams()
// from init; ShowAnsweredForm() gives it a window whose dialogs the test answers.
class TWindowTestSeams {
protected:
  bool InstallSeams() {
    if (!FDir.isValid())
      return false;
    TZelvaneForm::SetSettingsFileName(FDir.filePath("Zelvane.ini"));
    SetMessageSeam(&FMessages);
    SetCursorSeam(&FCursor);
    return true;
  }

  // Each test starts as on a first run: no settings file, nothing reported, in the working
  // folder the tests started in.
  void ResetSeams() {
    QFile::remove(FDir.filePath("Zelvane.ini"));
    FMessages.Shown.clear();
    QDir::setCurrent(FStartDir);
  }

  // A new main window in FForm, shown, with the answering open and save dialogs and font and
  // colour choosers in place of its own; the save dialog keeps the window's filter and
  // default extension. False when the window does not come on screen.
  bool ShowAnsweredForm() {
    FForm = std::make_unique<TZelvaneForm>();
    auto Open = std::make_unique<TAnsweringFileDialog>(FForm.get(), TFileDialog::TKind::Open);
    FOpen = Open.get();
    FForm->OpenPictureDialog = std::move(Open);
    auto Save = std::make_unique<TAnsweringFileDialog>(FForm.get(), TFileDialog::TKind::Save);
    Save->Filter = FForm->SavePictureDialog->Filter;
    Save->DefaultExt = FForm->SavePictureDialog->DefaultExt;
    FSave = Save.get();
    FForm->SavePictureDialog = std::move(Save);
    auto Fonts = std::make_unique<TAnsweringFontChooser>();
    FFonts = Fonts.get();
    FForm->FontDialog = std::move(Fonts);
    auto Colors = std::make_unique<TAnsweringColorChooser>();
    FColors = Colors.get();
    FForm->ColorDialog = std::move(Colors);
    FForm->show();
    return QTest::qWaitForWindowExposed(FForm.get());
  }

  QTemporaryDir FDir;
  const QString FStartDir = QDir::currentPath();
  TRecordingMessages FMessages;
  TFakeCursor FCursor;
  // Declared last so that it goes before the seams it uses.
  std::unique_ptr<TZelvaneForm> FForm;
  TAnsweringFileDialog *FOpen = nullptr;
  TAnsweringFileDialog *FSave = nullptr;
  TAnsweringFontChooser *FFonts = nullptr;
  TAnsweringColorChooser *FColors = nullptr;
};
