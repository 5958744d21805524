#include "ui/projects/FtpProxyDlg.h"
#include "core/common/Translate.h"
#include "ui/common/MessageBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
// In the order of the proxy types of the FTP layer after "none".
const char *const Methods[] = {"Send command USER user@hostname",
                               "Send command SITE (with logon)",
                               "Send command OPEN",
                               "USER user@firewalluser@hostname",
                               "Transparent",
                               "USER hostuserID@hostname firewallUsername"};
} // namespace

TFtpProxyDialog::TFtpProxyDialog(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FtpProxyDialog"));
  setWindowTitle(_("FTP proxy server options"));
  auto *layout = new QVBoxLayout(this);
  auto *form = new QFormLayout;
  edServer = new QLineEdit(this);
  edPort = new QLineEdit(this);
  edUser = new QLineEdit(this);
  edPassword = new QLineEdit(this);
  edPassword->setEchoMode(QLineEdit::Password);
  edServer->setObjectName(QStringLiteral("edServer"));
  edPort->setObjectName(QStringLiteral("edPort"));
  edUser->setObjectName(QStringLiteral("edUser"));
  edPassword->setObjectName(QStringLiteral("edPassword"));
  form->addRow(_("Server name:"), edServer);
  form->addRow(_("Port:"), edPort);
  form->addRow(_("User name:"), edUser);
  form->addRow(_("Password:"), edPassword);
  layout->addLayout(form);
  cbShowPwd = new QCheckBox(_("Show password"), this);
  connect(cbShowPwd, &QCheckBox::toggled, this,
          [this](bool on) { edPassword->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password); });
  layout->addWidget(cbShowPwd);

  auto *group = new QGroupBox(_("Connection method"), this);
  auto *methods = new QVBoxLayout(group);
  rgMethod = new QButtonGroup(this);
  for (int i = 0; i < int(std::size(Methods)); ++i) {
    auto *rb = new QRadioButton(_(Methods[i]), group);
    rgMethod->addButton(rb, i);
    methods->addWidget(rb);
  }
  layout->addWidget(group);

  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void TFtpProxyDialog::done(int r) {
  int port = 0;
  if (r == QDialog::Accepted && !ParsePort(edPort->text(), 0, 65535, port)) {
    ErrorBox(FormatS(_("Invalid port number (%s)"), {edPort->text()}));
    edPort->setFocus();
    return; // stays open
  }
  QDialog::done(r);
}

bool TFtpProxyDialog::Execute(TFtpProxyParams &proxyPar, bool showPwd) {
  edServer->setText(proxyPar.Server);
  edPort->setText(QString::number(proxyPar.Port));
  edUser->setText(proxyPar.Username);
  edPassword->setText(QString::fromUtf8(proxyPar.Password));
  cbShowPwd->setChecked(false);
  cbShowPwd->setVisible(showPwd);
  rgMethod->button(ProxyMethodIndex(proxyPar.Mode))->setChecked(true);
  const bool ok = exec() == QDialog::Accepted;
  if (ok) {
    proxyPar.Server = edServer->text().trimmed();
    ParsePort(edPort->text(), 0, 65535, proxyPar.Port);
    proxyPar.Username = edUser->text().trimmed();
    proxyPar.Password = edPassword->text().toUtf8();
    proxyPar.Mode = quint8(rgMethod->checkedId() + 1);
  }
  edPassword->clear();
  return ok;
}
