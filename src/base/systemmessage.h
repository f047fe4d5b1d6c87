#pragma once

#include <QString>

#include <exception>

// A system error text as messages show it: trailing spaces, control characters and full
// stops removed.
QString CleanSystemMessage(const QString &Text);

// The message of the innermost error of a chain of nested exceptions
// (std::throw_with_nested), as UTF-8 text.
QString InnermostMessage(const std::exception &Error);

// An error report's text: a full stop is appended unless the message is empty or already
// ends in a character whose code is at or below that of ".".
QString ErrorReportText(const QString &Message);

// The report's text for an error: "Out of memory" for std::bad_alloc, the innermost message
// of any other std::exception, "Unknown error" for anything else; then as above.
QString ErrorReportText(std::exception_ptr Error);
