#pragma once
// A blocking FTP/FTPS client on QSslSocket. One thread owns an instance and calls it; every
// wait is bounded by a time-out and sliced so that Abort() from any thread ends a transfer
// promptly.
//
// Each operation returns false on failure and leaves the reason in ErrorKind()/ErrorText();
// the last reply of the server is kept in LastReplyCode()/LastReplyText().
#include "core/net/FtpTypes.h"

#include <QHostAddress>
#include <QList>
#include <QSet>
#include <QSsl>
#include <QSslConfiguration>
#include <atomic>
#include <functional>
#include <memory>

class QIODevice;
class QSslSocket;
class QTcpSocket;
class TFtpTls;
namespace FtpSocket {
class TDataChannel;
}

enum TFtpTextEncoding { teUtf8, teLatin1 };

class TFtpClient {
public:
  TFtpClient();
  virtual ~TFtpClient();
  TFtpClient(const TFtpClient &) = delete;
  TFtpClient &operator=(const TFtpClient &) = delete;

  // Connection settings, read by Connect().
  QString Host;
  int Port = 21;
  QString Username;
  QString Password;
  bool Passive = true;
  TFtpTlsMode TlsMode = tlNone;
  bool ProtectData = false;         // "PROT P" when TLS is up, else "PROT C"
  bool UseExtendedDataPort = false; // "EPSV"/"EPRT" when the server offers them
  bool SendHostCommand = true;      // "HOST name" before the logon (names only, not addresses)
  bool UseMachineListing = true;    // "MLSD" when the server offers "MLST"
  int ReadTimeout = 60000;          // ms without an answer or data before ekReadTimeout; also the
                                    // longest wait for a command's final reply, preliminary
                                    // ("1xx") replies included
  int ConnectTimeout = 20000;       // ms for the TCP connect and each TLS handshake
  // Bounds on what a server may send us: a reply that grows beyond them, or a listing that is
  // larger or takes longer, is a protocol error and costs the connection (the next operation
  // reconnects). Generous for real servers; tests make them small.
  int MaxReplyBytes = 1024 * 1024;
  int MaxReplyLines = 10000;
  qint64 MaxListingBytes = qint64(256) * 1024 * 1024;
  int ListingTimeout = 10 * 60 * 1000; // ms for a whole listing, however steadily data comes
  TFtpProxySettings Proxy;
  TFtpTextEncoding Encoding = teUtf8;
  QSsl::SslProtocol TlsProtocol = QSsl::TlsV1_2OrLater;
  // Data connections resume the TLS session on OpenSSL directly (one context, the session kept as
  // an object instead of decoded anew for every file); off, or with a client certificate, Qt
  // secures each data socket as it does the control connection.
  bool DirectDataTls = true;
  // Client side of TLS; empty names are not used.
  QString CaFile;   // extra trusted root (PEM), added to the system's roots
  QString CertFile; // client certificate (PEM)
  QString KeyFile;  // client key (PEM)
  QByteArray KeyPassphrase;
  std::function<QByteArray()> OnKeyPassphrase; // asked when set, before KeyPassphrase

  // Called after every TLS handshake of the control connection; returning false refuses the
  // server and ends the connect with ekProtocol.
  std::function<bool(const TFtpPeerCertificate &)> OnPeerCertificate;
  // Bytes moved so far in the running transfer. Called on the thread that runs the transfer.
  std::function<void(TFtpDirection, qint64)> OnProgress;
  // Protocol log: commands (passwords hidden) and replies.
  std::function<void(const QString &)> OnLog;

  static bool TlsSupported();

  bool Connect();
  // Sends "QUIT" when connected (bounded wait) and closes; never fails.
  void Disconnect();
  bool Connected() const;
  bool TlsActive() const { return FTlsActive; }
  bool DataProtected() const { return FTlsActive && FProtP; }
  const TFtpPeerCertificate &PeerCertificate() const { return FPeerCert; }
  QHostAddress PeerAddress() const;

  // Features of the last "FEAT" answer, upper case, first word ("UTF8", "MFMT", "MLST", ...).
  bool HasFeature(const QString &name) const { return FFeatures.contains(name.toUpper()); }
  QStringList FeatureLines() const { return FFeatureLines; }

  // Sends one command line and reads its final reply; the reply code, or 0 on failure.
  int Quote(const QString &command);
  bool ChangeDir(const QString &dir);
  bool ChangeDirUp();
  bool PrintWorkingDir(QString &dir);
  bool MakeDir(const QString &dir);
  bool RemoveDir(const QString &dir);
  bool DeleteFile(const QString &name);
  bool Rename(const QString &from, const QString &to);
  bool SetUtf8(bool on); // "OPTS UTF8 ON|OFF", "OPTS UTF-8 NLST" as fall-back for ON
  // Detailed listing of the working directory ("MLSD" when offered and enabled, else "LIST").
  bool List(QList<TFtpListEntry> &entries);
  // "MDTM name" in UTC.
  bool ModificationTime(const QString &name, QDateTime &utc);
  // The times of many files: the "MDTM" commands go out in batches and the replies are read in
  // order, so a folder costs a round trip per batch rather than per file. utc gets one entry per
  // name, invalid where the server gave no time. False only when the session failed.
  bool ModificationTimes(const QStringList &names, QList<QDateTime> &utc);
  // Sends the commands in one write and reads their final replies in order (code, first line),
  // saving a round trip per command where no command depends on the answer before it.
  // False when the session failed; replies then holds what was read until then.
  bool Pipeline(const QStringList &commands, QList<QPair<int, QString>> &replies);
  // "MFMT" when offered, else "MDTM <time> name"; `utc` is written as given.
  bool SetModificationTime(const QString &name, const QDateTime &utc);
  // The command SetModificationTime sends ("MFMT" where offered, else "MDTM" with a time).
  QString SetTimeCommand(const QString &name, const QDateTime &utc) const;
  // "SIZE name".
  bool FileSize(const QString &name, qint64 &size);

  // Transfers in binary mode. Put reads `source` from its current position to its end.
  bool Put(QIODevice *source, const QString &remoteName, bool append = false);
  bool Get(const QString &remoteName, QIODevice *dest);

  // Thread-safe: makes the running transfer, or the wait for a reply, end with ekAborted.
  // Stays set until ClearAbort(). A wait for a reply that is ended this way closes the control
  // connection, since the reply may still come and would be taken for the next one.
  void Abort() { FAbort.store(true); }
  void ClearAbort() {
    if (!FShutdown.load())
      FAbort.store(false);
  }
  bool AbortRequested() const { return FAbort.load(); }
  // Thread-safe: an abort that nothing clears any more, for an owner that is going away; every
  // wait ends at once and no operation starts a new connection.
  void Shutdown() {
    FShutdown.store(true);
    FAbort.store(true);
  }
  bool ShuttingDown() const { return FShutdown.load(); }

  TFtpErrorKind ErrorKind() const { return FErrorKind; }
  QString ErrorText() const { return FErrorText; }
  int LastReplyCode() const { return FReplyCode; }
  QString LastReplyText() const { return FReplyLines.join(u'\n'); }
  QString LastReplyFirstLine() const { return FReplyLines.value(0); }
  // Control-connection commands sent since connect, for tests and the log: passwords hidden.
  const QStringList &SentCommands() const { return FSent; }

protected:
  void SetError(TFtpErrorKind kind, const QString &text);
  void ClearError();
  void Log(const QString &text) const;

private:
  class TDataListener;
  bool ConnectControl();
  bool NegotiateTls();
  bool TlsEstablished();
  bool Logon();
  bool LogonUser(const QString &user, const QString &pass, const QString &acct);
  // drain: first drop replies nobody asked for (not between pipelined commands).
  bool SendLine(const QString &line, bool hidden = false, bool drain = true);
  // One reply; `abortable`: Abort() ends the wait. Every failure but a refusal leaves the
  // connection out of step with the server and closes it.
  bool ReadReply(int timeoutMs, bool abortable = true);
  // Replies until a final one (2xx-5xx), all within timeoutMs.
  bool ReadFinalReply(int timeoutMs);
  bool Command(const QString &line, bool hidden = false); // true when a final reply arrived
  // Records the error and closes the control connection: what the server sends next can no
  // longer be matched to our commands.
  void Drop(TFtpErrorKind kind, const QString &text);
  bool NameCommand(const QString &verb, const QString &name);
  bool CheckName(const QString &name);
  bool EnsureBinary();
  // early: in, the transfer may send its data before the server's "150"; out, whether it does.
  std::unique_ptr<FtpSocket::TDataChannel> OpenData(const QString &command, bool &early);
  std::unique_ptr<FtpSocket::TDataChannel> SecureData(std::unique_ptr<QSslSocket> data);
  void ResyncAfterAbort();
  // maxBytes/timeoutMs (when >= 0) bound a download as a whole: listings land in memory.
  bool Transfer(const QString &command, QIODevice *source, QIODevice *dest, qint64 maxBytes = -1,
                int timeoutMs = -1);
  void SocketError(QTcpSocket *s, const QString &what);
  QSslConfiguration BaseSslConfiguration();
  void RecordPeer(QSslSocket *s);
  QString Decode(const QByteArray &line) const;
  QByteArray Encode(const QString &text) const;

  std::unique_ptr<QSslSocket> FCtrl;
  std::unique_ptr<TFtpTls> FDataTls; // made at the first secured data connection
  std::atomic<bool> FAbort{false};
  std::atomic<bool> FShutdown{false};
  bool FTlsActive = false;
  bool FProtP = false;
  bool FBinary = false;
  bool FPipelineData = false; // the server has answered a port request properly (see OpenData)
  QList<QSslError> FSslErrors;
  TFtpPeerCertificate FPeerCert;
  QSet<QString> FFeatures;
  QStringList FFeatureLines;
  TFtpErrorKind FErrorKind = ekNone;
  QString FErrorText;
  int FReplyCode = 0;
  QStringList FReplyLines;
  QStringList FSent;
};
