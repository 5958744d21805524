#pragma once
// The thread that owns the FTP session for the program's lifetime. Callers hand it jobs; Run()
// waits for the result in a local event loop (so windows keep painting), Post() does not wait.
// Progress arrives as queued signals on the caller's thread. Cancel() may be called from any
// thread: it sets the cancel flag that jobs check between files and aborts the running
// transfer or wait for the server. Destroying the thread ends within seconds whatever the
// server does.
#include "core/publish/FtpUtils.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

class TFtpThread : public QObject {
  Q_OBJECT
public:
  using TJob = std::function<int(TExtFtp &)>;

  // Takes the session; it is used, disconnected and destroyed on the FTP thread only.
  explicit TFtpThread(std::unique_ptr<TExtFtp> ftp, QObject *parent = nullptr);
  ~TFtpThread() override;

  // Runs the job on the FTP thread and returns its result; events of the calling thread are
  // processed meanwhile. Called on the FTP thread itself, the job simply runs.
  int Run(TJob job);
  // Queues the job; Finished(result) reports its end.
  void Post(TJob job);

  void Cancel();
  bool Cancelled() const { return FCancel.load(); }
  bool Busy() const { return FBusy.load() > 0; }
  QThread *Thread() const { return FThread.get(); }

signals:
  void Progress(int direction, qint64 bytes);
  void Finished(int result);

private:
  void Start(TJob job, quint64 id);
  std::unique_ptr<QThread> FThread;
  QObject *FWorker = nullptr; // lives on FThread
  std::unique_ptr<TExtFtp> FFtp;
  std::atomic<bool> FCancel{false};
  std::atomic<int> FBusy{0};
  quint64 FNextId = 0;

signals:
  void JobDone(quint64 id, int result);
};
