#include "core/publish/RemoteSession.h"

#include <QFileInfo>

QString TFtpRemote::ServerText() const {
  return FFtp.Host + u':' + QString::number(FFtp.Port);
}

bool TFtpRemote::Open() {
  return FFtp.Open();
}

void TFtpRemote::Disconnect() {
  FFtp.Disconnect();
}

bool TFtpRemote::Connected() const {
  return FFtp.Connected();
}

QString TFtpRemote::ModifyName(const QString &name) const {
  return FFtp.ModifyName(name);
}

QString TFtpRemote::CurrentDir() const {
  return FFtp.CurrentDir();
}

QString TFtpRemote::LoginDir() const {
  return FFtp.LoginDir();
}

QString TFtpRemote::TempDir() const {
  return FFtp.TempDir();
}

bool TFtpRemote::ChangeToDir(const QString &dir) {
  return FFtp.ChangeToDir(dir);
}

int TFtpRemote::ChangeToNewDir(const QString &dir) {
  return FFtp.ChangeToNewDir(dir);
}

bool TFtpRemote::ForceDir(const QString &dir) {
  return FFtp.ForceDir(dir);
}

bool TFtpRemote::RemoveDir(const QString &name) {
  return FFtp.RemoveDir(name);
}

bool TFtpRemote::GetFileList() {
  return FFtp.GetFileList();
}

const TFtpFileList &TFtpRemote::FileList() const {
  return FFtp.FileList();
}

bool TFtpRemote::GetDirList(TDirectoryList &dirList) {
  return FFtp.GetDirList(dirList);
}

bool TFtpRemote::ExactTimes() const {
  // "LIST" has only minutes; a machine listing has seconds.
  return FFtp.UseMachineListing && FFtp.HasFeature(QStringLiteral("MLST"));
}

bool TFtpRemote::MachineListing() const {
  return FFtp.UseMachineListing;
}

void TFtpRemote::SetMachineListing(bool on) {
  FFtp.UseMachineListing = on;
}

int TFtpRemote::CheckTimeStamp(const QString &name, int delta, bool asGMT, const QDateTime &localTime) {
  return FFtp.CheckTimeStamp(name, delta, asGMT, localTime);
}

bool TFtpRemote::ModificationTimes(const QStringList &names, QList<QDateTime> &utc) {
  return FFtp.ModificationTimes(names, utc);
}

bool TFtpRemote::SetTimeStampFromFile(const QString &localFile, const QString &name, bool checkTime) {
  return FFtp.SetTimeStampFromFile(localFile, name, checkTime);
}

int TFtpRemote::Flush(QIODevice *source, const QString &destFile, bool append) {
  return FFtp.Flush(source, destFile, append);
}

int TFtpRemote::Fill(const QString &sourceFile, QIODevice *dest) {
  return FFtp.Fill(sourceFile, dest);
}

bool TFtpRemote::FileSize(const QString &name, qint64 &size) {
  return FFtp.FileSize(name, size);
}

bool TFtpRemote::RenameFile(const QString &from, const QString &to) {
  if (FFtp.RenameFile(from, to))
    return true;
  // Some servers refuse to rename onto an existing file: remove it, then rename.
  return FFtp.Connected() && FFtp.DeleteFile(to, true) && FFtp.RenameFile(from, to);
}

namespace {
// Files per pipelined batch (two commands each): the commands and replies of a batch stay far
// below what the sockets buffer, so neither side can block writing while the other does not read.
constexpr int ScratchBatch = 100;
} // namespace

void TFtpRemote::SizeAndTime(const QString &tempName, const QString &localFile, qint64 &size, bool &timeSet) {
  QList<TScratchCheck> one{{tempName, localFile}};
  SizesAndTimes(one);
  size = one[0].Size;
  timeSet = one[0].TimeSet;
}

bool TFtpRemote::PlaceScratch(const QString &temp, const QString &name) {
  return PlaceScratches({{temp, name}}).value(0);
}

void TFtpRemote::SizesAndTimes(QList<TScratchCheck> &files) {
  // Each size check goes out with its time command. Where the pipelined commands fail (a lost
  // connection), the sizes of the rest are asked one by one with the session's recovery.
  for (int from = 0; from < files.size(); from += ScratchBatch) {
    const int to = qMin<int>(files.size(), from + ScratchBatch);
    QStringList commands;
    for (int i = from; i < to; ++i)
      commands << QStringLiteral("SIZE ") + files[i].TempName
               << FFtp.SetTimeCommand(files[i].TempName, FFtp.RemoteStamp(QFileInfo(files[i].LocalFile), true));
    QList<QPair<int, QString>> replies;
    if (!FFtp.Pipeline(commands, replies)) {
      for (int i = from; i < files.size(); ++i) {
        files[i].TimeSet = false;
        if (!FFtp.FileSize(files[i].TempName, files[i].Size))
          files[i].Size = -1;
      }
      return;
    }
    for (int i = from; i < to; ++i) {
      const auto &size = replies[2 * (i - from)];
      bool ok = false;
      files[i].Size = size.first == 213 ? size.second.mid(4).trimmed().toLongLong(&ok) : -1;
      if (!ok)
        files[i].Size = -1;
      files[i].TimeSet = replies[2 * (i - from) + 1].first / 100 == 2;
    }
  }
}

QList<bool> TFtpRemote::PlaceScratches(const QList<QPair<QString, QString>> &pairs) {
  // RNFR with RNTO, many pairs in one round trip; a pair that fails, and all of them after a
  // lost connection, one by one with the session's recovery.
  QList<bool> placed(pairs.size(), false);
  bool pipelined = true;
  for (int from = 0; from < pairs.size(); from += ScratchBatch) {
    const int to = qMin<int>(pairs.size(), from + ScratchBatch);
    QList<QPair<int, QString>> replies;
    if (pipelined) {
      QStringList commands;
      for (int i = from; i < to; ++i)
        commands << QStringLiteral("RNFR ") + FFtp.ModifyName(pairs[i].first)
                 << QStringLiteral("RNTO ") + FFtp.ModifyName(pairs[i].second);
      pipelined = FFtp.Pipeline(commands, replies);
    }
    for (int i = from; i < to; ++i) {
      // An "RNTO" after a refused "RNFR" is answered with an error of its own: read in pairs.
      placed[i] = pipelined && replies[2 * (i - from)].first == 350 && replies[2 * (i - from) + 1].first / 100 == 2;
      if (!placed[i])
        placed[i] = RenameFile(pairs[i].first, pairs[i].second);
    }
  }
  FFtp.InvalidateListing();
  return placed;
}

bool TFtpRemote::DeleteFile(const QString &name, bool initListing) {
  return FFtp.DeleteFile(name, initListing);
}

bool TFtpRemote::DeleteName(const QString &name) {
  return FFtp.TFtpClient::DeleteFile(name);
}

void TFtpRemote::AbortTransfer() {
  FFtp.AbortTransfer();
}

void TFtpRemote::ClearAbort() {
  FFtp.ClearAbort();
}

QString TFtpRemote::IndyError() {
  return FFtp.IndyError();
}

bool TFtpRemote::LastRefused() const {
  return FFtp.ErrorKind() == ekProtocol;
}

void TFtpRemote::SetQuickTimeouts(bool on) {
  if (on) {
    FConnectTimeout = FFtp.ConnectTimeout;
    FReadTimeout = FFtp.ReadTimeout;
    FFtp.ConnectTimeout = 3000;
    FFtp.ReadTimeout = 3000;
  } else if (FConnectTimeout > 0) {
    FFtp.ConnectTimeout = FConnectTimeout;
    FFtp.ReadTimeout = FReadTimeout;
  }
}

TRemoteSession::TProgressFn TFtpRemote::SwapProgress(TProgressFn f) {
  TProgressFn old = std::move(FFtp.OnProgress);
  FFtp.OnProgress = std::move(f);
  return old;
}

namespace {
// A session of its own seen through the interface: the twin of another one.
struct TFtpOwner {
  std::unique_ptr<TExtFtp> Own;
};
class TOwnFtpRemote : private TFtpOwner, public TFtpRemote {
public:
  explicit TOwnFtpRemote(std::unique_ptr<TExtFtp> ftp) : TFtpOwner{std::move(ftp)}, TFtpRemote(*Own) {}
};
} // namespace

std::unique_ptr<TRemoteSession> TFtpRemote::NewTwin() const {
  return std::make_unique<TOwnFtpRemote>(FFtp.NewTwin());
}
