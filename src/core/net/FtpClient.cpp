// The control connection of the FTP client: connect, TLS negotiation, logon (directly or
// through one of the firewall methods), replies and the simple commands.
#include "core/net/FtpClient.h"

#include "core/net/FtpListing.h"
#include "core/net/FtpSocket.h"
#include "core/net/FtpTls.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSslKey>
#include <QSslSocket>

using namespace FtpSocket;

TFtpClient::TFtpClient() = default;

TFtpClient::~TFtpClient() {
  if (FCtrl)
    FCtrl->abort();
}

bool TFtpClient::TlsSupported() {
  return QSslSocket::supportsSsl();
}

bool TFtpClient::Connected() const {
  return FCtrl && !PeerClosed(FCtrl.get());
}

QHostAddress TFtpClient::PeerAddress() const {
  return FCtrl ? FCtrl->peerAddress() : QHostAddress();
}

void TFtpClient::SetError(TFtpErrorKind kind, const QString &text) {
  FErrorKind = kind;
  FErrorText = text;
  Log(QStringLiteral("Error: ") + text);
}

void TFtpClient::ClearError() {
  FErrorKind = ekNone;
  FErrorText.clear();
}

void TFtpClient::Log(const QString &text) const {
  if (OnLog)
    OnLog(text);
}

QString TFtpClient::Decode(const QByteArray &line) const {
  return Encoding == teUtf8 ? QString::fromUtf8(line) : QString::fromLatin1(line);
}

QByteArray TFtpClient::Encode(const QString &text) const {
  return Encoding == teUtf8 ? text.toUtf8() : text.toLatin1();
}

void TFtpClient::SocketError(QTcpSocket *s, const QString &what) {
  TFtpErrorKind kind;
  QString text;
  DescribeError(s, what, kind, text);
  SetError(kind, text);
}

QSslConfiguration TFtpClient::BaseSslConfiguration() {
  QSslConfiguration c = QSslConfiguration::defaultConfiguration();
  c.setProtocol(TlsProtocol);
  // Data connections must resume the control connection's session (servers may insist).
  c.setSslOption(QSsl::SslOptionDisableSessionPersistence, false);
  c.setPeerVerifyMode(QSslSocket::VerifyPeer);
  if (!CaFile.isEmpty() && QFile::exists(CaFile)) {
    auto roots = c.caCertificates();
    roots += QSslCertificate::fromPath(CaFile, QSsl::Pem);
    c.setCaCertificates(roots);
  }
  if (!CertFile.isEmpty() && !KeyFile.isEmpty() && QFile::exists(CertFile) && QFile::exists(KeyFile)) {
    const auto certs = QSslCertificate::fromPath(CertFile, QSsl::Pem);
    QFile kf(KeyFile);
    if (!certs.isEmpty() && kf.open(QIODevice::ReadOnly)) {
      const QByteArray pem = kf.readAll();
      const QByteArray pass = OnKeyPassphrase ? OnKeyPassphrase() : KeyPassphrase;
      for (auto alg : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
        QSslKey key(pem, alg, QSsl::Pem, QSsl::PrivateKey, pass);
        if (!key.isNull()) {
          c.setLocalCertificate(certs.first());
          c.setPrivateKey(key);
          break;
        }
      }
    }
  }
  return c;
}

void TFtpClient::RecordPeer(QSslSocket *s) {
  const QSslCertificate cert = s->peerCertificate();
  TFtpPeerCertificate pc;
  pc.Fingerprint = QString::fromLatin1(cert.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
  pc.Version = cert.version().toInt();
  pc.SerialText = QString::fromLatin1(cert.serialNumber());
  pc.Issuer = cert.issuerDisplayName().simplified();
  pc.Subject = cert.subjectDisplayName().simplified();
  pc.ValidFrom = cert.effectiveDate();
  pc.ValidUntil = cert.expiryDate();
  pc.Verified = FSslErrors.isEmpty();
  for (const auto &e : FSslErrors)
    pc.Errors << e.errorString();
  pc.Protocol = TlsVersionName(s->sessionProtocol());
  FPeerCert = pc;
}

bool TFtpClient::SendLine(const QString &line, bool hidden, bool drain) {
  if (line.contains(u'\r') || line.contains(u'\n') || line.contains(QChar(0))) {
    SetError(ekLocal, QStringLiteral("Line break or NUL in a command refused"));
    return false;
  }
  if (!Connected()) {
    SetError(ekClosed, QStringLiteral("Not connected"));
    return false;
  }
  // Replies nobody asked for would be taken for the answer to this command: some servers
  // answer the close of an unused data connection, and a server that drops an idle session
  // says "421" and closes. A zero wait picks up what has arrived meanwhile.
  if (drain && FCtrl->bytesAvailable() == 0)
    FCtrl->waitForReadyRead(0);
  bool closing = false;
  while (drain && FCtrl->canReadLine()) {
    const QString stray = Decode(FCtrl->readLine()).trimmed();
    Log(QStringLiteral("Ignored: ") + stray);
    closing = closing || stray.startsWith(QStringLiteral("421"));
  }
  if (closing || PeerClosed(FCtrl.get())) {
    FCtrl->abort();
    SetError(ekClosed, QStringLiteral("Connection closed by the server"));
    return false;
  }
  const QString shown = hidden ? line.section(u' ', 0, 0) + QStringLiteral(" ***") : line;
  FSent << shown;
  Log(QStringLiteral("> ") + shown);
  if (FCtrl->write(Encode(line) + "\r\n") < 0) {
    SocketError(FCtrl.get(), QStringLiteral("Sending a command"));
    return false;
  }
  return true;
}

void TFtpClient::Drop(TFtpErrorKind kind, const QString &text) {
  SetError(kind, text);
  if (FCtrl)
    FCtrl->abort();
}

// Only "xyz" or "xyz text" / "xyz-text" with a code from 100 to 599 opens a reply.
static bool IsReplyStart(const QByteArray &raw) {
  return raw.size() >= 3 && raw[0] >= '1' && raw[0] <= '5' && isdigit(uchar(raw[1])) &&
         isdigit(uchar(raw[2])) && (raw.size() == 3 || raw[3] == ' ' || raw[3] == '-');
}

bool TFtpClient::ReadReply(int timeoutMs, bool abortable) {
  FReplyCode = 0;
  FReplyLines.clear();
  QDeadlineTimer deadline(timeoutMs);
  QByteArray code;
  qint64 bytes = 0;
  auto tooLong = [&] {
    Drop(ekProtocol, QStringLiteral("The server's reply is too long (more than %1 bytes or %2 lines)")
                         .arg(MaxReplyBytes)
                         .arg(MaxReplyLines));
    return false;
  };
  for (;;) {
    while (!FCtrl->canReadLine()) {
      // A line without an end must not fill the memory either.
      if (bytes + FCtrl->bytesAvailable() > MaxReplyBytes)
        return tooLong();
      if (PeerClosed(FCtrl.get())) {
        SetError(ekClosed, QStringLiteral("Connection closed by the server"));
        return false;
      }
      if (deadline.hasExpired()) {
        Drop(ekReadTimeout, QStringLiteral("Read timed out"));
        return false;
      }
      if (abortable && FAbort.load()) {
        Drop(ekAborted, QStringLiteral("Aborted while waiting for the server"));
        return false;
      }
      if (!FCtrl->waitForReadyRead(int(qBound(qint64(1), deadline.remainingTime(), qint64(Slice))))) {
        const auto err = FCtrl->error();
        if (PeerClosed(FCtrl.get())) {
          if (FCtrl->canReadLine())
            break;
          SocketError(FCtrl.get(), QStringLiteral("Reading the reply"));
          return false;
        }
        if (err != QAbstractSocket::SocketTimeoutError && err != QAbstractSocket::UnknownSocketError) {
          SocketError(FCtrl.get(), QStringLiteral("Reading the reply"));
          return false;
        }
      }
    }
    QByteArray raw = FCtrl->readLine();
    bytes += raw.size();
    if (bytes > MaxReplyBytes || FReplyLines.size() >= MaxReplyLines)
      return tooLong();
    while (raw.endsWith('\n') || raw.endsWith('\r'))
      raw.chop(1);
    const QString line = Decode(raw);
    FReplyLines << line;
    Log(QStringLiteral("< ") + line);
    if (code.isEmpty()) {
      if (!IsReplyStart(raw)) {
        Drop(ekProtocol, QStringLiteral("Invalid reply: ") + line.left(200));
        return false;
      }
      code = raw.left(3);
      if (raw.size() == 3 || raw[3] != '-')
        break;
    } else if (raw.startsWith(code) && (raw.size() == 3 || raw[3] == ' ')) {
      break;
    }
    // Lines that keep coming are no reason to wait longer than for a silent server.
    if (deadline.hasExpired()) {
      Drop(ekProtocol, QStringLiteral("The server's reply did not end in time"));
      return false;
    }
  }
  FReplyCode = code.toInt();
  return true;
}

bool TFtpClient::ReadFinalReply(int timeoutMs) {
  // Preliminary replies ("150 still working") do not extend the wait: a server that repeats
  // them must not hold the session for ever.
  QDeadlineTimer deadline(timeoutMs);
  QString preliminary;
  for (;;) {
    if (!ReadReply(int(qMax<qint64>(1, deadline.remainingTime())))) {
      if (FErrorKind == ekReadTimeout && !preliminary.isEmpty())
        FErrorText = QStringLiteral("No final reply from the server in time (last: ") + preliminary + u')';
      return false;
    }
    if (FReplyCode >= 200)
      return true;
    preliminary = LastReplyFirstLine().left(200);
    if (deadline.hasExpired()) {
      Drop(ekReadTimeout,
           QStringLiteral("No final reply from the server in time (last: ") + preliminary + u')');
      return false;
    }
  }
}

bool TFtpClient::Command(const QString &line, bool hidden) {
  if (!SendLine(line, hidden))
    return false;
  return ReadFinalReply(ReadTimeout);
}

int TFtpClient::Quote(const QString &command) {
  ClearError();
  return Command(command) ? FReplyCode : 0;
}

bool TFtpClient::CheckName(const QString &name) {
  if (name.contains(u'\r') || name.contains(u'\n') || name.contains(QChar(0))) {
    SetError(ekLocal, QStringLiteral("Invalid character in remote name"));
    return false;
  }
  return true;
}

bool TFtpClient::Connect() {
  if (FCtrl) {
    FCtrl->abort();
    FCtrl.reset();
  }
  ClearError();
  FTlsActive = FProtP = FBinary = FPipelineData = false;
  FFeatures.clear();
  FFeatureLines.clear();
  FSent.clear();
  FPeerCert = {};
  FReplyCode = 0;
  FReplyLines.clear();
  if (TlsMode != tlNone && !TlsSupported()) {
    SetError(ekLocal, QStringLiteral("TLS is not available"));
    return false;
  }
  if (FShutdown.load()) {
    SetError(ekAborted, QStringLiteral("The session is shutting down"));
    return false;
  }
  const bool ok = ConnectControl() && NegotiateTls() && Logon();
  if (!ok) {
    const auto kind = FErrorKind;
    const QString text = FErrorText;
    if (FCtrl)
      FCtrl->abort();
    FErrorKind = kind;
    FErrorText = text;
    return false;
  }
  if (FTlsActive) {
    Command(QStringLiteral("PBSZ 0"));
    const bool prot = Command(ProtectData ? QStringLiteral("PROT P") : QStringLiteral("PROT C"));
    if (!prot && FErrorKind != ekProtocol)
      return false;
    FProtP = ProtectData && prot && FReplyCode < 300;
    if (ProtectData && !FProtP && TlsMode != tlExplicitIfAvailable) {
      SetError(ekProtocol,
               QStringLiteral("Server refused protected data connections: ") + LastReplyFirstLine());
      return false;
    }
  }
  if (Command(QStringLiteral("FEAT")) && FReplyCode == 211) {
    for (int i = 1; i + 1 < FReplyLines.size(); ++i) {
      const QString f = FReplyLines[i].trimmed();
      if (f.isEmpty())
        continue;
      FFeatureLines << f;
      FFeatures.insert(f.section(u' ', 0, 0).toUpper());
    }
  } else if (!Connected()) {
    return false;
  }
  ClearError();
  return EnsureBinary();
}

bool TFtpClient::ConnectControl() {
  const TFtpProxyMode pm = Proxy.EffectiveMode();
  const QString host = pm != pmNone ? Proxy.Server : Host;
  const quint16 port = quint16(pm != pmNone ? Proxy.Port : Port);
  FSslErrors.clear();
  FCtrl = std::make_unique<QSslSocket>();
  WatchPeerClose(FCtrl.get());
  WatchTickets(FCtrl.get());
  FCtrl->setSslConfiguration(BaseSslConfiguration());
  QObject::connect(FCtrl.get(), &QSslSocket::sslErrors, [this](const QList<QSslError> &errors) {
    // The certificate is judged after the handshake (by the caller's callback), so the
    // handshake itself goes on; the errors are kept for that judgement.
    FSslErrors += errors;
    FCtrl->ignoreSslErrors();
  });
  Log(QStringLiteral("Connecting to %1:%2").arg(host, QString::number(port)));
  if (TlsMode == tlImplicit) {
    FCtrl->connectToHostEncrypted(host, port, Host);
    if (!FCtrl->waitForEncrypted(ConnectTimeout)) {
      SocketError(FCtrl.get(), QStringLiteral("TLS connect"));
      return false;
    }
    if (!TlsEstablished())
      return false;
  } else {
    FCtrl->connectToHost(host, port);
    if (!FCtrl->waitForConnected(ConnectTimeout)) {
      SocketError(FCtrl.get(), QStringLiteral("Connect"));
      return false;
    }
  }
  if (!ReadFinalReply(ReadTimeout))
    return false;
  if (FReplyCode != 220) {
    SetError(ekProtocol, LastReplyFirstLine());
    return false;
  }
  return true;
}

// The control connection is encrypted: remember the server's certificate and let the caller refuse it.
bool TFtpClient::TlsEstablished() {
  FTlsActive = true;
  RecordPeer(FCtrl.get());
  if (OnPeerCertificate && !OnPeerCertificate(FPeerCert)) {
    SetError(ekProtocol, QStringLiteral("Server certificate refused"));
    return false;
  }
  return true;
}

bool TFtpClient::NegotiateTls() {
  if (TlsMode != tlExplicitIfAvailable && TlsMode != tlExplicitRequire)
    return true;
  if (!Command(QStringLiteral("AUTH TLS")))
    return false;
  if (FReplyCode != 234) {
    if (TlsMode == tlExplicitRequire) {
      SetError(ekProtocol, QStringLiteral("Server does not support TLS: ") + LastReplyFirstLine());
      return false;
    }
    Log(QStringLiteral("TLS not available, going on without it"));
    return true;
  }
  FCtrl->startClientEncryption();
  if (!FCtrl->waitForEncrypted(ConnectTimeout)) {
    SocketError(FCtrl.get(), QStringLiteral("TLS handshake"));
    return false;
  }
  if (!TlsEstablished())
    return false;
  return true;
}

bool TFtpClient::LogonUser(const QString &user, const QString &pass, const QString &acct) {
  if (!Command(QStringLiteral("USER ") + user))
    return false;
  if (FReplyCode == 331) {
    if (!Command(QStringLiteral("PASS ") + pass, true))
      return false;
  }
  if (FReplyCode == 332) {
    if (!Command(QStringLiteral("ACCT ") + acct, true))
      return false;
  }
  if (FReplyCode != 230 && FReplyCode != 202) {
    SetError(ekProtocol, QStringLiteral("Logon failed: ") + LastReplyFirstLine());
    return false;
  }
  return true;
}

bool TFtpClient::Logon() {
  const TFtpProxyMode pm = Proxy.EffectiveMode();
  if (SendHostCommand && pm == pmNone && QHostAddress(Host).isNull()) {
    // Virtual hosts: servers that do not know the command refuse it, which changes nothing.
    if (!Command(QStringLiteral("HOST ") + Host))
      return false;
  }
  const QString target = Port == 21 ? Host : Host + u':' + QString::number(Port);
  const QString &fu = Proxy.Username;
  const QString &fp = Proxy.Password;
  auto siteCommand = [&](const QString &cmd) {
    if (!Command(cmd + u' ' + target))
      return false;
    if (FReplyCode >= 400) {
      SetError(ekProtocol, QStringLiteral("Proxy refused the server: ") + LastReplyFirstLine());
      return false;
    }
    return true;
  };
  switch (pm) {
  case pmNone:
    return LogonUser(Username, Password, QString());
  case pmUserSite:
    if (!fu.isEmpty() && !LogonUser(fu, fp, QString()))
      return false;
    return LogonUser(Username + u'@' + target, Password, QString());
  case pmSite:
    return LogonUser(fu, fp, QString()) && siteCommand(QStringLiteral("SITE")) &&
           LogonUser(Username, Password, QString());
  case pmOpen:
    if (!fu.isEmpty() && !LogonUser(fu, fp, QString()))
      return false;
    return siteCommand(QStringLiteral("OPEN")) && LogonUser(Username, Password, QString());
  case pmUserFwUserHost:
    return LogonUser(Username + u'@' + fu + u'@' + target, Password + u'@' + fp, QString());
  case pmTransparent:
    if (!fu.isEmpty() && !LogonUser(fu, fp, QString()))
      return false;
    return LogonUser(Username, Password, QString());
  case pmUserHostFwId:
    return LogonUser(Username + u'@' + target + u' ' + fu, Password, fp);
  }
  return false;
}

void TFtpClient::Disconnect() {
  if (!FCtrl)
    return;
  const auto kind = FErrorKind;
  const QString text = FErrorText;
  if (Connected() && SendLine(QStringLiteral("QUIT"))) {
    FCtrl->waitForBytesWritten(1000);
    ReadReply(1000, false);
  }
  FCtrl->disconnectFromHost();
  if (FCtrl->state() != QAbstractSocket::UnconnectedState)
    FCtrl->waitForDisconnected(500);
  FCtrl->abort();
  FCtrl.reset();
  FTlsActive = FProtP = FBinary = FPipelineData = false;
  FErrorKind = kind;
  FErrorText = text;
}

bool TFtpClient::ChangeDir(const QString &dir) {
  ClearError();
  if (!CheckName(dir) || !Command(QStringLiteral("CWD ") + dir))
    return false;
  if (FReplyCode >= 300) {
    SetError(ekProtocol, LastReplyFirstLine());
    return false;
  }
  return true;
}

bool TFtpClient::ChangeDirUp() {
  ClearError();
  if (!Command(QStringLiteral("CDUP")))
    return false;
  if (FReplyCode >= 300) {
    SetError(ekProtocol, LastReplyFirstLine());
    return false;
  }
  return true;
}

bool TFtpClient::PrintWorkingDir(QString &dir) {
  ClearError();
  dir.clear();
  if (!Command(QStringLiteral("PWD")))
    return false;
  if (FReplyCode != 257) {
    SetError(ekProtocol, LastReplyFirstLine());
    return false;
  }
  // 257 "<path>" text; a quote inside the path is doubled.
  const QString t = LastReplyFirstLine().mid(4);
  const int first = t.indexOf(u'"');
  if (first < 0) {
    dir = t.section(u' ', 0, 0);
    return !dir.isEmpty();
  }
  for (int i = first + 1; i < t.size(); ++i) {
    if (t[i] == u'"') {
      if (i + 1 < t.size() && t[i + 1] == u'"') {
        dir += u'"';
        ++i;
        continue;
      }
      break;
    }
    dir += t[i];
  }
  return true;
}

static bool Positive(int code) {
  return code >= 200 && code < 300;
}

// A command on one remote name that succeeds with a 2xx reply.
bool TFtpClient::NameCommand(const QString &verb, const QString &name) {
  ClearError();
  if (!CheckName(name) || !Command(verb + u' ' + name))
    return false;
  if (!Positive(FReplyCode)) {
    SetError(ekProtocol, LastReplyFirstLine());
    return false;
  }
  return true;
}

bool TFtpClient::MakeDir(const QString &dir) {
  return NameCommand(QStringLiteral("MKD"), dir);
}
bool TFtpClient::RemoveDir(const QString &dir) {
  return NameCommand(QStringLiteral("RMD"), dir);
}
bool TFtpClient::DeleteFile(const QString &name) {
  return NameCommand(QStringLiteral("DELE"), name);
}

bool TFtpClient::Rename(const QString &from, const QString &to) {
  ClearError();
  if (!CheckName(from) || !CheckName(to) || !Command(QStringLiteral("RNFR ") + from))
    return false;
  if (FReplyCode != 350) {
    SetError(ekProtocol, LastReplyFirstLine());
    return false;
  }
  if (!Command(QStringLiteral("RNTO ") + to))
    return false;
  if (!Positive(FReplyCode)) {
    SetError(ekProtocol, LastReplyFirstLine());
    return false;
  }
  return true;
}

bool TFtpClient::SetUtf8(bool on) {
  ClearError();
  if (!Command(on ? QStringLiteral("OPTS UTF8 ON") : QStringLiteral("OPTS UTF8 OFF")))
    return false;
  if (on && FReplyCode != 200 && FReplyCode != 220) {
    if (!Command(QStringLiteral("OPTS UTF-8 NLST")))
      return false;
  }
  if (FReplyCode >= 300) {
    SetError(ekProtocol, LastReplyFirstLine());
    return false;
  }
  return true;
}

bool TFtpClient::ModificationTime(const QString &name, QDateTime &utc) {
  ClearError();
  utc = {};
  if (!CheckName(name) || !Command(QStringLiteral("MDTM ") + name))
    return false;
  if (FReplyCode != 213) {
    SetError(ekProtocol, LastReplyFirstLine());
    return false;
  }
  utc = FtpListing::ParseFtpTime(LastReplyFirstLine().mid(4));
  if (!utc.isValid()) {
    SetError(ekProtocol, QStringLiteral("Invalid time: ") + LastReplyFirstLine());
    return false;
  }
  return true;
}

bool TFtpClient::Pipeline(const QStringList &commands, QList<QPair<int, QString>> &replies) {
  ClearError();
  replies.clear();
  // Checked before anything is sent: a batch broken off half-way would leave replies behind.
  for (const QString &c : commands)
    if (c.contains(u'\r') || c.contains(u'\n') || c.contains(QChar(0))) {
      SetError(ekLocal, QStringLiteral("Line break or NUL in a command refused"));
      return false;
    }
  for (int i = 0; i < commands.size(); ++i)
    if (!SendLine(commands[i], false, i == 0))
      return false;
  for (int i = 0; i < commands.size(); ++i) {
    if (!ReadFinalReply(ReadTimeout))
      return false;
    replies.append({FReplyCode, LastReplyFirstLine()});
  }
  return true;
}

bool TFtpClient::ModificationTimes(const QStringList &names, QList<QDateTime> &utc) {
  utc.clear();
  utc.reserve(names.size());
  // About 6 KB of commands and 5 KB of replies a batch: far below what the sockets buffer, so
  // neither side can block writing while the other is not yet reading.
  constexpr int Batch = 200;
  QList<QPair<int, QString>> replies;
  for (int from = 0; from < names.size(); from += Batch) {
    QStringList batch;
    for (int i = from; i < qMin<int>(names.size(), from + Batch); ++i)
      batch << QStringLiteral("MDTM ") + names[i];
    if (!Pipeline(batch, replies))
      return false;
    for (const auto &r : replies)
      utc << (r.first == 213 ? FtpListing::ParseFtpTime(r.second.mid(4)) : QDateTime());
  }
  return true;
}

QString TFtpClient::SetTimeCommand(const QString &name, const QDateTime &utc) const {
  const QString cmd = HasFeature(QStringLiteral("MFMT")) ? QStringLiteral("MFMT ") : QStringLiteral("MDTM ");
  return cmd + FtpListing::FormatFtpTime(utc) + u' ' + name;
}

bool TFtpClient::SetModificationTime(const QString &name, const QDateTime &utc) {
  ClearError();
  if (!CheckName(name) || !utc.isValid()) {
    if (FErrorKind == ekNone)
      SetError(ekLocal, QStringLiteral("Invalid time"));
    return false;
  }
  if (!Command(SetTimeCommand(name, utc)))
    return false;
  if (!Positive(FReplyCode)) {
    SetError(ekProtocol, LastReplyFirstLine());
    return false;
  }
  return true;
}

bool TFtpClient::FileSize(const QString &name, qint64 &size) {
  ClearError();
  size = -1;
  if (!EnsureBinary() || !CheckName(name) || !Command(QStringLiteral("SIZE ") + name))
    return false;
  bool ok = false;
  if (FReplyCode == 213)
    size = LastReplyFirstLine().mid(4).trimmed().toLongLong(&ok);
  if (!ok) {
    SetError(ekProtocol, LastReplyFirstLine());
    return false;
  }
  return true;
}

bool TFtpClient::EnsureBinary() {
  if (FBinary)
    return true;
  if (!Command(QStringLiteral("TYPE I")))
    return false;
  if (FReplyCode != 200) {
    SetError(ekProtocol, LastReplyFirstLine());
    return false;
  }
  FBinary = true;
  return true;
}
