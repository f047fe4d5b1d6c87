#pragma once

#include <QString>

// Where the open and save dialogs start while no folder is remembered for them: the user's
// pictures folder as the desktop names it (XDG_PICTURES_DIR in user-dirs.dirs, ~/Pictures
// by default) when it exists, else the home folder. With its trailing separator, as the
// remembered folders are kept.
QString DefaultPictureFolder();
