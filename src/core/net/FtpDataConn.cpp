// The data connections of the FTP client: passive and active set-up, TLS on them, transfers
// with progress and abort, and listings.
#include "core/net/FtpClient.h"

#include "core/net/FtpListing.h"
#include "core/net/FtpSocket.h"
#include "core/net/FtpTls.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QIODevice>
#include <QRegularExpression>
#include <QSslSocket>
#include <QTcpServer>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace FtpSocket;

void FtpSocket::ResetOnClose(int fd) {
  struct linger l = {1, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
}

namespace {

// A data connection on a Qt socket, plain or secured by Qt.
class TSocketChannel final : public TDataChannel {
public:
  TSocketChannel(std::unique_ptr<QTcpSocket> socket, bool expectTickets)
      : FSocket(std::move(socket)), FSsl(qobject_cast<QSslSocket *>(FSocket.get())),
        FExpectTickets(expectTickets) {
    if (FSsl && FSsl->isEncrypted())
      WatchTickets(FSsl);
  }

  bool Write(const char *data, qint64 n) override {
    if (FSocket->write(data, n) == n)
      return true;
    Fail();
    return false;
  }

  qint64 Pending() override { return FtpSocket::Pending(FSocket.get()); }

  TWaitResult WaitWritten(int ms) override {
    if (FSocket->waitForBytesWritten(ms))
      return wrProgress;
    const auto err = FSocket->error();
    if (FSocket->state() != QAbstractSocket::ConnectedState ||
        (err != QAbstractSocket::SocketTimeoutError && err != QAbstractSocket::UnknownSocketError)) {
      Fail();
      return wrFailed;
    }
    return wrIdle;
  }

  QByteArray Read(qint64 max) override {
    return FSocket->bytesAvailable() > 0 ? FSocket->read(max) : QByteArray();
  }

  TWaitResult WaitReadable(int ms) override {
    if (FSocket->bytesAvailable() > 0)
      return wrProgress;
    // The end of the data: the server closed (for TLS it may only have sent its close
    // notification and keep the socket open until we close).
    if (PeerClosed(FSocket.get()))
      return wrClosed;
    if (FSocket->waitForReadyRead(ms))
      return wrProgress;
    const auto err = FSocket->error();
    if (PeerClosed(FSocket.get()))
      return wrProgress; // what came with the end is read first
    if (err != QAbstractSocket::SocketTimeoutError && err != QAbstractSocket::UnknownSocketError) {
      Fail();
      return wrFailed;
    }
    return wrIdle;
  }

  void Close(bool hard) override {
    QTcpSocket *s = FSocket.get();
    if (hard) {
      if (s->socketDescriptor() >= 0)
        ResetOnClose(int(s->socketDescriptor()));
      s->abort();
      return;
    }
    if (FSsl && FSsl->isEncrypted() && FSsl->sessionProtocol() == QSsl::TlsV1_3 && FExpectTickets) {
      // TLS 1.3 servers send session tickets after the handshake. Closing the socket with them
      // unread makes the kernel answer with a reset, and the server may lose the end of the
      // upload; so read what has come in first (bounded; only for servers that send tickets at
      // all, as seen on the control connection).
      QDeadlineTimer deadline(200);
      // Qt's waits end only at their time-out when no application data comes (a ticket is not
      // application data), so wait on the socket itself: the moment bytes arrive, let the TLS
      // layer take them in and look at the ticket count.
      s->waitForReadyRead(0);
      while (!deadline.hasExpired() && s->state() == QAbstractSocket::ConnectedState &&
             s->property("qmTickets").toInt() == 0) {
        pollfd p{int(s->socketDescriptor()), POLLIN, 0};
        if (p.fd < 0 || ::poll(&p, 1, int(std::max<qint64>(1, deadline.remainingTime()))) <= 0)
          break;
        s->waitForReadyRead(0);
      }
    }
    s->disconnectFromHost();
    if (s->state() != QAbstractSocket::UnconnectedState)
      s->waitForDisconnected(5000);
    s->abort();
  }

private:
  void Fail() { DescribeError(FSocket.get(), QStringLiteral("Data connection"), ErrorKind, ErrorText); }

  std::unique_ptr<QTcpSocket> FSocket;
  QSslSocket *FSsl; // when the connection may be secured by Qt
  bool FExpectTickets;
};

} // namespace

// Accepts the one data connection of an active-mode transfer; the descriptor is wrapped in a
// socket by the caller so that it can be secured like a passive one.
class TFtpClient::TDataListener : public QTcpServer {
public:
  qintptr Descriptor = -1;

protected:
  void incomingConnection(qintptr handle) override {
    if (Descriptor < 0)
      Descriptor = handle;
    else
      ::close(int(handle));
  }
};

std::unique_ptr<TDataChannel> TFtpClient::OpenData(const QString &command, bool &early) {
  const QHostAddress server = FCtrl->peerAddress();
  std::unique_ptr<QTcpSocket> data;
  std::unique_ptr<TDataListener> listener;
  // A plain connection needs no TLS socket (which costs more to make, once per file).
  auto newSocket = [this]() -> std::unique_ptr<QTcpSocket> {
    if (DataProtected())
      return std::make_unique<QSslSocket>();
    return std::make_unique<QTcpSocket>();
  };
  bool commandSent = false;
  if (Passive) {
    // Once this server has answered a port request properly, the transfer command goes out with
    // the request: the server takes it up as soon as it has answered, which saves a round trip
    // per file.
    auto askPort = [&](const QString &verb) {
      commandSent = FPipelineData;
      if (!commandSent)
        return Command(verb);
      return SendLine(verb) && SendLine(command, false, false) && ReadFinalReply(ReadTimeout);
    };
    // A port request that gave no usable port. The command that went with it is then answered
    // with a refusal too, which is read to stay in step; a server that took it up anyway (it
    // waits for a connection that will not come) is out of step with us, and the session is
    // given up (the next operation reconnects).
    auto noPort = [&](const QString &text) {
      if (commandSent) {
        const int code = FReplyCode;
        const QStringList lines = FReplyLines;
        if (code < 400 || !ReadFinalReply(ReadTimeout) || FReplyCode < 400) {
          Drop(ekProtocol, text);
          return false;
        }
        FReplyCode = code;
        FReplyLines = lines;
        commandSent = false;
      }
      return true;
    };
    quint16 port = 0;
    const bool v6 = server.protocol() == QAbstractSocket::IPv6Protocol;
    if ((UseExtendedDataPort && HasFeature(QStringLiteral("EPSV"))) || v6) {
      if (!askPort(QStringLiteral("EPSV")))
        return nullptr;
      static const QRegularExpression re(QStringLiteral(R"(\((.)\1\1(\d+)\1\))"));
      if (auto m = re.match(LastReplyFirstLine()); FReplyCode == 229 && m.hasMatch()) {
        bool ok = false;
        const uint p = m.capturedView(2).toUInt(&ok);
        if (!ok || p < 1 || p > 65535) {
          const QString text = QStringLiteral("Invalid port in the server's reply: ") + LastReplyFirstLine();
          if (noPort(text))
            SetError(ekProtocol, text);
          return nullptr;
        }
        port = quint16(p);
      } else if (!noPort(QStringLiteral("Extended passive mode refused: ") + LastReplyFirstLine())) {
        return nullptr;
      }
    }
    if (port == 0) {
      if (!askPort(QStringLiteral("PASV")))
        return nullptr;
      static const QRegularExpression re(QStringLiteral(R"((\d+),(\d+),(\d+),(\d+),(\d+),(\d+))"));
      const auto m = re.match(LastReplyFirstLine());
      if (FReplyCode != 227 || !m.hasMatch()) {
        const QString text = QStringLiteral("Passive mode refused: ") + LastReplyFirstLine();
        if (noPort(text))
          SetError(ekProtocol, text);
        return nullptr;
      }
      // Six numbers of 0-255 each; anything else would wrap into some other port.
      uint n[6];
      bool valid = true;
      for (int i = 0; i < 6; ++i) {
        bool ok = false;
        n[i] = m.capturedView(i + 1).toUInt(&ok);
        valid = valid && ok && n[i] <= 255;
      }
      if (!valid || n[4] * 256 + n[5] == 0) {
        const QString text = QStringLiteral("Invalid address in the server's reply: ") + LastReplyFirstLine();
        if (noPort(text))
          SetError(ekProtocol, text);
        return nullptr;
      }
      // The address in the reply is ignored: data goes to the host we are talking to, which
      // also keeps a hostile server from sending us to a third machine.
      port = quint16(n[4] * 256 + n[5]);
    }
    data = newSocket();
    WatchPeerClose(data.get());
    data->connectToHost(server, port);
    if (!data->waitForConnected(ConnectTimeout)) {
      SocketError(data.get(), QStringLiteral("Data connection"));
      if (FErrorKind == ekClosed)
        FErrorKind = ekSocket;
      // A command sent already waits for this connection on the server's side.
      if (commandSent)
        Drop(FErrorKind, FErrorText);
      return nullptr;
    }
    FPipelineData = true;
  } else {
    listener = std::make_unique<TDataListener>();
    const QHostAddress local = FCtrl->localAddress();
    if (!listener->listen(local, 0)) {
      SetError(ekSocket, QStringLiteral("Cannot listen for the data connection: ") + listener->errorString());
      return nullptr;
    }
    const quint16 port = listener->serverPort();
    QString cmd;
    bool v4 = false;
    const quint32 a = local.toIPv4Address(&v4);
    if (v4 && !(UseExtendedDataPort && HasFeature(QStringLiteral("EPRT"))))
      cmd = QStringLiteral("PORT %1,%2,%3,%4,%5,%6")
                .arg(a >> 24)
                .arg((a >> 16) & 255)
                .arg((a >> 8) & 255)
                .arg(a & 255)
                .arg(port >> 8)
                .arg(port & 255);
    else
      cmd = QStringLiteral("EPRT |%1|%2|%3|")
                .arg(v4 ? 1 : 2)
                .arg(v4 ? QHostAddress(a).toString() : local.toString())
                .arg(port);
    if (!Command(cmd))
      return nullptr;
    if (FReplyCode != 200) {
      SetError(ekProtocol, QStringLiteral("Active mode refused: ") + LastReplyFirstLine());
      return nullptr;
    }
  }
  if (!commandSent && !SendLine(command))
    return nullptr;
  // Plain data that the network buffers whole may go out before the server's "150": should the
  // server refuse the command, its answer comes all the same and is read after the data.
  early = early && commandSent && !DataProtected();
  if (!early) {
    if (!ReadReply(ReadTimeout))
      return nullptr;
    if (FReplyCode >= 200) {
      SetError(ekProtocol, LastReplyFirstLine());
      return nullptr;
    }
  }
  if (listener) {
    QDeadlineTimer deadline(ConnectTimeout);
    while (listener->Descriptor < 0) {
      if (deadline.hasExpired() || FAbort.load()) {
        SetError(FAbort.load() ? ekAborted : ekSocket,
                 QStringLiteral("The server did not open the data connection"));
        return nullptr;
      }
      listener->waitForNewConnection(Slice);
    }
    data = newSocket();
    WatchPeerClose(data.get());
    if (!data->setSocketDescriptor(listener->Descriptor)) {
      SetError(ekSocket, QStringLiteral("Data connection: ") + data->errorString());
      return nullptr;
    }
  }
  if (DataProtected())
    return SecureData(std::unique_ptr<QSslSocket>(static_cast<QSslSocket *>(data.release())));
  return std::make_unique<TSocketChannel>(std::move(data), false);
}

std::unique_ptr<TDataChannel> TFtpClient::SecureData(std::unique_ptr<QSslSocket> data) {
  const bool expectTickets = FCtrl->property("qmTickets").toInt() > 0;
  const QSslConfiguration c = FCtrl->sslConfiguration();
  if (DirectDataTls && c.localCertificate().isNull()) {
    if (!FDataTls)
      FDataTls = std::make_unique<TFtpTls>();
    // Not inherited by programs started meanwhile: the connection must end when we close it.
    const int fd =
        FDataTls->Prepare(c.sessionTicket()) ? ::fcntl(int(data->socketDescriptor()), F_DUPFD_CLOEXEC, 0) : -1;
    if (fd >= 0) {
      // The connection goes on on the copy of the descriptor; Qt's socket lets go of its own.
      data->abort();
      TFtpErrorKind kind = ekNone;
      QString text;
      auto channel =
          FDataTls->Secure(fd, Host, FCtrl->peerCertificate(), expectTickets, ConnectTimeout, FAbort, kind, text);
      if (!channel)
        SetError(kind, text);
      return channel;
    }
  }
  data->setSslConfiguration(c);
  data->setPeerVerifyName(Host);
  QSslSocket *s = data.get();
  QObject::connect(s, &QSslSocket::sslErrors, s, [s](const QList<QSslError> &) {
    // Same server, same certificate: it was judged on the control connection.
    s->ignoreSslErrors();
  });
  s->startClientEncryption();
  if (!s->waitForEncrypted(ConnectTimeout)) {
    SocketError(s, QStringLiteral("TLS on the data connection"));
    if (FErrorKind == ekClosed)
      FErrorKind = ekSocket;
    return nullptr;
  }
  return std::make_unique<TSocketChannel>(std::move(data), expectTickets);
}

bool TFtpClient::Transfer(const QString &command, QIODevice *source, QIODevice *dest, qint64 maxBytes,
                          int timeoutMs) {
  if (!Connected()) {
    SetError(ekClosed, QStringLiteral("Not connected"));
    return false;
  }
  if (!EnsureBinary())
    return false;
  // Small uploads from a file may be sent before the server's go-ahead (see OpenData).
  constexpr qint64 EarlyDataLimit = 64 * 1024;
  bool early = source && !source->isSequential() && source->size() - source->pos() <= EarlyDataLimit;
  std::unique_ptr<TDataChannel> data = OpenData(command, early);
  if (!data)
    return false;
  QElapsedTimer idle;
  idle.start();
  // The idle time-out restarts with every chunk, so a server that never stops sending needs a
  // bound of its own.
  const QDeadlineTimer overall = timeoutMs >= 0 ? QDeadlineTimer(timeoutMs) : QDeadlineTimer::Forever;
  qint64 total = 0;
  bool failed = false;
  bool aborted = false;
  bool outOfStep = false; // the control connection cannot be brought back in step
  auto channelFailed = [&] {
    SetError(data->ErrorKind, data->ErrorText);
    failed = true;
  };
  QByteArray buf;
  if (source) {
    buf.resize(ChunkSize);
    bool atEnd = false;
    for (;;) {
      if (FAbort.load()) {
        aborted = true;
        break;
      }
      const qint64 pending = data->Pending();
      if (!atEnd && pending < MaxPending) {
        const qint64 n = source->read(buf.data(), ChunkSize);
        if (n < 0) {
          SetError(ekLocal, QStringLiteral("Reading the local file failed: ") + source->errorString());
          failed = true;
          break;
        }
        if (n == 0) {
          atEnd = true;
          continue;
        }
        if (!data->Write(buf.constData(), n)) {
          channelFailed();
          break;
        }
        total += n;
        if (OnProgress)
          OnProgress(fdUpload, total);
        continue;
      }
      if (atEnd && pending == 0)
        break;
      const TWaitResult w = data->WaitWritten(Slice);
      if (w == wrFailed) {
        channelFailed();
        break;
      }
      if (w != wrIdle) {
        idle.restart();
        continue;
      }
      if (idle.elapsed() > ReadTimeout) {
        SetError(ekReadTimeout, QStringLiteral("Data connection timed out"));
        failed = true;
        break;
      }
    }
  } else {
    for (;;) {
      if (FAbort.load()) {
        aborted = true;
        break;
      }
      if (overall.hasExpired()) {
        SetError(
            ekProtocol,
            QStringLiteral("The server did not finish the transfer within %1 s").arg(timeoutMs / 1000.0));
        failed = outOfStep = true;
        break;
      }
      const QByteArray chunk = data->Read(ChunkSize);
      if (!chunk.isEmpty()) {
        if (maxBytes >= 0 && total + chunk.size() > maxBytes) {
          SetError(ekProtocol, QStringLiteral("The server sent more than %1 bytes").arg(maxBytes));
          failed = outOfStep = true;
          break;
        }
        if (dest->write(chunk) != chunk.size()) {
          SetError(ekLocal, QStringLiteral("Writing the local file failed: ") + dest->errorString());
          failed = true;
          break;
        }
        total += chunk.size();
        idle.restart();
        if (OnProgress)
          OnProgress(fdDownload, total);
        continue;
      }
      const TWaitResult w = data->WaitReadable(Slice);
      if (w == wrClosed)
        break;
      if (w == wrFailed) {
        channelFailed();
        break;
      }
      if (w == wrIdle && idle.elapsed() > ReadTimeout) {
        SetError(ekReadTimeout, QStringLiteral("Data connection timed out"));
        failed = true;
        break;
      }
    }
  }
  if (failed && early && !outOfStep && FCtrl->state() == QAbstractSocket::ConnectedState) {
    // The data went out before the server's go-ahead: if the server refused the command, its
    // answer is the reason, and the command is over (no "ABOR").
    const auto kind = FErrorKind;
    const QString text = FErrorText;
    if ((FCtrl->canReadLine() || FCtrl->waitForReadyRead(1000)) && ReadReply(ReadTimeout, false) &&
        FReplyCode >= 400) {
      data->Close(true);
      SetError(ekProtocol, LastReplyFirstLine());
      Log(QStringLiteral("Error: ") + FErrorText);
      return false;
    }
    FErrorKind = kind;
    FErrorText = text;
  }
  if (aborted || failed) {
    const auto kind = aborted ? ekAborted : FErrorKind;
    const QString text = aborted ? QStringLiteral("Transfer aborted") : FErrorText;
    data->Close(true);
    // A server that floods us will not listen to "ABOR" either: give the connection up, the
    // next operation reconnects.
    if (outOfStep)
      FCtrl->abort();
    else
      ResyncAfterAbort();
    FErrorKind = kind;
    FErrorText = text;
    Log(QStringLiteral("Error: ") + text);
    return false;
  }
  data->Close(false);
  if (!ReadFinalReply(ReadTimeout))
    return false;
  if (FReplyCode == 426) {
    // "Connection closed; transfer aborted": the data connection broke under the transfer,
    // which is a network failure even though we only learn it from the reply.
    SetError(ekSocket, LastReplyFirstLine());
    return false;
  }
  if (FReplyCode < 200 || FReplyCode >= 300) {
    SetError(ekProtocol, LastReplyFirstLine());
    return false;
  }
  return true;
}

void TFtpClient::ResyncAfterAbort() {
  // The server may not have noticed the reset yet (a throttled server does not read for a
  // while), so tell it with "ABOR". Its answers end with 225 or 226 ("426" for the transfer
  // may come first); whatever trails behind is read so that the next command meets a quiet
  // connection. All of it within one bound: a server that keeps talking past it is not in
  // step with us, and the connection is given up (the next operation reconnects).
  if (!Connected() || !SendLine(QStringLiteral("ABOR")))
    return;
  QDeadlineTimer deadline(qMin(ReadTimeout, 3000));
  auto left = [&] { return int(qMax<qint64>(1, deadline.remainingTime())); };
  for (;;) {
    if (!ReadReply(left(), false))
      return; // the connection is closed already
    if (FReplyCode == 225 || FReplyCode == 226 || FReplyCode >= 500)
      break;
    if (deadline.hasExpired()) {
      Drop(ekProtocol, QStringLiteral("No answer to ABOR in time"));
      return;
    }
  }
  // Quiet means a quarter second without a line: a chattering server that a loaded machine holds
  // up for a moment must not pass for quiet, or the next command would take its chatter for the
  // answer.
  for (;;) {
    if (!FCtrl->canReadLine() && !FCtrl->waitForReadyRead(250))
      return; // quiet
    if (deadline.hasExpired()) {
      Drop(ekProtocol, QStringLiteral("The server keeps talking after ABOR"));
      return;
    }
    if (!ReadReply(qMin(200, left()), false))
      return;
  }
}

bool TFtpClient::Put(QIODevice *source, const QString &remoteName, bool append) {
  ClearError();
  if (!source || !source->isReadable()) {
    SetError(ekLocal, QStringLiteral("The source cannot be read"));
    return false;
  }
  if (!CheckName(remoteName))
    return false;
  return Transfer((append ? QStringLiteral("APPE ") : QStringLiteral("STOR ")) + remoteName, source, nullptr);
}

bool TFtpClient::Get(const QString &remoteName, QIODevice *dest) {
  ClearError();
  if (!dest || !dest->isWritable()) {
    SetError(ekLocal, QStringLiteral("The destination cannot be written"));
    return false;
  }
  if (!CheckName(remoteName))
    return false;
  return Transfer(QStringLiteral("RETR ") + remoteName, nullptr, dest);
}

bool TFtpClient::List(QList<TFtpListEntry> &entries) {
  ClearError();
  entries.clear();
  const bool mlsd = UseMachineListing && HasFeature(QStringLiteral("MLST"));
  QBuffer buf;
  buf.open(QIODevice::WriteOnly);
  const auto progress = std::move(OnProgress);
  OnProgress = nullptr;
  const bool ok = Transfer(mlsd ? QStringLiteral("MLSD") : QStringLiteral("LIST"), nullptr, &buf,
                           MaxListingBytes, ListingTimeout);
  OnProgress = progress;
  if (!ok) {
    // An empty directory may be answered with 450/550 and no data connection at all.
    if (FErrorKind == ekProtocol && (FReplyCode == 450 || FReplyCode == 550) &&
        LastReplyFirstLine().contains(QStringLiteral("No files"), Qt::CaseInsensitive)) {
      ClearError();
      return true;
    }
    return false;
  }
  QStringList unparsed;
  entries = FtpListing::ParseListing(buf.data(), mlsd, QDateTime::currentDateTimeUtc(), Encoding == teUtf8,
                                     &unparsed);
  // Entries we cannot read are missing from the listing (publishing would send those files
  // again every time): say so in the log, in a bounded number of lines.
  constexpr int shown = 50;
  for (int i = 0; i < unparsed.size() && i < shown; ++i)
    Log(QStringLiteral("Listing line not understood: ") + unparsed[i].left(500));
  if (unparsed.size() > shown)
    Log(QStringLiteral("... and %1 more listing lines not understood").arg(unparsed.size() - shown));
  return true;
}
