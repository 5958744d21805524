// Publishing a whole project, as "Transfer files" runs it (walk, filter, time comparisons, a
// scratch name per file renamed over the target, times kept), against peer tools on the same
// generated site in the same run:
//  - to a folder: 2,020 files / 126 MB against "cp -r";
//  - to vsftpd, plain and with explicit TLS: 2,000 small files against "lftp mirror -R";
//  - a second run with nothing to send against "lftp mirror -R --only-newer".
// Each figure is the median of interleaved runs; destinations are emptied and disks synced between
// runs.
#include "BenchFtpSupport.h"
#include "BenchReport.h"
#include "core/projects/ProjectInfo.h"
#include "core/publish/Publisher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QNetworkProxy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <functional>

namespace {

constexpr qint64 FolderSiteBytes = 126LL * 1000 * 1000;
constexpr int BigFiles = 20;

TProjectInfo Project(const QString &root, const QString &dest) {
  TProjectInfo p;
  p.ProjPath = root + u'/';
  p.RemotePath = dest;
  p.Host = QStringLiteral("127.0.0.1");
  // Every generated file is published, as lftp and cp send every file.
  p.TextTypes.clear();
  p.BinTypes.clear();
  return p;
}

QString CheckTree(const QString &dir, const TTree &tree, qint64 extraFiles = 0, qint64 extraBytes = 0) {
  qint64 files = 0, bytes = 0;
  CountFiles(dir, files, bytes);
  return files == tree.Files + extraFiles && bytes == tree.Bytes + extraBytes
             ? QString()
             : QStringLiteral("%1 holds %2 files, %3 bytes").arg(dir).arg(files).arg(bytes);
}

// prepare (untimed) and run (timed) for ours and the peer in turns, each run after the machine
// has let go of most connections of the runs before it (SettleTimeWaits); check after each run; clean
// after each pair of prepare and run. A run that fails is tried again, four times at most, and said
// so (lftp's TLS runs against vsftpd now and then end in a GnuTLS error on lftp's side, up to three
// times in a row); a side that fails five times in a row has no figure.
void Measure(const char *what, const char *peerName, double target, int runs,
             const std::function<QString()> &clean, const std::array<std::function<QString()>, 2> &prepare,
             const std::array<std::function<TRun()>, 2> &run, const std::function<QString()> &check) {
  std::vector<double> times[2];
  QString errors[2];
  clean();
  for (int i = 0; i < runs; ++i) {
    for (int side = 0; side < 2; ++side) {
      const int who = (side + i) % 2;
      if (!errors[who].isEmpty())
        continue;
      for (int attempt = 1; attempt <= 5; ++attempt) {
        QString bad = prepare[who] ? prepare[who]() : QString();
        if (bad.isEmpty()) {
          SettleTimeWaits();
          ::sync();
          const TRun r = run[who]();
          bad = r.Seconds ? check() : r.Error;
          if (bad.isEmpty())
            times[who].push_back(*r.Seconds);
        }
        clean();
        if (bad.isEmpty())
          break;
        const QString name = who == 0 ? QStringLiteral("ours") : QString::fromLatin1(peerName);
        if (attempt == 5)
          errors[who] = bad.left(400);
        else
          Say(QStringLiteral("    %1, run %2 failed, trying again: %3").arg(name).arg(i + 1).arg(bad.left(400)));
      }
    }
  }
  auto ms = [&](int who) { return errors[who].isEmpty() ? Median(times[who]) * 1000 : -1.0; };
  BenchRow(what, ms(0), peerName, ms(1), target);
  for (int who = 0; who < 2; ++who)
    if (!errors[who].isEmpty())
      Say(QStringLiteral("    %1 failed: %2")
              .arg(who == 0 ? QStringLiteral("ours") : QString::fromLatin1(peerName), errors[who]));
}

TRun Timed(const std::function<QString()> &f) {
  QElapsedTimer t;
  t.start();
  const QString error = f();
  if (!error.isEmpty())
    return {{}, error};
  return {double(t.nsecsElapsed()) / 1e9, {}};
}

// Our whole FTP run; `expectCopied` < 0 takes any count.
QString OursFtp(const TServer &s, const TTree &tree, int expectCopied, bool verbose) {
  auto ftp = NewSession(s, verbose);
  TPublisher pub;
  pub.SetProjectFilter(QString(), QString());
  const TTransferSummary sum = pub.TransferFtp(*ftp, Project(tree.Root, QStringLiteral("/tree")),
                                               TTransferRequest::FromModeWord(2 | 8));
  if (sum.Deleted < 0)
    return QStringLiteral("run failed: %1 %2").arg(sum.Message, ftp->IndyError());
  if (expectCopied >= 0 && sum.Copied != expectCopied)
    return QStringLiteral("sent %1 files, expected %2").arg(sum.Copied).arg(expectCopied);
  return {};
}

QString Lftp(const TServer &s, const QString &lftp, const TTree &tree, const QString &home, bool onlyNewer,
             bool verbose) {
  const QString script =
      LftpOpen(s) + QStringLiteral("mirror -R --no-perms %1%2 /tree; quit")
                        .arg(onlyNewer ? QStringLiteral("--only-newer ") : QString(), tree.Root);
  const TRun r = RunPeer(lftp, {QStringLiteral("-c"), script}, home, verbose);
  return r.Seconds ? QString() : r.Error;
}

} // namespace

int main(int argc, char *argv[]) {
  QCoreApplication app(argc, argv);
  QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
  QCommandLineParser cl;
  cl.setApplicationDescription(
      QStringLiteral("Publishing benchmark: ours against cp -r and lftp mirror -R."));
  cl.addHelpOption();
  cl.addOption(
      {QStringLiteral("files"), QStringLiteral("Number of small files (2000)."), QStringLiteral("n")});
  cl.addOption(
      {QStringLiteral("runs"), QStringLiteral("Runs per side; the median counts (5)."), QStringLiteral("n")});
  cl.addOption({QStringLiteral("modes"), QStringLiteral("plain,tls"), QStringLiteral("list")});
  cl.addOption({QStringLiteral("only"), QStringLiteral("folder or ftp"), QStringLiteral("which")});
  cl.addOption({QStringLiteral("verbose"), QStringLiteral("Protocol log of ours and the peers' errors.")});
  cl.process(app);
  const int fileCount =
      cl.isSet(QStringLiteral("files")) ? qMax(1, cl.value(QStringLiteral("files")).toInt()) : 2000;
  // Five: this kind of machine's speed drifts by more than the margins asked for within a minute.
  const int runs = cl.isSet(QStringLiteral("runs")) ? qMax(1, cl.value(QStringLiteral("runs")).toInt()) : 5;
  const QStringList modes = cl.isSet(QStringLiteral("modes"))
                                ? cl.value(QStringLiteral("modes")).split(u',', Qt::SkipEmptyParts)
                                : QStringList{QStringLiteral("plain"), QStringLiteral("tls")};
  const QString only = cl.value(QStringLiteral("only"));
  const bool verbose = cl.isSet(QStringLiteral("verbose"));
  const bool doFolder = only.isEmpty() || only == u"folder";
  const bool doFtp = only.isEmpty() || only == u"ftp";

  QTemporaryDir work(QDir::temp().filePath(QStringLiteral("qm-bench-publish-XXXXXX")));
  if (!work.isValid()) {
    Say(QStringLiteral("cannot make a temporary folder"));
    return 2;
  }
  // The servers read nothing of ours, but vsftpd's account must reach its served folder.
  QFile::setPermissions(work.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                         QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                         QFile::ExeOther);
  const QString home = work.filePath(QStringLiteral("home"));
  QDir().mkpath(home);

  if (doFolder) {
    // The small-file site plus a few large media files up to 126 MB.
    TTree site;
    const QString root = work.filePath(QStringLiteral("fsite"));
    if (!MakeTree(root, fileCount, site) || !QDir(root).mkpath(QStringLiteral("media"))) {
      Say(QStringLiteral("cannot write the site"));
      return 2;
    }
    const qint64 each = qMax<qint64>(1, (FolderSiteBytes - site.Bytes) / BigFiles);
    for (int i = 0; i < BigFiles; ++i)
      if (!WriteRandomFile(QStringLiteral("%1/media/clip%2.mp4").arg(root).arg(i), each, quint32(900 + i)))
        return 2;
    site.Files += BigFiles;
    site.Bytes += each * BigFiles;
    Say(QStringLiteral("folder site: %1 files, %2 bytes").arg(site.Files).arg(site.Bytes));
    const QString oursDest = work.filePath(QStringLiteral("out-ours"));
    const QString cpDest = work.filePath(QStringLiteral("out-cp"));
    const QByteArray what = QStringLiteral("%1 files / %2 MB to a folder")
                                .arg(site.Files)
                                .arg((site.Bytes + 500000) / 1000000)
                                .toUtf8();
    QString lastDest;
    Measure(
        what.constData(), "cp -r", 2.0, runs,
        [&] {
          QDir(oursDest).removeRecursively();
          QDir(cpDest).removeRecursively();
          ::sync();
          return QString();
        },
        {nullptr, nullptr},
        {[&] {
           lastDest = oursDest;
           return Timed([&] {
             TPublisher pub;
             pub.SetProjectFilter(QString(), QString());
             const TTransferSummary s =
                 pub.TransferDirect(Project(root, oursDest), TTransferRequest::FromModeWord(2 | 8));
             return s.Deleted < 0 || s.Copied != site.Files
                        ? QStringLiteral("copied %1 files: %2").arg(s.Copied).arg(s.Message)
                        : QString();
           });
         },
         [&] {
           lastDest = cpDest;
           const TRun r = RunPeer(QStringLiteral("cp"), {QStringLiteral("-r"), root, cpDest}, home, verbose);
           return r;
         }},
        [&] { return CheckTree(lastDest, site); });
  }

  if (doFtp) {
    const QString lftp = QStandardPaths::findExecutable(QStringLiteral("lftp"));
    if (lftp.isEmpty()) {
      Say(QStringLiteral("lftp is needed (apt-get install -y lftp)"));
      return 2;
    }
    TTree site;
    if (!MakeTree(work.filePath(QStringLiteral("site")), fileCount, site)) {
      Say(QStringLiteral("cannot write the site"));
      return 2;
    }
    // Every server is started before any traffic: the vsftpd script looks for a run of free passive
    // ports, which thousands of data connections in TIME_WAIT can make impossible to find.
    std::vector<std::unique_ptr<TServer>> servers;
    for (const QString &mode : modes) {
      auto sp = std::make_unique<TServer>();
      sp->Kind = QStringLiteral("vsftpd");
      sp->Tls = mode == u"tls";
      const QStringList args{sp->Tls ? QStringLiteral("explicit") : QStringLiteral("plain")};
      bool started = sp->Srv.Start(sp->Kind, args);
      for (int retry = 0; !started && retry < 4; ++retry) {
        Say(QStringLiteral("vsftpd %1: server did not start (%2), trying again in 20 s")
                .arg(mode, sp->Srv.Error));
        QThread::sleep(20);
        started = sp->Srv.Start(sp->Kind, args);
      }
      if (!started) {
        Say(QStringLiteral("vsftpd %1: server did not start: %2").arg(mode, sp->Srv.Error));
        continue;
      }
      servers.push_back(std::move(sp));
    }
    for (auto &sp : servers) {
      TServer &s = *sp;
      const QString mode = s.Tls ? QStringLiteral("tls") : QStringLiteral("plain");
      const QString served = s.Srv.Root + QStringLiteral("/tree");
      auto clean = [&] {
        CleanServed(s.Srv.Root);
        return QString();
      };
      auto check = [&] { return CheckTree(served, site); };
      const QByteArray what = QStringLiteral("%1 files to vsftpd %2").arg(site.Files).arg(mode).toUtf8();
      Measure(what.constData(), "lftp mirror -R", s.Tls ? 0.5 : 1.0, runs, clean, {nullptr, nullptr},
              {[&] { return Timed([&] { return OursFtp(s, site, int(site.Files), verbose); }); },
               [&] { return Timed([&] { return Lftp(s, lftp, site, home, false, verbose); }); }},
              check);
      const QByteArray again = QStringLiteral("second run, nothing to send, vsftpd %1").arg(mode).toUtf8();
      Measure(again.constData(), "lftp mirror -R --only-newer", 1.0, runs, clean,
              {[&] { return OursFtp(s, site, int(site.Files), verbose); },
               [&] { return Lftp(s, lftp, site, home, false, verbose); }},
              {[&] { return Timed([&] { return OursFtp(s, site, 0, verbose); }); },
               [&] { return Timed([&] { return Lftp(s, lftp, site, home, true, verbose); }); }},
              check);
      s.Srv.Stop();
    }
  }
  return 0;
}
