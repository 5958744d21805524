// Local anchors: the reader's rules and positions, sorting, the anchor list file byte for byte,
// and the link check over a small site.
#include "core/app/Anchors.h"
#include "core/app/FileSearchRunner.h"
#include "core/app/LinkCheck.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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
QStringList Texts(const QList<TAnchorEntry> &l) {
  QStringList out;
  for (const TAnchorEntry &e : l)
    out << e.Text();
  return out;
}
TAnchorEntry Entry(const QString &name, int line, const QString &text) {
  TAnchorEntry e;
  e.Name = name;
  e.Pos.BBegin.Line = line;
  e.LinkText = text;
  return e;
}
} // namespace

class TstAppAnchors : public QObject {
  Q_OBJECT

private slots:
  void readAnchors_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("plain") << "<p>\n<a name=\"top\">Back to the top</a>"
                           << QStringList{"|top| (2): Back to the top"};
    QTest::newRow("capitals: found, text only from a lower-case end tag")
        << "<A NAME=\"Up\">Up</A> x</a>" << QStringList{"|Up| (1): Up x"};
    QTest::newRow("blanks and tabs before name, name trimmed")
        << "<a \t name=\" n \">t</a>" << QStringList{"|n| (1): t"};
    QTest::newRow("another attribute first: no anchor") << "<a href=\"#x\" name=\"x\">x</a>" << QStringList{};
    QTest::newRow("line break before name: no anchor") << "<a\nname=\"x\">x</a>" << QStringList{};
    QTest::newRow("area and abbr are no anchors") << "<area name=\"m\"><abbr name=\"b\">" << QStringList{};
    QTest::newRow("no closing quote: skipped, search goes on")
        << "<a name=\"a\">A</a><a name=\"b" << QStringList{"|a| (1): A"};
    QTest::newRow("no > after the name: skipped")
        << "<a name=\"a\">A</a> <a name=\"b\"" << QStringList{"|a| (1): A"};
    QTest::newRow("markup inside the link text")
        << "<a name=\"t\"><b>Top</b></a>" << QStringList{"|t| (1): Top"};
    QTest::newRow("line breaks and no-break spaces in the text")
        << QStringLiteral("<a name=\"t\">one\r\ntwo\u00A0three\nfour</a>")
        << QStringList{"|t| (1): one two threefour"};
    QTest::newRow("no end tag: empty text") << "<a name=\"t\">text" << QStringList{"|t| (1): "};
    QTest::newRow("several, in text order")
        << "<a name=\"b\">B</a>\r\n<a name=\"A\">a</a>\r<a name=\"c\"></a>"
        << QStringList{"|b| (1): B", "|A| (2): a", "|c| (3): "};
  }
  void readAnchors() {
    QFETCH(QString, text);
    QFETCH(QStringList, entries);
    QList<TAnchorEntry> l;
    ReadAnchors(text, l);
    QCOMPARE(Texts(l), entries);
  }

  void positions() {
    QList<TAnchorEntry> l;
    ReadAnchors(QStringLiteral("x\r\n  <a name=\"ab\"\n id=\"q\">T</a>"), l);
    QCOMPARE(l.size(), 1);
    QCOMPARE(l[0].Pos.BBegin, (TBufferCoord{12, 2}));
    QCOMPARE(l[0].Pos.BEnd, (TBufferCoord{7, 3})); // the character before ">"
    QCOMPARE(l[0].Pos.FSpaces, 0);
    QCOMPARE(AnchorNameOfEntry(l[0].Text()), QStringLiteral("ab"));
  }

  void sorting() {
    const QString text = QStringLiteral("<a name=\"b\"></a><a name=\"A\"></a><a name=\"c\"></a>");
    QList<TAnchorEntry> sorted, byLine;
    ReadAnchors(text, sorted, true);
    QCOMPARE(Texts(sorted), (QStringList{"|A| (1): ", "|b| (1): ", "|c| (1): "}));
    ReadAnchors(text, byLine);
    SortAnchorsByName(byLine);
    QCOMPARE(Texts(byLine), Texts(sorted));
  }

  void fromFile_data() {
    QTest::addColumn<QByteArray>("data");
    QByteArray utf16("\xFF\xFE");
    for (const char c : QByteArray("<a name=\"\xE9\">x</a>"))
      utf16 += QByteArray(1, c) + '\0';
    QTest::newRow("UTF-16LE") << utf16;
    QTest::newRow("ANSI") << QByteArray("<a name=\"\xE9\">x</a>");
  }
  void fromFile() {
    QFETCH(QByteArray, data);
    QTemporaryDir d;
    const QString f = d.filePath(QStringLiteral("p.htm"));
    QVERIFY(WriteBytes(f, data));
    QList<TAnchorEntry> l;
    QVERIFY(ReadAnchorsFromFile(f, l));
    QCOMPARE(Texts(l), QStringList{QString::fromUtf8("|é| (1): x")});
    QString error;
    QVERIFY(!ReadAnchorsFromFile(d.filePath(QStringLiteral("none.htm")), l, false, &error));
    QVERIFY(!error.isEmpty());
  }

  void exportFile() {
    const QList<TAnchorFile> one{{QStringLiteral("index.html"), {Entry("top", 12, "Back to the top")}}};
    QCOMPARE(
        AnchorExportBytes(QStringLiteral("Demo"), QStringLiteral("C:\\Web\\Demo\\"), one),
        QByteArray("Project: Demo\r\n=============\r\nDirectory: C:\\Web\\Demo\\\r\n\r\nLocal anchors:\r\n"
                   "--------------\r\n  File: index.html\r\n    -> top (12): Back to the top\r\n"));
    const QList<TAnchorFile> two{
        {QStringLiteral("a.htm"), {Entry(QString::fromUtf8("é|x"), 1, "t"), Entry("b", 2, "")}},
        {QStringLiteral("../o.htm"), {Entry(QString::fromUtf8("ő"), 3, QString::fromUtf8("€"))}}};
    qsizetype bad = -1;
    const QByteArray bytes = AnchorExportBytes(QString::fromUtf8("Ünï"), QStringLiteral("/w/"), two, &bad);
    QCOMPARE(bytes,
             QByteArray("Project: \xDCn\xEF\r\n============\r\nDirectory: /w/\r\n\r\nLocal anchors:\r\n"
                        "--------------\r\n  File: a.htm\r\n    -> \xE9x (1): t\r\n    -> b (2): \r\n\r\n"
                        "  File: ../o.htm\r\n    -> ? (3): \x80\r\n"));
    QCOMPARE(bad, 1);
    QTemporaryDir d;
    const QString f = d.filePath(QStringLiteral("anchors.txt"));
    QString error;
    QVERIFY2(WriteAnchorExport(f, QString::fromUtf8("Ünï"), QStringLiteral("/w/"), two, &error),
             qPrintable(error));
    QCOMPARE(ReadBytes(f), bytes);
  }

  void collect() {
    QTemporaryDir d;
    QVERIFY(WriteBytes(d.filePath("site/b.htm"), "<a name=\"z\">Z</a><a name=\"y\">Y</a>"));
    QVERIFY(WriteBytes(d.filePath("site/none.htm"), "<p>no anchors</p>"));
    QVERIFY(WriteBytes(d.filePath("other/a.htm"), "<a name=\"x\">X</a>"));
    const QStringList files{d.filePath("site/b.htm"), d.filePath("site/gone.htm"),
                            d.filePath("site/none.htm"), d.filePath("other/a.htm")};
    int steps = 0;
    const QList<TAnchorFile> got =
        CollectAnchors(files, d.filePath("site"), true, [&](int, int) { ++steps; });
    QCOMPARE(steps, 4);
    QCOMPARE(got.size(), 2);
    QCOMPARE(got[0].Name, QStringLiteral("b.htm"));
    QCOMPARE(Texts(got[0].Entries), (QStringList{"|y| (1): Y", "|z| (1): Z"}));
    QCOMPARE(got[1].Name, QStringLiteral("../other/a.htm"));
  }

  void namesAndStatus() {
    QCOMPARE(AnchorFileNodeName(QStringLiteral("/w/site/sub/a.htm"), QStringLiteral("/w/site/")),
             QStringLiteral("sub/a.htm"));
    QCOMPARE(AnchorFileNodeName(QStringLiteral("/w/other/a.htm"), QStringLiteral("/w/site")),
             QStringLiteral("../other/a.htm"));
    QCOMPARE(AnchorStatusText({}), QStringLiteral("Found no anchors"));
    QCOMPARE(AnchorStatusText({{"a", {Entry("x", 1, ""), Entry("y", 2, "")}}, {"b", {}}}),
             QStringLiteral("2 anchor(s) found in 1 file(s)!"));
  }

  // A small site with one link of each kind; the broken ones are listed with page, line, column
  // and the value as written.
  void checkLinks_data() {
    QTest::addColumn<int>("caseMode");
    QTest::addColumn<QStringList>("broken");
    // sub/Page.html is read first (subfolders come first); its links to anchors of index.html and
    // page.html are checked once those pages have been read.
    QTest::newRow("names as they are")
        << int(tcNone)
        << QStringList{"sub/Page.html 2:10 ../Index.html file", "sub/Page.html 3:10 ../page.html#gone anchor",
                       "index.html 3:10 missing.html file",     "index.html 4:10 page.html#nowhere anchor",
                       "index.html 5:10 #self-missing anchor",  "index.html 9:11 img/none.png file",
                       "index.html 11:10 /sub/gone.htm file"};
    QTest::newRow("published in lower case")
        << int(tcLower)
        << QStringList{
               "sub/Page.html 2:10 ../Index.html file",    "sub/Page.html 3:10 ../page.html#gone anchor",
               "index.html 3:10 missing.html file",        "index.html 4:10 page.html#nowhere anchor",
               "index.html 5:10 #self-missing anchor",     "index.html 9:11 img/none.png file",
               "index.html 10:10 /sub/Page.html#top file", "index.html 11:10 /sub/gone.htm file",
               "index.html 12:10 sub/Page.html file"};
  }
  void checkLinks() {
    QFETCH(int, caseMode);
    QFETCH(QStringList, broken);
    QTemporaryDir d;
    const QString root = d.path();
    QVERIFY(WriteBytes(
        root + "/index.html",
        "<html><body id=\"body\">\n"
        "<a href=\"page.html\">ok</a> <a name=\"here\"></a>\n"
        "<a href=\"missing.html\">x</a>\n"
        "<a href=\"page.html#nowhere\">x</a> <a href='page.html#sec'>ok</a>\n"
        "<a href=\"#self-missing\">x</a> <a href=\"#here\"></a> <a href=#body>ok</a> <a href=\"#\">\n"
        "<a href=\"http://example.com/none.html\"></a> <a href=\"mailto:x@y\"></a> <a href=\"//cdn/x.js\">\n"
        "<!-- <a href=\"commented.html\"> --> <script>var s = '<a href=\"script.html\">';</script>\n"
        "<a href=\"page.html?x=1&amp;y=2#sec\">ok</a> <a href=\"my%20file.htm\">ok</a>\n"
        "<img src=\"img/none.png\"> <img SRC=\"img/logo.png\">\n"
        "<a href=\"/sub/Page.html#top\">ok</a> <a href=\"sub/\">folder</a>\n"
        "<a href=\"/sub/gone.htm\">x</a>\n"
        "<a href=\"sub/Page.html\">case</a>\n"
        "<a name=\"later\"></a>\n"));
    QVERIFY(WriteBytes(root + "/page.html", "<h2 id=\"sec\">S</h2>"));
    QVERIFY(WriteBytes(root + "/my file.htm", ""));
    QVERIFY(WriteBytes(root + "/img/logo.png", "png"));
    QVERIFY(WriteBytes(root + "/sub/Page.html", "<a href=\"../index.html#later\">x</a>\n"
                                                "<a href=\"../Index.html\">x</a>\n"
                                                "<a href=\"../page.html#gone\">x</a>\n"));
    TLinkCheckJob job;
    job.Folder = root;
    job.CaseMode = TTextChange(caseMode);
    std::atomic<bool> cancel{false};
    int reported = 0;
    const TLinkCheckSummary s = CheckLinks(
        job, [&](int, int, const QString &) { ++reported; }, cancel);
    QStringList got;
    for (const TBrokenLink &b : s.Broken)
      got << QDir(root).relativeFilePath(b.FileName) + u' ' + QString::number(b.Match.Line) + u':' +
                 QString::number(b.Match.Column) + u' ' + b.Link + u' ' +
                 (b.Fault == lfMissingFile ? QStringLiteral("file") : QStringLiteral("anchor"));
    QCOMPARE(got, broken);
    QCOMPARE(s.FilesChecked, 4);
    QCOMPARE(reported, 4);
    QVERIFY(s.Problems.isEmpty());

    // The same on the worker thread.
    TFileSearchRunner runner;
    QSignalSpy done(&runner, &TFileSearchRunner::LinksChecked);
    QVERIFY(runner.StartLinkCheck(job));
    QTRY_VERIFY_WITH_TIMEOUT(done.count() > 0, 20000); // the worker may be done before we wait
    QCOMPARE(done.at(0).at(0).value<TLinkCheckSummary>().Broken.size(), broken.size());
  }
};

QTEST_GUILESS_MAIN(TstAppAnchors)
#include "tst_app_anchors.moc"
