#pragma once

#include <QString>

// The folder part of a file name, as the open and save folders are remembered: everything up
// to and including its last "/", or empty when there is none. Only "/" separates folders on
// this system; ":" and "\" are ordinary characters of a name.
//
//   "/home/ann/walls/sea.jpg"                  -> "/home/ann/walls/"
//   "/home/ann/Pictures/Screenshot 12:30.png"  -> "/home/ann/Pictures/"
//   "/home/ann/a\b.jpg"                        -> "/home/ann/"
//   "sea.jpg"                                  -> ""
QString FolderPartOf(const QString &FileName);

// The extension of a file name, by which a picture's decoder is chosen: the text after its
// last ".", provided that dot follows the last "/"; otherwise empty. ":" and "\" are
// ordinary characters of a name here.
QString PictureExtension(const QString &FileName);
