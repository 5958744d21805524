#include "core/net/FtpTls.h"

#include "core/common/OpenSslLibraries.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QSslCertificate>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <poll.h>
#include <unistd.h>

using namespace FtpSocket;

// Qt's TLS back end has these libraries loaded by the time a data connection is secured; the
// program itself opens them only then.
#define QM_SSL(ret, name, params, args) QM_LAZY_FORWARD(SslLibrary(), ret, name, params, args)
#define QM_SSLCRYPTO(ret, name, params, args) QM_LAZY_FORWARD(CryptoLibrary(), ret, name, params, args)

QM_SSL(const SSL_METHOD *, TLS_client_method, (void), ())
QM_SSL(SSL_CTX *, SSL_CTX_new, (const SSL_METHOD *m), (m))
QM_SSL(void, SSL_CTX_free, (SSL_CTX * c), (c))
QM_SSL(long, SSL_CTX_ctrl, (SSL_CTX * c, int cmd, long larg, void *parg), (c, cmd, larg, parg))
QM_SSL(uint64_t, SSL_CTX_set_options, (SSL_CTX * c, uint64_t o), (c, o))
QM_SSL(void, SSL_CTX_sess_set_new_cb, (SSL_CTX * c, int (*cb)(SSL *, SSL_SESSION *)), (c, cb))
QM_SSL(SSL *, SSL_new, (SSL_CTX * c), (c))
QM_SSL(void, SSL_free, (SSL * s), (s))
QM_SSL(long, SSL_ctrl, (SSL * s, int cmd, long larg, void *parg), (s, cmd, larg, parg))
QM_SSL(int, SSL_set_fd, (SSL * s, int fd), (s, fd))
QM_SSL(int, SSL_set_session, (SSL * s, SSL_SESSION *session), (s, session))
QM_SSL(int, SSL_set_ex_data, (SSL * s, int idx, void *data), (s, idx, data))
QM_SSL(void *, SSL_get_ex_data, (const SSL *s, int idx), (s, idx))
QM_SSL(int, SSL_connect, (SSL * s), (s))
QM_SSL(int, SSL_get_error, (const SSL *s, int ret), (s, ret))
QM_SSL(int, SSL_write_ex, (SSL * s, const void *buf, size_t num, size_t *written), (s, buf, num, written))
QM_SSL(int, SSL_read_ex, (SSL * s, void *buf, size_t num, size_t *read), (s, buf, num, read))
QM_SSL(int, SSL_pending, (const SSL *s), (s))
QM_SSL(int, SSL_shutdown, (SSL * s), (s))
QM_SSL(int, SSL_session_reused, (const SSL *s), (s))
QM_SSL(int, SSL_version, (const SSL *s), (s))
QM_SSL(X509 *, SSL_get1_peer_certificate, (const SSL *s), (s))
QM_SSL(SSL_SESSION *, d2i_SSL_SESSION, (SSL_SESSION * *a, const unsigned char **pp, long length),
       (a, pp, length))
QM_SSL(void, SSL_SESSION_free, (SSL_SESSION * s), (s))
QM_SSL(int, SSL_SESSION_get_protocol_version, (const SSL_SESSION *s), (s))
QM_SSLCRYPTO(int, i2d_X509, (const X509 *x, unsigned char **out), (x, out))
QM_SSLCRYPTO(void, X509_free, (X509 * x), (x))
QM_SSLCRYPTO(unsigned long, ERR_get_error, (void), ())
QM_SSLCRYPTO(void, ERR_error_string_n, (unsigned long e, char *buf, size_t len), (e, buf, len))
QM_SSLCRYPTO(void, ERR_clear_error, (void), ())

namespace {

// Waits up to ms for the socket to be ready for `events`; true when it is (or has failed: the
// next call on it says how).
bool WaitFor(int fd, short events, int ms) {
  pollfd p{fd, events, 0};
  return ::poll(&p, 1, ms) > 0;
}

class TTlsChannel final : public TDataChannel {
public:
  // keep: where the newest session from the server goes (the next data connection resumes it).
  TTlsChannel(SSL *ssl, int fd, bool expectTickets, SSL_SESSION **keep)
      : FSsl(ssl), FFd(fd), FExpectTickets(expectTickets), FKeep(keep) {
    SSL_set_ex_data(FSsl, 0, this);
  }
  ~TTlsChannel() override {
    Close(true);
    SSL_free(FSsl);
  }

  // The handshake; false with the error set.
  bool Connect(int timeoutMs, const std::atomic<bool> &abort) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
      ERR_clear_error();
      const int r = SSL_connect(FSsl);
      if (r == 1)
        return true;
      if (!Wanted(r))
        return false;
      if (abort.load()) {
        SetError(ekAborted, QStringLiteral("Transfer aborted"));
        return false;
      }
      if (deadline.hasExpired()) {
        SetError(ekSocket, QStringLiteral("the server did not finish the handshake in time"));
        return false;
      }
      WaitFor(FFd, FWant, int(qBound<qint64>(1, deadline.remainingTime(), qint64(Slice))));
    }
  }

  bool Write(const char *data, qint64 n) override {
    if (ErrorKind != ekNone)
      return false;
    if (FOutPos > 0) {
      FOut.remove(0, FOutPos);
      FOutPos = 0;
    }
    FOut.append(data, n);
    Flush();
    return ErrorKind == ekNone;
  }

  qint64 Pending() override { return FOut.size() - FOutPos; }

  TWaitResult WaitWritten(int ms) override {
    if (ErrorKind != ekNone)
      return wrFailed;
    if (Pending() == 0)
      return wrProgress;
    if (!WaitFor(FFd, FWant, ms))
      return wrIdle;
    Flush();
    return ErrorKind != ekNone ? wrFailed : wrProgress;
  }

  QByteArray Read(qint64 max) override {
    if (ErrorKind != ekNone || FEnd)
      return {};
    // A record holds at most 16 KB; take in what has come, a few records at a time.
    QByteArray buf(int(qMin<qint64>(max, 64 * 1024)), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < buf.size()) {
      size_t n = 0;
      ERR_clear_error();
      const int r = SSL_read_ex(FSsl, buf.data() + got, size_t(buf.size() - got), &n);
      if (r > 0) {
        got += qsizetype(n);
        continue;
      }
      // What came before an end or a failure is handed over first; the next wait reports it.
      if (SSL_get_error(FSsl, r) == SSL_ERROR_ZERO_RETURN)
        FEnd = true;
      else
        Wanted(r);
      break;
    }
    buf.truncate(got);
    return buf;
  }

  TWaitResult WaitReadable(int ms) override {
    if (ErrorKind != ekNone)
      return wrFailed;
    if (FEnd)
      return wrClosed;
    if (SSL_pending(FSsl) > 0 || WaitFor(FFd, FWant, ms))
      return wrProgress;
    return wrIdle;
  }

  void Close(bool hard) override {
    if (FFd < 0)
      return;
    if (hard) {
      ResetOnClose(FFd);
    } else {
      // A TLS 1.3 server sends its session tickets after the handshake. Closing with them unread
      // makes the kernel answer with a reset, and the server may lose the end of an upload; so
      // take them in first (bounded; only from servers that send tickets at all).
      if (FExpectTickets && FTickets == 0 && !FEnd && SSL_version(FSsl) == TLS1_3_VERSION) {
        const QDeadlineTimer deadline(200);
        char scratch[4096];
        while (FTickets == 0 && !deadline.hasExpired()) {
          size_t n = 0;
          ERR_clear_error();
          const int r = SSL_read_ex(FSsl, scratch, sizeof scratch, &n);
          if (r > 0)
            continue;
          // The ticket is taken in by the read that then finds no data to return.
          const int e = SSL_get_error(FSsl, r);
          if (FTickets > 0 || e != SSL_ERROR_WANT_READ ||
              !WaitFor(FFd, POLLIN, int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        }
      }
      // Our close notification; the server's answer to it is not waited for.
      ERR_clear_error();
      SSL_shutdown(FSsl);
    }
    ::close(FFd);
    FFd = -1;
  }

  // From now on failures are the transfer's.
  void Established() { FConnected = true; }

  // A server may let a TLS 1.3 session be resumed only once and send a new one with every
  // connection (a server that insists on resumed data connections refuses the next one otherwise).
  static int OnNewSession(SSL *ssl, SSL_SESSION *session) {
    auto *self = static_cast<TTlsChannel *>(SSL_get_ex_data(ssl, 0));
    if (!self)
      return 0;
    ++self->FTickets;
    if (*self->FKeep)
      SSL_SESSION_free(*self->FKeep);
    *self->FKeep = session;
    return 1; // the reference is ours now
  }

  void SetError(TFtpErrorKind kind, const QString &what) {
    ErrorKind = kind;
    ErrorText = (FConnected ? QStringLiteral("Data connection: ") : QStringLiteral("TLS on the data connection: ")) +
                what;
  }

private:
  // After a call that returned r: true when it only has to wait for the socket (FWant says for
  // what); otherwise the error is recorded.
  bool Wanted(int r) {
    const int saved = errno;
    const int e = SSL_get_error(FSsl, r);
    if (e == SSL_ERROR_WANT_READ || e == SSL_ERROR_WANT_WRITE) {
      FWant = e == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT;
      return true;
    }
    if (const unsigned long code = e == SSL_ERROR_SSL ? ERR_get_error() : 0) {
      char text[256] = {};
      ERR_error_string_n(code, text, sizeof text);
      ERR_clear_error();
      SetError(ekSocket, QString::fromLatin1(text));
    } else if (e == SSL_ERROR_SYSCALL && saved != 0) {
      SetError(ekSocket, QString::fromLocal8Bit(std::strerror(saved)));
    } else {
      SetError(ekClosed, QStringLiteral("connection closed by the server"));
    }
    return false;
  }

  void Flush() {
    while (FOutPos < FOut.size()) {
      size_t n = 0;
      ERR_clear_error();
      const int r = SSL_write_ex(FSsl, FOut.constData() + FOutPos, size_t(FOut.size() - FOutPos), &n);
      if (r > 0) {
        FOutPos += qsizetype(n);
        continue;
      }
      Wanted(r);
      return;
    }
    FOut.clear();
    FOutPos = 0;
  }

  SSL *FSsl;
  int FFd;
  bool FExpectTickets;
  SSL_SESSION **FKeep;
  int FTickets = 0;
  bool FEnd = false;
  bool FConnected = false;
  short FWant = POLLIN;
  QByteArray FOut;
  qsizetype FOutPos = 0;
};

} // namespace

TFtpTls::~TFtpTls() {
  if (FSession)
    SSL_SESSION_free(FSession);
  if (FCtx)
    SSL_CTX_free(FCtx);
}

bool TFtpTls::Prepare(const QByteArray &session) {
  if (session.isEmpty() || !SslLibrary().Load() || !CryptoLibrary().Load())
    return false;
  // OpenSSL writes to the socket with write(): on a connection the server has closed that raises
  // SIGPIPE, which would end the program. Qt ignores it the same way once it starts a process
  // (and restores it in the process it starts).
  static std::once_flag pipe;
  std::call_once(pipe, [] {
    struct sigaction old = {};
    if (::sigaction(SIGPIPE, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
      ::signal(SIGPIPE, SIG_IGN);
  });
  if (!FCtx) {
    FCtx = SSL_CTX_new(TLS_client_method());
    if (!FCtx)
      return false;
    // The client's own store: the newest session a data connection got (see OnNewSession).
    SSL_CTX_set_session_cache_mode(FCtx, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(FCtx, TTlsChannel::OnNewSession);
    SSL_CTX_set_mode(FCtx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // A server that ends a listing by closing the socket without a close notification: the
    // final reply on the control connection says whether all of it came.
    SSL_CTX_set_options(FCtx, SSL_OP_IGNORE_UNEXPECTED_EOF);
  }
  if (session != FSessionData) {
    if (FSession)
      SSL_SESSION_free(FSession);
    const auto *p = reinterpret_cast<const unsigned char *>(session.constData());
    FSession = d2i_SSL_SESSION(nullptr, &p, long(session.size()));
    FSessionData = session;
    FVersion = FSession ? SSL_SESSION_get_protocol_version(FSession) : 0;
  }
  return FSession && (FVersion == TLS1_2_VERSION || FVersion == TLS1_3_VERSION);
}

std::unique_ptr<TDataChannel> TFtpTls::Secure(int fd, const QString &host, const QSslCertificate &peer,
                                              bool expectTickets, int timeoutMs,
                                              const std::atomic<bool> &abort, TFtpErrorKind &kind,
                                              QString &text) {
  SSL *ssl = SSL_new(FCtx);
  if (!ssl) {
    ResetOnClose(fd);
    ::close(fd);
    kind = ekSocket;
    text = QStringLiteral("TLS on the data connection: out of memory");
    return nullptr;
  }
  auto channel = std::make_unique<TTlsChannel>(ssl, fd, expectTickets, &FSession);
  SSL_set_fd(ssl, fd);
  SSL_set_session(ssl, FSession);
  // The control connection's protocol: a resumed session cannot change it.
  SSL_set_min_proto_version(ssl, FVersion);
  SSL_set_max_proto_version(ssl, FVersion);
  if (QHostAddress address; !address.setAddress(host) && !host.isEmpty())
    SSL_set_tlsext_host_name(ssl, host.toUtf8().constData());
  if (channel->Connect(timeoutMs, abort) && !SSL_session_reused(ssl)) {
    // A new session instead of the control connection's: it must at least be the same server.
    QByteArray der;
    if (X509 *cert = SSL_get1_peer_certificate(ssl)) {
      const int n = i2d_X509(cert, nullptr);
      if (n > 0) {
        der.resize(n);
        auto *out = reinterpret_cast<unsigned char *>(der.data());
        i2d_X509(cert, &out);
      }
      X509_free(cert);
    }
    if (der.isEmpty() || der != peer.toDer())
      channel->SetError(ekSocket,
                        QStringLiteral("the server shows a different certificate than on the control connection"));
  }
  if (channel->ErrorKind != ekNone) {
    // The data connection failing is a network error, whoever closed it.
    kind = channel->ErrorKind == ekClosed ? ekSocket : channel->ErrorKind;
    text = channel->ErrorText;
    return nullptr;
  }
  channel->Established();
  return channel;
}
