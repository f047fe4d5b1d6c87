#include "settings/integerrule.h"

#include <cstdint>

namespace {

int HexDigit(QChar C) {
  const char16_t U = C.unicode();
  if (U >= u'0' && U <= u'9')
    return U - u'0';
  if (U >= u'a' && U <= u'f')
    return U - u'a' + 10;
  if (U >= u'A' && U <= u'F')
    return U - u'A' + 10;
  return -1;
}

bool IsDecimalDigit(QChar C) { return C.unicode() >= u'0' && C.unicode() <= u'9'; }

} // namespace

bool TryStrToInt(const QString &Text, int &Value) {
  const qsizetype Length = Text.size();
  qsizetype I = 0;
  while (I < Length && Text[I] == u' ')
    ++I;

  bool Negative = false;
  if (I < Length && (Text[I] == u'+' || Text[I] == u'-')) {
    Negative = Text[I] == u'-';
    ++I;
  }

  bool Hex = false;
  if (I < Length && (Text[I] == u'$' || Text[I] == u'x' || Text[I] == u'X')) {
    Hex = true;
    I += 1;
  } else if (I + 1 < Length && Text[I] == u'0' && (Text[I + 1] == u'x' || Text[I + 1] == u'X')) {
    Hex = true;
    I += 2;
  }

  if (I >= Length)
    return false; // no digits at all

  if (Hex) {
    std::uint32_t Pattern = 0;
    for (; I < Length; ++I) {
      const int Digit = HexDigit(Text[I]);
      if (Digit < 0 || Pattern > 0x0FFFFFFFu)
        return false;
      Pattern = (Pattern << 4) | static_cast<std::uint32_t>(Digit);
    }
    // The sign applies to the bit pattern, modulo 2^32.
    if (Negative)
      Pattern = 0u - Pattern;
    Value = static_cast<int>(Pattern);
    return true;
  }

  // Accumulate the magnitude; -2147483648 is the one value whose magnitude exceeds INT32_MAX.
  const std::int64_t Limit = Negative ? 2147483648LL : 2147483647LL;
  std::int64_t Magnitude = 0;
  for (; I < Length; ++I) {
    if (!IsDecimalDigit(Text[I]))
      return false;
    Magnitude = Magnitude * 10 + (Text[I].unicode() - u'0');
    if (Magnitude > Limit)
      return false;
  }
  Value = static_cast<int>(Negative ? -Magnitude : Magnitude);
  return true;
}

int StrToIntDef(const QString &Text, int Default) {
  int Value = 0;
  return TryStrToInt(Text, Value) ? Value : Default;
}
