#include "core/publish/FtpUtils.h"

#include "core/common/Translate.h"

#include <QBuffer>
#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <QHostAddress>
#include <QThread>

namespace {
// The quoted path of a 257/250 reply ("" inside stands for one quote); empty without quotes.
QString QuotedPath(const QString &text) {
  const int first = text.indexOf(u'"');
  if (first < 0)
    return {};
  QString path;
  for (int i = first + 1; i < text.size(); ++i) {
    if (text[i] == u'"') {
      if (i + 1 < text.size() && text[i + 1] == u'"') {
        path += u'"';
        ++i;
        continue;
      }
      break;
    }
    path += text[i];
  }
  return path;
}

QString ReplyText(const QString &firstLine) {
  return firstLine.size() > 4 ? firstLine.mid(4) : QString();
}
} // namespace

int TFtpFileList::IndexOf(const QString &name) const {
  for (int i = 0; i < FItems.size(); ++i)
    if (FItems[i].FFileName == name)
      return i;
  return -1;
}

QStringList TFtpFileList::Names() const {
  QStringList l;
  for (const auto &f : FItems)
    l << f.FFileName;
  return l;
}

TExtFtp::TExtFtp(const QByteArray &pwd, const QString &key, const QString &cert, const QString &root,
                 const QString &path)
    : fCertPwd(pwd) {
  // Fixed settings of the session: passive data connections, binary transfers, machine
  // listings and "HOST" when the server offers them.
  Passive = true;
  UseMachineListing = true;
  SendHostCommand = true;
  fIdLogFile.setFileName(QDir::temp().filePath(QStringLiteral("FtpLog.txt")));
  // TLS works whenever the TLS library does; the client certificate files are used when they
  // are there, but they are not needed.
  fTLS = TFtpClient::TlsSupported();
  const QString dir = path.isEmpty() || path.endsWith(u'/') ? path : path + u'/';
  auto existing = [&](const QString &name) {
    return !name.isEmpty() && QFileInfo::exists(dir + name) ? dir + name : QString();
  };
  fRoot = existing(root);
  fCert = existing(cert);
  fKey = existing(key);
  SetupIoHandler();
  fEncoding = Encoding == teUtf8 ? feUtf8 : fe8Bit;
  TlsMode = tlNone;
  ProtectData = false;
  fCertInfo.Clear();
  OnPeerCertificate = [this](const TFtpPeerCertificate &pc) {
    fFingerPrint = pc.Fingerprint;
    fCertInfo.Version = pc.Version;
    // The serial's last hex group, as the certificate dialog has always shown it.
    bool ok = false;
    fCertInfo.SerialNumber = pc.SerialText.section(u':', -1).toLongLong(&ok, 16);
    if (!ok)
      fCertInfo.SerialNumber = 0;
    fCertInfo.Server = ServerName();
    fCertInfo.Issuer = pc.Issuer;
    fCertInfo.Fingerprint = pc.Fingerprint;
    fCertInfo.ValidUntil = pc.ValidUntil;
    fCertInfo.Subject = pc.Subject;
    fCertInfo.ValidFrom = pc.ValidFrom;
    fCertInfo.Verified = pc.Verified;
    if (!pc.Verified)
      LogLine(QStringLiteral("Certificate not verified (%1): %2")
                  .arg(pc.Issuer, pc.Errors.join(QStringLiteral("; "))));
    return true; // judged after the connect by the verify mode
  };
}

TExtFtp::~TExtFtp() {
  Disconnect();
}

void TExtFtp::SetConnectParams(const TFtpConnectParams &p) {
  Host = p.Host;
  Port = p.Port;
  Username = p.Username;
  Password = p.Password;
  Passive = p.Passive;
  ReadTimeout = p.TransferTimeout;
  CMode = p.CaseMode;
  Proxy = p.Proxy;
  SetSecureTransfer(p.SecureMode);
}

std::unique_ptr<TExtFtp> TExtFtp::NewTwin() const {
  auto t = std::make_unique<TExtFtp>(fCertPwd, QString(), QString(), QString(), QString());
  // The connection and its limits.
  t->Host = Host;
  t->Port = Port;
  t->Username = Username;
  t->Password = Password;
  t->Passive = Passive;
  t->TlsMode = TlsMode == tlExplicitIfAvailable && TlsActive() ? tlExplicitRequire : TlsMode;
  t->ProtectData = ProtectData;
  t->UseExtendedDataPort = UseExtendedDataPort;
  t->SendHostCommand = SendHostCommand;
  t->UseMachineListing = UseMachineListing;
  t->ReadTimeout = ReadTimeout;
  t->ConnectTimeout = ConnectTimeout;
  t->MaxReplyBytes = MaxReplyBytes;
  t->MaxReplyLines = MaxReplyLines;
  t->MaxListingBytes = MaxListingBytes;
  t->ListingTimeout = ListingTimeout;
  t->Proxy = Proxy;
  t->Encoding = Encoding;
  t->TlsProtocol = TlsProtocol;
  t->DirectDataTls = DirectDataTls;
  // The session's own settings.
  t->fRoot = fRoot;
  t->fCert = fCert;
  t->fKey = fKey;
  t->fTLS = fTLS;
  t->FSecure = FSecure;
  t->CMode = CMode;
  t->fQuotes = fQuotes;
  t->fUseOpts = fUseOpts;
  t->fForceUtf8 = fForceUtf8;
  t->fUseIPv6 = fUseIPv6;
  t->fUseExts = fUseExts;
  t->fUseKeepAlive = fUseKeepAlive;
  t->fRepl = fRepl;
  t->fEncoding = fEncoding;
  t->fTmpDir = fTmpDir;
  t->fTimeOffset = fTimeOffset;
  // Only the certificate this session saw (and was allowed to keep) will do.
  t->fVerifyPeerMode = 2;
  t->fPeerFingerprint = fFingerPrint;
  t->SetupIoHandler();
  if (fLogActive)
    t->SetLogActive(true);
  return t;
}

void TExtFtp::SetupIoHandler() {
  CaFile = fRoot;
  CertFile = fCert;
  KeyFile = fKey;
  KeyPassphrase = fCertPwd;
  OnKeyPassphrase = fGetSSLPassword;
  if (TlsProtocol != QSsl::TlsV1_2 && TlsProtocol != QSsl::TlsV1_3 && TlsProtocol != QSsl::TlsV1_3OrLater)
    TlsProtocol = QSsl::TlsV1_2OrLater;
}

void TExtFtp::SetSecureTransfer(int v) {
  FSecure = v;
  if (fTLS && v > 0) {
    TlsMode = v == 1 ? tlExplicitIfAvailable : v == 2 ? tlExplicitRequire : tlImplicit;
    ProtectData = true;
  } else {
    TlsMode = tlNone;
    ProtectData = false;
  }
}

void TExtFtp::SetEncoding(TFtpEncoding e) {
  if (e == fEncoding)
    return;
  if (fUseOpts && Connected())
    SetUtf8(e == feUtf8);
  fEncoding = e;
  Encoding = e == feUtf8 ? teUtf8 : teLatin1;
}

void TExtFtp::SetLogActive(bool on) {
  fLogActive = on;
  if (on) {
    if (!fIdLogFile.isOpen())
      fIdLogFile.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
    OnLog = [this](const QString &l) { LogLine(l); };
  } else {
    fIdLogFile.close();
    OnLog = nullptr;
  }
}

void TExtFtp::LogLine(const QString &text) {
  if (fLogActive && fIdLogFile.isOpen()) {
    fIdLogFile.write(text.toUtf8() + '\n');
    fIdLogFile.flush();
  }
}

void TExtFtp::StoreError(const QString &text) {
  if (!fIdError.isEmpty())
    return;
  QString t = text.trimmed();
  t.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
  t.replace(u'\r', u' ');
  t.replace(u'\n', u' ');
  fIdError = t;
}

QString TExtFtp::IndyError() {
  QString result;
  if (!fIdError.isEmpty())
    result = _("Reported error: ") + fIdError;
  else
    result = _("Last FTP response: ") + LastReplyFirstLine();
  fIdError.clear();
  return result;
}

QString TExtFtp::ServerName() const {
  const bool v6 = QHostAddress(Host).protocol() == QAbstractSocket::IPv6Protocol;
  const QString scheme = TlsMode != tlNone ? QStringLiteral("ftps") : QStringLiteral("ftp");
  return scheme +
         (v6 ? QStringLiteral("://[") + Host + QStringLiteral("]:") : QStringLiteral("://") + Host + u':') +
         QString::number(Port);
}

QString TExtFtp::ModifyName(const QString &name) const {
  QString n = name;
  for (QChar c : fRepl)
    n.replace(c, u'_');
  if (CMode == 1)
    n = n.toLower();
  else if (CMode == 2)
    n = n.toUpper();
  if (fQuotes && n.contains(u' ') && !n.startsWith(u'"'))
    n = u'"' + n + u'"';
  return n;
}

bool TExtFtp::IsConnectionError(bool withTimeout) const {
  const auto k = ErrorKind();
  return k == ekSocket || k == ekClosed || (withTimeout && k == ekReadTimeout);
}

bool TExtFtp::SessionEnded() {
  // Only a refusal the server sent can be its last word; a connection given up here (a reply or
  // listing beyond its bounds) is reported as it is, and the next operation reconnects.
  if (LastReplyCode() < 400)
    return false;
  const TFtpErrorKind kind = ErrorKind();
  const QString text = ErrorText();
  QList<QPair<int, QString>> replies;
  const bool alive = Connected() && Pipeline({QStringLiteral("NOOP")}, replies) && replies[0].first / 100 == 2;
  if (!alive) {
    Disconnect();
    SetError(ekClosed, text);
    return true;
  }
  SetError(kind, text);
  return false;
}

bool TExtFtp::Open() {
  FDCount = 0;
  fCurrentDir.clear();
  fIdError.clear();
  if (!ConnectWithRetries(1))
    return false;
  fCurrentDir = fDir;
  return true;
}

bool TExtFtp::ConnectWithRetries(int attempts) {
  LogLine(QStringLiteral("Connection to FTP server: %1:%2").arg(Host, QString::number(Port)));
  fValidDirectoryListing = false;
  SetupIoHandler();
  bool ok = false;
  for (int i = 0; i < qMax(1, attempts) && !ok; ++i) {
    ok = Connect();
    if (ok)
      break;
    StoreError(ErrorText());
    if (ErrorKind() == ekLocal || ErrorKind() == ekAborted)
      break; // nothing a second try would change, or the user wants us to stop
    QThread::msleep(200);
    Disconnect();
  }
  if (!ok) {
    LogLine(_("Reported error: ") + ErrorText());
    return false;
  }
  if (TlsActive()) {
    bool accepted = true;
    if (fVerifyPeerMode == 2)
      accepted = fFingerPrint.compare(fPeerFingerprint, Qt::CaseInsensitive) == 0;
    else if (fVerifyPeerMode == 1)
      accepted = fConfirmCert && fConfirmCert(fCertInfo);
    if (!accepted) {
      Disconnect();
      StoreError(_("Error verifying server certificate"));
      return false;
    }
  }
  fUTF8 = HasFeature(QStringLiteral("UTF8"));
  if (fForceUtf8) {
    SetUtf8(true);
    fEncoding = feUtf8;
    Encoding = teUtf8;
  }
  QString dir;
  if (!PrintWorkingDir(dir)) {
    StoreError(ErrorText());
    return false;
  }
  fDir = dir;
  return true;
}

bool TExtFtp::Recover(const QString &error) {
  StoreError(error);
  if (AbortRequested()) {
    // Cancelled, or the session is being shut down: no new connection.
    LogLine(QStringLiteral("Not reconnecting: aborted"));
    return false;
  }
  LogLine(_("Trying to reconnect") + QStringLiteral(" - ") + error);
  auto reconnect = [this] {
    QThread::msleep(200);
    Disconnect();
    if (!ConnectWithRetries(3))
      return false;
    if (!fCurrentDir.isEmpty() && !TFtpClient::ChangeDir(fCurrentDir)) {
      StoreError(ErrorText());
      return false;
    }
    return true;
  };
  if (!reconnect())
    return false;
  fValidDirectoryListing = false;
  // A listing that fails now is simply asked for again when it is needed; but one that cost
  // the connection (a server that floods us with it) must not leave us without one.
  if (!ReadListing() && !Connected() && !AbortRequested())
    return reconnect();
  return true;
}

bool TExtFtp::ReadListing() {
  QList<TFtpListEntry> entries;
  if (!List(entries))
    return false;
  FList.Clear();
  FDirs.clear();
  for (const auto &e : entries) {
    if (e.IsDir) {
      FDirs.append(e);
      continue;
    }
    TFtpFileInfo fi;
    fi.FFileName = e.Name;
    fi.FSize = e.Size;
    fi.FModifiedDateGMT = e.ModifiedUtc;
    fi.FModifiedDate = e.ModifiedUtc.isValid() ? e.ModifiedUtc.toLocalTime() : QDateTime();
    FList.Add(fi);
  }
  fValidDirectoryListing = true;
  return true;
}

bool TExtFtp::EnsureListing() {
  int rounds = 0;
  while (!fValidDirectoryListing) {
    if (!Connected()) {
      // Like a connection lost under the listing: recover the same way.
      if (++rounds > MaxRecoveryRounds || !Recover(_("FTP connection lost!")))
        return false;
      continue;
    }
    if (ReadListing())
      break;
    if (IsConnectionError(true) || (ErrorKind() == ekProtocol && SessionEnded())) {
      if (++rounds > MaxRecoveryRounds || !Recover(ErrorText()))
        return false;
      continue;
    }
    StoreError(ErrorKind() == ekLocal ? _("Unknown/unspecified error") : ErrorText());
    return false;
  }
  return true;
}

bool TExtFtp::GetFileList() {
  return EnsureListing();
}

bool TExtFtp::GetDirList(TDirectoryList &dirList) {
  dirList.Clear();
  if (!EnsureListing())
    return false;
  for (const auto &e : FDirs) {
    if (e.Name == u"." || e.Name == u"..")
      continue;
    TFtpFileInfo fi;
    fi.FFileName = e.Name;
    fi.FSize = e.Size;
    fi.FModifiedDateGMT = e.ModifiedUtc;
    fi.FModifiedDate = e.ModifiedUtc.isValid() ? e.ModifiedUtc.toLocalTime() : QDateTime();
    dirList.Add(fi);
  }
  return true;
}

bool TExtFtp::ChangeToDir(const QString &dir) {
  if (dir.isEmpty())
    return true;
  fValidDirectoryListing = false;
  bool ok = ChangeDir(dir);
  if (!ok && IsConnectionError(false)) {
    StoreError(ErrorText());
    LogLine(_("Trying to reconnect"));
    QThread::msleep(200);
    Disconnect();
    if (ConnectWithRetries(1)) {
      if (!dir.startsWith(u'/') && !fCurrentDir.isEmpty())
        TFtpClient::ChangeDir(fCurrentDir);
      ok = TFtpClient::ChangeDir(dir);
    }
  } else if (!ok && ErrorKind() != ekProtocol) {
    StoreError(ErrorText());
    FChangeDirResponse = LastReplyFirstLine();
    return false;
  }
  FChangeDirResponse = LastReplyFirstLine();
  const int code = LastReplyCode();
  if (ok && (code == 250 || code == 200)) {
    const QString text = ReplyText(LastReplyFirstLine());
    // A quoted path in the reply is the new directory. Free text is not trusted ("... is
    // /www." would keep the full stop): then the path itself when absolute, else "PWD".
    QString newDir = text.contains(u'"') ? QuotedPath(text) : QString();
    if (newDir.isEmpty()) {
      if (dir.startsWith(u'/'))
        newDir = dir;
      else
        PrintWorkingDir(newDir);
    }
    fCurrentDir = newDir;
    return true;
  }
  LogLine(_("Reported error: ") + QStringLiteral(" - ") + ErrorText());
  StoreError(ok ? LastReplyFirstLine() : ErrorText());
  return false;
}

int TExtFtp::ChangeToNewDir(const QString &dir) {
  if (dir.isEmpty())
    return 0;
  if (ChangeToDir(dir))
    return 0;
  MakeDir(dir);
  fIdError.clear();
  const int code = LastReplyCode();
  if (code != 257 && code != 250 && code != 200) {
    StoreError(LastReplyFirstLine());
    if (ChangeToDir(dir)) {
      fIdError.clear(); // it exists after all (made by someone else meanwhile)
      return 1;
    }
    return -1;
  }
  QString created = QuotedPath(ReplyText(LastReplyFirstLine()));
  if (created.isEmpty() || created.contains(QChar(0xFFFD)) || !created.startsWith(fCurrentDir))
    created = dir;
  return ChangeToDir(created) ? 1 : -1;
}

bool TExtFtp::PathBelowLogin(const QString &dir, const QString &login, QString &rest) {
  QString l = login;
  while (l.size() > 1 && l.endsWith(u'/'))
    l.chop(1);
  if (l.size() < 2)
    return false;
  if (dir == l) {
    rest.clear();
    return true;
  }
  if (dir.startsWith(l + u'/')) {
    rest = dir.mid(l.size() + 1);
    return true;
  }
  return false;
}

bool TExtFtp::ForceDir(const QString &dirIn) {
  FDCount = 0;
  if (dirIn.isEmpty())
    return true;
  QString dir = ModifyName(dirIn);
  while (dir.size() > 1 && dir.endsWith(u'/'))
    dir.chop(1);
  const bool absolute = dir.startsWith(u'/');
  if (ChangeToDir(dir)) {
    FDCount = absolute ? 0 : int(dir.count(u'/')) + 1;
    return true;
  }
  fIdError.clear();
  QString rest = dir;
  int count = 0;
  bool ok = true;
  if (QString below; PathBelowLogin(dir, fDir, below)) {
    // Inside the login directory: go there and create only what lies below it.
    ok = ChangeToDir(fDir);
    rest = below;
  } else {
    QString first = rest.section(u'/', 0, 0);
    rest = rest.section(u'/', 1);
    if (first.isEmpty()) {
      first = u'/' + rest.section(u'/', 0, 0);
      rest = rest.section(u'/', 1);
    }
    if (ChangeToNewDir(first) < 0)
      ok = false;
    else
      ++count;
  }
  if (ok) {
    const QStringList parts = rest.split(u'/', Qt::SkipEmptyParts);
    for (const QString &p : parts) {
      if (ChangeToNewDir(p) < 0) {
        ok = false;
        break;
      }
      ++count;
    }
  }
  FDCount = absolute ? 0 : count;
  QString cur;
  if (PrintWorkingDir(cur))
    fCurrentDir = cur;
  return ok;
}

bool TExtFtp::ForceDirUp() {
  fValidDirectoryListing = false;
  for (int i = 0; i < FDCount; ++i) {
    if (!ChangeDirUp()) {
      StoreError(ErrorText());
      return false;
    }
  }
  FDCount = 0;
  QString cur;
  if (PrintWorkingDir(cur))
    fCurrentDir = cur;
  return true;
}

void TExtFtp::GetCurrentDir(QString &dir) {
  if (PrintWorkingDir(dir))
    return;
  if (IsConnectionError(false) && Recover(ErrorText()) && PrintWorkingDir(dir))
    return;
  StoreError(ErrorText());
  dir.clear();
}

bool TExtFtp::DeleteFile(const QString &name, bool initListing) {
  const QString n = ModifyName(name);
  for (int round = 0;; ++round) {
    if (TFtpClient::DeleteFile(n)) {
      if (initListing)
        fValidDirectoryListing = false;
      return true;
    }
    if (!IsConnectionError(false) || round >= MaxRecoveryRounds || !Recover(ErrorText())) {
      StoreError(ErrorText());
      return false;
    }
  }
}

bool TExtFtp::RenameFile(const QString &from, const QString &to) {
  const QString f = ModifyName(from);
  const QString t = ModifyName(to);
  for (int round = 0;; ++round) {
    if (Rename(f, t)) {
      fValidDirectoryListing = false;
      return true;
    }
    if (!IsConnectionError(false) || round >= MaxRecoveryRounds || !Recover(ErrorText())) {
      StoreError(ErrorText());
      return false;
    }
  }
}

bool TExtFtp::DeleteDir(const QString &name) {
  fValidDirectoryListing = false;
  if (RemoveDir(ModifyName(name)))
    return true;
  StoreError(ErrorText());
  return false;
}

QDateTime TExtFtp::RemoteTime(const QString &nameIn, bool asGMT) {
  const QString name = ModifyName(nameIn);
  if (UseMachineListing && HasFeature(QStringLiteral("MLST")) && EnsureListing()) {
    const int i = FList.IndexOf(name);
    if (i >= 0 && FList[i].FModifiedDateGMT.isValid())
      return asGMT ? FList[i].FModifiedDateGMT : FList[i].FModifiedDate;
  }
  QDateTime utc;
  if (!ModificationTime(name, utc))
    return {};
  // "MDTM" answers in UTC by definition.
  return asGMT ? utc : utc.toLocalTime();
}

int TExtFtp::CheckTimeStamp(const QString &name, int delta, bool asGMT, const QDateTime &localTime) {
  const QDateTime remote = RemoteTime(name, asGMT);
  if (!remote.isValid())
    return 0;
  // QDateTime compares instants, so local and UTC values can be mixed safely.
  if (remote < localTime.addSecs(-delta))
    return 1;
  if (remote > localTime.addSecs(delta))
    return 3;
  return 2;
}

QDateTime TExtFtp::RemoteStamp(const QFileInfo &localFile, bool checkTime) const {
  QDateTime t = localFile.lastModified();
  const QDateTime now = QDateTime::currentDateTime();
  if (checkTime && t > now.addDays(1))
    t = now;
  return t.toUTC().addSecs(qint64(fTimeOffset) * 60);
}

bool TExtFtp::SetTimeStampFromFile(const QString &localFile, const QString &name, bool checkTime) {
  const QFileInfo fi(localFile);
  if (!fi.exists()) {
    // No time to copy: writing a made-up one would make the file look changed for ever.
    StoreError(QStringLiteral("File not found: ") + localFile);
    return false;
  }
  if (!SetModificationTime(ModifyName(name), RemoteStamp(fi, checkTime))) {
    StoreError(ErrorText());
    return false;
  }
  fValidDirectoryListing = false;
  return true;
}

void TExtFtp::AbortTransfer() {
  fAborted.store(true);
  Abort();
}

int TExtFtp::Transfer(QIODevice *source, QIODevice *dest, const QString &remote, bool append) {
  // An abort ends the transfer it hit; this is a new one (unless the session is shutting down).
  fAborted.store(false);
  ClearAbort();
  if (!Connected() && !Recover(_("FTP connection lost!")))
    return AbortRequested() ? frCancelled : frReconnectFailed;
  const QString name = ModifyName(remote);
  const bool upload = source != nullptr;
  QIODevice *dev = upload ? source : dest;
  const qint64 start = dev->isSequential() ? 0 : dev->pos();
  int result = frOk;
  for (int round = 0;; ++round) {
    if (round > 0 && !dev->isSequential()) {
      // Start the retry from where the first attempt started; a download must not keep what
      // the failed attempt wrote.
      if (!upload) {
        if (auto *f = qobject_cast<QFileDevice *>(dest))
          f->resize(start);
        else if (auto *b = qobject_cast<QBuffer *>(dest))
          b->buffer().truncate(start);
      }
      dev->seek(start);
    }
    const bool ok = upload ? Put(source, name, append) : Get(name, dest);
    if (ok) {
      result = frOk;
      break;
    }
    const auto kind = ErrorKind();
    StoreError(ErrorText());
    if (kind == ekAborted || fAborted.load())
      return frCancelled;
    if (kind == ekReadTimeout || kind == ekSocket || kind == ekClosed ||
        (kind == ekProtocol && LastReplyCode() != 425 && SessionEnded())) {
      result = kind == ekReadTimeout ? frReadTimeout : frConnectionLost;
      if (round >= MaxRecoveryRounds)
        return result;
      if (!Recover(ErrorText()))
        return frReconnectFailed;
      continue;
    }
    if (LastReplyCode() == 425)
      return frDataConnection;
    return upload ? frUploadFailed : frDownloadFailed;
  }
  if (upload)
    fValidDirectoryListing = false;
  if (!Connected() && !Recover(_("FTP connection lost!")))
    return frConnectionLost;
  return result;
}

int TExtFtp::Flush(QIODevice *source, const QString &destFile, bool append) {
  if (destFile.isEmpty())
    return frDestEmpty;
  return Transfer(source, nullptr, destFile, append);
}

int TExtFtp::Fill(const QString &sourceFile, QIODevice *dest) {
  const int r = Transfer(nullptr, dest, sourceFile, false);
  if (r == frOk && !dest->isSequential())
    dest->seek(0);
  return r;
}

int TExtFtp::CopyFile(const QString &sourceFile, const QString &destFile) {
  QFile f(sourceFile);
  if (!f.exists() || !f.open(QIODevice::ReadOnly))
    return frSourceMissing;
  if (destFile.isEmpty())
    return frDestEmpty;
  return Flush(&f, destFile, false);
}
