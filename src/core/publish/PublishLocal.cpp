// Publishing to a folder (a local disk or a mounted share) and emptying that folder again.
#include "core/common/FileNames.h"
#include "core/common/Translate.h"
#include "core/publish/FtpUtils.h"
#include "core/publish/Publisher.h"
#include "core/publish/TransferLog.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

namespace {
QString Join(const QString &a, const QString &b) {
  if (a.isEmpty())
    return b;
  if (b.isEmpty())
    return a;
  return a.endsWith(u'/') ? a + b : a + u'/' + b;
}

// Subfolders to walk: real folders only. A symbolic link to a folder is never followed (it could
// lead out of the tree or round in a circle).
QStringList SubFolders(const QString &dir) {
  QStringList out;
  for (const QFileInfo &fi :
       QDir(dir).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name))
    if (!fi.isSymLink())
      out << fi.fileName();
  return out;
}
} // namespace

void TPublisher::ProgressOf(TFileAction action, qint64 done, qint64 &lastSent) {
  // Every megabyte is plenty for a progress bar and keeps the queue of the window short.
  if (done - lastSent >= 1024 * 1024 || done < lastSent) {
    lastSent = done;
    emit Progress(int(action), done);
  }
}

int TPublisher::CopyFileWorker(const QString &source, const QString &dest) {
  QFile in(source);
  if (!in.exists() || !in.open(QIODevice::ReadOnly))
    return frSourceMissing;
  if (dest.isEmpty())
    return frDestEmpty;
  const QFileInfo srcInfo(source);
  const qint64 size = in.size();
  emit Progress(int(acCopy), -size);
  const QFileInfo destInfo(dest);
  // The copy is made under a unique scratch name beside the target and renamed over it when
  // complete, so the target is always either the old file or the whole new one.
  QTemporaryFile tmp(Join(destInfo.absolutePath(),
                          QStringLiteral("~") + destInfo.fileName() + QStringLiteral(".XXXXXX.part")));
  if (!tmp.open())
    return wrWriteError;
  QByteArray buf(qMax(4096, BufferSize), Qt::Uninitialized);
  qint64 done = 0, last = 0;
  // In-kernel copy where the system offers it (no trip of the data through our buffer), in
  // slices so that Cancel and the progress bar keep up; any refusal falls back to the buffer.
  for (bool kernel = true; kernel && done < size;) {
    if (StopHere())
      return frCancelled;
    const ssize_t n =
        ::copy_file_range(in.handle(), nullptr, tmp.handle(), nullptr, size_t(4 * 1024 * 1024), 0);
    if (n <= 0) {
      kernel = false;
      if (n < 0 && done > 0)
        return wrWriteError; // mid-file: positions are no longer known
      break;
    }
    done += n;
    ProgressOf(acCopy, done, last);
  }
  if (done > 0 && (!in.seek(done) || !tmp.seek(done)))
    return wrReadError;
  for (;;) {
    if (StopHere())
      return frCancelled;
    const qint64 n = in.read(buf.data(), buf.size());
    if (n < 0)
      return wrReadError;
    if (n == 0)
      break;
    if (tmp.write(buf.constData(), n) != n)
      return wrWriteError;
    done += n;
    ProgressOf(acCopy, done, last);
  }
  if (!tmp.flush() || done != size)
    return done != size ? wrReadError : wrWriteError;
  if (Verify) {
    emit Progress(int(acVerify), -size);
    QFile back(tmp.fileName());
    if (!back.open(QIODevice::ReadOnly))
      return wrVerifyReadError;
    if (back.size() != size)
      return wrSizeDiffers;
    in.seek(0);
    QByteArray other(buf.size(), Qt::Uninitialized);
    for (;;) {
      if (StopHere())
        return frCancelled;
      const qint64 a = in.read(buf.data(), buf.size());
      const qint64 b = back.read(other.data(), other.size());
      if (a < 0)
        return wrReadError;
      if (b < 0)
        return wrVerifyReadError;
      if (a != b || memcmp(buf.constData(), other.constData(), size_t(a)) != 0)
        return wrContentDiffers;
      if (a == 0)
        break;
    }
  }
  tmp.setPermissions(srcInfo.permissions());
  tmp.setFileTime(srcInfo.lastModified(), QFileDevice::FileModificationTime);
  tmp.close();
  // rename() replaces the target in one step (QFile::rename refuses an existing target).
  if (std::rename(QFile::encodeName(tmp.fileName()).constData(), QFile::encodeName(dest).constData()) != 0)
    return wrWriteError;
  tmp.setAutoRemove(false);
  emit Progress(int(acCopy), size);
  return frOk;
}

bool TPublisher::CopyToFolder(const QString &sourceRoot, const QString &destRoot, int &count, int caseMode,
                              bool overwrite, bool useFilter, bool recurse, const QString &mask,
                              const QString &relFolder) {
  if (StopHere())
    return true;
  const QString srcDir = Join(sourceRoot, relFolder);
  // The case change applies below the destination root only: the root is the user's folder.
  const QString destDir = Join(destRoot, CaseChanged(relFolder, caseMode));
  if (recurse) {
    for (const QString &sub : SubFolders(srcDir)) {
      if (!CopyToFolder(sourceRoot, destRoot, count, caseMode, overwrite, useFilter, recurse, mask,
                        Join(relFolder, sub)))
        return false;
      if (StopHere())
        return true;
    }
  }
  const QStringList files = LocalFiles(srcDir, mask, useFilter);
  if (files.isEmpty())
    return true;
  emit DirectoryChanged(relFolder);
  bool dirReady = false;
  bool ok = true;
  for (const QString &name : files) {
    if (StopHere())
      break;
    TLocalFile f;
    if (!PrepareFile(srcDir, name, f))
      continue;
    const QFileInfo src(f.Path);
    const QString destName = CaseChanged(f.Send, caseMode);
    const QFileInfo dst(Join(destDir, destName));
    TChangeKind kind;
    if (!dst.exists())
      kind = ckNew;
    else if (overwrite)
      kind = ckForced;
    else if (NewerForCopy(src.lastModified(), dst.lastModified()))
      kind = ckNewer;
    else
      continue;
    const QString shown = Join(relFolder, f.Send);
    if (DryRun) {
      Plan << TPlannedChange{kind, Join(CaseChanged(relFolder, caseMode), destName), src.size()};
      continue;
    }
    if (!dirReady) {
      LogDir(6, true, relFolder);
      // A folder in the destination that is a link to somewhere else is not written through:
      // nothing outside the destination is ever changed.
      if (!QDir().mkpath(destDir) ||
          !IsInFolder(QFileInfo(destDir).canonicalFilePath(), QFileInfo(destRoot).canonicalFilePath())) {
        LogError(6, _("Error creating directory: ") + (relFolder.isEmpty() ? destDir : relFolder));
        return false;
      }
      dirReady = true;
    }
    Status(shown);
    const int r = CopyFileWorker(f.Path, dst.filePath());
    if (r == frCancelled || StopHere()) {
      FBrokeOff = true;
      break;
    }
    if (r != frOk) {
      emit ProtocolLine(_("Error: ") + shown);
      LogError(8, _("Error copying: ") + f.Send);
      ok = false;
      break;
    }
    ++count;
    Log(8, _("File copied: ") + f.Send + QStringLiteral(" - ") + TTransferLog::FileTime(src.lastModified()));
  }
  // A folder made for nothing (the first file failed) does not stay behind.
  if (dirReady && !relFolder.isEmpty() && QDir(destDir).isEmpty())
    QDir().rmdir(destDir);
  return ok;
}

bool TPublisher::SyncFolder(const QString &sourceRoot, const QString &destRoot, int &count, int caseMode,
                            bool useFilter, bool recurse, const QString &mask, const QString &relFolder) {
  if (StopHere())
    return true;
  // relFolder is the destination's folder; its local counterpart is found by the case-changed
  // names of the local folders.
  const QString destDir = Join(destRoot, relFolder);
  QString localRel = relFolder;
  if (caseMode != 0 && !relFolder.isEmpty()) {
    // Map each level back to the local folder whose changed name it is.
    QString dir = sourceRoot;
    QStringList parts;
    for (const QString &p : relFolder.split(u'/')) {
      QString found = p;
      for (const QString &sub : SubFolders(dir))
        if (CaseChanged(sub, caseMode) == p) {
          found = sub;
          break;
        }
      parts << found;
      dir = Join(dir, found);
    }
    localRel = parts.join(u'/');
  }
  const QString srcDir = Join(sourceRoot, localRel);
  const QFileInfo di(destDir);
  if (!di.isDir() || di.isSymLink()) {
    LogError(6, _("Directory not found: ") + (relFolder.isEmpty() ? destDir : relFolder));
    return true; // nothing there to delete
  }
  const QFileInfoList entries = QDir(destDir).entryInfoList(
      QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
  if (recurse) {
    for (const QFileInfo &e : entries) {
      if (StopHere())
        return true;
      if (e.isDir() && !e.isSymLink() &&
          !SyncFolder(sourceRoot, destRoot, count, caseMode, useFilter, recurse, mask,
                      Join(relFolder, e.fileName())))
        return false;
    }
  }
  // Local names as they arrive at the destination; a template stands for its page.
  QSet<QString> local;
  for (const QString &n : QDir(srcDir).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
    local.insert(CaseChanged(n, caseMode));
    if (TTextFilter::Extension(n).compare(u"htt", Qt::CaseInsensitive) == 0)
      local.insert(CaseChanged(QFileInfo(n).completeBaseName() + QStringLiteral(".html"), caseMode));
  }
  bool logged = false;
  bool ok = true;
  for (const QFileInfo &e : entries) {
    if (StopHere())
      break;
    if (e.isDir() && !e.isSymLink())
      continue;
    const QString name = e.fileName();
    if (!Passes(name, mask, useFilter) || local.contains(name))
      continue;
    const QString shown = Join(relFolder, name);
    if (DryRun) {
      Plan << TPlannedChange{ckDelete, shown, e.size()};
      continue;
    }
    LogDeletionFolder(relFolder, logged);
    Status(shown);
    if (QFile::remove(e.filePath())) {
      ++count;
      Log(8, _("File deleted: ") + name);
    } else {
      emit ProtocolLine(_("Error: ") + shown);
      LogError(8, _("Error deleting: ") + name);
      ok = false;
    }
  }
  return ok;
}

bool TPublisher::DeleteFolderTree(const QString &root, const QString &relFolder, int &count,
                                  bool deleteFiles) {
  const QString folder = Join(root, relFolder);
  const QString shownFolder = relFolder.isEmpty() ? root : relFolder;
  if (relFolder.isEmpty()) {
    const QString refused = CheckRemovableFolder(root);
    if (!refused.isEmpty()) {
      LogError(6, refused);
      return false;
    }
  }
  const QFileInfo fi(folder);
  if (!fi.isDir() || fi.isSymLink()) {
    LogError(6, _("Directory not found: ") + relFolder);
    return false;
  }
  const QFileInfoList entries = QDir(folder).entryInfoList(
      QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
  bool ok = true;
  for (const QFileInfo &e : entries) {
    if (StopHere())
      return false;
    if (e.isDir() && !e.isSymLink() &&
        !DeleteFolderTree(root, Join(relFolder, e.fileName()), count, deleteFiles))
      ok = false;
  }
  if (StopHere())
    return false;
  emit DirectoryChanged(relFolder);
  LogDir(6, true, relFolder);
  if (deleteFiles) {
    for (const QFileInfo &e : entries) {
      if (e.isDir() && !e.isSymLink())
        continue;
      if (StopHere())
        return false;
      // A symbolic link is removed itself; what it points to is not touched.
      const QString shown = Join(relFolder, e.fileName());
      Status(shown);
      if (QFile::remove(e.filePath())) {
        ++count;
        Log(8, _("File deleted: ") + e.fileName());
      } else {
        emit ProtocolLine(_("Error: ") + e.filePath());
        LogError(8, _("Error deleting: ") + e.fileName());
        ok = false;
      }
    }
  }
  if (QDir().rmdir(folder)) {
    Log(6, _("Directory deleted: ") + shownFolder);
  } else {
    LogError(6, _("Error deleting: ") + shownFolder);
    ok = false;
  }
  return ok;
}
