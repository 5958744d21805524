#pragma once
// Runs a search in files (or a link check) on a worker thread so that the window stays
// responsive. Progress, the files with matches and the end arrive as queued signals on the thread
// that owns the runner.
// The replace question is asked on that thread too, through the decider, while the worker waits;
// Cancel() (from any thread) ends the run within one file slice and also ends such a wait.
#include "core/app/FileSearch.h"
#include "core/app/LinkCheck.h"

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class TFileSearchRunner : public QObject {
  Q_OBJECT
public:
  using TDecider = std::function<TFileReplaceAnswer(const TReplaceQuestion &)>;

  explicit TFileSearchRunner(QObject *parent = nullptr);
  // Cancels a running search and waits for its worker.
  ~TFileSearchRunner() override;

  // Starts the job; false while another run is going on.
  bool Start(const TFileSearchJob &job);
  // Starts a link check; LinksChecked reports its end.
  bool StartLinkCheck(const TLinkCheckJob &job);
  void Cancel();
  bool IsRunning() const { return FRunning.load(); }
  // Called on the runner's thread for every replace question; unset means Yes to all.
  void SetDecider(TDecider decider) { FDecider = std::move(decider); }

signals:
  void Progress(int index, int total, const QString &fileName);
  void FileDone(const TFileResult &result);
  void Finished(const TFileSearchSummary &summary);
  void LinksChecked(const TLinkCheckSummary &summary);

private:
  struct TAsk; // one question handed to the owning thread
  TFileReplaceAnswer AskOnOwnerThread(const TReplaceQuestion &q);
  bool Launch(std::function<void()> work);
  // Progress thinned out to a few reports a second: a queued signal per file would flood the
  // window's event queue on a large folder.
  std::function<void(int, int, const QString &)> ThinnedProgress();
  void Join();

  TDecider FDecider;
  std::thread FThread;
  std::atomic<bool> FCancel{false};
  std::atomic<bool> FRunning{false};
  std::mutex FMutex;
  std::condition_variable FWake;
};

Q_DECLARE_METATYPE(TFileResult)
Q_DECLARE_METATYPE(TFileSearchSummary)
Q_DECLARE_METATYPE(TLinkCheckSummary)
