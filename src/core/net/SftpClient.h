#pragma once
// A blocking SFTP client on libssh. One thread owns an instance and calls it; every wait for the
// server is bounded by TimeoutMs, and Abort() from any thread ends an upload or download before
// its next block (and a wait that has already taken long, by closing the connection).
//
// Remote paths are absolute or relative to the login directory, "/" separated, UTF-8 on the
// wire. Each operation returns false on failure and leaves the reason in ErrorKind() (ekProtocol:
// the server refused; anything else: the connection is gone) and ErrorText().
#include "core/net/FtpTypes.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>

class QIODevice;

// Why Connect() failed, for the messages the user sees.
enum TSftpConnectFailure {
  cfNone,
  cfUnknownHost, // the name does not resolve
  cfConnect,     // no connection (closed port, refused, unreachable, time-out)
  cfHandshake,   // the SSH handshake failed
  cfHostKey,     // the server's key was not accepted (OnHostKey said no)
  cfPassword,    // the server refused the user name and password
  cfKeyFile,     // the key file cannot be read (missing, damaged, wrong pass phrase)
  cfKeyRefused,  // the server refused the key
  cfSubsystem    // logged in, but SFTP is not available
};

class TSftpClient {
public:
  TSftpClient();
  ~TSftpClient();
  TSftpClient(const TSftpClient &) = delete;
  TSftpClient &operator=(const TSftpClient &) = delete;

  // Connection settings, read by Connect(). With a key file the key logs in, else the password.
  QString Host;
  int Port = 22;
  QString Username;
  QByteArray Password;
  QString KeyFile;
  QByteArray Passphrase;
  int ConnectTimeoutMs = 20000;
  int TimeoutMs = 60000; // longest wait for any answer of the server
  // Bounds on what a server may send: a listing larger or slower than this is an error.
  int MaxListEntries = 1000000;
  int ListingTimeoutMs = 10 * 60 * 1000;
  int BlockSize = 128 * 1024; // bytes per write request (servers accept messages up to 256 KB)

  // Called with the server's key ("SHA256:" + base64, as OpenSSH shows it) before anything is
  // sent to the server; false refuses the server (cfHostKey). Unset: every key is refused.
  std::function<bool(const QString &fingerprint)> OnHostKey;
  // Bytes moved so far in the running transfer; on the owning thread.
  std::function<void(TFtpDirection, qint64)> OnProgress;

  // True when the key file holds a private key that needs a pass phrase.
  static bool KeyNeedsPassphrase(const QString &keyFile);

  bool Connect();
  void Disconnect();
  bool Connected() const;
  TSftpConnectFailure ConnectFailure() const { return FFailure; }
  QString HostKeyFingerprint() const { return FFingerprint; }
  // The login directory as an absolute path.
  QString HomeDir() const { return FHome; }
  // True when the server renames over an existing file in one step (posix-rename).
  bool AtomicRename() const { return FPosixRename; }

  bool List(const QString &dir, QList<TFtpListEntry> &entries);
  // Details of one name (links are not followed); false when it does not exist or on an error.
  bool Stat(const QString &path, TFtpListEntry &entry);
  bool MakeDir(const QString &path);
  bool RemoveDir(const QString &path);
  bool DeleteFile(const QString &path);
  // Renames; an existing target is replaced (see UploadRename for how).
  bool Rename(const QString &from, const QString &to);
  bool SetModificationTime(const QString &path, const QDateTime &utc);
  // Writes the rest of source into a new (or emptied) remote file, mode 0644.
  bool Put(QIODevice *source, const QString &remote);
  bool Get(const QString &remote, QIODevice *dest, qint64 maxBytes = -1);

  // Thread-safe. Abort() stays set until ClearAbort(); Shutdown() cannot be cleared and closes
  // the connection at once (for an owner that is going away).
  void Abort();
  void ClearAbort() {
    if (!FShutdown.load())
      FAbort.store(false);
  }
  bool AbortRequested() const { return FAbort.load(); }
  void Shutdown();

  TFtpErrorKind ErrorKind() const { return FErrorKind; }
  QString ErrorText() const { return FErrorText; }

private:
  struct TImpl;
  bool Fail(TFtpErrorKind kind, const QString &text);
  // The error of the last failed SFTP call: a refusal keeps the session, anything else ends it.
  bool SftpFail(const QString &what, const QString &path);
  bool ConnectFail(TSftpConnectFailure f, const QString &text);
  QByteArray Path(const QString &path) const;
  void BeginWait();
  void EndWait();

  TImpl *d;
  TFtpErrorKind FErrorKind = ekNone;
  QString FErrorText;
  TSftpConnectFailure FFailure = cfNone;
  QString FFingerprint;
  QString FHome;
  bool FPosixRename = false;
  std::atomic<bool> FAbort{false};
  std::atomic<bool> FShutdown{false};
  std::atomic<int> FFd{-1};
  std::atomic<qint64> FWaitSince{0}; // ms since epoch when the running call began, 0 when none
};
