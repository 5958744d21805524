#include "ui/dialogs/SelectFromListDlg.h"
#include "core/common/Translate.h"
#include "ui/dialogs/DialogUtils.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TSelectFromListDialog::TSelectFromListDialog(QWidget *parent) : QDialog(parent) {
  setWindowTitle(_("Select item from list"));
  auto *layout = new QVBoxLayout(this);
  lbDesc = new QLabel(this);
  lbDesc->setObjectName(QStringLiteral("lbDesc"));
  lbxStringList = new QListWidget(this);
  lbxStringList->setObjectName(QStringLiteral("lbxStringList"));
  layout->addWidget(lbDesc);
  layout->addWidget(lbxStringList);
  QDialogButtonBox *box = AddOkCancel(this);
  btnPrompt = box->addButton(_("Prompt"), QDialogButtonBox::ActionRole);
  btnPrompt->setObjectName(QStringLiteral("btnPrompt"));
  connect(btnPrompt, &QPushButton::clicked, this, [this] { done(srPrompt); });
  connect(lbxStringList, &QListWidget::itemDoubleClicked, this, [this] {
    if (!(FOptions & soEdit))
      done(srOk);
  });
  layout->addWidget(box);
  resize(320, 300);
}

void TSelectFromListDialog::Setup(const QString &caption, const QString &chosen, const QStringList &items,
                                  int options, const QString &hint, const QString &description) {
  FOptions = options;
  setWindowTitle(caption);
  setToolTip(hint);
  lbDesc->setText(description);
  lbDesc->setVisible(!description.isEmpty());
  btnPrompt->setVisible(options & soPrompt);
  lbxStringList->clear();
  lbxStringList->addItems(items);
  lbxStringList->setSelectionMode((options & soMulti) ? QAbstractItemView::ExtendedSelection
                                                      : QAbstractItemView::SingleSelection);
  const qsizetype at = items.indexOf(chosen);
  lbxStringList->setCurrentRow(at >= 0 ? int(at) : (items.isEmpty() ? -1 : 0));
}

QString TSelectFromListDialog::Chosen() const {
  QStringList chosen;
  for (int i = 0; i < lbxStringList->count(); ++i)
    if (lbxStringList->item(i)->isSelected())
      chosen << lbxStringList->item(i)->text();
  return chosen.join(u'|');
}

int TSelectFromListDialog::Select(QPoint pos, const QString &caption, QString &chosen,
                                  const QStringList &items, bool prompt, const QString &hint,
                                  const QString &description, int options) {
  Setup(caption, chosen, items, options | (prompt ? soPrompt : 0), hint, description);
  PlaceDialog(this, pos);
  const int r = exec();
  if (r == QDialog::Accepted || r == srOk) {
    chosen = Chosen();
    return srOk;
  }
  return r == srPrompt ? srPrompt : srCancel;
}
