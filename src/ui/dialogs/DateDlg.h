#pragma once
// The date dialog: one of seven formats and a date from a picker. Kept for the program's
// lifetime so that the format chosen last is offered again.
#include <QDate>
#include <QDialog>
#include <QLocale>

class QDateEdit;
class QListWidget;

class TDateDialog : public QDialog {
  Q_OBJECT
public:
  explicit TDateDialog(QWidget *parent = nullptr);

  // formatIndex 0..6 selects that format (another value keeps the last choice); dateText is read
  // in the locale's short date format (today when it does not read). On OK dateText is the picked
  // date in the chosen format, with month names of locale, and formatIndex the chosen index.
  bool Execute(int &formatIndex, QString &dateText, const QLocale &locale, QPoint pos = {-1, -1});

  // The day the list shows and the picker falls back to; the current date unless a test sets it.
  void SetToday(QDate today) { FToday = today; }

private:
  void FormatChanged();
  QListWidget *lbFormats;
  QDateEdit *dtpDate;
  int FIndex = 0;
  QDate FToday;
};
