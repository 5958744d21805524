#include "ui/editor/DocumentHost.h"

#include "ui/editor/FindReplDlg.h"

void TDocumentHost::FollowFindText(QObject *receiver, std::function<void(const QString &)> f) {
  TFindReplDialog *dlg = FindDialog();
  f(dlg->FindText());
  QObject::connect(dlg, &TFindReplDialog::FindTextChanged, receiver, std::move(f));
}
