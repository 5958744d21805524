#pragma once
// Document ids in order of use, most recently used first.
#include <QList>

class TIdList {
public:
  void Clear();
  int NewId() { return ++IdNr; }
  int IndexOf(int id) const { return int(fList.indexOf(id)); }
  void Add(int id);      // to the front, inserted when absent
  int Remove(int id);    // the id now at the front, 0 when empty
  int Next();            // last id to the front; 0 (nothing changed) with fewer than two
  int Previous();        // first id to the end, returns the new front; 0 with fewer than two
  int Front() const { return fList.isEmpty() ? 0 : fList.first(); }
  int Count() const { return int(fList.size()); }
  const QList<int> &Ids() const { return fList; }

private:
  QList<int> fList;
  int IdNr = 0;
};
