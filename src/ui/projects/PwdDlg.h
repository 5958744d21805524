#pragma once
// The password prompt shown before connecting when a project has no stored FTP or proxy password.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QGroupBox;
class TProjectInfo;

class TPasswordDialog : public QDialog {
  Q_OBJECT
public:
  explicit TPasswordDialog(QWidget *parent = nullptr);

  // Returns 1 on OK (password then holds the entered text, UTF-8), else 2.
  int Execute(const QString &title, const QString &prompt, QByteArray &password);

  QLineEdit *PasswordEdit() const { return edPassword; }

private:
  void PasteExecute();

  QLabel *lbPrompt;
  QLineEdit *edPassword;
  QPushButton *btnPaste;
  QPushButton *btnSkip;
  QGroupBox *gbDepth;
};

// Asks for the FTP password and, when a proxy is used, the proxy password, whichever is empty.
// The answers go into the record in memory only (the project is not marked changed). False when
// the user cancelled one of the prompts: the connection must not be attempted.
bool AskMissingPasswords(TPasswordDialog *dialog, TProjectInfo &project);
