#include "core/dialogs/FileFilter.h"

#include <QStringList>

TFilterRows TFilterRows::Parse(const QString &filter) {
  TFilterRows rows;
  const QStringList parts = filter.split(u'|');
  for (qsizetype i = 0; i < parts.size() && !rows.Full(); i += 2) {
    const QString desc = parts[i].trimmed();
    const QString pattern = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
    if (desc.isEmpty() && pattern.isEmpty())
      continue;
    rows.FRows << Clean({desc, pattern});
  }
  return rows;
}

QString TFilterRows::Build() const {
  QStringList parts;
  for (const TFilterRow &r : FRows) {
    QString desc = r.Description;
    if (!desc.contains(u'('))
      desc += QStringLiteral(" (") + r.Pattern + u')';
    parts << desc << r.Pattern;
  }
  return parts.join(u'|');
}

// A "|" would split the row when the filter is read again; an empty pattern would match nothing.
TFilterRow TFilterRows::Clean(const TFilterRow &r) {
  TFilterRow c{r.Description.trimmed(), r.Pattern.trimmed()};
  c.Description.remove(u'|');
  c.Pattern.remove(u'|');
  if (c.Pattern.isEmpty())
    c.Pattern = QStringLiteral("*.*");
  return c;
}

int TFilterRows::MoveUp(int row) {
  if (row < 1 || row >= Count())
    return -1;
  FRows.swapItemsAt(row, row - 1);
  return row - 1;
}

int TFilterRows::MoveDown(int row) {
  if (row < 0 || row + 1 >= Count())
    return -1;
  FRows.swapItemsAt(row, row + 1);
  return row + 1;
}

int TFilterRows::Remove(int row) {
  if (row < 0 || row >= Count())
    return -1;
  FRows.removeAt(row);
  return std::min(row, Count() - 1);
}

int TFilterRows::InsertBefore(int row, const TFilterRow &r) {
  if (Full())
    return -1;
  if (row < 0 || row > Count())
    row = Count();
  FRows.insert(row, Clean(r));
  return row;
}

int TFilterRows::Replace(int row, const TFilterRow &r) {
  if (row < 0 || row >= Count())
    return -1;
  FRows[row] = Clean(r);
  return row;
}

int TFilterRows::Enter(int row, const TFilterRow &r) {
  if ((row >= 0 && row < Count() - 1) || (Full() && row >= 0 && row < Count()))
    return Replace(row, r);
  return InsertBefore(Count(), r);
}
