#pragma once
// The FTP proxy settings of a project: server, port, logon and one of six connection methods.
#include "core/projects/ProjectInfo.h"
#include <QDialog>

class QLineEdit;
class QCheckBox;
class QButtonGroup;

class TFtpProxyDialog : public QDialog {
  Q_OBJECT
public:
  explicit TFtpProxyDialog(QWidget *parent = nullptr);

  // True on OK; then proxyPar holds the entered values and Mode the chosen method (1..6).
  bool Execute(TFtpProxyParams &proxyPar, bool showPwd);

  QLineEdit *PortEdit() const { return edPort; }

protected:
  void done(int r) override;

private:
  QLineEdit *edServer, *edPort, *edUser, *edPassword;
  QCheckBox *cbShowPwd;
  QButtonGroup *rgMethod;
};
