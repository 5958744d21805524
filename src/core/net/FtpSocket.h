#pragma once
// Socket helpers shared by the parts of the FTP client; not part of its interface.
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

inline qint64 Pending(QTcpSocket *s) {
  qint64 n = s->bytesToWrite();
  if (auto *ssl = qobject_cast<QSslSocket *>(s))
    n += ssl->encryptedBytesToWrite();
  return n;
}

} // namespace FtpSocket
