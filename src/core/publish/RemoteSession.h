#pragma once
// What the publishing walks need from a server, whatever the protocol: a current remote
// directory with its cached listing, folders made and removed, files sent, read back, renamed,
// timed and deleted. The FTP session (TExtFtp, through TFtpRemote) and the SFTP session
// (TSftpSession) both offer it, so that synchronising, dry runs, verified uploads, the log and
// the removal of the server directory behave the same on either.
//
// Names given to the file operations are in the current directory and go through ModifyName()
// (the project's case change) unless said otherwise; paths given to ChangeToDir() and
// ForceDir() may be absolute.
#include "core/net/FtpTypes.h"
#include "core/publish/FtpUtils.h" // TFtpFileList, transfer result codes

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

class QIODevice;

class TRemoteSession {
public:
  using TProgressFn = std::function<void(TFtpDirection, qint64)>;
  virtual ~TRemoteSession() = default;

  // "FTP" or "SFTP": the log line of a run starts with it.
  virtual QString Protocol() const = 0;
  // host:port, for messages.
  virtual QString ServerText() const = 0;

  // Connects and logs in; the current directory becomes the login directory.
  virtual bool Open() = 0;
  virtual void Disconnect() = 0;
  virtual bool Connected() const = 0;
  // Why the last Open() failed, in words the user can act on ("" when the error says it all).
  virtual QString ConnectProblem() const { return {}; }

  virtual QString ModifyName(const QString &name) const = 0;
  virtual QString CurrentDir() const = 0;
  virtual QString LoginDir() const = 0;
  // Local folder for scratch files ("" = the system's).
  virtual QString TempDir() const = 0;

  virtual bool ChangeToDir(const QString &dir) = 0;
  // Enters the folder, making it first when missing: 0 it existed, 1 made now, -1 failed.
  virtual int ChangeToNewDir(const QString &dir) = 0;
  // Enters the path, making every missing level.
  virtual bool ForceDir(const QString &dir) = 0;
  // The name as the server gave it.
  virtual bool RemoveDir(const QString &name) = 0;

  // The current directory's files (links too) and folders; cached until something changes.
  virtual bool GetFileList() = 0;
  virtual const TFtpFileList &FileList() const = 0;
  virtual bool GetDirList(TDirectoryList &dirList) = 0;
  // True when the listing's times are exact to the second (no per-file time query needed).
  virtual bool ExactTimes() const = 0;
  // Listings that report links as links rather than leaving them out (FTP: "LIST", not "MLSD").
  virtual bool MachineListing() const { return false; }
  virtual void SetMachineListing(bool) {}

  // 0 the remote time is unknown, 1 older than localTime - delta s, 3 newer than localTime +
  // delta s, 2 within.
  virtual int CheckTimeStamp(const QString &name, int delta, bool asGMT, const QDateTime &localTime) = 0;
  // The times of many names of the current directory at once (names as on the server); false
  // when the session cannot, and then CheckTimeStamp asks one by one.
  virtual bool ModificationTimes(const QStringList &, QList<QDateTime> &) { return false; }
  virtual bool SetTimeStampFromFile(const QString &localFile, const QString &name, bool checkTime) = 0;

  // Sends / reads one file; a transfer result code (frOk, frCancelled, ...).
  virtual int Flush(QIODevice *source, const QString &destFile, bool append) = 0;
  virtual int Fill(const QString &sourceFile, QIODevice *dest) = 0;
  // Name as given (no case change).
  virtual bool FileSize(const QString &name, qint64 &size) = 0;
  // Replaces an existing target.
  virtual bool RenameFile(const QString &from, const QString &to) = 0;
  // After a scratch file arrived (name as on the server): its size there (-1 when the server
  // cannot tell) and whether the local file's time was set on it.
  virtual void SizeAndTime(const QString &tempName, const QString &localFile, qint64 &size,
                           bool &timeSet) = 0;
  // Renames the checked scratch file over the target (names before the case change).
  virtual bool PlaceScratch(const QString &temp, const QString &name) = 0;
  // The same for many files of the current directory at once (a session that can sends them
  // together); by default one by one.
  struct TScratchCheck {
    QString TempName;  // as on the server
    QString LocalFile;
    qint64 Size = -1;
    bool TimeSet = false;
  };
  virtual void SizesAndTimes(QList<TScratchCheck> &files) {
    for (TScratchCheck &f : files)
      SizeAndTime(f.TempName, f.LocalFile, f.Size, f.TimeSet);
  }
  // (temp, name) pairs; whether each was placed.
  virtual QList<bool> PlaceScratches(const QList<QPair<QString, QString>> &pairs) {
    QList<bool> ok;
    for (const auto &[temp, name] : pairs)
      ok << PlaceScratch(temp, name);
    return ok;
  }
  virtual bool DeleteFile(const QString &name, bool initListing) = 0;
  // Deletes the name exactly as the server gave it.
  virtual bool DeleteName(const QString &name) = 0;

  // Thread-safe: ends the running transfer.
  virtual void AbortTransfer() = 0;
  virtual void ClearAbort() = 0;
  // The first error since the last call (for the log); reading clears it.
  virtual QString IndyError() = 0;
  // True when the last failure was the server refusing, with the connection still usable.
  virtual bool LastRefused() const = 0;
  // Short waits for the clean-up after a cancel, and back.
  virtual void SetQuickTimeouts(bool on) = 0;
  // Installs the progress callback of a transfer and returns the one it replaces.
  virtual TProgressFn SwapProgress(TProgressFn f) = 0;

  // A second, unconnected session to the same server for sending files alongside this one, made
  // on this session's thread and usable on another one; null when the session has none.
  virtual std::unique_ptr<TRemoteSession> NewTwin() const { return nullptr; }
};

// The FTP session seen through the interface above. The session stays its owner's.
class TFtpRemote : public TRemoteSession {
public:
  explicit TFtpRemote(TExtFtp &ftp) : FFtp(ftp) {}
  TExtFtp &Ftp() { return FFtp; }

  QString Protocol() const override { return QStringLiteral("FTP"); }
  QString ServerText() const override;
  bool Open() override;
  void Disconnect() override;
  bool Connected() const override;
  QString ModifyName(const QString &name) const override;
  QString CurrentDir() const override;
  QString LoginDir() const override;
  QString TempDir() const override;
  bool ChangeToDir(const QString &dir) override;
  int ChangeToNewDir(const QString &dir) override;
  bool ForceDir(const QString &dir) override;
  bool RemoveDir(const QString &name) override;
  bool GetFileList() override;
  const TFtpFileList &FileList() const override;
  bool GetDirList(TDirectoryList &dirList) override;
  bool ExactTimes() const override;
  bool MachineListing() const override;
  void SetMachineListing(bool on) override;
  int CheckTimeStamp(const QString &name, int delta, bool asGMT, const QDateTime &localTime) override;
  bool ModificationTimes(const QStringList &names, QList<QDateTime> &utc) override;
  bool SetTimeStampFromFile(const QString &localFile, const QString &name, bool checkTime) override;
  int Flush(QIODevice *source, const QString &destFile, bool append) override;
  int Fill(const QString &sourceFile, QIODevice *dest) override;
  bool FileSize(const QString &name, qint64 &size) override;
  bool RenameFile(const QString &from, const QString &to) override;
  void SizeAndTime(const QString &tempName, const QString &localFile, qint64 &size, bool &timeSet) override;
  bool PlaceScratch(const QString &temp, const QString &name) override;
  void SizesAndTimes(QList<TScratchCheck> &files) override;
  QList<bool> PlaceScratches(const QList<QPair<QString, QString>> &pairs) override;
  bool DeleteFile(const QString &name, bool initListing) override;
  bool DeleteName(const QString &name) override;
  void AbortTransfer() override;
  void ClearAbort() override;
  QString IndyError() override;
  bool LastRefused() const override;
  void SetQuickTimeouts(bool on) override;
  TProgressFn SwapProgress(TProgressFn f) override;
  std::unique_ptr<TRemoteSession> NewTwin() const override;

private:
  TExtFtp &FFtp;
  int FConnectTimeout = 0, FReadTimeout = 0;
};
