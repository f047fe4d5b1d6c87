#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSettings>
#include <QString>

// The artwork's parameters, read from an INI file kept next to the painting code
// (artwork.ini): sizes, the screen's place in the photograph, colours, texts, seeds.
// Every getter throws std::runtime_error naming the key when it is missing or malformed,
// so the file stays the one place where these numbers live.
class TArtworkParams {
public:
  explicit TArtworkParams(const QString &Path);

  double Number(const QString &Key) const;
  int Integer(const QString &Key) const;
  QString Text(const QString &Key) const;
  // "#rrggbb" or "#aarrggbb".
  QColor Color(const QString &Key) const;
  // "a, b, c, ...": any count of numbers.
  QList<double> List(const QString &Key) const;
  // "x, y".
  QPointF Point(const QString &Key) const;
  // "x, y, width, height".
  QRectF Rect(const QString &Key) const;

private:
  QList<double> Numbers(const QString &Key, qsizetype Count) const;
  QString Raw(const QString &Key) const;

  QString FPath;
  QSettings FSettings;
};
