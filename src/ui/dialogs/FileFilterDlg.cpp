#include "ui/dialogs/FileFilterDlg.h"
#include "core/common/Translate.h"
#include "ui/dialogs/DialogUtils.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

TFileFilterDialog::TFileFilterDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FileFilterDialog"));
  setWindowTitle(_("File filter dialog"));
  auto *layout = new QVBoxLayout(this);
  auto *top = new QHBoxLayout;
  sgFilter = new QTableWidget(0, 2, this);
  sgFilter->setObjectName(QStringLiteral("sgFilter"));
  sgFilter->setHorizontalHeaderLabels({_("Description"), _("Filter")});
  sgFilter->horizontalHeader()->setStretchLastSection(true);
  sgFilter->horizontalHeader()->resizeSection(0, 220);
  sgFilter->verticalHeader()->hide();
  sgFilter->setSelectionBehavior(QAbstractItemView::SelectRows);
  sgFilter->setSelectionMode(QAbstractItemView::SingleSelection);
  sgFilter->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgFilter->setMinimumSize(440, 220);
  connect(sgFilter, &QTableWidget::currentCellChanged, this, &TFileFilterDialog::RowSelected);
  top->addWidget(sgFilter, 1);

  auto *side = new QVBoxLayout;
  auto makeButton = [this](QBoxLayout *into, QPushButton *&b, const char *name, const QString &text,
                           const char *hint) {
    b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    if (hint)
      b->setToolTip(_(hint));
    into->addWidget(b);
  };
  makeButton(side, btnUp, "btnUp", QString(), "Move one line up");
  btnUp->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
  makeButton(side, btnDown, "btnDown", QString(), "Move one line down");
  btnDown->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
  makeButton(side, btnRemove, "btnRemove", _("Remove from list"), nullptr);
  side->addStretch();
  top->addLayout(side);
  layout->addLayout(top);

  auto *form = new QFormLayout;
  edDescription = new QLineEdit(this);
  edDescription->setObjectName(QStringLiteral("edDescription"));
  edFilter = new QLineEdit(this);
  edFilter->setObjectName(QStringLiteral("edFilter"));
  form->addRow(_("Description:"), edDescription);
  form->addRow(_("Filter:"), edFilter);
  layout->addLayout(form);
  edDescription->installEventFilter(this);
  edFilter->installEventFilter(this);

  auto *row = new QHBoxLayout;
  makeButton(row, btnAdd, "btnAdd", _("Add to list"), nullptr);
  makeButton(row, btnReplace, "btnReplace", _("Replace in list"), nullptr);
  row->addStretch();
  layout->addLayout(row);
  layout->addWidget(AddOkCancel(this));

  connect(btnUp, &QPushButton::clicked, this, [this] { Apply(FRows.MoveUp(Current())); });
  connect(btnDown, &QPushButton::clicked, this, [this] { Apply(FRows.MoveDown(Current())); });
  connect(btnRemove, &QPushButton::clicked, this, [this] { Apply(FRows.Remove(Current())); });
  connect(btnAdd, &QPushButton::clicked, this, [this] { Apply(FRows.InsertBefore(Current(), EditRow())); });
  connect(btnReplace, &QPushButton::clicked, this, [this] { Apply(FRows.Replace(Current(), EditRow())); });
}

int TFileFilterDialog::Current() const {
  return sgFilter->currentRow();
}

TFilterRow TFileFilterDialog::EditRow() const {
  return {edDescription->text(), edFilter->text()};
}

void TFileFilterDialog::Apply(int select) {
  if (select >= 0)
    ShowRows(select);
}

void TFileFilterDialog::ShowRows(int select) {
  sgFilter->blockSignals(true);
  sgFilter->setRowCount(FRows.Count());
  for (int i = 0; i < FRows.Count(); ++i) {
    sgFilter->setItem(i, 0, new QTableWidgetItem(FRows.Rows()[i].Description));
    sgFilter->setItem(i, 1, new QTableWidgetItem(FRows.Rows()[i].Pattern));
  }
  sgFilter->blockSignals(false);
  if (select >= 0 && select < FRows.Count())
    sgFilter->setCurrentCell(select, 0);
  RowSelected();
  btnAdd->setEnabled(!FRows.Full());
}

void TFileFilterDialog::RowSelected() {
  const int r = Current();
  if (r < 0 || r >= FRows.Count())
    return;
  edDescription->setText(FRows.Rows()[r].Description);
  edFilter->setText(FRows.Rows()[r].Pattern);
}

bool TFileFilterDialog::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() != QEvent::KeyPress)
    return QDialog::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent *>(event)->key();
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (watched == edDescription) {
    if (enter) {
      edFilter->setFocus();
      edFilter->selectAll();
      return true;
    }
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      const int r = Current() + (key == Qt::Key_Up ? -1 : 1);
      if (r >= 0 && r < FRows.Count())
        sgFilter->setCurrentCell(r, 0);
      return true;
    }
  } else if (watched == edFilter && enter) {
    Apply(FRows.Enter(Current(), EditRow()));
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

bool TFileFilterDialog::Execute(const QString &title, QString &filter, QPoint pos) {
  setWindowTitle(title.isEmpty() ? _("File filter dialog") : title);
  FRows = TFilterRows::Parse(filter);
  edDescription->clear();
  edFilter->clear();
  ShowRows(0);
  sgFilter->setFocus();
  PlaceDialog(this, pos);
  if (exec() != QDialog::Accepted)
    return false;
  filter = FRows.Build();
  return true;
}
