#include "ui/editor/HtmlCharDlg.h"
#include "core/common/Translate.h"
#include "core/editor/Entities.h"
#include "ui/common/MessageBox.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

THtmlCharDialog::THtmlCharDialog(const TEntityTable &table, QWidget *parent)
    : QDialog(parent), FTable(table) {
  setWindowTitle(_("HTML special characters"));
  auto *layout = new QVBoxLayout(this);
  cbGroups = new QComboBox(this);
  cbGroups->setObjectName(QStringLiteral("cbGroups"));
  layout->addWidget(cbGroups);
  lvChars = new QTreeWidget(this);
  lvChars->setObjectName(QStringLiteral("lvChars"));
  lvChars->setColumnCount(2);
  lvChars->setHeaderLabels({_("Description"), _("HTML name")});
  lvChars->setRootIsDecorated(false);
  lvChars->setSortingEnabled(true);
  lvChars->sortByColumn(0, Qt::AscendingOrder);
  lvChars->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  lvChars->setMinimumSize(420, 320);
  layout->addWidget(lvChars, 1);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(_("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(_("Cancel"));
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(cbGroups, &QComboBox::currentIndexChanged, this, &THtmlCharDialog::ShowGroup);
  connect(lvChars, &QTreeWidget::itemDoubleClicked, this, [this] { accept(); });
}

void THtmlCharDialog::FillGroups() {
  const QSignalBlocker block(cbGroups);
  cbGroups->clear();
  for (const THtmlCharGroup &g : FTable.Groups())
    cbGroups->addItem(g.FGroupName);
  cbGroups->setCurrentIndex(0);
  ShowGroup(0);
}

void THtmlCharDialog::ShowGroup(int index) {
  lvChars->clear();
  const QList<THtmlCharGroup> &groups = FTable.Groups();
  if (index < 0 || index >= groups.size())
    return;
  lvChars->setSortingEnabled(false);
  for (const THtmlChar &c : groups[index].FChars) {
    if (c.Desc.isEmpty())
      continue;
    auto *item = new QTreeWidgetItem(lvChars, {c.Desc, c.Name});
    item->setToolTip(0, CharOfCode(c.Value));
  }
  lvChars->setSortingEnabled(true);
  if (lvChars->topLevelItemCount() > 0)
    lvChars->setCurrentItem(lvChars->topLevelItem(0));
}

bool THtmlCharDialog::Execute(QPoint pos, QString &html) {
  if (FTable.IsEmpty()) {
    TMsgOptions o;
    o.Caption = windowTitle();
    ShowMessage(mkError, _("No character table loaded!"), o);
    return false;
  }
  if (cbGroups->count() != FTable.Groups().size())
    FillGroups();
  else
    ShowGroup(cbGroups->currentIndex());
  if (pos.x() > 0) {
    adjustSize();
    KeepWindowOnScreen(this, pos);
  }
  lvChars->setFocus();
  if (exec() != QDialog::Accepted || !lvChars->currentItem())
    return false;
  html = lvChars->currentItem()->text(1);
  return true;
}
