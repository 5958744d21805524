#include "ui/app/RecoverDlg.h"
#include "core/common/Translate.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
TRecoverDialog::TResponder &Responder() {
  static TRecoverDialog::TResponder r;
  return r;
}
} // namespace

TRecoverDialog::TRecoverDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("RecoverDlg"));
  setWindowTitle(_("Recover autosaved text"));
  auto *layout = new QVBoxLayout(this);
  FInfo = new QLabel(this);
  FInfo->setWordWrap(true);
  FInfo->setTextFormat(Qt::PlainText); // file names are data, never markup
  layout->addWidget(FInfo);
  FDiff = new QPlainTextEdit(this);
  FDiff->setObjectName(QStringLiteral("memDiff"));
  FDiff->setReadOnly(true);
  FDiff->setLineWrapMode(QPlainTextEdit::NoWrap);
  FDiff->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  layout->addWidget(FDiff, 1);
  auto *box = new QDialogButtonBox(this);
  QPushButton *recover = box->addButton(_("&Recover"), QDialogButtonBox::AcceptRole);
  QPushButton *discard = box->addButton(_("&Discard"), QDialogButtonBox::DestructiveRole);
  QPushButton *later = box->addButton(_("&Later"), QDialogButtonBox::RejectRole);
  recover->setObjectName(QStringLiteral("btnRecover"));
  discard->setObjectName(QStringLiteral("btnDiscard"));
  later->setObjectName(QStringLiteral("btnLater"));
  recover->setDefault(true);
  const auto choose = [this](TRecoverChoice c) {
    return [this, c] {
      FChoice = c;
      done(c == rcLater ? Rejected : Accepted);
    };
  };
  connect(recover, &QPushButton::clicked, this, choose(rcRecover));
  connect(discard, &QPushButton::clicked, this, choose(rcDiscard));
  connect(later, &QPushButton::clicked, this, choose(rcLater));
  layout->addWidget(box);
  resize(720, 480);
}

TRecoverChoice TRecoverDialog::Execute(const QString &copyName, const QString &documentName,
                                       const QString &diff) {
  FInfo->setText(documentName.isEmpty()
                     ? _("An unsaved document that never had a name was saved automatically before the "
                         "program ended:") +
                           u'\n' + copyName
                     : _("An autosave copy holds text that the file does not:") + u'\n' + copyName + u'\n' +
                           _("File:") + u' ' + documentName);
  FDiff->setPlainText(diff);
  FChoice = rcLater; // closing the window decides nothing
  exec();
  return FChoice;
}

void TRecoverDialog::SetResponder(TResponder responder) {
  Responder() = std::move(responder);
}

TRecoverChoice TRecoverDialog::Ask(QWidget *parent, const QString &copyName, const QString &documentName,
                                   const QString &diff) {
  if (Responder())
    return Responder()(copyName, diff);
  TRecoverDialog dlg(parent);
  return dlg.Execute(copyName, documentName, diff);
}
