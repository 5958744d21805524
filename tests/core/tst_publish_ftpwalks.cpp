// Publishing to real FTP servers on 127.0.0.1 (pyftpdlib and vsftpd with explicit TLS), and
// emptying the remote directory. The walks run as jobs on the FTP thread, as in the program.
#include "../servers/FtpTestServer.h"
#include "core/projects/ProjectInfo.h"
#include "core/publish/FtpThread.h"
#include "core/publish/FtpUtils.h"
#include "core/publish/Publisher.h"
#include "core/publish/TransferLog.h"

#include "FileSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
QByteArray RandomBytes(qsizetype n, quint32 seed) {
  QByteArray b(n, Qt::Uninitialized);
  QRandomGenerator g(seed);
  g.fillRange(reinterpret_cast<quint32 *>(b.data()), n / 4);
  return b;
}

QStringList Tree(const QString &dir) {
  QStringList out;
  QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext())
    out << QDir(dir).relativeFilePath(it.next());
  out.sort();
  return out;
}

std::unique_ptr<TExtFtp> NewSession(const TTestFtpServer &srv, int secure) {
  auto ftp = std::make_unique<TExtFtp>(QByteArray(), QString(), QString(), QString(), QString());
  TFtpConnectParams p;
  p.Host = QStringLiteral("127.0.0.1");
  p.Port = srv.Port;
  p.Username = srv.User;
  p.Password = srv.Password;
  p.Passive = true;
  p.SecureMode = secure;
  p.TransferTimeout = 10000;
  ftp->SetConnectParams(p);
  ftp->ConnectTimeout = 5000;
  if (qEnvironmentVariableIsSet("QM_FTP_LOG"))
    ftp->OnLog = [](const QString &l) { qDebug("%s", qPrintable(l)); };
  return ftp;
}

bool StartServer(TTestFtpServer &srv, const QString &server, const QStringList &extra = {}) {
  if (server == u"vsftpd")
    return srv.Start(server, {QStringLiteral("explicit")});
  return srv.Start(server, extra);
}

TProjectInfo Project(const QString &root) {
  TProjectInfo p;
  p.ProjPath = root + u'/';
  p.RemotePath = QStringLiteral("/www");
  p.Host = QStringLiteral("127.0.0.1");
  p.TransferMode = tmFtp;
  return p;
}

// One publisher with its log, driving runs on the FTP thread.
struct TRig {
  TFtpThread Thread;
  TPublisher Pub;
  TTransferLog Log;
  QString LogName;
  TRig(std::unique_ptr<TExtFtp> ftp, const QString &logName) : Thread(std::move(ftp)), LogName(logName) {
    Pub.LogFile = &Log;
    Pub.SetProjectFilter(QStringLiteral("htm*,htt,css,js"), QStringLiteral("gif,jpg,png"));
  }
  TTransferSummary Transfer(const TProjectInfo &p, const TTransferRequest &r) {
    Log.Open(LogName);
    Log.BeginSection(QStringLiteral("Transfer files to server"));
    Pub.ResetStop();
    TTransferSummary s;
    Thread.Run([&](TExtFtp &ftp) {
      s = Pub.TransferFtp(ftp, p, r);
      return 0;
    });
    Log.Close();
    return s;
  }
  TTransferSummary Clear(const TProjectInfo &p) {
    Log.Open(LogName);
    Log.BeginSection(QStringLiteral("Delete files on server"));
    TTransferSummary s;
    Thread.Run([&](TExtFtp &ftp) {
      s = Pub.ClearFtp(ftp, p);
      return 0;
    });
    Log.Close();
    return s;
  }
  QString LogText() const { return QString::fromLatin1(ReadAll(LogName)); }
};
} // namespace

class TestPublishFtpWalks : public QObject {
  Q_OBJECT
private slots:
  void publishSite_data();
  void publishSite();
  void caseModeSync();
  void cancelLeavesNoPartialFile();
  void secondConnection_data();
  void secondConnection();
  void cancelWithTwoConnections();
  void droppedDataConnection_data();
  void droppedDataConnection();
  void failedSizeCheckStopsTheRest();
  void verifiedUpload();
  void clearServer_data();
  void clearServer();
  void clearServerRefusals();
};

void TestPublishFtpWalks::publishSite_data() {
  QTest::addColumn<QString>("server");
  QTest::newRow("pyftpd") << "pyftpd";
  QTest::newRow("vsftpd tls") << "vsftpd";
}

void TestPublishFtpWalks::publishSite() {
  QFETCH(QString, server);
  TTestFtpServer srv;
  if (!StartServer(srv, server))
    QSKIP(qPrintable(server + QStringLiteral(" cannot run here: ") + srv.Error));
  QTemporaryDir tmp;
  const QString root = tmp.filePath(QStringLiteral("site"));
  WriteAll(root + QStringLiteral("/index.html"), "<p>index</p>\n");
  WriteAll(root + QStringLiteral("/style.css"), "p{}\n");
  WriteAll(root + QStringLiteral("/page.htt"), "<!-- #var\ntitle=Home\n-->\n<h1>[%title]</h1>\n");
  WriteAll(root + QStringLiteral("/notes.txt"), "not a project type\n");
  WriteAll(root + QStringLiteral("/~draft.html"), "scratch\n");
  WriteAll(root + QStringLiteral("/img/logo.png"), RandomBytes(100000, 3));
  WriteAll(root + QStringLiteral("/sub/deep/x.js"), "var x;\n");
  const QDateTime old = QDateTime::currentDateTime().addSecs(-3600);
  for (const QString &f : Tree(root))
    SetTime(root + u'/' + f, old);
  TRig rig(NewSession(srv, server == u"vsftpd" ? 2 : 0), tmp.filePath(QStringLiteral("Velmo.log")));
  const TProjectInfo p = Project(root);
  const TTransferRequest all = TTransferRequest::FromModeWord(2 | 8);
  const QString www = srv.Root + QStringLiteral("/www");

  // The whole site.
  TTransferSummary s = rig.Transfer(p, all);
  QVERIFY2(s.Message.isEmpty(), qPrintable(s.Message + rig.LogText()));
  QCOMPARE(s.Copied, 5);
  QCOMPARE(Tree(www), (QStringList{"img/logo.png", "index.html", "page.html", "style.css", "sub/deep/x.js"}));
  QCOMPARE(ReadAll(www + QStringLiteral("/img/logo.png")), ReadAll(root + QStringLiteral("/img/logo.png")));
  QCOMPARE(ReadAll(www + QStringLiteral("/page.html")), QByteArray("<h1>Home</h1>\n"));
  QVERIFY(rig.LogText().contains(QStringLiteral("        Processing HTML template: page.htt\r\n"
                                                "        File copied: page.html - ")));
  // Again: nothing to do.
  s = rig.Transfer(p, all);
  QCOMPARE(s.Copied, 0);
  QCOMPARE(s.Deleted, 0);
  QVERIFY(rig.LogText().endsWith(QStringLiteral("    Nothing to do!\r\nFinished: ") +
                                 TTransferLog::DateTimeText(rig.Log.Now()).left(0)) ||
          rig.LogText().contains(QStringLiteral("    Nothing to do!\r\n")));
  // One touched file: the dry run names it alone, then the run sends it alone.
  WriteAll(root + QStringLiteral("/style.css"), "p{color:red}\n");
  rig.Pub.DryRun = true;
  s = rig.Transfer(p, all);
  QCOMPARE(rig.Pub.Plan, (QList<TPlannedChange>{{ckNewer, QStringLiteral("style.css"), 13}}));
  QCOMPARE(ReadAll(www + QStringLiteral("/style.css")), QByteArray("p{}\n"));
  rig.Pub.DryRun = false;
  rig.Pub.Plan.clear();
  s = rig.Transfer(p, all);
  QCOMPARE(s.Copied, 1);
  QCOMPARE(ReadAll(www + QStringLiteral("/style.css")), QByteArray("p{color:red}\n"));
  QVERIFY(rig.LogText().contains(QStringLiteral("        File copied: style.css - ")));
  // Synchronizing deletes only what vanished locally and passes the filter.
  QVERIFY(QFile::remove(root + QStringLiteral("/sub/deep/x.js")));
  WriteAll(www + QStringLiteral("/keep.txt"), "other type");
  WriteAll(www + QStringLiteral("/~mine.html"), "scratch");
  WriteAll(www + QStringLiteral("/gone.html"), "vanished");
  if (server == u"vsftpd")
    QProcess::execute(QStringLiteral("chown"), {QStringLiteral("-R"), srv.User, www});
  rig.Pub.DryRun = true;
  s = rig.Transfer(p, TTransferRequest::FromModeWord(2 | 8 | 16));
  std::sort(rig.Pub.Plan.begin(), rig.Pub.Plan.end(),
            [](const TPlannedChange &a, const TPlannedChange &b) { return a.Name < b.Name; });
  QCOMPARE(rig.Pub.Plan, (QList<TPlannedChange>{{ckDelete, QStringLiteral("gone.html"), 8},
                                                {ckDelete, QStringLiteral("sub/deep/x.js"), 7}}));
  rig.Pub.DryRun = false;
  s = rig.Transfer(p, TTransferRequest::FromModeWord(2 | 8 | 16));
  QCOMPARE(s.Deleted, 2);
  QCOMPARE(s.Copied, 0);
  QCOMPARE(Tree(www),
           (QStringList{"img/logo.png", "index.html", "keep.txt", "page.html", "style.css", "~mine.html"}));
  QVERIFY(rig.LogText().contains(QStringLiteral("    Synchronize files\r\n")));
  QVERIFY(rig.LogText().contains(QStringLiteral("        File deleted: gone.html\r\n")));
}

void TestPublishFtpWalks::caseModeSync() {
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {}), qPrintable(srv.Error));
  QTemporaryDir tmp;
  const QString root = tmp.filePath(QStringLiteral("site"));
  WriteAll(root + QStringLiteral("/Img/Logo.PNG"), "png");
  WriteAll(root + QStringLiteral("/Index.HTML"), "i");
  const QString www = srv.Root + QStringLiteral("/www");
  // A remote folder without a local one, in its own letters: emptied, never made again in lower case.
  WriteAll(www + QStringLiteral("/Old/x.html"), "x");
  // The session gets the project's values, its case change included.
  TProjectInfo p = Project(root);
  p.Port = srv.Port;
  p.Username = srv.User;
  p.Password = srv.Password.toUtf8();
  p.Passive = true;
  p.CaseMode = tcLower;
  auto ftp = NewSession(srv, 0);
  ftp->SetConnectParams(ConnectParamsOf(p));
  QCOMPARE(ftp->CaseMode(), 1);
  TRig rig(std::move(ftp), tmp.filePath(QStringLiteral("Velmo.log")));
  const TTransferRequest sync = TTransferRequest::FromModeWord(2 | 8 | 16);
  TTransferSummary s = rig.Transfer(p, sync);
  QCOMPARE(s.Deleted, 1);
  QCOMPARE(s.Copied, 2);
  QCOMPARE(Tree(www), (QStringList{"img/logo.png", "index.html"}));
  QVERIFY(!QFileInfo::exists(www + QStringLiteral("/old")));
  // Compared with the changed names: nothing deleted, nothing sent again.
  s = rig.Transfer(p, sync);
  QCOMPARE(s.Deleted, 0);
  QCOMPARE(s.Copied, 0);
}

void TestPublishFtpWalks::cancelLeavesNoPartialFile() {
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {QStringLiteral("--throttle"), QStringLiteral("262144")}),
           qPrintable(srv.Error));
  QTemporaryDir tmp;
  const QString root = tmp.filePath(QStringLiteral("site"));
  WriteAll(root + QStringLiteral("/a.html"), "small");
  WriteAll(root + QStringLiteral("/big.png"), RandomBytes(4 * 1024 * 1024, 9));
  WriteAll(root + QStringLiteral("/c.html"), "after");
  // The old page on the server must survive the cancelled upload whole.
  WriteAll(srv.Root + QStringLiteral("/www/big.png"), "old page");
  TRig rig(NewSession(srv, 0), tmp.filePath(QStringLiteral("Velmo.log")));
  QSignalSpy progress(&rig.Pub, &TPublisher::Progress);
  QTimer::singleShot(700, &rig.Pub, [&] { rig.Pub.Cancel(); });
  const TTransferSummary s = rig.Transfer(Project(root), TTransferRequest::FromModeWord(2 | 8 | 32));
  QVERIFY(s.Stopped);
  QCOMPARE(s.Copied, 1); // a.html; big.png cancelled, c.html never started
  QCOMPARE(ReadAll(srv.Root + QStringLiteral("/www/big.png")), QByteArray("old page"));
  QVERIFY(!QFile::exists(srv.Root + QStringLiteral("/www/c.html")));
  QCOMPARE(Tree(srv.Root + QStringLiteral("/www")), (QStringList{"a.html", "big.png"}));
  // The size of big.png was announced, then bytes done came in.
  bool announced = false;
  for (const auto &args : progress)
    announced = announced || args.at(1).toLongLong() == -4 * 1024 * 1024;
  QVERIFY(announced);
}

// Files go up over two connections; whatever the second one cannot do, the first does, and the
// server ends up with the same site either way.
void TestPublishFtpWalks::secondConnection_data() {
  QTest::addColumn<QString>("server");
  QTest::addColumn<QStringList>("args");
  QTest::addColumn<bool>("secondSends");
  QTest::addColumn<bool>("handsBack");
  QTest::newRow("pyftpd") << "pyftpd" << QStringList() << true << false;
  QTest::newRow("vsftpd tls") << "vsftpd" << QStringList() << true << false;
  QTest::newRow("second login refused") << "pyftpd" << QStringList{"--max-per-ip", "1"} << false << false;
  QTest::newRow("second connection's uploads refused")
      << "pyftpd" << QStringList{"--one-uploader"} << false << true;
}

void TestPublishFtpWalks::secondConnection() {
  QFETCH(QString, server);
  QFETCH(QStringList, args);
  QFETCH(bool, secondSends);
  QFETCH(bool, handsBack);
  TTestFtpServer srv;
  if (!StartServer(srv, server, args))
    QSKIP(qPrintable(server + QStringLiteral(" cannot run here: ") + srv.Error));
  QTemporaryDir tmp;
  const QString root = tmp.filePath(QStringLiteral("site"));
  // More files than one group of renames, in two folders.
  QStringList files;
  for (int i = 0; i < 100; ++i)
    files << QStringLiteral("p%1.html").arg(i, 3, 10, QLatin1Char('0'));
  for (int i = 0; i < 30; ++i)
    files << QStringLiteral("sub/s%1.css").arg(i, 2, 10, QLatin1Char('0'));
  const QDateTime old = QDateTime::currentDateTime().addSecs(-3600);
  for (int i = 0; i < files.size(); ++i) {
    WriteAll(root + u'/' + files[i], RandomBytes(64 + i * 97, quint32(i)));
    SetTime(root + u'/' + files[i], old);
  }
  files.sort();
  TRig rig(NewSession(srv, server == u"vsftpd" ? 2 : 0), tmp.filePath(QStringLiteral("Velmo.log")));
  const TTransferRequest all = TTransferRequest::FromModeWord(2 | 8);
  TTransferSummary s = rig.Transfer(Project(root), all);
  const QString log = rig.LogText();
  QVERIFY2(s.Message.isEmpty() && !log.contains(QStringLiteral("***")), qPrintable(s.Message + log));
  QCOMPARE(s.Copied, int(files.size()));
  const QString www = srv.Root + QStringLiteral("/www");
  QCOMPARE(Tree(www), files);
  for (const QString &f : files)
    QVERIFY2(ReadAll(www + u'/' + f) == ReadAll(root + u'/' + f), qPrintable(f));
  const TPublisher::TConnectionUse use = rig.Pub.ConnectionUse();
  QVERIFY2((use.Second > 0) == secondSends, qPrintable(QString::number(use.Second)));
  QVERIFY2((use.HandedBack > 0) == handsBack, qPrintable(QString::number(use.HandedBack)));
  // The files of either connection got their times: nothing to send again.
  s = rig.Transfer(Project(root), all);
  QCOMPARE(s.Copied, 0);
  // One file alone is sent without a second login.
  WriteAll(root + QStringLiteral("/p000.html"), "changed");
  s = rig.Transfer(Project(root), all);
  QCOMPARE(s.Copied, 1);
  QCOMPARE(rig.Pub.ConnectionUse().Second + rig.Pub.ConnectionUse().HandedBack, 0);
}

// A cancel while both connections send: what is on the server under a real name is whole, and no
// scratch file stays behind.
void TestPublishFtpWalks::cancelWithTwoConnections() {
  TTestFtpServer srv;
  // About 2 s a file on either connection (the server pauses once a file).
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {QStringLiteral("--throttle"), QStringLiteral("65536")}),
           qPrintable(srv.Error));
  QTemporaryDir tmp;
  const QString root = tmp.filePath(QStringLiteral("site"));
  for (int i = 0; i < 12; ++i)
    WriteAll(root + QStringLiteral("/f%1.png").arg(i, 2, 10, QLatin1Char('0')),
             RandomBytes(200 * 1024, quint32(40 + i)));
  TRig rig(NewSession(srv, 0), tmp.filePath(QStringLiteral("Velmo.log")));
  QTimer::singleShot(3000, &rig.Pub, [&] { rig.Pub.Cancel(); });
  const TTransferSummary s = rig.Transfer(Project(root), TTransferRequest::FromModeWord(2 | 8));
  QVERIFY(s.Stopped);
  const QString www = srv.Root + QStringLiteral("/www");
  const QStringList there = Tree(www);
  QVERIFY2(there.size() < 12, qPrintable(there.join(u' ')));
  QCOMPARE(s.Copied, int(there.size()));
  for (const QString &f : there)
    QVERIFY2(!f.startsWith(u'~') && ReadAll(www + u'/' + f) == ReadAll(root + u'/' + f), qPrintable(f));
}

void TestPublishFtpWalks::droppedDataConnection_data() {
  QTest::addColumn<int>("drops");
  QTest::addColumn<bool>("arrives");
  QTest::newRow("one drop: retried") << 1 << true;
  QTest::newRow("every upload dropped: error") << -1 << false;
}

void TestPublishFtpWalks::droppedDataConnection() {
  QFETCH(int, drops);
  QFETCH(bool, arrives);
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {QStringLiteral("--drop-stor"), QString::number(drops)}),
           qPrintable(srv.Error));
  QTemporaryDir tmp;
  const QString root = tmp.filePath(QStringLiteral("site"));
  const QByteArray data = RandomBytes(600 * 1024, 5);
  WriteAll(root + QStringLiteral("/page.html"), data);
  TRig rig(NewSession(srv, 0), tmp.filePath(QStringLiteral("Velmo.log")));
  const TTransferSummary s = rig.Transfer(Project(root), TTransferRequest::FromModeWord(2 | 8));
  const QString www = srv.Root + QStringLiteral("/www");
  if (arrives) {
    QCOMPARE(s.Copied, 1);
    QCOMPARE(ReadAll(www + QStringLiteral("/page.html")), data);
  } else {
    QCOMPARE(s.Copied, 0);
    QCOMPARE(s.Deleted, -1);
    QVERIFY(!QFile::exists(www + QStringLiteral("/page.html")));
    const QString log = rig.LogText();
    QVERIFY2(log.contains(QStringLiteral("        *** Error copying: page.html\r\n")), qPrintable(log));
    QVERIFY(log.contains(QStringLiteral("    Error on file transfer!\r\n")));
  }
  // Never a scratch file under any name but its own.
  for (const QString &f : Tree(www))
    QVERIFY2(f == u"page.html" || f.startsWith(u'~'), qPrintable(f));
}

// Uploads are put in place in groups: when one of a group fails its size check, the files sent
// before it are in place, it and the ones after it are not (and leave no scratch files), and the
// run ends with the error as when each file was finished alone.
void TestPublishFtpWalks::failedSizeCheckStopsTheRest() {
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {QStringLiteral("--short-size"), QStringLiteral("b.html")}),
           qPrintable(srv.Error));
  QTemporaryDir tmp;
  const QString root = tmp.filePath(QStringLiteral("site"));
  for (const char *name : {"a.html", "b.html", "c.html"})
    WriteAll(root + u'/' + QLatin1String(name), QByteArray("<p>") + name + "</p>");
  TRig rig(NewSession(srv, 0), tmp.filePath(QStringLiteral("Velmo.log")));
  const TTransferSummary s = rig.Transfer(Project(root), TTransferRequest::FromModeWord(2 | 8));
  QCOMPARE(s.Copied, 1);
  QCOMPARE(Tree(srv.Root + QStringLiteral("/www")), QStringList{QStringLiteral("a.html")});
  const QString log = rig.LogText();
  QVERIFY2(log.contains(QStringLiteral("        File copied: a.html - ")), qPrintable(log));
  QVERIFY2(log.contains(QStringLiteral("        *** Error copying: b.html\r\n")), qPrintable(log));
  QVERIFY(!log.contains(QStringLiteral("c.html")));
}

void TestPublishFtpWalks::verifiedUpload() {
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {}), qPrintable(srv.Error));
  QTemporaryDir tmp;
  const QString src = tmp.filePath(QStringLiteral("a.png"));
  WriteAll(src, RandomBytes(300000, 8));
  TFtpThread thread(NewSession(srv, 0));
  TPublisher pub;
  pub.Verify = true;
  QSignalSpy progress(&pub, &TPublisher::Progress);
  // Progress reaches this thread's objects queued, never on the FTP thread.
  QObject receiver;
  QSet<QThread *> threads;
  connect(&pub, &TPublisher::Progress, &receiver, [&] { threads.insert(QThread::currentThread()); });
  const int r = thread.Run([&](TExtFtp &ftp) {
    if (!ftp.Open())
      return -1;
    const int res = pub.UploadFileWorker(ftp, src, QStringLiteral("a.png"));
    ftp.Disconnect();
    return res;
  });
  QCOMPARE(r, 0);
  QCOMPARE(ReadAll(srv.Root + QStringLiteral("/a.png")), ReadAll(src));
  QCOMPARE(threads, QSet<QThread *>{QThread::currentThread()});
  QStringList actions;
  for (const auto &args : progress)
    if (args.at(1).toLongLong() < 0)
      actions << QString::number(args.at(0).toInt());
  QCOMPARE(actions,
           (QStringList{QString::number(acFtpWrite), QString::number(acFtpRead), QString::number(acVerify)}));
  // A missing source and an empty name give their result codes.
  QCOMPARE(
      thread.Run([&](TExtFtp &ftp) { return pub.UploadFileWorker(ftp, src + "x", QStringLiteral("b")); }),
      int(frSourceMissing));
  QCOMPARE(thread.Run([&](TExtFtp &ftp) { return pub.UploadFileWorker(ftp, src, QString()); }),
           int(frDestEmpty));
}

void TestPublishFtpWalks::clearServer_data() {
  QTest::addColumn<QString>("server");
  QTest::newRow("pyftpd") << "pyftpd";
  QTest::newRow("vsftpd tls") << "vsftpd";
}

void TestPublishFtpWalks::clearServer() {
  QFETCH(QString, server);
  TTestFtpServer srv;
  if (!StartServer(srv, server))
    QSKIP(qPrintable(server + QStringLiteral(" cannot run here: ") + srv.Error));
  const QString www = srv.Root + QStringLiteral("/www");
  WriteAll(www + QStringLiteral("/index.html"), "i");
  WriteAll(www + QStringLiteral("/a/one.html"), "1");
  WriteAll(www + QStringLiteral("/a/b/two.css"), "2");
  WriteAll(www + QStringLiteral("/c/three.js"), "3");
  // Outside the site, reached by a link inside it: never followed.
  WriteAll(srv.Root + QStringLiteral("/outside/precious.html"), "keep");
  QVERIFY(QFile::link(QStringLiteral("../outside"), www + QStringLiteral("/a/link")));
  if (server == u"vsftpd") {
    QProcess::execute(QStringLiteral("chown"), {QStringLiteral("-R"), srv.User, www});
    // A folder the account may not change: its file is refused, so the folder stays.
    WriteAll(www + QStringLiteral("/locked/held.html"), "held");
    QFile::setPermissions(www + QStringLiteral("/locked"), QFile::ReadOwner | QFile::WriteOwner |
                                                               QFile::ExeOwner | QFile::ReadOther |
                                                               QFile::ExeOther);
  }
  QTemporaryDir tmp;
  TRig rig(NewSession(srv, server == u"vsftpd" ? 2 : 0), tmp.filePath(QStringLiteral("Velmo.log")));
  const TTransferSummary s = rig.Clear(Project(tmp.path()));
  const QString log = rig.LogText();
  QVERIFY2(QFileInfo(www).isDir(), "the project's remote directory itself stays");
  QCOMPARE(ReadAll(srv.Root + QStringLiteral("/outside/precious.html")), QByteArray("keep"));
  QVERIFY(log.contains(QStringLiteral("      Directory: a/b\r\n        File deleted: two.css\r\n")));
  QVERIFY(log.contains(QStringLiteral("      Directory deleted: a/b\r\n")));
  if (server == u"vsftpd") {
    QCOMPARE(s.Deleted, 5);
    QCOMPARE(Tree(www), QStringList{QStringLiteral("locked/held.html")});
    QVERIFY2(log.contains(QStringLiteral("        *** Error deleting: held.html\r\n")), qPrintable(log));
    QVERIFY(log.contains(QStringLiteral("      *** Error deleting: locked\r\n")));
  } else {
    QVERIFY2(s.Deleted == 5, qPrintable(log)); // four files and the link
    QVERIFY2(QDir(www).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
             qPrintable(Tree(www).join(u' ') + log));
    QVERIFY(log.contains(QStringLiteral("    5 file(s) deleted\r\n")));
  }
}

void TestPublishFtpWalks::clearServerRefusals() {
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {}), qPrintable(srv.Error));
  WriteAll(srv.Root + QStringLiteral("/top.html"), "t");
  WriteAll(srv.Root + QStringLiteral("/www/a/x.html"), "x");
  QTemporaryDir tmp;
  TRig rig(NewSession(srv, 0), tmp.filePath(QStringLiteral("Velmo.log")));
  // The server's top folder (here also the account's home) is refused.
  TProjectInfo p = Project(tmp.path());
  p.RemotePath = QStringLiteral("/");
  TTransferSummary s = rig.Clear(p);
  QCOMPARE(s.Deleted, 0);
  QVERIFY(!s.Message.isEmpty());
  QVERIFY(QFile::exists(srv.Root + QStringLiteral("/top.html")));
  // Cancelled before it starts: not one DELE, RMD or subfolder.
  p.RemotePath = QStringLiteral("/www");
  rig.Pub.Cancel();
  s = rig.Clear(p);
  QVERIFY(s.Stopped);
  QCOMPARE(s.Deleted, 0);
  QVERIFY(QFile::exists(srv.Root + QStringLiteral("/www/a/x.html")));
}

QTEST_GUILESS_MAIN(TestPublishFtpWalks)
#include "tst_publish_ftpwalks.moc"
