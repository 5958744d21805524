#include "core/publish/SftpThread.h"

#include <QEventLoop>
#include <QMetaObject>

TSftpThread::TSftpThread(QObject *parent)
    : QObject(parent), FThread(std::make_unique<QThread>()), FSession(std::make_unique<TSftpSession>()) {
  FThread->setObjectName(QStringLiteral("SFTP"));
  FWorker = new QObject;
  FWorker->moveToThread(FThread.get());
  connect(FThread.get(), &QThread::finished, FWorker, &QObject::deleteLater);
  FSession->SwapProgress([this](TFtpDirection d, qint64 n) { emit Progress(int(d), n); });
  FThread->start();
}

TSftpThread::~TSftpThread() {
  // Every wait of the session ends at once; the session is closed on its own thread.
  FSession->Shutdown();
  TSftpSession *session = FSession.release();
  QMetaObject::invokeMethod(
      FWorker,
      [session] {
        session->Disconnect();
        delete session;
      },
      Qt::BlockingQueuedConnection);
  FThread->quit();
  FThread->wait();
}

int TSftpThread::Run(TJob job) {
  if (QThread::currentThread() == FThread.get())
    return job(*FSession);
  const quint64 id = ++FNextId;
  int result = -1;
  QEventLoop loop;
  auto c = connect(
      this, &TSftpThread::JobDone, &loop,
      [&](quint64 done, int r) {
        if (done == id) {
          result = r;
          loop.quit();
        }
      },
      Qt::QueuedConnection);
  ++FBusy;
  TSftpSession *session = FSession.get();
  QMetaObject::invokeMethod(
      FWorker,
      [this, job = std::move(job), session, id] {
        session->ClearAbort();
        const int r = job(*session);
        --FBusy;
        emit JobDone(id, r);
      },
      Qt::QueuedConnection);
  loop.exec();
  disconnect(c);
  return result;
}

void TSftpThread::Cancel() {
  if (FSession)
    FSession->AbortTransfer();
}
