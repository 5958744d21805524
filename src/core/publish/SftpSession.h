#pragma once
// The program's SFTP session for publishing: the SFTP client with a current remote directory,
// its cached listing, the project's case change and messages the user can act on.
#include "core/net/SftpClient.h"
#include "core/publish/RemoteSession.h"

#include <QHash>
#include <QString>
#include <functional>

// A project's SFTP connection values. Secrets the project does not keep stay empty: the caller
// asks for them.
struct TSftpConnectParams {
  QString Host;
  int Port = 22;
  QString Username;
  QByteArray Password;
  QString KeyFile; // log in with this private key instead of the password
  QByteArray Passphrase;
  int TransferTimeout = 60000; // ms
  int CaseMode = 0;            // 0 unchanged, 1 lower case, 2 upper case
};

class TProjectInfo;
// The connection values of a project in SFTP mode.
TSftpConnectParams SftpParamsOf(const TProjectInfo &project);

class TSftpSession : public TRemoteSession {
public:
  TSftpSession() = default;

  void SetConnectParams(const TSftpConnectParams &p);
  // Asked with the server's key fingerprint on every connect; false refuses the server.
  void SetHostKeyCheck(std::function<bool(const QString &)> f) { FClient.OnHostKey = std::move(f); }
  TSftpClient &Client() { return FClient; }
  void SetTempDir(const QString &dir) { FTempDir = dir; }
  int CaseMode() const { return FCaseMode; }
  void SetCaseMode(int mode) { FCaseMode = mode; }
  // Thread-safe: ends every wait at once; for an owner that is going away.
  void Shutdown() { FClient.Shutdown(); }

  // The reason the last Open() failed, in words for the status window and the log.
  QString ConnectError() const;

  QString Protocol() const override { return QStringLiteral("SFTP"); }
  QString ServerText() const override;
  bool Open() override;
  void Disconnect() override;
  bool Connected() const override { return FClient.Connected(); }
  QString ConnectProblem() const override {
    return FClient.ConnectFailure() == cfNone ? QString() : ConnectError();
  }
  QString ModifyName(const QString &name) const override;
  QString CurrentDir() const override { return FCurrentDir; }
  QString LoginDir() const override { return FClient.HomeDir(); }
  QString TempDir() const override { return FTempDir; }
  bool ChangeToDir(const QString &dir) override;
  int ChangeToNewDir(const QString &dir) override;
  bool ForceDir(const QString &dir) override;
  bool RemoveDir(const QString &name) override;
  bool GetFileList() override;
  const TFtpFileList &FileList() const override { return FList; }
  bool GetDirList(TDirectoryList &dirList) override;
  bool ExactTimes() const override { return true; }
  int CheckTimeStamp(const QString &name, int delta, bool asGMT, const QDateTime &localTime) override;
  bool SetTimeStampFromFile(const QString &localFile, const QString &name, bool checkTime) override;
  int Flush(QIODevice *source, const QString &destFile, bool append) override;
  int Fill(const QString &sourceFile, QIODevice *dest) override;
  bool FileSize(const QString &name, qint64 &size) override;
  bool RenameFile(const QString &from, const QString &to) override;
  void SizeAndTime(const QString &tempName, const QString &localFile, qint64 &size, bool &timeSet) override;
  bool PlaceScratch(const QString &temp, const QString &name) override { return RenameFile(temp, name); }
  bool DeleteFile(const QString &name, bool initListing) override;
  bool DeleteName(const QString &name) override;
  void AbortTransfer() override { FClient.Abort(); }
  void ClearAbort() override { FClient.ClearAbort(); }
  QString IndyError() override;
  bool LastRefused() const override { return FClient.ErrorKind() == ekProtocol && FClient.Connected(); }
  void SetQuickTimeouts(bool on) override;
  TProgressFn SwapProgress(TProgressFn f) override;

  // A remote path: absolute, or relative to the current directory; "." and ".." resolved.
  QString AbsolutePath(const QString &path) const;

private:
  bool Failed();
  bool EnsureListing();
  void Invalidate() { FValidListing = false; }

  TSftpClient FClient;
  QString FCurrentDir;
  QString FTempDir;
  QString FError;
  int FCaseMode = 0;
  int FTimeout = 60000;
  bool FValidListing = false;
  TFtpFileList FList;
  TFtpFileList FDirs;
  // The files Flush() sent and not yet checked, with the bytes the server acknowledged for each
  // (uploads are checked in groups, after several files have gone up).
  QHash<QString, qint64> FSent;
};
