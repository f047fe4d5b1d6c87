#include "platform/systemmessage.h"

QString CleanSystemMessage(const QString &Text) {
  qsizetype End = Text.size();
  while (End > 0 && (Text[End - 1].unicode() <= u' ' || Text[End - 1] == u'.'))
    --End;
  return Text.left(End);
}
