// Search and replace in files: the file-type filter, the folder walk, matches per line in every
// encoding and line-break style, replacing with the per-match answers while every byte outside
// the replaced text stays as it was, the files that must be left alone, the worker thread, and a
// comparison with grep over a generated tree.
#include "core/app/FileSearch.h"
#include "core/app/FileSearchRunner.h"
#include "core/common/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cerrno>
#include <cstring>

namespace {
QByteArray ReadBytes(const QString &f) {
  QFile file(f);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
bool WriteBytes(const QString &f, const QByteArray &d) {
  QDir().mkpath(QFileInfo(f).path());
  QFile file(f);
  return file.open(QIODevice::WriteOnly) && file.write(d) == d.size();
}
QByteArray Utf16(const QString &s, bool le) {
  QByteArray b(le ? "\xFF\xFE" : "\xFE\xFF", 2);
  for (QChar c : s) {
    const char lo = char(c.unicode() & 0xFF), hi = char(c.unicode() >> 8);
    b += le ? lo : hi;
    b += le ? hi : lo;
  }
  return b;
}
// Matches as "line:column:length", and the result lines as the tree shows them.
QStringList Render(const TFileResult &r) {
  QStringList out;
  for (const TFileMatch &m : r.Matches)
    out << QStringLiteral("%1:%2:%3 %4").arg(m.Line).arg(m.Column).arg(m.Length).arg(ResultLineText(m));
  return out;
}
TFileSearchOptions Find(const QString &what, bool matchCase = true, bool wholeWord = false) {
  TFileSearchOptions o;
  o.Find = what;
  o.MatchCase = matchCase;
  o.WholeWord = wholeWord;
  return o;
}
TFileSearchOptions Replace(const QString &what, const QString &by, bool confirm, bool matchCase = true) {
  TFileSearchOptions o = Find(what, matchCase);
  o.DoReplace = true;
  o.Replace = by;
  o.Confirm = confirm;
  return o;
}
} // namespace

class TstAppFileSearch : public QObject {
  Q_OBJECT

private slots:
  void typeFilter_data() {
    QTest::addColumn<QString>("masks");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("passes");
    QTest::newRow("prefix mask") << "htm*"
                                 << "a/Index.HTML" << true;
    QTest::newRow("prefix mask, other type") << "htm*"
                                             << "style.css" << false;
    QTest::newRow("comma list") << "css, js"
                                << "app.js" << true;
    QTest::newRow("bar list") << "css|js"
                              << "x.php" << false;
    QTest::newRow("question mark") << "ph?"
                                   << "x.php" << true;
    QTest::newRow("set") << "htm[l]"
                         << "x.htm" << false;
    QTest::newRow("set range, other case") << "[a-c]ss"
                                           << "x.CSS" << true;
    QTest::newRow("negated set") << "[!c]ss"
                                 << "x.css" << false;
    QTest::newRow("negated mask: any other type") << "!bak"
                                                  << "x.txt" << true;
    QTest::newRow("negated mask: that type") << "!bak"
                                             << "x.bak" << false;
    QTest::newRow("plus: every mask must match") << "+htm*,!html"
                                                 << "x.htm" << true;
    QTest::newRow("plus: one fails") << "+htm*,!html"
                                     << "x.html" << false;
    QTest::newRow("no extension") << "htm*"
                                  << "README" << false;
    QTest::newRow("no extension, star") << "*"
                                        << "README" << true;
    QTest::newRow("dot in a folder name only") << "htm*"
                                               << "a.htm/README" << false;
    QTest::newRow("invalid list: everything") << "htm,[x"
                                              << "a.zip" << true;
    QTest::newRow("empty list: everything") << ""
                                            << "a.zip" << true;
  }
  void typeFilter() {
    QFETCH(QString, masks);
    QFETCH(QString, file);
    QFETCH(bool, passes);
    QCOMPARE(TFileTypeFilter(masks).Matches(file), passes);
  }

  void folderWalk() {
    QTemporaryDir d;
    for (const char *f : {"b.htm", "a.html", "~scratch.htm", "x.css", ".hidden.htm", "sub2/z.htm",
                          "sub1/y.htm", "sub1/deep/x.htm", "sub1/deep/n.txt"})
      QVERIFY(WriteBytes(d.filePath(QString::fromLatin1(f)), "x"));
    QVERIFY(QFile::link(d.filePath(QStringLiteral("sub1")), d.filePath(QStringLiteral("loop"))));
    const QString root = d.path() + u'/';
    QStringList rel;
    for (const QString &f : ListFolderFiles(d.path(), true, TFileTypeFilter(QStringLiteral("htm*"))))
      rel << f.mid(root.size());
    QCOMPARE(rel,
             (QStringList{"sub1/deep/x.htm", "sub1/y.htm", "sub2/z.htm", ".hidden.htm", "a.html", "b.htm"}));
    rel.clear();
    for (const QString &f : ListFolderFiles(d.path(), false, TFileTypeFilter(QStringLiteral("htm*,css"))))
      rel << f.mid(root.size());
    QCOMPARE(rel, (QStringList{".hidden.htm", "a.html", "b.htm", "x.css"}));
  }

  void search_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<QStringList>("matches");
    QTest::newRow("LF lines, several per line")
        << QByteArray("a cat\n  cat cat  \nno\ncat") << true << false
        << QStringList{"1:3:3 1: a |cat|", "2:3:3 2: |cat| cat", "2:7:3 2: cat |cat|", "4:1:3 4: |cat|"};
    QTest::newRow("CR LF and CR-only lines") << QByteArray("x\r\ncat\rcat\r\n") << true << false
                                             << QStringList{"2:1:3 2: |cat|", "3:1:3 3: |cat|"};
    QTest::newRow("case ignored") << QByteArray("CAT Cat\ncAt") << false << false
                                  << QStringList{"1:1:3 1: |CAT| Cat", "1:5:3 1: CAT |Cat|",
                                                 "2:1:3 2: |cAt|"};
    QTest::newRow("case kept") << QByteArray("CAT cat") << true << false << QStringList{"1:5:3 1: CAT |cat|"};
    QTest::newRow("whole words") << QByteArray("cats cat_ (cat) concat cat") << true << true
                                 << QStringList{"1:12:3 1: cats cat_ (|cat|) concat cat",
                                                "1:24:3 1: cats cat_ (cat) concat |cat|"};
    QTest::newRow("whole words, case ignored")
        << QByteArray("Cats CAT") << false << true << QStringList{"1:6:3 1: Cats |CAT|"};
    QTest::newRow("whole words next to non-ASCII letters")
        << QString::fromUtf8("écat cat\xC3\xA9 \xF0\x9F\x98\x80"
                             "cat")
               .toUtf8()
        << true << true << QStringList{QString::fromUtf8("1:13:3 1: écat caté 😀|cat|")};
    QTest::newRow("columns in UTF-16 units") << QString::fromUtf8("ä😀cat").toUtf8() << true << false
                                             << QStringList{QString::fromUtf8("1:4:3 1: ä😀|cat|")};
    QTest::newRow("ANSI file") << QByteArray("\xE4\xF6 cat\r\n") << true << false
                               << QStringList{QString::fromUtf8("1:4:3 1: äö |cat|")};
    QTest::newRow("UTF-16LE file") << Utf16(QStringLiteral("x\r\n\tcat"), true) << false << false
                                   << QStringList{"2:2:3 2: |cat|"};
    QTest::newRow("UTF-16BE file") << Utf16(QStringLiteral("cat"), false) << true << false
                                   << QStringList{"1:1:3 1: |cat|"};
    QTest::newRow("no match") << QByteArray("dog\n") << false << false << QStringList{};
  }
  void search() {
    QFETCH(QByteArray, data);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(QStringList, matches);
    QTemporaryDir d;
    const QString f = d.filePath(QStringLiteral("t.htm"));
    QVERIFY(WriteBytes(f, data));
    TFileResult r;
    TFileSearchSummary s;
    std::atomic<bool> cancel{false};
    QVERIFY(SearchOneFile(f, Find(QStringLiteral("cat"), matchCase, wholeWord), {}, cancel, r, s));
    QCOMPARE(Render(r), matches);
    QCOMPARE(ReadBytes(f), data);
    // The position kept for opening the hit selects exactly the match.
    for (const TFileMatch &m : r.Matches) {
      QCOMPARE(m.Pos.BBegin, (TBufferCoord{m.Column, m.Line}));
      QCOMPARE(m.Pos.BEnd, (TBufferCoord{m.Column + m.Length, m.Line}));
    }
  }

  void scopeOptions_data() {
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("named");
    QTest::addColumn<bool>("projects");
    QTest::addColumn<QString>("activeExt");
    QTest::addColumn<int>("scope");
    QTest::addColumn<QString>("types");
    QTest::newRow("open files with an active page")
        << int(ssOpenFiles) << true << true << "php" << int(ssOpenFiles) << "php";
    QTest::newRow("no named documents: the project")
        << int(ssOpenFiles) << false << true << "" << int(ssProjectFiles) << "htm*,css";
    QTest::newRow("a chosen folder stays chosen")
        << int(ssFolder) << false << true << "" << int(ssFolder) << "htm*";
    QTest::newRow("nothing to search but a folder")
        << int(ssProjectFiles) << false << false << "" << int(ssFolder) << "htm*";
    QTest::newRow("projects gone, documents open")
        << int(ssProjectFiles) << true << false << "css" << int(ssOpenFiles) << "css";
    QTest::newRow("open files without an active page")
        << int(ssOpenFiles) << true << false << "" << int(ssOpenFiles) << "htm*";
  }
  void scopeOptions() {
    QFETCH(int, current);
    QFETCH(bool, named);
    QFETCH(bool, projects);
    QFETCH(QString, activeExt);
    QFETCH(int, scope);
    QFETCH(QString, types);
    const TSearchScopeState s =
        UpdateSearchOptions(TSearchScope(current), named, projects, activeExt, QStringLiteral("htm*,css"));
    QCOMPARE(int(s.Scope), scope);
    QCOMPARE(s.Types, types);
    QCOMPARE(s.OpenFilesEnabled, named);
    QCOMPARE(s.ProjectEnabled, projects);
    QCOMPARE(s.SubFoldersEnabled, scope == ssFolder);
  }

  // A minified page is one long line: every hit keeps its true column, but shows only the part of
  // the line around it (a copy of the whole line per hit would take gigabytes).
  void longLine_data() {
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("replace");
    QTest::newRow("case kept") << true << false;
    QTest::newRow("case ignored") << false << false;
    QTest::newRow("replacing") << true << true;
  }
  void longLine() {
    QFETCH(bool, matchCase);
    QFETCH(bool, replace);
    QTemporaryDir d;
    const QString f = d.filePath(QStringLiteral("min.htm"));
    const int blocks = 3000;
    const QByteArray block = QByteArray(100, 'x') + "cat ";
    QByteArray data = QString::fromUtf8("ä").toUtf8() + block.repeated(blocks) + "\nend";
    QVERIFY(WriteBytes(f, data));
    TFileSearchJob job;
    job.Options = replace ? Replace(QStringLiteral("cat"), QStringLiteral("dog"), false)
                          : Find(QStringLiteral("cat"), matchCase);
    job.Files = {f};
    QList<TFileMatch> matches;
    TFileSearchCallbacks cb;
    cb.FileDone = [&](const TFileResult &r) { matches = r.Matches; };
    std::atomic<bool> cancel{false};
    RunFileSearch(job, cb, cancel);
    QCOMPARE(matches.size(), blocks);
    const QString word = replace ? QStringLiteral("dog") : QStringLiteral("cat");
    for (int k = 0; k < blocks; k += 499) {
      const TFileMatch &m = matches[k];
      QCOMPARE(m.Line, 1);
      QCOMPARE(m.Column, 102 + k * 104);
      QVERIFY(m.LineText.size() <= 2 * 400 + 3);
      QCOMPARE(m.LineText.mid(m.Column - m.LineTextColumn, 3), word);
      QVERIFY(ResultLineText(m).contains(QStringLiteral("x|") + word + QStringLiteral("| x")));
    }
    if (replace)
      QCOMPARE(ReadBytes(f), data.replace("cat", "dog"));
  }

  void resultLineText() {
    TFileMatch m;
    m.Line = 7;
    m.Column = 3;
    m.Length = 10; // runs on into the next line: only the start is marked
    m.LineText = QStringLiteral("\t ab cd ");
    QCOMPARE(ResultLineText(m), QStringLiteral("7: |ab cd"));
  }

  // Replacing without confirmation: the file is rewritten in its own encoding, with its own mark
  // and line breaks, and every byte outside the replaced text is the same.
  void replaceKeepsBytes_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("UTF-8 without mark stays without")
        << QString::fromUtf8("ä cat\ncat\n").toUtf8() << QString::fromUtf8("ä dog\ndog\n").toUtf8();
    QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF\xC3\xA4 cat")
                                     << QByteArray("\xEF\xBB\xBF\xC3\xA4 dog");
    QTest::newRow("ANSI with the unassigned bytes")
        << QByteArray("\x81\x8D\x8F\x90\x9D cat\r\n\xFF") << QByteArray("\x81\x8D\x8F\x90\x9D dog\r\n\xFF");
    QTest::newRow("mixed line breaks, no final break")
        << QByteArray("cat\r\nx\ry\ncat") << QByteArray("dog\r\nx\ry\ndog");
    QTest::newRow("UTF-16LE") << Utf16(QStringLiteral("a\r\ncat"), true)
                              << Utf16(QStringLiteral("a\r\ndog"), true);
    QTest::newRow("UTF-16BE") << Utf16(QStringLiteral("cat\n"), false)
                              << Utf16(QStringLiteral("dog\n"), false);
    QTest::newRow("bytes that looked like UTF-8 but are not")
        << QByteArray("\xC3\xA4 cat \xE9") << QByteArray("\xC3\xA4 dog \xE9");
  }
  void replaceKeepsBytes() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QTemporaryDir d;
    const QString f = d.filePath(QStringLiteral("t.htm"));
    QVERIFY(WriteBytes(f, before));
    TFileSearchJob job;
    job.Options = Replace(QStringLiteral("cat"), QStringLiteral("dog"), false);
    job.Files = {f};
    std::atomic<bool> cancel{false};
    const TFileSearchSummary s = RunFileSearch(job, {}, cancel);
    QCOMPARE(s.Problems, QList<TFileProblem>{});
    QCOMPARE(s.Rewritten, QStringList{f});
    QCOMPARE(ReadBytes(f), after);
  }

  // The answers of the confirmation, per match: what is written and what is listed.
  void replaceAnswers_data() {
    QTest::addColumn<QString>("answers"); // Y(es), N(o), A(ll in this file), C(ancel), one per question
    QTest::addColumn<QByteArray>("fileA");
    QTest::addColumn<QByteArray>("fileB");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("No to every match writes and lists nothing")
        << "NNNNN" << QByteArray("cat cat\ncat\n") << QByteArray("cat\ncat") << QStringList{} << false;
    QTest::newRow("Yes and No") << "YNNYN" << QByteArray("dog cat\ncat\n") << QByteArray("dog\ncat")
                                << QStringList{"a 1:1:3 1: |dog| cat", "b 1:1:3 1: |dog|"} << false;
    QTest::newRow("All in this file asks again in the next file")
        << "NAYN" << QByteArray("cat dog\ndog\n") << QByteArray("dog\ncat")
        << QStringList{"a 1:5:3 1: cat |dog|", "a 2:1:3 2: |dog|", "b 1:1:3 1: |dog|"} << false;
    QTest::newRow("Cancel drops the current file only")
        << "AYC" << QByteArray("dog dog\ndog\n") << QByteArray("cat\ncat")
        << QStringList{"a 1:1:3 1: |dog| cat", "a 1:5:3 1: dog |dog|", "a 2:1:3 2: |dog|"} << true;
  }
  void replaceAnswers() {
    QFETCH(QString, answers);
    QFETCH(QByteArray, fileA);
    QFETCH(QByteArray, fileB);
    QFETCH(QStringList, listed);
    QFETCH(bool, cancelled);
    QTemporaryDir d;
    const QString a = d.filePath(QStringLiteral("a.htm")), b = d.filePath(QStringLiteral("b.htm"));
    QVERIFY(WriteBytes(a, "cat cat\ncat\n"));
    QVERIFY(WriteBytes(b, "cat\ncat"));
    TFileSearchJob job;
    job.Options = Replace(QStringLiteral("cat"), QStringLiteral("dog"), true);
    job.Files = {a, b};
    int asked = 0;
    QStringList got, questions;
    TFileSearchCallbacks cb;
    cb.Decide = [&](const TReplaceQuestion &q) {
      questions << QFileInfo(q.FileName).baseName() + u' ' + QString::number(q.Line) + u' ' + q.LineText;
      const QChar c = answers.at(asked++);
      return c == u'Y' ? frYes : c == u'N' ? frNo : c == u'A' ? frAllInFile : frCancel;
    };
    cb.FileDone = [&](const TFileResult &r) {
      for (const QString &m : Render(r))
        got << QFileInfo(r.FileName).baseName() + u' ' + m;
    };
    std::atomic<bool> cancel{false};
    const TFileSearchSummary s = RunFileSearch(job, cb, cancel);
    QCOMPARE(asked, answers.size());
    QCOMPARE(got, listed);
    QCOMPARE(s.Cancelled, cancelled);
    QCOMPARE(ReadBytes(a), fileA);
    QCOMPARE(ReadBytes(b), fileB);
    // The question shows the line as it stands, with the replacements made so far.
    if (answers.startsWith(QLatin1String("YN")))
      QCOMPARE(questions.value(1), QStringLiteral("a 1 dog cat"));
  }

  // Files that must not be rewritten: each is reported and keeps every byte.
  void leftUnchanged_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("kind"); // binary, problem
    QTest::newRow("NUL bytes") << QByteArray("cat\0cat", 7) << "dog"
                               << "binary";
    QTest::newRow("replacement outside Windows-1252")
        << QByteArray("\xE9 cat") << QString::fromUtf8("ő") << "problem";
    QTest::newRow("UTF-16 with a lone surrogate") << QByteArray("\xFF\xFE"
                                                                "c\0a\0t\0\x00\xD8",
                                                                10)
                                                  << "dog"
                                                  << "problem";
  }
  void leftUnchanged() {
    QFETCH(QByteArray, data);
    QFETCH(QString, replacement);
    QFETCH(QString, kind);
    QTemporaryDir d;
    const QString f = d.filePath(QStringLiteral("t.htm"));
    QVERIFY(WriteBytes(f, data));
    TFileSearchJob job;
    job.Options = Replace(QStringLiteral("cat"), replacement, false);
    job.Files = {f};
    std::atomic<bool> cancel{false};
    int listed = 0;
    TFileSearchCallbacks cb;
    cb.FileDone = [&](const TFileResult &) { ++listed; };
    const TFileSearchSummary s = RunFileSearch(job, cb, cancel);
    QCOMPARE(ReadBytes(f), data);
    QCOMPARE(s.Rewritten, QStringList{});
    QCOMPARE(listed, 0);
    if (kind == QLatin1String("binary")) {
      QCOMPARE(s.BinaryFiles, QStringList{f});
      QVERIFY(s.Problems.isEmpty());
    } else {
      QCOMPARE(s.Problems.size(), 1);
      QCOMPARE(s.Problems[0].FileName, f);
    }
  }

  void changedOnDiskOrUnwritable() {
    QTemporaryDir d;
    const QString f = d.filePath(QStringLiteral("t.htm"));
    QVERIFY(WriteBytes(f, "cat cat"));
    TFileSearchJob job;
    job.Options = Replace(QStringLiteral("cat"), QStringLiteral("dog"), true);
    job.Files = {f};
    TFileSearchCallbacks cb;
    // Another program saves the file while the question is open.
    cb.Decide = [&](const TReplaceQuestion &) {
      WriteBytes(f, "newer text");
      return frAllInFile;
    };
    std::atomic<bool> cancel{false};
    TFileSearchSummary s = RunFileSearch(job, cb, cancel);
    QCOMPARE(ReadBytes(f), QByteArray("newer text"));
    QCOMPARE(s.Problems.size(), 1);

    QVERIFY(WriteBytes(f, "cat"));
    job.Options.Confirm = false;
    SetSimulatedWriteError(ENOSPC);
    s = RunFileSearch(job, {}, cancel);
    SetSimulatedWriteError(0);
    QCOMPARE(ReadBytes(f), QByteArray("cat"));
    QCOMPARE(s.Problems.size(), 1);
    QVERIFY(s.Problems[0].Message.contains(QString::fromLocal8Bit(strerror(ENOSPC))));
  }

  void missingFolderAndFiles() {
    QTemporaryDir d;
    TFileSearchJob job;
    job.Options = Find(QStringLiteral("x"));
    job.Folder = d.filePath(QStringLiteral("none"));
    job.Files = {d.filePath(QStringLiteral("gone.htm"))};
    std::atomic<bool> cancel{false};
    const TFileSearchSummary s = RunFileSearch(job, {}, cancel);
    QCOMPARE(s.Problems.size(), 1); // the folder; a vanished file is skipped quietly
    QVERIFY(s.Problems[0].Message.contains(job.Folder));
    QCOMPARE(SearchStatusText(s), QStringLiteral("Found no matches"));
  }

  void cancelFlag() {
    QTemporaryDir d;
    const QString f = d.filePath(QStringLiteral("t.htm"));
    QVERIFY(WriteBytes(f, "cat"));
    std::atomic<bool> cancel{true};
    TFileResult r;
    TFileSearchSummary s;
    for (const TFileSearchOptions &o : {Find(QStringLiteral("cat")), Find(QStringLiteral("cat"), false)})
      QVERIFY(!SearchOneFile(f, o, {}, cancel, r, s));
  }

  // The worker thread: questions are asked on the owning thread, and Cancel ends a run that waits
  // for an answer.
  void runner() {
    QTemporaryDir d;
    for (int i = 0; i < 5; ++i)
      QVERIFY(WriteBytes(d.filePath(QStringLiteral("f%1.htm").arg(i)), "cat\n"));
    TFileSearchJob job;
    job.Options = Replace(QStringLiteral("cat"), QStringLiteral("dog"), true);
    job.Folder = d.path();
    job.Types = QStringLiteral("htm");
    TFileSearchRunner runner;
    QSignalSpy finished(&runner, &TFileSearchRunner::Finished);
    QSignalSpy found(&runner, &TFileSearchRunner::FileDone);
    QSignalSpy progress(&runner, &TFileSearchRunner::Progress);
    int asked = 0;
    bool onOwner = true;
    runner.SetDecider([&](const TReplaceQuestion &) {
      onOwner = onOwner && QThread::currentThread() == thread();
      if (++asked == 3) {
        runner.Cancel();
        return frYes; // too late: the run is cancelled
      }
      return frYes;
    });
    QVERIFY(runner.Start(job));
    QVERIFY(!runner.Start(job));
    QTRY_VERIFY_WITH_TIMEOUT(finished.count() > 0, 20000); // the worker may be done before we wait
    QVERIFY(onOwner);
    const auto s = finished.at(0).at(0).value<TFileSearchSummary>();
    QVERIFY(s.Cancelled);
    QCOMPARE(s.Rewritten.size(), 2);
    QCOMPARE(found.size(), 2);
    QVERIFY(progress.size() >= 1);
    QCOMPARE(ReadBytes(d.filePath(QStringLiteral("f2.htm"))), QByteArray("cat\n"));
    QVERIFY(!runner.IsRunning());

    // Destroyed while a question waits in the queue: the worker ends, nothing more is written.
    auto late = std::make_unique<TFileSearchRunner>();
    QVERIFY(late->Start(job));
    late.reset();
    QCOMPARE(ReadBytes(d.filePath(QStringLiteral("f2.htm"))), QByteArray("cat\n"));
  }

  // Files are read on several threads, yet reported in the order of the list, each exactly once,
  // also when there are more of them than results may wait.
  void manyFilesInOrder() {
    QTemporaryDir d;
    QStringList expected;
    for (int i = 0; i < 700; ++i) {
      const QString f = d.filePath(QStringLiteral("p%1.htm").arg(i, 4, 10, QLatin1Char('0')));
      QVERIFY(WriteBytes(f, i % 3 ? QByteArray("x\ncat\n") : QByteArray("none\n")));
      if (i % 3)
        expected << f;
    }
    QVERIFY(WriteBytes(d.filePath(QStringLiteral("p0500.htm")), QByteArray("cat\0", 4)));
    expected.removeOne(d.filePath(QStringLiteral("p0500.htm")));
    TFileSearchJob job;
    job.Options = Find(QStringLiteral("cat"));
    job.Folder = d.path();
    QStringList got;
    int lastProgress = -1;
    bool progressInOrder = true;
    TFileSearchCallbacks cb;
    cb.Progress = [&](int index, int, const QString &) {
      progressInOrder = progressInOrder && index == lastProgress + 1;
      lastProgress = index;
    };
    cb.FileDone = [&](const TFileResult &r) {
      QCOMPARE(r.Matches.size(), 1);
      got << r.FileName;
    };
    std::atomic<bool> cancel{false};
    const TFileSearchSummary s = RunFileSearch(job, cb, cancel);
    QCOMPARE(got, expected);
    QVERIFY(progressInOrder);
    QCOMPARE(lastProgress, 699);
    QCOMPARE(s.FilesSearched, 699);
    QCOMPARE(s.BinaryFiles, QStringList{d.filePath(QStringLiteral("p0500.htm"))});
    QCOMPARE(SearchStatusText(s), QStringLiteral("%1 matches found in\r\n%1 file(s)!").arg(expected.size()));
  }

  // The same lines as grep over a generated tree: plain, whole words and ignoring case.
  void sameAsGrep_data() {
    QTest::addColumn<QString>("grepOption");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::newRow("literal") << "" << true << false;
    QTest::newRow("whole words") << "-w" << true << true;
    QTest::newRow("ignoring case") << "-i" << false << false;
  }
  void sameAsGrep() {
    QFETCH(QString, grepOption);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QTemporaryDir d;
    QRandomGenerator rng(11);
    const QStringList words{"alpha", "Beta", "beta", "betamax", "_beta", "gamma", "<p>", "x-beta", "BETA"};
    for (int f = 0; f < 40; ++f) {
      QByteArray text;
      const int lines = rng.bounded(1, 60);
      for (int l = 0; l < lines; ++l) {
        const int n = rng.bounded(0, 9);
        for (int w = 0; w < n; ++w)
          text += words[rng.bounded(int(words.size()))].toLatin1() + ' ';
        text += (f % 3 == 0) ? "\r\n" : "\n";
      }
      QVERIFY(WriteBytes(d.filePath(QStringLiteral("s%1/p%2.html").arg(f % 4).arg(f)), text));
    }
    TFileSearchJob job;
    job.Options = Find(QStringLiteral("beta"), matchCase, wholeWord);
    job.Folder = d.path();
    job.SubFolders = true;
    QSet<QString> ours;
    TFileSearchCallbacks cb;
    cb.FileDone = [&](const TFileResult &r) {
      for (const TFileMatch &m : r.Matches)
        ours.insert(r.FileName + u':' + QString::number(m.Line) + u':' + m.LineText);
    };
    std::atomic<bool> cancel{false};
    RunFileSearch(job, cb, cancel);

    QProcess grep;
    QStringList args{QStringLiteral("-rnF")};
    if (!grepOption.isEmpty())
      args << grepOption;
    grep.start(QStringLiteral("grep"), args << QStringLiteral("beta") << d.path());
    QVERIFY(grep.waitForFinished(60000));
    QSet<QString> theirs;
    for (QString line : QString::fromUtf8(grep.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
      if (line.endsWith(u'\r'))
        line.chop(1);
      theirs.insert(line);
    }
    QVERIFY(theirs.size() > 50);
    QCOMPARE(ours, theirs);
  }
};

QTEST_GUILESS_MAIN(TstAppFileSearch)
#include "tst_app_filesearch.moc"
