#include "artworkparams.h"

#include <QFileInfo>

#include <stdexcept>

TArtworkParams::TArtworkParams(const QString &Path)
    : FPath(Path), FSettings(Path, QSettings::IniFormat) {
  if (!QFileInfo::exists(Path))
    throw std::runtime_error(QStringLiteral("%1: no such file").arg(Path).toStdString());
}

QString TArtworkParams::Raw(const QString &Key) const {
  const QVariant Value = FSettings.value(Key);
  if (!Value.isValid())
    throw std::runtime_error(QStringLiteral("%1: missing key %2").arg(FPath, Key).toStdString());
  // QSettings splits "1, 2, 3" into a list; join it back.
  return Value.typeId() == QMetaType::QStringList ? Value.toStringList().join(',')
                                                  : Value.toString();
}

QList<double> TArtworkParams::List(const QString &Key) const {
  QList<double> Values;
  for (const QString &Part : Raw(Key).split(',')) {
    bool Ok = false;
    Values.append(Part.trimmed().toDouble(&Ok));
    if (!Ok)
      throw std::runtime_error(
          QStringLiteral("%1: key %2 holds a non-number").arg(FPath, Key).toStdString());
  }
  return Values;
}

QList<double> TArtworkParams::Numbers(const QString &Key, qsizetype Count) const {
  const QList<double> Values = List(Key);
  if (Values.size() != Count)
    throw std::runtime_error(
        QStringLiteral("%1: key %2 needs %3 numbers").arg(FPath, Key).arg(Count).toStdString());
  return Values;
}

double TArtworkParams::Number(const QString &Key) const { return Numbers(Key, 1)[0]; }

int TArtworkParams::Integer(const QString &Key) const { return int(Number(Key)); }

QString TArtworkParams::Text(const QString &Key) const { return Raw(Key); }

QColor TArtworkParams::Color(const QString &Key) const {
  const QColor Value = QColor::fromString(Raw(Key).trimmed());
  if (!Value.isValid())
    throw std::runtime_error(
        QStringLiteral("%1: key %2 is not a colour").arg(FPath, Key).toStdString());
  return Value;
}

QPointF TArtworkParams::Point(const QString &Key) const {
  const QList<double> V = Numbers(Key, 2);
  return {V[0], V[1]};
}

QRectF TArtworkParams::Rect(const QString &Key) const {
  const QList<double> V = Numbers(Key, 4);
  return {V[0], V[1], V[2], V[3]};
}
