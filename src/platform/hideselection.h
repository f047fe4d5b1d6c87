#pragma once

#include <functional>

// What a handler calls before it changes a control the user may have selected, so that the
// marks around the selection get out of the way. The caller decides what the marks are (the
// window binds the mover's resize nodes); an empty function hides nothing.
using THideSelection = std::function<void()>;

inline void HideSelection(const THideSelection &Hide) {
  if (Hide)
    Hide();
}
