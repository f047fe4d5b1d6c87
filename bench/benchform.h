#pragma once

// The main window driven without a person: its open and save dialogs answer with names set
// beforehand, and the error report writes to standard error instead of showing a box.

#include "app/filedialogs.h"
#include "app/seams.h"
#include "app/zelvaneform.h"

#include <cstdio>
#include <memory>

// A file dialog that "chooses" Answer at once; an empty Answer cancels.
class TAnsweringDialog final : public TFileDialog {
public:
  TAnsweringDialog(QWidget *Owner, TKind Kind) : TFileDialog(Owner, Kind) {}
  QString Answer;

protected:
  bool Run() override {
    if (Answer.isEmpty())
      return false;
    FileName = Answer;
    return true;
  }
};

// The error report, printed; Count says whether anything went wrong.
class TPrintedErrors final : public TMessageSeam {
public:
  void ShowError(const QString &Caption, const QString &Text) override {
    std::fprintf(stderr, "%s: %s\n", qPrintable(Caption), qPrintable(Text));
    ++Count;
  }
  int Count = 0;
};

// Puts answering dialogs in the window's place; the window owns them.
struct TAnsweredDialogs {
  TAnsweringDialog *Open = nullptr;
  TAnsweringDialog *Save = nullptr;
};

inline TAnsweredDialogs AnswerDialogs(TZelvaneForm &Form) {
  TAnsweredDialogs Dialogs;
  auto Open = std::make_unique<TAnsweringDialog>(&Form, TFileDialog::TKind::Open);
  auto Save = std::make_unique<TAnsweringDialog>(&Form, TFileDialog::TKind::Save);
  Open->Filter = Form.OpenPictureDialog->Filter;
  Save->Filter = Form.SavePictureDialog->Filter;
  Save->DefaultExt = Form.SavePictureDialog->DefaultExt;
  Dialogs.Open = Open.get();
  Dialogs.Save = Save.get();
  Form.OpenPictureDialog = std::move(Open);
  Form.SavePictureDialog = std::move(Save);
  return Dialogs;
}

// Selects a fit mode as a click on its radio button does, so the window's handler runs. A
// mode already selected is left first, since selecting it again would change nothing.
inline void ChooseFitMode(TZelvaneForm &Form, int Index) {
  if (Form.StretchRadioGroup->ItemIndex() == Index)
    Form.StretchRadioGroup->SetItemIndex(Index == 0 ? 1 : 0);
  Form.StretchRadioGroup->SetItemIndex(Index);
}
