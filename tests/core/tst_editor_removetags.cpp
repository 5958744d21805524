// Removing tags without a window: the line rules of the closing tags, references, white space,
// wrapping, and a second run over the result changing nothing.
#include "core/editor/Entities.h"
#include "core/editor/RemoveTags.h"

#include <QtTest>

namespace {
TEntityTable &Table() {
  static TEntityTable t = [] {
    TEntityTable table;
    table.LoadFromText(QStringLiteral("##ISO Latin-1\nno-break space|&nbsp;|160\nlatin small letter a with "
                                      "diaeresis|&auml;|228\n#Other\nampersand|&amp;|38\nless-than sign|&lt;|60\n"
                                      "greater-than sign|&gt;|62\neuro sign|&euro;|8364\n"));
    return table;
  }();
  return t;
}

QStringList Run(const QString &text, const TRemoveTagsOptions &o, bool markup = true) {
  return RemoveTags(text, o, [](const QString &name) { return Table().GetUnicodeChar(name); }, markup);
}

TRemoveTagsOptions NoWrap() {
  TRemoveTagsOptions o;
  o.Wrap = false;
  return o;
}
} // namespace

class TstEditorRemoveTags : public QObject {
  Q_OBJECT
private slots:
  void lineRules_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("flags"); // options switched off, one letter each
    QTest::addColumn<QStringList>("lines");
    const QStringList oneTwo{QStringLiteral("One"), QString(), QStringLiteral("Two")};
    QTest::newRow("paragraphs with an empty line") << "<p>One</p>\r\n<p>Two</p>" << "" << oneTwo;
    QTest::newRow("paragraph without the empty line")
        << "<p>One</p><p>Two</p>" << "x" << QStringList{QStringLiteral("One"), QStringLiteral("Two")};
    QTest::newRow("paragraphs off") << "<p>One</p><p>Two</p>" << "p" << QStringList{QStringLiteral("OneTwo")};
    QTest::newRow("pre counts as p") << "<PRE>One</PRE>Two" << "" << oneTwo;
    QTest::newRow("br in any case") << "One<BR>Two<br/>Three" << ""
                                    << QStringList{QStringLiteral("One"), QStringLiteral("Two"),
                                                   QStringLiteral("Three")};
    QTest::newRow("br off") << "One<br>Two" << "b" << QStringList{QStringLiteral("OneTwo")};
    QTest::newRow("list items") << "<ul><li>a</li><li>b</li></ul><dl><dt>c</dt><dd>d</dd></dl>" << ""
                                << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                               QStringLiteral("d")};
    QTest::newRow("lists off") << "<li>a</li><li>b</li>" << "l" << QStringList{QStringLiteral("ab")};
    QTest::newRow("table cells") << "<tr><td>a</td><td>b</td></tr>" << ""
                                 << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("h1 to h9 end lines") << "<h1>a</h1>b</h7>c</H9>d" << ""
                                        << QStringList{QStringLiteral("a"), QStringLiteral("b"),
                                                       QStringLiteral("c"), QStringLiteral("d")};
    QTest::newRow("header element does not") << "<header>a</header>b" << "" << QStringList{QStringLiteral("ab")};
    QTest::newRow("headlines off") << "<h1>a</h1>b" << "h" << QStringList{QStringLiteral("ab")};
    QTest::newRow("source line breaks are blanks") << "One\r\ntwo\nthree\rfour" << ""
                                                   << QStringList{QStringLiteral("One two three four")};
    QTest::newRow("less-than in running text drops to the next >") << "a < b and c > d" << ""
                                                                    << QStringList{QStringLiteral("a d")};
    QTest::newRow("blanks and tabs collapse, ends trimmed") << "  <p> a \t\t b </p>  " << ""
                                                             << QStringList{QStringLiteral("a b")};
    QTest::newRow("cells trimmed") << "<td> a </td> <td> b </td>" << ""
                                   << QStringList{QStringLiteral("a"), QStringLiteral("b")};
  }
  void lineRules() {
    QFETCH(QString, html);
    QFETCH(QString, flags);
    QFETCH(QStringList, lines);
    TRemoveTagsOptions o = NoWrap();
    o.UseParagraph = !flags.contains(u'p');
    o.ExtraLine = !flags.contains(u'x');
    o.UseNewline = !flags.contains(u'b');
    o.UseListLine = !flags.contains(u'l');
    o.UseHeadLine = !flags.contains(u'h');
    QCOMPARE(Run(html, o), lines);
  }

  void references_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("text");
    QTest::newRow("listed") << "Tom &amp; Jerry &lt;b&gt; &euro;5" << "Tom & Jerry <b> \u20AC5";
    QTest::newRow("no-break space is a blank, collapsed") << "a&nbsp;&nbsp; b" << "a b";
    QTest::newRow("case matters") << "&auml;&Auml;" << "\u00E4&Auml;";
    QTest::newRow("unlisted stays") << "&bogus; &amp" << "&bogus; &amp";
    QTest::newRow("more than eight between") << "&abcdefghi;" << "&abcdefghi;";
    QTest::newRow("numeric") << "caf&#233; &#x20AC; &#128512;" << QStringLiteral("caf\u00E9 \u20AC ") + QChar(0xD83D) + QChar(0xDE00);
    QTest::newRow("numeric control characters stay") << "a&#10;b&#0;" << "a&#10;b&#0;";
    QTest::newRow("ampersand before a reference") << "&&amp;" << "&&";
    QTest::newRow("decoded < is text, not a tag") << "&lt;p&gt;x" << "<p>x";
  }
  void references() {
    QFETCH(QString, html);
    QFETCH(QString, text);
    QCOMPARE(Run(html, NoWrap()), QStringList{text});
  }

  void wrapping_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("length");
    QTest::addColumn<QStringList>("lines");
    const QString word100(100, u'x');
    QTest::newRow("one long word stands alone") << word100 << 80 << QStringList{word100};
    QTest::newRow("long word after a short one")
        << QStringLiteral("ab ") + word100 + QStringLiteral(" cd") << 80 << QStringList{QStringLiteral("ab"), word100, QStringLiteral("cd")};
    // "aaaaaaaaa " is 10 long: a word of 9 keeps the line below 20, a word of 10 does not.
    QTest::newRow("length minus one fits") << "aaaaaaaaa bbbbbbbbb c" << 20
                                           << QStringList{QStringLiteral("aaaaaaaaa bbbbbbbbb"), QStringLiteral("c")};
    QTest::newRow("reaching the length breaks") << "aaaaaaaaa bbbbbbbbbb c" << 20
                                                << QStringList{QStringLiteral("aaaaaaaaa"), QStringLiteral("bbbbbbbbbb c")};
    QTest::newRow("too small a length is raised to 20") << "aaaaaaaaa bbbbbbbb" << 5
                                                        << QStringList{QStringLiteral("aaaaaaaaa bbbbbbbb")};
    QTest::newRow("empty paragraphs stay") << "<p>One</p><p>Two</p>" << 80
                                           << QStringList{QStringLiteral("One"), QString(), QStringLiteral("Two")};
  }
  void wrapping() {
    QFETCH(QString, text);
    QFETCH(int, length);
    QFETCH(QStringList, lines);
    TRemoveTagsOptions o;
    o.LineLength = length;
    const QStringList r = Run(text, o);
    QCOMPARE(r, lines);
    for (const QString &l : r)
      QVERIFY(l.size() < std::max(length, 20) || !l.contains(u' '));
  }

  void nothingLeft_data() {
    QTest::addColumn<QString>("html");
    QTest::newRow("empty") << "";
    QTest::newRow("only tags") << "<html><body>  <p> </p>\r\n</body></html>";
    QTest::newRow("only no-break spaces") << "<p>&nbsp;</p>";
    QTest::newRow("unclosed tag") << "<p class=x";
  }
  void nothingLeft() {
    QFETCH(QString, html);
    QVERIFY(Run(html, TRemoveTagsOptions()).isEmpty());
  }

  // The result is plain text: a second run over it (as a text document) gives the same lines,
  // also where the page held "&amp;lt;" or long words.
  void secondRunChangesNothing() {
    const QString page = QStringLiteral(
        "<html><head><style>p { }</style></head><body>\r\n<h1>Heading &amp; more</h1>\r\n"
        "<p>The first paragraph has a good many words in it, so that it needs to be wrapped onto more "
        "than one line of text at the chosen length.</p>\r\n<p>Write &amp;lt;p&amp;gt; for a paragraph; "
        "a &lt;b&gt; tag.</p><ul><li>one</li><li>two</li></ul>\r\n<table><tr><td>cell</td></tr></table>"
        "<p>averyveryveryveryveryveryveryveryveryveryveryveryveryveryveryveryveryveryveryveryverylongword "
        "x</p></body></html>\r\n");
    for (const bool wrap : {true, false}) {
      TRemoveTagsOptions o;
      o.Wrap = wrap;
      o.LineLength = 40;
      const QStringList first = Run(page, o);
      QVERIFY(!first.isEmpty());
      // Only markup goes: the text of a style element stays, as it would in a browser without styles.
      QCOMPARE(first.first(), QStringLiteral("p { } Heading & more"));
      const QStringList second = Run(first.join(u'\n') + u'\n', o, false);
      QCOMPARE(second, first);
      QCOMPARE(Run(first.join(QStringLiteral("\r\n")), o, false), first);
    }
  }
};

QTEST_GUILESS_MAIN(TstEditorRemoveTags)
#include "tst_editor_removetags.moc"
