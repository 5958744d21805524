// Publishing to a real OpenSSH server on 127.0.0.1 over SFTP: logging in, the host key check,
// the session's file operations, and the failures a user meets.
#include "../servers/SshTestServer.h"
#include "core/projects/ProjectInfo.h"
#include "core/publish/HostKeyTrust.h"
#include "core/publish/Publisher.h"
#include "core/publish/SftpSession.h"
#include "core/publish/SftpThread.h"
#include "core/publish/TransferLog.h"

#include "FileSupport.h"

#include <QBuffer>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
TSftpConnectParams ParamsOf(const TTestSshServer &srv) {
  TSftpConnectParams p;
  p.Host = QStringLiteral("127.0.0.1");
  p.Port = srv.Port;
  p.Username = srv.User;
  p.Password = srv.Password.toUtf8();
  p.TransferTimeout = 10000;
  return p;
}

// A loopback port nobody listens on.
int ClosedPort() {
  QTcpServer s;
  s.listen(QHostAddress::LocalHost, 0);
  const int port = s.serverPort();
  s.close();
  return port;
}
QStringList Tree(const QString &dir) {
  QStringList out;
  QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext())
    out << QDir(dir).relativeFilePath(it.next());
  out.sort();
  return out;
}

// A site of `count` small pages, styles and images in ten folders.
void MakeSite(const QString &root, int count) {
  const char *ext[] = {"html", "css", "png", "js"};
  for (int i = 0; i < count; ++i) {
    const QString name = QStringLiteral("%1/f%2.%3")
                             .arg(i % 10 == 0 ? QStringLiteral(".") : QStringLiteral("d%1").arg(i % 10))
                             .arg(i)
                             .arg(QLatin1String(ext[i % 4]));
    WriteAll(root + u'/' + name, QByteArray("content of ") + name.toUtf8() + QByteArray(i % 7 * 100, 'x'));
  }
}

TProjectInfo Project(const QString &root, const TTestSshServer &srv) {
  TProjectInfo p;
  p.ProjPath = root + u'/';
  p.RemotePath = QStringLiteral("www");
  p.Host = QStringLiteral("127.0.0.1");
  p.Port = srv.Port;
  p.Username = srv.User;
  p.Password = srv.Password.toUtf8();
  p.TransferMode = tmSftp;
  return p;
}

// One publisher with its log, driving runs on the SFTP thread as the program does.
struct TRig {
  TSftpThread Thread;
  TPublisher Pub;
  TTransferLog Log;
  QString LogName;
  QString Trusted; // the key the project trusts
  QStringList Protocol;
  explicit TRig(const QString &logName) : LogName(logName) {
    Pub.LogFile = &Log;
    Pub.SetProjectFilter(QStringLiteral("htm*,htt,css,js"), QStringLiteral("gif,jpg,png"));
    QObject::connect(&Pub, &TPublisher::ProtocolLine, [this](const QString &l) { Protocol << l; });
  }
  TTransferSummary Run(const TProjectInfo &p, const TTransferRequest &r, bool clear = false) {
    Log.Open(LogName);
    Log.BeginSection(QStringLiteral("Transfer files to server"));
    Pub.ResetStop();
    TTransferSummary s;
    Thread.Run([&](TSftpSession &session) {
      TSftpConnectParams params = SftpParamsOf(p);
      params.TransferTimeout = 10000;
      session.SetConnectParams(params);
      session.SetHostKeyCheck([&](const QString &fp) {
        return JudgeHostKey(Trusted.isEmpty() ? fp : Trusted, fp, session.ServerText()).Verdict == cvAccept;
      });
      s = clear ? Pub.ClearRemote(session, p) : Pub.TransferRemote(session, p, r);
      return 0;
    });
    Log.Close();
    return s;
  }
  QString LogText() const { return QString::fromLatin1(ReadAll(LogName)); }
};
} // namespace

class TestPublishSftp : public QObject {
  Q_OBJECT
  TTestSshServer Srv;

private slots:
  void initTestCase() {
    if (!Srv.Start())
      QSKIP(qPrintable(QStringLiteral("no sshd: ") + Srv.Error));
  }
  void cleanup() {
    // Each case starts with an empty home on the server.
    QDir(Srv.Root + QStringLiteral("/www")).removeRecursively();
  }

  void logins_data() {
    QTest::addColumn<int>("how"); // 0 password, 1 key, 2 key with pass phrase
    QTest::newRow("password") << 0;
    QTest::newRow("key") << 1;
    QTest::newRow("key with pass phrase") << 2;
  }
  void logins() {
    QFETCH(int, how);
    TSftpConnectParams p = ParamsOf(Srv);
    if (how > 0) {
      p.Password.clear();
      p.KeyFile = how == 1 ? Srv.KeyFile : Srv.PhraseKeyFile;
      p.Passphrase = how == 2 ? Srv.Phrase.toUtf8() : QByteArray();
      QCOMPARE(TSftpClient::KeyNeedsPassphrase(p.KeyFile), how == 2);
    }
    TSftpSession s;
    s.SetConnectParams(p);
    QString seen;
    s.SetHostKeyCheck([&](const QString &fp) {
      seen = fp;
      return true;
    });
    QVERIFY2(s.Open(), qPrintable(s.IndyError()));
    QCOMPARE(seen, Srv.Fingerprint);
    QCOMPARE(s.CurrentDir(), Srv.Root);
  }

  // The operations the walks use, checked on the server's disk.
  // The whole site goes up; a second run has nothing to do; a touched file goes alone; the
  // synchronisation deletes what vanished locally and nothing else; the removal empties it.
  void publishSite() {
    QTemporaryDir local;
    MakeSite(local.path(), 2000);
    TRig rig(local.filePath(QStringLiteral("../qm-sftp-site.log")));
    const TProjectInfo p = Project(local.path(), Srv);
    TTransferRequest all = TTransferRequest::FromModeWord(2);
    const QString remote = Srv.Root + QStringLiteral("/www");

    TTransferSummary s = rig.Run(p, all);
    QVERIFY2(s.Message.isEmpty(), qPrintable(s.Message + rig.LogText().right(500)));
    QCOMPARE(s.Copied, 2000);
    QCOMPARE(Tree(remote), Tree(local.path()));
    QCOMPARE(ReadAll(remote + QStringLiteral("/d3/f3.js")),
             ReadAll(local.filePath(QStringLiteral("d3/f3.js"))));
    QVERIFY(rig.LogText().contains(QStringLiteral("File copied: f1999.js")));

    s = rig.Run(p, all);
    QCOMPARE(TransferResultText(s.Deleted, s.Copied, s.Stopped), QStringLiteral("Nothing to do!"));

    const QString touched = local.filePath(QStringLiteral("d5/f15.js"));
    QVERIFY(WriteAll(touched, "new script"));
    QVERIFY(SetTime(touched, QDateTime::currentDateTime().addSecs(3600)));
    s = rig.Run(p, all);
    QCOMPARE(s.Copied, 1);
    QCOMPARE(ReadAll(remote + QStringLiteral("/d5/f15.js")), QByteArray("new script"));

    // Gone locally: two pages. On the server only: a file the filter does not cover.
    QVERIFY(QFile::remove(local.filePath(QStringLiteral("d1/f1.css"))));
    QVERIFY(QFile::remove(local.filePath(QStringLiteral("f0.html"))));
    QVERIFY(WriteAll(remote + QStringLiteral("/d1/notes.dat"), "kept"));
    TTransferRequest sync = TTransferRequest::FromModeWord(2 | 16);
    s = rig.Run(p, sync);
    QCOMPARE(s.Deleted, 2);
    QCOMPARE(s.Copied, 0);
    QVERIFY(!QFileInfo::exists(remote + QStringLiteral("/d1/f1.css")));
    QVERIFY(QFileInfo::exists(remote + QStringLiteral("/d1/notes.dat")));
    QCOMPARE(Tree(remote).size(), 1999); // 2000 - 2 + notes.dat

    s = rig.Run(p, all, true);
    QCOMPARE(s.Deleted, 1999);
    QVERIFY(Tree(remote).isEmpty());
    QVERIFY(QFileInfo(remote).isDir());
  }

  // Cancel during a large upload: the run ends within a second and nothing stays behind under
  // the final name (nor the scratch name).
  void cancelLeavesNoPartialFile() {
    QTemporaryDir local;
    QByteArray big(200 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(big.data()), big.size() / 4);
    QVERIFY(WriteAll(local.filePath(QStringLiteral("big.png")), big));
    big.clear();
    TRig rig(local.filePath(QStringLiteral("../qm-sftp-cancel.log")));
    qint64 progressed = 0;
    QElapsedTimer sinceCancel;
    QObject::connect(&rig.Pub, &TPublisher::Progress, [&](int, qint64 n) {
      if (n > 0)
        progressed = n;
      if (n > 8 * 1024 * 1024 && !sinceCancel.isValid()) {
        sinceCancel.start();
        rig.Pub.Cancel();
        rig.Thread.Cancel();
      }
    });
    const TTransferSummary s = rig.Run(Project(local.path(), Srv), TTransferRequest::FromModeWord(2));
    QVERIFY(sinceCancel.isValid());
    QVERIFY2(sinceCancel.elapsed() < 1000, qPrintable(QString::number(sinceCancel.elapsed())));
    QVERIFY(s.Stopped);
    QCOMPARE(TransferResultText(s.Deleted, s.Copied, s.Stopped), QStringLiteral("Canceled by user!"));
    QCOMPARE(Tree(Srv.Root + QStringLiteral("/www")), QStringList());
  }

  // Each failure to log in says what went wrong, in the result and the log; nothing is
  // written, and no secret reaches the log.
  void loginFailures_data() {
    QTest::addColumn<int>("what");
    QTest::addColumn<QString>("expected");
    QTest::newRow("wrong password") << 0 << "refused the user name or password";
    QTest::newRow("wrong pass phrase") << 1 << "wrong pass phrase";
    QTest::newRow("closed port") << 2 << "is the port closed?";
    QTest::newRow("unknown host") << 3 << "Unknown server: no-such-host.invalid";
    QTest::newRow("changed host key") << 4 << "was not accepted";
  }
  void loginFailures() {
    QFETCH(int, what);
    QFETCH(QString, expected);
    QTemporaryDir local;
    MakeSite(local.path(), 5);
    TRig rig(local.filePath(QStringLiteral("../qm-sftp-fail.log")));
    TProjectInfo p = Project(local.path(), Srv);
    const QByteArray secret = "Wr0ng-S3cret";
    if (what == 0)
      p.Password = secret;
    if (what == 1) {
      p.KeyFile = Srv.PhraseKeyFile;
      p.Passphrase = secret;
    }
    if (what == 2)
      p.Port = ClosedPort();
    if (what == 3)
      p.Host = QStringLiteral("no-such-host.invalid");
    if (what == 4)
      rig.Trusted = QStringLiteral("SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA");
    QElapsedTimer clock;
    clock.start();
    const TTransferSummary s = rig.Run(p, TTransferRequest::FromModeWord(2));
    QVERIFY(clock.elapsed() < 30000);
    QCOMPARE(s.Deleted, -1);
    QCOMPARE(s.Copied, 0);
    QVERIFY(!s.Message.isEmpty());
    const QString log = rig.LogText();
    QVERIFY2(log.contains(expected, Qt::CaseInsensitive), qPrintable(log));
    QVERIFY(s.Message.contains(expected, Qt::CaseInsensitive));
    QVERIFY(rig.Protocol.join(u'\n').contains(expected, Qt::CaseInsensitive));
    QVERIFY(!log.contains(QString::fromLatin1(secret)));
    QVERIFY(!log.contains(Srv.Password));
    QVERIFY(!QFileInfo::exists(Srv.Root + QStringLiteral("/www")) ||
            Tree(Srv.Root + QStringLiteral("/www")).isEmpty());
  }

  // A server that takes the connection and then says nothing ends the connect within its
  // time-out, however long it stays silent.
  void silentServer() {
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
    TSftpSession s;
    TSftpConnectParams p = ParamsOf(Srv);
    p.Port = silent.serverPort();
    s.SetConnectParams(p);
    s.Client().ConnectTimeoutMs = 2000;
    s.SetHostKeyCheck([](const QString &) { return true; });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!s.Open());
    QVERIFY2(clock.elapsed() < 6000, qPrintable(QString::number(clock.elapsed())));
  }

  void hostKeyJudgement() {
    const QString a = QStringLiteral("SHA256:abc"), b = QStringLiteral("SHA256:ABC");
    QCOMPARE(JudgeHostKey(QString(), a, QStringLiteral("h:22")).Verdict, cvAsk);
    QCOMPARE(JudgeHostKey(a, a, QStringLiteral("h:22")).Verdict, cvAccept);
    const TCertJudgement changed = JudgeHostKey(a, b, QStringLiteral("h:22"));
    QCOMPARE(changed.Verdict, cvRefuse); // base64 is case-sensitive
    QVERIFY(changed.Warning.contains(a) && changed.Warning.contains(b));
  }

  void sessionOperations() {
    TSftpSession s;
    s.SetConnectParams(ParamsOf(Srv));
    s.SetHostKeyCheck([](const QString &) { return true; });
    QVERIFY(s.Open());
    QVERIFY(s.ForceDir(QStringLiteral("ops/a/b")));
    QCOMPARE(s.CurrentDir(), Srv.Root + QStringLiteral("/ops/a/b"));
    QVERIFY(QFileInfo(Srv.Root + QStringLiteral("/ops/a/b")).isDir());
    QCOMPARE(s.ChangeToNewDir(QStringLiteral("c")), 1);
    QVERIFY(s.ChangeToDir(QStringLiteral("..")));
    QCOMPARE(s.ChangeToNewDir(QStringLiteral("c")), 0);
    QVERIFY(s.ChangeToDir(QStringLiteral("..")));
    QBuffer one, two;
    one.setData("first version");
    two.setData("second, longer version");
    one.open(QIODevice::ReadOnly);
    two.open(QIODevice::ReadOnly);
    QCOMPARE(s.Flush(&one, QStringLiteral("page.html"), false), int(frOk));
    QCOMPARE(s.Flush(&two, QStringLiteral("~page.html.part"), false), int(frOk));
    // Renaming over an existing file replaces it.
    QVERIFY2(s.RenameFile(QStringLiteral("~page.html.part"), QStringLiteral("page.html")),
             qPrintable(s.IndyError()));
    const QString onDisk = Srv.Root + QStringLiteral("/ops/a/b/page.html");
    QCOMPARE(ReadAll(onDisk), QByteArray("second, longer version"));
    QVERIFY(!QFileInfo::exists(Srv.Root + QStringLiteral("/ops/a/b/~page.html.part")));
    qint64 size = -1;
    QVERIFY(s.FileSize(QStringLiteral("page.html"), size));
    QCOMPARE(size, 22);
    // Times: set from a local file, seen in the listing to the second.
    const QString local = QDir::tempPath() + QStringLiteral("/qm-sftp-time.txt");
    QVERIFY(WriteAll(local, "x"));
    const QDateTime t = QDateTime::fromSecsSinceEpoch(1600000000);
    QVERIFY(SetTime(local, t));
    QVERIFY(s.SetTimeStampFromFile(local, QStringLiteral("page.html"), true));
    QFile::remove(local);
    QCOMPARE(QFileInfo(onDisk).lastModified(), t);
    QCOMPARE(s.CheckTimeStamp(QStringLiteral("page.html"), 5, true, t), 2);
    QCOMPARE(s.CheckTimeStamp(QStringLiteral("page.html"), 5, true, t.addSecs(60)), 1);
    QCOMPARE(s.CheckTimeStamp(QStringLiteral("nothing.html"), 5, true, t), 0);
    QVERIFY(s.GetFileList());
    QCOMPARE(s.FileList().Count(), 1);
    TDirectoryList dirs;
    QVERIFY(s.GetDirList(dirs));
    QCOMPARE(dirs.Names(), QStringList{QStringLiteral("c")});
    QBuffer back;
    back.open(QIODevice::ReadWrite);
    QCOMPARE(s.Fill(QStringLiteral("page.html"), &back), int(frOk));
    QCOMPARE(back.data(), QByteArray("second, longer version"));
    QVERIFY(s.DeleteFile(QStringLiteral("page.html"), true));
    QVERIFY(s.RemoveDir(QStringLiteral("c")));
    QVERIFY(!s.RemoveDir(QStringLiteral("c")));
    QVERIFY(s.LastRefused());
    QVERIFY(s.Connected());
  }
};

QTEST_GUILESS_MAIN(TestPublishSftp)
#include "tst_publish_sftp.moc"
