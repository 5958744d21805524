#include "core/publish/UploadHelper.h"

#include <QFile>

TUploadHelper::TUploadHelper(std::unique_ptr<TRemoteSession> session, const std::atomic<bool> &stop)
    : FSession(std::move(session)), FStop(stop) {
  FThread = std::thread([this] { Run(); });
}

TUploadHelper::~TUploadHelper() {
  Finish();
  if (FThread.joinable())
    FThread.join();
}

void TUploadHelper::Finish() {
  std::lock_guard<std::mutex> l(FLock);
  FQuit = true;
  // A logon still under way is of no use any more: a slow server must not hold up the run's end.
  if (FState == hsConnecting && FSession)
    FSession->AbortTransfer();
  FWake.notify_all();
}

void TUploadHelper::Abort() {
  std::lock_guard<std::mutex> l(FLock);
  if (FSession)
    FSession->AbortTransfer();
}

bool TUploadHelper::Accepts(int depth) const {
  std::lock_guard<std::mutex> l(FLock);
  return FState == hsReady && !FQuit && FJobs.size() - FNext < depth;
}

int TUploadHelper::Queue(TJob job) {
  std::lock_guard<std::mutex> l(FLock);
  FJobs.append(std::move(job));
  FResults.append(TDone{});
  FWake.notify_all();
  return int(FJobs.size()) - 1;
}

QList<TUploadHelper::TDone> TUploadHelper::Collect() {
  std::unique_lock<std::mutex> l(FLock);
  FDoneCv.wait(l, [this] { return FNext >= FJobs.size(); });
  QList<TDone> done;
  done.swap(FResults);
  FJobs.clear();
  FNext = 0;
  return done;
}

TUploadHelper::TDone TUploadHelper::Send(const TJob &job) {
  TDone d;
  TRemoteSession &ftp = *FSession;
  if (ftp.CurrentDir() != job.Dir && !ftp.ChangeToDir(job.Dir)) {
    d.Result = frUploadFailed;
    return d;
  }
  QFile in(job.Source);
  if (!in.open(QIODevice::ReadOnly)) {
    d.Result = frSourceMissing;
    return d;
  }
  d.Result = ftp.Flush(&in, job.Temp, false);
  if (d.Result == frOk && FStop.load())
    d.Result = frCancelled;
  if (d.Result != frOk) {
    // What arrived of it goes; after a cancel without waiting long for the server.
    ftp.ClearAbort();
    ftp.SetQuickTimeouts(true);
    d.Leftover = !ftp.Connected() || !ftp.DeleteName(ftp.ModifyName(job.Temp));
    ftp.SetQuickTimeouts(false);
  }
  return d;
}

void TUploadHelper::Run() {
  // A cancel that comes just before a transfer starts is seen at its first progress report.
  FSession->SwapProgress([this](TFtpDirection, qint64) {
    if (FStop.load())
      FSession->AbortTransfer();
  });
  const bool up = !FStop.load() && FSession->Open();
  {
    std::lock_guard<std::mutex> l(FLock);
    FState = up ? hsReady : hsGone;
  }
  std::unique_lock<std::mutex> l(FLock);
  for (;;) {
    FWake.wait(l, [this] { return FQuit || FNext < FJobs.size(); });
    if (FNext >= FJobs.size())
      break; // quit with nothing left
    const TJob job = FJobs[FNext];
    const bool tryIt = FState == hsReady && !FQuit && !FStop.load();
    l.unlock();
    const TDone d = tryIt ? Send(job) : TDone{};
    l.lock();
    if (d.Result != frOk)
      FState = hsGone; // the walk's session sends the rest
    FResults[FNext] = d;
    ++FNext;
    FDoneCv.notify_all();
  }
  FState = hsGone;
  l.unlock();
  FSession->Disconnect();
  std::lock_guard<std::mutex> g(FLock);
  FSession.reset();
}
