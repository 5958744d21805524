#include "ui/dialogs/DateDlg.h"
#include "core/common/Translate.h"
#include "core/dialogs/DateFormats.h"
#include "ui/dialogs/DialogUtils.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

TDateDialog::TDateDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("DateDialog"));
  setWindowTitle(_("Select date and format"));
  auto *layout = new QVBoxLayout(this);
  lbFormats = new QListWidget(this);
  lbFormats->setObjectName(QStringLiteral("lbFormats"));
  lbFormats->setSelectionMode(QAbstractItemView::SingleSelection);
  lbFormats->setMinimumWidth(280);
  connect(lbFormats, &QListWidget::currentRowChanged, this, &TDateDialog::FormatChanged);
  connect(lbFormats, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  layout->addWidget(lbFormats);
  dtpDate = new QDateEdit(this);
  dtpDate->setObjectName(QStringLiteral("dtpDate"));
  dtpDate->setCalendarPopup(true);
  layout->addWidget(dtpDate);
  layout->addWidget(AddOkCancel(this));
}

void TDateDialog::FormatChanged() {
  const int row = lbFormats->currentRow();
  if (row >= 0 && row < DateFormatCount)
    dtpDate->setDisplayFormat(QString::fromLatin1(DateFormats[row].Display));
}

bool TDateDialog::Execute(int &formatIndex, QString &dateText, const QLocale &locale, QPoint pos) {
  const QDate today = FToday.isValid() ? FToday : QDate::currentDate();
  if (formatIndex >= 0 && formatIndex < DateFormatCount)
    FIndex = formatIndex;
  lbFormats->clear();
  for (int i = 0; i < DateFormatCount; ++i)
    lbFormats->addItem(DateFormatCaption(today, i, locale));
  dtpDate->setLocale(locale);
  const QDate given = ReadShortDate(dateText, locale, today);
  dtpDate->setDate(given.isValid() ? given : today);
  lbFormats->setCurrentRow(FIndex);
  FormatChanged();
  lbFormats->setFocus();
  PlaceDialog(this, pos);
  if (exec() != QDialog::Accepted)
    return false;
  FIndex = std::max(0, lbFormats->currentRow());
  dateText = FormatDateIndex(dtpDate->date(), FIndex, locale);
  formatIndex = FIndex;
  return true;
}
