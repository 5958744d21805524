#include "core/publish/FtpThread.h"

#include <QEventLoop>
#include <QMetaObject>

TFtpThread::TFtpThread(std::unique_ptr<TExtFtp> ftp, QObject *parent)
    : QObject(parent), FThread(std::make_unique<QThread>()), FFtp(std::move(ftp)) {
  FThread->setObjectName(QStringLiteral("FTP"));
  FWorker = new QObject;
  FWorker->moveToThread(FThread.get());
  connect(FThread.get(), &QThread::finished, FWorker, &QObject::deleteLater);
  // The session's progress callback runs on the FTP thread; the signal crosses to our thread
  // queued because this object lives there.
  FFtp->OnProgress = [this](TFtpDirection d, qint64 n) { emit Progress(int(d), n); };
  FThread->start();
}

TFtpThread::~TFtpThread() {
  // The sockets belong to the FTP thread: close and destroy the session there.
  Cancel();
  // Every wait of the session ends within a fraction of a second once it is shutting down,
  // and nothing reconnects, so the running job (and any queued one) ends soon, however the
  // server behaves; the final QUIT waits a bounded time.
  FFtp->Shutdown();
  TExtFtp *ftp = FFtp.release();
  // Blocking: quit() below would otherwise end the thread before the queued call ran.
  QMetaObject::invokeMethod(
      FWorker,
      [ftp] {
        ftp->Disconnect();
        delete ftp;
      },
      Qt::BlockingQueuedConnection);
  FThread->quit();
  FThread->wait();
}

void TFtpThread::Start(TJob job, quint64 id) {
  ++FBusy;
  TExtFtp *ftp = FFtp.get();
  QMetaObject::invokeMethod(
      FWorker,
      [this, job = std::move(job), ftp, id] {
        // An abort meant for an earlier job must not end this one.
        if (!FCancel.load())
          ftp->ClearAbort();
        const int r = job(*ftp);
        --FBusy;
        emit JobDone(id, r);
      },
      Qt::QueuedConnection);
}

int TFtpThread::Run(TJob job) {
  FCancel.store(false);
  if (QThread::currentThread() == FThread.get())
    return job(*FFtp);
  const quint64 id = ++FNextId;
  int result = -1;
  QEventLoop loop;
  auto c = connect(
      this, &TFtpThread::JobDone, &loop,
      [&](quint64 done, int r) {
        if (done == id) {
          result = r;
          loop.quit();
        }
      },
      Qt::QueuedConnection);
  Start(std::move(job), id);
  loop.exec();
  disconnect(c);
  return result;
}

void TFtpThread::Post(TJob job) {
  FCancel.store(false);
  const quint64 id = ++FNextId;
  auto c = std::make_shared<QMetaObject::Connection>();
  *c = connect(
      this, &TFtpThread::JobDone, this,
      [this, id, c](quint64 done, int r) {
        if (done != id)
          return;
        disconnect(*c);
        emit Finished(r);
      },
      Qt::QueuedConnection);
  Start(std::move(job), id);
}

void TFtpThread::Cancel() {
  FCancel.store(true);
  if (FFtp)
    FFtp->AbortTransfer();
}
