// The FTP session (TExtFtp) and the FTP thread against real servers on 127.0.0.1.
#include "../servers/FtpTestServer.h"
#include "core/publish/FtpThread.h"
#include "core/publish/FtpUtils.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QTimer>

namespace {
QByteArray RandomBytes(qsizetype n, quint32 seed) {
  QByteArray b(n, Qt::Uninitialized);
  QRandomGenerator g(seed);
  g.fillRange(reinterpret_cast<quint32 *>(b.data()), n / 4);
  return b;
}

QByteArray ShaOfFile(const QString &path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    return {};
  QCryptographicHash h(QCryptographicHash::Sha256);
  h.addData(&f);
  return h.result();
}

std::unique_ptr<TExtFtp> NewSession(const TTestFtpServer &srv, int secure = 0) {
  // The client certificate files do not exist here: TLS must work without them.
  auto ftp = std::make_unique<TExtFtp>("pqmwzvkb", QStringLiteral("corvel.key"), QStringLiteral("corvel.crt"),
                                       QStringLiteral("corvelroot.pem"), QStringLiteral("/nonexistent/"));
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

bool StartServer(TTestFtpServer &srv, const QString &server, QStringList args = {}) {
  if (server == u"vsftpd")
    return srv.Start(server, args.isEmpty() ? QStringList{QStringLiteral("explicit")} : args);
  return srv.Start(server, args);
}

int SecureFor(const QString &server) {
  return server == u"vsftpd" ? 2 : 0;
}
} // namespace

class TestPublish : public QObject {
  Q_OBJECT
private slots:
  void pathBelowLogin_data();
  void pathBelowLogin();
  void modifyName();
  void forceDir_data();
  void forceDir();
  void caseModeUpload();
  void mkdRace();
  void listings_data();
  void listings();
  void timeStamps_data();
  void timeStamps();
  void flushRecovers_data();
  void flushRecovers();
  void flushGivesUp();
  void recoveryAfterIdleDrop();
  void fillAndResultCodes();
  void readTimeoutIsRetried();
  void errorTexts();
  void certificateCheck();
  void clientCertificateFiles();
  void ftpThreadJobs();
  void ftpThreadCancel();
};

void TestPublish::pathBelowLogin_data() {
  QTest::addColumn<QString>("dir");
  QTest::addColumn<QString>("login");
  QTest::addColumn<bool>("below");
  QTest::addColumn<QString>("rest");
  QTest::newRow("below") << "/www/site/new"
                         << "/www" << true << "site/new";
  QTest::newRow("login itself") << "/www"
                                << "/www" << true << "";
  QTest::newRow("sibling with the same start") << "/wwwroot/new"
                                               << "/www" << false << "";
  QTest::newRow("login with slash") << "/www/a"
                                    << "/www/" << true << "a";
  QTest::newRow("root login never counts") << "/www"
                                           << "/" << false << "";
  QTest::newRow("relative") << "www/a"
                            << "/www" << false << "";
}

void TestPublish::pathBelowLogin() {
  QFETCH(QString, dir);
  QFETCH(QString, login);
  QString rest;
  QTEST(TExtFtp::PathBelowLogin(dir, login, rest), "below");
  QFETCH(bool, below);
  if (below)
    QTEST(rest, "rest");
}

void TestPublish::modifyName() {
  TExtFtp ftp("", {}, {}, {}, {});
  QCOMPARE(ftp.ModifyName(QStringLiteral("Images/Logo.PNG")), QStringLiteral("Images/Logo.PNG"));
  ftp.SetCaseMode(1);
  QCOMPARE(ftp.ModifyName(QStringLiteral("Images/Logo.PNG")), QStringLiteral("images/logo.png"));
  ftp.SetCaseMode(2);
  QCOMPARE(ftp.ModifyName(QStringLiteral("Images/Logo.png")), QStringLiteral("IMAGES/LOGO.PNG"));
  ftp.SetCaseMode(0);
  ftp.SetReplaceChars(QStringLiteral(" #"));
  QCOMPARE(ftp.ModifyName(QStringLiteral("a b#c")), QStringLiteral("a_b_c"));
  QVERIFY(ftp.CanUseTls()); // without any client certificate file
  QCOMPARE(ftp.LogFileName(), QDir::temp().filePath(QStringLiteral("FtpLog.txt")));
}

void TestPublish::forceDir_data() {
  QTest::addColumn<QString>("server");
  QTest::newRow("pyftpd") << "pyftpd";
  QTest::newRow("vsftpd") << "vsftpd";
}

void TestPublish::forceDir() {
  QFETCH(QString, server);
  TTestFtpServer srv;
  if (!StartServer(srv, server))
    QSKIP(qPrintable(server + QStringLiteral(" cannot run here: ") + srv.Error));
  QVERIFY(QDir().mkpath(srv.Root + QStringLiteral("/www/site")));
  if (server == u"vsftpd")
    QProcess::execute(QStringLiteral("chown"),
                      {QStringLiteral("-R"), srv.User, srv.Root + QStringLiteral("/www")});
  auto ftp = NewSession(srv, SecureFor(server));
  QVERIFY2(ftp->Open(), qPrintable(ftp->IndyError()));
  QCOMPARE(ftp->LoginDir(), QStringLiteral("/"));

  // Absolute path below an existing part: only the missing level is made; nothing to climb.
  QVERIFY2(ftp->ForceDir(QStringLiteral("/www/site/new")), qPrintable(ftp->IndyError()));
  QCOMPARE(ftp->DCount(), 0);
  QCOMPARE(ftp->CurrentDir(), QStringLiteral("/www/site/new"));
  QVERIFY(QFileInfo(srv.Root + QStringLiteral("/www/site/new")).isDir());

  // Relative path from the login directory, two levels made, and back up again.
  QVERIFY(ftp->ChangeToDir(ftp->LoginDir()));
  QVERIFY2(ftp->ForceDir(QStringLiteral("site2/new/")), qPrintable(ftp->IndyError()));
  QCOMPARE(ftp->DCount(), 2);
  QCOMPARE(ftp->CurrentDir(), QStringLiteral("/site2/new"));
  QVERIFY(ftp->ForceDirUp());
  QCOMPARE(ftp->DCount(), 0);
  QCOMPARE(ftp->CurrentDir(), ftp->LoginDir());

  // An existing path is entered in one step: no MKD at all.
  const int before = int(ftp->SentCommands().size());
  QVERIFY(ftp->ForceDir(QStringLiteral("www/site")));
  QCOMPARE(ftp->DCount(), 2);
  const QStringList sent = ftp->SentCommands().mid(before);
  QVERIFY2(!sent.join(u'|').contains(QStringLiteral("MKD")), qPrintable(sent.join(u'|')));
  QVERIFY(ftp->ForceDirUp());
  QCOMPARE(ftp->CurrentDir(), QStringLiteral("/"));

  // ChangeToNewDir: existing, created.
  QCOMPARE(ftp->ChangeToNewDir(QStringLiteral("www")), 0);
  QCOMPARE(ftp->ChangeToNewDir(QStringLiteral("fresh")), 1);
  QCOMPARE(ftp->CurrentDir(), QStringLiteral("/www/fresh"));
  QCOMPARE(ftp->ChangeToNewDir(QString()), 0);
  QVERIFY(ftp->ChangeToDir(QStringLiteral("..")));
  QVERIFY(ftp->DeleteDir(QStringLiteral("fresh")));
  QVERIFY(!QFileInfo::exists(srv.Root + QStringLiteral("/www/fresh")));
  QVERIFY(!ftp->DeleteDir(QStringLiteral("fresh")));
  QVERIFY(ftp->IndyError().startsWith(QStringLiteral("Reported error: 550")));
  QVERIFY(!ftp->ChangeToDir(QStringLiteral("/no/such")));
  QVERIFY(ftp->ChangeDirResponse().startsWith(QStringLiteral("550")));
  ftp->Disconnect();
}

void TestPublish::caseModeUpload() {
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {}), qPrintable(srv.Error));
  QTemporaryDir tmp;
  const QString local = tmp.filePath(QStringLiteral("Logo.PNG"));
  QFile f(local);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(RandomBytes(3000, 1));
  f.close();
  auto ftp = NewSession(srv);
  ftp->SetCaseMode(1);
  QVERIFY(ftp->Open());
  QVERIFY(ftp->ForceDir(QStringLiteral("Images")));
  QCOMPARE(ftp->CopyFile(local, QStringLiteral("Logo.PNG")), int(frOk));
  QCOMPARE(ShaOfFile(srv.Root + QStringLiteral("/images/logo.png")), ShaOfFile(local));
  QVERIFY(!QFileInfo::exists(srv.Root + QStringLiteral("/Images")));
}

void TestPublish::mkdRace() {
  // "MKD" refused because someone else made the folder meanwhile: entering it still works.
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {QStringLiteral("--mkd-race")}), qPrintable(srv.Error));
  auto ftp = NewSession(srv);
  QVERIFY(ftp->Open());
  QCOMPARE(ftp->ChangeToNewDir(QStringLiteral("raced")), 1);
  QCOMPARE(ftp->CurrentDir(), QStringLiteral("/raced"));

  // A user who may not create folders: -1, and the refusal is reported.
  srv.User = QStringLiteral("reader");
  auto reader = NewSession(srv);
  QVERIFY(reader->Open());
  reader->IndyError();
  QCOMPARE(reader->ChangeToNewDir(QStringLiteral("denied")), -1);
  QVERIFY(!reader->ForceDir(QStringLiteral("a/b")));
  QCOMPARE(reader->DCount(), 0);
  QVERIFY(reader->IndyError().startsWith(QStringLiteral("Reported error: ")));
}

void TestPublish::listings_data() {
  QTest::addColumn<QString>("server");
  QTest::newRow("pyftpd, MLSD") << "pyftpd";
  QTest::newRow("vsftpd, LIST") << "vsftpd";
}

void TestPublish::listings() {
  QFETCH(QString, server);
  TTestFtpServer srv;
  if (!StartServer(srv, server))
    QSKIP(qPrintable(server + QStringLiteral(" cannot run here: ") + srv.Error));
  auto ftp = NewSession(srv, SecureFor(server));
  QVERIFY2(ftp->Open(), qPrintable(ftp->IndyError()));
  QVERIFY(ftp->ForceDir(QStringLiteral("site")));
  for (const QString &n : {QStringLiteral("index.htm"), QStringLiteral("my page.htm"), QStringLiteral("grüße.htm")}) {
    QBuffer b;
    b.setData(RandomBytes(1000 + n.size(), 2));
    b.open(QIODevice::ReadOnly);
    QCOMPARE(ftp->Flush(&b, n, false), int(frOk));
  }
  QCOMPARE(ftp->ChangeToNewDir(QStringLiteral("css")), 1);
  QVERIFY(ftp->ChangeToDir(QStringLiteral("/site")));
  QCOMPARE(ftp->ChangeToNewDir(QStringLiteral("img dir")), 1);
  QVERIFY(ftp->ChangeToDir(QStringLiteral("/site")));

  QVERIFY2(ftp->GetFileList(), qPrintable(ftp->IndyError()));
  QStringList files = ftp->FileList().Names();
  files.sort();
  QCOMPARE(files, QStringList({"grüße.htm", "index.htm", "my page.htm"}));
  QVERIFY(QFileInfo::exists(srv.Root + QStringLiteral("/site/grüße.htm")));
  const int i = ftp->FileList().IndexOf(QStringLiteral("my page.htm"));
  QCOMPARE(ftp->FileList()[i].FSize, 1011);
  QVERIFY(ftp->FileList()[i].FModifiedDateGMT.isValid());
  TDirectoryList dirs;
  QVERIFY(ftp->GetDirList(dirs));
  QStringList names = dirs.Names();
  names.sort();
  QCOMPARE(names, QStringList({"css", "img dir"}));

  // The cached listing follows deletions when asked to.
  QVERIFY(ftp->DeleteFile(QStringLiteral("index.htm"), true));
  QVERIFY(ftp->GetFileList());
  QVERIFY(ftp->DeleteFile(QStringLiteral("grüße.htm"), true));
  QVERIFY(ftp->GetFileList());
  QCOMPARE(ftp->FileList().Names(), QStringList{"my page.htm"});
  QVERIFY(!ftp->DeleteFile(QStringLiteral("index.htm"), true));
  QVERIFY(ftp->RenameFile(QStringLiteral("my page.htm"), QStringLiteral("page.htm")));
  QVERIFY(ftp->GetFileList());
  QCOMPARE(ftp->FileList().Names(), QStringList{"page.htm"});
}

void TestPublish::timeStamps_data() {
  QTest::addColumn<QString>("server");
  QTest::newRow("pyftpd, MFMT") << "pyftpd";
  QTest::newRow("vsftpd, MDTM with a time") << "vsftpd";
}

void TestPublish::timeStamps() {
  QFETCH(QString, server);
  TTestFtpServer srv;
  if (!StartServer(srv, server))
    QSKIP(qPrintable(server + QStringLiteral(" cannot run here: ") + srv.Error));
  QTemporaryDir tmp;
  const QString local = tmp.filePath(QStringLiteral("page.htm"));
  QFile f(local);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write("<p>time</p>");
  f.flush();
  const QDateTime mtime(QDate(2020, 5, 6), QTime(7, 8, 9), QTimeZone::utc());
  QVERIFY(f.setFileTime(mtime, QFileDevice::FileModificationTime));
  f.close();

  auto ftp = NewSession(srv, SecureFor(server));
  QVERIFY2(ftp->Open(), qPrintable(ftp->IndyError()));
  QCOMPARE(ftp->CopyFile(local, QStringLiteral("page.htm")), int(frOk));
  QVERIFY2(ftp->SetTimeStampFromFile(local, QStringLiteral("page.htm"), true), qPrintable(ftp->IndyError()));
  QCOMPARE(QFileInfo(srv.Root + QStringLiteral("/page.htm")).lastModified().toUTC(), mtime);
  QCOMPARE(ftp->RemoteTime(QStringLiteral("page.htm"), true), mtime);
  QCOMPARE(ftp->RemoteTime(QStringLiteral("page.htm"), false), mtime.toLocalTime());

  // Within 5 s either side: the same; beyond: earlier (1) or later (3) than the local time.
  const QDateTime localT = mtime.toLocalTime();
  QCOMPARE(ftp->CheckTimeStamp(QStringLiteral("page.htm"), 5, false, localT), 2);
  QCOMPARE(ftp->CheckTimeStamp(QStringLiteral("page.htm"), 5, false, localT.addSecs(5)), 2);
  QCOMPARE(ftp->CheckTimeStamp(QStringLiteral("page.htm"), 5, true, mtime.addSecs(-5)), 2);
  QCOMPARE(ftp->CheckTimeStamp(QStringLiteral("page.htm"), 5, false, localT.addSecs(6)), 1);
  QCOMPARE(ftp->CheckTimeStamp(QStringLiteral("page.htm"), 5, false, localT.addSecs(-6)), 3);
  QCOMPARE(ftp->CheckTimeStamp(QStringLiteral("missing.htm"), 5, false, localT), 0);

  // A local time far in the future is replaced by now when asked.
  QVERIFY(f.open(QIODevice::ReadWrite));
  QVERIFY(f.setFileTime(QDateTime::currentDateTimeUtc().addDays(30), QFileDevice::FileModificationTime));
  f.close();
  QVERIFY(ftp->SetTimeStampFromFile(local, QStringLiteral("page.htm"), true));
  const QDateTime remote = ftp->RemoteTime(QStringLiteral("page.htm"), true);
  QVERIFY(qAbs(remote.secsTo(QDateTime::currentDateTimeUtc())) < 60);
  QVERIFY(!ftp->SetTimeStampFromFile(tmp.filePath(QStringLiteral("gone.htm")), QStringLiteral("page.htm"),
                                     false));
}

void TestPublish::flushRecovers_data() {
  QTest::addColumn<QStringList>("serverArgs");
  QTest::addColumn<int>("secure");
  // The server resets the first STOR data connection.
  QTest::newRow("data connection reset") << QStringList{QStringLiteral("--drop-stor"), QStringLiteral("1")} << 0;
  // The same on a TLS data connection.
  QTest::newRow("TLS data connection reset")
      << QStringList{QStringLiteral("--mode"), QStringLiteral("explicit"), QStringLiteral("--drop-stor"), QStringLiteral("1")}
      << 2;
  // The server runs out of data ports: it refuses PASV with "500 OOPS" and ends the session.
  QTest::newRow("session ended at PASV") << QStringList{QStringLiteral("--end-at-pasv"), QStringLiteral("1")} << 0;
}

void TestPublish::flushRecovers() {
  // Either way: reconnect, back to the same folder, send the whole file again.
  QFETCH(QStringList, serverArgs);
  QFETCH(int, secure);
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), serverArgs), qPrintable(srv.Error));
  auto ftp = NewSession(srv, secure);
  QVERIFY(ftp->Open());
  QVERIFY(ftp->ForceDir(QStringLiteral("deep/sub")));
  const QByteArray payload = RandomBytes(3 * 1024 * 1024, 9);
  QBuffer src;
  src.setData(payload);
  src.open(QIODevice::ReadOnly);
  QCOMPARE(ftp->Flush(&src, QStringLiteral("file.bin"), false), int(frOk));
  QCOMPARE(ftp->CurrentDir(), QStringLiteral("/deep/sub"));
  QCOMPARE(ShaOfFile(srv.Root + QStringLiteral("/deep/sub/file.bin")),
           QCryptographicHash::hash(payload, QCryptographicHash::Sha256));
  QVERIFY(!QFileInfo::exists(srv.Root + QStringLiteral("/file.bin")));
}

void TestPublish::flushGivesUp() {
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {QStringLiteral("--drop-stor"), QStringLiteral("-1")}),
           qPrintable(srv.Error));
  auto ftp = NewSession(srv);
  QVERIFY(ftp->Open());
  QBuffer src;
  src.setData(RandomBytes(2 * 1024 * 1024, 4));
  src.open(QIODevice::ReadOnly);
  QElapsedTimer t;
  t.start();
  const int r = ftp->Flush(&src, QStringLiteral("never.bin"), false);
  QCOMPARE(r, int(frConnectionLost));
  QVERIFY(t.elapsed() < 20000);
  QVERIFY(ftp->IndyError().startsWith(QStringLiteral("Reported error: ")));
  // Still connected and usable afterwards.
  QString dir;
  ftp->GetCurrentDir(dir);
  QCOMPARE(dir, QStringLiteral("/"));

  // The server is gone: the recovery cannot reconnect.
  srv.Stop();
  src.seek(0);
  QCOMPARE(ftp->Flush(&src, QStringLiteral("x.bin"), false), int(frReconnectFailed));
}

void TestPublish::recoveryAfterIdleDrop() {
  // The server closes sessions idle for a second ("421"): each operation with a recovery step
  // reconnects, returns to the working directory and goes on.
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {QStringLiteral("--idle-timeout"), QStringLiteral("1")}),
           qPrintable(srv.Error));
  auto ftp = NewSession(srv);
  QVERIFY(ftp->Open());
  QVERIFY(ftp->ForceDir(QStringLiteral("keep/here")));
  QBuffer b;
  b.setData("first");
  b.open(QIODevice::ReadOnly);
  QCOMPARE(ftp->Flush(&b, QStringLiteral("one.htm"), false), int(frOk));

  QTest::qWait(1300);
  QVERIFY2(ftp->GetFileList(), qPrintable(ftp->IndyError()));
  QCOMPARE(ftp->FileList().Names(), QStringList{"one.htm"});
  QCOMPARE(ftp->CurrentDir(), QStringLiteral("/keep/here"));

  QTest::qWait(1300);
  b.seek(0);
  QCOMPARE(ftp->Flush(&b, QStringLiteral("two.htm"), false), int(frOk));
  QVERIFY(QFileInfo::exists(srv.Root + QStringLiteral("/keep/here/two.htm")));

  QTest::qWait(1300);
  QVERIFY(ftp->DeleteFile(QStringLiteral("one.htm"), true));
  QVERIFY(!QFileInfo::exists(srv.Root + QStringLiteral("/keep/here/one.htm")));

  QTest::qWait(1300);
  QVERIFY(ftp->ChangeToDir(QStringLiteral("..")));
  QCOMPARE(ftp->CurrentDir(), QStringLiteral("/keep"));
}

void TestPublish::fillAndResultCodes() {
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {}), qPrintable(srv.Error));
  const QByteArray payload = RandomBytes(700000, 5);
  QFile out(srv.Root + QStringLiteral("/data.bin"));
  QVERIFY(out.open(QIODevice::WriteOnly));
  out.write(payload);
  out.close();
  auto ftp = NewSession(srv);
  QVERIFY(ftp->Open());
  QBuffer dst;
  dst.open(QIODevice::ReadWrite);
  QCOMPARE(ftp->Fill(QStringLiteral("data.bin"), &dst), int(frOk));
  QCOMPARE(dst.pos(), 0); // rewound
  QCOMPARE(dst.data(), payload);
  QBuffer none;
  none.open(QIODevice::ReadWrite);
  QCOMPARE(ftp->Fill(QStringLiteral("none.bin"), &none), int(frDownloadFailed));

  QTemporaryDir tmp;
  QCOMPARE(ftp->CopyFile(tmp.filePath(QStringLiteral("missing")), QStringLiteral("x")), int(frSourceMissing));
  QFile local(tmp.filePath(QStringLiteral("here.txt")));
  QVERIFY(local.open(QIODevice::WriteOnly));
  local.close();
  QCOMPARE(ftp->CopyFile(local.fileName(), QString()), int(frDestEmpty));
  // A refused upload (no write permission) is 281 and is not retried.
  srv.User = QStringLiteral("reader");
  auto reader = NewSession(srv);
  QVERIFY(reader->Open());
  QCOMPARE(reader->CopyFile(local.fileName(), QStringLiteral("ro.txt")), int(frUploadFailed));
}

void TestPublish::readTimeoutIsRetried() {
  // A server that sends a chunk per second to a client that waits 0.4 s: a read time-out,
  // retried through the recovery step a bounded number of times, then 285.
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {QStringLiteral("--throttle"), QStringLiteral("1024")}),
           qPrintable(srv.Error));
  QFile out(srv.Root + QStringLiteral("/slow.bin"));
  QVERIFY(out.open(QIODevice::WriteOnly));
  out.write(RandomBytes(64 * 1024, 11));
  out.close();
  auto ftp = NewSession(srv);
  QVERIFY(ftp->Open());
  ftp->ReadTimeout = 400;
  QBuffer dst;
  dst.open(QIODevice::ReadWrite);
  QElapsedTimer t;
  t.start();
  QCOMPARE(ftp->Fill(QStringLiteral("slow.bin"), &dst), int(frReadTimeout));
  QVERIFY(t.elapsed() < 15000);
  QVERIFY(ftp->IndyError().contains(QStringLiteral("timed out")));
  ftp->ReadTimeout = 10000;
  QString dir;
  ftp->GetCurrentDir(dir);
  QCOMPARE(dir, QStringLiteral("/"));
}

void TestPublish::errorTexts() {
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {}), qPrintable(srv.Error));
  auto ftp = NewSession(srv);
  QVERIFY(ftp->Open());
  QVERIFY(!ftp->ChangeToDir(QStringLiteral("nope")));
  QVERIFY(!ftp->DeleteDir(QStringLiteral("nope2")));
  // Only the first error is kept until it is read, as one line.
  const QString first = ftp->IndyError();
  QVERIFY2(first.startsWith(QStringLiteral("Reported error: 550")), qPrintable(first));
  QVERIFY(!first.contains(u'\n'));
  QVERIFY(ftp->ChangeToDir(QStringLiteral("/")));
  QCOMPARE(ftp->IndyError(), QStringLiteral("Last FTP response: ") + ftp->LastReplyFirstLine());
  QCOMPARE(ftp->ServerName(), QStringLiteral("ftp://127.0.0.1:%1").arg(srv.Port));
  ftp->SetSecureTransfer(3);
  QCOMPARE(ftp->ServerName(), QStringLiteral("ftps://127.0.0.1:%1").arg(srv.Port));

  // Wrong password: the connect fails and says why.
  auto bad = NewSession(srv);
  bad->Password = QStringLiteral("wrong");
  QVERIFY(!bad->Open());
  QVERIFY(bad->IndyError().contains(QStringLiteral("530")));
}

void TestPublish::certificateCheck() {
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {QStringLiteral("--mode"), QStringLiteral("explicit")}),
           qPrintable(srv.Error));
  auto ftp = NewSession(srv, 1);
  QVERIFY2(ftp->Open(), qPrintable(ftp->IndyError()));
  QVERIFY(ftp->DataProtected());
  const TCerticateInfo info = ftp->CertInfo();
  QCOMPARE(info.Fingerprint, ftp->FingerPrint());
  QCOMPARE(info.Server, QStringLiteral("ftps://127.0.0.1:%1").arg(srv.Port));
  QCOMPARE(info.Version, 3);
  QVERIFY(info.Issuer.contains(QStringLiteral("localhost")));
  ftp->Disconnect();

  // Mode 2: the fingerprint must match (case does not matter).
  ftp->SetVerifyPeerMode(2);
  ftp->SetPeerFingerprint(info.Fingerprint.toLower());
  QVERIFY(ftp->Open());
  ftp->Disconnect();
  ftp->SetPeerFingerprint(QStringLiteral("00:11"));
  QVERIFY(!ftp->Open());
  QCOMPARE(ftp->IndyError(), QStringLiteral("Reported error: Error verifying server certificate"));
  QVERIFY(!ftp->Connected());

  // Mode 1: the confirmation handler decides.
  ftp->SetVerifyPeerMode(1);
  ftp->SetConfirmCert([](const TCerticateInfo &) { return false; });
  QVERIFY(!ftp->Open());
  ftp->SetConfirmCert([](const TCerticateInfo &ci) { return ci.Version == 3; });
  QVERIFY(ftp->Open());

  // "If available" on a server without TLS: plain session, clear data connections.
  TTestFtpServer plain;
  QVERIFY2(plain.Start(QStringLiteral("pyftpd"), {}), qPrintable(plain.Error));
  auto p = NewSession(plain, 1);
  QVERIFY(p->Open());
  QVERIFY(!p->TlsActive());
  QVERIFY(!p->DataProtected());
  QVERIFY(p->GetFileList());
}

void TestPublish::clientCertificateFiles() {
  // The program folder holds a client certificate, its key enciphered with the built-in pass
  // phrase, and a root that the server's certificate is checked against.
  QTemporaryDir prog;
  const int rc = QProcess::execute(QStringLiteral("openssl"),
                                   {"req", "-x509", "-newkey", "rsa:2048", "-days", "2", "-subj",
                                    "/CN=quillmark-client", "-passout", "pass:pqmwzvkb", "-keyout",
                                    prog.filePath("corvel.key"), "-out", prog.filePath("corvel.crt")});
  QCOMPARE(rc, 0);
  TTestFtpServer srv;
  QVERIFY2(
      srv.Start(QStringLiteral("pyftpd"), {"--mode", "explicit", "--client-ca", prog.filePath("corvel.crt")}),
      qPrintable(srv.Error));
  QVERIFY(QFile::copy(srv.CertFile, prog.filePath(QStringLiteral("corvelroot.pem"))));

  auto withFiles = [&](const QByteArray &pwd) {
    auto own = std::make_unique<TExtFtp>(pwd, QStringLiteral("corvel.key"), QStringLiteral("corvel.crt"),
                                         QStringLiteral("corvelroot.pem"), prog.path());
    own->SetConnectParams(TFtpConnectParams{
        QStringLiteral("127.0.0.1"), srv.Port, srv.User, srv.Password, true, 2, 10000, 0, {}});
    own->ConnectTimeout = 5000;
    return own;
  };
  auto ftp = withFiles("pqmwzvkb");
  QVERIFY2(ftp->Open(), qPrintable(ftp->IndyError()));
  QVERIFY(ftp->PeerCertificate().Verified); // trusted through corvelroot.pem
  QBuffer b;
  b.setData("<p>secure</p>");
  b.open(QIODevice::ReadOnly);
  QCOMPARE(ftp->Flush(&b, QStringLiteral("s.htm"), false), int(frOk)); // data connections too
  ftp->Disconnect();

  // Without the key (no files, or a pass phrase that does not open it) the server refuses.
  auto none = NewSession(srv, 2);
  QVERIFY(!none->Open());
  auto wrong = withFiles("wrong");
  QVERIFY(!wrong->Open());
  // The pass-phrase handler, when set, is asked instead.
  auto asked = withFiles("wrong");
  asked->SetGetSSLPassword([] { return QByteArray("pqmwzvkb"); });
  QVERIFY2(asked->Open(), qPrintable(asked->IndyError()));
}

void TestPublish::ftpThreadJobs() {
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {}), qPrintable(srv.Error));
  TFtpThread thread(NewSession(srv));
  // As the status window would: a receiver on this thread gets the progress queued.
  QObject receiver;
  QList<qint64> progress;
  bool otherThread = false;
  connect(&thread, &TFtpThread::Progress, &receiver, [&](int, qint64 bytes) {
    progress << bytes;
    otherThread = otherThread || QThread::currentThread() != receiver.thread();
  });
  QThread *jobThread = nullptr;
  const int r = thread.Run([&](TExtFtp &ftp) {
    jobThread = QThread::currentThread();
    if (!ftp.Open())
      return -1;
    QBuffer b;
    b.setData(RandomBytes(2 * 1024 * 1024, 8));
    b.open(QIODevice::ReadOnly);
    return ftp.Flush(&b, QStringLiteral("job.bin"), false);
  });
  QCOMPARE(r, int(frOk));
  QCOMPARE(jobThread, thread.Thread());
  QVERIFY(jobThread != QThread::currentThread());
  QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty() && progress.last() == 2 * 1024 * 1024, 2000);
  QVERIFY(!otherThread);
  QCOMPARE(QFileInfo(srv.Root + QStringLiteral("/job.bin")).size(), 2 * 1024 * 1024);
  // The session stays open between jobs.
  QString dir;
  QCOMPARE(thread.Run([&](TExtFtp &ftp) {
    ftp.GetCurrentDir(dir);
    return ftp.Connected() ? 0 : 1;
  }),
           0);
  QCOMPARE(dir, QStringLiteral("/"));
}

void TestPublish::ftpThreadCancel() {
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {QStringLiteral("--throttle"), QStringLiteral("65536")}),
           qPrintable(srv.Error));
  TFtpThread thread(NewSession(srv));
  QCOMPARE(thread.Run([](TExtFtp &ftp) { return ftp.Open() ? 0 : 1; }), 0);
  QSignalSpy finished(&thread, &TFtpThread::Finished);
  thread.Post([](TExtFtp &ftp) {
    QBuffer b;
    b.setData(RandomBytes(8 * 1024 * 1024, 6));
    b.open(QIODevice::ReadOnly);
    return ftp.Flush(&b, QStringLiteral("slow.bin"), false);
  });
  QTest::qWait(400);
  QVERIFY(thread.Busy());
  QElapsedTimer t;
  t.start();
  thread.Cancel();
  QVERIFY(thread.Cancelled());
  QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 3000);
  QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
  QCOMPARE(finished.first().at(0).toInt(), int(frCancelled));
  // The next job runs on the same, still usable session.
  QCOMPARE(thread.Run([](TExtFtp &ftp) { return ftp.GetFileList() ? 0 : 1; }), 0);
  QVERIFY(!thread.Cancelled());
}

QTEST_GUILESS_MAIN(TestPublish)
#include "tst_publish.moc"
