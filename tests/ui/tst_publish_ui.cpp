// Publishing from the real main window: F9 with the transfer dialog, the run on its thread, the
// status window's result, the dry run, cancel, the transfer log and the removal command.
#include "core/common/IniFileUtils.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/HauptForm.h"
#include "ui/app/HauptFormPanels.h"
#include "ui/app/SearchResultsTree.h"
#include "ui/app/RecoverDlg.h"
#include "ui/common/HistoryCombo.h"
#include "ui/common/MessageBox.h"
#include "ui/publish/Publishing.h"
#include "ui/publish/StartScreen.h"
#include "ui/publish/TextViewer.h"
#include "ui/publish/TransferDlg.h"
#include "ui/publish/TransferStatus.h"

#include "TestSupport.h"
#include "servers/FtpTestServer.h"

#include <QAction>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSslCertificate>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

class TstPublishUi : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  QString FWeb, FIni, FDest;
  QStringList FAsked;
  QString FResult;       // the status window's result line of the last run
  QStringList FProtocol; // and its protocol
  int FDialogs = 0;
  int FProjectFiles = 0;

  std::unique_ptr<THauptForm> NewMain() {
    auto m = std::make_unique<THauptForm>(QStringList{});
    m->SaveNameResponder = [this](const QString &, const QString &, const QString &) {
      return FDir.filePath(QString("proj%1.prj").arg(++FProjectFiles));
    };
    m->ProjectDialogResponder = [this](TProjectInfo &p, const QString &) {
      p.ProjName = "Site";
      p.ProjPath = FWeb;
      return true;
    };
    m->SelectProjectResponder = [](const QStringList &, int &index) {
      index = 0;
      return 1;
    };
    const bool ok = m->Init();
    [&] { QVERIFY(ok); }();
    TPublishing *p = TPublishing::Of(m.get());
    p->ResultResponder = [this](TTransferStatus *s) {
      FResult = s->ResultText();
      FProtocol = s->Protocol();
    };
    return m;
  }
  // F9 pressed on the window, the dialog answered with the given selection and button.
  // The first press in a window goes through the key; later ones through the command, since the
  // offscreen platform does not always hand activation back after the status window.
  void PressF9(THauptForm &m, int selection, bool sync, QPushButton *TTransferDialog::*button) {
    TPublishing::Of(&m)->DialogResponder = [=, this](TTransferDialog *d) {
      ++FDialogs;
      d->Selection[selection]->setChecked(true);
      d->SyncCheck->setChecked(sync);
      (d->*button)->click();
      return d->result();
    };
    FResult.clear();
    FProtocol.clear();
    if (m.isVisible()) {
      TPublishing::Of(&m)->TransferAction->trigger();
      return;
    }
    m.show();
    QVERIFY(QTest::qWaitForWindowActive(&m));
    QTest::keyClick(&m, Qt::Key_F9);
  }
  void MakeSite() {
    QDir(FWeb).removeRecursively();
    QDir().mkpath(FWeb + "img");
    QVERIFY(WriteAll(FWeb + "index.html", "<p>home</p>"));
    QVERIFY(WriteAll(FWeb + "style.css", "p{}"));
    QVERIFY(WriteAll(FWeb + "img/logo.png", "PNG"));
    QVERIFY(WriteAll(FWeb + "notes.txt", "not a project type"));
    QVERIFY(WriteAll(FWeb + "page.htt", "<!-- #var\nt = Title\n-->\n<h1>[%t]</h1>\n"));
  }
#define QCOMPARE_WITH_INFO(a, b)                                                                             \
  do {                                                                                                       \
    if ((a) != (b))                                                                                          \
      qWarning().noquote() << FProtocol.join('\n')                                                           \
                           << ReadAll(FDir.filePath("config/Tamrix/tst_publish_ui.log"));                    \
    QCOMPARE(a, b);                                                                                          \
  } while (false)
  static QStringList Tree(const QString &root) {
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
      out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
  }

private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toUtf8());
    FWeb = FDir.filePath("web/");
    FDest = FDir.filePath("dest");
    QDir().mkpath(FWeb);
    QDir().mkpath(FDir.filePath("config/Tamrix"));
    FIni = FDir.filePath("config/Tamrix/tst_publish_ui.ini");
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FAsked << text;
      return mrYes;
    });
    TRecoverDialog::SetResponder([](const QString &, const QString &) { return rcLater; });
  }
  void init() {
    // The window follows its documents' folder; the site is made afresh below, and a server
    // started in a removed working folder cannot serve.
    QDir::setCurrent(FDir.path());
    QFile::remove(FIni);
    QFile::remove(FDir.filePath("config/Tamrix/tst_publish_ui.log"));
    QDir(FDest).removeRecursively();
    auto w = TUnicodeIniFile::CreateForWrite(FIni);
    w->WriteString("Config", "StdPath", FWeb);
    QVERIFY(w->UpdateFile());
    FAsked.clear();
    FDialogs = 0;
    MakeSite();
  }

  // F9 to a folder sends the project's files (the template as its page, never notes.txt); the
  // second run has nothing to do; both runs are in the transfer log.
  void transferToFolder() {
    auto m = NewMain();
    QVERIFY(m->ActProject);
    m->ActProject->TransferMode = tmDirect;
    m->ActProject->RemotePath = FDest;
    PressF9(*m, 2, false, &TTransferDialog::StartButton);
    QCOMPARE(FDialogs, 1);
    QCOMPARE(FResult, QString("4 file(s) copied"));
    QCOMPARE(Tree(FDest), (QStringList{"img/logo.png", "index.html", "page.html", "style.css"}));
    QCOMPARE(ReadAll(FDest + "/page.html"), QByteArray("<h1>Title</h1>\n"));
    QVERIFY(FProtocol.contains("  index.html") || FProtocol.join('\n').contains("index.html"));
    PressF9(*m, 2, false, &TTransferDialog::StartButton);
    QCOMPARE(FResult, QString("Nothing to do!"));
    const QByteArray log = ReadAll(FDir.filePath("config/Tamrix/tst_publish_ui.log"));
    QCOMPARE(log.count("Transfer files to server: "), 2);
    QVERIFY(log.startsWith("Quillmark (Vers. " QUILLMARK_VERSION ")\r\n"));
    QVERIFY(log.contains("File copied: index.html"));
    QVERIFY(log.contains("    Nothing to do!\r\n"));
    QVERIFY(FAsked.isEmpty());
    // "File transfer log" -> "Off": the next run writes nothing, and the choice is the setting.
    TPublishing::Of(m.get())->NoLogAction->trigger();
    QVERIFY(!m->Settings.UseLog);
    PressF9(*m, 2, false, &TTransferDialog::StartButton);
    QCOMPARE(FResult, QString("Nothing to do!"));
    QCOMPARE(ReadAll(FDir.filePath("config/Tamrix/tst_publish_ui.log")), log);
  }

  // "Check links first" lists the broken links before anything is sent: No sends nothing, Yes goes on.
  void checkLinksBeforeTransfer() {
    auto m = NewMain();
    m->ActProject->TransferMode = tmDirect;
    m->ActProject->RemotePath = FDest;
    QVERIFY(WriteAll(FWeb + "index.html", "<p><a href=\"missing.html\">x</a></p>"));
    TMsgResult answer = mrNo;
    SetMessageResponder([&](TMsgKind, const QString &text) {
      FAsked << text;
      return text.contains("broken link") ? answer : mrYes;
    });
    TPublishing::Of(m.get())->DialogResponder = [this](TTransferDialog *d) {
      ++FDialogs;
      d->Selection[2]->setChecked(true);
      d->CheckLinksCheck->setChecked(true);
      d->StartButton->click();
      return d->result();
    };
    TPublishing::Of(m.get())->TransferAction->trigger();
    QVERIFY(FAsked.contains("1 broken link(s) found. Transfer anyway?"));
    QVERIFY(!QFileInfo::exists(FDest + "/index.html"));
    QCOMPARE(m->Panels()->Results()->topLevelItemCount(), 1);
    answer = mrYes;
    TPublishing::Of(m.get())->TransferAction->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(FDest + "/index.html"), 10000);
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FAsked << text;
      return mrYes;
    });
  }

  // "Show what would change" lists without sending; going on then sends exactly that list, and a
  // refusal sends nothing. Synchronising lists the file that would be deleted.
  void dryRun() {
    auto m = NewMain();
    m->ActProject->TransferMode = tmDirect;
    m->ActProject->RemotePath = FDest;
    QList<TPlannedChange> plan;
    QString counts;
    bool goOn = false;
    TPublishing::Of(m.get())->PlanResponder = [&](const QList<TPlannedChange> &p, const QString &c) {
      plan = p;
      counts = c;
      return goOn;
    };
    PressF9(*m, 2, false, &TTransferDialog::ChangesButton);
    QCOMPARE(plan.size(), 4);
    QVERIFY(counts.startsWith("4 file(s) to send (new: 4"));
    QVERIFY(!QFileInfo::exists(FDest + "/index.html"));
    QCOMPARE(FResult, QString()); // no result window for a run that only looked

    PressF9(*m, 2, false, &TTransferDialog::StartButton);
    QCOMPARE(FResult, QString("4 file(s) copied"));
    QVERIFY(WriteAll(FDest + "/old.html", "gone locally"));
    goOn = true;
    PressF9(*m, 2, true, &TTransferDialog::ChangesButton);
    QCOMPARE(plan.size(), 1);
    QCOMPARE(plan[0].Kind, ckDelete);
    QCOMPARE(plan[0].Name, QString("old.html"));
    QCOMPARE(FResult, QString("1 file(s) deleted!"));
    QVERIFY(!QFileInfo::exists(FDest + "/old.html"));
    QCOMPARE(Tree(FDest).size(), 4);
  }

  // "All files in": a folder that does not exist is refused with the dialog still open; a real
  // one sends only its files matching the filter, joins the project's folder history, and the
  // filter joins the "TransferFilter" history of the settings file.
  void folderSelection() {
    auto m = NewMain();
    m->ActProject->TransferMode = tmDirect;
    m->ActProject->RemotePath = FDest;
    QStringList folders;
    TPublishing::Of(m.get())->DialogResponder = [&](TTransferDialog *d) {
      d->Selection[3]->setChecked(true);
      FAsked.clear();
      d->FolderBox->setCurrentText("nothere");
      d->StartButton->click();
      [&] {
        QCOMPARE(d->result(), 0);
        QCOMPARE(FAsked.size(), 1);
        QVERIFY(FAsked[0].startsWith("Directory:\r\n"));
        QVERIFY(FAsked[0].endsWith("nothere\r\nnot found!"));
      }();
      d->FolderBox->setCurrentText("img");
      d->FilterBox->setCurrentText("*.png");
      d->StartButton->click();
      return d->result();
    };
    m->show();
    TPublishing::Of(m.get())->TransferAction->trigger();
    QCOMPARE(FResult, QString("1 file(s) copied"));
    QCOMPARE(Tree(FDest), QStringList{"img/logo.png"});
    QCOMPARE(m->ActProject->SubDirs, QString("img"));
    {
      auto ini = TUnicodeIniFile::CreateForRead(FIni);
      QCOMPARE(ini->ReadString("TransferFilter", "History0"), QString("*.png"));
    }
    // The status window keeps its place and size when it goes with the main window.
    const int width = TPublishing::Of(m.get())->Status()->width();
    m.reset();
    auto ini = TUnicodeIniFile::CreateForRead(FIni);
    QCOMPARE(ini->ReadInteger("TransferStatus", "Width"), width);
  }

  // The status window's Cancel stops the run before its files: nothing arrives, the result says so.
  void cancelRun() {
    auto m = NewMain();
    m->ActProject->TransferMode = tmDirect;
    m->ActProject->RemotePath = FDest;
    TPublishing::Of(m.get())->RunningResponder = [](TTransferStatus *s) {
      QCOMPARE(s->Button->text(), QString("Cancel"));
      s->Button->click();
    };
    PressF9(*m, 2, false, &TTransferDialog::StartButton);
    QCOMPARE(FResult, QString("Canceled by user!"));
    QCOMPARE(Tree(FDest), QStringList());
    TPublishing::Of(m.get())->RunningResponder = nullptr;
    PressF9(*m, 2, false, &TTransferDialog::StartButton);
    QCOMPARE(FResult, QString("4 file(s) copied"));
  }

  // The transfer to an FTP server, with the password asked because the project keeps none; a
  // cancelled prompt ends the run before anything is sent, with the log section closed.
  void transferToServer() {
    TTestFtpServer srv;
    if (!srv.Start(QStringLiteral("pyftpd"), {}))
      QSKIP(qPrintable("no FTP test server: " + srv.Error));
    auto m = NewMain();
    TProjectInfo &p = *m->ActProject;
    p.TransferMode = tmFtp;
    p.Host = "127.0.0.1";
    p.Port = srv.Port;
    p.Username = srv.User;
    p.Password.clear();
    p.RemotePath = "/www";
    p.Passive = true;
    int prompts = 0;
    bool give = false;
    TPublishing::Of(m.get())->PasswordResponder = [&](TProjectInfo &proj) {
      ++prompts;
      if (give)
        proj.Password = srv.Password.toUtf8();
      return give;
    };
    PressF9(*m, 2, false, &TTransferDialog::StartButton);
    QCOMPARE(prompts, 1);
    QCOMPARE(FResult, QString());
    QVERIFY(!QFileInfo::exists(srv.Root + "/www/index.html"));
    QVERIFY(ReadAll(FDir.filePath("config/Tamrix/tst_publish_ui.log")).contains("Finished: "));
    give = true;
    PressF9(*m, 2, false, &TTransferDialog::StartButton);
    QCOMPARE_WITH_INFO(FResult, QString("4 file(s) copied"));
    QCOMPARE(ReadAll(srv.Root + "/www/page.html"), QByteArray("<h1>Title</h1>\n"));
    QVERIFY(p.Password.isEmpty()); // the answer is not kept in the project
    PressF9(*m, 2, false, &TTransferDialog::StartButton);
    QCOMPARE(FDialogs, 3);
    QCOMPARE(prompts, 3);
    QCOMPARE(FResult, QString("Nothing to do!"));

    // Removal: asked first, then the remote tree is emptied.
    QString question;
    TPublishing::Of(m.get())->ClearResponder = [&](const QString &q) {
      question = q;
      return true;
    };
    TPublishing::Of(m.get())->ClearAction->trigger();
    QVERIFY(question.startsWith("Delete whole directory: \r\n127.0.0.1"));
    QCOMPARE(FResult, QString("4 file(s) deleted!"));
    QCOMPARE(Tree(srv.Root + "/www"), QStringList());
  }

  // A self-signed certificate: the question shows its fingerprint and Yes keeps it in the project;
  // the next run passes without a question, and another certificate is refused with a warning in
  // the message and the transfer log.
  void serverCertificateTrust() {
    TTestFtpServer srv;
    if (!srv.Start(QStringLiteral("pyftpd"), {QStringLiteral("--mode"), QStringLiteral("explicit")}))
      QSKIP(qPrintable("no FTP test server: " + srv.Error));
    const QList<QSslCertificate> certs = QSslCertificate::fromPath(srv.CertFile);
    QVERIFY(!certs.isEmpty());
    const QString fingerprint =
        QString::fromLatin1(certs.first().digest(QCryptographicHash::Sha256).toHex(':').toUpper());
    auto m = NewMain();
    TProjectInfo &p = *m->ActProject;
    p.TransferMode = tmFtp;
    p.Host = "127.0.0.1";
    p.Port = srv.Port;
    p.Username = srv.User;
    p.Password = srv.Password.toUtf8();
    p.RemotePath = "/www";
    p.Passive = true;
    p.SecureMode = 2;
    p.Changed = false;
    PressF9(*m, 2, false, &TTransferDialog::StartButton);
    QCOMPARE_WITH_INFO(FResult, QString("4 file(s) copied"));
    const QStringList questions = FAsked.filter("SHA-256 fingerprint: " + fingerprint);
    QCOMPARE(questions.size(), 1);
    QVERIFY(questions.first().contains("Valid from "));
    QCOMPARE(p.CertFingerprint, fingerprint);
    QVERIFY(p.Changed);

    FAsked.clear();
    PressF9(*m, 2, false, &TTransferDialog::StartButton);
    QCOMPARE(FResult, QString("Nothing to do!"));
    QCOMPARE(FAsked.filter("fingerprint").size(), 0);

    const QString other = QString(fingerprint).replace(0, 2, fingerprint.startsWith("00") ? "11" : "00");
    p.CertFingerprint = other;
    FAsked.clear();
    PressF9(*m, 2, false, &TTransferDialog::StartButton);
    QCOMPARE(p.CertFingerprint, other); // a refused certificate replaces nothing
    const QStringList warnings = FAsked.filter("has changed");
    QCOMPARE(warnings.size(), 1);
    QVERIFY(warnings.first().contains(other) && warnings.first().contains(fingerprint));
    const QString log = QString::fromUtf8(ReadAll(FDir.filePath("config/Tamrix/tst_publish_ui.log")));
    QVERIFY2(log.contains("*** WARNING: the certificate of"), qPrintable(log));
  }

  // Cancel in the status window during a slow upload: the FTP run stops, the window says
  // "Canceled by user!", the page on the server keeps its old content and no later file is sent.
  void cancelServerUpload() {
    TTestFtpServer srv;
    if (!srv.Start(QStringLiteral("pyftpd"), {QStringLiteral("--throttle"), QStringLiteral("262144")}))
      QSKIP(qPrintable("no FTP test server: " + srv.Error));
    QDir().mkpath(srv.Root + "/www");
    QVERIFY(WriteAll(srv.Root + "/www/index.html", "old page"));
    // An hour older than the local page, so the page is sent (slowly) and the cancel comes in it.
    QVERIFY(SetTime(srv.Root + "/www/index.html", QDateTime::currentDateTime().addSecs(-3600)));
    QVERIFY(WriteAll(FWeb + "index.html", QByteArray(4 * 1024 * 1024, 'x')));
    auto m = NewMain();
    TProjectInfo &p = *m->ActProject;
    p.TransferMode = tmFtp;
    p.Host = "127.0.0.1";
    p.Port = srv.Port;
    p.Username = srv.User;
    p.Password = srv.Password.toUtf8();
    p.Passive = true;
    p.RemotePath = "/www";
    TPublishing *pub = TPublishing::Of(m.get());
    // The first bytes of a file reach the window: the user presses Cancel.
    connect(pub->Publisher(), &TPublisher::Progress, this, [pub](int, qint64 count) {
      if (count > 0 && pub->Status()->Button->isEnabled() && !pub->Status()->Finished())
        pub->Status()->Button->click();
    });
    PressF9(*m, 2, false, &TTransferDialog::StartButton);
    QCOMPARE(FResult, QString("Canceled by user!"));
    QCOMPARE(ReadAll(srv.Root + "/www/index.html"), QByteArray("old page"));
    // Subfolders go first: the logo arrived before the page; nothing after the page was sent.
    QCOMPARE_WITH_INFO(Tree(srv.Root + "/www").join(u','), QString("img/logo.png,index.html"));
  }

  // "Save as HTML" is offered for an .htt page only and writes its page; "Save as template"
  // writes "~template.html" into the chosen folder and asks before replacing one.
  void saveAsHtmlAndTemplate() {
    auto m = NewMain();
    TPublishing *p = TPublishing::Of(m.get());
    QVERIFY(m->LoadTextFile(FWeb + "index.html"));
    p->UpdateDocumentCommands();
    QVERIFY(!p->SaveHtmlAction->isEnabled());
    QVERIFY(p->TemplateAction->isEnabled());
    QVERIFY(m->LoadTextFile(FWeb + "page.htt"));
    p->UpdateDocumentCommands();
    QVERIFY(p->SaveHtmlAction->isEnabled());
    p->SaveHtmlAction->trigger();
    QCOMPARE(ReadAll(FWeb + "page.html"), QByteArray("<h1>Title</h1>\n"));
    QFile::remove(FWeb + "page.htt");
    FAsked.clear();
    p->SaveHtmlAction->trigger();
    QCOMPARE(FAsked, QStringList{"Error writing HTML template!"});

    m->DirectoryResponder = [this](const QString &title, const QString &) {
      return title == "Select subdirectory for template" ? FWeb + "img" : QString();
    };
    QVERIFY(m->LoadTextFile(FWeb + "index.html"));
    FAsked.clear();
    p->TemplateAction->trigger();
    QVERIFY(ReadAll(FWeb + "img/~template.html").startsWith("<p>home</p>"));
    QVERIFY(FAsked.isEmpty());
    p->TemplateAction->trigger();
    QCOMPARE(FAsked.size(), 1);
    QVERIFY(FAsked[0].startsWith("Overwrite existing template:\r\n"));
  }

  // The log viewer steps from error to error and section to section, says when there are no
  // more, and a deleted selection leaves the file in its own encoding and line breaks.
  void logViewer() {
    auto m = NewMain();
    const QString logName = FDir.filePath("config/Tamrix/tst_publish_ui.log");
    FAsked.clear();
    TPublishing::Of(m.get())->ShowLogAction->trigger();
    QCOMPARE(FAsked, QStringList{"Log file not found!"});
    const QByteArray log = "Quillmark (Vers. 1)\r\n"
                           "Transfer files to server: x\r\n"
                           "        *** Error copying: caf\xe9.html\r\n"
                           "Finished: x\r\n"
                           "\r\n"
                           "Quillmark (Vers. 1)\r\n"
                           "Transfer files to server: y\r\n"
                           "      *** Directory not found: img\r\n"
                           "Finished: y\r\n"
                           "\r\n";
    QVERIFY(WriteAll(logName, log));
    TPublishing::Of(m.get())->ShowLogAction->trigger();
    TTextViewer *v = TPublishing::Of(m.get())->Viewer();
    QVERIFY(v && v->isVisible());
    QVERIFY(v->View->toPlainText().contains(QString::fromUtf8("caf\u00e9.html")));
    QVERIFY(v->PrintButton->isEnabled()); // printing always has a PDF file to go to
    QVERIFY(!v->GoError(true)); // the view starts at the end
    QCOMPARE(v->MessagePanel->text(), QString("No further errors!"));
    QVERIFY(v->GoError(false));
    QCOMPARE(v->CurrentLine(), 8);
    QVERIFY(v->GoError(false));
    QCOMPARE(v->CurrentLine(), 3);
    QVERIFY(!v->GoError(false));
    QCOMPARE(v->CurrentLine(), 1);
    QVERIFY(v->GoError(true));
    QCOMPARE(v->CurrentLine(), 3);
    QVERIFY(v->GoSection(true));
    QCOMPARE(v->CurrentLine(), 6);
    QVERIFY(!v->GoSection(true));
    QCOMPARE(v->MessagePanel->text(), QString("No further sections!"));
    QVERIFY(v->Search("Directory not"));
    QCOMPARE(v->CurrentLine(), 8);
    QVERIFY(!v->Search("nowhere"));

    // Delete the first section (lines 1-5).
    QTextCursor c(v->View->document());
    c.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 5);
    v->View->setTextCursor(c);
    FAsked.clear();
    v->DeleteButton->click();
    QCOMPARE(FAsked, QStringList{"Delete selected text?"});
    QCOMPARE(ReadAll(logName), log.mid(log.indexOf("\r\n\r\n") + 4));
  }

  // The start screen comes up only when the work lasts (a quick start shows nothing flashing by)
  // and then with what it was last told; it is gone once the window has started; nested users
  // share one screen and the outermost closes it; a long path is shortened to the line.
  void startScreen() {
    auto m = NewMain();
    QVERIFY(!TStartScreen::Current());
    const int delay = TStartScreenScope::DelayMs;
    TStartScreenScope::DelayMs = 100;
    {
      TStartScreenScope quick("Quillmark (Version 1)", "one, two");
      quick.Status("Loading project ...");
      QVERIFY(!TStartScreen::Current());
      QTest::qSleep(150);
      quick.Project("Site");
      QVERIFY(TStartScreen::Current() && TStartScreen::Current()->isVisible());
      QCOMPARE(TStartScreen::Current()->lblStat->text(), QString("Loading project ..."));
      QCOMPARE(TStartScreen::Current()->lblProject->text(), QString("Site"));
    }
    QVERIFY(!TStartScreen::Current());
    TStartScreenScope::DelayMs = 0;
    {
      TStartScreenScope outer("Quillmark (Version 1)", "one, two");
      TStartScreen *s = TStartScreen::Current();
      QVERIFY(s && s->isVisible());
      QCOMPARE(s->lblCop->text(), QString("one\n    two"));
      {
        TStartScreenScope inner("x", "y");
        QCOMPARE(TStartScreen::Current(), s);
        inner.FileName("/a/" + QString(400, 'd') + "/page.html");
      }
      QCOMPARE(TStartScreen::Current(), s);
      QVERIFY(s->lblFiles->text().endsWith("page.html"));
      QVERIFY(s->lblFiles->text().size() < 200);
    }
    QVERIFY(!TStartScreen::Current());
    TStartScreenScope::DelayMs = delay;
  }

  // Removing a folder destination needs a yes; a no leaves it alone.
  void clearFolder() {
    auto m = NewMain();
    m->ActProject->TransferMode = tmDirect;
    m->ActProject->RemotePath = FDest;
    PressF9(*m, 2, false, &TTransferDialog::StartButton);
    bool yes = false;
    TPublishing::Of(m.get())->ClearResponder = [&](const QString &) { return yes; };
    FResult.clear();
    TPublishing::Of(m.get())->ClearAction->trigger();
    QCOMPARE(FResult, QString());
    QCOMPARE(Tree(FDest).size(), 4);
    yes = true;
    TPublishing::Of(m.get())->ClearAction->trigger();
    QCOMPARE(FResult, QString("4 file(s) deleted!"));
    QVERIFY(!QFileInfo::exists(FDest + "/index.html"));
  }
};

QTEST_MAIN(TstPublishUi)
#include "tst_publish_ui.moc"
