#pragma once

// The public test pictures of tests/data, found through ZELVANE_TESTDATA, which every test
// executable is built with.

#include <QString>

// A file or folder of tests/data by its path there ("gif/giflib/porsche.gif").
inline QString TestData(const QString &Path) {
  return QStringLiteral(ZELVANE_TESTDATA "/") + Path;
}
