// Publishing over SFTP from the main window: the run on the SFTP thread and the host key
// question on first contact.
#include "core/common/Translate.h"
#include "core/projects/ProjectInfo.h"
#include "core/publish/HostKeyTrust.h"
#include "core/publish/SftpThread.h"
#include "core/publish/TransferLog.h"
#include "ui/app/HauptForm.h"
#include "ui/common/MessageBox.h"
#include "ui/publish/Publishing.h"

#include <QThread>

TTransferSummary TPublishing::RunSftp(bool transfer, const TProjectInfo &project,
                                      const TTransferRequest &request, TTransferLog &log) {
  if (!FSftp)
    FSftp = std::make_unique<TSftpThread>();
  const TSftpConnectParams params = SftpParamsOf(project);
  // The server's key is judged against the one the project trusts; a question goes to the user
  // on this thread while the SFTP thread waits for the answer, before any secret is sent.
  QString trusted = project.HostKeyFingerprint;
  QString refusal;
  auto checkKey = [&](const QString &fingerprint) {
    const QString server = project.Host + u':' + QString::number(params.Port);
    const TCertJudgement j = JudgeHostKey(trusted, fingerprint, server);
    if (j.Verdict == cvRefuse)
      refusal = j.Warning;
    if (j.Verdict != cvAsk)
      return j.Verdict == cvAccept;
    const QString question = HostKeyQuestion(server, fingerprint);
    bool yes = false;
    auto ask = [&] { yes = ConfirmBox(question); };
    if (QThread::currentThread() == FMain->thread())
      ask();
    else
      QMetaObject::invokeMethod(FMain, ask, Qt::BlockingQueuedConnection);
    if (yes)
      trusted = fingerprint;
    return yes;
  };
  TTransferSummary sum;
  FSftp->Run([&](TSftpSession &session) {
    session.SetConnectParams(params);
    session.SetHostKeyCheck(checkKey);
    sum = transfer ? FPublisher.TransferRemote(session, project, request)
                   : FPublisher.ClearRemote(session, project);
    // The callback refers to this run, and the secrets stay with the project only.
    session.SetHostKeyCheck({});
    session.SetConnectParams(TSftpConnectParams{});
    return 0;
  });
  if (trusted != project.HostKeyFingerprint) {
    // Kept in the active project (the run works on a copy); written with the project file.
    TProjectInfo *active = FMain->ActProject;
    if (active && active->ProjFileName == project.ProjFileName) {
      active->HostKeyFingerprint = trusted;
      active->Changed = true;
    }
  }
  if (!refusal.isEmpty()) {
    log.WriteLogError(0, refusal);
    ErrorBox(refusal);
  }
  return sum;
}
