// The walks for the FTP session as such: they see it through its adapter.
#include "core/publish/Publisher.h"
#include "core/publish/RemoteSession.h"

int TPublisher::UploadFileWorker(TExtFtp &ftp, const QString &source, const QString &remoteName) {
  TFtpRemote remote(ftp);
  return UploadFileWorker(remote, source, remoteName);
}

TTransferSummary TPublisher::TransferFtp(TExtFtp &ftp, const TProjectInfo &project,
                                         const TTransferRequest &r) {
  TFtpRemote remote(ftp);
  return TransferRemote(remote, project, r);
}

TTransferSummary TPublisher::ClearFtp(TExtFtp &ftp, const TProjectInfo &project) {
  TFtpRemote remote(ftp);
  return ClearRemote(remote, project);
}
