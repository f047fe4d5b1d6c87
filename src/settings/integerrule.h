#pragma once

#include <QString>

// The integer rule of the settings file, as the classic Pascal run-time library reads numbers:
//
//   [spaces] [+|-] ( decimal digits | ("$" | "x" | "X" | "0x" | "0X") hexadecimal digits )
//
// with nothing after the digits. A decimal value must fit a signed 32-bit integer. A hexadecimal
// value must fit 32 bits and stands for that bit pattern ("$FFFFFFFF" is -1); a minus sign
// negates the pattern with wrap-around ("-$FFFFFFFF" is 1). Only ASCII digits count. Returns
// false, leaving Value alone, for anything else, the empty text included.
bool TryStrToInt(const QString &Text, int &Value);

// TryStrToInt, or Default where the text is no integer.
int StrToIntDef(const QString &Text, int Default);
