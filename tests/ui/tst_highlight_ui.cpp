// Highlighting: the colours of each file type on the real editor control, the CSS and scripts
// inside pages, and a change made in the view settings reaching every open document, its .hlt
// file and the next start.
#include "core/common/IniFileUtils.h"
#include "core/highlight/EmbeddedCode.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/HauptForm.h"
#include "ui/app/RecoverDlg.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/Highlighters.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"
#include "ui/highlight/EmbeddedStyler.h"
#include "ui/highlight/HighlightStyles.h"
#include "ui/highlight/HtmlOptDlg.h"

#include "TestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <Qsci/qscilexer.h>

using namespace EmbeddedStyle;

namespace {
THighlightSets BuiltInSets() {
  THighlightSets sets;
  for (int t = 0; t < FileTypeCount; ++t)
    sets[t] = THighlightSet::BuiltIn(TFileTypes(t));
  return sets;
}

int StyleAt(TTextBuffer *b, qint64 pos) {
  return int(b->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, long(pos))) & 0xFF;
}

// Style of the first character of the n-th (from 0) occurrence of what in the buffer's text.
int StyleOf(TTextBuffer *b, const QByteArray &what, int n = 0) {
  const QByteArray text = b->Utf8Text();
  qsizetype at = -1;
  for (int i = 0; i <= n; ++i)
    at = text.indexOf(what, at + 1);
  return at < 0 ? -1 : StyleAt(b, at);
}

// The control keeps a font's own weight as a negative number.
bool IsBold(TTextBuffer *b, int style) {
  return std::abs(int(b->SendScintilla(QsciScintillaBase::SCI_STYLEGETWEIGHT, long(style)))) >= 600;
}

quint32 ForeOf(TTextBuffer *b, int style) {
  return quint32(b->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE, long(style)));
}
} // namespace

class TstHighlight : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  QString FWeb;

  std::unique_ptr<THauptForm> NewMain() {
    auto m = std::make_unique<THauptForm>(QStringList{});
    m->ProjectDialogResponder = [this](TProjectInfo &p, const QString &) {
      p.ProjName = "Site";
      p.ProjPath = FWeb;
      return true;
    };
    m->SelectProjectResponder = [](const QStringList &, int &index) {
      index = 0;
      return 1;
    };
    int n = 0;
    m->SaveNameResponder = [this, n](const QString &, const QString &, const QString &) mutable {
      return FDir.filePath(QString("proj%1.prj").arg(++n));
    };
    const bool ok = m->Init();
    [&] { QVERIFY(ok); }();
    return m;
  }

  // A page editor as a document gets it: the page lexer with the built-in colours.
  std::unique_ptr<TTextBuffer> PageEditor(const QString &text) {
    auto b = std::make_unique<TTextBuffer>();
    QsciLexer *lexer = CreateHighlighter(ftHtml, b.get());
    ApplyHighlighting(lexer, ftHtml, BuiltInSets(), b->font(), Qt::white);
    b->SetHighlighter(lexer, true);
    b->resize(600, 400);
    b->LoadContent(text, "\n");
    TEmbeddedStyler::Of(b.get())->StyleTo(b->Utf8Text().size());
    return b;
  }

private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toUtf8());
    FWeb = FDir.filePath("web/");
    QDir().mkpath(FWeb);
    QDir().mkpath(FDir.filePath("config/Tamrix"));
    SetMessageResponder([](TMsgKind, const QString &) { return mrYes; });
    TRecoverDialog::SetResponder([](const QString &, const QString &) { return rcLater; });
    auto w = TUnicodeIniFile::CreateForWrite(FDir.filePath("config/Tamrix/tst_highlight_ui.ini"));
    w->WriteString("Config", "StdPath", FWeb);
    QVERIFY(w->UpdateFile());
  }

  void embeddedCode_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QByteArray>("word");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<int>("style");
    const QString block = "<html><head>\n<style type=\"text/css\">\n/* note */\nbody > p.x { color: #FF0000;"
                          " margin: 2px !important }\n@media print { a { font-family: \"Mono\" } }\n"
                          "</style>\n</head><body>\n<p>color: red</p>\n</body></html>\n";
    QTest::newRow("selector in a block") << block << QByteArray("body") << 0 << int(CssSelector);
    QTest::newRow("property") << block << QByteArray("color") << 0 << int(CssProperty);
    QTest::newRow("colour value") << block << QByteArray("#FF0000") << 0 << int(CssColor);
    QTest::newRow("number with unit") << block << QByteArray("2px") << 0 << int(CssNumber);
    QTest::newRow("important") << block << QByteArray("!important") << 0 << int(CssImportant);
    QTest::newRow("comment") << block << QByteArray("/* note") << 0 << int(CssComment);
    QTest::newRow("at-rule") << block << QByteArray("@media") << 0 << int(CssAtRule);
    QTest::newRow("rule inside @media") << block << QByteArray("font-family") << 0 << int(CssProperty);
    QTest::newRow("string") << block << QByteArray("\"Mono\"") << 0 << int(CssString);
    QTest::newRow("closing tag stays a tag") << block << QByteArray("</style") << 0 << 1;
    QTest::newRow("text after the block stays text") << block << QByteArray("color: red") << 0 << 0;
    QTest::newRow("tag attribute stays HTML") << block << QByteArray("type") << 0 << 3;
    const QString attrs = "<p style=\"margin: 0; color: blue\" onclick=\"if (x) go('a', 1)\">t</p>\n"
                          "<div title=\"color: red\" ONLOAD='init()'></div>\n";
    QTest::newRow("style attribute: property") << attrs << QByteArray("margin") << 0 << int(CssProperty);
    QTest::newRow("style attribute: value") << attrs << QByteArray("blue") << 0 << int(CssValue);
    QTest::newRow("style attribute: quote stays HTML") << attrs << QByteArray("\"margin") << 0 << 6;
    QTest::newRow("event: keyword") << attrs << QByteArray("if") << 0 << int(JsKeyword);
    QTest::newRow("event: name") << attrs << QByteArray("go") << 0 << int(JsWord);
    QTest::newRow("event: string") << attrs << QByteArray("'a'") << 0 << int(JsSingleString);
    QTest::newRow("event: number") << attrs << QByteArray("1)") << 0 << int(JsNumber);
    QTest::newRow("event in capitals, single quotes") << attrs << QByteArray("init") << 0 << int(JsWord);
    QTest::newRow("other attribute stays a string") << attrs << QByteArray("color: red") << 0 << 6;
    const QString script = "<script>\nvar s = \"<style>\";\n</script>\n<p>a { b: c }</p>\n";
    QTest::newRow("script keyword from the lexer") << script << QByteArray("var") << 0 << int(JsKeyword);
    QTest::newRow("<style> in a script string starts no block") << script << QByteArray("a {") << 0 << 0;
    const QString comment = "<!-- <style> -->\np { color: red }\n";
    QTest::newRow("<style> in a comment starts no block") << comment << QByteArray("color") << 0 << 0;
  }
  void embeddedCode() {
    QFETCH(QString, page);
    QFETCH(QByteArray, word);
    QFETCH(int, occurrence);
    QFETCH(int, style);
    auto b = PageEditor(page);
    QCOMPARE(StyleOf(b.get(), word, occurrence), style);
  }

  // Typing a <style> tag makes the text after it CSS, taking it away makes it text again; the
  // line ends keep the lexer's own styles all the time.
  void editsRestyleEmbeddedCode() {
    auto b = PageEditor("<p>x</p>\np { color: red }\n<p>y</p>\n");
    QCOMPARE(StyleOf(b.get(), "color"), 0);
    b->SetSelection({1, 2}, {1, 2});
    b->SetSelText("<style>");
    b->SetSelection({18, 2}, {18, 2});
    b->SetSelText("</style>");
    TEmbeddedStyler::Of(b.get())->StyleTo(b->Utf8Text().size());
    QCOMPARE(StyleOf(b.get(), "color"), int(CssProperty));
    QCOMPARE(StyleOf(b.get(), "<p>y"), 1);
    const QByteArray text = b->Utf8Text();
    for (qsizetype i = 0; i < text.size(); ++i)
      if (text[i] == '\n')
        QVERIFY2(StyleAt(b.get(), i) < CssText, qPrintable(QString::number(i)));
    b->SetSelection({1, 2}, {8, 2});
    b->SetSelText("");
    TEmbeddedStyler::Of(b.get())->StyleTo(b->Utf8Text().size());
    QCOMPARE(StyleOf(b.get(), "color"), 0);
  }

  // Lines styled out of order (a jump far ahead, then back into the middle of a long <style>
  // block and of a tag, then the start) come out as one pass from the top styles them, before and
  // after an edit in a part that was skipped.
  void rangesStyledOutOfOrderMatchAWholePass() {
    QString page = "<html><body>\n";
    for (int k = 0; k < 30; ++k) {
      for (int i = 0; i < 20; ++i)
        page += "<p style=\"color: red;\n  margin: 0 2px\"\n   onclick=\"go('x', 1)\">a</p>\n";
      page += "<style>\nh1 { font: 12px \"Mono\" }\n</style>\n";
      if (k == 10) {
        page += "<style media=\"print\">\n";
        for (int i = 0; i < 400; ++i)
          page += QString("p.c%1 { color: #00%2 !important }\n").arg(i).arg(i % 100, 4, 10, QChar('0'));
        page += "</style>\n";
      }
    }
    page += "</body></html>\n";
    const auto editor = [&page] {
      auto b = std::make_unique<TTextBuffer>();
      QsciLexer *lexer = CreateHighlighter(ftHtml, b.get());
      b->SetHighlighter(lexer, true);
      b->LoadContent(page, "\n");
      return b;
    };
    const auto lineRange = [](TTextBuffer *b, int line, int count) {
      return std::pair<long, long>(b->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, long(line)),
                                   b->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, long(line + count)));
    };
    const auto compare = [&](TTextBuffer *parts, const std::vector<std::pair<long, long>> &ranges) {
      auto whole = editor();
      whole->LoadContent(QString::fromUtf8(parts->Utf8Text()), "\n");
      TEmbeddedStyler::Of(whole.get())->StyleTo(whole->Utf8Text().size());
      for (const auto &[from, to] : ranges)
        for (long i = from; i < to; ++i)
          if (StyleAt(parts, i) != StyleAt(whole.get(), i))
            QFAIL(qPrintable(QString("byte %1: %2 instead of %3").arg(i).arg(StyleAt(parts, i)).arg(StyleAt(whole.get(), i))));
    };
    auto b = editor();
    TEmbeddedStyler *s = TEmbeddedStyler::Of(b.get());
    const int lines = b->lines();
    const int blockLine = int(b->Utf8Text().left(b->Utf8Text().indexOf("p.c200 ")).count('\n'));
    // Last lines, a line inside the long block, the middle line of a tag, the first lines.
    const std::vector<std::pair<long, long>> ranges = {lineRange(b.get(), lines - 30, 29),
                                                        lineRange(b.get(), blockLine, 3),
                                                        lineRange(b.get(), 1201, 0), lineRange(b.get(), 0, 40)};
    for (const auto &[from, to] : ranges)
      s->StyleRange(from, to);
    QCOMPARE(StyleOf(b.get(), "p.c200 "), int(CssSelector));
    QCOMPARE(StyleOf(b.get(), "margin", 0), int(CssProperty));
    compare(b.get(), ranges);
    if (QTest::currentTestFailed())
      return;
    // Close the long block early, in a part nobody has looked at: what follows is markup again.
    const qsizetype at = b->Utf8Text().indexOf("p.c100 ");
    b->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, long(at), "</style>\n");
    const auto after = lineRange(b.get(), blockLine + 1, 3);
    const auto last = lineRange(b.get(), lines - 29, 29);
    s->StyleRange(last.first, last.second);
    s->StyleRange(after.first, after.second);
    QVERIFY(StyleOf(b.get(), "p.c200 ") < CssText);
    compare(b.get(), {after, last});
    if (QTest::currentTestFailed())
      return;
    // Take a short block's end away: the markup after it is read as CSS up to the next end.
    const qsizetype end = b->Utf8Text().indexOf("</style>", b->Utf8Text().indexOf("h1 {", b->Utf8Text().indexOf("p.c399 ")));
    const int endLine = int(b->Utf8Text().left(end).count('\n'));
    const qsizetype next = b->Utf8Text().indexOf("</style>", end + 1);
    b->SendScintilla(QsciScintillaBase::SCI_DELETERANGE, long(end), 8L);
    const auto later = lineRange(b.get(), endLine + 31, 5); // "<p style=..."
    s->StyleRange(later.first, later.second);
    QCOMPARE(StyleAt(b.get(), later.first + 1), int(CssSelector));
    QVERIFY(later.second < next);
    compare(b.get(), {later});
  }

  // The view styles what it shows before it paints, without anyone asking.
  void paintingStylesTheVisibleLines() {
    auto b = std::make_unique<TTextBuffer>();
    QsciLexer *lexer = CreateHighlighter(ftHtml, b.get());
    ApplyHighlighting(lexer, ftHtml, BuiltInSets(), b->font(), Qt::white);
    b->SetHighlighter(lexer, true);
    b->resize(600, 300);
    QString text = "<style>\n";
    for (int i = 0; i < 5000; ++i)
      text += QString("p.c%1 { color: #00%2 }\n").arg(i).arg(i % 10000, 4, 10, QChar('0'));
    text += "</style>\n";
    b->LoadContent(text, "\n");
    b->show();
    QVERIFY(QTest::qWaitForWindowExposed(b.get()));
    QTRY_COMPARE(StyleOf(b.get(), "color"), int(CssProperty));
    b->SetCaretXY({1, 4000});
    b->ensureLineVisible(3999);
    QTRY_COMPARE(StyleOf(b.get(), "color", 3998), int(CssProperty));
    // Far below the screen nothing has been styled yet.
    QVERIFY(TEmbeddedStyler::Of(b.get())->Done() < b->Utf8Text().size());
    // The last screen, down to the last line.
    b->SetCaretXY({1, 5002});
    b->ensureLineVisible(5001);
    QTRY_COMPARE(StyleOf(b.get(), "color", 4999), int(CssProperty));
  }

  // The colours of a page lexer come from HTML for the markup and from the code's own types.
  void pageColoursFollowTheirTypes() {
    THighlightSets sets = BuiltInSets();
    sets[ftHtml].Find("ReservedWord")->Foreground = RgbToColor(1, 2, 3);
    sets[ftCss].Find("Property")->Foreground = RgbToColor(4, 5, 6);
    sets[ftCss].Find("Property")->Style = hsBold | hsItalic;
    sets[ftJs].Find("ReservedWord")->Foreground = RgbToColor(7, 8, 9);
    sets[ftPhp].Find("Variable")->Background = RgbToColor(10, 11, 12);
    auto b = std::make_unique<TTextBuffer>();
    QsciLexer *lexer = CreateHighlighter(ftPhp, b.get());
    ApplyHighlighting(lexer, ftPhp, sets, b->font(), Qt::white);
    b->SetHighlighter(lexer, true);
    QCOMPARE(ForeOf(b.get(), 1), RgbToColor(1, 2, 3));
    QCOMPARE(ForeOf(b.get(), CssProperty), RgbToColor(4, 5, 6));
    QVERIFY(IsBold(b.get(), CssProperty));
    QVERIFY(!IsBold(b.get(), CssValue));
    QVERIFY(b->SendScintilla(QsciScintillaBase::SCI_STYLEGETITALIC, long(CssProperty)));
    QCOMPARE(ForeOf(b.get(), JsKeyword), RgbToColor(7, 8, 9));
    QCOMPARE(quint32(b->SendScintilla(QsciScintillaBase::SCI_STYLEGETBACK, 123L)), RgbToColor(10, 11, 12));
    // A new editor font keeps the attributes' style bits and own backgrounds.
    TSynEditProperties props;
    props.BgColor = RgbToColor(250, 250, 240);
    b->ApplyFont(props);
    QVERIFY(IsBold(b.get(), CssProperty));
    QCOMPARE(quint32(b->SendScintilla(QsciScintillaBase::SCI_STYLEGETBACK, 123L)), RgbToColor(10, 11, 12));
    QCOMPARE(quint32(b->SendScintilla(QsciScintillaBase::SCI_STYLEGETBACK, 1L)), props.BgColor);
  }

  void newTagColourReachesOpenDocumentsFileAndRestart() {
    const QString hlt = FDir.filePath("config/Tamrix/tst_highlight_ui-HTML.hlt");
    QFile::remove(hlt);
    QVERIFY(WriteAll(FWeb + "a.html", "<html><body><p>a</p></body></html>\n"));
    QVERIFY(WriteAll(FWeb + "b.htm", "<div>b</div>\n"));
    QVERIFY(WriteAll(FWeb + "c.css", "p { color: red }\n"));
    const quint32 newColour = RgbToColor(0x12, 0x34, 0x56);
    {
      auto m = NewMain();
      QVERIFY(m->OpenTextFile(FWeb + "a.html"));
      QVERIFY(m->OpenTextFile(FWeb + "b.htm"));
      QVERIFY(m->OpenTextFile(FWeb + "c.css"));
      QList<TMDIForm *> pages;
      for (TMDIForm *d : m->Documents())
        if (d->FileType == ftHtml && d->Status != tsNew)
          pages << d;
      QCOMPARE(pages.size(), 2);
      m->ActivateText(pages.first());
      QVERIFY(ForeOf(pages[1]->TextBuffer, 1) != newColour);
      // The user picks a new colour for "Tags (<body> <b>)" and presses OK.
      m->ViewSettingsResponder = [&](TFileTypes ft, THighlightSet *set, TSynEditProperties &,
                                     TSynGutterProperties &) {
        [&] {
          QCOMPARE(ft, ftHtml);
          QVERIFY(set);
        }();
        set->Find("ReservedWord")->Foreground = newColour;
        return true;
      };
      m->ViewSettingsExecute();
      for (TMDIForm *d : pages) {
        QCOMPARE(ForeOf(d->TextBuffer, 1), newColour);
        QCOMPARE(StyleOf(d->TextBuffer, "div") == 1 || StyleOf(d->TextBuffer, "body") == 1, true);
      }
      QVERIFY(QFileInfo::exists(hlt));
      const auto file = TUnicodeIniFile::CreateForRead(hlt);
      QCOMPARE(file->ReadInt64("ReservedWord", "Foreground"), qint64(newColour));
      QCOMPARE(file->ReadInt64("Comment", "Background"), qint64(NoColor)); // every attribute written
      QVERIFY(m->WriteSettings());
      m->close();
    }
    QFile f(hlt);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.read(2) == QByteArray("\xFF\xFE", 2)); // UTF-16LE with its mark
    f.close();
    auto m = NewMain();
    QCOMPARE(m->HighlightSet(ftHtml).Find("ReservedWord")->Foreground, newColour);
    TMDIForm *d = m->CreateNewText(ftHtml);
    QCOMPARE(ForeOf(d->TextBuffer, 1), newColour);
  }

  // Plain text has no highlighting: the group is disabled and OK stores Highlight false.
  void plainTextHasNoHighlighting() {
    THtmlOptionsDialog dlg;
    TSynEditProperties props;
    props.Highlight = true;
    props.Types = "txt";
    TSynGutterProperties gutter;
    QTimer::singleShot(0, &dlg, [&] {
      QVERIFY(!dlg.gbHighlight->isEnabled());
      QVERIFY(!dlg.cbUseHighlight->isChecked());
      QCOMPARE(dlg.lbAttributes->count(), 0);
      dlg.edTypes->setText("  TXT, Log  ");
      dlg.accept();
    });
    QVERIFY(dlg.Execute(ftText, nullptr, props, gutter));
    QVERIFY(!props.Highlight);
    QCOMPARE(props.Types, QString("txt, log"));
  }

  // The option boxes touch only their own bits; "Undefinined" of PHP edits the identifiers.
  void dialogEditsOnlyItsBits() {
    THtmlOptionsDialog dlg;
    TSynEditProperties props;
    props.Options = 0xFFFFFFFFu;
    TSynGutterProperties gutter;
    THighlightSet set = THighlightSet::BuiltIn(ftPhp);
    QTimer::singleShot(0, &dlg, [&] {
      QVERIFY(!dlg.cbKeepCaret->isEnabled()); // the caret may go past the line end
      for (QCheckBox *c : {dlg.cbTabsAuto, dlg.cbTabsSpaces, dlg.cbAutoIndent, dlg.cbSpecialChars,
                           dlg.cbAltColumns, dlg.cbBehindLine})
        c->setChecked(false);
      QVERIFY(dlg.cbKeepCaret->isEnabled());
      QVERIFY(dlg.cbKeepCaret->isChecked());                          // disabling kept its value
      dlg.lbAttributes->setCurrentRow(dlg.lbAttributes->count() - 1); // "Undefinined"
      dlg.cbBold->setChecked(true);
      dlg.accept();
    });
    QVERIFY(dlg.Execute(ftPhp, &set, props, gutter));
    const quint32 cleared = eoSmartTabs | eoTabsToSpaces | eoAutoIndent | eoShowSpecialChars |
                            eoAltSetsColumnMode | eoScrollPastEol;
    QCOMPARE(props.Options, 0xFFFFFFFFu & ~cleared);
    QVERIFY(set.Find("Identifier")->Style & hsBold);
  }
};

QTEST_MAIN(TstHighlight)
#include "tst_highlight_ui.moc"
