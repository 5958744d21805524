#pragma once
// Plain records shared by the FTP protocol layer and the FTP session: connection parameters,
// proxy settings, listing entries, certificate details and the kinds of failure.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// How TLS is used on the control connection.
enum TFtpTlsMode {
  tlNone,                // plain FTP
  tlExplicitIfAvailable, // "AUTH TLS" when the server accepts it, plain otherwise
  tlExplicitRequire,     // "AUTH TLS" or fail
  tlImplicit             // TLS from the first byte
};

// Firewall logon methods, in the order the proxy dialog lists them (0 = no proxy).
enum TFtpProxyMode {
  pmNone,
  pmUserSite,       // "USER user@hostname" (after the firewall logon when a firewall user is set)
  pmSite,           // firewall logon, "SITE hostname", then the server logon
  pmOpen,           // optional firewall logon, "OPEN hostname", then the server logon
  pmUserFwUserHost, // "USER user@firewalluser@hostname", "PASS pass@firewallpass"
  pmTransparent,    // firewall logon, then the server logon on the same connection
  pmUserHostFwId    // "USER user@hostname firewalluser", "PASS pass", "ACCT firewallpass" when asked
};
constexpr int FtpProxyModeCount = 7;

struct TFtpProxySettings {
  QString Server;
  QString Username;
  QString Password;
  int Port = 2121;
  int Mode = pmNone; // TFtpProxyMode; the top bit is ignored
  TFtpProxyMode EffectiveMode() const {
    const int m = Mode & 0x7f;
    return m > 0 && m < FtpProxyModeCount && !Server.isEmpty() ? TFtpProxyMode(m) : pmNone;
  }
};

// Everything needed to open one FTP session; the project settings are mapped onto it.
struct TFtpConnectParams {
  QString Host;
  int Port = 21;
  QString Username;
  QString Password;
  bool Passive = false;
  int SecureMode = 0;          // 0 no TLS, 1 "If available", 2 "Require (explicite)", 3 "Always (impilcite)"
  int TransferTimeout = 60000; // ms
  int CaseMode = 0;            // 0 unchanged, 1 lower case, 2 upper case (TTextChange order)
  TFtpProxySettings Proxy;
};

// Why an operation failed. The session reacts differently to each: a lost connection is
// re-established, a refused command is not.
enum TFtpErrorKind {
  ekNone,
  ekReadTimeout, // no answer within the time-out
  ekSocket,      // the network reported an error (reset, refused, TLS failure, ...)
  ekClosed,      // the peer closed the connection
  ekProtocol,    // the server refused or answered something we do not understand
  ekAborted,     // the caller aborted the transfer
  ekLocal        // a local stream or file failed, or the request itself is invalid
};

enum TFtpDirection { fdUpload, fdDownload };

struct TFtpListEntry {
  QString Name;
  bool IsDir = false;
  bool IsLink = false;
  qint64 Size = 0;
  QDateTime ModifiedUtc; // invalid when the listing gave no time
};

// Details of the server certificate of the last TLS connection.
struct TFtpPeerCertificate {
  QString Fingerprint; // SHA-256, upper-case hex pairs separated by ':'
  int Version = 0;
  QString SerialText; // as the certificate gives it: hex pairs separated by ':'
  QString Issuer;     // one line
  QString Subject;
  QDateTime ValidFrom;
  QDateTime ValidUntil;
  bool Verified = false; // chain and host name verified against the trusted roots
  QStringList Errors;    // verification errors when not verified
  QString Protocol;      // negotiated TLS version, e.g. "TLS 1.3"
};
