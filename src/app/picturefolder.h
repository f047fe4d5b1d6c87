#pragma once

#include <QString>

class TFileDialog;

// Where the open and save dialogs start while no folder is remembered for them: the user's
// pictures folder as the desktop names it (XDG_PICTURES_DIR in user-dirs.dirs, ~/Pictures
// by default) when it exists, else the home folder. With its trailing separator, as the
// remembered folders are kept.
QString DefaultPictureFolder();

// Where Dialog starts: in Remembered, the folder remembered for it, which also becomes the
// working folder; with none remembered, in DefaultPictureFolder, unless a name chosen
// earlier in this run (the dialog's FileName) brings its own folder.
void StartDialogIn(TFileDialog &Dialog, const QString &Remembered);
