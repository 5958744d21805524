#pragma once
// Socket helpers shared by the parts of the FTP client; not part of its interface.
#include "core/net/FtpTypes.h"

#include <QSslSocket>
#include <QTcpSocket>

namespace FtpSocket {
constexpr int Slice = 100;                 // ms: longest wait between two looks at the abort flag
constexpr qint64 ChunkSize = 256 * 1024;   // bytes read from the source at once
constexpr qint64 MaxPending = 1024 * 1024; // bytes queued on a data socket before we wait

inline QString TlsVersionName(QSsl::SslProtocol p) {
  switch (p) {
  case QSsl::TlsV1_2:
    return QStringLiteral("TLS 1.2");
  case QSsl::TlsV1_3:
    return QStringLiteral("TLS 1.3");
  default:
    return QStringLiteral("TLS");
  }
}

// Qt reports a TLS close notification once, as RemoteHostClosedError, but keeps the socket
// connected, and a later wait that times out replaces the error. So remember it.
inline void WatchPeerClose(QTcpSocket *s) {
  QObject::connect(s, &QAbstractSocket::errorOccurred, s, [s](QAbstractSocket::SocketError e) {
    if (e == QAbstractSocket::RemoteHostClosedError)
      s->setProperty("qmPeerClosed", true);
  });
}

inline bool PeerClosed(const QTcpSocket *s) {
  return s->state() != QAbstractSocket::ConnectedState ||
         s->error() == QAbstractSocket::RemoteHostClosedError || s->property("qmPeerClosed").toBool();
}

// Counts the TLS session tickets a socket has received (property "qmTickets").
inline void WatchTickets(QSslSocket *s) {
  s->setProperty("qmTickets", 0);
  QObject::connect(s, &QSslSocket::newSessionTicketReceived, s,
                   [s] { s->setProperty("qmTickets", s->property("qmTickets").toInt() + 1); });
}

// How the socket failed, for the error of an operation described by `what`.
inline void DescribeError(const QTcpSocket *s, const QString &what, TFtpErrorKind &kind, QString &text) {
  if (s->error() == QAbstractSocket::RemoteHostClosedError) {
    kind = ekClosed;
    text = what + QStringLiteral(": connection closed by the server");
  } else {
    kind = ekSocket;
    text = what + QStringLiteral(": ") + s->errorString();
  }
}

inline qint64 Pending(QTcpSocket *s) {
  qint64 n = s->bytesToWrite();
  if (auto *ssl = qobject_cast<QSslSocket *>(s))
    n += ssl->encryptedBytesToWrite();
  return n;
}

enum TWaitResult {
  wrProgress, // something moved (or may have: look again)
  wrIdle,     // nothing happened within the wait
  wrClosed,   // reading: the server ended the data, and everything it sent has been read
  wrFailed    // the connection failed; ErrorKind/ErrorText say how
};

// The data connection of one transfer as the transfer loop sees it: a socket (plain, or secured
// by Qt) or TLS run by the client itself. Waits are short slices; the loop checks the abort flag
// and its time-outs between them.
class TDataChannel {
public:
  virtual ~TDataChannel() = default;
  // Queues n bytes for sending; false when the connection failed.
  virtual bool Write(const char *data, qint64 n) = 0;
  // Bytes queued and not yet handed to the network.
  virtual qint64 Pending() = 0;
  virtual TWaitResult WaitWritten(int ms) = 0;
  // What has arrived, up to max bytes; empty when nothing is there (or on failure or end).
  virtual QByteArray Read(qint64 max) = 0;
  virtual TWaitResult WaitReadable(int ms) = 0;
  // hard: a reset, not an orderly end; for an upload the server must not take the part it got
  // for the whole file.
  virtual void Close(bool hard) = 0;

  TFtpErrorKind ErrorKind = ekNone;
  QString ErrorText;
};

// Sets the socket's linger time to zero, so that closing it resets the connection.
void ResetOnClose(int fd);

} // namespace FtpSocket
