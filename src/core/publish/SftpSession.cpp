#include "core/publish/SftpSession.h"

#include "core/common/Translate.h"
#include "core/projects/ProjectInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

namespace {
QString JoinRemote(const QString &dir, const QString &name) {
  if (dir.isEmpty() || name.startsWith(u'/'))
    return name;
  return dir.endsWith(u'/') ? dir + name : dir + u'/' + name;
}

TFtpFileInfo InfoOf(const TFtpListEntry &e) {
  TFtpFileInfo fi;
  fi.FFileName = e.Name;
  fi.FSize = e.Size;
  fi.FModifiedDateGMT = e.ModifiedUtc;
  fi.FModifiedDate = e.ModifiedUtc.isValid() ? e.ModifiedUtc.toLocalTime() : QDateTime();
  return fi;
}
} // namespace

TSftpConnectParams SftpParamsOf(const TProjectInfo &project) {
  TSftpConnectParams p;
  p.Host = project.Host;
  p.Port = project.Port > 0 && project.Port < 65536 ? project.Port : 22;
  p.Username = project.Username;
  p.Password = project.Password;
  p.KeyFile = project.KeyFile;
  p.Passphrase = project.Passphrase;
  p.TransferTimeout = 60000;
  p.CaseMode = int(project.CaseMode);
  return p;
}

void TSftpSession::SetConnectParams(const TSftpConnectParams &p) {
  FClient.Host = p.Host;
  FClient.Port = p.Port;
  FClient.Username = p.Username;
  FClient.Password = p.Password;
  FClient.KeyFile = p.KeyFile;
  FClient.Passphrase = p.Passphrase;
  FClient.TimeoutMs = p.TransferTimeout;
  FTimeout = p.TransferTimeout;
  FCaseMode = p.CaseMode;
}

QString TSftpSession::ServerText() const {
  return FClient.Host + u':' + QString::number(FClient.Port);
}

QString TSftpSession::ConnectError() const {
  const QString server = ServerText();
  switch (FClient.ConnectFailure()) {
  case cfUnknownHost:
    return FormatS(_("Unknown server: %s"), {FClient.Host});
  case cfConnect:
    return FormatS(_("No connection to %s (is the port closed?)"), {server});
  case cfHostKey:
    return FormatS(_("The key of server %s was not accepted; nothing was sent."), {server});
  case cfPassword:
    return FormatS(_("The server %s refused the user name or password."), {server});
  case cfKeyFile:
    return FormatS(_("The key file %s cannot be read: wrong pass phrase, or not a private key."),
                   {FClient.KeyFile});
  case cfKeyRefused:
    return FormatS(_("The server %s refused the key."), {server});
  case cfSubsystem:
    return FormatS(_("The server %s offers no SFTP."), {server});
  default:
    return FormatS(_("No SSH connection to %s"), {server});
  }
}

bool TSftpSession::Open() {
  FCurrentDir.clear();
  FSent.clear();
  FError.clear();
  Invalidate();
  FClient.ClearAbort();
  if (!FClient.Connect()) {
    FError = ConnectError() + QStringLiteral(" - ") + FClient.ErrorText();
    return false;
  }
  FCurrentDir = FClient.HomeDir();
  return true;
}

void TSftpSession::Disconnect() {
  FClient.Disconnect();
  Invalidate();
  FSent.clear();
}

bool TSftpSession::Failed() {
  if (FError.isEmpty())
    FError = FClient.ErrorText();
  return false;
}

QString TSftpSession::ModifyName(const QString &name) const {
  return FCaseMode == 1 ? name.toLower() : FCaseMode == 2 ? name.toUpper() : name;
}

QString TSftpSession::AbsolutePath(const QString &path) const {
  const QString full = JoinRemote(FCurrentDir.isEmpty() ? FClient.HomeDir() : FCurrentDir, path);
  QString clean = QDir::cleanPath(full.startsWith(u'/') ? full : u'/' + full);
  return clean.isEmpty() ? QStringLiteral("/") : clean;
}

bool TSftpSession::ChangeToDir(const QString &dir) {
  if (dir.isEmpty())
    return true;
  const QString path = AbsolutePath(dir);
  TFtpListEntry e;
  if (!FClient.Stat(path, e))
    return Failed();
  if (!e.IsDir) {
    // A link to a folder is entered like the folder.
    if (!e.IsLink)
      return false;
    QList<TFtpListEntry> probe;
    if (!FClient.List(path, probe))
      return Failed();
  }
  if (path != FCurrentDir)
    Invalidate();
  FCurrentDir = path;
  return true;
}

int TSftpSession::ChangeToNewDir(const QString &dir) {
  if (dir.isEmpty())
    return 0;
  const QString path = AbsolutePath(dir);
  if (FClient.MakeDir(path)) {
    Invalidate();
    FCurrentDir = path;
    return 1;
  }
  if (!FClient.Connected())
    return Failed(), -1;
  // It was there already (or made by someone else meanwhile).
  const QString err = FClient.ErrorText();
  if (ChangeToDir(dir))
    return 0;
  FError = err;
  return -1;
}

bool TSftpSession::ForceDir(const QString &dirIn) {
  if (dirIn.isEmpty())
    return true;
  const QString dir = ModifyName(dirIn);
  if (ChangeToDir(dir))
    return true;
  if (!FClient.Connected())
    return false;
  FError.clear();
  const QString target = AbsolutePath(dir);
  const QString start = FCurrentDir;
  // Down from the deepest level that exists: from the current directory when the target lies
  // below it, else from the root.
  QString at = target.startsWith(start.endsWith(u'/') ? start : start + u'/') ? start : QStringLiteral("/");
  const QStringList parts = target.mid(at.size()).split(u'/', Qt::SkipEmptyParts);
  FCurrentDir = at;
  for (const QString &p : parts) {
    if (ChangeToNewDir(p) < 0) {
      FCurrentDir = start;
      Invalidate();
      return false;
    }
  }
  return true;
}

bool TSftpSession::RemoveDir(const QString &name) {
  Invalidate();
  return FClient.RemoveDir(AbsolutePath(name)) || Failed();
}

bool TSftpSession::EnsureListing() {
  if (FValidListing)
    return true;
  QList<TFtpListEntry> entries;
  if (!FClient.List(FCurrentDir, entries))
    return Failed();
  FList.Clear();
  FDirs.Clear();
  for (const TFtpListEntry &e : entries) {
    if (e.IsDir)
      FDirs.Add(InfoOf(e));
    else
      FList.Add(InfoOf(e)); // files, and links as files: removing a link never follows it
  }
  FValidListing = true;
  return true;
}

bool TSftpSession::GetFileList() {
  return EnsureListing();
}

bool TSftpSession::GetDirList(TDirectoryList &dirList) {
  dirList.Clear();
  if (!EnsureListing())
    return false;
  dirList = FDirs;
  return true;
}

int TSftpSession::CheckTimeStamp(const QString &nameIn, int delta, bool asGMT, const QDateTime &localTime) {
  Q_UNUSED(asGMT); // instants are compared, whatever the zone
  const QString name = ModifyName(nameIn);
  QDateTime remote;
  if (EnsureListing()) {
    const int i = FList.IndexOf(name);
    if (i >= 0)
      remote = FList[i].FModifiedDateGMT;
  }
  if (!remote.isValid()) {
    TFtpListEntry e;
    if (!FClient.Stat(AbsolutePath(name), e))
      return 0;
    remote = e.ModifiedUtc;
  }
  if (!remote.isValid())
    return 0;
  if (remote < localTime.addSecs(-delta))
    return 1;
  if (remote > localTime.addSecs(delta))
    return 3;
  return 2;
}

bool TSftpSession::SetTimeStampFromFile(const QString &localFile, const QString &name, bool checkTime) {
  const QFileInfo fi(localFile);
  if (!fi.exists()) {
    FError = QStringLiteral("File not found: ") + localFile;
    return false;
  }
  QDateTime t = fi.lastModified();
  const QDateTime now = QDateTime::currentDateTime();
  if (checkTime && t > now.addDays(1))
    t = now;
  Invalidate();
  return FClient.SetModificationTime(AbsolutePath(ModifyName(name)), t.toUTC()) || Failed();
}

int TSftpSession::Flush(QIODevice *source, const QString &destFile, bool append) {
  if (destFile.isEmpty())
    return frDestEmpty;
  if (append)
    return frUploadFailed; // never needed by publishing
  Invalidate();
  const QString path = AbsolutePath(ModifyName(destFile));
  FSent.remove(path);
  const qint64 start = source->isSequential() ? 0 : source->pos();
  if (!FClient.Put(source, path)) {
    Failed();
    switch (FClient.ErrorKind()) {
    case ekAborted:
      return frCancelled;
    case ekReadTimeout:
      return frReadTimeout;
    case ekClosed:
    case ekSocket:
      return frConnectionLost;
    default:
      return frUploadFailed;
    }
  }
  if (!source->isSequential()) {
    if (FSent.size() >= 4096) // never checked (a run that ended early): forget them
      FSent.clear();
    FSent.insert(path, source->pos() - start);
  }
  return frOk;
}

int TSftpSession::Fill(const QString &sourceFile, QIODevice *dest) {
  if (!FClient.Get(AbsolutePath(ModifyName(sourceFile)), dest)) {
    Failed();
    return FClient.ErrorKind() == ekAborted ? frCancelled : frDownloadFailed;
  }
  if (!dest->isSequential())
    dest->seek(0);
  return frOk;
}

bool TSftpSession::FileSize(const QString &name, qint64 &size) {
  TFtpListEntry e;
  if (!FClient.Stat(AbsolutePath(name), e))
    return Failed();
  size = e.Size;
  return true;
}

bool TSftpSession::RenameFile(const QString &from, const QString &to) {
  Invalidate();
  FSent.remove(AbsolutePath(ModifyName(from)));
  FSent.remove(AbsolutePath(ModifyName(to)));
  return FClient.Rename(AbsolutePath(ModifyName(from)), AbsolutePath(ModifyName(to))) || Failed();
}

void TSftpSession::SizeAndTime(const QString &tempName, const QString &localFile, qint64 &size,
                               bool &timeSet) {
  // Every write request of an upload is acknowledged by the server, so a file sent in this
  // session and not checked yet has the bytes acknowledged; any other file is asked for.
  const QString path = AbsolutePath(tempName);
  TFtpListEntry e;
  const auto sent = FSent.constFind(path);
  size = sent != FSent.constEnd() ? sent.value() : FClient.Stat(path, e) ? e.Size : -1;
  FSent.remove(path);
  // The time goes on the scratch file; the rename keeps it.
  timeSet = size >= 0 && SetTimeStampFromFile(localFile, tempName, true);
}

bool TSftpSession::DeleteFile(const QString &name, bool initListing) {
  if (initListing)
    Invalidate();
  FSent.remove(AbsolutePath(ModifyName(name)));
  return FClient.DeleteFile(AbsolutePath(ModifyName(name))) || Failed();
}

bool TSftpSession::DeleteName(const QString &name) {
  Invalidate();
  FSent.remove(AbsolutePath(name));
  return FClient.DeleteFile(AbsolutePath(name)) || Failed();
}

QString TSftpSession::IndyError() {
  QString e = FError.isEmpty() ? FClient.ErrorText() : FError;
  FError.clear();
  return _("Reported error: ") + e;
}

void TSftpSession::SetQuickTimeouts(bool on) {
  FClient.ConnectTimeoutMs = on ? 3000 : 20000;
  FClient.TimeoutMs = on ? 3000 : FTimeout;
}

TRemoteSession::TProgressFn TSftpSession::SwapProgress(TProgressFn f) {
  TProgressFn old = std::move(FClient.OnProgress);
  FClient.OnProgress = std::move(f);
  return old;
}
