#include "mover/componentlist.h"

void TComponentList::Add(QObject *Item) {
  if (!Item)
    return;
  // One notification per component, however often it is listed.
  if (!FItems.contains(Item))
    connect(Item, &QObject::destroyed, this, [this, Item] { Dropped(Item); });
  FItems.append(Item);
}

int TComponentList::IndexOf(const QObject *Item) const {
  for (int I = 0; I < Count(); ++I)
    if (FItems.at(I) == Item)
      return I;
  return -1;
}

void TComponentList::Dropped(QObject *Item) {
  // Item is half destroyed by now: only its address is used.
  for (int I = Count() - 1; I >= 0; --I) {
    if (FItems.at(I) != Item)
      continue;
    FItems.removeAt(I);
    emit ItemRemoved(I);
  }
}
