#pragma once
// The thread that owns the SFTP session, like the FTP thread owns the FTP session: callers hand
// it jobs; Run() waits for the result in a local event loop (so windows keep painting). Progress
// arrives as queued signals on the caller's thread. Cancel() may be called from any thread.
// Destroying the thread ends within seconds whatever the server does.
#include "core/publish/SftpSession.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

class TSftpThread : public QObject {
  Q_OBJECT
public:
  using TJob = std::function<int(TSftpSession &)>;

  explicit TSftpThread(QObject *parent = nullptr);
  ~TSftpThread() override;

  // Runs the job on the SFTP thread and returns its result; events of the calling thread are
  // processed meanwhile. Called on the SFTP thread itself, the job simply runs.
  int Run(TJob job);
  void Cancel();
  bool Busy() const { return FBusy.load() > 0; }
  QThread *Thread() const { return FThread.get(); }

signals:
  void Progress(int direction, qint64 bytes);
  void JobDone(quint64 id, int result);

private:
  std::unique_ptr<QThread> FThread;
  QObject *FWorker = nullptr; // lives on FThread
  std::unique_ptr<TSftpSession> FSession;
  std::atomic<int> FBusy{0};
  quint64 FNextId = 0;
};
