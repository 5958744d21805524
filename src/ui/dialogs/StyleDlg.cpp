#include "ui/dialogs/StyleDlg.h"
#include "core/common/Translate.h"
#include "core/dialogs/TextValues.h"
#include "ui/dialogs/DialogUtils.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

TStyleDialog::TStyleDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("StyleDialog"));
  setWindowTitle(_("Select property"));
  auto *layout = new QVBoxLayout(this);
  lbPrompt = new QLabel(this);
  lbPrompt->setObjectName(QStringLiteral("lbPrompt"));
  layout->addWidget(lbPrompt);
  lbItems = new QListWidget(this);
  lbItems->setObjectName(QStringLiteral("lbItems"));
  lbItems->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(lbItems, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  layout->addWidget(lbItems);
  layout->addWidget(AddOkCancel(this));
}

bool TStyleDialog::Execute(QPoint pos, const QString &prompt, QString &value, const QString &items) {
  lbPrompt->setText(prompt);
  lbItems->clear();
  lbItems->addItems(ParseCommaText(items));
  if (lbItems->count() > 0)
    lbItems->setCurrentRow(0);
  lbItems->setFocus();
  PlaceDialog(this, pos);
  if (exec() != QDialog::Accepted || !lbItems->currentItem())
    return false;
  value = lbItems->currentItem()->text();
  return true;
}
