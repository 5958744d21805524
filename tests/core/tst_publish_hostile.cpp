// The FTP client, the session and the FTP thread against a server that misbehaves on purpose
// (tests/servers/hostile_ftp.py): endless replies and listings, preliminary replies for ever,
// bogus codes, late replies, chatter after ABOR, impossible data ports. Each call must end with
// an error of its own (not because the server finally gave up: it lives two minutes), within
// the bounds set here, and the session must find its way back afterwards.
#include "../servers/FtpTestServer.h"
#include "core/publish/FtpThread.h"
#include "core/publish/FtpUtils.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTest>

#include <atomic>

namespace {
// Short time-outs and small caps keep the tests fast; the server sends far more than the caps.
void Bound(TFtpClient &c, int port) {
  c.Host = QStringLiteral("127.0.0.1");
  c.Port = port;
  c.Username = QStringLiteral("user");
  c.Password = QStringLiteral("secret");
  c.ReadTimeout = 1500;
  c.ConnectTimeout = 3000;
  c.MaxReplyBytes = 64 * 1024;
  c.MaxReplyLines = 500;
  c.MaxListingBytes = 1024 * 1024;
  c.ListingTimeout = 1500;
}

std::unique_ptr<TExtFtp> NewSession(int port) {
  auto ftp = std::make_unique<TExtFtp>("", QString(), QString(), QString(), QString());
  TFtpConnectParams p;
  p.Host = QStringLiteral("127.0.0.1");
  p.Port = port;
  p.Username = QStringLiteral("user");
  p.Password = QStringLiteral("secret");
  p.Passive = true;
  ftp->SetConnectParams(p);
  Bound(*ftp, port);
  if (qEnvironmentVariableIsSet("QM_FTP_LOG"))
    ftp->OnLog = [](const QString &l) { qDebug("%s", qPrintable(l.left(200))); };
  return ftp;
}

// Waits (bounded) until the server printed `marker`, i.e. the client has reached the step that
// hangs.
bool WaitForServer(TTestFtpServer &srv, const QString &marker) {
  QDeadlineTimer deadline(20000);
  while (!srv.Output.contains(marker)) {
    if (deadline.hasExpired())
      return false;
    srv.ReadOutput(50);
  }
  return true;
}
} // namespace

class TestHostileFtp : public QObject {
  Q_OBJECT
private slots:
  void client_data();
  void client();
  void session_data();
  void session();
  void unparsedListingLinesLogged();
  void threadStops_data();
  void threadStops();
};

void TestHostileFtp::client_data() {
  QTest::addColumn<QString>("scenario");
  QTest::addColumn<QString>("step");
  QTest::addColumn<int>("kind");
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("closed"); // the connection is given up (out of step with the server)
  QTest::newRow("endless greeting") << "endless-greeting"
                                    << "connect" << int(ekProtocol) << "too long" << true;
  QTest::newRow("greeting line without end") << "endless-line"
                                             << "connect" << int(ekProtocol) << "too long" << true;
  QTest::newRow("endless greeting, line cap") << "endless-greeting"
                                              << "connect" << int(ekProtocol) << "too long" << true;
  QTest::newRow("greeting 120, then nothing") << "greeting-120"
                                              << "connect" << int(ekReadTimeout) << "no final reply" << true;
  QTest::newRow("endless reply") << "endless-reply"
                                 << "cwd" << int(ekProtocol) << "too long" << true;
  QTest::newRow("150 for ever") << "repeat-150"
                                << "cwd" << int(ekReadTimeout) << "no final reply" << true;
  QTest::newRow("code 000") << "bogus-code"
                            << "cwd" << int(ekProtocol) << "invalid reply: 000" << true;
  QTest::newRow("late reply") << "late-reply"
                              << "cwd" << int(ekReadTimeout) << "timed out" << true;
  QTest::newRow("endless listing") << "endless-list"
                                   << "list" << int(ekProtocol) << "more than 1048576 bytes" << true;
  QTest::newRow("trickling listing") << "trickle-list"
                                     << "list" << int(ekProtocol) << "did not finish" << true;
  QTest::newRow("PASV number beyond 255") << "pasv-port"
                                          << "list" << int(ekProtocol) << "invalid address" << false;
  QTest::newRow("EPSV port beyond 65535") << "epsv-port"
                                          << "list-ext" << int(ekProtocol) << "invalid port" << false;
  // After one good answer the listing command goes out with the port request: a refusal is
  // answered for both and the session goes on; a bad port leaves the server waiting for a
  // connection, and the session is given up.
  QTest::newRow("PASV refused after a good one") << "pasv-refused-later"
                                                 << "list-twice" << int(ekProtocol) << "passive mode refused"
                                                 << false;
  QTest::newRow("PASV number beyond 255 after a good one")
      << "pasv-port-later"
      << "list-twice" << int(ekProtocol) << "invalid address" << true;
  QTest::newRow("chatter after ABOR") << "chatter-after-abor"
                                      << "abort-get" << int(ekAborted) << "aborted" << true;
}

void TestHostileFtp::client() {
  QFETCH(QString, scenario);
  QFETCH(QString, step);
  QFETCH(int, kind);
  QFETCH(QString, text);
  QFETCH(bool, closed);
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("hostile"), {scenario}), qPrintable(srv.Error));
  TFtpClient c;
  Bound(c, srv.Port);
  if (qEnvironmentVariableIsSet("QM_FTP_LOG"))
    c.OnLog = [](const QString &l) { qDebug("%s", qPrintable(l.left(200))); };
  c.UseExtendedDataPort = step == u"list-ext";
  if (QByteArray(QTest::currentDataTag()).contains("line cap"))
    c.MaxReplyBytes = 1024 * 1024 * 1024; // only the number of lines can stop it
  bool ok = false;
  if (step == u"connect") {
    ok = c.Connect();
  } else {
    QVERIFY2(c.Connect(), qPrintable(c.ErrorText()));
    if (step == u"cwd") {
      ok = c.ChangeDir(QStringLiteral("hostile"));
    } else if (step.startsWith(u"list")) {
      QList<TFtpListEntry> entries;
      ok = c.List(entries);
      if (step == u"list-twice") {
        QVERIFY2(ok, qPrintable(c.ErrorText()));
        ok = c.List(entries);
      }
    } else {
      QBuffer dest;
      dest.open(QIODevice::WriteOnly);
      c.OnProgress = [&](TFtpDirection, qint64) { c.Abort(); };
      ok = c.Get(QStringLiteral("file"), &dest);
      c.OnProgress = nullptr;
      c.ClearAbort();
    }
  }
  QVERIFY(!ok);
  QVERIFY2(c.ErrorText().contains(text, Qt::CaseInsensitive), qPrintable(c.ErrorText()));
  QCOMPARE(int(c.ErrorKind()), kind);
  // Our bound ended the call, not the server giving up.
  QVERIFY(srv.Running());
  if (closed) {
    // Whatever the server sends later can never be taken for the answer to another command.
    QVERIFY(!c.Connected());
    QCOMPARE(c.Quote(QStringLiteral("NOOP")), 0);
  } else {
    QCOMPARE(c.Quote(QStringLiteral("NOOP")), 200);
  }
}

void TestHostileFtp::session_data() {
  QTest::addColumn<QString>("scenario");
  QTest::addColumn<QString>("op");
  QTest::addColumn<QString>("text");
  QTest::newRow("endless greeting") << "endless-greeting"
                                    << "open"
                                    << "too long";
  QTest::newRow("greeting line without end") << "endless-line"
                                             << "open"
                                             << "too long";
  QTest::newRow("greeting 120, then nothing") << "greeting-120"
                                              << "open"
                                              << "no final reply";
  QTest::newRow("endless reply") << "endless-reply"
                                 << "cwd"
                                 << "too long";
  QTest::newRow("150 for ever") << "repeat-150"
                                << "cwd"
                                << "no final reply";
  QTest::newRow("code 000") << "bogus-code"
                            << "cwd"
                            << "invalid reply";
  QTest::newRow("late reply") << "late-reply"
                              << "cwd"
                              << "timed out";
  QTest::newRow("endless listing") << "endless-list"
                                   << "list"
                                   << "more than";
  QTest::newRow("trickling listing") << "trickle-list"
                                     << "list"
                                     << "did not finish";
  QTest::newRow("PASV number beyond 255") << "pasv-port"
                                          << "list"
                                          << "invalid address";
  QTest::newRow("EPSV port beyond 65535") << "epsv-port"
                                          << "list-ext"
                                          << "invalid port";
  QTest::newRow("chatter after ABOR") << "chatter-after-abor"
                                      << "fill-abort"
                                      << "aborted";
}

void TestHostileFtp::session() {
  QFETCH(QString, scenario);
  QFETCH(QString, op);
  QFETCH(QString, text);
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("hostile"), {scenario}), qPrintable(srv.Error));
  auto ftp = NewSession(srv.Port);
  ftp->SetUseExtensions(op == u"list-ext");
  if (op == u"open") {
    QVERIFY(!ftp->Open());
  } else {
    QVERIFY2(ftp->Open(), qPrintable(ftp->IndyError()));
    if (op == u"cwd") {
      QVERIFY(!ftp->ChangeToDir(QStringLiteral("hostile")));
    } else if (op.startsWith(u"list")) {
      QVERIFY(!ftp->GetFileList());
    } else {
      QBuffer dest;
      dest.open(QIODevice::ReadWrite);
      ftp->OnProgress = [&](TFtpDirection, qint64) { ftp->AbortTransfer(); };
      QCOMPARE(ftp->Fill(QStringLiteral("file"), &dest), int(frCancelled));
      ftp->OnProgress = nullptr;
      ftp->ClearAbort(); // as the FTP thread does before the next job
    }
  }
  const QString error = ftp->IndyError();
  QVERIFY2(error.contains(text, Qt::CaseInsensitive), qPrintable(error));
  QVERIFY(srv.Running());
  if (op == u"open")
    return;
  // The next operation finds its way back (a new connection where the old one was given up)
  // and gets the answer to its own command.
  QString dir;
  ftp->GetCurrentDir(dir);
  QCOMPARE(dir, QStringLiteral("/"));
  QVERIFY2(ftp->Connected(), qPrintable(ftp->IndyError()));
}

void TestHostileFtp::unparsedListingLinesLogged() {
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("hostile"), {QStringLiteral("plain")}), qPrintable(srv.Error));
  TFtpClient c;
  Bound(c, srv.Port);
  QStringList log;
  c.OnLog = [&](const QString &l) { log << l; };
  QVERIFY2(c.Connect(), qPrintable(c.ErrorText()));
  QList<TFtpListEntry> entries;
  QVERIFY2(c.List(entries), qPrintable(c.ErrorText()));
  QCOMPARE(entries.size(), 2);
  QCOMPARE(entries[1].Name, QStringLiteral("old page.htm"));
  QCOMPARE(entries[1].Size, 9730);
  QVERIFY(log.contains(QStringLiteral("Listing line not understood: this is not a listing line")));
}

void TestHostileFtp::threadStops_data() {
  QTest::addColumn<QString>("scenario");
  QTest::addColumn<QString>("job");
  QTest::addColumn<QString>("marker"); // printed by the server once the client waits
  QTest::addColumn<bool>("destroy");   // end by destroying the thread rather than by Cancel
  for (bool destroy : {false, true}) {
    const char *how = destroy ? ", thread destroyed" : ", cancelled";
    QTest::addRow("150 for ever%s", how) << "repeat-150"
                                         << "cwd"
                                         << "CMD CWD hostile" << destroy;
    QTest::addRow("greeting 120%s", how) << "greeting-120"
                                         << "open"
                                         << "CONNECTED" << destroy;
    QTest::addRow("endless reply%s", how) << "endless-reply"
                                          << "cwd"
                                          << "CMD CWD hostile" << destroy;
    QTest::addRow("trickling listing%s", how) << "trickle-list"
                                              << "list"
                                              << "CMD LIST" << destroy;
    QTest::addRow("chatter after ABOR%s", how) << "chatter-after-abor"
                                               << "fill"
                                               << "CMD RETR file" << destroy;
  }
}

void TestHostileFtp::threadStops() {
  QFETCH(QString, scenario);
  QFETCH(QString, job);
  QFETCH(QString, marker);
  QFETCH(bool, destroy);
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("hostile"), {scenario}), qPrintable(srv.Error));
  auto ftp = NewSession(srv.Port);
  // Time-outs and caps far beyond the server's lifetime: only Cancel or the end of the thread
  // can stop the job.
  ftp->ReadTimeout = 10 * 60 * 1000;
  ftp->ListingTimeout = 10 * 60 * 1000;
  ftp->MaxReplyBytes = 1024 * 1024 * 1024;
  ftp->MaxReplyLines = 100 * 1000 * 1000;
  auto thread = std::make_unique<TFtpThread>(std::move(ftp));
  QSignalSpy finished(thread.get(), &TFtpThread::Finished);
  std::atomic<int> kind{-1};
  thread->Post([&kind, job](TExtFtp &f) {
    bool ok = f.Open();
    if (ok && job == u"cwd")
      ok = f.ChangeToDir(QStringLiteral("hostile"));
    else if (ok && job == u"list")
      ok = f.GetFileList();
    else if (ok && job == u"fill") {
      QBuffer dest;
      dest.open(QIODevice::ReadWrite);
      ok = f.Fill(QStringLiteral("file"), &dest) == frOk;
    }
    kind = ok ? ekNone : f.ErrorKind();
    return int(kind);
  });
  QVERIFY(WaitForServer(srv, marker));
  QTest::qWait(200); // let the client settle into its wait
  if (destroy) {
    thread.reset(); // must come back, however the server behaves
  } else {
    thread->Cancel();
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() > 0, 30000); // it may finish before we wait
    QCOMPARE(finished.first().at(0).toInt(), int(ekAborted));
  }
  QCOMPARE(kind.load(), int(ekAborted));
  QVERIFY(srv.Running());
}

QTEST_GUILESS_MAIN(TestHostileFtp)
#include "tst_publish_hostile.moc"
