#include "base/systemmessage.h"

#include <new>

QString CleanSystemMessage(const QString &Text) {
  qsizetype End = Text.size();
  while (End > 0 && (Text[End - 1].unicode() <= u' ' || Text[End - 1] == u'.'))
    --End;
  return Text.left(End);
}

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

QString ErrorReportText(std::exception_ptr Error) {
  QString Message;
  try {
    std::rethrow_exception(Error);
  } catch (const std::bad_alloc &) {
    Message = QStringLiteral("Out of memory");
  } catch (const std::exception &Failure) {
    Message = InnermostMessage(Failure);
  } catch (...) {
    Message = QStringLiteral("Unknown error");
  }
  return ErrorReportText(Message);
}
