#include "ui/projects/PwdDlg.h"
#include "core/common/Translate.h"
#include "core/net/SftpClient.h"
#include "core/projects/ProjectInfo.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QVBoxLayout>

TPasswordDialog::TPasswordDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("PasswordDialog"));
  auto *layout = new QVBoxLayout(this);
  lbPrompt = new QLabel(this);
  lbPrompt->setTextFormat(Qt::PlainText);
  layout->addWidget(lbPrompt);

  edPassword = new QLineEdit(this);
  edPassword->setObjectName(QStringLiteral("edPassword"));
  edPassword->setEchoMode(QLineEdit::Password);
  layout->addWidget(edPassword);

  btnPaste = new QPushButton(_("Paste from clipboard"), this);
  btnPaste->setObjectName(QStringLiteral("btnPaste"));
  btnPaste->setAutoDefault(false);
  connect(btnPaste, &QPushButton::clicked, this, &TPasswordDialog::PasteExecute);
  layout->addWidget(btnPaste, 0, Qt::AlignLeft);

  // The key-size choice and Skip belong to other uses of this prompt; FTP passwords never need them.
  gbDepth = new QGroupBox(_("AES encryption depth:"), this);
  auto *depth = new QHBoxLayout(gbDepth);
  for (const char *t : {"128 bit", "256 bit", "Automatic"})
    depth->addWidget(new QRadioButton(_(t), gbDepth));
  gbDepth->setVisible(false);
  layout->addWidget(gbDepth);

  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  btnSkip = buttons->addButton(_("Skip"), QDialogButtonBox::RejectRole);
  btnSkip->setVisible(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void TPasswordDialog::PasteExecute() {
  edPassword->clear();
  // A copied password often carries the line break of the text it came from.
  QString text = QGuiApplication::clipboard()->text();
  const qsizetype br = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
  if (br >= 0)
    text.truncate(br);
  edPassword->insert(text);
  edPassword->setFocus();
}

int TPasswordDialog::Execute(const QString &title, const QString &prompt, QByteArray &password) {
  setWindowTitle(title);
  QString text = prompt;
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  lbPrompt->setText(text);
  edPassword->clear();
  edPassword->setFocus();
  adjustSize(); // the prompt decides the width
  const int result = exec() == QDialog::Accepted ? 1 : 2;
  if (result == 1)
    password = edPassword->text().toUtf8();
  edPassword->clear();
  return result;
}

bool AskMissingPasswords(TPasswordDialog *dialog, TProjectInfo &project) {
  if (project.TransferMode == tmSftp) {
    const QString title = _("SFTP connection");
    // A key file logs in instead of the password; its pass phrase is asked only when the key
    // is enciphered.
    if (!project.KeyFile.isEmpty())
      return !project.Passphrase.isEmpty() || !TSftpClient::KeyNeedsPassphrase(project.KeyFile) ||
             dialog->Execute(title, PassphrasePrompt(project.KeyFile), project.Passphrase) == 1;
    return !project.Password.isEmpty() ||
           dialog->Execute(title, PasswordPrompt(false, project.Host, project.Port, project.Username),
                           project.Password) == 1;
  }
  const QString title = _("FTP connection");
  if (project.Password.isEmpty() &&
      dialog->Execute(title, PasswordPrompt(false, project.Host, project.Port, project.Username),
                      project.Password) != 1)
    return false;
  const TFtpProxyParams &proxy = project.ProxyPar;
  if ((proxy.Mode & 0x7F) != 0 && proxy.Password.isEmpty() &&
      dialog->Execute(title, PasswordPrompt(true, proxy.Server, proxy.Port, proxy.Username),
                      project.ProxyPar.Password) != 1)
    return false;
  return true;
}
