// Publishing without a server: the project filter, HTT templates, the transfer log, publishing to
// a folder and removing that folder again.
#include "core/common/SafeFile.h"
#include "core/projects/ProjectInfo.h"
#include "core/publish/FtpUtils.h"
#include "core/publish/Publisher.h"
#include "core/publish/Templates.h"
#include "core/publish/TextFilter.h"
#include "core/publish/TransferLog.h"

#include "FileSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

namespace {
// Every file below dir, relative, sorted.
QStringList Tree(const QString &dir) {
  QStringList out;
  QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext())
    out << QDir(dir).relativeFilePath(it.next());
  out.sort();
  return out;
}

const QByteArray Htt = "<p>before</p>\n<!-- #var\ntitle = Home // the title\nsite=Example\n-->\n"
                       "<h1>[%Title] - [%site]</h1>\n";

// A small site: three pages, a template, an image, a text file (not a project type), a scratch
// file and two folders, all an hour old.
void MakeSite(const QString &root) {
  WriteAll(root + QStringLiteral("/index.html"), "<p>index</p>\n");
  WriteAll(root + QStringLiteral("/style.CSS"), "p{}\n");
  WriteAll(root + QStringLiteral("/page.htt"), Htt);
  WriteAll(root + QStringLiteral("/notes.txt"), "not published\n");
  WriteAll(root + QStringLiteral("/~index.html"), "scratch\n");
  WriteAll(root + QStringLiteral("/img/logo.png"), QByteArray(5000, 'x'));
  WriteAll(root + QStringLiteral("/sub/deep/x.js"), "var x;\n");
  const QDateTime old = QDateTime::currentDateTime().addSecs(-3600);
  for (const QString &f : Tree(root))
    SetTime(root + u'/' + f, old);
}

TProjectInfo Project(const QString &root, const QString &dest) {
  TProjectInfo p;
  p.ProjPath = root + u'/';
  p.RemotePath = dest;
  p.TransferMode = tmDirect;
  return p;
}
} // namespace

class TestPublishWalks : public QObject {
  Q_OBJECT
private slots:
  void textFilter_data();
  void textFilter();
  void filterErrors();
  void expandTemplate_data();
  void expandTemplate();
  void processTemplateFiles();
  void logLayout();
  void directSite();
  void directTimeRule_data();
  void directTimeRule();
  void directDestinationRefused_data();
  void directDestinationRefused();
  void directCaseChange();
  void copyWorker();
  void deleteFolderTree();
  void removableFolder_data();
  void removableFolder();
  void resultTexts_data();
  void resultTexts();
};

void TestPublishWalks::textFilter_data() {
  QTest::addColumn<bool>("regExp");
  QTest::addColumn<bool>("fileFilter");
  QTest::addColumn<int>("mode");
  QTest::addColumn<QString>("filter");
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("matches");
  // The project filter with the default types, on extensions.
  const QString types = QStringLiteral("htm*|htt|css|js|gif|jpg|png");
  QTest::newRow("html passes") << false << false << int(fmInclude) << types << "html" << true;
  QTest::newRow("CSS in upper case passes") << false << false << int(fmInclude) << types << "CSS" << true;
  QTest::newRow("png passes") << false << false << int(fmInclude) << types << "png" << true;
  QTest::newRow("txt does not") << false << false << int(fmInclude) << types << "txt" << false;
  QTest::newRow("exclude mode inverts") << false << false << int(fmExclude) << types << "txt" << true;
  QTest::newRow("off passes all") << false << false << int(fmOff) << types << "txt" << true;
  QTest::newRow("negated element") << false << false << int(fmInclude) << "!txt"
                                   << "html" << true;
  QTest::newRow("negated element hit") << false << false << int(fmInclude) << "!txt"
                                       << "txt" << false;
  QTest::newRow("plus: all must match") << false << false << int(fmInclude) << "+h*|!htt"
                                        << "htt" << false;
  QTest::newRow("plus: all match") << false << false << int(fmInclude) << "+h*|!htt"
                                   << "html" << true;
  QTest::newRow("set") << false << false << int(fmInclude) << "[gj]*"
                       << "jpg" << true;
  // File names.
  QTest::newRow("file: mask without extension") << false << true << int(fmInclude) << "index"
                                                << "index.html" << true;
  QTest::newRow("file: *.* takes names without extension") << false << true << int(fmInclude) << "*.*"
                                                           << "Makefile" << true;
  QTest::newRow("file: *.html") << false << true << int(fmInclude) << "*.html|*.css"
                                << "a.css" << true;
  QTest::newRow("file: *.html misses") << false << true << int(fmInclude) << "*.html"
                                       << "a.htm" << false;
  // Regular expressions search the text, ignoring case.
  QTest::newRow("regexp") << true << true << int(fmInclude) << "^img_\\d+\\.png$"
                          << "IMG_12.PNG" << true;
  QTest::newRow("regexp misses") << true << true << int(fmInclude) << "^img_\\d+\\.png$"
                                 << "img_x.png" << false;
  QTest::newRow("regexp exclude") << true << false << int(fmExclude) << "bak"
                                  << "old.bak" << false;
}

void TestPublishWalks::textFilter() {
  QFETCH(bool, regExp);
  QFETCH(bool, fileFilter);
  QFETCH(int, mode);
  QFETCH(QString, filter);
  QFETCH(QString, text);
  TTextFilter f(fileFilter, true);
  f.SetRegExp(regExp);
  f.SetMode(TFilterMode(mode));
  f.SetFilter(filter);
  QTEST(f.MatchesFilter(text), "matches");
}

void TestPublishWalks::filterErrors() {
  TTextFilter re(false, true);
  re.SetRegExp(true);
  try {
    re.SetFilter(QStringLiteral("(unclosed"));
    QFAIL("no error");
  } catch (const EFilterError &e) {
    QCOMPARE(e.Message(), QStringLiteral("Illegal regular expression!"));
  }
  QCOMPARE(re.Filter(), QStringLiteral("."));
  QVERIFY(re.MatchesFilter(QStringLiteral("anything")));
  TTextFilter mask(false, true);
  try {
    mask.SetFilter(QStringLiteral("htm|[ab"));
    QFAIL("no error");
  } catch (const EFilterError &e) {
    QCOMPARE(e.Message(), QStringLiteral("Illegal mask!"));
  }
  QCOMPARE(mask.Filter(), QStringLiteral("*"));
  QVERIFY(mask.MatchesFilter(QStringLiteral("txt")));
  // Both type lists empty: every file passes.
  TTextFilter project(false, true);
  project.SetProjectTypes(QString(), QString());
  QVERIFY(project.MatchesFilter(QStringLiteral("exe")));
  project.SetProjectTypes(QStringLiteral("htm*,htt"), QStringLiteral("png"));
  QCOMPARE(project.Filter(), QStringLiteral("htm*|htt|png"));
}

void TestPublishWalks::expandTemplate_data() {
  QTest::addColumn<QString>("input");
  QTest::addColumn<QString>("output");
  QTest::addColumn<bool>("header");
  const QString head = QStringLiteral("<!-- #var\ntitle=Home\nsite = Example\ncolor = red // a comment\n"
                                      "flag\ntitle=Second\n-->\n");
  QTest::newRow("two values with a dash") << head + "[%title] - [%site]\n"
                                          << "Home - Example\n"
                                          << true;
  QTest::newRow("undefined stays") << head + "a [%nope] b\n"
                                   << "a [%nope] b\n"
                                   << true;
  QTest::newRow("comment cut") << head + "<b style=\"color:[%color]\">\n"
                               << "<b style=\"color:red\">\n"
                               << true;
  QTest::newRow("names ignore case, first wins") << head + "[%TITLE]\n"
                                                 << "Home\n"
                                                 << true;
  QTest::newRow("name without value") << head + "<[%flag]>\n"
                                      << "<>\n"
                                      << true;
  QTest::newRow("indent kept, tab is one blank") << head + "\t  <p>[%site]</p>\n"
                                                 << "   <p>Example</p>\n"
                                                 << true;
  QTest::newRow("unclosed reference copied") << head + "x [%title y\n"
                                             << "x [%title y\n"
                                             << true;
  QTest::newRow("lines before the header dropped") << "junk\n" + head + "body\n\nend\n"
                                                   << "body\n\nend\n"
                                                   << true;
  QTest::newRow("header in any case") << "<!-- #VAR\na=1\n-->\n[%a]\n"
                                      << "1\n"
                                      << true;
  QTest::newRow("header never closed: empty body") << "<!-- #var\na=1\n[%a]\n"
                                                   << "" << true;
  QTest::newRow("no header") << "<p>[%a]</p>\n"
                             << "" << false;
}

void TestPublishWalks::expandTemplate() {
  QFETCH(QString, input);
  bool header = false;
  QTEST(ExpandTemplateText(input, QStringLiteral("\n"), &header), "output");
  QTEST(header, "header");
}

void TestPublishWalks::processTemplateFiles() {
  QTemporaryDir tmp;
  const QString htt = tmp.filePath(QStringLiteral("page.htt"));
  const QString html = tmp.filePath(QStringLiteral("page.html"));
  QVERIFY(ProcessTemplate(htt).isEmpty()); // missing
  // CRLF and an ANSI letter survive in the file's own form.
  QVERIFY(WriteAll(htt, "<!-- #var\r\nname = Caf\xe9\r\n-->\r\n<p>[%name]</p>\r\n"));
  QStringList reported;
  QCOMPARE(ProcessTemplate(htt, [&](const QString &t) { reported << t; }), html);
  QCOMPARE(ReadAll(html), QByteArray("<p>Caf\xe9</p>\r\n"));
  QCOMPARE(reported, QStringList{QStringLiteral("Processing HTML template: page.htt")});
  QVERIFY(!QFile::exists(html + QStringLiteral(".bak")));
  // A second conversion with other output keeps the previous page as the backup; only the
  // latest one.
  QVERIFY(WriteAll(htt, "<!-- #var\nname = One\n-->\n[%name]\n"));
  QCOMPARE(ProcessTemplate(htt), html);
  QCOMPARE(ReadAll(html + QStringLiteral(".bak")), QByteArray("<p>Caf\xe9</p>\r\n"));
  QVERIFY(WriteAll(htt, "<!-- #var\nname = Two\n-->\n[%name]\n"));
  QCOMPARE(ProcessTemplate(htt), html);
  QCOMPARE(ReadAll(html), QByteArray("Two\n"));
  QCOMPARE(ReadAll(html + QStringLiteral(".bak")), QByteArray("One\n"));
  // Same output: the page and its time stay (publishing would send it again otherwise).
  const QDateTime old = QDateTime::currentDateTime().addSecs(-600);
  QVERIFY(SetTime(html, old));
  QCOMPARE(ProcessTemplate(htt), html);
  QCOMPARE(QFileInfo(html).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
  // A failed write returns empty and leaves the previous page and no scratch file.
  QVERIFY(WriteAll(htt, "<!-- #var\nname = Three\n-->\n[%name]\n"));
  SetSimulatedWriteError(ENOSPC);
  QString error;
  const QString r = ProcessTemplate(htt, {}, &error);
  SetSimulatedWriteError(0);
  QVERIFY(r.isEmpty());
  QVERIFY(!error.isEmpty());
  QCOMPARE(ReadAll(html), QByteArray("Two\n"));
  QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
  // No header: nothing written, empty result, reported.
  QVERIFY(WriteAll(htt, "<p>plain</p>\n"));
  reported.clear();
  QVERIFY(ProcessTemplate(htt, [&](const QString &t) { reported << t; }).isEmpty());
  QCOMPARE(reported.last(), QStringLiteral("No header found in HTML template: page.htt"));
  QCOMPARE(ReadAll(html), QByteArray("Two\n"));
}

void TestPublishWalks::logLayout() {
  QTemporaryDir tmp;
  const QString root = tmp.filePath(QStringLiteral("site"));
  const QString dest = tmp.filePath(QStringLiteral("dest"));
  const QDateTime t(QDate(2020, 1, 2), QTime(3, 4, 5));
  WriteAll(root + QStringLiteral("/a.html"), "a");
  WriteAll(root + QString::fromUtf8("/\xc3\xa9.html"), "e");
  WriteAll(root + QStringLiteral("/sub/c.css"), "c");
  for (const QString &f : Tree(root))
    SetTime(root + u'/' + f, t);
  WriteAll(dest + QStringLiteral("/old.html"), "old");
  const QString logName = tmp.filePath(QStringLiteral("Velmo.log"));
  QVERIFY(WriteAll(logName, "earlier run\r\n"));
  TTransferLog log;
  log.Product = QStringLiteral("Velmo");
  log.Version = QStringLiteral("9.9");
  log.Now = [t] { return t; };
  QVERIFY(log.Open(logName));
  log.BeginSection(QStringLiteral("Transfer files to server"));
  TPublisher pub;
  pub.LogFile = &log;
  TTransferRequest r = TTransferRequest::FromModeWord(2 | 8 | 16);
  QVERIFY(r.Sync && r.SubDirs && r.Selection == 2 && !r.Overwrite);
  const TTransferSummary s = pub.TransferDirect(Project(root, dest), r);
  log.Close();
  QCOMPARE(s.Deleted, 1);
  QCOMPARE(s.Copied, 3);
  const QByteArray when = TTransferLog::DateTimeText(t).toLatin1();
  const QByteArray expected = "earlier run\r\n"
                              "Velmo (Vers. 9.9)\r\n"
                              "Transfer files to server: " +
                              when +
                              "\r\n"
                              "  Direct destination ==> " +
                              dest.toUtf8() +
                              "\r\n"
                              "    Synchronize files\r\n"
                              "      Root directory\r\n"
                              "        File deleted: old.html\r\n"
                              "    Copy files\r\n"
                              "      Directory: sub\r\n"
                              "        File copied: c.css - 2020-01-02 03:04:05\r\n"
                              "      Root directory\r\n"
                              "        File copied: a.html - 2020-01-02 03:04:05\r\n"
                              "        File copied: \xe9.html - 2020-01-02 03:04:05\r\n"
                              "    1 file(s) deleted\r\n"
                              "    3 file(s) copied\r\n"
                              "Finished: " +
                              when +
                              "\r\n"
                              "\r\n";
  QCOMPARE(ReadAll(logName), expected);
  // Error lines, the failed summary, one line per entry, times before year 1.
  TTransferLog log2;
  log2.Now = [t] { return t; };
  QVERIFY(log2.Open(logName));
  log2.WriteLogError(8, QStringLiteral("Error copying: a\nb.html"));
  log2.WriteLogSummary(4, -1, 7);
  log2.WriteLog(8, TTransferLog::FileTime(QDateTime()));
  log2.Close();
  QVERIFY(ReadAll(logName).endsWith("        *** Error copying: a b.html\r\n"
                                    "    Error on file transfer!\r\n"
                                    "        invalid timestamp\r\n"
                                    "Finished: " +
                                    when + "\r\n\r\n"));
  // Logging off: nothing written.
  TTransferLog off;
  off.UseLog = false;
  QVERIFY(!off.Open(tmp.filePath(QStringLiteral("other.log"))));
  off.WriteLog(0, QStringLiteral("x"));
  off.Close();
  QVERIFY(!QFile::exists(tmp.filePath(QStringLiteral("other.log"))));
}

void TestPublishWalks::directSite() {
  QTemporaryDir tmp;
  const QString root = tmp.filePath(QStringLiteral("site"));
  const QString dest = tmp.filePath(QStringLiteral("dest"));
  MakeSite(root);
  TTransferLog log;
  QVERIFY(log.Open(tmp.filePath(QStringLiteral("Velmo.log"))));
  TPublisher pub;
  pub.LogFile = &log;
  pub.SetProjectFilter(QStringLiteral("htm*,htt,css,js"), QStringLiteral("gif,jpg,png"));
  const TProjectInfo p = Project(root, dest);
  const TTransferRequest all = TTransferRequest::FromModeWord(2 | 8);
  TTransferSummary s = pub.TransferDirect(p, all);
  QCOMPARE(s.Deleted, 0);
  QCOMPARE(s.Copied, 5);
  const QStringList sent{"img/logo.png", "index.html", "page.html", "style.CSS", "sub/deep/x.js"};
  QCOMPARE(Tree(dest), sent);
  QCOMPARE(ReadAll(dest + QStringLiteral("/page.html")), QByteArray("<h1>Home - Example</h1>\n"));
  QCOMPARE(QFileInfo(dest + QStringLiteral("/index.html")).lastModified(),
           QFileInfo(root + QStringLiteral("/index.html")).lastModified());
  // Nothing changed: nothing to do.
  s = pub.TransferDirect(p, all);
  QCOMPARE(s.Copied, 0);
  // One touched file goes alone; the dry run names it first and sends nothing.
  WriteAll(root + QStringLiteral("/index.html"), "<p>new</p>\n");
  pub.DryRun = true;
  s = pub.TransferDirect(p, all);
  QCOMPARE(s.Copied, 0);
  QCOMPARE(pub.Plan, (QList<TPlannedChange>{{ckNewer, QStringLiteral("index.html"), 11}}));
  QCOMPARE(ReadAll(dest + QStringLiteral("/index.html")), QByteArray("<p>index</p>\n"));
  pub.DryRun = false;
  pub.Plan.clear();
  s = pub.TransferDirect(p, all);
  QCOMPARE(s.Copied, 1);
  QCOMPARE(ReadAll(dest + QStringLiteral("/index.html")), QByteArray("<p>new</p>\n"));
  // Overwrite all sends everything again.
  s = pub.TransferDirect(p, TTransferRequest::FromModeWord(2 | 8 | 32));
  QCOMPARE(s.Copied, 5);
  // Synchronizing deletes what vanished locally, only project types, never "~" files.
  QVERIFY(QFile::remove(root + QStringLiteral("/sub/deep/x.js")));
  WriteAll(dest + QStringLiteral("/keep.txt"), "other type");
  WriteAll(dest + QStringLiteral("/~mine.html"), "scratch");
  pub.DryRun = true;
  s = pub.TransferDirect(p, TTransferRequest::FromModeWord(2 | 8 | 16));
  QCOMPARE(pub.Plan, (QList<TPlannedChange>{{ckDelete, QStringLiteral("sub/deep/x.js"), 7}}));
  QVERIFY(QFile::exists(dest + QStringLiteral("/sub/deep/x.js")));
  pub.DryRun = false;
  s = pub.TransferDirect(p, TTransferRequest::FromModeWord(2 | 8 | 16));
  QCOMPARE(s.Deleted, 1);
  QCOMPARE(s.Copied, 0);
  QCOMPARE(Tree(dest),
           (QStringList{"img/logo.png", "index.html", "keep.txt", "page.html", "style.CSS", "~mine.html"}));
  // Only the current file, and a file outside the project.
  TTransferRequest one = TTransferRequest::FromModeWord(0 | 32);
  one.CurrentFile = root + QStringLiteral("/img/logo.png");
  s = pub.TransferDirect(p, one);
  QCOMPARE(s.Copied, 1);
  one.CurrentFile = tmp.filePath(QStringLiteral("elsewhere.html"));
  s = pub.TransferDirect(p, one);
  QCOMPARE(s.Deleted, -1);
  QCOMPARE(s.Message, "File: " + one.CurrentFile + "\r\nnot found in project directory!");
  // No scratch file is left anywhere.
  for (const QString &f : Tree(dest))
    QVERIFY2(!f.endsWith(QStringLiteral(".part")), qPrintable(f));
  // A destination folder that is a link to elsewhere is never written through.
  const QString outside = tmp.filePath(QStringLiteral("outside"));
  QVERIFY(QDir().mkpath(outside));
  QVERIFY(QDir(dest + QStringLiteral("/img")).removeRecursively());
  QVERIFY(QFile::link(outside, dest + QStringLiteral("/img")));
  s = pub.TransferDirect(p, TTransferRequest::FromModeWord(2 | 8 | 32));
  QCOMPARE(s.Deleted, -1);
  QVERIFY(QDir(outside).isEmpty());
}

void TestPublishWalks::directTimeRule_data() {
  QTest::addColumn<int>("newerBy");
  QTest::addColumn<bool>("copied");
  QTest::newRow("2 s newer: kept") << 2 << false;
  QTest::newRow("3 s newer: copied") << 3 << true;
  QTest::newRow("older: kept") << -60 << false;
}

void TestPublishWalks::directTimeRule() {
  QFETCH(int, newerBy);
  QTemporaryDir tmp;
  const QString src = tmp.filePath(QStringLiteral("s/a.html")),
                dst = tmp.filePath(QStringLiteral("d/a.html"));
  WriteAll(src, "new");
  WriteAll(dst, "old");
  const QDateTime t = QDateTime::currentDateTime().addSecs(-3600);
  SetTime(dst, t);
  SetTime(src, t.addSecs(newerBy));
  TPublisher pub;
  int count = 0;
  QVERIFY(pub.CopyToFolder(tmp.filePath(QStringLiteral("s")), tmp.filePath(QStringLiteral("d")), count, 0,
                           false, true, false, QStringLiteral("*.*"), QString()));
  QFETCH(bool, copied);
  QCOMPARE(count, copied ? 1 : 0);
  QCOMPARE(ReadAll(dst), copied ? QByteArray("new") : QByteArray("old"));
}

void TestPublishWalks::directDestinationRefused_data() {
  QTest::addColumn<QString>("dest"); // relative to the temporary folder; "-" empty
  QTest::addColumn<bool>("refused");
  QTest::newRow("empty") << "-" << true;
  QTest::newRow("relative") << "rel/dest" << true;
  QTest::newRow("the root") << "site" << true;
  QTest::newRow("inside the root") << "site/out" << true;
  QTest::newRow("holding the root") << "" << true;
  QTest::newRow("beside it") << "dest" << false;
  QTest::newRow("sibling with the same start") << "site2" << false;
}

void TestPublishWalks::directDestinationRefused() {
  QFETCH(QString, dest);
  QFETCH(bool, refused);
  QTemporaryDir tmp;
  const QString root = tmp.filePath(QStringLiteral("site"));
  WriteAll(root + QStringLiteral("/a.html"), "a");
  const QString d = dest == u"-" ? QString() : dest == u"rel/dest" ? dest : QDir(tmp.path()).filePath(dest);
  TPublisher pub;
  const TTransferSummary s = pub.TransferDirect(Project(root, d), TTransferRequest::FromModeWord(2 | 8));
  QCOMPARE(!s.Message.isEmpty(), refused);
  QCOMPARE(s.Copied, refused ? 0 : 1);
  QCOMPARE(Tree(root), QStringList{QStringLiteral("a.html")});
}

void TestPublishWalks::directCaseChange() {
  QTemporaryDir tmp;
  const QString root = tmp.filePath(QStringLiteral("site"));
  const QString dest = tmp.filePath(QStringLiteral("Dest"));
  WriteAll(root + QStringLiteral("/Img/Logo.PNG"), "png");
  WriteAll(root + QStringLiteral("/Index.HTML"), "i");
  TProjectInfo p = Project(root, dest);
  p.CaseMode = tcLower;
  TPublisher pub;
  TTransferSummary s = pub.TransferDirect(p, TTransferRequest::FromModeWord(2 | 8 | 16));
  QCOMPARE(s.Copied, 2);
  // The destination root keeps its own letters; below it all is lower case.
  QCOMPARE(Tree(dest), (QStringList{"img/logo.png", "index.html"}));
  // Synchronizing compares with the changed names: nothing deleted, nothing sent again.
  s = pub.TransferDirect(p, TTransferRequest::FromModeWord(2 | 8 | 16));
  QCOMPARE(s.Deleted, 0);
  QCOMPARE(s.Copied, 0);
}

void TestPublishWalks::copyWorker() {
  QTemporaryDir tmp;
  const QString src = tmp.filePath(QStringLiteral("a.png"));
  const QString dst = tmp.filePath(QStringLiteral("out/a.png"));
  QByteArray data(3 * 1024 * 1024 + 7, 'q');
  WriteAll(src, data);
  const QDateTime t = QDateTime::currentDateTime().addDays(-3);
  SetTime(src, t);
  QDir().mkpath(tmp.filePath(QStringLiteral("out")));
  WriteAll(dst, "previous");
  TPublisher pub;
  pub.Verify = true;
  QList<QPair<int, qint64>> progress;
  connect(&pub, &TPublisher::Progress, this, [&](int a, qint64 n) { progress << qMakePair(a, n); });
  QCOMPARE(pub.CopyFileWorker(src, dst), 0);
  QCOMPARE(ReadAll(dst), data);
  QCOMPARE(QFileInfo(dst).lastModified().toSecsSinceEpoch(), t.toSecsSinceEpoch());
  QCOMPARE(progress.first(), qMakePair(int(acCopy), -qint64(data.size())));
  QVERIFY(progress.contains(qMakePair(int(acVerify), -qint64(data.size()))));
  QCOMPARE(progress.last(), qMakePair(int(acCopy), qint64(data.size())));
  QCOMPARE(pub.CopyFileWorker(src + QStringLiteral(".none"), dst), int(frSourceMissing));
  QCOMPARE(pub.CopyFileWorker(src, QString()), int(frDestEmpty));
  // Cancelled: the target keeps its previous content and no scratch file stays.
  pub.Cancel();
  WriteAll(src, "changed");
  QCOMPARE(pub.CopyFileWorker(src, dst), int(frCancelled));
  QCOMPARE(ReadAll(dst), data);
  QCOMPARE(QDir(tmp.filePath(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
           QStringList{QStringLiteral("a.png")});
}

void TestPublishWalks::deleteFolderTree() {
  QTemporaryDir tmp;
  const QString dest = tmp.filePath(QStringLiteral("dest"));
  const QString outside = tmp.filePath(QStringLiteral("outside"));
  WriteAll(dest + QStringLiteral("/a/b/one.html"), "1");
  WriteAll(dest + QStringLiteral("/a/two.html"), "2");
  WriteAll(dest + QStringLiteral("/.hidden"), "3");
  WriteAll(outside + QStringLiteral("/precious.html"), "keep");
  QVERIFY(QFile::link(outside, dest + QStringLiteral("/a/link")));
  QFile::setPermissions(dest + QStringLiteral("/a/two.html"), QFile::ReadOwner);
  TTransferLog log;
  const QString logName = tmp.filePath(QStringLiteral("Velmo.log"));
  QVERIFY(log.Open(logName));
  TPublisher pub;
  pub.LogFile = &log;
  TProjectInfo p = Project(tmp.filePath(QStringLiteral("site")), dest);
  TTransferSummary s = pub.ClearDirect(p);
  log.Close();
  QVERIFY(s.Message.isEmpty());
  QCOMPARE(s.Deleted, 4); // three files and the link
  QVERIFY(!QFileInfo::exists(dest));
  QCOMPARE(ReadAll(outside + QStringLiteral("/precious.html")), QByteArray("keep"));
  const QString text = QString::fromLatin1(ReadAll(logName));
  QVERIFY2(text.contains(QStringLiteral("      Directory: a/b\r\n        File deleted: one.html\r\n"
                                        "      Directory deleted: a/b\r\n")),
           qPrintable(text));
  QVERIFY(text.contains(QStringLiteral("        File deleted: link\r\n")));
  QVERIFY(text.contains(QStringLiteral("    4 file(s) deleted\r\n")));
  // A missing destination: an error line and nothing to do.
  QVERIFY(log.Open(logName));
  s = pub.ClearDirect(p);
  log.Close();
  QCOMPARE(s.Deleted, 0);
  QVERIFY(
      QString::fromLatin1(ReadAll(logName))
          .endsWith(QStringLiteral("      *** Directory not found: \r\n    Nothing to do!\r\nFinished: ") +
                    TTransferLog::DateTimeText(log.Now()) + QStringLiteral("\r\n\r\n")) ||
      ReadAll(logName).contains("*** Directory not found: \r\n    Nothing to do!\r\n"));
  // Cancelled before the first entry: nothing goes.
  WriteAll(dest + QStringLiteral("/x.html"), "x");
  pub.Cancel();
  int count = 0;
  QVERIFY(!pub.DeleteFolderTree(dest, QString(), count));
  QCOMPARE(count, 0);
  QVERIFY(QFile::exists(dest + QStringLiteral("/x.html")));
}

void TestPublishWalks::removableFolder_data() {
  QTest::addColumn<QString>("folder");
  QTest::addColumn<bool>("allowed");
  QTest::newRow("root") << "/" << false;
  QTest::newRow("root with dots") << "/tmp/.." << false;
  QTest::newRow("home") << QDir::homePath() << false;
  QTest::newRow("home with slash") << QDir::homePath() + "/" << false;
  QTest::newRow("empty") << "" << false;
  QTest::newRow("relative") << "dest" << false;
  QTest::newRow("a folder") << QDir::tempPath() + "/qm-dest" << true;
}

void TestPublishWalks::removableFolder() {
  QFETCH(QString, folder);
  QTEST(TPublisher::CheckRemovableFolder(folder).isEmpty(), "allowed");
}

void TestPublishWalks::resultTexts_data() {
  QTest::addColumn<int>("deleted");
  QTest::addColumn<int>("copied");
  QTest::addColumn<bool>("stopped");
  QTest::addColumn<QString>("text");
  QTest::newRow("stopped wins") << -1 << 3 << true << "Canceled by user!";
  QTest::newRow("failed") << -1 << 3 << false << "Error during file transfer!";
  QTest::newRow("nothing") << 0 << 0 << false << "Nothing to do!";
  QTest::newRow("copied") << 0 << 4 << false << "4 file(s) copied";
  QTest::newRow("deleted") << 2 << 0 << false << "2 file(s) deleted!";
  QTest::newRow("both") << 2 << 4 << false << "2 file(s) deleted\r\n4 file(s) copied!";
}

void TestPublishWalks::resultTexts() {
  QFETCH(int, deleted);
  QFETCH(int, copied);
  QFETCH(bool, stopped);
  QTEST(TransferResultText(deleted, copied, stopped), "text");
  TProjectInfo p;
  p.TransferMode = tmFtp;
  p.Host = QStringLiteral("example.org");
  p.RemotePath = QStringLiteral("/www");
  QCOMPARE(DestinationText(p, false), QStringLiteral("example.org|/www"));
  QCOMPARE(DestinationText(p, true), QStringLiteral("example.org//www"));
  p.RemotePath = QStringLiteral("www");
  QCOMPARE(DestinationText(p, true), QStringLiteral("example.org/www"));
  p.TransferMode = tmDirect;
  p.RemotePath = QStringLiteral("/srv/site");
  QCOMPARE(DestinationText(p, true), QStringLiteral("/srv/site"));
}

QTEST_GUILESS_MAIN(TestPublishWalks)
#include "tst_publish_walks.moc"
