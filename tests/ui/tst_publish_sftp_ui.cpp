// Publishing over SFTP from the real main window: the host key question on first contact, the
// key kept in the project, a changed key refused with both fingerprints, and a wrong password
// reported in the status window and the transfer log without the password itself.
#include "core/common/IniFileUtils.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/HauptForm.h"
#include "ui/app/RecoverDlg.h"
#include "ui/common/MessageBox.h"
#include "ui/publish/Publishing.h"
#include "ui/publish/TransferDlg.h"
#include "ui/publish/TransferStatus.h"

#include "TestSupport.h"
#include "servers/SshTestServer.h"

#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

class TstPublishSftpUi : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  QString FWeb, FIni, FLog;
  QStringList FAsked;
  QString FResult;
  QStringList FProtocol;
  TTestSshServer FSrv;

  std::unique_ptr<THauptForm> NewMain() {
    auto m = std::make_unique<THauptForm>(QStringList{});
    m->SaveNameResponder = [this](const QString &, const QString &, const QString &) {
      return FDir.filePath("site.prj");
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
    p->DialogResponder = [](TTransferDialog *d) {
      d->Selection[2]->setChecked(true);
      d->StartButton->click();
      return d->result();
    };
    return m;
  }
  void Transfer(THauptForm &m) {
    FResult.clear();
    FProtocol.clear();
    FAsked.clear();
    TPublishing::Of(&m)->TransferAction->trigger();
  }
  QString LogText() const { return QString::fromLatin1(ReadAll(FLog)); }

private slots:
  void initTestCase() {
    if (!FSrv.Start())
      QSKIP(qPrintable("no sshd: " + FSrv.Error));
    qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toUtf8());
    FWeb = FDir.filePath("web/");
    QDir().mkpath(FWeb + "img");
    QVERIFY(WriteAll(FWeb + "index.html", "<p>home</p>"));
    QVERIFY(WriteAll(FWeb + "style.css", "p{}"));
    QVERIFY(WriteAll(FWeb + "img/logo.png", "PNG"));
    QDir().mkpath(FDir.filePath("config/Tamrix"));
    FIni = FDir.filePath("config/Tamrix/tst_publish_sftp_ui.ini");
    FLog = FDir.filePath("config/Tamrix/tst_publish_sftp_ui.log");
    auto w = TUnicodeIniFile::CreateForWrite(FIni);
    w->WriteString("Config", "StdPath", FWeb);
    QVERIFY(w->UpdateFile());
    QDir::setCurrent(FDir.path());
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FAsked << text;
      return mrYes;
    });
    TRecoverDialog::SetResponder([](const QString &, const QString &) { return rcLater; });
  }

  void hostKeyTrustAndLoginFailure() {
    auto m = NewMain();
    TProjectInfo &p = *m->ActProject;
    p.TransferMode = tmSftp;
    p.Host = "127.0.0.1";
    p.Port = FSrv.Port;
    p.Username = FSrv.User;
    p.Password = FSrv.Password.toUtf8();
    p.RemotePath = "www";
    p.Changed = false;

    // First contact: the question shows the key; Yes keeps it in the project.
    Transfer(*m);
    QCOMPARE(FResult, QString("3 file(s) copied"));
    QCOMPARE(FAsked.filter(FSrv.Fingerprint).size(), 1);
    QCOMPARE(p.HostKeyFingerprint, FSrv.Fingerprint);
    QVERIFY(p.Changed);
    QCOMPARE(ReadAll(FSrv.Root + "/www/img/logo.png"), QByteArray("PNG"));

    Transfer(*m);
    QCOMPARE(FResult, QString("Nothing to do!"));
    QVERIFY(FAsked.isEmpty());

    // Another key: refused, both fingerprints named, nothing replaced.
    const QString other = "SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
    p.HostKeyFingerprint = other;
    QVERIFY(WriteAll(FWeb + "new.html", "<p>new</p>"));
    Transfer(*m);
    QCOMPARE(p.HostKeyFingerprint, other);
    const QStringList warnings = FAsked.filter("has changed");
    QCOMPARE(warnings.size(), 1);
    QVERIFY(warnings.first().contains(other) && warnings.first().contains(FSrv.Fingerprint));
    QVERIFY(LogText().contains("*** WARNING: the key of server"));
    QVERIFY(!QFileInfo::exists(FSrv.Root + "/www/new.html"));

    // A wrong password: said in the status window and the log; the password is nowhere.
    p.HostKeyFingerprint = FSrv.Fingerprint;
    p.Password = "Wr0ng-S3cret";
    Transfer(*m);
    QCOMPARE(FResult, QString("Error during file transfer!"));
    QVERIFY2(FProtocol.join('\n').contains("refused the user name or password"),
             qPrintable(FProtocol.join('\n')));
    QVERIFY(LogText().contains("refused the user name or password"));
    QVERIFY(!LogText().contains("Wr0ng-S3cret"));
    QVERIFY(!QString::fromUtf8(ReadAll(FIni)).contains("Wr0ng-S3cret"));
    QVERIFY(!QFileInfo::exists(FSrv.Root + "/www/new.html"));
  }
};

QTEST_MAIN(TstPublishSftpUi)
#include "tst_publish_sftp_ui.moc"
