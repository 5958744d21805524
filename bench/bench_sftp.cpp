// Publishing over SFTP to a local OpenSSH server, as "Transfer files" runs it (walk, filter,
// time comparisons, a scratch name per file renamed over the target, times kept), against the
// usual tools on the same server in the same run:
//  - 2,000 small files against "lftp mirror -R" over sftp:// ("scp -r" when lftp is missing);
//  - one 100 MB file against "scp".
// Each figure is the median of interleaved runs; the served folder is emptied between runs. The
// peers log in with the test key and accept the server's key without asking (a temporary
// known_hosts file); ours trusts the key the server announced.
#include "../tests/servers/SshTestServer.h"
#include "BenchFtpSupport.h"
#include "BenchReport.h"
#include "core/projects/ProjectInfo.h"
#include "core/publish/Publisher.h"
#include "core/publish/SftpSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>

namespace {

TRun Timed(const std::function<QString()> &f) {
  QElapsedTimer t;
  t.start();
  const QString error = f();
  if (!error.isEmpty())
    return {{}, error};
  return {double(t.nsecsElapsed()) / 1e9, {}};
}

// Our whole run of the project at root to the remote folder "tree".
QString Ours(const TTestSshServer &srv, const QString &root, qint64 expectCopied) {
  TProjectInfo p;
  p.ProjPath = root + u'/';
  p.RemotePath = QStringLiteral("tree");
  p.Host = QStringLiteral("127.0.0.1");
  p.Port = srv.Port;
  p.Username = srv.User;
  p.KeyFile = srv.KeyFile;
  p.TransferMode = tmSftp;
  TSftpSession session;
  session.SetConnectParams(SftpParamsOf(p));
  const QString trusted = srv.Fingerprint;
  session.SetHostKeyCheck([&](const QString &fp) { return fp == trusted; });
  TPublisher pub;
  pub.SetProjectFilter(QString(), QString()); // every file, as the peers send every file
  const TTransferSummary sum = pub.TransferRemote(session, p, TTransferRequest::FromModeWord(2 | 8));
  if (sum.Deleted < 0)
    return QStringLiteral("run failed: ") + sum.Message;
  if (sum.Copied != expectCopied)
    return QStringLiteral("sent %1 files, expected %2").arg(sum.Copied).arg(expectCopied);
  return {};
}

QStringList SshOptions(const TTestSshServer &srv, const QString &knownHosts) {
  return {QStringLiteral("-i"), srv.KeyFile,
          QStringLiteral("-o"), QStringLiteral("StrictHostKeyChecking=no"),
          QStringLiteral("-o"), QStringLiteral("UserKnownHostsFile=") + knownHosts,
          QStringLiteral("-o"), QStringLiteral("BatchMode=yes")};
}

QString CheckServed(const QString &dir, qint64 files, qint64 bytes) {
  qint64 f = 0, b = 0;
  CountFiles(dir, f, b);
  return f == files && b == bytes ? QString()
                                  : QStringLiteral("%1 holds %2 files, %3 bytes").arg(dir).arg(f).arg(b);
}

void Measure(const char *what, const char *peerName, double target, int runs,
             const std::function<void()> &clean, const std::array<std::function<TRun()>, 2> &run,
             const std::function<QString()> &check) {
  std::vector<double> times[2];
  QString errors[2];
  clean();
  for (int i = 0; i < runs; ++i)
    for (int side = 0; side < 2; ++side) {
      const int who = (side + i) % 2;
      if (!errors[who].isEmpty())
        continue;
      ::sync();
      const TRun r = run[who]();
      const QString bad = r.Seconds ? check() : r.Error;
      if (bad.isEmpty())
        times[who].push_back(*r.Seconds);
      else
        errors[who] = bad.left(400);
      clean();
    }
  auto ms = [&](int who) {
    return errors[who].isEmpty() && !times[who].empty() ? Median(times[who]) * 1000 : -1.0;
  };
  BenchRow(what, ms(0), peerName, ms(1), target);
  for (int who = 0; who < 2; ++who)
    if (!errors[who].isEmpty())
      Say(QStringLiteral("    %1 failed: %2")
              .arg(who == 0 ? QStringLiteral("ours") : QString::fromLatin1(peerName), errors[who]));
}

} // namespace

int main(int argc, char *argv[]) {
  QCoreApplication app(argc, argv);
  QCommandLineParser cl;
  cl.setApplicationDescription(QStringLiteral("SFTP publishing benchmark: ours against lftp and scp."));
  cl.addHelpOption();
  cl.addOption(
      {QStringLiteral("files"), QStringLiteral("Number of small files (2000)."), QStringLiteral("n")});
  cl.addOption(
      {QStringLiteral("runs"), QStringLiteral("Runs per side; the median counts (3)."), QStringLiteral("n")});
  cl.addOption(
      {QStringLiteral("mb"), QStringLiteral("Size of the large file in MB (100)."), QStringLiteral("n")});
  cl.addOption({QStringLiteral("verbose"), QStringLiteral("The peers' errors.")});
  cl.process(app);
  const int fileCount =
      cl.isSet(QStringLiteral("files")) ? qMax(1, cl.value(QStringLiteral("files")).toInt()) : 2000;
  const int runs = cl.isSet(QStringLiteral("runs")) ? qMax(1, cl.value(QStringLiteral("runs")).toInt()) : 3;
  const qint64 bigBytes =
      qint64(cl.isSet(QStringLiteral("mb")) ? qMax(1, cl.value(QStringLiteral("mb")).toInt()) : 100) * 1000 *
      1000;
  const bool verbose = cl.isSet(QStringLiteral("verbose"));

  TTestSshServer srv;
  if (!srv.Start()) {
    Say(QStringLiteral("sshd did not start: ") + srv.Error);
    return 2;
  }
  QTemporaryDir work(QDir::temp().filePath(QStringLiteral("qm-bench-sftp-XXXXXX")));
  const QString home = work.filePath(QStringLiteral("home"));
  QDir().mkpath(home);
  const QString knownHosts = work.filePath(QStringLiteral("known_hosts"));
  const QString served = srv.Root + QStringLiteral("/tree");
  auto clean = [&] { CleanServed(srv.Root); };

  TTree site;
  if (!MakeTree(work.filePath(QStringLiteral("site")), fileCount, site)) {
    Say(QStringLiteral("cannot write the site"));
    return 2;
  }
  const QString lftp = QStandardPaths::findExecutable(QStringLiteral("lftp"));
  const QString ssh = QStringLiteral("ssh -a -x ") + SshOptions(srv, knownHosts).join(u' ');
  const QByteArray what = QStringLiteral("%1 files to OpenSSH over SFTP").arg(site.Files).toUtf8();
  std::function<TRun()> peer;
  const char *peerName;
  if (!lftp.isEmpty()) {
    peerName = "lftp mirror -R (sftp)";
    peer = [&] {
      const QString script =
          QStringLiteral("set cmd:interactive false; set net:max-retries 1; set net:timeout 20; "
                         "set sftp:connect-program '%1'; open -u %2, sftp://127.0.0.1:%3; "
                         "mirror -R --no-perms %4 tree; quit")
              .arg(ssh, srv.User)
              .arg(srv.Port)
              .arg(site.Root);
      return RunPeer(lftp, {QStringLiteral("-c"), script}, home, verbose);
    };
  } else {
    peerName = "scp -r";
    peer = [&] {
      QStringList args = SshOptions(srv, knownHosts);
      args << QStringLiteral("-q") << QStringLiteral("-r") << QStringLiteral("-P")
           << QString::number(srv.Port) << site.Root << srv.User + QStringLiteral("@127.0.0.1:tree");
      return RunPeer(QStringLiteral("scp"), args, home, verbose);
    };
  }
  Measure(what.constData(), peerName, 1.0, runs, clean,
          {[&] { return Timed([&] { return Ours(srv, site.Root, site.Files); }); }, peer},
          [&] { return CheckServed(served, site.Files, site.Bytes); });

  // One large file.
  const QString bigRoot = work.filePath(QStringLiteral("big"));
  QDir().mkpath(bigRoot);
  const QString bigFile = bigRoot + QStringLiteral("/movie.mp4");
  if (!WriteRandomFile(bigFile, bigBytes, 99)) {
    Say(QStringLiteral("cannot write the large file"));
    return 2;
  }
  const QByteArray bigWhat = QStringLiteral("one %1 MB file over SFTP").arg(bigBytes / 1000000).toUtf8();
  Measure(bigWhat.constData(), "scp", 1.1, runs, clean,
          {[&] { return Timed([&] { return Ours(srv, bigRoot, 1); }); },
           [&] {
             QDir().mkpath(served);
             ::chown(served.toLocal8Bit().constData(), QFileInfo(srv.Root).ownerId(),
                     QFileInfo(srv.Root).groupId());
             QStringList args = SshOptions(srv, knownHosts);
             args << QStringLiteral("-q") << QStringLiteral("-P") << QString::number(srv.Port) << bigFile
                  << srv.User + QStringLiteral("@127.0.0.1:tree/movie.mp4");
             return RunPeer(QStringLiteral("scp"), args, home, verbose);
           }},
          [&] { return CheckServed(served, 1, bigBytes); });
  srv.Stop();
  return 0;
}
