// The main window's publishing commands: the transfer dialog, the run on its thread, the status
// window and the transfer log.
#include "core/app/LinkCheck.h"
#include "core/common/Translate.h"
#include "core/projects/ProjectInfo.h"
#include "core/publish/CertTrust.h"
#include "core/publish/FtpThread.h"
#include "core/publish/FtpUtils.h"
#include "core/publish/SftpThread.h"
#include "core/publish/Templates.h"
#include "core/publish/TransferLog.h"
#include "ui/app/HauptForm.h"
#include "ui/app/HauptFormPanels.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/MDIForm.h"
#include "ui/projects/PwdDlg.h"
#include "ui/publish/ChangesDlg.h"
#include "ui/publish/Publishing.h"
#include "ui/publish/TextViewer.h"
#include "ui/publish/TransferDlg.h"
#include "ui/publish/TransferStatus.h"

#include <QAction>
#include <QCheckBox>
#include <QActionGroup>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMenu>
#include <QThread>

TPublishing::TPublishing(THauptForm *main) : QObject(main), FMain(main) {
  setObjectName(QStringLiteral("Publishing"));
  FPublisher.Filter.SetMode(fmInclude);
}

TPublishing::~TPublishing() = default;

TPublishing *TPublishing::Of(const THauptForm *main) {
  return main->findChild<TPublishing *>(QStringLiteral("Publishing"), Qt::FindDirectChildrenOnly);
}

void TPublishing::SetUseLog(bool on) {
  FMain->Settings.UseLog = on;
  UseLogAction->setChecked(on);
  NoLogAction->setChecked(!on);
}

void TPublishing::CancelRun() {
  // Both: the walk stops before its next file, and a transfer or server wait in progress on the
  // FTP thread is aborted at once.
  FPublisher.Cancel();
  if (FFtpRun)
    FMain->FtpSession()->Cancel();
  if (FSftpRun && FSftp)
    FSftp->Cancel();
}

bool TPublishing::Run(TRunKind kind, TProjectInfo project, const TTransferRequest &request, bool dryRun) {
  const bool sftp = project.TransferMode == tmSftp;
  const bool ftp = project.TransferMode == tmFtp || sftp; // a server rather than a folder
  TTransferLog log;
  log.UseLog = FMain->Settings.UseLog && !dryRun;
  log.Product = FMain->ProgVersName;
  log.Version = QStringLiteral(QUILLMARK_VERSION);
  if (log.UseLog) {
    if (!log.Open(FMain->Paths.LogName()))
      SetUseLog(false); // the log cannot be written: the run goes on without it
    else
      log.BeginSection(kind == rkTransfer ? _("Transfer files to server") : _("Delete files on server"));
  }
  if (ftp) {
    // A project that keeps no password asks for it on every run; the answer lives only in this
    // copy of the project. A cancelled prompt ends the run quietly, with the log closed.
    const bool asked = PasswordResponder ? PasswordResponder(project) : [&] {
      TPasswordDialog dialog(FMain);
      return AskMissingPasswords(&dialog, project);
    }();
    if (!asked) {
      log.Close();
      return false;
    }
  }
  if (!FStatus) {
    FStatus = new TTransferStatus(FMain->Paths.IniName, FMain);
    FStatus->OnCancel = [this] { CancelRun(); };
  }
  FStatus->ResultResponder = ResultResponder;
  const QString title = sftp  ? QStringLiteral("SFTP: ") + project.Host
                        : ftp ? QStringLiteral("FTP: ") + project.Host
                              : _("Direct destination");
  FStatus->ShowWindow(title,
                      ftp ? _("Trying to connect") : (kind == rkTransfer ? _("Copying to") : _("Deleting")),
                      project.RemotePath);
  if (ftp)
    FStatus->SetDirectory(project.RemotePath);

  FPublisher.LogFile = log.UseLog ? &log : nullptr;
  FPublisher.DryRun = dryRun;
  FPublisher.Plan.clear();
  FPublisher.SetProjectFilter(project.TextTypes, project.BinTypes);
  FPublisher.ResetStop();
  TTransferStatus *status = FStatus;
  QList<QMetaObject::Connection> links;
  links << connect(&FPublisher, &TPublisher::StatusLine, status, &TTransferStatus::ShowStatusLine)
        << connect(&FPublisher, &TPublisher::ProtocolLine, status, &TTransferStatus::AddProtocol)
        << connect(&FPublisher, &TPublisher::ActionChanged, status, &TTransferStatus::SetAction)
        << connect(&FPublisher, &TPublisher::DirectoryChanged, status, &TTransferStatus::SetDirectory)
        << connect(&FPublisher, &TPublisher::Progress, status,
                   [status](int, qint64 count) { status->ShowProgress(count); });
  FRunning = true;
  for (QAction *a : {TransferAction, ClearAction})
    a->setEnabled(false);
  TTransferSummary sum;
  if (RunningResponder)
    RunningResponder(status);
  FFtpRun = ftp && !sftp;
  FSftpRun = sftp;
  if (sftp) {
    sum = RunSftp(kind == rkTransfer, project, request, log);
  } else if (ftp) {
    TFtpThread *session = FMain->FtpSession();
    const TFtpConnectParams params = ConnectParamsOf(project);
    // A certificate that does not verify is judged against the one the project trusts; a question
    // goes to the user on this thread while the FTP thread waits for the answer.
    QString trusted = project.CertFingerprint;
    QString refusal;
    auto confirmCert = [&](const TCerticateInfo &cert) {
      const TCertJudgement j = JudgeCertificate(trusted, cert);
      if (j.Verdict == cvRefuse)
        refusal = j.Warning;
      if (j.Verdict != cvAsk)
        return j.Verdict == cvAccept;
      const QString question = CertificateQuestion(cert);
      bool yes = false;
      auto ask = [&] { yes = ConfirmBox(question); };
      if (QThread::currentThread() == FMain->thread())
        ask();
      else
        QMetaObject::invokeMethod(FMain, ask, Qt::BlockingQueuedConnection);
      if (yes)
        trusted = cert.Fingerprint;
      return yes;
    };
    session->Run([&](TExtFtp &ftpSession) {
      ftpSession.SetConnectParams(params);
      ftpSession.SetVerifyPeerMode(1);
      ftpSession.SetConfirmCert(confirmCert);
      sum = kind == rkTransfer ? FPublisher.TransferFtp(ftpSession, project, request)
                               : FPublisher.ClearFtp(ftpSession, project);
      // The callback refers to this run; the session outlives it.
      ftpSession.SetConfirmCert({});
      ftpSession.SetVerifyPeerMode(0);
      return 0;
    });
    if (trusted != project.CertFingerprint) {
      // Kept in the active project (Run works on a copy); written with the project file.
      TProjectInfo *active = FMain->ActProject;
      if (active && active->ProjFileName == project.ProjFileName) {
        active->CertFingerprint = trusted;
        active->Changed = true;
      }
    }
    if (!refusal.isEmpty()) {
      log.WriteLogError(0, refusal);
      ErrorBox(refusal);
    }
  } else {
    // The copies run on their own thread so that the window stays responsive; the signals of
    // the walk reach the status window queued.
    QEventLoop loop;
    QThread *worker = QThread::create([&] {
      sum =
          kind == rkTransfer ? FPublisher.TransferDirect(project, request) : FPublisher.ClearDirect(project);
    });
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
    delete worker;
  }
  // Deliver what the walk queued before the result is shown.
  QCoreApplication::sendPostedEvents(status);
  for (const auto &c : links)
    disconnect(c);
  FRunning = false;
  FFtpRun = false;
  FSftpRun = false;
  for (QAction *a : {TransferAction, ClearAction})
    a->setEnabled(true);
  FPublisher.LogFile = nullptr;
  log.Close();
  if (status->Stopped())
    sum.Stopped = true;
  LastSummary = sum;
  if (dryRun) {
    status->hide();
  } else {
    status->CloseWindow(sum.Deleted, sum.Copied);
  }
  if (!sum.Message.isEmpty() && !sum.Stopped)
    ErrorBox(sum.Message);
  return true;
}

void TPublishing::TransferExecute() {
  if (FRunning)
    return;
  TProjectInfo *project = FMain->ActProject;
  if (!project || project->TransferMode == tmOff)
    return;
  TMDIForm *doc = FMain->ActiveDocument();
  const QString current = doc && QFileInfo(doc->TextName).isFile() ? doc->TextName : QString();
  if (!current.isEmpty() && !current.contains(QDir::cleanPath(project->ProjPath), Qt::CaseInsensitive)) {
    ErrorBox(FormatS(_("File:\r\n%s\r\nis not part of project"), {QDir::toNativeSeparators(current)}));
    return;
  }
  TTransferDialog dialog(FMain);
  dialog.LoadFromIni(FMain->Paths.IniName);
  dialog.DirectoryResponder = FMain->DirectoryResponder;
  dialog.Setup(DestinationText(*project, false), project->ProjPath, QString(), project->SubDirs, current, 0);
  dialog.Responder = DialogResponder;
  const int answer = dialog.Execute();
  if (answer != QDialog::Accepted && answer != TTransferDialog::ShowChanges)
    return;
  if (dialog.SubDirs() != project->SubDirs) {
    project->SubDirs = dialog.SubDirs();
    project->Changed = true;
  }
  TTransferRequest request = TTransferRequest::FromModeWord(dialog.ModeWord());
  request.CurrentFile = current;
  request.Folder = dialog.Directory();
  request.Mask = dialog.Filter();
  const QList<TMDIForm *> docs = FMain->Documents();
  if (request.Selection == 4)
    for (TMDIForm *d : docs)
      if (d->IsModified() && !d->TextName.isEmpty())
        request.ChangedFiles << d->TextName;
  // What is published is what the user sees: every document is saved first.
  for (TMDIForm *d : docs)
    if (d->IsModified() && !FMain->SaveTextFromMDI(d, false))
      return;
  // Before anything is sent: local links whose file or anchor is missing, listed in the results.
  if (dialog.CheckLinksCheck->isChecked()) {
    TLinkCheckJob job;
    job.Folder = project->ProjPath;
    job.Root = project->ProjPath;
    job.CaseMode = project->CaseMode;
    const std::atomic<bool> never{false};
    const TLinkCheckSummary links = CheckLinks(job, {}, never);
    if (!links.Broken.isEmpty()) {
      FMain->Panels()->ShowBrokenLinks(links);
      if (ShowMessage(mkConfirm, FormatS(_("%s broken link(s) found. Transfer anyway?"),
                                         {QString::number(links.Broken.size())})) != mrYes)
        return;
    }
  }
  if (answer == TTransferDialog::ShowChanges) {
    if (!Run(rkTransfer, *project, request, true) || LastSummary.Stopped)
      return;
    const QList<TPlannedChange> plan = FPublisher.Plan;
    const QString counts = TChangesDialog::CountsText(plan);
    const bool goOn = PlanResponder ? PlanResponder(plan, counts) : TChangesDialog::Ask(FMain, plan);
    if (!goOn)
      return;
  }
  Run(rkTransfer, *project, request, false);
}

void TPublishing::ClearServerExecute() {
  if (FRunning)
    return;
  TProjectInfo *project = FMain->ActProject;
  if (!project || project->TransferMode == tmOff)
    return;
  const QString question = FormatS(_("Delete whole directory: \r\n%s?"), {DestinationText(*project, true)});
  TMsgOptions atMouse;
  atMouse.Place = mpPoint;
  atMouse.At = QCursor::pos();
  atMouse.Default = mrNo;
  const bool yes = ClearResponder ? ClearResponder(question) : ShowMessage(mkConfirm, question, atMouse) == mrYes;
  if (!yes)
    return;
  Run(rkClear, *project, TTransferRequest{}, false);
}

void TPublishing::ShowLogExecute() {
  const QString name = FMain->Paths.LogName();
  if (!QFileInfo::exists(name)) {
    ErrorBox(_("Log file not found!"));
    return;
  }
  if (!FViewer) {
    FViewer = new TTextViewer(FMain);
    FViewer->SetSectionMarks(FMain->ProgVersName, QStringLiteral("*** "));
  }
  FViewer->setWindowTitle(QStringLiteral("Velmo") + FMain->ProgVers);
  if (!FViewer->isVisible())
    FViewer->move(FMain->geometry().topLeft() + QPoint(20, 20));
  FViewer->LoadFile(name);
  FViewer->show();
  FViewer->raise();
}

void TPublishing::SaveHtmlExecute() {
  TMDIForm *doc = FMain->ActiveDocument();
  if (!doc || QFileInfo(doc->TextName).suffix().compare(QLatin1String("htt"), Qt::CaseInsensitive) != 0)
    return;
  // The page is made from the template as it is stored; unsaved changes are not part of it.
  QString error;
  if (ProcessTemplate(doc->TextName, {}, &error).isEmpty())
    ErrorBox(_("Error writing HTML template!"));
}

void TPublishing::SaveTemplateExecute() {
  TMDIForm *doc = FMain->ActiveDocument();
  if (!doc)
    return;
  const QString start =
      QFileInfo(doc->TextName).isAbsolute() ? QFileInfo(doc->TextName).absolutePath() : FMain->HtmPath();
  QString folder = FMain->SelectDirectory(_("Select subdirectory for template"), start, FMain->HtmPath());
  if (folder.isEmpty())
    return;
  const QString target = QDir(folder).filePath(QStringLiteral("~template.html"));
  if (QFileInfo::exists(target)) {
    TMsgOptions o;
    o.Place = mpPoint;
    o.At = QCursor::pos();
    o.Caption = QStringLiteral("Velmo") + FMain->ProgVers;
    if (ShowMessage(mkConfirm, FormatS(_("Overwrite existing template:\r\n%s?"), {target}), o) != mrYes)
      return;
  }
  doc->SaveTemplate(target);
}

void TPublishing::UpdateDocumentCommands() {
  TMDIForm *doc = FMain->ActiveDocument();
  SaveHtmlAction->setEnabled(
      doc && QFileInfo(doc->TextName).suffix().compare(QLatin1String("htt"), Qt::CaseInsensitive) == 0);
  TemplateAction->setEnabled(doc != nullptr);
}

void InstallPublishing(THauptForm *main, QMenu *projectMenu) {
  auto *p = new TPublishing(main);
  const auto make = [main](const char *name, const QString &caption, const QString &hint) {
    auto *a = new QAction(caption, main);
    a->setObjectName(QString::fromLatin1(name));
    a->setStatusTip(hint);
    main->addAction(a);
    return a;
  };
  p->TransferAction = make("ActionTransfer", _("Transfer &files"), _("Transfer files to server"));
  p->TransferAction->setShortcut(QKeySequence(Qt::Key_F9));
  QObject::connect(p->TransferAction, &QAction::triggered, p, &TPublishing::TransferExecute);
  p->ClearAction =
      make("ActionClearServer", _("&Delete remote directory"), _("Delete alle project files on server"));
  QObject::connect(p->ClearAction, &QAction::triggered, p, &TPublishing::ClearServerExecute);
  p->ShowLogAction = make("ActionShowLog", _("&Show log file"), QString());
  QObject::connect(p->ShowLogAction, &QAction::triggered, p, &TPublishing::ShowLogExecute);
  p->SaveHtmlAction = make("ActionSaveHtml", _("Save as &HTML"), _("Save HTT template as HTML"));
  QObject::connect(p->SaveHtmlAction, &QAction::triggered, p, &TPublishing::SaveHtmlExecute);
  p->TemplateAction = make("ActionTemplate", _("Save as &template"), _("Use current document as template"));
  QObject::connect(p->TemplateAction, &QAction::triggered, p, &TPublishing::SaveTemplateExecute);
  // Both go below "Save as .." of the file menu and are enabled for the active document each
  // time the menu opens.
  if (QAction *saveAs = main->Action(QStringLiteral("ActionSaveAs")))
    for (QObject *o : saveAs->associatedObjects())
      if (auto *menu = qobject_cast<QMenu *>(o)) {
        const QList<QAction *> items = menu->actions();
        const int at = int(items.indexOf(saveAs));
        QAction *before = at + 1 < items.size() ? items[at + 1] : nullptr;
        menu->insertAction(before, p->SaveHtmlAction);
        menu->insertAction(before, p->TemplateAction);
        QObject::connect(menu, &QMenu::aboutToShow, p, &TPublishing::UpdateDocumentCommands);
      }
  if (projectMenu) {
    projectMenu->addSeparator();
    projectMenu->addAction(p->TransferAction);
    projectMenu->addAction(p->ClearAction);
    QMenu *logMenu = projectMenu->addMenu(_("File &transfer log"));
    logMenu->setObjectName(QStringLiteral("itmTransferLog"));
    auto *group = new QActionGroup(logMenu);
    p->UseLogAction = logMenu->addAction(_("&Active"));
    p->UseLogAction->setObjectName(QStringLiteral("itmUseLog"));
    p->NoLogAction = logMenu->addAction(_("&Off"));
    p->NoLogAction->setObjectName(QStringLiteral("itmNoLog"));
    for (QAction *a : {p->UseLogAction, p->NoLogAction}) {
      a->setCheckable(true);
      group->addAction(a);
    }
    logMenu->addSeparator();
    logMenu->addAction(p->ShowLogAction);
  } else {
    p->UseLogAction = new QAction(p);
    p->NoLogAction = new QAction(p);
  }
  QObject::connect(p->UseLogAction, &QAction::triggered, p, [p] { p->SetUseLog(true); });
  QObject::connect(p->NoLogAction, &QAction::triggered, p, [p] { p->SetUseLog(false); });
  p->UseLogAction->setCheckable(true);
  p->NoLogAction->setCheckable(true);
  p->UseLogAction->setChecked(main->Settings.UseLog);
  p->NoLogAction->setChecked(!main->Settings.UseLog);
}
