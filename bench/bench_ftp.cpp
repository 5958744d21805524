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
#include "../tests/servers/FtpTestServer.h"
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

constexpr int PeerTimeoutMs = 600000; // one run of a peer tool, then it is killed

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

struct TRun {
  std::optional<double> Seconds; // empty when the run failed
  QString Error;
};

struct TServer {
  QString Kind; // "vsftpd" or "pyftpd"
  bool Tls = false;
  bool Tls12 = false; // every client limited to TLS 1.2 (no session tickets after the handshake)
  TTestFtpServer Srv;
};

// Files of the generated site, relative to its root, grouped by folder ("" is the root).
struct TTree {
  QString Root;
  QStringList Folders;
  qint64 Files = 0;
  qint64 Bytes = 0;
};

void Say(const QString &line) {
  std::fputs(qPrintable(line + u'\n'), stdout);
  std::fflush(stdout);
}

bool WriteRandomFile(const QString &path, qint64 size, quint32 seed) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
    return false;
  QRandomGenerator g(seed);
  QByteArray chunk(int(qMin<qint64>(size + 3, 1024 * 1024)) & ~3, Qt::Uninitialized);
  qint64 left = size;
  while (left > 0) {
    g.fillRange(reinterpret_cast<quint32 *>(chunk.data()), chunk.size() / 4);
    const qint64 n = qMin<qint64>(left, chunk.size());
    if (f.write(chunk.constData(), n) != n)
      return false;
    left -= n;
  }
  return f.flush();
}

// A site of `count` files of 1 to 20 KB in a few folders, two of them nested.
bool MakeTree(const QString &root, int count, TTree &tree) {
  static const char *const folders[] = {"",          "css",   "js",         "img",
                                        "img/icons", "pages", "pages/2025", "pages/archive"};
  static const char *const exts[] = {".html", ".css", ".js", ".png", ".gif", ".html", ".html", ".txt"};
  tree = TTree{root, {}, 0, 0};
  for (const char *f : folders) {
    tree.Folders << QString::fromLatin1(f);
    if (!QDir(root).mkpath(QString::fromLatin1(f).isEmpty() ? QStringLiteral(".") : QString::fromLatin1(f)))
      return false;
  }
  QRandomGenerator g(4711);
  for (int i = 0; i < count; ++i) {
    const int folder = int(g.bounded(quint32(std::size(folders))));
    const QString dir = QString::fromLatin1(folders[folder]);
    const QString name = QStringLiteral("f%1%2").arg(i, 4, 10, QChar(u'0')).arg(QLatin1String(exts[folder]));
    const qint64 size = 1024 + qint64(g.bounded(19 * 1024 + 1));
    const QString path = dir.isEmpty() ? root + u'/' + name : root + u'/' + dir + u'/' + name;
    if (!WriteRandomFile(path, size, quint32(i + 1)))
      return false;
    ++tree.Files;
    tree.Bytes += size;
  }
  return true;
}

// Number of files and bytes below a local folder (the server's side of an upload).
void CountFiles(const QString &dir, qint64 &files, qint64 &bytes) {
  files = bytes = 0;
  QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    it.next();
    ++files;
    bytes += it.fileInfo().size();
  }
}

// Empties the served folder and writes dirty pages back, so that one run's files neither help
// nor slow down the next one.
void CleanServed(const QString &root) {
  const QDir d(root);
  for (const QFileInfo &fi : d.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
    if (fi.isDir() && !fi.isSymLink())
      QDir(fi.filePath()).removeRecursively();
    else
      QFile::remove(fi.filePath());
  }
  ::sync();
}

std::unique_ptr<TExtFtp> NewSession(const TServer &s, bool verbose) {
  auto ftp = std::make_unique<TExtFtp>(QByteArray(), QString(), QString(), QString(), QString());
  TFtpConnectParams p;
  p.Host = QStringLiteral("127.0.0.1");
  p.Port = s.Srv.Port;
  p.Username = s.Srv.User;
  p.Password = s.Srv.Password;
  p.Passive = true;
  p.SecureMode = s.Tls ? 2 : 0;
  p.TransferTimeout = 20000;
  ftp->SetConnectParams(p);
  ftp->ConnectTimeout = 10000;
  if (s.Tls12)
    ftp->TlsProtocol = QSsl::TlsV1_2;
  if (verbose) {
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    ftp->OnLog = [clock](const QString &l) {
      std::fprintf(stderr, "  ours %8.3f ms: %s\n", double(clock->nsecsElapsed()) / 1e6, qPrintable(l));
    };
  }
  return ftp;
}

// Runs one peer command to its end (bounded) and times it.
TRun RunPeer(const QString &program, const QStringList &args, const QString &home, bool verbose) {
  QProcess p;
  // No proxy from the environment (everything stays on 127.0.0.1) and no personal start-up
  // files: a fresh HOME.
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char *v : {"ftp_proxy", "FTP_PROXY", "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                        "all_proxy", "ALL_PROXY"})
    env.remove(QString::fromLatin1(v));
  env.insert(QStringLiteral("no_proxy"), QStringLiteral("*"));
  env.insert(QStringLiteral("HOME"), home);
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(QProcess::SeparateChannels);
  p.setStandardInputFile(QProcess::nullDevice());
  if (!verbose)
    p.setStandardOutputFile(QProcess::nullDevice());
  if (verbose)
    std::fprintf(stderr, "  peer: %s '%s'\n", qPrintable(program),
                 qPrintable(args.join(QStringLiteral("' '"))));
  QElapsedTimer t;
  t.start();
  p.start(program, args);
  if (!p.waitForStarted(10000))
    return {{}, QStringLiteral("cannot start ") + program};
  if (!p.waitForFinished(PeerTimeoutMs)) {
    p.kill();
    p.waitForFinished(5000);
    return {{}, program + QStringLiteral(" timed out")};
  }
  const double secs = double(t.nsecsElapsed()) / 1e9;
  const QString err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
  if (verbose && !err.isEmpty())
    std::fprintf(stderr, "  peer: %s\n", qPrintable(err));
  if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    return {{}, QStringLiteral("%1 exit %2: %3").arg(program).arg(p.exitCode()).arg(err.left(300))};
  return {secs, {}};
}

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
  QString script = QStringLiteral(
      "set cmd:interactive false; set net:max-retries 1; set net:timeout 20; "
      "set net:reconnect-interval-base 1; set ftp:proxy ''; set ftp:ignore-pasv-address true; ");
  // ftp:ssl-force makes lftp refuse to log on without TLS, so a TLS run never quietly goes plain.
  if (!s.Tls)
    script += QStringLiteral("set ftp:ssl-allow no; ");
  else
    script += QStringLiteral("set ftp:ssl-force true; set ftp:ssl-protect-data true; "
                             "set ssl:verify-certificate no; ");
  if (s.Tls && s.Tls12)
    script += QStringLiteral("set ssl:priority NORMAL:-VERS-TLS1.3; ");
  script += QStringLiteral("open -u %1,%2 -p %3 ftp://127.0.0.1; mirror -R --no-perms %4 /tree; quit")
                .arg(s.Srv.User, s.Srv.Password)
                .arg(s.Srv.Port)
                .arg(tree.Root);
  return RunPeer(lftp, {QStringLiteral("-c"), script}, home, verbose);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
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
