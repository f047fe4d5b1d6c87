#pragma once

// What the window can do to a picture's place and pixels, as plain values, for code that
// names a step without taking it (a command line, a setting). The steps themselves are the
// picture library's: the box sizes in picture/fitzoom.h, the pixels in picture/transform.h.

// The fit modes, numbered like the items of the fit-mode radio group.
enum class TFitMode { None = 0, Stretch = 1, MaxWidth = 2, MaxHeight = 3 };

// The quarter turns and mirrors: LeftRotate a quarter turn anticlockwise, RightRotate one
// clockwise, TopMirror top to bottom, LeftMirror left to right.
enum class TTransform { LeftRotate, RightRotate, TopMirror, LeftMirror };
