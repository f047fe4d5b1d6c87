#include "app/errorreport.h"
#include "app/seams.h"

#include <QCoreApplication>

void ReportException(std::exception_ptr Error) {
  try {
    std::rethrow_exception(Error);
  } catch (const EAbort &) {
    return;
  } catch (...) {
  }
  MessageSeam().ShowError(QCoreApplication::applicationName(), ErrorReportText(Error));
}
