#include "ui/publish/ChangesDlg.h"

#include "core/common/Translate.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
QString KindText(TChangeKind k) {
  switch (k) {
  case ckNew:
    return _("new");
  case ckNewer:
    return _("newer");
  case ckForced:
    return _("overwrite");
  case ckDelete:
    return _("delete");
  }
  return {};
}
} // namespace

QString TChangesDialog::CountsText(const QList<TPlannedChange> &plan) {
  int n[4] = {0, 0, 0, 0};
  for (const TPlannedChange &c : plan)
    ++n[c.Kind];
  const int send = n[ckNew] + n[ckNewer] + n[ckForced];
  return _("%1 file(s) to send (new: %2, newer: %3, overwritten: %4), %5 file(s) to delete")
      .arg(send)
      .arg(n[ckNew])
      .arg(n[ckNewer])
      .arg(n[ckForced])
      .arg(n[ckDelete]);
}

TChangesDialog::TChangesDialog(const QList<TPlannedChange> &plan, QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ChangesDialog"));
  setWindowTitle(_("What would change"));
  auto *lay = new QVBoxLayout(this);
  auto *counts = new QLabel(CountsText(plan), this);
  counts->setObjectName(QStringLiteral("CountsLabel"));
  lay->addWidget(counts);
  auto *list = new QTreeWidget(this);
  list->setObjectName(QStringLiteral("ChangesList"));
  list->setRootIsDecorated(false);
  list->setHeaderLabels({_("Change"), _("File"), _("Size")});
  const QLocale loc;
  for (const TPlannedChange &c : plan) {
    auto *item = new QTreeWidgetItem(
        list, {KindText(c.Kind), c.Name, c.Kind == ckDelete ? QString() : loc.formattedDataSize(c.Size)});
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
  }
  list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
  lay->addWidget(list, 1);
  auto *buttons = new QDialogButtonBox(this);
  QPushButton *go = buttons->addButton(_("Transfer now"), QDialogButtonBox::AcceptRole);
  go->setObjectName(QStringLiteral("GoOnButton"));
  go->setEnabled(!plan.isEmpty());
  buttons->addButton(QDialogButtonBox::Cancel)->setText(_("Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  lay->addWidget(buttons);
  resize(560, 400);
}

bool TChangesDialog::Ask(QWidget *parent, const QList<TPlannedChange> &plan) {
  TChangesDialog d(plan, parent);
  return d.exec() == QDialog::Accepted;
}
