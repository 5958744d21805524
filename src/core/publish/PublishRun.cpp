// The parts of publishing shared by both destinations: the file rules, the log, and whole runs.
#include "core/common/FileNames.h"
#include "core/common/Translate.h"
#include "core/projects/ProjectInfo.h"
#include "core/publish/FtpUtils.h"
#include "core/publish/Publisher.h"
#include "core/publish/RemoteSession.h"
#include "core/publish/Templates.h"
#include "core/publish/UploadHelper.h"

#include <QDir>
#include <QFileInfo>

TTransferRequest TTransferRequest::FromModeWord(int word) {
  TTransferRequest r;
  r.Selection = word & 7;
  r.SubDirs = (word & 8) != 0;
  r.Sync = (word & 16) != 0 && r.Selection != 0 && r.Selection != 4;
  r.Overwrite = (word & 32) != 0;
  return r;
}

TFtpConnectParams ConnectParamsOf(const TProjectInfo &project) {
  TFtpConnectParams p;
  p.Host = project.Host;
  p.Port = project.Port & 0xffff;
  p.Username = project.Username;
  p.Password = QString::fromUtf8(project.Password);
  p.Passive = project.Passive;
  p.SecureMode = project.SecureMode;
  p.TransferTimeout = 60000;
  p.CaseMode = int(project.CaseMode);
  p.Proxy.Mode = project.ProxyPar.Mode;
  p.Proxy.Server = project.ProxyPar.Server;
  p.Proxy.Port = project.ProxyPar.Port & 0xffff;
  p.Proxy.Username = project.ProxyPar.Username;
  p.Proxy.Password = QString::fromUtf8(project.ProxyPar.Password);
  return p;
}

QString TransferResultText(int deleted, int copied, bool stopped) {
  if (stopped)
    return _("Canceled by user!");
  if (deleted < 0)
    return _("Error during file transfer!");
  if (deleted == 0 && copied == 0)
    return _("Nothing to do!");
  if (deleted == 0)
    return FormatS(_("%u file(s) copied"), {QString::number(copied)});
  if (copied == 0)
    return FormatS(_("%u file(s) deleted!"), {QString::number(deleted)});
  return FormatS(_("%u file(s) deleted\r\n%u file(s) copied!"),
                 {QString::number(deleted), QString::number(copied)});
}

QString DestinationText(const TProjectInfo &project, bool forRemoval) {
  if (project.TransferMode != tmFtp && project.TransferMode != tmSftp)
    return project.RemotePath;
  if (!forRemoval)
    return project.Host + u'|' + project.RemotePath;
  QString host = project.Host;
  if (!host.isEmpty() && !host.endsWith(u'/'))
    host += u'/';
  return host + project.RemotePath;
}

namespace {
// The message of a failed connect; the SFTP session adds why (wrong password, changed key ...).
QString ConnectFailedText(const TRemoteSession &session, const QString &host) {
  if (session.Protocol() == u"FTP")
    return FormatS(_("Connection to FTP server:\r\n%s failed!"), {host});
  const QString why = session.ConnectProblem();
  return FormatS(_("Connection to SFTP server:\r\n%s failed!"), {host}) +
         (why.isEmpty() ? QString() : QStringLiteral("\r\n") + why);
}
} // namespace

TPublisher::TPublisher(QObject *parent) : QObject(parent) {}

TPublisher::~TPublisher() = default;

void TPublisher::SetProjectFilter(const QString &textTypes, const QString &binTypes) {
  try {
    Filter.SetProjectTypes(textTypes, binTypes);
  } catch (const EFilterError &) {
    // The filter has fallen back to "*": every file passes, as with empty type lists.
  }
}

void TPublisher::Cancel() {
  FStopped.store(true);
  if (TRemoteSession *ftp = FActiveFtp.load())
    ftp->AbortTransfer();
  std::lock_guard<std::mutex> l(FHelperLock);
  if (FHelper)
    FHelper->Abort();
}

QString TPublisher::CaseChanged(const QString &name, int caseMode) {
  return caseMode == 1 ? name.toLower() : caseMode == 2 ? name.toUpper() : name;
}

bool TPublisher::NewerForCopy(const QDateTime &source, const QDateTime &dest) {
  return source.toMSecsSinceEpoch() - dest.toMSecsSinceEpoch() > 2000;
}

namespace {
QString Canonical(const QString &path) {
  const QFileInfo fi(path);
  const QString c = fi.canonicalFilePath();
  return c.isEmpty() ? QDir::cleanPath(fi.absoluteFilePath()) : c;
}

QString Join(const QString &a, const QString &b) {
  if (a.isEmpty())
    return b;
  if (b.isEmpty())
    return a;
  return a.endsWith(u'/') ? a + b : a + u'/' + b;
}
} // namespace

QString TPublisher::CheckDirectDestination(const QString &dest, const QString &root) {
  if (dest.trimmed().isEmpty() || QDir::isRelativePath(dest))
    return FormatS(_("Destination directory:\r\n%s\r\nmust be an absolute path!"), {dest});
  const QString d = Canonical(dest), r = Canonical(root);
  // Copying onto the project itself, into a folder inside it (every run copies the last copy
  // again, one level deeper) or into a folder that holds it: all refused.
  if (IsInFolder(d, r) || IsInFolder(r, d))
    return FormatS(_("Destination directory:\r\n%s\r\nmust not overlap the project directory!"), {dest});
  return {};
}

QString TPublisher::CheckRemovableFolder(const QString &folder) {
  if (folder.trimmed().isEmpty() || QDir::isRelativePath(folder))
    return FormatS(_("Destination directory:\r\n%s\r\nmust be an absolute path!"), {folder});
  const QString f = Canonical(folder);
  if (f == u"/" || f == Canonical(QDir::homePath()))
    return FormatS(_("Directory:\r\n%s\r\ncannot be removed!"), {folder});
  return {};
}

bool TPublisher::Passes(const QString &name, const QString &mask, bool useFilter) const {
  if (name.startsWith(u'~'))
    return false;
  if (!mask.isEmpty() && mask != u"*" && mask != u"*.*") {
    if (mask != FMaskText) {
      FMaskText = mask;
      FMaskValid = true;
      try {
        QString list = mask;
        list.replace(u';', u'|').replace(u',', u'|');
        FMaskFilter.SetFilter(list);
      } catch (const EFilterError &) {
        FMaskValid = false;
      }
    }
    // A mask we cannot read selects nothing rather than everything.
    if (!FMaskValid || !FMaskFilter.MatchesFilter(name))
      return false;
  }
  return !useFilter || Filter.MatchesFilter(TTextFilter::Extension(name));
}

QStringList TPublisher::LocalFiles(const QString &dir, const QString &mask, bool useFilter) const {
  const QDir d(dir);
  const QStringList all = d.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  QSet<QString> templates;
  for (const QString &n : all)
    if (TTextFilter::Extension(n).compare(u"htt", Qt::CaseInsensitive) == 0)
      templates.insert(QFileInfo(n).completeBaseName());
  QStringList out;
  for (const QString &n : all) {
    // A page made from a template beside it is sent when its template is.
    if (TTextFilter::Extension(n) == u"html" && templates.contains(QFileInfo(n).completeBaseName()))
      continue;
    if (Passes(n, mask, useFilter))
      out << n;
  }
  return out;
}

bool TPublisher::PrepareFile(const QString &dir, const QString &name, TLocalFile &file) {
  file.Name = name;
  file.Send = name;
  file.Path = Join(dir, name);
  if (TTextFilter::Extension(name).compare(u"htt", Qt::CaseInsensitive) != 0)
    return true;
  const QString html = ProcessTemplate(file.Path, [this](const QString &text) {
    Status(text);
    Log(8, text);
  });
  if (html.isEmpty())
    return false;
  file.Path = html;
  file.Send = QFileInfo(html).fileName();
  return true;
}

void TPublisher::Log(int indent, const QString &text) {
  if (LogFile)
    LogFile->WriteLog(indent, text);
}

void TPublisher::LogError(int indent, const QString &text) {
  if (LogFile)
    LogFile->WriteLogError(indent, text);
}

void TPublisher::LogDir(int indent, bool rootToo, const QString &folder) {
  if (LogFile)
    LogFile->WriteLogDir(indent, rootToo, folder);
}

void TPublisher::BeginCopyPhase() {
  emit ActionChanged(_("Copying to"));
  emit ProtocolLine(_("Copy files:"));
  Log(4, _("Copy files"));
}

void TPublisher::LogDeletionFolder(const QString &relFolder, bool &logged) {
  if (logged)
    return;
  LogDir(6, true, relFolder);
  emit DirectoryChanged(relFolder);
  logged = true;
}

namespace {
// Where a selection starts: a folder relative to the root, the mask, the project filter on or
// off and whether subfolders are walked.
struct TStart {
  QString Rel;
  QString Mask;
  bool UseFilter = true;
  bool Recurse = false;
};

bool StartOf(const TProjectInfo &project, const TTransferRequest &r, TStart &s, QString &message) {
  const QString root = project.ProjPath;
  auto relOf = [&](const QString &folder) {
    if (!IsInFolder(folder, root)) {
      message = FormatS(_("File: %s\r\nnot found in project directory!"), {folder});
      return false;
    }
    s.Rel = QDir(root).relativeFilePath(folder);
    if (s.Rel == u".")
      s.Rel.clear();
    return true;
  };
  switch (r.Selection) {
  case 0:
  case 1: {
    if (r.CurrentFile.isEmpty() || !IsInFolder(r.CurrentFile, root)) {
      message = FormatS(_("File: %s\r\nnot found in project directory!"), {r.CurrentFile});
      return false;
    }
    const QFileInfo fi(r.CurrentFile);
    s.Mask = r.Selection == 0 ? fi.fileName() : QStringLiteral("*.*");
    return relOf(fi.absolutePath());
  }
  case 3:
    s.Mask = r.Mask.isEmpty() ? QStringLiteral("*.*") : r.Mask;
    s.UseFilter = false;
    s.Recurse = r.SubDirs;
    return relOf(QDir::cleanPath(Join(root, r.Folder)));
  default:
    s.Mask = QStringLiteral("*.*");
    s.Recurse = true;
    return true;
  }
}
} // namespace

TTransferSummary TPublisher::TransferDirect(const TProjectInfo &project, const TTransferRequest &r) {
  TTransferSummary sum;
  FBrokeOff = false;
  const QString dest = project.RemotePath;
  Log(2, _("Direct destination") + QStringLiteral(" ==> ") + dest);
  sum.Message = CheckDirectDestination(dest, project.ProjPath);
  if (!sum.Message.isEmpty()) {
    LogError(4, sum.Message);
    sum.Deleted = -1;
    return sum;
  }
  const int caseMode = int(project.CaseMode);
  const QString root = QDir::cleanPath(project.ProjPath);
  bool ok = true;
  if (r.Selection == 4) {
    BeginCopyPhase();
    for (const QString &file : r.ChangedFiles) {
      if (StopHere())
        break;
      if (!IsInFolder(file, root)) {
        sum.Message = FormatS(_("File: %s\r\nnot found in project directory!"), {file});
        ok = false;
        break;
      }
      const QFileInfo fi(file);
      QString rel = QDir(root).relativeFilePath(fi.absolutePath());
      if (rel == u".")
        rel.clear();
      if (!CopyToFolder(Join(root, rel), Join(dest, CaseChanged(rel, caseMode)), sum.Copied, caseMode,
                        r.Overwrite, false, false, fi.fileName(), QString())) {
        ok = false;
        break;
      }
    }
  } else {
    TStart s;
    if (!StartOf(project, r, s, sum.Message)) {
      LogError(4, sum.Message);
      sum.Deleted = -1;
      return sum;
    }
    const QString src = Join(root, s.Rel);
    const QString dst = Join(dest, CaseChanged(s.Rel, caseMode));
    if (r.Sync && !StopHere()) {
      emit ActionChanged(_("Synchronizing"));
      emit ProtocolLine(_("Delete files:"));
      Log(4, _("Synchronize files"));
      ok = SyncFolder(src, dst, sum.Deleted, caseMode, s.UseFilter, s.Recurse, s.Mask, QString());
    }
    if (ok && !StopHere()) {
      BeginCopyPhase();
      ok = CopyToFolder(src, dst, sum.Copied, caseMode, r.Overwrite, s.UseFilter, s.Recurse, s.Mask,
                        QString());
    }
  }
  if (!ok)
    sum.Deleted = -1;
  sum.Stopped = FBrokeOff;
  if (LogFile)
    LogFile->WriteLogSummary(4, sum.Deleted, sum.Copied);
  return sum;
}

TTransferSummary TPublisher::TransferRemote(TRemoteSession &ftp, const TProjectInfo &project,
                                            const TTransferRequest &r) {
  TTransferSummary sum;
  FBrokeOff = false;
  FHelperTried = false;
  FFilesStarted = 0;
  FUse = {};
  const QString remote = project.RemotePath;
  Log(2, ftp.Protocol() + QStringLiteral(": ") + project.Host + QStringLiteral(" ==> ") + remote);
  emit ActionChanged(_("Trying to connect"));
  emit DirectoryChanged(remote);
  auto fail = [&](const QString &message) {
    sum.Message = message;
    sum.Deleted = -1;
    LogError(4, message + QStringLiteral(" - ") + ftp.IndyError());
    if (const QString why = ftp.ConnectProblem(); !why.isEmpty())
      emit ProtocolLine(_("Error: ") + why);
  };
  if (!ftp.Open()) {
    fail(ConnectFailedText(ftp, project.Host));
  } else if (!ftp.ForceDir(remote)) {
    fail(FormatS(_("Cannot create remote directory:\r\n%s!"), {remote}));
  } else {
    const QString base = ftp.CurrentDir();
    const QString root = QDir::cleanPath(project.ProjPath);
    bool ok = true;
    if (r.Selection == 4) {
      BeginCopyPhase();
      for (const QString &file : r.ChangedFiles) {
        if (StopHere())
          break;
        const QFileInfo fi(file);
        QString rel = IsInFolder(file, root) ? QDir(root).relativeFilePath(fi.absolutePath()) : QString();
        if (rel == u".")
          rel.clear();
        if (!IsInFolder(file, root) || !ftp.ChangeToDir(base) || !ftp.ForceDir(rel) ||
            !UploadFolder(ftp, Join(root, rel), sum.Copied, r.Overwrite, false, false, fi.fileName(), {})) {
          ok = false;
          sum.Message = _("Error writing to FTP server!");
          break;
        }
      }
    } else {
      TStart s;
      if (!StartOf(project, r, s, sum.Message)) {
        ok = false;
      } else if (!s.Rel.isEmpty() && !ftp.ForceDir(s.Rel)) {
        sum.Message = FormatS(_("Cannot create remote directory:\r\n%s!"), {s.Rel});
        ok = false;
      } else {
        const QString src = Join(root, s.Rel);
        if (r.Sync && !StopHere()) {
          emit ActionChanged(_("Synchronizing"));
          emit ProtocolLine(_("Delete files:"));
          Log(4, _("Synchronize files"));
          ok = SyncFtpFolder(ftp, src, sum.Deleted, s.UseFilter, s.Recurse, s.Mask, QString());
        }
        if (ok && !StopHere()) {
          BeginCopyPhase();
          ok = UploadFolder(ftp, src, sum.Copied, r.Overwrite, s.UseFilter, s.Recurse, s.Mask, QString());
        }
      }
    }
    if (!ok) {
      if (!sum.Message.isEmpty())
        LogError(4, sum.Message);
      sum.Deleted = -1;
    }
  }
  // The second connection logs out while this one cleans up.
  const std::unique_ptr<TUploadHelper> helper = TakeHelper();
  CleanLeftovers(ftp);
  ftp.Disconnect();
  sum.Stopped = FBrokeOff;
  if (LogFile)
    LogFile->WriteLogSummary(4, sum.Deleted, sum.Copied);
  return sum;
}

TTransferSummary TPublisher::ClearDirect(const TProjectInfo &project) {
  TTransferSummary sum;
  FBrokeOff = false;
  const QString dest = project.RemotePath;
  Log(2, _("Direct destination") + QStringLiteral(" ==> ") + dest);
  emit ActionChanged(_("Deleting"));
  emit ProtocolLine(_("Delete files:"));
  sum.Message = CheckRemovableFolder(dest);
  if (sum.Message.isEmpty())
    sum.Message = CheckDirectDestination(dest, project.ProjPath);
  if (!sum.Message.isEmpty()) {
    LogError(6, sum.Message);
  } else {
    DeleteFolderTree(dest, QString(), sum.Deleted, true);
  }
  sum.Stopped = FBrokeOff;
  if (LogFile)
    LogFile->WriteLogSummary(4, sum.Deleted, 0);
  return sum;
}

TTransferSummary TPublisher::ClearRemote(TRemoteSession &ftp, const TProjectInfo &project) {
  TTransferSummary sum;
  FBrokeOff = false;
  const QString remote = project.RemotePath;
  Log(2, ftp.Protocol() + QStringLiteral(": ") + project.Host + QStringLiteral(" ==> ") + remote);
  emit ActionChanged(_("Trying to connect"));
  emit DirectoryChanged(remote);
  FMessage.clear();
  if (ftp.Open() && ftp.ForceDir(remote)) {
    emit ActionChanged(_("Deleting"));
    emit ProtocolLine(_("Delete files:"));
    DeleteServerTree(ftp, QString(), sum.Deleted);
    sum.Message = FMessage;
  } else {
    sum.Message = ConnectFailedText(ftp, project.Host);
    LogError(6, sum.Message + QStringLiteral(" - ") + ftp.IndyError());
  }
  ftp.Disconnect();
  sum.Stopped = FBrokeOff;
  if (LogFile)
    LogFile->WriteLogSummary(4, sum.Deleted, 0);
  return sum;
}
