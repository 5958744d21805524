#pragma once
// The program's one FTP session: TLS set-up with the optional client certificate, the project's
// security choice, name case conversion, walking and creating remote directory paths, cached
// directory listings, remote time stamps, and a recovery step that reconnects and retries after
// a lost connection. Transfers are binary and report the shared transfer result codes.
#include "core/net/FtpClient.h"

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class QFileInfo;
class QIODevice;

// Transfer result codes, shared with the publishing workers.
enum TTransferResult : int {
  frOk = 0,
  frCancelled = 128,
  frDestEmpty = 257,
  frSourceMissing = 258,
  frDownloadFailed = 280,
  frUploadFailed = 281,
  frReconnectFailed = 282,
  frConnectionLost = 283,
  frDataConnection = 284,
  frReadTimeout = 285
};

struct TCerticateInfo {
  int Version = 0;
  qint64 SerialNumber = 0;
  QString Server;
  QString Issuer;
  QString Fingerprint;
  QDateTime ValidUntil;
  QString Subject;
  QDateTime ValidFrom;
  bool Verified = false; // chain and host name check out against the trusted roots
  void Clear() {
    *this = TCerticateInfo{};
    ValidUntil = QDateTime::currentDateTime();
  }
};

class TFtpFileInfo {
public:
  QString FFileName;
  qint64 FSize = 0;
  QDateTime FModifiedDate;    // local time
  QDateTime FModifiedDateGMT; // UTC
};

// Remote names (case-sensitive) with their details, in listing order.
class TFtpFileList {
public:
  void Clear() { FItems.clear(); }
  int Count() const { return int(FItems.size()); }
  const TFtpFileInfo &operator[](int i) const { return FItems[i]; }
  QString Name(int i) const { return FItems[i].FFileName; }
  int IndexOf(const QString &name) const;
  void Add(const TFtpFileInfo &info) { FItems.append(info); }
  QStringList Names() const;

private:
  QList<TFtpFileInfo> FItems;
};
using TFileList = TFtpFileList;
using TDirectoryList = TFtpFileList;

enum TFtpEncoding { feASCII, fe8Bit, feUtf8 };

class TExtFtp : public TFtpClient {
public:
  // pwd: pass phrase of the client key; key, cert, root: file names of the client key, client
  // certificate and extra trusted root, looked up in path (the program's folder).
  TExtFtp(const QByteArray &pwd, const QString &key, const QString &cert, const QString &root,
          const QString &path);
  ~TExtFtp() override;

  // Copies the connection values of a project (host, port, user, password, passive mode,
  // security, transfer time-out, case mode, proxy).
  void SetConnectParams(const TFtpConnectParams &p);

  // 0 no TLS, 1 "If available", 2 "Require (explicite)", 3 "Always (impilcite)".
  void SetSecureTransfer(int v);
  int SecureTransfer() const { return FSecure; }
  bool CanUseTls() const { return fTLS; }

  int CaseMode() const { return CMode; }
  void SetCaseMode(int mode) { CMode = mode; }
  QString ReplaceChars() const { return fRepl; }
  void SetReplaceChars(const QString &chars) { fRepl = chars; }
  QString CurrentDir() const { return fCurrentDir; }
  QString LoginDir() const { return fDir; }
  QString PeerFingerprint() const { return fPeerFingerprint; }
  void SetPeerFingerprint(const QString &fp) { fPeerFingerprint = fp; }
  QString TempDir() const { return fTmpDir; }
  void SetTempDir(const QString &dir) { fTmpDir = dir; }
  int VerifyPeerMode() const { return fVerifyPeerMode; }
  void SetVerifyPeerMode(int mode) { fVerifyPeerMode = mode; }
  int TimeOffset() const { return fTimeOffset; }
  void SetTimeOffset(int minutes) { fTimeOffset = minutes; }
  bool UseOpts() const { return fUseOpts; }
  void SetUseOpts(bool on) { fUseOpts = on; }
  void SetForceUtf8(bool on) { fForceUtf8 = on; }
  void SetUseExtensions(bool on) {
    fUseExts = on;
    UseExtendedDataPort = on;
  }
  void SetQuotes(bool on) { fQuotes = on; }
  void SetUseKeepAlive(bool on) { fUseKeepAlive = on; }
  bool ServerUtf8() const { return fUTF8; }
  const TCerticateInfo &CertInfo() const { return fCertInfo; }
  QString FingerPrint() const { return fFingerPrint; }
  QString ChangeDirResponse() const { return FChangeDirResponse; }
  int DCount() const { return FDCount; }
  const TFileList &FileList() const { return FList; }
  void SetGetSSLPassword(std::function<QByteArray()> f) { fGetSSLPassword = std::move(f); }
  void SetConfirmCert(std::function<bool(const TCerticateInfo &)> f) { fConfirmCert = std::move(f); }
  TFtpEncoding GetEncoding() const { return fEncoding; }
  void SetEncoding(TFtpEncoding e);

  // Protocol log ("FtpLog.txt" in the temporary folder); off unless switched on.
  void SetLogActive(bool on);
  QString LogFileName() const { return fIdLogFile.fileName(); }

  // A second session to the same server with this one's connection values and settings, not
  // connected (no socket is made until it connects, so it may be used on another thread). It
  // asks nothing: it accepts only the certificate this session has accepted, insists on TLS
  // where this session got it, and has no pass-phrase prompt.
  std::unique_ptr<TExtFtp> NewTwin() const;

  // The connect of a publishing run: current directory and level count start afresh.
  bool Open();
  // Connects with up to `attempts` tries, verifies the certificate, switches to UTF-8 when
  // forced and reads the login directory.
  bool ConnectWithRetries(int attempts);

  QString ModifyName(const QString &name) const;
  // True when dir lies in the login directory login (the whole directory or below it, never a
  // sibling that merely starts with the same letters); rest is the part below it.
  static bool PathBelowLogin(const QString &dir, const QString &login, QString &rest);
  bool ForceDir(const QString &dir);
  bool ForceDirUp();
  bool ChangeToDir(const QString &dir);
  int ChangeToNewDir(const QString &dir);
  void GetCurrentDir(QString &dir);
  bool GetFileList();
  bool GetDirList(TDirectoryList &dirList);
  bool DeleteFile(const QString &name, bool initListing);
  bool DeleteDir(const QString &name);
  // "RNFR"/"RNTO" in the current directory, with recovery.
  bool RenameFile(const QString &from, const QString &to);
  int CheckTimeStamp(const QString &name, int delta, bool asGMT, const QDateTime &localTime);
  bool SetTimeStampFromFile(const QString &localFile, const QString &name, bool checkTime);
  // The server time SetTimeStampFromFile gives a copy of the file (checkTime: none in the future).
  QDateTime RemoteStamp(const QFileInfo &localFile, bool checkTime) const;
  // After commands sent past the session's own calls (TFtpClient::Pipeline) changed the folder.
  void InvalidateListing() { fValidDirectoryListing = false; }
  // Remote time of a name; invalid when the server knows none.
  QDateTime RemoteTime(const QString &name, bool asGMT);

  int Flush(QIODevice *source, const QString &destFile, bool append);
  int Fill(const QString &sourceFile, QIODevice *dest);
  void AbortTransfer();
  bool Aborted() const { return fAborted.load(); }
  int CopyFile(const QString &sourceFile, const QString &destFile);

  // The first error stored since the last call, or the last reply; reading clears the error.
  QString IndyError();
  QString ServerName() const;
  // Rounds of the recovery step before an operation gives up.
  static constexpr int MaxRecoveryRounds = 3;

private:
  void StoreError(const QString &text);
  void LogLine(const QString &text);
  void SetupIoHandler();
  bool Recover(const QString &error);
  bool IsConnectionError(bool withTimeout) const;
  // After a refusal: whether the server has ended the session (it no longer answers NOOP).
  // Some servers answer their last command with an error before they close the connection
  // (vsftpd's "500 OOPS: ..."); that is a lost connection, not a refusal. The error of the
  // refused command is kept.
  bool SessionEnded();
  bool EnsureListing();
  bool ReadListing();
  int Transfer(QIODevice *source, QIODevice *dest, const QString &remote, bool append);

  TFileList FList;
  QList<TFtpListEntry> FDirs;
  int CMode = 0;
  bool fQuotes = false;
  bool fTLS = false;
  bool fUseOpts = false;
  bool fForceUtf8 = false;
  bool fUseIPv6 = false;
  bool fUseExts = false;
  bool fUTF8 = false;
  bool fUseKeepAlive = false;
  std::atomic<bool> fAborted{false};
  QString fDir;
  QString fCurrentDir;
  QString FChangeDirResponse;
  QString fRepl;
  QString fFingerPrint;
  TCerticateInfo fCertInfo;
  QByteArray fCertPwd;
  std::function<QByteArray()> fGetSSLPassword;
  std::function<bool(const TCerticateInfo &)> fConfirmCert;
  TFtpEncoding fEncoding = feUtf8;
  QFile fIdLogFile;
  bool fLogActive = false;
  QString fPeerFingerprint;
  QString fRoot, fCert, fKey;
  QString fTmpDir;
  QString fIdError;
  int fVerifyPeerMode = 0;
  int fTimeOffset = 0;
  int FDCount = 0;
  bool fValidDirectoryListing = false;
  int FSecure = 0;
};
