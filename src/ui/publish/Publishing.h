#pragma once
// Publishing commands of the main window: "Transfer files", "Delete remote directory", the
// transfer log switch and its viewer. The walks themselves are TPublisher's; this object only
// asks the user, sets up the run on the right thread and shows its progress and result.
#include "core/publish/Publisher.h"

#include <QObject>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class THauptForm;
class TProjectInfo;
class TSftpThread;
class TTransferLog;
class TTransferDialog;
class TTransferStatus;
class TTextViewer;

class TPublishing : public QObject {
  Q_OBJECT
public:
  explicit TPublishing(THauptForm *main);
  ~TPublishing() override;
  // The object a main window's commands use (made by InstallPublishing).
  static TPublishing *Of(const THauptForm *main);

  void TransferExecute();
  void ClearServerExecute();
  void SetUseLog(bool on);
  // "Save as &HTML" (an .htt document's page) and "Save as &template" ("~template.html").
  void SaveHtmlExecute();
  void SaveTemplateExecute();
  void UpdateDocumentCommands();
  // "&Show log file": the transfer log in the text viewer (made once, reused).
  void ShowLogExecute();

  QAction *TransferAction = nullptr, *ClearAction = nullptr;
  QAction *ShowLogAction = nullptr, *SaveHtmlAction = nullptr, *TemplateAction = nullptr;
  QAction *UseLogAction = nullptr, *NoLogAction = nullptr;
  TTransferStatus *Status() const { return FStatus; }
  TTextViewer *Viewer() const { return FViewer; }
  TPublisher *Publisher() { return &FPublisher; }

  // Tests answer instead of a user: the transfer dialog (returns its exec() result), the list of
  // a dry run (true: go on), the password prompts (false: cancelled), the removal question.
  std::function<int(TTransferDialog *)> DialogResponder;
  std::function<bool(const QList<TPlannedChange> &plan, const QString &counts)> PlanResponder;
  std::function<bool(TProjectInfo &project)> PasswordResponder;
  std::function<bool(const QString &question)> ClearResponder;
  std::function<void(TTransferStatus *)> ResultResponder;
  // Called on the main thread while a run goes (tests cancel from here).
  std::function<void(TTransferStatus *)> RunningResponder;
  // The last run's summary.
  TTransferSummary LastSummary;

private:
  enum TRunKind { rkTransfer, rkClear };
  // Runs a transfer or removal with the status window; false when it did not start.
  bool Run(TRunKind kind, TProjectInfo project, const TTransferRequest &request, bool dryRun);
  void CancelRun();
  // The SFTP part of Run: on the SFTP thread, with the host key check.
  TTransferSummary RunSftp(bool transfer, const TProjectInfo &project, const TTransferRequest &request,
                           TTransferLog &log);
  THauptForm *FMain;
  TPublisher FPublisher;
  TTextViewer *FViewer = nullptr;
  TTransferStatus *FStatus = nullptr; // a child of the main window, made at the first run
  bool FRunning = false;
  bool FFtpRun = false; // the running run uses the FTP thread
  bool FSftpRun = false;
  std::unique_ptr<TSftpThread> FSftp; // made at the first SFTP run
};

// Creates the publishing commands and adds them to the main window's project menu.
void InstallPublishing(THauptForm *main, QMenu *projectMenu);
