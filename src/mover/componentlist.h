#pragma once

#include <QList>
#include <QObject>

// An ordered list of components that does not own them. A listed component that is destroyed
// drops out by itself (every occurrence of it), and ItemRemoved tells at which index, so that
// arrays kept in step with the list can drop the same entry.
class TComponentList : public QObject {
  Q_OBJECT
public:
  TComponentList() = default;

  // Appends Item; the same component may be listed more than once.
  void Add(QObject *Item);
  int Count() const { return static_cast<int>(FItems.size()); }
  QObject *Items(int Index) const { return FItems.at(Index); }
  int IndexOf(const QObject *Item) const;

signals:
  // Emitted once per dropped occurrence, after it left the list; occurrences go from the last
  // to the first, so each index is valid at the moment it is reported.
  void ItemRemoved(int Index);

private:
  void Dropped(QObject *Item);

  QList<QObject *> FItems;
};
