#pragma once
// Publishing a project's files to a folder or a server (FTP or SFTP), and removing what was published.
//
// The walks are plain blocking functions: a direct run is meant for a worker thread, an FTP run
// for a job on the FTP thread (TFtpThread::Run), since the session lives there. What the user
// sees comes out as signals (queued to the window that shows them); Cancel() may be called from
// any thread and stops the walk before the next file, aborting the running transfer.
//
// Files never arrive half-written under their real name: a copy or an upload goes to a
// temporary name in the destination folder and is renamed over the target once it is complete.
#include "core/net/FtpTypes.h"
#include "core/projects/AesLib.h" // TFileAction
#include "core/publish/TextFilter.h"
#include "core/publish/TransferLog.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <atomic>
#include <memory>
#include <mutex>

class TExtFtp;
class TRemoteSession;
class TProjectInfo;
class TUploadHelper;

// Results of the workers beyond the session's transfer codes (TTransferResult).
enum TWorkerResult : int {
  wrReadError = 260,       // the source could not be read
  wrWriteError = 261,      // the destination could not be written or renamed
  wrSizeDiffers = 277,     // verification: sizes differ
  wrContentDiffers = 286,  // verification: contents differ
  wrVerifyReadError = 772, // verification: the copy could not be read back
  wrNotPlaced = 773,       // sent, but not put in place because an upload before it failed
};
constexpr int WorkerErrFlag = 4096; // a stored non-zero worker result is combined with it

// One line of a dry run.
enum TChangeKind { ckNew, ckNewer, ckForced, ckDelete };
struct TPlannedChange {
  TChangeKind Kind;
  QString Name; // destination path relative to the destination root, "/" separated
  qint64 Size = 0;
  bool operator==(const TPlannedChange &) const = default;
};

// What the transfer dialog asked for.
struct TTransferRequest {
  int Selection = 2; // 0 current file, 1 its folder, 2 all project files, 3 a folder, 4 changed files
  bool SubDirs = false;
  bool Sync = false;
  bool Overwrite = false;
  QString CurrentFile;                  // selections 0 and 1 (full path)
  QString Folder;                       // selection 3, relative to the project root ("" = the root)
  QString Mask = QStringLiteral("*.*"); // selection 3
  QStringList ChangedFiles;             // selection 4 (full paths)
  // The dialog's mode word: bits 0-2 selection, 8 subdirectories, 16 synchronize, 32 overwrite.
  static TTransferRequest FromModeWord(int word);
};

// The session's connection values for a project: its server, account, passive flag, security,
// case change, the transfer time-out of publishing (60 s) and its proxy. Passwords the project
// does not keep stay empty: the caller asks for them.
TFtpConnectParams ConnectParamsOf(const TProjectInfo &project);

// The result line of the status window: "Canceled by user!", "Error during file transfer!",
// "Nothing to do!" or the counts.
QString TransferResultText(int deleted, int copied, bool stopped);
// The destination as the transfer dialog and the removal question show it: the folder, or the
// server and the remote directory (joined by "|" for a transfer, as a path for a removal).
QString DestinationText(const TProjectInfo &project, bool forRemoval);

struct TTransferSummary {
  int Deleted = 0; // -1: the copy phase failed
  int Copied = 0;
  bool Stopped = false;
  QString Message; // an error for a message box, empty when none
};

class TPublisher : public QObject {
  Q_OBJECT
public:
  explicit TPublisher(QObject *parent = nullptr);
  ~TPublisher() override;

  TTransferLog *LogFile = nullptr; // not owned; may be null
  TTextFilter Filter{false, true};
  bool Verify = false; // read every file back after sending it
  bool DryRun = false; // decide, list in Plan, send and delete nothing
  int BufferSize = 256 * 1024;
  // FTP sessions that send files at the same time: 2 opens a second connection for a run with
  // more than one file to send (files it cannot send go through the first); 1 keeps to one.
  int UploadSessions = 2;
  // How the last run shared its files out: sent by the second connection, and handed back by it
  // to the first one (which then sent them).
  struct TConnectionUse {
    int Second = 0;
    int HandedBack = 0;
  };
  TConnectionUse ConnectionUse() const { return FUse; }
  QList<TPlannedChange> Plan;

  void SetProjectFilter(const QString &textTypes, const QString &binTypes);

  // Thread-safe.
  void Cancel();
  bool Stopped() const { return FStopped.load(); }
  void ResetStop() {
    FStopped.store(false);
    FBrokeOff = false;
  }
  // True when the last walk really ended early because of Cancel().
  bool BrokeOff() const { return FBrokeOff; }

  // --- The walks (relFolder "" is the root; "/" separates levels) ---
  bool CopyToFolder(const QString &sourceRoot, const QString &destRoot, int &count, int caseMode,
                    bool overwrite, bool useFilter, bool recurse, const QString &mask,
                    const QString &relFolder);
  bool SyncFolder(const QString &sourceRoot, const QString &destRoot, int &count, int caseMode,
                  bool useFilter, bool recurse, const QString &mask, const QString &relFolder);
  // Into the session's current remote directory.
  bool UploadFolder(TRemoteSession &ftp, const QString &sourceRoot, int &count, bool overwrite,
                    bool useFilter, bool recurse, const QString &mask, const QString &relFolder);
  bool SyncFtpFolder(TRemoteSession &ftp, const QString &sourceRoot, int &count, bool useFilter, bool recurse,
                     const QString &mask, const QString &relFolder);
  bool DeleteFolderTree(const QString &root, const QString &relFolder, int &count, bool deleteFiles = true);
  bool DeleteServerTree(TRemoteSession &ftp, const QString &relFolder, int &count);

  // --- The workers: one file each; 0 or a result code ---
  int CopyFileWorker(const QString &source, const QString &dest);
  int UploadFileWorker(TRemoteSession &ftp, const QString &source, const QString &remoteName);
  int UploadFileWorker(TExtFtp &ftp, const QString &source, const QString &remoteName);

  // --- Whole runs (after the log section heading; the caller closes the log) ---
  TTransferSummary TransferDirect(const TProjectInfo &project, const TTransferRequest &request);
  // The session has its connection values; it is connected here and disconnected at the end.
  TTransferSummary TransferRemote(TRemoteSession &ftp, const TProjectInfo &project,
                                  const TTransferRequest &request);
  TTransferSummary ClearDirect(const TProjectInfo &project);
  TTransferSummary ClearRemote(TRemoteSession &ftp, const TProjectInfo &project);
  // The same for the FTP session itself.
  TTransferSummary TransferFtp(TExtFtp &ftp, const TProjectInfo &project, const TTransferRequest &request);
  TTransferSummary ClearFtp(TExtFtp &ftp, const TProjectInfo &project);

  // Empty when dest can be a direct destination for the project root, else the message.
  static QString CheckDirectDestination(const QString &dest, const QString &root);
  // Empty when folder may be emptied by a removal, else the message.
  static QString CheckRemovableFolder(const QString &folder);
  // A file is sent when it is more than 2 seconds newer than its copy.
  static bool NewerForCopy(const QDateTime &source, const QDateTime &dest);
  static QString CaseChanged(const QString &name, int caseMode);

signals:
  void StatusLine(const QString &text);      // the status line and the protocol
  void ProtocolLine(const QString &text);    // the protocol only ("Copy files:", "Error: ...")
  void ActionChanged(const QString &action); // "Trying to connect", "Copying to", ...
  void DirectoryChanged(const QString &folder);
  void Progress(int action, qint64 count); // negative: the size of the file now starting

private:
  struct TLocalFile {
    QString Name; // local name
    QString Send; // name sent (an .htt page is sent as its .html page)
    QString Path; // local file sent
  };
  // The folder's files that pass the mask, the "~" rule and (when asked) the project filter.
  QStringList LocalFiles(const QString &dir, const QString &mask, bool useFilter) const;
  bool Passes(const QString &name, const QString &mask, bool useFilter) const;
  // Turns an .htt page into its .html page; false when it is to be skipped.
  bool PrepareFile(const QString &dir, const QString &name, TLocalFile &file);
  // An upload that has arrived under its scratch name and waits for its check and rename.
  struct TScratchUpload {
    QString Source;   // local file
    QString Remote;   // final name (before the case change)
    QString Temp;     // scratch name (before the case change)
    QString TempPath; // full remote path of the scratch file, for the clean-up
    qint64 Size = 0;
  };
  // Sends the file under its scratch name: frOk with up filled, else a result code (the scratch
  // file is then removed, or noted for the clean-up).
  int SendScratch(TRemoteSession &ftp, const QString &source, const QString &remoteName, TScratchUpload &up);
  // The names of an upload to the current directory.
  static TScratchUpload ScratchOf(TRemoteSession &ftp, const QString &source, const QString &remoteName,
                                  qint64 size);
  // The second connection if it can take a file now; made at the run's second file to send.
  TUploadHelper *HelperFor(TRemoteSession &ftp);
  // Ends the second connection of a run (the logout runs meanwhile; the object goes later).
  std::unique_ptr<TUploadHelper> TakeHelper();
  // Checks the sizes (and with Verify the contents) of uploads that arrived in the current
  // directory and renames them over their targets, in order, in a few round trips: a result
  // code for each. The first that fails stops the rest (wrNotPlaced; their scratch files go).
  QList<int> PlaceScratchUploads(TRemoteSession &ftp, QList<TScratchUpload> &ups);
  void DropScratch(TRemoteSession &ftp, const TScratchUpload &up);
  void Log(int indent, const QString &text);
  void LogError(int indent, const QString &text);
  void LogDir(int indent, bool rootToo, const QString &folder);
  // The start of a copy phase: the action, the protocol line and the log line.
  void BeginCopyPhase();
  // The folder line of a synchronisation, written before the folder's first deletion only.
  void LogDeletionFolder(const QString &relFolder, bool &logged);
  void Status(const QString &text) { emit StatusLine(text); }
  bool EnterRemote(TRemoteSession &ftp, const QString &name, bool create);
  void CleanLeftovers(TRemoteSession &ftp);
  bool SyncFtpImpl(TRemoteSession &ftp, const QString &sourceRoot, int &count, bool useFilter, bool recurse,
                   const QString &mask, const QString &relFolder, const QString &remoteName, bool create);
  bool LeaveRemote(TRemoteSession &ftp, const QString &parent);
  int VerifyRemote(TRemoteSession &ftp, const QString &source, const QString &remote, qint64 size);
  void ProgressOf(TFileAction action, qint64 done, qint64 &lastSent);
  TTransferSummary RunPhases(const std::function<bool(int &)> &sync, const std::function<bool(int &)> &copy);

  // Checked before each file, folder and command of a walk; notes that the walk stops.
  bool StopHere() {
    if (!FStopped.load())
      return false;
    FBrokeOff = true;
    return true;
  }
  std::atomic<bool> FStopped{false};
  bool FBrokeOff = false;
  QStringList FLeftovers;    // remote scratch files still to remove (full paths)
  mutable QString FMaskText; // the mask FMaskFilter was made from
  mutable TTextFilter FMaskFilter{true, true};
  mutable bool FMaskValid = true;
  QString FMessage; // the message of a removal that stopped on a server error
  std::atomic<TRemoteSession *> FActiveFtp{nullptr};
  std::unique_ptr<TUploadHelper> FHelper;
  std::mutex FHelperLock; // FHelper as Cancel() sees it
  bool FHelperTried = false;
  int FFilesStarted = 0; // files handed to a session in this run
  TConnectionUse FUse;
};
