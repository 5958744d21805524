#pragma once
// The settings of one project: name, root folder, dictionary language, file-name case, publishing
// destination (a folder or share, or an FTP server with TLS and proxy), file types and encoding.
#include "core/projects/ProjectInfo.h"
#include <QDialog>
#include <QList>
#include <QPair>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QTabWidget;
class QToolButton;
class THistoryCombo;
class TFtpProxyDialog;

// Installed dictionary languages: display name and 16-bit language id.
using TDictLanguageList = QList<QPair<QString, quint16>>;

class TProjectDialog : public QDialog {
  Q_OBJECT
public:
  // The history lists (servers, user names, remote folders, shares) live in the settings file.
  TProjectDialog(QWidget *parent, const QString &iniName, TFtpProxyDialog *proxyDialog);

  // Shows the dialog at pos ((-1, -1): where it is); true on OK, and then project holds the values
  // (ProjPath with a trailing "/"). Cancel leaves project untouched.
  bool Execute(QPoint pos, const QString &title, TProjectInfo &project, bool tlsAvailable,
               const TDictLanguageList &languages, const QString &defaultRoot);

protected:
  void done(int r) override;

private:
  void BrowseFolder(QLineEdit *edit, const QString &title);
  void UpdateServerPages();
  void EncodingChanged(bool byUser);
  void ProxyToggled(bool on);
  void EditProxy();
  void BrowseKeyFile();

  TFtpProxyDialog *FProxyDialog;
  QString FDefaultRoot;
  TFtpProxyParams FProxy;

  QLineEdit *edName, *edRoot, *edPassword, *edTextTypes, *edBinTypes, *edKeyFile, *edPassphrase;
  QComboBox *cbLanguage, *cbCase, *cbServer, *cbEncoding;
  QCheckBox *cbReload, *cbPassive, *cbProxy, *cbBom;
  QToolButton *btnShowPwd, *btnProxy;
  QTabWidget *pcServer;
  QWidget *tsServer, *tsFtp;
  THistoryCombo *hcShare, *hcServer, *hcUser, *hcDirs;
  QSpinBox *spPort;
  QButtonGroup *rgTls;
  QWidget *gbTls;
  // Rows of the server page shown for FTP only or for SFTP only.
  QList<QWidget *> FFtpRows, FSftpRows;
  int FShownMode = -1;
};
