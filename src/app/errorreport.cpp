#include "app/errorreport.h"
#include "app/seams.h"

#include <QCoreApplication>

QString InnermostMessage(const std::exception &Error) {
  try {
    std::rethrow_if_nested(Error);
  } catch (const std::exception &Inner) {
    return InnermostMessage(Inner);
  } catch (...) {
  }
  return QString::fromUtf8(Error.what());
}

QString ErrorReportText(const QString &Message) {
  if (!Message.isEmpty() && Message.back() > QChar(u'.'))
    return Message + u'.';
  return Message;
}

void ReportException(std::exception_ptr Error) {
  QString Message;
  try {
    std::rethrow_exception(Error);
  } catch (const EAbort &) {
    return;
  } catch (const std::bad_alloc &) {
    Message = QStringLiteral("Out of memory");
  } catch (const std::exception &Failure) {
    Message = InnermostMessage(Failure);
  } catch (...) {
    Message = QStringLiteral("Unknown error");
  }
  MessageSeam().ShowError(QCoreApplication::applicationName(), ErrorReportText(Message));
}
