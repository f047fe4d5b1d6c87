#pragma once

// The message of the error a piece of work throws, for comparing with the text the user sees.

#include <QString>

#include <stdexcept>

// Runs Work and returns the message it threw, or a note that it threw nothing.
template <class F> QString MessageOf(F &&Work) {
  try {
    Work();
  } catch (const std::runtime_error &E) {
    return QString::fromUtf8(E.what());
  }
  return QStringLiteral("(no error)");
}
