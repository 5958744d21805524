// Publishing to an FTP server and emptying the remote directory. Everything here runs on the
// thread that owns the session.
#include "core/common/Translate.h"
#include "core/publish/FtpUtils.h"
#include "core/publish/Publisher.h"
#include "core/publish/RemoteSession.h"
#include "core/publish/TransferLog.h"
#include "core/publish/UploadHelper.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <optional>
#include <utility>

namespace {
QString Join(const QString &a, const QString &b) {
  if (a.isEmpty())
    return b;
  if (b.isEmpty())
    return a;
  return a + u'/' + b;
}

QString LastElement(const QString &rel) {
  return rel.section(u'/', -1);
}

// Reads back files up to this size into memory, larger ones into a scratch file.
constexpr qint64 VerifyInMemory = 52428800;

// The session's progress goes to the publisher while one upload runs, and back afterwards.
class TProgressHook {
public:
  TProgressHook(TRemoteSession &ftp, TRemoteSession::TProgressFn f, std::atomic<TRemoteSession *> &active)
      : FFtp(ftp), FActive(active) {
    FOld = ftp.SwapProgress(std::move(f));
    active.store(&ftp);
  }
  ~TProgressHook() {
    FActive.store(nullptr);
    FFtp.SwapProgress(std::move(FOld));
  }

private:
  TRemoteSession &FFtp;
  TRemoteSession::TProgressFn FOld;
  std::atomic<TRemoteSession *> &FActive;
};
} // namespace

void TPublisher::CleanLeftovers(TRemoteSession &ftp) {
  if (FLeftovers.isEmpty())
    return;
  // A cancel that cost the connection left scratch files of unfinished uploads. One short try
  // to remove them, bounded so that a cancelled run still ends promptly.
  ftp.ClearAbort();
  ftp.SetQuickTimeouts(true);
  if (ftp.Connected() || ftp.Open())
    for (const QString &path : std::as_const(FLeftovers))
      ftp.DeleteName(path);
  ftp.SetQuickTimeouts(false);
  FLeftovers.clear();
}

bool TPublisher::EnterRemote(TRemoteSession &ftp, const QString &name, bool create) {
  return create ? ftp.ForceDir(name) : ftp.ChangeToDir(name);
}

bool TPublisher::LeaveRemote(TRemoteSession &ftp, const QString &parent) {
  // Back to the folder we came from by its full path: after a reconnect inside the subfolder
  // the session stands wherever it was, and a blind "CDUP" could land one level too high.
  return ftp.ChangeToDir(parent);
}

int TPublisher::VerifyRemote(TRemoteSession &ftp, const QString &source, const QString &remote, qint64 size) {
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly))
    return wrReadError;
  emit Progress(int(acFtpRead), -size);
  std::unique_ptr<QIODevice> copy;
  if (size > VerifyInMemory) {
    auto f = std::make_unique<QTemporaryFile>(QDir(ftp.TempDir().isEmpty() ? QDir::tempPath() : ftp.TempDir())
                                                  .filePath(QStringLiteral("compare.XXXXXX.tmp")));
    if (!f->open())
      return wrVerifyReadError;
    copy = std::move(f);
  } else {
    auto b = std::make_unique<QBuffer>();
    b->open(QIODevice::ReadWrite);
    copy = std::move(b);
  }
  const int r = ftp.Fill(remote, copy.get());
  if (r == frCancelled)
    return frCancelled;
  if (r != frOk)
    return wrVerifyReadError;
  emit Progress(int(acVerify), -size);
  if (copy->size() != size)
    return wrSizeDiffers;
  copy->seek(0);
  QByteArray a(256 * 1024, Qt::Uninitialized), b(256 * 1024, Qt::Uninitialized);
  for (;;) {
    const qint64 na = in.read(a.data(), a.size());
    const qint64 nb = copy->read(b.data(), b.size());
    if (na < 0)
      return wrReadError;
    if (nb < 0)
      return wrVerifyReadError;
    if (na != nb || memcmp(a.constData(), b.constData(), size_t(na)) != 0)
      return wrContentDiffers;
    if (na == 0)
      return frOk;
  }
}

// As TExtFtp::CheckTimeStamp with 5 seconds: 0 no time, 1 remote older, 2 the same, 3 newer.
static int CompareRemoteTime(const QDateTime &remote, const QDateTime &local) {
  return !remote.isValid()                  ? 0
         : remote < local.addSecs(-5) ? 1
         : remote > local.addSecs(5)  ? 3
                                            : 2;
}

int TPublisher::UploadFileWorker(TRemoteSession &ftp, const QString &source, const QString &remoteName) {
  TScratchUpload up;
  const int r = SendScratch(ftp, source, remoteName, up);
  if (r != frOk)
    return r;
  QList<TScratchUpload> one{up};
  return PlaceScratchUploads(ftp, one).value(0, frUploadFailed);
}

void TPublisher::DropScratch(TRemoteSession &ftp, const TScratchUpload &up) {
  // After a cancel the session may still be usable: then the scratch file goes at once; else at
  // the end of the run (CleanLeftovers).
  ftp.ClearAbort();
  if (!ftp.Connected() || !ftp.DeleteName(ftp.ModifyName(up.Temp)))
    FLeftovers << up.TempPath;
}

TPublisher::TScratchUpload TPublisher::ScratchOf(TRemoteSession &ftp, const QString &source,
                                                 const QString &remoteName, qint64 size) {
  // The file goes up under a scratch name in the same folder ("~" names are skipped by every
  // walk) and replaces the real one only when it has arrived whole.
  TScratchUpload up;
  up.Source = source;
  up.Remote = remoteName;
  up.Temp = QStringLiteral("~") + remoteName + QStringLiteral(".part");
  up.TempPath = ftp.CurrentDir() + (ftp.CurrentDir().endsWith(u'/') ? QString() : QStringLiteral("/")) +
                ftp.ModifyName(up.Temp);
  up.Size = size;
  return up;
}

int TPublisher::SendScratch(TRemoteSession &ftp, const QString &source, const QString &remoteName,
                            TScratchUpload &up) {
  QFile in(source);
  if (!in.exists() || !in.open(QIODevice::ReadOnly))
    return frSourceMissing;
  if (remoteName.isEmpty())
    return frDestEmpty;
  const qint64 size = in.size();
  emit Progress(int(acFtpWrite), -size);
  qint64 last = 0;
  TProgressHook hook(
      ftp,
      [this, &ftp, &last](TFtpDirection d, qint64 n) {
        // A cancel that came just before the transfer started is seen here at the latest.
        if (StopHere())
          ftp.AbortTransfer();
        ProgressOf(d == fdUpload ? acFtpWrite : acFtpRead, n, last);
      },
      FActiveFtp);
  if (StopHere())
    return frCancelled;
  up = ScratchOf(ftp, source, remoteName, size);
  int r = ftp.Flush(&in, up.Temp, false);
  if (r == frOk && StopHere())
    r = frCancelled;
  if (r != frOk) {
    // A transfer aborted from outside (the FTP thread's Cancel) ends the whole run as well.
    if (r == frCancelled)
      FStopped.store(true);
    DropScratch(ftp, up);
  }
  return r;
}

TUploadHelper *TPublisher::HelperFor(TRemoteSession &ftp) {
  if (UploadSessions < 2 || Verify || DryRun)
    return nullptr;
  if (!FHelper) {
    // A run that sends one file does not log on twice.
    if (FHelperTried || FFilesStarted < 1)
      return nullptr;
    FHelperTried = true;
    std::unique_ptr<TRemoteSession> twin = ftp.NewTwin();
    if (!twin)
      return nullptr;
    std::lock_guard<std::mutex> l(FHelperLock);
    FHelper = std::make_unique<TUploadHelper>(std::move(twin), FStopped);
  }
  // Two files in hand: the helper never waits for the walk to give it the next one.
  return FHelper->Accepts(2) ? FHelper.get() : nullptr;
}

std::unique_ptr<TUploadHelper> TPublisher::TakeHelper() {
  std::lock_guard<std::mutex> l(FHelperLock);
  if (FHelper)
    FHelper->Finish();
  return std::move(FHelper);
}

QList<int> TPublisher::PlaceScratchUploads(TRemoteSession &ftp, QList<TScratchUpload> &ups) {
  QList<int> results(ups.size(), int(wrNotPlaced));
  if (ups.isEmpty())
    return results;
  // The size checks go out together with the times (set on the scratch files, which the renames
  // keep, so a final name never carries a time it does not have); then the renames, all in a
  // few round trips. Where the pipelined commands fail (a lost connection), the steps run one
  // by one with the session's recovery.
  QList<TRemoteSession::TScratchCheck> checks;
  for (const TScratchUpload &up : std::as_const(ups))
    checks.append({ftp.ModifyName(up.Temp), up.Source});
  ftp.SizesAndTimes(checks);
  // Up to the first upload that fails its check; the ones after it are not placed.
  int placeable = 0;
  bool listed = false;
  for (; placeable < ups.size(); ++placeable) {
    const TScratchUpload &up = ups[placeable];
    qint64 remoteSize = checks[placeable].Size;
    if (remoteSize < 0 && (listed || ftp.GetFileList())) {
      // No "SIZE": the listing knows it.
      listed = true;
      const int i = ftp.FileList().IndexOf(checks[placeable].TempName);
      if (i >= 0)
        remoteSize = ftp.FileList()[i].FSize;
    }
    int r = remoteSize >= 0 && remoteSize != up.Size ? int(wrSizeDiffers) : int(frOk);
    if (r == frOk && Verify)
      r = VerifyRemote(ftp, up.Source, up.Temp, up.Size);
    if (r != frOk) {
      results[placeable] = r;
      break;
    }
  }
  QList<QPair<QString, QString>> pairs;
  for (int k = 0; k < placeable; ++k)
    pairs.append({ups[k].Temp, ups[k].Remote});
  const QList<bool> placed = ftp.PlaceScratches(pairs);
  for (int k = 0; k < placeable; ++k) {
    if (!placed.value(k)) {
      results[k] = frUploadFailed;
      DropScratch(ftp, ups[k]);
      continue;
    }
    if (!checks[k].TimeSet)
      ftp.SetTimeStampFromFile(ups[k].Source, ups[k].Remote, true);
    results[k] = frOk;
    emit Progress(int(acFtpWrite), ups[k].Size);
  }
  for (int k = placeable; k < ups.size(); ++k)
    DropScratch(ftp, ups[k]);
  return results;
}

bool TPublisher::UploadFolder(TRemoteSession &ftp, const QString &sourceRoot, int &count, bool overwrite,
                              bool useFilter, bool recurse, const QString &mask, const QString &relFolder) {
  if (StopHere())
    return true;
  if (!ftp.Connected())
    return false;
  const QString parent = ftp.CurrentDir();
  const bool entered = !relFolder.isEmpty();
  bool fresh = false; // made just now: empty, no listing needed
  if (entered) {
    const QString name = ftp.ModifyName(LastElement(relFolder));
    if (!ftp.ChangeToDir(name)) {
      const int made = ftp.ChangeToNewDir(name);
      if (made < 0) {
        LogError(6, _("Error creating directory: ") + relFolder);
        return false;
      }
      fresh = made == 1;
    }
  }
  const QString srcDir = Join(sourceRoot, relFolder);
  bool ok = true;
  if (recurse) {
    for (const QFileInfo &fi : QDir(srcDir).entryInfoList(
             QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name)) {
      if (StopHere())
        break;
      if (fi.isSymLink())
        continue;
      if (!UploadFolder(ftp, sourceRoot, count, overwrite, useFilter, recurse, mask,
                        Join(relFolder, fi.fileName()))) {
        ok = false;
        break;
      }
    }
  }
  const QStringList files = ok && !StopHere() ? LocalFiles(srcDir, mask, useFilter) : QStringList();
  if (!files.isEmpty()) {
    emit DirectoryChanged(relFolder);
    if (!fresh && !ftp.GetFileList()) {
      LogError(6, _("Error reading directory: ") + (relFolder.isEmpty() ? parent : relFolder) +
                      QStringLiteral(" - ") + ftp.IndyError());
      ok = false;
    }
  }
  // The listing of the folder as it was before this walk sent anything: the session drops its
  // own after every upload, and reading it again per file would make a walk quadratic.
  const TFtpFileList listing = ok && !fresh ? ftp.FileList() : TFtpFileList();
  // Exact remote times come with a machine listing; "LIST" has only minutes, so then the
  // session asks for the times of the files that exist ("MDTM"), all of the folder at once.
  const bool exactTimes = ftp.ExactTimes();
  QHash<QString, QDateTime> askedTimes;
  if (!exactTimes && !overwrite && listing.Count() > 0) {
    QStringList names;
    for (const QString &name : files) {
      // The name a template is sent under, without expanding it yet.
      const bool htt = TTextFilter::Extension(name).compare(u"htt", Qt::CaseInsensitive) == 0;
      const QString remote = ftp.ModifyName(htt ? QFileInfo(name).completeBaseName() + QStringLiteral(".html") : name);
      if (listing.IndexOf(remote) >= 0 && !askedTimes.contains(remote)) {
        askedTimes.insert(remote, {});
        names << remote;
      }
    }
    QList<QDateTime> times;
    if (ftp.ModificationTimes(names, times))
      for (int k = 0; k < names.size(); ++k)
        askedTimes[names[k]] = times[k];
    else
      askedTimes.clear(); // asked one by one below
  }
  bool logged = false;
  // Files are sent under their scratch names one after the other and put in place in groups: the
  // size checks and renames of a group take a few round trips instead of two for every file.
  // With verification every file is read back before it is placed, one at a time. Files of a
  // group may go up through the second connection (HelperFor); they are placed all the same.
  const int groupSize = Verify ? 1 : 64;
  QList<TScratchUpload> group;
  struct TGroupFile {
    QString Shown, Send;
    QDateTime Time;
    int Ticket = -1; // the helper's number for it; -1 sent here
  };
  QList<TGroupFile> groupFiles;
  // Places the group and logs its files in order; false after an error (logged).
  const auto finishGroup = [&]() -> bool {
    if (group.isEmpty())
      return true;
    // What the helper could not send is sent here, in order; the first file that fails here
    // too ends the group as if every file had been sent here (the ones after it are dropped).
    QList<bool> dropped(group.size(), false);
    int failedAt = -1;
    QString failure;
    if (FHelper) {
      const QList<TUploadHelper::TDone> done = FHelper->Collect();
      for (int k = 0; k < group.size(); ++k) {
        const int ticket = std::exchange(groupFiles[k].Ticket, -1);
        if (ticket < 0)
          continue;
        if (done.value(ticket).Result == frOk) {
          ++FUse.Second;
          continue;
        }
        if (FStopped.load() || failedAt >= 0) {
          dropped[k] = true;
          if (done.value(ticket).Leftover)
            FLeftovers << group[k].TempPath;
          continue;
        }
        ++FUse.HandedBack;
        TScratchUpload again;
        const int r = SendScratch(ftp, group[k].Source, group[k].Remote, again);
        if (r == frOk) {
          group[k] = again;
        } else if (r == frCancelled || StopHere()) {
          dropped[k] = true;
        } else {
          dropped[k] = true;
          failedAt = k;
          failure = ftp.IndyError();
        }
      }
    }
    QList<TScratchUpload> place;
    QList<int> placedFrom; // index in the group of each file placed
    for (int k = 0; k < group.size(); ++k) {
      if (dropped[k])
        continue;
      if (failedAt >= 0 && k > failedAt) {
        DropScratch(ftp, group[k]);
        continue;
      }
      place.append(group[k]);
      placedFrom.append(k);
    }
    const bool cancelled = FStopped.load();
    // After a cancel the session waits only briefly for each answer.
    if (cancelled)
      ftp.SetQuickTimeouts(true);
    const QList<int> results = PlaceScratchUploads(ftp, place);
    if (cancelled)
      ftp.SetQuickTimeouts(false);
    bool fine = true;
    for (int j = 0; j < place.size(); ++j) {
      const TGroupFile &g = groupFiles[placedFrom[j]];
      if (results[j] == wrNotPlaced)
        continue;
      if (results[j] != frOk) {
        emit ProtocolLine(_("Error: ") + g.Shown);
        LogError(8, _("Error copying: ") + g.Send);
        Log(10, ftp.IndyError());
        fine = false;
        continue;
      }
      ++count;
      Log(8, _("File copied: ") + g.Send + QStringLiteral(" - ") + TTransferLog::FileTime(g.Time));
    }
    if (failedAt >= 0) {
      emit ProtocolLine(_("Error: ") + groupFiles[failedAt].Shown);
      LogError(8, _("Error copying: ") + groupFiles[failedAt].Send);
      Log(10, failure);
      fine = false;
    }
    group.clear();
    groupFiles.clear();
    return fine;
  };
  for (const QString &name : ok ? files : QStringList()) {
    if (StopHere())
      break;
    // A template writes lines of its own into the log: the files before it are finished first
    // and the template's page right after it, so the log reads in the order of the files.
    const bool htt = TTextFilter::Extension(name).compare(u"htt", Qt::CaseInsensitive) == 0;
    if (htt && !finishGroup()) {
      ok = false;
      break;
    }
    TLocalFile f;
    if (!PrepareFile(srcDir, name, f))
      continue;
    const QFileInfo src(f.Path);
    const QString remote = ftp.ModifyName(f.Send);
    const int i = listing.IndexOf(remote);
    TChangeKind kind;
    if (i < 0) {
      kind = ckNew;
    } else if (overwrite) {
      kind = ckForced;
    } else {
      int c;
      if (exactTimes) {
        c = CompareRemoteTime(listing[i].FModifiedDateGMT, src.lastModified());
      } else if (const auto t = askedTimes.constFind(remote); t != askedTimes.cend()) {
        c = CompareRemoteTime(*t, src.lastModified());
      } else {
        c = ftp.CheckTimeStamp(f.Send, 5, true, src.lastModified());
      }
      if (c != 0 && c != 1)
        continue;
      kind = ckNewer;
    }
    const QString shown = Join(relFolder, f.Send);
    if (DryRun) {
      Plan << TPlannedChange{kind, Join(relFolder.isEmpty() ? QString() : ftp.ModifyName(relFolder), remote),
                             src.size()};
      continue;
    }
    if (!logged) {
      LogDir(6, true, relFolder);
      logged = true;
    }
    Status(shown);
    TScratchUpload up;
    int ticket = -1;
    TUploadHelper *helper = htt ? nullptr : HelperFor(ftp);
    ++FFilesStarted;
    if (helper) {
      up = ScratchOf(ftp, f.Path, f.Send, src.size());
      ticket = helper->Queue({ftp.CurrentDir(), up.Source, up.Temp});
    } else {
      const int r = SendScratch(ftp, f.Path, f.Send, up);
      if (r == frCancelled || StopHere()) {
        FBrokeOff = true;
        break;
      }
      if (r != frOk) {
        // What arrived before it is put in place first, as if each file had been finished alone.
        const QString error = ftp.IndyError();
        finishGroup();
        emit ProtocolLine(_("Error: ") + shown);
        LogError(8, _("Error copying: ") + f.Send);
        Log(10, error);
        ok = false;
        break;
      }
    }
    group.append(up);
    groupFiles.append({shown, f.Send, src.lastModified(), ticket});
    if ((group.size() >= groupSize || htt) && !finishGroup()) {
      ok = false;
      break;
    }
  }
  // Files that arrived whole before a cancel are put in place too; the one the cancel hit is gone.
  if (!finishGroup())
    ok = false;
  if (entered && !LeaveRemote(ftp, parent)) {
    // Going on in the wrong folder would put files where they do not belong.
    LogError(6, _("Error creating directory: ") + parent);
    ok = false;
  }
  return ok;
}

bool TPublisher::SyncFtpFolder(TRemoteSession &ftp, const QString &sourceRoot, int &count, bool useFilter,
                               bool recurse, const QString &mask, const QString &relFolder) {
  return SyncFtpImpl(ftp, sourceRoot, count, useFilter, recurse, mask, relFolder,
                     relFolder.isEmpty() ? QString() : ftp.ModifyName(LastElement(relFolder)), true);
}

// remoteName: the folder's name on the server, which for a folder without a local counterpart is
// not the case-changed local name; create: make it when missing.
bool TPublisher::SyncFtpImpl(TRemoteSession &ftp, const QString &sourceRoot, int &count, bool useFilter,
                             bool recurse, const QString &mask, const QString &relFolder,
                             const QString &remoteName, bool create) {
  if (StopHere())
    return true;
  if (!ftp.Connected())
    return false;
  const QString parent = ftp.CurrentDir();
  const bool entered = !relFolder.isEmpty();
  if (entered && !EnterRemote(ftp, remoteName, create)) {
    LogError(6, _("Error creating directory: ") + relFolder);
    return false;
  }
  const QString srcDir = Join(sourceRoot, relFolder);
  bool ok = true;
  // Local names as the server knows them; a template stands for its page.
  QSet<QString> local;
  for (const QString &n : QDir(srcDir).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
    local.insert(ftp.ModifyName(n));
    if (TTextFilter::Extension(n).compare(u"htt", Qt::CaseInsensitive) == 0)
      local.insert(ftp.ModifyName(QFileInfo(n).completeBaseName() + QStringLiteral(".html")));
  }
  if (recurse) {
    QHash<QString, QString> localDirs; // remote name -> local folder name
    for (const QString &d : QDir(srcDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
      localDirs.insert(ftp.ModifyName(d), d);
    TDirectoryList dirs;
    if (!ftp.GetDirList(dirs)) {
      ok = false;
    } else {
      for (int i = 0; i < dirs.Count() && ok; ++i) {
        if (StopHere())
          break;
        // A remote folder without a local one is emptied under its own name.
        const QString remoteName = dirs.Name(i);
        const QString localName = localDirs.value(remoteName, remoteName);
        ok = SyncFtpImpl(ftp, sourceRoot, count, useFilter, recurse, mask, Join(relFolder, localName),
                         remoteName, false);
      }
    }
  }
  if (ok && !StopHere()) {
    if (!ftp.GetFileList()) {
      ok = false;
    } else {
      const TFtpFileList listing = ftp.FileList();
      bool logged = false;
      for (int i = 0; i < listing.Count(); ++i) {
        if (StopHere())
          break;
        const QString name = listing.Name(i);
        if (!Passes(name, mask, useFilter) || local.contains(name))
          continue;
        const QString shown = Join(relFolder, name);
        if (DryRun) {
          Plan << TPlannedChange{ckDelete,
                                 Join(relFolder.isEmpty() ? QString() : ftp.ModifyName(relFolder), name),
                                 listing[i].FSize};
          continue;
        }
        LogDeletionFolder(relFolder, logged);
        Status(shown);
        // Remote names are used as the server gave them (no case change).
        const bool deleted = ftp.ModifyName(name) == name ? ftp.DeleteFile(name, true) : ftp.DeleteName(name);
        if (deleted) {
          ++count;
          Log(8, _("File deleted: ") + name);
        } else {
          emit ProtocolLine(_("Error: ") + shown);
          LogError(8, _("Error deleting: ") + name);
        }
      }
    }
  }
  if (entered && !LeaveRemote(ftp, parent))
    ok = false;
  return ok;
}

bool TPublisher::DeleteServerTree(TRemoteSession &ftp, const QString &relFolder, int &count) {
  if (!ftp.Connected())
    return true;
  const QString parent = ftp.CurrentDir();
  const bool entered = !relFolder.isEmpty();
  if (!entered) {
    // Emptying the server's top folder or the account's home would take more than the site.
    QString cur = parent, login = ftp.LoginDir();
    while (cur.size() > 1 && cur.endsWith(u'/'))
      cur.chop(1);
    while (login.size() > 1 && login.endsWith(u'/'))
      login.chop(1);
    if (cur.isEmpty() || cur == u"/" || cur == login) {
      LogError(6, FormatS(_("Directory:\r\n%s\r\ncannot be removed!"), {parent}));
      FMessage = FormatS(_("Directory:\r\n%s\r\ncannot be removed!"), {parent});
      return false;
    }
  }
  // Some servers leave symbolic links out of machine listings ("MLSD"); then the link would keep
  // its folder from being removed. "LIST" shows them, as links, and they are deleted as files.
  struct TListGuard {
    TRemoteSession &Ftp;
    bool Old;
    ~TListGuard() { Ftp.SetMachineListing(Old); }
  };
  std::optional<TListGuard> plainListing;
  if (!entered && ftp.MachineListing()) {
    plainListing.emplace(TListGuard{ftp, true});
    ftp.SetMachineListing(false);
    ftp.ChangeToDir(parent); // drops a machine listing read before
  }
  const QString name = LastElement(relFolder);
  if (entered) {
    if (StopHere())
      return false;
    if (!ftp.ChangeToDir(name)) {
      LogError(6, _("Error deleting: ") + relFolder);
      return false;
    }
  }
  auto serverError = [&] {
    if (entered && ftp.Connected())
      LeaveRemote(ftp, parent);
    FMessage = FormatS(_("Error deleting on: \r\n%s"), {ftp.ServerText() + u'/' + relFolder});
    LogError(6, FMessage + QStringLiteral(" - ") + ftp.IndyError());
    return false;
  };
  emit DirectoryChanged(relFolder);
  LogDir(6, true, relFolder);
  if (!ftp.GetFileList())
    return serverError();
  bool filesOk = true;
  const TFtpFileList listing = ftp.FileList();
  for (int i = 0; i < listing.Count(); ++i) {
    if (StopHere())
      break;
    // Links are listed as files: "DELE" removes the link, never what it points to.
    const QString file = listing.Name(i);
    const QString shown = Join(relFolder, file);
    Status(shown);
    if (ftp.DeleteName(file) ||
        (!ftp.LastRefused() && ftp.ModifyName(file) == file && ftp.DeleteFile(file, true))) {
      ++count;
      Log(8, _("File deleted: ") + file);
    } else {
      if (!ftp.Connected())
        return serverError();
      emit ProtocolLine(_("Error: ") + shown);
      LogError(8, _("Error deleting: ") + file);
      filesOk = false;
    }
  }
  bool dirsOk = true;
  if (!StopHere()) {
    TDirectoryList dirs;
    if (!ftp.GetDirList(dirs))
      return serverError();
    for (int i = 0; i < dirs.Count(); ++i) {
      if (StopHere() || !DeleteServerTree(ftp, Join(relFolder, dirs.Name(i)), count)) {
        dirsOk = false;
        break;
      }
    }
  }
  if (!entered)
    return filesOk && dirsOk && !StopHere(); // the project's remote directory itself stays
  if (!LeaveRemote(ftp, parent))
    return serverError();
  if (StopHere())
    return false;
  if (!filesOk || !dirsOk) {
    LogError(6, _("Error deleting: ") + relFolder);
    return false;
  }
  if (ftp.RemoveDir(name)) {
    Log(6, _("Directory deleted: ") + relFolder);
    return true;
  }
  LogError(6, _("Error deleting: ") + relFolder);
  return false;
}
