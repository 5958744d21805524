// FTP upload speed of our session against command-line FTP clients, in the same run and against
// the same local server (vsftpd and pyftpdlib from tests/servers, on 127.0.0.1 only):
//  - one large file: TExtFtp::CopyFile against "curl -T";
//  - a generated site of small files in a few folders over one session: ForceDir and CopyFile for
//    each file against "lftp mirror -R".
// Plain, with explicit TLS (vsftpd keeps its default require_ssl_reuse=YES), and with explicit TLS
// where every client is limited to TLS 1.2 (no session tickets after the handshake). Every figure
// is the median of several interleaved runs, each from connect to disconnect; the served folder is
// emptied and the disks synced between runs. Prints one line per measurement with both times and
// ours / peer.
#include "BenchFtpSupport.h"
#include "BenchReport.h"
#include "core/publish/FtpUtils.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QNetworkProxy>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

struct TOptions {
  qint64 BigBytes = 100LL * 1000 * 1000;
  int FileCount = 2000;
  int Runs = 3;
  QStringList Servers{QStringLiteral("vsftpd"), QStringLiteral("pyftpd")};
  QStringList Modes{QStringLiteral("plain"), QStringLiteral("tls"), QStringLiteral("tls1.2")};
  bool Big = true;
  bool Tree = true;
  bool Verbose = false;
};

QString Url(const TServer &s) {
  return QStringLiteral("ftp://127.0.0.1:%1/").arg(s.Srv.Port);
}

TRun OursBig(const TServer &s, const QString &file, bool verbose) {
  QElapsedTimer t;
  t.start();
  auto ftp = NewSession(s, verbose);
  if (!ftp->Open())
    return {{}, ftp->IndyError()};
  const int r = ftp->CopyFile(file, QStringLiteral("big.bin"));
  if (r != frOk)
    return {{}, QStringLiteral("CopyFile result %1: %2").arg(r).arg(ftp->IndyError())};
  ftp->Disconnect();
  return {double(t.nsecsElapsed()) / 1e9, {}};
}

TRun CurlBig(const TServer &s, const QString &curl, const QString &file, const QString &home, bool verbose) {
  QStringList args{QStringLiteral("-q"),
                   QStringLiteral("-sS"),
                   QStringLiteral("--noproxy"),
                   QStringLiteral("*"),
                   QStringLiteral("--ftp-skip-pasv-ip"),
                   QStringLiteral("--connect-timeout"),
                   QStringLiteral("10"),
                   QStringLiteral("--max-time"),
                   QString::number(PeerTimeoutMs / 1000 - 10),
                   QStringLiteral("--user"),
                   s.Srv.User + u':' + s.Srv.Password};
  if (s.Tls)
    args << QStringLiteral("--ssl-reqd") << QStringLiteral("-k");
  if (s.Tls && s.Tls12)
    args << QStringLiteral("--tls-max") << QStringLiteral("1.2");
  args << QStringLiteral("-T") << file << Url(s) + QStringLiteral("big.bin");
  return RunPeer(curl, args, home, verbose);
}

TRun OursTree(const TServer &s, const TTree &tree, bool verbose) {
  QElapsedTimer t;
  t.start();
  auto ftp = NewSession(s, verbose);
  if (!ftp->Open())
    return {{}, ftp->IndyError()};
  for (const QString &folder : tree.Folders) {
    const QString local = folder.isEmpty() ? tree.Root : tree.Root + u'/' + folder;
    const QString remote = folder.isEmpty() ? QStringLiteral("/tree") : QStringLiteral("/tree/") + folder;
    if (!ftp->ForceDir(remote))
      return {{}, QStringLiteral("ForceDir %1: %2").arg(remote, ftp->IndyError())};
    const QStringList names = QDir(local).entryList(QDir::Files, QDir::Name);
    for (const QString &name : names) {
      const int r = ftp->CopyFile(local + u'/' + name, name);
      if (r != frOk)
        return {
            {},
            QStringLiteral("CopyFile %1/%2 result %3: %4").arg(remote, name).arg(r).arg(ftp->IndyError())};
    }
  }
  ftp->Disconnect();
  return {double(t.nsecsElapsed()) / 1e9, {}};
}

TRun LftpTree(const TServer &s, const QString &lftp, const TTree &tree, const QString &home, bool verbose) {
  const QString script = LftpOpen(s) + QStringLiteral("mirror -R --no-perms %1 /tree; quit").arg(tree.Root);
  return RunPeer(lftp, {QStringLiteral("-c"), script}, home, verbose);
}

// Runs ours and the peer in turns (alternating which goes first), checks what arrived on the
// server after each run and empties it again; prints the line of the measurement.
void Measure(const QString &label, const QString &peerName, double target, int runs, TServer &s,
             const std::function<TRun()> &ours, const std::function<TRun()> &peer,
             const std::function<QString()> &check) {
  std::vector<double> times[2]; // 0 ours, 1 the peer
  QString errors[2];            // a side that failed once is not run again
  CleanServed(s.Srv.Root);
  for (int i = 0; i < runs; ++i) {
    for (int side = 0; side < 2; ++side) {
      const int who = (side + i) % 2;
      if (!errors[who].isEmpty())
        continue;
      const TRun r = who == 0 ? ours() : peer();
      QString bad = r.Seconds ? check() : r.Error;
      CleanServed(s.Srv.Root);
      if (bad.isEmpty()) {
        times[who].push_back(*r.Seconds);
        continue;
      }
      bad.replace(u'\n', QStringLiteral(" | "));
      errors[who] = bad.left(400);
    }
  }
  const QString mode = !s.Tls    ? QStringLiteral("plain")
                       : s.Tls12 ? QStringLiteral("tls1.2")
                                 : QStringLiteral("tls");
  auto ms = [&](int who) { return errors[who].isEmpty() ? Median(times[who]) * 1000 : -1.0; };
  const QByteArray what = QStringLiteral("%1 %2 %3").arg(label, s.Kind, mode).toUtf8();
  BenchRow(what.constData(), ms(0), peerName.toUtf8().constData(), ms(1), target);
  for (int who = 0; who < 2; ++who)
    if (!errors[who].isEmpty())
      Say(QStringLiteral("    %1 failed: %2").arg(who == 0 ? QStringLiteral("ours") : peerName, errors[who]));
}

} // namespace

int main(int argc, char *argv[]) {
  QCoreApplication app(argc, argv);
  QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);

  QCommandLineParser cl;
  cl.setApplicationDescription(QStringLiteral("FTP upload benchmark: ours against curl and lftp."));
  cl.addHelpOption();
  cl.addOption(
      {QStringLiteral("big-mb"), QStringLiteral("Size of the large file in MB (100)."), QStringLiteral("n")});
  cl.addOption(
      {QStringLiteral("files"), QStringLiteral("Number of small files (2000)."), QStringLiteral("n")});
  cl.addOption(
      {QStringLiteral("runs"), QStringLiteral("Runs per side; the median counts (3)."), QStringLiteral("n")});
  cl.addOption({QStringLiteral("servers"), QStringLiteral("vsftpd,pyftpd"), QStringLiteral("list")});
  cl.addOption(
      {QStringLiteral("modes"),
       QStringLiteral("plain, tls (explicit, newest version) and tls1.2 (all clients limited to TLS 1.2)"),
       QStringLiteral("list")});
  cl.addOption({QStringLiteral("only"), QStringLiteral("big or tree"), QStringLiteral("which")});
  cl.addOption({QStringLiteral("verbose"), QStringLiteral("Protocol log of ours and the peers' errors.")});
  cl.process(app);
  TOptions o;
  if (cl.isSet(QStringLiteral("big-mb")))
    o.BigBytes = qMax(1LL, cl.value(QStringLiteral("big-mb")).toLongLong()) * 1000 * 1000;
  if (cl.isSet(QStringLiteral("files")))
    o.FileCount = qMax(1, cl.value(QStringLiteral("files")).toInt());
  if (cl.isSet(QStringLiteral("runs")))
    o.Runs = qMax(1, cl.value(QStringLiteral("runs")).toInt());
  if (cl.isSet(QStringLiteral("servers")))
    o.Servers = cl.value(QStringLiteral("servers")).split(u',', Qt::SkipEmptyParts);
  if (cl.isSet(QStringLiteral("modes")))
    o.Modes = cl.value(QStringLiteral("modes")).split(u',', Qt::SkipEmptyParts);
  if (cl.isSet(QStringLiteral("only"))) {
    o.Big = cl.value(QStringLiteral("only")) == u"big";
    o.Tree = cl.value(QStringLiteral("only")) == u"tree";
  }
  o.Verbose = cl.isSet(QStringLiteral("verbose"));
  for (const QString &k : o.Servers)
    if (k != u"vsftpd" && k != u"pyftpd") {
      Say(QStringLiteral("unknown server %1 (vsftpd, pyftpd)").arg(k));
      return 2;
    }
  for (const QString &m : o.Modes)
    if (m != u"plain" && m != u"tls" && m != u"tls1.2") {
      Say(QStringLiteral("unknown mode %1 (plain, tls, tls1.2)").arg(m));
      return 2;
    }
  if (!o.Big && !o.Tree) {
    Say(QStringLiteral("--only takes big or tree"));
    return 2;
  }

  const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
  const QString lftp = QStandardPaths::findExecutable(QStringLiteral("lftp"));
  if ((o.Big && curl.isEmpty()) || (o.Tree && lftp.isEmpty())) {
    Say(QStringLiteral("curl and lftp are needed (apt-get install -y lftp curl)"));
    return 2;
  }

  QTemporaryDir work(QDir::temp().filePath(QStringLiteral("qm-bench-ftp-XXXXXX")));
  if (!work.isValid()) {
    Say(QStringLiteral("cannot make a temporary folder"));
    return 2;
  }
  // The servers read the inputs as their own users (vsftpd: a local account).
  QFile::setPermissions(work.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                         QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                         QFile::ExeOther);
  const QString home = work.filePath(QStringLiteral("home"));
  QDir().mkpath(home);
  const QString bigFile = work.filePath(QStringLiteral("big.bin"));
  TTree tree;
  QElapsedTimer gen;
  gen.start();
  if ((o.Big && !WriteRandomFile(bigFile, o.BigBytes, 1)) ||
      (o.Tree && !MakeTree(work.filePath(QStringLiteral("site")), o.FileCount, tree))) {
    Say(QStringLiteral("cannot write the inputs in ") + work.path());
    return 2;
  }
  ::sync();
  QStringList made;
  if (o.Big)
    made << QStringLiteral("one file of %1 bytes").arg(o.BigBytes);
  if (o.Tree)
    made << QStringLiteral("%1 files of 1-20 KB (%2 bytes) in %3 folders")
                .arg(tree.Files)
                .arg(tree.Bytes)
                .arg(tree.Folders.size());
  Say(QStringLiteral("inputs: %1; made in %2 s")
          .arg(made.join(QStringLiteral("; ")))
          .arg(double(gen.elapsed()) / 1000, 0, 'f', 1));
  Say(QStringLiteral("median of %1 runs each, ours and the peer alternating, connect to disconnect; "
                     "servers on 127.0.0.1")
          .arg(o.Runs));

  // All servers are started before any traffic: the vsftpd script looks for a run of free
  // passive ports, which thousands of data connections in TIME_WAIT can make impossible to find.
  std::vector<std::unique_ptr<TServer>> servers;
  for (const QString &kind : o.Servers) {
    for (const QString &mode : o.Modes) {
      auto s = std::make_unique<TServer>();
      s->Kind = kind;
      s->Tls = mode.startsWith(u"tls");
      s->Tls12 = mode == u"tls1.2";
      const QString how = s->Tls ? QStringLiteral("explicit") : QStringLiteral("plain");
      const QStringList args =
          kind == u"vsftpd" ? QStringList{how} : QStringList{QStringLiteral("--mode"), how};
      // A run just before this one can still hold thousands of ports in TIME_WAIT (60 s): try again
      // for a while.
      bool started = s->Srv.Start(kind, args);
      for (int retry = 0; !started && retry < 4; ++retry) {
        Say(QStringLiteral("%1 %2: server did not start (%3), trying again in 20 s")
                .arg(kind, mode, s->Srv.Error.trimmed()));
        QThread::sleep(20);
        started = s->Srv.Start(kind, args);
      }
      if (!started) {
        Say(QStringLiteral("%1 %2: server did not start: %3").arg(kind, mode, s->Srv.Error.trimmed()));
        continue;
      }
      // What TLS the session gets on this server, for the record.
      auto probe = NewSession(*s, false);
      if (!probe->Open()) {
        Say(QStringLiteral("%1 %2: cannot log on: %3").arg(kind, mode, probe->IndyError()));
        continue;
      }
      if (s->Tls)
        Say(QStringLiteral("%1 %2: ours negotiates %3").arg(kind, mode, probe->PeerCertificate().Protocol));
      probe->Disconnect();
      servers.push_back(std::move(s));
    }
  }

  for (auto &sp : servers) {
    TServer &s = *sp;
    if (o.Big) {
      const QString label = QStringLiteral("%1 MB file").arg(o.BigBytes / 1000000);
      Measure(
          label, QStringLiteral("curl"), 1.1, o.Runs, s, [&] { return OursBig(s, bigFile, o.Verbose); },
          [&] { return CurlBig(s, curl, bigFile, home, o.Verbose); },
          [&] {
            const qint64 got = QFileInfo(s.Srv.Root + QStringLiteral("/big.bin")).size();
            return got == o.BigBytes ? QString() : QStringLiteral("server got %1 bytes").arg(got);
          });
    }
    if (o.Tree) {
      const QString label = QStringLiteral("%1 files, 1 session").arg(tree.Files);
      Measure(
          label, QStringLiteral("lftp"), s.Tls ? 0.5 : 1.0, o.Runs, s,
          [&] { return OursTree(s, tree, o.Verbose); },
          [&] { return LftpTree(s, lftp, tree, home, o.Verbose); },
          [&] {
            qint64 files = 0, bytes = 0;
            CountFiles(s.Srv.Root + QStringLiteral("/tree"), files, bytes);
            return files == tree.Files && bytes == tree.Bytes
                       ? QString()
                       : QStringLiteral("server got %1 files, %2 bytes").arg(files).arg(bytes);
          });
    }
    s.Srv.Stop();
  }
  return 0;
}
