#pragma once

#include "base/systemmessage.h"

#include <QString>

#include <exception>

// The silent error: it ends a handler without any report.
class EAbort : public std::exception {
public:
  const char *what() const noexcept override { return "Operation aborted"; }
};

// Shows the application's error report for an escaped exception: a message box captioned
// with the application title, whose text is ErrorReportText(Error) (systemmessage.h). An
// EAbort shows nothing.
void ReportException(std::exception_ptr Error);

// Runs Step, reporting any error that escapes it. Qt must never see an exception: every
// handler reached from a signal goes through here.
template <class F> void RunHandler(F &&Step) {
  try {
    Step();
  } catch (...) {
    ReportException(std::current_exception());
  }
}
