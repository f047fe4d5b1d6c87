#include "batch/options/outputnames.h"

#include "base/filename.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

QString BaseNameOf(const QString &Input) {
  const QString Name = QFileInfo(Input).fileName();
  const QString Extension = PictureExtension(Name);
  return Extension.isEmpty() && !Name.endsWith(u'.')
             ? Name
             : Name.left(Name.size() - Extension.size() - 1);
}

} // namespace

QStringList WallpaperNames(const QStringList &Inputs, const QString &Folder) {
  const QDir Dir(Folder);
  QSet<QString> Taken;
  QStringList Names;
  Names.reserve(Inputs.size());
  for (const QString &Input : Inputs) {
    const QString Base = BaseNameOf(Input);
    QString Name = Base + QStringLiteral(".jpg");
    for (int Number = 2; Taken.contains(Name); ++Number)
      Name = QStringLiteral("%1-%2.jpg").arg(Base).arg(Number);
    Taken.insert(Name);
    Names.append(Dir.filePath(Name));
  }
  return Names;
}
