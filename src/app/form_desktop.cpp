// The window's part in the desktop beyond its own layout: names for assistive technology and
// the desktop's standard keys.
#include "picture/image.h"
#include "watermark/watermarklabel.h"
#include "app/zelvaneform.h"

#include <QKeySequence>
#include <QShortcut>

#include <utility>

void TZelvaneForm::NameControls() {
  // Captioned controls are named by their captions (the accelerator's ampersand dropped);
  // these have none, or one that says too little. There are no tool tips.
  const std::pair<QWidget *, const char *> Names[] = {
      {ZelvaneImage, "Console photograph"},
      {Panel, "Wallpaper frame"},
      {Image, "Picture"},
      {WatermarkLabel, "Watermark"},
      {ControlPanel, "Tools"},
      {ZoomTrackBar, "Zoom"},
      {WatermarkEdit, "Watermark text"},
      {FontSpeedButton, "Font"},
      {ColorSpeedButton, "Colour"},
      {LeftRotateSpeedButton, "Rotate left"},
      {RightRotateSpeedButton, "Rotate right"},
      {TopSpeedButton, "Mirror top to bottom"},
      {LeftSpeedButton, "Mirror left to right"},
      {QualityTrackBar, "Wallpaper Quality"},
      {Panel1, "Banner"},
      {Image1, "Zelvane"},
  };
  for (const auto &[Control, Name] : Names)
    Control->setAccessibleName(QString::fromLatin1(Name));
}

void TZelvaneForm::AddStandardShortcuts() {
  // Beside the accelerators, the keys every program on the desktop answers to: they press the
  // same buttons, wherever the focus is in the window, the edit box included (no standard key
  // is one the edit box takes for itself). Quit and Close both close the window; their keys
  // are merged, since two shortcuts on one key would leave it to neither.
  const std::pair<QKeySequence::StandardKey, TSpeedButton *> Keys[] = {
      {QKeySequence::Open, OpenSpeedButton},
      {QKeySequence::Save, SaveSpeedButton},
      {QKeySequence::Quit, CloseSpeedButton},
      {QKeySequence::Close, CloseSpeedButton},
  };
  for (TSpeedButton *Button : {OpenSpeedButton, SaveSpeedButton, CloseSpeedButton}) {
    QList<QKeySequence> Sequences;
    for (const auto &[Key, Pressed] : Keys)
      if (Pressed == Button)
        for (const QKeySequence &Sequence : QKeySequence::keyBindings(Key))
          if (!Sequences.contains(Sequence))
            Sequences << Sequence;
    auto *Shortcut = new QShortcut(this);
    Shortcut->setKeys(Sequences);
    Shortcut->setContext(Qt::WindowShortcut);
    connect(Shortcut, &QShortcut::activated, Button, [Button] {
      if (Button->isEnabled())
        Button->click();
    });
  }
}
