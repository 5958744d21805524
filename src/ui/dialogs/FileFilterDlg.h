#pragma once
// The file filter dialog: the description/pattern rows of an open-dialog filter, edited in a grid.
#include "core/dialogs/FileFilter.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTableWidget;

class TFileFilterDialog : public QDialog {
  Q_OBJECT
public:
  explicit TFileFilterDialog(QWidget *parent = nullptr);

  // An empty title keeps "File filter dialog". On OK filter is rebuilt from the rows in order.
  bool Execute(const QString &title, QString &filter, QPoint pos = {-1, -1});

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void ShowRows(int select);
  void RowSelected();
  TFilterRow EditRow() const;
  int Current() const;
  void Apply(int select);

  TFilterRows FRows;
  QTableWidget *sgFilter;
  QLineEdit *edDescription, *edFilter;
  QPushButton *btnUp, *btnDown, *btnRemove, *btnAdd, *btnReplace;
};
