// Entities and the text conversions without an editor: the shipped entity tables against the
// HTML standard's list, reading entity files, entities <-> characters, tag case, reflowing,
// JavaScript text, the mail address cipher and the tag parts of "Edit tag".
#include "core/editor/Conversions.h"
#include "core/editor/Entities.h"
#include "core/editor/TagMark.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString DataDir = QStringLiteral(TEST_SOURCE_DIR "/data/");

// The named character references of the HTML standard, as Python lists them: name (with ";")
// -> code points.
QHash<QString, QList<int>> StandardEntities() {
  QProcess py;
  py.start(QStringLiteral("/usr/bin/python3"),
           {QStringLiteral("-c"),
            QStringLiteral(
                "import html.entities, json; "
                "print(json.dumps({k: [ord(c) for c in v] for k, v in html.entities.html5.items()}))")});
  if (!py.waitForFinished(30000) || py.exitCode() != 0)
    return {};
  const QJsonObject o = QJsonDocument::fromJson(py.readAllStandardOutput()).object();
  QHash<QString, QList<int>> result;
  for (auto it = o.begin(); it != o.end(); ++it) {
    QList<int> codes;
    for (const QJsonValue &v : it.value().toArray())
      codes << v.toInt();
    result.insert(it.key(), codes);
  }
  return result;
}

TEntityTable Table(const QString &text) {
  TEntityTable t;
  t.LoadFromText(text);
  return t;
}

// Everything but white space, in order: what reflowing must keep.
QString Ink(const QString &s) {
  return QString(s).remove(QRegularExpression(QStringLiteral("\\s")));
}
} // namespace

class TstEditorEntities : public QObject {
  Q_OBJECT
  QHash<QString, QList<int>> FStandard;

private slots:
  void initTestCase() {
    FStandard = StandardEntities();
    QVERIFY2(FStandard.size() > 2000, "python3 html.entities is needed as the independent list");
  }

  // --- The shipped tables ---------------------------------------------------------------------

  void shippedTable_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("english") << "html-codes.txt";
    QTest::newRow("german") << "html-codes-de.txt";
    QTest::newRow("hungarian") << "html-codes-hu.txt";
  }
  void shippedTable() {
    QFETCH(QString, file);
    TEntityTable t;
    QCOMPARE(t.LoadCharList(DataDir, file, QString()), DataDir + file);
    QCOMPARE(t.Rejected(), 0);
    QVERIFY(t.Groups().size() >= 6);
    int entries = 0;
    QSet<QString> names;
    for (const THtmlCharGroup &g : t.Groups()) {
      QVERIFY2(!g.FGroupName.isEmpty(), qPrintable(file));
      QVERIFY(g.FCount() > 0);
      for (const THtmlChar &c : g.FChars) {
        ++entries;
        const QString where = file + u' ' + g.FGroupName + u' ' + c.Name;
        QVERIFY2(!c.Desc.trimmed().isEmpty(), qPrintable(where));
        QVERIFY2(c.Name.startsWith(u'&') && c.Name.endsWith(u';'), qPrintable(where));
        const QList<int> standard = FStandard.value(c.Name.mid(1));
        QVERIFY2(standard.size() == 1, qPrintable(where + QStringLiteral(": not a named reference")));
        QVERIFY2(standard.first() == c.Value,
                 qPrintable(where + QStringLiteral(": %1 instead of %2").arg(c.Value).arg(standard.first())));
        names << c.Name;
      }
    }
    QVERIFY(entries >= 250);
    // The references authors reach for beyond Latin-1.
    for (const char *n : {"&alpha;", "&Omega;", "&sum;", "&infin;", "&ne;", "&rarr;", "&hArr;", "&mdash;",
                          "&hellip;", "&euro;", "&trade;", "&bull;", "&nbsp;", "&amp;", "&lt;"})
      QVERIFY2(names.contains(QLatin1String(n)), n);
    // The conversion group: exactly the named characters of U+00A0..U+00FF, and no markup
    // characters, which would turn "&lt;" in a page into a tag.
    QVERIFY(!t.IsoName().isEmpty());
    for (int code = 0xA0; code <= 0xFF; ++code) {
      const QString name = t.GetHtmlName(code);
      QVERIFY2(!name.isEmpty(), qPrintable(QString::number(code)));
      QCOMPARE(t.GetIsoChar(name), code);
    }
    for (const char *n : {"&amp;", "&lt;", "&gt;", "&quot;"})
      QCOMPARE(t.GetIsoChar(QString::fromLatin1(n)), 0);
    QCOMPARE(t.GetUnicodeChar(QStringLiteral("&amp;")), 38);
  }

  void shippedTablesAgree() {
    // Every language lists the same entities in the same groups; only the texts differ.
    QStringList layouts;
    for (const char *f : {"html-codes.txt", "html-codes-de.txt", "html-codes-hu.txt"}) {
      TEntityTable t;
      t.LoadCharList(DataDir, QLatin1String(f), QString());
      QString layout;
      for (const THtmlCharGroup &g : t.Groups()) {
        layout += QStringLiteral("#%1").arg(g.FCount());
        for (const THtmlChar &c : g.FChars)
          layout += c.Name;
      }
      layouts << layout;
    }
    QCOMPARE(layouts[1], layouts[0]);
    QCOMPARE(layouts[2], layouts[0]);
  }

  // --- Reading entity files ---------------------------------------------------------------------

  void loadCharListFindsTheLanguageFile() {
    QTemporaryDir dir;
    const auto write = [&](const QString &name, const QByteArray &text) {
      QFile f(dir.filePath(name));
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(text);
    };
    write("html-codes.txt", "##Default\nx|&auml;|228\n");
    write("html-codes-de.txt", "\xEF\xBB\xBF##Deutsch\nkleines \xC3\xA4|&auml;|228\n");
    TEntityTable t;
    // The language code comes in any case; the file is found all the same.
    QCOMPARE(t.LoadCharList(dir.path(), "html-codes.txt", "html-codes-DE.txt"),
             dir.filePath("html-codes-de.txt"));
    QCOMPARE(t.IsoName(), QStringLiteral("Deutsch"));
    QCOMPARE(t.Groups().first().FChars.first().Desc, QStringLiteral("kleines ä"));
    QCOMPARE(t.LoadCharList(dir.path(), "html-codes.txt", "html-codes-HU.txt"),
             dir.filePath("html-codes.txt"));
    QCOMPARE(t.IsoName(), QStringLiteral("Default"));
    // No file at all: an empty table that converts nothing.
    QCOMPARE(t.LoadCharList(dir.filePath("none"), "html-codes.txt", "html-codes-de.txt"), QString());
    QVERIFY(t.IsEmpty());
    QCOMPARE(t.EntitiesToChars("K&auml;se"), QStringLiteral("K&auml;se"));
    QCOMPARE(t.CharsToEntities("Käse"), QStringLiteral("Käse"));
  }

  void fileFormat() {
    const TEntityTable t = Table("  #Symbols  \n"
                                 "euro|&euro;|8364\n"
                                 "x\n"       // one character: skipped
                                 "no bars\n" // no "|": empty name, code 0
                                 "bad code|&bad;|abc\n"
                                 "##Latin\n"
                                 "  a umlaut|&auml;|228  \n"
                                 "second auml|&auml2;|228\n"
                                 "#Symbols\n" // a group named again continues it
                                 "pound|&pound;|163\n"
                                 "too big|&big;|1114112\n"
                                 "surrogate|&sur;|55296\n"
                                 "low surrogate|&sur2;|57343\n"
                                 "negative|&neg;|-5\n"
                                 "last plane|&max;|1114111\n");
    QCOMPARE(t.Groups().size(), 2);
    QCOMPARE(t.Groups()[0].FGroupName, QStringLiteral("Symbols"));
    QCOMPARE(t.Groups()[0].FCount(), 5);
    QCOMPARE(t.Groups()[0].FChars[1].Name, QString());
    QCOMPARE(t.Groups()[0].FChars[1].Value, 0);
    QCOMPARE(t.Groups()[0].FChars[1].Desc, QStringLiteral("no bars"));
    QCOMPARE(t.Groups()[0].FChars[2].Value, 0);
    QCOMPARE(t.Groups()[0].FChars[4].Name, QStringLiteral("&max;"));
    QCOMPARE(t.Groups()[1].FChars[0].Desc, QStringLiteral("a umlaut"));
    // Codes that are no characters are rejected, not loaded.
    QCOMPARE(t.Rejected(), 4);
    for (const char *n : {"&big;", "&sur;", "&sur2;", "&neg;"})
      QCOMPARE(t.GetUnicodeChar(QLatin1String(n)), 0);
    QCOMPARE(t.GetUnicodeChar("&max;"), 0x10FFFF);
    // Only the conversion group converts; the first entry of a code names it.
    QCOMPARE(t.IsoName(), QStringLiteral("Latin"));
    QCOMPARE(t.GetHtmlName(228), QStringLiteral("&auml;"));
    QCOMPARE(t.GetHtmlName(163), QString());
    QCOMPARE(t.GetIsoChar(QStringLiteral("&pound;")), 0);
    QCOMPARE(t.GetUnicodeChar("&pound;"), 163);
    QCOMPARE(t.GetIsoChar(QStringLiteral("&auml2;")), 228);
    QVERIFY(Table("#Only\nx|&auml;|228\n").GetHtmlName(228).isEmpty());
    // Beyond Latin-1 too the first entry of a code names it, and a group named again continues.
    const TEntityTable two = Table("##ISO\neuro|&euro;|8364\n#Other\nx|&x;|120\n##ISO\nalt|&eur;|8364\n"
                                   "ohm|&ohm;|937\n");
    QCOMPARE(two.Groups().size(), 2);
    QCOMPARE(two.Groups()[0].FCount(), 3);
    QCOMPARE(two.GetHtmlName(8364), QStringLiteral("&euro;"));
    QCOMPARE(two.GetHtmlName(937), QStringLiteral("&ohm;"));
    QCOMPARE(two.GetHtmlName(120), QString());
  }

  // --- Entities and characters --------------------------------------------------------------------

  void entitiesToChars_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString latin = "##L\na|&auml;|228\nA|&Auml;|196\ntheta|&thetasym;|977\nlong|&abcdefghij;|65\n"
                          "smile|&smile;|128512\nnul|&nul;|0\n";
    QTest::newRow("word") << latin << "K&auml;se"
                          << "Käse";
    QTest::newRow("capitalised name is another entity") << latin << "&Auml;&AUML;"
                                                        << "Ä&AUML;";
    QTest::newRow("at the end") << latin << "x&auml;"
                                << "xä";
    QTest::newRow("without semicolon") << latin << "&auml &auml"
                                       << "&auml &auml";
    QTest::newRow("ampersand before") << latin << "&&auml;"
                                      << "&ä";
    QTest::newRow("semicolon nine characters on") << latin << "&thetasym;"
                                                  << "ϑ";
    QTest::newRow("semicolon ten characters on") << latin << "&abcdefghij;"
                                                 << "&abcdefghij;";
    QTest::newRow("outside the BMP") << latin << "a&smile;b"
                                     << "a\U0001F600b";
    QTest::newRow("code 0 converts nothing") << latin << "&nul;"
                                             << "&nul;";
    QTest::newRow("amp not listed") << latin << "a &amp; b"
                                    << "a &amp; b";
    QTest::newRow("amp listed") << "##L\namp|&amp;|38\n"
                                << "a &amp;auml; b"
                                << "a &auml; b";
    QTest::newRow("other group") << "##L\na|&auml;|228\n#S\ne|&euro;|8364\n"
                                 << "&euro;"
                                 << "&euro;";
  }
  void entitiesToChars() {
    QFETCH(QString, table);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(Table(table).EntitiesToChars(text), expected);
  }

  void charsToEntities() {
    TEntityTable t;
    t.LoadCharList(DataDir, "html-codes.txt", QString());
    QCOMPARE(t.CharsToEntities("Käse"), QStringLiteral("K&auml;se"));
    QCOMPARE(t.EntitiesToChars("K&auml;se"), QStringLiteral("Käse"));
    // The last character of a line and of the text convert like all others.
    QCOMPARE(t.CharsToEntities("ä\nö\r\nü"), QStringLiteral("&auml;\n&ouml;\r\n&uuml;"));
    // Only U+00A0..U+00FF: markup, ASCII and other characters stay.
    QCOMPARE(t.CharsToEntities("<a>&amp; \u20AC \u0151 \u009F"),
             QStringLiteral("<a>&amp; \u20AC \u0151 \u009F"));
    QString all;
    for (char16_t c = 0xA0; c <= 0xFF; ++c)
      all += QChar(c);
    QCOMPARE(t.EntitiesToChars(t.CharsToEntities(all)), all);
    QVERIFY(!t.CharsToEntities(all).contains(QRegularExpression("[^\\x20-\\x7E]")));
  }

  // --- Tag case ---------------------------------------------------------------------------------

  void tagCase_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("upper");
    QTest::addColumn<QString>("lower");
    QTest::newRow("tag, attribute, double-quoted value") << "<a Href=\"Page.html\">Text</a>"
                                                         << "<A HREF=\"Page.html\">Text</A>"
                                                         << "<a href=\"Page.html\">Text</a>";
    QTest::newRow("single-quoted values") << "<img Src='My Pic.PNG' alt='It\"s'>"
                                          << "<IMG SRC='My Pic.PNG' ALT='It\"s'>"
                                          << "<img src='My Pic.PNG' alt='It\"s'>";
    QTest::newRow("quote of the other kind inside a value") << "<p title=\"It's\" Class=x>"
                                                            << "<P TITLE=\"It's\" CLASS=X>"
                                                            << "<p title=\"It's\" class=x>";
    QTest::newRow("comment with a tag inside") << "<!-- <a Href=X> -->\n<B>"
                                               << "<!-- <a Href=X> -->\n<B>"
                                               << "<!-- <a Href=X> -->\n<b>";
    QTest::newRow("declaration") << "<!DOCTYPE Html><Html>"
                                 << "<!DOCTYPE Html><HTML>"
                                 << "<!DOCTYPE Html><html>";
    QTest::newRow("script content") << "<Script>if (a<b) x = \"<B>\"; y = c>d;</Script><P>"
                                    << "<SCRIPT>if (a<b) x = \"<B>\"; y = c>d;</SCRIPT><P>"
                                    << "<script>if (a<b) x = \"<B>\"; y = c>d;</script><p>";
    QTest::newRow("style content") << "<style Type=\"text/css\">P.Intro { Color: Red }</STYLE>"
                                   << "<STYLE TYPE=\"text/css\">P.Intro { Color: Red }</STYLE>"
                                   << "<style type=\"text/css\">P.Intro { Color: Red }</style>";
    QTest::newRow("php block") << "<?php echo \"<B>\" . $Name; ?><b>"
                               << "<?php echo \"<B>\" . $Name; ?><B>"
                               << "<?php echo \"<B>\" . $Name; ?><b>";
    QTest::newRow("asp block") << "<% Response.Write(\"X\") %><I>"
                               << "<% Response.Write(\"X\") %><I>"
                               << "<% Response.Write(\"X\") %><i>";
    QTest::newRow("php inside a tag") << "<input <?php echo $Checked; ?> type=Text>"
                                      << "<INPUT <?php echo $Checked; ?> TYPE=TEXT>"
                                      << "<input <?php echo $Checked; ?> type=text>";
    QTest::newRow("less-than in running text") << "if a < b and C > d"
                                               << "if a < b and C > d"
                                               << "if a < b and C > d";
    QTest::newRow("text between tags and non-ASCII names") << "Hello <Br> Wörld <ÄB>"
                                                           << "Hello <BR> Wörld <ÄB>"
                                                           << "Hello <br> Wörld <ÄB>";
    QTest::newRow("tag over two lines") << "<a\r\nhref=\"X\"\nTarget=_Top>"
                                        << "<A\r\nHREF=\"X\"\nTARGET=_TOP>"
                                        << "<a\r\nhref=\"X\"\ntarget=_top>";
    QTest::newRow("last characters") << "x <b"
                                     << "x <B"
                                     << "x <b";
  }
  void tagCase() {
    QFETCH(QString, text);
    QFETCH(QString, upper);
    QFETCH(QString, lower);
    QCOMPARE(ChangeTagCase(text, true), upper);
    QCOMPARE(ChangeTagCase(text, false), lower);
  }

  // --- Reflowing --------------------------------------------------------------------------------

  void wrapExact_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("indent");
    QTest::addColumn<int>("edge");
    QTest::addColumn<QString>("expected");
    QTest::newRow("break at a blank") << "aaa bbb ccc" << 1 << 0 << 8 << "aaa bbb\r\nccc";
    QTest::newRow("indent of new lines") << "aaa bbb ccc" << 1 << 2 << 8 << "aaa bbb\r\n  ccc";
    QTest::newRow("line breaks become blanks")
        << "one\ntwo\r\nthree  four" << 1 << 0 << 80 << "one two three four";
    QTest::newRow("long word is not cut") << "abcdefghijkl mn" << 1 << 0 << 5 << "abcdefghijkl\r\nmn";
    QTest::newRow("break after a tag before a word")
        << "<b>bold</b>text and more" << 1 << 0 << 12 << "<b>bold</b>\r\ntext and\r\nmore";
    QTest::newRow("no break inside a tag")
        << "<a href=\"x y z\">t</a>" << 1 << 0 << 6 << "<a href=\"x y z\">\r\nt</a>";
    QTest::newRow("apostrophe in running text") << "it's a b c d" << 1 << 0 << 6 << "it's\r\na b c\r\nd";
  }
  void wrapExact() {
    QFETCH(QString, text);
    QFETCH(int, column);
    QFETCH(int, indent);
    QFETCH(int, edge);
    QFETCH(QString, expected);
    QCOMPARE(WrapText(text, column, indent, edge), expected);
  }

  void wrapKeepsEveryCharacter_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("plain words") << QString("lorem ipsum dolor sit amet ").repeated(30);
    QTest::newRow("apostrophes in text") << QString("It's Peter's book, isn't it? ").repeated(30);
    QTest::newRow("double quotes in text") << QString("He said \"yes\" and \"no\" then. ").repeated(30);
    QTest::newRow("tags and quoted values") << QString("<a href=\"a b.html\" title='x > y'>link text</a> and "
                                                       "<img src=x.png alt=\"it's\"> ")
                                                   .repeated(20);
    QTest::newRow("comments") << QString("<!-- note --> text <!-- a b --> more words here ").repeated(20);
    QTest::newRow("long words") << QString("supercalifragilisticexpialidocious ab ").repeated(20);
    QTest::newRow("line breaks") << QString("line one\r\nline two\nline three\r\n").repeated(20);
  }
  void wrapKeepsEveryCharacter() {
    QFETCH(QString, text);
    for (int edge : {10, 40, 80}) {
      for (int indent : {0, 4}) {
        const QString out = WrapText(text, 1, indent, edge);
        QCOMPARE(Ink(out), Ink(text));
        const QStringList lines = out.split(QStringLiteral("\r\n"));
        int overlong = 0;
        for (const QString &l : lines)
          if (l.size() > edge && l.trimmed().contains(u' '))
            ++overlong;
        // A line may only run past the edge where a word or a tag left no place to break.
        if (!text.contains(u'<'))
          QCOMPARE(overlong, 0);
        // Breaks keep coming to the end: no quote in running text switches them off.
        QVERIFY2(lines.size() >= text.size() / (edge + indent + 40), qPrintable(lines.last()));
        if (!text.contains(u'<'))
          QVERIFY(lines.last().size() <= std::max(edge, 40) + indent);
      }
    }
  }

  // --- JavaScript text ------------------------------------------------------------------------------

  void jsText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("edge");
    QTest::addColumn<QString>("expected");
    QTest::newRow("quotes") << "say \"hi\", it's" << 80 << " say &quot;hi&quot;, it&lsquo;s";
    QTest::newRow("markup") << "a<b>&c" << 80 << " a&lt;b&gt;&amp;c";
    QTest::newRow("doubled quotes and accents")
        << "''x``y\u00B4\u00B4z`w\u00B4" << 80 << " &quot;x&quot;y&quot;z&lsquo;w&rsquo;";
    QTest::newRow("line breaks and blanks") << "a\r\nb\nc\rd   e" << 80 << " a b c d e";
    QTest::newRow("broken at the edge") << "aaa bbb ccc" << 5 << " aaa\\\r\n bbb\\\r\n ccc";
    QTest::newRow("word longer than the edge") << "abcdefghij" << 4 << " abcd\\\r\nefgh\\\r\nij";
  }
  void jsText() {
    QFETCH(QString, text);
    QFETCH(int, edge);
    QFETCH(QString, expected);
    QCOMPARE(JsTextArgument(text, edge), expected);
  }

  void jsTextLongWordAfterBlank() {
    // A word longer than the edge after a blank must not make every later character a line.
    const QString out = JsTextArgument("a " + QString(60, u'x'), 10);
    QCOMPARE(QString(out).remove(QStringLiteral("\\\r\n")).remove(u' '), "a" + QString(60, u'x'));
    QVERIFY(out.count(QStringLiteral("\r\n")) <= 8);
  }

  // --- Mail address cipher ----------------------------------------------------------------------------

  void mailRoundTrip_data() {
    QTest::addColumn<QString>("address");
    QTest::newRow("plain") << "info@example.org";
    QTest::newRow("accented") << "j\u00FCrgen.m\u00FCller@b\u00FCcher.de";
    QTest::newRow("outside the BMP") << "a\U0001F600b@example.org";
  }
  void mailRoundTrip() {
    QFETCH(QString, address);
    for (int key = 128; key <= 255; ++key) {
      const QString codes = MailCodeList(address, key);
      QVERIFY(codes.startsWith(QString::number(key) + u':'));
      const std::optional<QString> back = DecodeText(u'\'' + codes + u'\'');
      QVERIFY(back);
      QCOMPARE(*back, address);
    }
    const QStringList script = MailEncodeScript("Mail me", MailCodeList(address, 200));
    QCOMPARE(script.size(), 4);
    QCOMPARE(QuotedTextAt(script[2], 20), MailCodeList(address, 200));
  }

  void decodeText_data() {
    QTest::addColumn<QString>("codes");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no colon") << "200" << false << "";
    QTest::newRow("key with low byte 0") << "256:300:301" << true << "";
    QTest::newRow("unreadable number counts as 0") << "'65:x:0'" << true << "AA";
    QTest::newRow("beyond U+10FFFF") << QStringLiteral("200:%1").arg(200 ^ 0x110000) << false << "";
    QTest::newRow("lone high surrogate")
        << QStringLiteral("200:%1:%2").arg(200 ^ 0xD800).arg(200 ^ 65) << false << "";
    QTest::newRow("lone low surrogate") << QStringLiteral("200:%1").arg(200 ^ 0xDC00) << false << "";
    QTest::newRow("negative code") << "200:-5" << false << "";
  }
  void decodeText() {
    QFETCH(QString, codes);
    QFETCH(bool, valid);
    QFETCH(QString, expected);
    const std::optional<QString> r = DecodeText(codes);
    QCOMPARE(bool(r), valid);
    if (r)
      QCOMPARE(*r, expected);
  }

  void spansAtTheCaret() {
    QCOMPARE(QuotedTextAt("MailEncode('x','1:2:3');", 18), QStringLiteral("1:2:3"));
    QCOMPARE(QuotedTextAt("no quotes", 3), QString());
    const QString line = "<p>K&auml;se ist<br>gut";
    TLineSpan s = EntityRunAt(line, 6);
    QCOMPARE(line.mid(s.Start, s.End - s.Start), QStringLiteral("K&auml;se"));
    s = EntityRunAt(line, 15);
    QCOMPARE(line.mid(s.Start, s.End - s.Start), QStringLiteral("ist"));
    s = EntityRunAt(line, 100); // past the end: the last run
    QCOMPARE(line.mid(s.Start, s.End - s.Start), QStringLiteral("gut"));
    const QString css = "color: #FF00aa;";
    s = WordAt(css, 11);
    QCOMPARE(css.mid(s.Start, s.End - s.Start), QStringLiteral("FF00aa"));
    s = WordAt(css, 15); // right after the word
    QCOMPARE(css.mid(s.Start, s.End - s.Start), QStringLiteral("FF00aa"));
    QVERIFY(WordAt(" ; ", 2).IsEmpty());
  }

  // --- Tag parts ---------------------------------------------------------------------------------

  void splitTag_data() {
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("ref");
    QTest::addColumn<QString>("after");
    QTest::newRow("href first") << "<a href=\"x.html\" title=\"T\">"
                                << "href"
                                << " "
                                << "x.html"
                                << " title=\"T\"";
    QTest::newRow("attributes before src") << "<img width=\"10\" src=\"a b.png\" alt=\"A\">"
                                           << "src"
                                           << " width=\"10\" "
                                           << "a b.png"
                                           << " alt=\"A\"";
    QTest::newRow("single quotes, capitals") << "<A HREF='x.html'>"
                                             << "href"
                                             << " "
                                             << "x.html"
                                             << "";
    QTest::newRow("unquoted, blanks around =") << "<a href = x.html target=_top>"
                                               << "href"
                                               << " "
                                               << "x.html"
                                               << " target=_top";
    QTest::newRow("other attribute holding the key") << "<a title=\"href=no\" data-href=\"no\" href=\"yes\">"
                                                     << "href"
                                                     << " title=\"href=no\" data-href=\"no\" "
                                                     << "yes"
                                                     << "";
    QTest::newRow("over lines, self-closing") << "<img\n  src=\"p.png\"\n  alt=\">\" />"
                                              << "src"
                                              << "\n  "
                                              << "p.png"
                                              << "\n  alt=\">\" /";
    QTest::newRow("no src") << "<img alt=\"x\" />"
                            << "src"
                            << " alt=\"x\""
                            << ""
                            << " /";
  }
  void splitTag() {
    QFETCH(QString, tag);
    QFETCH(QString, key);
    QFETCH(QString, before);
    QFETCH(QString, ref);
    QFETCH(QString, after);
    const TTagParts p = SplitTag(tag, key);
    QCOMPARE(p.Before, before);
    QCOMPARE(p.Ref, ref);
    QCOMPARE(p.After, after);
    // Put back unchanged, a quoted tag is the same text again.
    if (!p.Quote.isNull())
      QCOMPARE(ComposeTag(p, key), tag);
  }

  void composeTag() {
    TTagParts p = SplitTag("<a href=x.html>", "href");
    p.Ref = "say \"hi\".html";
    QCOMPARE(ComposeTag(p, "href"), QStringLiteral("<a href=\"say &quot;hi&quot;.html\">"));
    p = SplitTag("<img alt=\"x\" />", "src");
    p.Ref = "p.png";
    QCOMPARE(ComposeTag(p, "src"), QStringLiteral("<img alt=\"x\" src=\"p.png\" />"));
  }
};

QTEST_GUILESS_MAIN(TstEditorEntities)
#include "tst_editor_entities.moc"
