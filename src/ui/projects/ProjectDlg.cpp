#include "ui/projects/ProjectDlg.h"
#include "core/common/Translate.h"
#include "ui/common/HistoryCombo.h"
#include "ui/common/MessageBox.h"
#include "ui/projects/FtpProxyDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int HistorySize = 15;

QWidget *WithButton(QWidget *parent, QWidget *field, QToolButton *button) {
  auto *box = new QWidget(parent);
  auto *row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(field, 1);
  row->addWidget(button);
  return box;
}

QToolButton *BrowseButton(QWidget *parent) {
  auto *b = new QToolButton(parent);
  b->setText(QStringLiteral("..."));
  return b;
}

THistoryCombo *History(QWidget *parent, const QString &iniName, const char *section, const char *name) {
  auto *h = new THistoryCombo(parent);
  h->setObjectName(QLatin1String(name));
  h->SetMaxItems(HistorySize);
  h->SetAutoUpdate(false); // entries are added when the dialog is confirmed
  h->LoadFromIni(iniName, QLatin1String(section));
  return h;
}
} // namespace

TProjectDialog::TProjectDialog(QWidget *parent, const QString &iniName, TFtpProxyDialog *proxyDialog)
    : QDialog(parent), FProxyDialog(proxyDialog) {
  setObjectName(QStringLiteral("ProjectDialog"));
  setWindowTitle(_("Project"));
  auto *layout = new QVBoxLayout(this);
  auto *form = new QFormLayout;
  layout->addLayout(form);

  edName = new QLineEdit(this);
  edName->setObjectName(QStringLiteral("edName"));
  form->addRow(_("Project name:"), edName);

  edRoot = new QLineEdit(this);
  edRoot->setObjectName(QStringLiteral("edRoot"));
  QToolButton *btnRoot = BrowseButton(this);
  connect(btnRoot, &QToolButton::clicked, this,
          [this] { BrowseFolder(edRoot, _("Project: ") + edName->text()); });
  form->addRow(_("Root directory:"), WithButton(this, edRoot, btnRoot));

  cbLanguage = new QComboBox(this);
  cbLanguage->setObjectName(QStringLiteral("cbLanguage"));
  form->addRow(_("Dictionary language:"), cbLanguage);

  cbCase = new QComboBox(this);
  cbCase->setObjectName(QStringLiteral("cbCase"));
  for (const char *t : {" No changes on filenames", " Change filenames to all lower case",
                        " Change filenames to ALL UPPER CASE"})
    cbCase->addItem(_(t));
  form->addRow(cbCase);

  cbReload = new QCheckBox(_("Reload open files"), this);
  form->addRow(cbReload);

  cbServer = new QComboBox(this);
  cbServer->setObjectName(QStringLiteral("cbServer"));
  for (const char *t : {"None", "Direct", "FTP", "SFTP"})
    cbServer->addItem(_(t));
  connect(cbServer, &QComboBox::currentIndexChanged, this, &TProjectDialog::UpdateServerPages);
  form->addRow(_("Server connection:"), cbServer);

  pcServer = new QTabWidget(this);
  layout->addWidget(pcServer);

  // Folder or share
  tsServer = new QWidget(pcServer);
  auto *serverForm = new QFormLayout(tsServer);
  hcShare = History(tsServer, iniName, "Shares", "hcShare");
  QToolButton *btnShare = BrowseButton(tsServer);
  connect(btnShare, &QToolButton::clicked, this, [this] {
    auto *edit = hcShare->lineEdit();
    BrowseFolder(edit, _("Project: ") + edName->text());
  });
  serverForm->addRow(_("Local directory or network share:"), WithButton(tsServer, hcShare, btnShare));
  pcServer->addTab(tsServer, _("Server settings"));

  // FTP
  tsFtp = new QWidget(pcServer);
  auto *ftpForm = new QFormLayout(tsFtp);
  hcServer = History(tsFtp, iniName, "FtpServer", "hcServer");
  ftpForm->addRow(_("Servername:"), hcServer);
  spPort = new QSpinBox(tsFtp);
  spPort->setObjectName(QStringLiteral("spPort"));
  spPort->setRange(1, 65535);
  ftpForm->addRow(_("Port:"), spPort);
  hcUser = History(tsFtp, iniName, "Usernames", "hcUser");
  ftpForm->addRow(_("Username:"), hcUser);
  edPassword = new QLineEdit(tsFtp);
  edPassword->setObjectName(QStringLiteral("edPassword"));
  edPassword->setEchoMode(QLineEdit::Password);
  btnShowPwd = new QToolButton(tsFtp);
  btnShowPwd->setText(QStringLiteral("abc"));
  btnShowPwd->setToolTip(_("Show password"));
  btnShowPwd->setCheckable(true);
  connect(btnShowPwd, &QToolButton::toggled, this,
          [this](bool on) { edPassword->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password); });
  ftpForm->addRow(_("Password:"), WithButton(tsFtp, edPassword, btnShowPwd));
  // SFTP may log in with a private key instead of the password.
  edKeyFile = new QLineEdit(tsFtp);
  edKeyFile->setObjectName(QStringLiteral("edKeyFile"));
  QToolButton *btnKey = BrowseButton(tsFtp);
  connect(btnKey, &QToolButton::clicked, this, &TProjectDialog::BrowseKeyFile);
  QWidget *keyRow = WithButton(tsFtp, edKeyFile, btnKey);
  ftpForm->addRow(_("Private key file:"), keyRow);
  edPassphrase = new QLineEdit(tsFtp);
  edPassphrase->setObjectName(QStringLiteral("edPassphrase"));
  edPassphrase->setEchoMode(QLineEdit::Password);
  ftpForm->addRow(_("Pass phrase:"), edPassphrase);
  FSftpRows = {keyRow, edPassphrase};
  hcDirs = History(tsFtp, iniName, "FtpDirs", "hcDirs");
  ftpForm->addRow(_("Remote directory:"), hcDirs);
  cbPassive = new QCheckBox(_("Passiv- Mode"), tsFtp);
  ftpForm->addRow(cbPassive);
  cbProxy = new QCheckBox(_("Proxy- Server"), tsFtp);
  cbProxy->setObjectName(QStringLiteral("cbProxy"));
  btnProxy = BrowseButton(tsFtp);
  connect(cbProxy, &QCheckBox::clicked, this, &TProjectDialog::ProxyToggled);
  connect(btnProxy, &QToolButton::clicked, this, &TProjectDialog::EditProxy);
  QWidget *proxyRow = WithButton(tsFtp, cbProxy, btnProxy);
  ftpForm->addRow(proxyRow);
  auto *tls = new QGroupBox(_("Use secure data connection"), tsFtp);
  auto *tlsRow = new QHBoxLayout(tls);
  rgTls = new QButtonGroup(this);
  int id = 0;
  for (const char *t : {"No", "If available", "Require (explicite)", "Always (impilcite)"}) {
    auto *rb = new QRadioButton(_(t), tls);
    rgTls->addButton(rb, id++);
    tlsRow->addWidget(rb);
  }
  gbTls = tls;
  ftpForm->addRow(tls);
  FFtpRows = {cbPassive, proxyRow, tls};
  pcServer->addTab(tsFtp, _("Ftp settings"));

  auto *types = new QFormLayout;
  edTextTypes = new QLineEdit(this);
  edBinTypes = new QLineEdit(this);
  types->addRow(_("Textfile types:"), edTextTypes);
  types->addRow(_("Other file types"), edBinTypes);
  cbEncoding = new QComboBox(this);
  cbEncoding->setObjectName(QStringLiteral("cbEncoding"));
  for (const char *t : {"UTF-8", "UTF-16 (LE)", "UTF-16 (BE)", "ANSI Latin 1"})
    cbEncoding->addItem(_(t));
  connect(cbEncoding, &QComboBox::activated, this, [this] { EncodingChanged(true); });
  types->addRow(_("Encoding (Character set):"), cbEncoding);
  cbBom = new QCheckBox(_("Use byte order marks in files (BOM)"), this);
  cbBom->setObjectName(QStringLiteral("cbBom"));
  types->addRow(cbBom);
  layout->addLayout(types);

  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void TProjectDialog::BrowseFolder(QLineEdit *edit, const QString &title) {
  const QString typed = edit->text().trimmed();
  const QString start = QDir::isAbsolutePath(typed) && QFileInfo(typed).isDir() ? typed : FDefaultRoot;
  const QString dir = QFileDialog::getExistingDirectory(this, title, start);
  if (!dir.isEmpty())
    edit->setText(QDir::cleanPath(dir) + u'/');
}

void TProjectDialog::UpdateServerPages() {
  const int mode = cbServer->currentIndex();
  const bool sftp = mode == tmSftp;
  tsServer->setEnabled(mode == tmDirect);
  tsFtp->setEnabled(mode == tmFtp || sftp);
  if (mode == tmDirect)
    pcServer->setCurrentWidget(tsServer);
  else if (mode == tmFtp || sftp)
    pcServer->setCurrentWidget(tsFtp);
  // One page serves both protocols: the rows of the other one are hidden.
  if (auto *form = qobject_cast<QFormLayout *>(tsFtp->layout())) {
    for (QWidget *w : std::as_const(FFtpRows))
      form->setRowVisible(w, !sftp);
    for (QWidget *w : std::as_const(FSftpRows))
      form->setRowVisible(w, sftp);
  }
  pcServer->setTabText(pcServer->indexOf(tsFtp), sftp ? _("SFTP settings") : _("Ftp settings"));
  if (isVisible())
    adjustSize(); // the two protocols have different rows
  // The protocol's usual port when the user switches between them.
  if (FShownMode >= 0 && FShownMode != mode) {
    if (sftp && (spPort->value() == 21 || spPort->value() == 2121))
      spPort->setValue(22);
    else if (mode == tmFtp && spPort->value() == 22)
      spPort->setValue(21);
  }
  FShownMode = mode;
}

void TProjectDialog::BrowseKeyFile() {
  const QString typed = edKeyFile->text().trimmed();
  const QString start = QFileInfo(typed).absolutePath();
  const QString file = QFileDialog::getOpenFileName(
      this, _("Private key file"), typed.isEmpty() ? QDir::homePath() + QStringLiteral("/.ssh") : start);
  if (!file.isEmpty())
    edKeyFile->setText(file);
}

void TProjectDialog::EncodingChanged(bool byUser) {
  const TBomBox box = BomBoxFor(TSynEncoding(cbEncoding->currentIndex()), cbBom->isChecked(), byUser);
  cbBom->setChecked(box.Checked);
  cbBom->setEnabled(box.Enabled);
}

void TProjectDialog::ProxyToggled(bool on) {
  if (!on) {
    FProxy.Mode = 0; // no proxy; server and logon stay for the next time
    btnProxy->setEnabled(false);
    return;
  }
  EditProxy();
}

void TProjectDialog::EditProxy() {
  TFtpProxyParams proxy = FProxy;
  if (FProxyDialog && FProxyDialog->Execute(proxy, true))
    FProxy = proxy;
  cbProxy->setChecked(FProxy.Mode != 0);
  btnProxy->setEnabled(FProxy.Mode != 0);
}

void TProjectDialog::done(int r) {
  if (r == QDialog::Accepted && edRoot->text().trimmed().isEmpty()) {
    ErrorBox(_("Please enter the root directory of the project."));
    edRoot->setFocus();
    return;
  }
  QDialog::done(r);
}

bool TProjectDialog::Execute(QPoint pos, const QString &title, TProjectInfo &project, bool tlsAvailable,
                             const TDictLanguageList &languages, const QString &defaultRoot) {
  setWindowTitle(title);
  FDefaultRoot = defaultRoot;
  FProxy = project.ProxyPar;
  edName->setText(project.ProjName);
  edRoot->setText(project.ProjPath.isEmpty() ? defaultRoot : project.ProjPath);

  cbLanguage->clear();
  cbLanguage->addItem(_("None"), 0);
  for (const auto &[name, id] : languages)
    cbLanguage->addItem(name, id);
  const int lang = cbLanguage->findData(project.LangId);
  cbLanguage->setCurrentIndex(lang < 0 ? 0 : lang);

  cbCase->setCurrentIndex(project.CaseMode);
  cbReload->setChecked(project.Reload);
  FShownMode = -1;
  cbServer->setCurrentIndex(project.TransferMode);
  UpdateServerPages();
  hcShare->setEditText(project.TransferMode == tmDirect ? project.RemotePath : QString());
  hcServer->setEditText(project.Host);
  spPort->setValue(std::clamp(project.Port, 1, 65535));
  hcUser->setEditText(project.Username);
  edPassword->setText(QString::fromUtf8(project.Password));
  btnShowPwd->setChecked(false);
  hcDirs->setEditText(project.TransferMode == tmFtp || project.TransferMode == tmSftp ? project.RemotePath
                                                                                      : QString());
  edKeyFile->setText(project.KeyFile);
  edPassphrase->setText(QString::fromUtf8(project.Passphrase));
  cbPassive->setChecked(project.Passive);
  cbProxy->setChecked(project.ProxyPar.Mode != 0);
  btnProxy->setEnabled(project.ProxyPar.Mode != 0);
  rgTls->button(std::clamp(project.SecureMode, 0, 3))->setChecked(true);
  gbTls->setEnabled(tlsAvailable);
  edTextTypes->setText(project.TextTypes);
  edBinTypes->setText(project.BinTypes);
  cbEncoding->setCurrentIndex(project.ProjEncoding);
  cbBom->setChecked(project.UseBom);
  EncodingChanged(false);

  adjustSize();
  if (pos != QPoint(-1, -1))
    KeepWindowOnScreen(this, pos);
  const bool ok = exec() == QDialog::Accepted;
  if (ok) {
    project.ProjName = edName->text().trimmed();
    QString root = QDir::cleanPath(QDir::fromNativeSeparators(edRoot->text().trimmed()));
    project.ProjPath = root.endsWith(u'/') ? root : root + u'/';
    project.LangId = quint16(cbLanguage->currentData().toUInt());
    project.CaseMode = TTextChange(cbCase->currentIndex());
    project.Reload = cbReload->isChecked();
    project.TransferMode = TTransferMode(cbServer->currentIndex());
    if (project.TransferMode == tmDirect)
      project.RemotePath = hcShare->currentText().trimmed();
    else if (project.TransferMode == tmFtp || project.TransferMode == tmSftp)
      project.RemotePath = hcDirs->currentText().trimmed();
    if (project.TransferMode == tmSftp) {
      project.KeyFile = edKeyFile->text().trimmed();
      project.Passphrase = edPassphrase->text().toUtf8();
    }
    project.Host = hcServer->currentText().trimmed();
    project.Port = spPort->value();
    project.Username = hcUser->currentText().trimmed();
    project.Password = edPassword->text().toUtf8();
    project.Passive = cbPassive->isChecked();
    project.ProxyPar = FProxy;
    if (tlsAvailable)
      project.SecureMode = rgTls->checkedId();
    project.TextTypes = edTextTypes->text().trimmed();
    project.BinTypes = edBinTypes->text().trimmed();
    project.ProjEncoding = TSynEncoding(cbEncoding->currentIndex());
    project.UseBom = cbBom->isChecked();
    project.Changed = true;
    for (THistoryCombo *h : {hcShare, hcServer, hcUser, hcDirs})
      if (!h->currentText().trimmed().isEmpty())
        h->AddItem(h->currentText().trimmed());
  }
  edPassword->clear();
  edPassphrase->clear();
  return ok;
}
