#pragma once

#include <functional>

// How a handler hides the mover's eight resize nodes (the window binds it to the mover's
// SetNodesVisible(false)). An empty function hides nothing.
using THideNodes = std::function<void()>;

inline void HideNodes(const THideNodes &Hide) {
  if (Hide)
    Hide();
}
