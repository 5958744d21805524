#include "ui/dialogs/MailDlg.h"
#include "core/common/Translate.h"
#include "core/dialogs/TextValues.h"
#include "ui/common/HistoryCombo.h"
#include "ui/dialogs/DialogUtils.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QVBoxLayout>

TMailAdrDialog::TMailAdrDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("MailAdrDialog"));
  setWindowTitle(_("Mail address:"));
  // A box without entries has nothing to drop down, so it shows no arrow.
  setStyleSheet(QStringLiteral("THistoryCombo[noList=\"true\"]::drop-down { width: 0px; border: none; }"));
  auto *layout = new QVBoxLayout(this);
  const struct {
    const char *Label;
    const char *Name;
    THistoryCombo **Box;
  } rows[] = {{"Name part of mail address:", "hcName", &hcName}, {"Basic mail address:", "hcBase", &hcBase}};
  for (const auto &r : rows) {
    auto *box = new THistoryCombo(this);
    box->setObjectName(QLatin1String(r.Name));
    box->SetMaxItems(MaxEntries);
    // The lists change only on OK.
    box->SetAutoUpdate(false);
    box->setMinimumWidth(260);
    auto *label = new QLabel(_(r.Label), this);
    label->setBuddy(box);
    layout->addWidget(label);
    layout->addWidget(box);
    *r.Box = box;
  }
  layout->addWidget(AddOkCancel(this));
}

void TMailAdrDialog::ShowArrows() {
  for (THistoryCombo *box : {hcName, hcBase}) {
    box->setProperty("noList", box->count() == 0);
    box->style()->unpolish(box);
    box->style()->polish(box);
  }
}

bool TMailAdrDialog::Execute(QPoint pos, QStringList &names, QString &address, QStringList &bases) {
  hcName->AssignList(names);
  hcBase->AssignList(bases);
  const TMailParts parts = SplitMailAddress(address);
  hcName->setEditText(parts.Name);
  hcBase->setEditText(parts.Base.isEmpty() && hcBase->count() > 0 ? hcBase->itemText(0) : parts.Base);
  ShowArrows();
  hcName->setFocus();
  hcName->lineEdit()->selectAll();
  PlaceDialog(this, pos);
  if (exec() != QDialog::Accepted)
    return false;
  const QString name = hcName->currentText().trimmed();
  QString base = hcBase->currentText().trimmed();
  address = ComposeMailAddress(name, base);
  if (!base.isEmpty() && !base.startsWith(u'@'))
    base.prepend(u'@');
  hcName->AddItem(name);
  hcBase->AddItem(base);
  names = hcName->HistoryList()->Strings();
  bases = hcBase->HistoryList()->Strings();
  return true;
}
