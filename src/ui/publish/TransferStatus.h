#pragma once
// The "Transfer status" window of a publishing or removal run: what is done where, a protocol of
// the run, the progress of the file being sent, and one button that cancels the run while it goes
// and closes the window once the result is shown.
#include <QDialog>
#include <functional>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

class TTransferStatus : public QDialog {
  Q_OBJECT
public:
  // iniName: the settings file whose section "TransferStatus" keeps the window's place and size.
  explicit TTransferStatus(const QString &iniName, QWidget *parent = nullptr);
  ~TTransferStatus() override;

  void ShowWindow(const QString &title, const QString &action, const QString &dest);
  void SetDirectory(const QString &folder);
  void SetAction(const QString &action);
  void ShowStatusLine(const QString &text);
  void AddProtocol(const QString &text);
  // A negative count announces the size of the next file; otherwise the bytes done of it.
  void ShowProgress(qint64 count);
  void UpdateProgress(qint64 total, qint64 done);
  // Shows the result and waits for "OK" (ResultResponder answers instead when set).
  void CloseWindow(int deleted, int copied);

  bool Stopped() const { return FStopped; }
  bool Finished() const { return FFinished; }
  QString ResultText() const;
  QStringList Protocol() const;

  // Called when the user cancels a running transfer.
  std::function<void()> OnCancel;
  // Tests see the finished window instead of waiting for "OK".
  std::function<void(TTransferStatus *)> ResultResponder;

  QLabel *ActionLabel, *DestLabel, *DirLabel, *StatusLabel, *ProgressLabel, *ResultLabel;
  QListWidget *ProtocolList;
  QProgressBar *ProgressBar;
  QPushButton *Button;

protected:
  void closeEvent(QCloseEvent *e) override;
  void reject() override;

private:
  void ButtonClicked();
  void LoadPlace();
  void SavePlace();
  QString FIniName;
  bool FStopped = false;
  bool FFinished = false;
  qint64 FSize = 0;
};
