#pragma once

#include <QString>

#include <exception>

// The silent error: it ends a handler without any report.
class EAbort : public std::exception {
public:
  const char *what() const noexcept override { return "Operation aborted"; }
};

// The message of the innermost error of a chain of nested exceptions
// (std::throw_with_nested), as UTF-8 text.
QString InnermostMessage(const std::exception &Error);

// The report's text: a full stop is appended unless the message is empty or already ends
// in a character whose code is at or below that of ".".
QString ErrorReportText(const QString &Message);

// Shows the application's error report for an escaped exception: a message box captioned
// with the application title. An EAbort shows nothing.
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
