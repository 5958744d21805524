// The insertion primitives on the real editor control. Texts are written with markers: "|" is
// the caret, "[...]" the selection (caret at its end, or at its start when written "[|"), and
// each "~" before the caret one column of virtual space past the end of the line. "\n" in a
// case stands for the document's line break.
#include "core/editor/InsertEngine.h"
#include "ui/editor/TextBuffer.h"
#include "TestSupport.h"

#include <QtTest>


class TestInsert : public QObject {
  Q_OBJECT
private slots:
  void primitives_data();
  void primitives();
  void expandPlaceholders_data();
  void expandPlaceholders();
};

void TestInsert::primitives_data() {
  QTest::addColumn<int>("fileType");
  QTest::addColumn<QString>("lineBreak");
  QTest::addColumn<int>("tabWidth");
  QTest::addColumn<bool>("autoIndent");
  QTest::addColumn<QString>("before");
  QTest::addColumn<QStringList>("call");
  QTest::addColumn<QString>("after");

  struct TOpts {
    TFileTypes Ft = ftHtml;
    QString Br = QStringLiteral("\n");
    int Tab = 2;
    bool Auto = true;
  };
  auto row = [](const char *name, const QString &before, const QStringList &call, const QString &after,
                TOpts o = {}) {
    QTest::newRow(name) << int(o.Ft) << o.Br << o.Tab << o.Auto << before << call << after;
  };
  const TOpts css{ftCss}, crlf{ftHtml, "\r\n"}, noAuto{ftHtml, "\n", 2, false}, tab4{ftHtml, "\n", 4};
  const QStringList bold{"tags", "<b>", "</b>", "inline"}, div{"tags", "<div>", "</div>", "block"},
      ul{"tags", "<ul>", "</ul>", "block"};

  // Inline elements.
  row("inline, no selection", "|", bold, "<b>|</b>");
  row("inline inside text", "ab|cd", bold, "ab<b>|</b>cd");
  row("inline around selection", "[Hello]", bold, "<b>[Hello]</b>");
  row("inline, selection made backwards", "x [|Hello] y", bold, "x <b>[Hello]</b> y");
  row("inline, selection over two lines", "a[bc\nde]f\ng", bold, "a<b>[bc\nde]</b>f\ng");
  row("inline, selection over two lines, CRLF", "a[bc\nde]f\ng", bold, "a<b>[bc\nde]</b>f\ng", crlf);
  row("inline keeps the selection's own breaks", "[a\r\nb]\nc", bold, "<b>[a\r\nb]</b>\nc");
  row("inline after a non-BMP character", "\U0001F600|x", bold, "\U0001F600<b>|</b>x");
  row("inline around non-BMP selection", "\U0001F600[\U0001F601]", bold, "\U0001F600<b>[\U0001F601]</b>");
  row("inline in virtual space", "ab~~|", bold, "ab  <b>|</b>");

  // Block elements.
  row("block on an empty line", "|", div, "<div>\n  |\n</div>");
  row("block, tab width 4", "|", div, "<div>\n    |\n</div>", tab4);
  row("block on an indented line", "    |", div, "    <div>\n      |\n    </div>");
  row("block in virtual space", "~~~~|", div, "    <div>\n      |\n    </div>");
  row("block on a line indented with a tab", "\t|", div, "\t<div>\n\t  |\n\t</div>");
  row("block, text after caret", "  |x", div, "  <div>\n    |\n  </div>x");
  row("block after text", "Hello|\nz", div, "Hello\n<div>\n  |\n</div>\nz");
  row("block after text, CRLF", "Hello|\nz", div, "Hello\n<div>\n  |\n</div>\nz", crlf);
  row("block inside text", "Hel|lo", div, "Hello\n<div>\n  |\n</div>");
  row("block after one character", "x|", div, "x\n<div>\n  |\n</div>");
  row("block after text on an indented line", "  Hello|", div, "  Hello\n  <div>\n    |\n  </div>");
  row("block after indented text, no auto indent", "  Hello|", div, "  Hello\n<div>\n  |\n</div>", noAuto);
  row("block around selection on its own indented line", "    [abc]\nx", ul,
      "    <ul>\n    [abc]\n    </ul>\nx");
  row("block around selection after a tab", "\t[abc]", ul, "\t<ul>\n\t[abc]\n\t</ul>");
  row("block around selection of two lines", "[ab\ncd]", ul, "<ul>\n[ab\ncd]\n</ul>");
  row("block around selection of two lines, CRLF", "  [ab\ncd]", ul, "  <ul>\n  [ab\ncd]\n  </ul>", crlf);
  row("block, selection after text", "Hi [abc] you", ul, "Hi  you\n<ul>\n[abc]\n</ul>");
  row("block, selection after text, CRLF", "Hi [a\nb] you", ul, "Hi  you\n<ul>\n[a\nb]\n</ul>", crlf);

  // Style sheets: a tag pair becomes a rule.
  row("css rule", "|", {"tags", "<p>", "</p>", "inline"}, "p {\n  |\n  }", css);
  row("css rule, tab width 4", "|", {"tags", "<h1>", "</h1>", "inline"}, "h1 {\n    |\n    }",
      {ftCss, "\n", 4});
  row("css rule from a tag with attributes", "|", {"tags", "<a href=\"\">", "</a>", "inline"},
      "a:? {\n  |\n  }", css);
  row("css rule around selection", "[color: red;]", {"tags", "<h1>", "</h1>", "block"},
      "h1 {\n[color: red;]\n  }", css);
  row("css comment pair unchanged", "|", {"tags", "<!-- ", "-->", "inline"}, "<!-- |-->", css);
  row("css comment pair around selection", "[x]", {"tags", "/* ", " */", "inline"}, "/* [x] */", css);
  row("css opening without '>' unchanged", "|", {"tags", "<p", "", "inline"}, "<p|", css);
  row("html keeps tags with attributes", "|", {"tags", "<a href=\"\">", "</a>", "inline"},
      "<a href=\"\">|</a>");

  // InsertText.
  row("text, caret inside the quotes", "a|b", {"text", " style=\"\"", "-1"}, "a style=\"|\"b");
  row("text replaces the selection", "x[old]y", {"text", "new", "0"}, "xnew|y");
  row("text after a non-BMP character", "\U0001F600|", {"text", "&amp;", "-1"}, "\U0001F600&amp|;");
  row("text, offset past the end", "ab|", {"text", "x", "2"}, "abx~~|");
  row("text, offset before the line start", "|", {"text", "ab", "-5"}, "|ab");
  row("text of several lines, caret counted from its end", "|",
      {"text", "<a href=\"mailto:\">x\ny</a>", "-9"}, "<a href=\"mailto:|\">x\ny</a>");
  row("text of several lines, CRLF", "|", {"text", "<a href=\"mailto:\">x\r\ny</a>", "-10"},
      "<a href=\"mailto:|\">x\ny</a>", crlf);
  row("text of several lines, offset beyond its start", "ab|", {"text", "x\ny", "-9"}, "ab|x\ny");

  // InsertCode.
  row("code in html", "|", {"code", "<link rel=\"x\">"}, "<link rel=\"x\">|");
  row("code in css ends the line", "  |", {"code", "color: red;"}, "  color: red;\n  |", css);

  // InsertValue: value "<cancel>" cancels the dialog.
  row("value, empty", "<td|>", {"value", " border=\"%s\"", ""}, "<td border=\"|\">");
  row("value, given", "<td|>", {"value", " border=\"%s\"", "1"}, "<td border=\"1\"|>");
  row("value in css starts a new line", "|", {"value", "font-size:%s;", "1.0em"}, "font-size:1.0em;\n|", css);
  row("value in css, empty", "|", {"value", "font-size:%s;", ""}, "font-size:|;", css);
  row("value cancelled", "a[b]c", {"value", " border=\"%s\"", "<cancel>"}, "a[b]c");
  row("value with percent signs", "|", {"value", " width=\"%s\"", "%s%1"}, " width=\"%s%1\"|");

  // InsertLines: count, caret column, line offset, lines.
  const QStringList style{"%indent%<style type=\"text/css\">", "%indent%%tab%<!--", "", "%indent%%tab%-->",
                          "%indent%</style>"};
  row("lines, style block", "|", QStringList{"lines", "5", "3", "2"} + style,
      "  <style type=\"text/css\">\n    <!--\n~~|\n    -->\n  </style>\n");
  row("lines, style block on an indented line", "x\n   |", QStringList{"lines", "5", "3", "2"} + style,
      "x\n      <style type=\"text/css\">\n     <!--\n~~|\n     -->\n   </style>\n");
  row("lines, placeholders in capitals", "|abc", {"lines", "1", "1", "1", "%INDENT%x%Tab%y"}, "  x  y\n|abc",
      noAuto);
  row("lines, fewer than listed, caret past line end", "|", {"lines", "2", "5", "0", "a", "b", "c"},
      "a~~~|\nb\n");
  row("lines, CRLF", "|", {"lines", "2", "2", "1", "a", "b"}, "a\nb|\n", crlf);
  row("lines replace a selection made downwards", "[x\ny]z", {"lines", "2", "1", "1", "L1", "L2"},
      "L1\n|L2\nz");
}

void TestInsert::primitives() {
  QFETCH(int, fileType);
  QFETCH(QString, lineBreak);
  QFETCH(int, tabWidth);
  QFETCH(bool, autoIndent);
  QFETCH(QString, before);
  QFETCH(QStringList, call);
  QFETCH(QString, after);

  TTextBuffer buf;
  buf.setTabWidth(tabWidth);
  buf.setAutoIndent(autoIndent);
  const TMarked start = ParseMarked(before, lineBreak);
  buf.LoadContent(start.Text, lineBreak);
  buf.SetSelection(start.Anchor, start.Caret);
  QString marked = before;
  marked.replace(QLatin1String("\n"), lineBreak);
  QCOMPARE(RenderMarked(buf), marked); // the case starts where it says

  TInsertEngine engine(buf, TFileTypes(fileType));
  const QString op = call.value(0);
  if (op == "text") {
    engine.InsertText(call[1], call[2].toInt());
  } else if (op == "code") {
    engine.InsertCode(call[1]);
  } else if (op == "value") {
    QString askedPrompt, askedDefault;
    TAttrType askedType = atNumber;
    engine.SetValueAsker(
        [&](const QString &prompt, TAttrType type, const QString &def) -> std::optional<QString> {
          askedPrompt = prompt;
          askedType = type;
          askedDefault = def;
          if (call[2] == "<cancel>")
            return std::nullopt;
          return call[2];
        });
    QCOMPARE(engine.InsertValue("Width:", call[1], atSize, "100%"), call[2] != "<cancel>");
    QCOMPARE(askedPrompt, QString("Width:"));
    QCOMPARE(askedType, atSize);
    QCOMPARE(askedDefault, QString("100%"));
  } else if (op == "tags") {
    engine.InsertTags(call[1], call[2], call[3] == "inline");
  } else if (op == "lines") {
    engine.InsertLines(call.mid(4), call[1].toInt(), call[2].toInt(), call[3].toInt());
  } else {
    QFAIL("unknown primitive");
  }

  QString expected = after;
  expected.replace(QLatin1String("\n"), lineBreak);
  QCOMPARE(RenderMarked(buf), expected);

  // One undo step takes the whole primitive back.
  if (buf.Text() == start.Text) {
    QVERIFY(!buf.isUndoAvailable());
  } else {
    buf.undo();
    QCOMPARE(buf.Text(), start.Text);
    QVERIFY(!buf.isUndoAvailable());
  }
}

void TestInsert::expandPlaceholders_data() {
  QTest::addColumn<QString>("caretLine");
  QTest::addColumn<bool>("autoIndent");
  QTest::addColumn<int>("tabWidth");
  QTest::addColumn<QString>("line");
  QTest::addColumn<QString>("expected");

  QTest::newRow("indent of the caret line") << "    x" << true << 2 << "%indent%<p>"
                                            << "    <p>";
  QTest::newRow("no auto indent: tab width") << "    x" << false << 2 << "%indent%<p>"
                                             << "  <p>";
  QTest::newRow("unindented line: tab width") << "x" << true << 3 << "%indent%a"
                                              << "   a";
  QTest::newRow("tabs and blanks count as one each") << "\t x" << true << 2 << "%indent%"
                                                     << "  ";
  QTest::newRow("blank line counts whole") << "   " << true << 2 << "%indent%"
                                           << "   ";
  QTest::newRow("any case, every occurrence")
      << "" << true << 2 << "%Indent%%TAB%-%INDENT%%tab%" << QString(4, ' ') + "-" + QString(4, ' ');
  QTest::newRow("no placeholder") << "  x" << true << 2 << "a%b%c%indent"
                                  << "a%b%c%indent";
}

void TestInsert::expandPlaceholders() {
  QFETCH(QString, caretLine);
  QFETCH(bool, autoIndent);
  QFETCH(int, tabWidth);
  QFETCH(QString, line);
  QFETCH(QString, expected);

  TTextBuffer buf;
  buf.setTabWidth(tabWidth);
  buf.setAutoIndent(autoIndent);
  buf.LoadContent("first\n" + caretLine + "\nlast", "\n");
  buf.SetCaretXY({1, 2});
  TInsertEngine engine(buf, ftHtml);
  QCOMPARE(engine.ExpandPlaceholders(line), expected);
  QCOMPARE(buf.Text(), "first\n" + caretLine + "\nlast");
}

QTEST_MAIN(TestInsert)
#include "tst_insert.moc"
