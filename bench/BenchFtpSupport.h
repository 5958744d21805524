#pragma once
// Shared by the FTP benchmarks: generated sites, the test servers, our session's set-up, running a
// peer tool with a clean environment and a time bound, and medians.
#include "../tests/servers/FtpTestServer.h"
#include "core/publish/FtpUtils.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <unistd.h>
#include <vector>

inline constexpr int PeerTimeoutMs = 600000; // one run of a peer tool, then it is killed

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

inline void Say(const QString &line) {
  std::fputs(qPrintable(line + u'\n'), stdout);
  std::fflush(stdout);
}

inline bool WriteRandomFile(const QString &path, qint64 size, quint32 seed) {
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
inline bool MakeTree(const QString &root, int count, TTree &tree) {
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
inline void CountFiles(const QString &dir, qint64 &files, qint64 &bytes) {
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
inline void CleanServed(const QString &root) {
  const QDir d(root);
  for (const QFileInfo &fi : d.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
    if (fi.isDir() && !fi.isSymLink())
      QDir(fi.filePath()).removeRecursively();
    else
      QFile::remove(fi.filePath());
  }
  ::sync();
}
// Connections of this machine waiting out TIME_WAIT (IPv4 and IPv6).
inline int TimeWaitCount() {
  int n = 0;
  for (const char *table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
    QFile f(QString::fromLatin1(table));
    if (!f.open(QIODevice::ReadOnly))
      continue;
    f.readLine(); // heading
    for (QByteArray line = f.readLine(); !line.isEmpty(); line = f.readLine()) {
      const QList<QByteArray> cols = line.simplified().split(' ');
      n += cols.size() > 3 && cols[3] == "06";
    }
  }
  return n;
}

// Thousands of small-file runs leave tens of thousands of loopback connections in TIME_WAIT
// (60 s each), and the kernel then reuses their ports for new ones: lftp's GnuTLS breaks off
// data connections to vsftpd under that ("An unexpected TLS packet was received", measured:
// every run with 24,000 waiting, none with 4,000). Before a timed run, wait (bounded) until
// fewer than `below` are left, so that neither side runs in that state.
inline void SettleTimeWaits(int below = 8000, int maxSeconds = 65) {
  QElapsedTimer t;
  t.start();
  while (TimeWaitCount() >= below && t.elapsed() < qint64(maxSeconds) * 1000)
    QThread::msleep(500);
}

inline std::unique_ptr<TExtFtp> NewSession(const TServer &s, bool verbose) {
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
inline TRun RunPeer(const QString &program, const QStringList &args, const QString &home, bool verbose) {
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
inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The start of an lftp script that logs on to the server: plain only without TLS, TLS forced with
// it (so a TLS run never quietly goes plain), no proxy, few retries.
inline QString LftpOpen(const TServer &s) {
  QString script = QStringLiteral(
      "set cmd:interactive false; set net:max-retries 1; set net:timeout 20; "
      "set net:reconnect-interval-base 1; set ftp:proxy ''; set ftp:ignore-pasv-address true; ");
  if (!s.Tls)
    script += QStringLiteral("set ftp:ssl-allow no; ");
  else
    script += QStringLiteral("set ftp:ssl-force true; set ftp:ssl-protect-data true; "
                             "set ssl:verify-certificate no; ");
  // lftp's GnuTLS breaks off uploads over TLS 1.3 data connections to vsftpd ("An unexpected TLS
  // packet was received"), so the peer always speaks TLS 1.2.
  if (s.Tls)
    script += QStringLiteral("set ssl:priority NORMAL:-VERS-TLS1.3; ");
  return script + QStringLiteral("open -u %1,%2 -p %3 ftp://127.0.0.1; ")
                      .arg(s.Srv.User, s.Srv.Password)
                      .arg(s.Srv.Port);
}
