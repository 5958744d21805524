#include "core/app/FileSearchRunner.h"

#include <QElapsedTimer>

struct TFileSearchRunner::TAsk {
  TReplaceQuestion Question;
  TFileReplaceAnswer Answer = frCancel;
  bool Done = false;
};

TFileSearchRunner::TFileSearchRunner(QObject *parent) : QObject(parent) {
  qRegisterMetaType<TFileResult>();
  qRegisterMetaType<TFileSearchSummary>();
  qRegisterMetaType<TLinkCheckSummary>();
}

TFileSearchRunner::~TFileSearchRunner() {
  Cancel();
  Join();
}

void TFileSearchRunner::Join() {
  if (FThread.joinable())
    FThread.join();
}

void TFileSearchRunner::Cancel() {
  {
    std::lock_guard lock(FMutex);
    FCancel = true;
  }
  FWake.notify_all();
}

bool TFileSearchRunner::Launch(std::function<void()> work) {
  if (FRunning.load())
    return false;
  Join();
  FCancel = false;
  FRunning = true;
  FThread = std::thread(std::move(work));
  return true;
}

std::function<void(int, int, const QString &)> TFileSearchRunner::ThinnedProgress() {
  auto since = std::make_shared<QElapsedTimer>();
  since->start();
  return [this, since](int index, int total, const QString &fileName) {
    if (index == 0 || index == total - 1 || since->elapsed() >= 40) {
      since->restart();
      emit Progress(index, total, fileName);
    }
  };
}

bool TFileSearchRunner::Start(const TFileSearchJob &job) {
  return Launch([this, job] {
    TFileSearchCallbacks cb;
    cb.Progress = ThinnedProgress();
    cb.FileDone = [this](const TFileResult &r) { emit FileDone(r); };
    cb.Decide = [this](const TReplaceQuestion &q) { return AskOnOwnerThread(q); };
    const TFileSearchSummary summary = RunFileSearch(job, cb, FCancel);
    FRunning = false;
    emit Finished(summary);
  });
}

bool TFileSearchRunner::StartLinkCheck(const TLinkCheckJob &job) {
  return Launch([this, job] {
    const TLinkCheckSummary summary = CheckLinks(job, ThinnedProgress(), FCancel);
    FRunning = false;
    emit LinksChecked(summary);
  });
}

TFileReplaceAnswer TFileSearchRunner::AskOnOwnerThread(const TReplaceQuestion &q) {
  auto ask = std::make_shared<TAsk>();
  ask->Question = q;
  QMetaObject::invokeMethod(
      this,
      [this, ask] {
        {
          std::lock_guard lock(FMutex);
          if (ask->Done)
            return; // cancelled while the question waited in the queue
        }
        const TFileReplaceAnswer a = FDecider ? FDecider(ask->Question) : frYes;
        {
          std::lock_guard lock(FMutex);
          if (!ask->Done) {
            ask->Answer = a;
            ask->Done = true;
          }
        }
        FWake.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(FMutex);
  FWake.wait(lock, [&] { return ask->Done || FCancel.load(); });
  if (!ask->Done) {
    ask->Done = true;
    ask->Answer = frCancel;
  }
  return ask->Answer;
}
