// Search in files and the link check over a generated site of 20,000 HTML pages (200 MB), warm
// cache: our search (worker thread, results as signals) against grep -rnF for the same literal
// word, and our link check against grep -rnoE 'href="[^"]*"' over the same tree. The lines found
// are compared with grep's before the times count.
//   bench_search [pages [folder]]   pages: how many (default 20000); folder: where the site is
//                                   made (default a temporary folder, removed at the end)
#include "BenchReport.h"
#include "core/app/FileSearchRunner.h"
#include "core/app/LinkCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {
constexpr int PagesPerFolder = 200;
constexpr int PageBytes = 10000; // 20,000 pages make 200 MB
const char *const Word = "quillsearch";

QString PageName(int i) {
  return QStringLiteral("d%1/p%2.html").arg(i / PagesPerFolder, 3, 10, QLatin1Char('0')).arg(i);
}

// Text lines of running words; about one line in 150 holds the word searched for.
QList<QByteArray> TextPool(QRandomGenerator &rng) {
  static const char *const words[] = {"the",   "page",    "quill", "search", "anchor", "link",  "table",
                                      "style", "content", "list",  "editor", "files",  "under", "about",
                                      "with",  "markup",  "text",  "site",   "words",  "server"};
  QList<QByteArray> pool;
  for (int i = 0; i < 4000; ++i) {
    QByteArray line = "<p>";
    while (line.size() < 80) {
      line += words[rng.bounded(int(std::size(words)))];
      line += ' ';
    }
    if (rng.bounded(150) == 0)
      line.insert(3 + rng.bounded(60), QByteArray(Word) + ' ');
    line += "</p>\n";
    pool << line;
  }
  return pool;
}

bool MakeSite(const QString &root, int pages) {
  const QString marker = root + QStringLiteral("/.bench-site-%1").arg(pages);
  if (QFile::exists(marker))
    return true;
  QRandomGenerator rng(20);
  const QList<QByteArray> pool = TextPool(rng);
  for (int i = 0; i < pages; ++i) {
    const QString name = PageName(i);
    if (i % PagesPerFolder == 0 && !QDir().mkpath(root + u'/' + name.left(4)))
      return false;
    QByteArray page = "<!DOCTYPE html>\n<html><head><title>Page " + QByteArray::number(i) +
                      "</title>\n<link href=\"../css/site.css\" rel=\"stylesheet\"></head>\n<body>\n"
                      "<h1><a name=\"top\">Page</a></h1>\n";
    int section = 0;
    while (page.size() < PageBytes - 200) {
      page += pool[rng.bounded(int(pool.size()))];
      switch (rng.bounded(10)) {
      case 0: { // a link to another page, sometimes to one of its sections
        const int to = rng.bounded(pages);
        page += "<p>See <a href=\"../" + PageName(to).toLatin1() + (rng.bounded(3) == 0 ? "#s1" : "") +
                "\">page " + QByteArray::number(to) + "</a>.</p>\n";
        break;
      }
      case 1:
        page += "<h2 id=\"s" + QByteArray::number(++section) + "\">Section</h2>\n";
        break;
      case 2:
        page += "<p><img src=\"../img/pic" + QByteArray::number(rng.bounded(5)) +
                ".png\" alt=\"\"> <a href=\"#top\">Top</a></p>\n";
        break;
      case 3:
        if (rng.bounded(20) == 0) // now and then a link that is broken
          page += "<p><a href=\"../nowhere/p" + QByteArray::number(i) + ".html\">old</a></p>\n";
        break;
      default:
        break;
      }
    }
    page += "</body></html>\n";
    QFile f(root + u'/' + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(page) != page.size())
      return false;
  }
  QDir().mkpath(root + QStringLiteral("/img"));
  QDir().mkpath(root + QStringLiteral("/css"));
  for (int k = 0; k < 5; ++k)
    QFile(root + QStringLiteral("/img/pic%1.png").arg(k)).open(QIODevice::WriteOnly);
  QFile(root + QStringLiteral("/css/site.css")).open(QIODevice::WriteOnly);
  return QFile(marker).open(QIODevice::WriteOnly);
}

QByteArray Quoted(const QString &s) {
  return "'" + s.toUtf8().replace("'", "'\\''") + "'";
}

// Runs a shell command, reads its output as it comes (without keeping it) and returns the time in
// ms; lines (when given) receives the number of output lines, or each line when keep is given.
double Peer(const QByteArray &command, qint64 *lines, QSet<QByteArray> *keep = nullptr) {
  QElapsedTimer t;
  t.start();
  FILE *p = popen(command.constData(), "r");
  if (!p)
    return -1;
  static char buf[1 << 16];
  qint64 n = 0;
  QByteArray partial;
  size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, p)) > 0) {
    for (size_t i = 0; i < got; ++i)
      n += buf[i] == '\n';
    if (keep) {
      partial.append(buf, qsizetype(got));
      qsizetype from = 0, nl;
      while ((nl = partial.indexOf('\n', from)) >= 0) {
        // "file:line:text": keep "file:line".
        const QByteArray line = partial.mid(from, nl - from);
        const qsizetype c1 = line.indexOf(':');
        const qsizetype c2 = line.indexOf(':', c1 + 1);
        keep->insert(line.left(c2));
        from = nl + 1;
      }
      partial.remove(0, from);
    }
  }
  const int rc = pclose(p);
  if (lines)
    *lines = n;
  return rc == 0 || rc == 256 ? double(t.nsecsElapsed()) / 1e6 : -1; // grep: 1 means no match
}

struct TOurs {
  double Ms = -1;
  qint64 Matches = 0;
  QSet<QByteArray> Lines;
};

TOurs OurSearch(const QString &root, bool keep) {
  TOurs r;
  TFileSearchJob job;
  job.Options.Find = QString::fromLatin1(Word);
  job.Options.MatchCase = true;
  job.Folder = root;
  job.SubFolders = true;
  job.Types = QStringLiteral("*");
  TFileSearchRunner runner;
  QEventLoop loop;
  QObject::connect(&runner, &TFileSearchRunner::FileDone, [&](const TFileResult &f) {
    r.Matches += f.Matches.size();
    if (keep)
      for (const TFileMatch &m : f.Matches)
        r.Lines.insert(f.FileName.toUtf8() + ':' + QByteArray::number(m.Line));
  });
  QObject::connect(&runner, &TFileSearchRunner::Finished, &loop, &QEventLoop::quit);
  QElapsedTimer t;
  t.start();
  runner.Start(job);
  loop.exec();
  r.Ms = double(t.nsecsElapsed()) / 1e6;
  return r;
}

double OurLinkCheck(const QString &root, TLinkCheckSummary *out) {
  TLinkCheckJob job;
  job.Folder = root;
  std::atomic<bool> cancel{false};
  QElapsedTimer t;
  t.start();
  *out = CheckLinks(job, {}, cancel);
  return double(t.nsecsElapsed()) / 1e6;
}

long PeakKiB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}
} // namespace

int main(int argc, char *argv[]) {
  QCoreApplication app(argc, argv);
  const int pages = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 20000;
  QTemporaryDir tmp;
  const QString root = argc > 2 ? QDir(QString::fromLocal8Bit(argv[2])).absolutePath() : tmp.path();
  QElapsedTimer gen;
  gen.start();
  if (!MakeSite(root, pages)) {
    std::fprintf(stderr, "bench_search: cannot write the site in %s\n", qPrintable(root));
    return 1;
  }
  std::printf("bench_search: %d pages of %d bytes in %s (made or found in %.1f s)\n", pages, PageBytes,
              qPrintable(root), double(gen.elapsed()) / 1000);
  const QByteArray grepSearch = "grep -rnF " + QByteArray(Word) + ' ' + Quoted(root);
  const QByteArray grepLinks = "grep -rnoE 'href=\"[^\"]*\"' " + Quoted(root);
  const long startKiB = PeakKiB();

  // Warm the cache and check that both find the same lines.
  const TOurs first = OurSearch(root, true);
  QSet<QByteArray> theirLines;
  qint64 grepLines = 0;
  Peer(grepSearch, &grepLines, &theirLines);
  const bool same = first.Lines == theirLines;
  std::printf("bench_search: %lld matches on %lld lines; grep: %lld lines; %s\n", (long long)first.Matches,
              (long long)first.Lines.size(), (long long)grepLines, same ? "the same lines" : "LINES DIFFER");

  double ours = 1e18, peer = 1e18;
  for (int run = 0; run < 3; ++run)
    ours = std::min(ours, OurSearch(root, false).Ms);
  const long searchKiB = PeakKiB();
  TLinkCheckSummary links;
  double oursLinks = 1e18;
  for (int run = 0; run < 3; ++run)
    oursLinks = std::min(oursLinks, OurLinkCheck(root, &links));
  const long linksKiB = PeakKiB();
  for (int run = 0; run < 3; ++run)
    peer = std::min(peer, Peer(grepSearch, nullptr));
  // The stretch peer, when it is installed: ripgrep, which reads with both cores.
  const bool haveRg = std::system("command -v rg >/dev/null 2>&1") == 0;
  double rg = 1e18;
  for (int run = 0; haveRg && run < 3; ++run)
    rg = std::min(rg, Peer("rg -nF --no-messages " + QByteArray(Word) + ' ' + Quoted(root), nullptr));
  double peerLinks = 1e18;
  qint64 hrefs = 0;
  for (int run = 0; run < 3; ++run)
    peerLinks = std::min(peerLinks, Peer(grepLinks, &hrefs));

  char what[160];
  std::snprintf(what, sizeof what, "search in files, %d pages", pages);
  BenchRow(what, same ? ours : -1, "grep -rnF", peer, 2);
  if (haveRg) {
    std::snprintf(what, sizeof what, "search in files, %d pages (stretch)", pages);
    BenchRow(what, same ? ours : -1, "rg -nF", rg, 1);
  }
  std::snprintf(what, sizeof what, "check links, %d pages", pages);
  BenchRow(what, oursLinks, "grep -rnoE href", peerLinks, 3);
  std::printf("bench_search: link check read %lld links (grep: %lld href values), %lld broken\n",
              (long long)links.LinksChecked, (long long)hrefs, (long long)links.Broken.size());
  std::printf("bench_search: peak memory (RSS): %.1f MiB after the searches, %.1f MiB after the link checks, "
              "%.1f MiB before both\n",
              searchKiB / 1024.0, linksKiB / 1024.0, startKiB / 1024.0);
  return same ? 0 : 1;
}
