#pragma once

#include <QString>

// A system error text as messages show it: trailing spaces, control characters and full
// stops removed.
QString CleanSystemMessage(const QString &Text);
