#pragma once
// The rows of a file-dialog filter ("HTML document|*.htm;*.html|all|*.*") as the filter dialog
// edits them.
#include <QList>
#include <QString>

struct TFilterRow {
  QString Description;
  QString Pattern;
  bool operator==(const TFilterRow &) const = default;
};

class TFilterRows {
public:
  static constexpr int MaxRows = 14;

  // Descriptions and patterns alternate, separated by "|"; a description without pattern gets
  // "*.*"; rows beyond MaxRows are dropped.
  static TFilterRows Parse(const QString &filter);
  // Each row as description (followed by " (" pattern ")" unless it already holds a "("), "|",
  // pattern; rows joined by "|".
  QString Build() const;

  const QList<TFilterRow> &Rows() const { return FRows; }
  int Count() const { return int(FRows.size()); }
  bool Full() const { return Count() >= MaxRows; }

  // Each returns the row to select afterwards, or -1 when nothing changed.
  int MoveUp(int row);
  int MoveDown(int row);
  int Remove(int row);
  int InsertBefore(int row, const TFilterRow &r); // row == Count() (or none) appends
  int Replace(int row, const TFilterRow &r);
  // Enter in the pattern field: replaces the selected row when it lies above the last one or the
  // list is full; otherwise appends a new last row.
  int Enter(int row, const TFilterRow &r);

private:
  static TFilterRow Clean(const TFilterRow &r);
  QList<TFilterRow> FRows;
};
