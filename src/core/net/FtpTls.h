#pragma once
// TLS on the data connections, run on OpenSSL directly. A socket secured by Qt makes a new TLS
// context for every connection and decodes the stored session (the server's certificate with
// it) again each time; with one data connection per file that was a third of the client's time
// per small file. Here the context is made once per client, the control connection's session is
// decoded once, and each data connection resumes the newest session the server has handed out.
#include "core/net/FtpSocket.h"

#include <QByteArray>
#include <atomic>
#include <memory>

class QSslCertificate;
struct ssl_ctx_st;
struct ssl_session_st;

class TFtpTls {
public:
  TFtpTls() = default;
  ~TFtpTls();
  TFtpTls(const TFtpTls &) = delete;
  TFtpTls &operator=(const TFtpTls &) = delete;

  // Makes ready to resume `session` (the control connection's, as Qt stores it). False when data
  // connections cannot be secured here (library missing, no session yet, a protocol other than
  // TLS 1.2/1.3); the caller then lets Qt secure them.
  bool Prepare(const QByteArray &session);

  // Runs the handshake on the connected socket `fd`, which the channel takes over (on failure it
  // is reset and closed here). A server that does not resume the session must show `peer`, the
  // certificate judged on the control connection. expectTickets: the server sends session tickets
  // after a TLS 1.3 handshake, and they are read before the connection is closed. Null on
  // failure, with kind and text set.
  std::unique_ptr<FtpSocket::TDataChannel> Secure(int fd, const QString &host, const QSslCertificate &peer,
                                                  bool expectTickets, int timeoutMs,
                                                  const std::atomic<bool> &abort, TFtpErrorKind &kind,
                                                  QString &text);

private:
  ssl_ctx_st *FCtx = nullptr;
  ssl_session_st *FSession = nullptr;
  QByteArray FSessionData;
  int FVersion = 0;
};
