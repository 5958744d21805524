// Spelling in the document window on the real editor control: underlines only in running text,
// each document in its own language, the popup's suggestions and "add", F5 and F6.
#include "core/editor/SpellCheck.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/ConversionCommands.h"
#include "ui/editor/EditorCommands.h"
#include "ui/editor/Highlighters.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/SpellHighlight.h"
#include "ui/editor/TextBuffer.h"

#include "TestSupport.h"

#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

namespace {
const quint32 EnUs = 0x0409, DeDe = 0x0407;

class TSpellHost : public TTestHost {
public:
  TSynEditSpellCheck *Checker = nullptr;
  TSynEditSpellCheck *SpellChecker() override { return Checker; }
};

QAction *FindAction(QMenu *m, const QString &name) {
  for (QAction *a : m->actions())
    if (a->objectName() == name || (a->menu() && a->menu()->objectName() == name))
      return a;
  return nullptr;
}
} // namespace

class TstSpellUi : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  TSpellHost FHost;
  std::unique_ptr<TSynEditSpellCheck> FChecker;
  QStringList FMessages;

  std::unique_ptr<TMDIForm> NewDoc(TFileTypes ft, quint32 lang, const QString &text, bool highlight = true) {
    auto d = std::make_unique<TMDIForm>(&FHost, nullptr, ft);
    d->DocId = 1;
    d->WinIndex = 0;
    TSynEditProperties props;
    props.Highlight = highlight;
    d->SetProperties(CreateHighlighter(ft, d.get()), props, TSynGutterProperties());
    d->resize(700, 500);
    d->show();
    d->TextBuffer->LoadContent(text, QStringLiteral("\n"));
    d->SetTextLangId(lang);
    d->FormActivate();
    d->SpellHighlight->Flush();
    return d;
  }
  // Whether the word starting at the first occurrence of `word` is underlined.
  static bool Underlined(TMDIForm *d, const QString &word, int nth = 0) {
    TTextBuffer *b = d->TextBuffer;
    for (int l = 1; l <= b->LineCount(); ++l) {
      qsizetype i = -1;
      while ((i = b->Line(l).indexOf(word, i + 1)) >= 0)
        if (nth-- == 0)
          return b->HasSpellUnderline({int(i) + 1, l});
    }
    qFatal("word not in text");
  }

private slots:
  void initTestCase() {
    if (!QFile::exists("/usr/share/hunspell/en_US.aff") || !QFile::exists("/usr/share/hunspell/de_DE.aff"))
      QSKIP("needs hunspell-en-us and hunspell-de-de");
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FMessages << text;
      return mrOk;
    });
  }
  void init() {
    FChecker = std::make_unique<TSynEditSpellCheck>();
    FChecker->SetUserDictPath(FDir.filePath("user"));
    QVERIFY(FChecker->LoadDictionaries({"/usr/share/hunspell/"}, {int(EnUs), int(DeDe)}));
    FHost.Checker = FChecker.get();
    FMessages.clear();
  }
  void cleanup() {
    FHost.Checker = nullptr;
    FChecker.reset();
  }

  void onlyRunningTextIsUnderlined_data() {
    QTest::addColumn<bool>("highlight");
    QTest::newRow("highlighting on") << true;
    QTest::newRow("highlighting off") << false;
  }
  void onlyRunningTextIsUnderlined() {
    QFETCH(bool, highlight);
    const QString html = "<html><head><title>Teh title</title>\n"
                         "<style>\np.mispelt { colr: red; }\n</style>\n"
                         "<script>\nvar mispelt = 'wrongg';\n</script></head>\n"
                         "<body class=\"mispelt\"><!-- mispelt comment -->\n"
                         "<p title=\"mispelt\">A mispelt word and a q letter.</p>\n"
                         "<a href=\"x.html\">Gr&ouml;&szlig;e</a> mp3\n</body></html>\n";
    auto d = NewDoc(ftHtml, EnUs, html, highlight);
    QVERIFY(Underlined(d.get(), "Teh"));
    QVERIFY(!Underlined(d.get(), "title"));      // tag name
    QVERIFY(!Underlined(d.get(), "mispelt", 0)); // selector in a style block
    QVERIFY(!Underlined(d.get(), "colr"));
    QVERIFY(!Underlined(d.get(), "mispelt", 1)); // script
    QVERIFY(!Underlined(d.get(), "wrongg"));
    QVERIFY(!Underlined(d.get(), "mispelt", 2)); // attribute value
    QVERIFY(!Underlined(d.get(), "mispelt", 3)); // comment
    QVERIFY(!Underlined(d.get(), "mispelt", 4)); // attribute value
    QVERIFY(Underlined(d.get(), "mispelt", 5));  // running text
    QVERIFY(!Underlined(d.get(), "word"));
    QVERIFY(!Underlined(d.get(), "q ")); // one letter
    QVERIFY(!Underlined(d.get(), "Gr")); // part of a word written with entities
    QVERIFY(!Underlined(d.get(), "mp3"));
    QVERIFY(!Underlined(d.get(), "href"));

    // A plain text document checks everything; another language, other words.
    auto t = NewDoc(ftText, DeDe, "<p>Größe und mispelt</p>\n");
    QVERIFY(Underlined(t.get(), "mispelt"));
    QVERIFY(!Underlined(t.get(), "Größe"));
  }

  void documentsKeepTheirLanguage() {
    auto en = NewDoc(ftHtml, EnUs, "<p>The house is big</p>\n");
    auto de = NewDoc(ftHtml, DeDe, "<p>Das Haus ist groß</p>\n");
    QVERIFY(!Underlined(de.get(), "Haus"));
    QCOMPARE(FChecker->LangId(), DeDe);
    en->FormActivate();
    en->SpellHighlight->Flush();
    QCOMPARE(FChecker->LangId(), EnUs);
    QVERIFY(!Underlined(en.get(), "house"));
    // Each document is checked with its own language even while the other is active.
    de->SpellHighlight->Invalidate();
    de->SpellHighlight->Flush();
    QVERIFY(!Underlined(de.get(), "Haus"));
    QVERIFY(!Underlined(de.get(), "groß"));
    // The language menu changes it and checks again.
    de->LanguageItemClick(EnUs);
    de->SpellHighlight->Flush();
    QCOMPARE(de->TextLangId(), EnUs);
    QVERIFY(Underlined(de.get(), "groß"));
    de->LanguageItemClick(0);
    de->SpellHighlight->Flush();
    QVERIFY(!Underlined(de.get(), "groß"));
    // Types without spelling keep no language.
    TMDIForm css(&FHost, nullptr, ftCss);
    css.SetTextLangId(EnUs);
    QCOMPARE(css.TextLangId(), quint32(0));
    QVERIFY(!css.SpellHighlight);
  }

  void typingUpdatesUnderlines() {
    auto d = NewDoc(ftHtml, EnUs, "<p>Some text</p>\n");
    TTextBuffer *b = d->TextBuffer;
    b->SetCaretXY({13, 1});
    QTest::keyClicks(b, " wrongg");
    d->SpellHighlight->Flush();
    QVERIFY(Underlined(d.get(), "wrongg"));
    // Fixing the word removes the underline.
    QTest::keyClick(b, Qt::Key_Backspace);
    d->SpellHighlight->Flush();
    QVERIFY(!Underlined(d.get(), "wrong"));
  }

  void popupSuggestionsReplaceWholeWord() {
    auto d = NewDoc(ftHtml, EnUs, "<p>The housse is <a href=\"x.html\">here</a></p>\n");
    TTextBuffer *b = d->TextBuffer;
    b->SetCaretXY({10, 1}); // middle of "housse"
    QMenu *m = PrepareEditorPopup(d.get());
    // The add item and the suggestions come first.
    QCOMPARE(m->actions().first()->objectName(), QString("pmiAddToDictionary"));
    QCOMPARE(m->actions().first()->text(), QString("&Add \"housse\" to dictionary"));
    QAction *sug = FindAction(m, "pmiSuggestions");
    QVERIFY(sug);
    QCOMPARE(m->actions().indexOf(sug), 1);
    QAction *house = nullptr;
    for (QAction *a : sug->menu()->actions())
      if (a->text() == "house")
        house = a;
    QVERIFY(house);
    house->trigger();
    QCOMPARE(b->Line(1), QString("<p>The house is <a href=\"x.html\">here</a></p>"));
    b->undo(); // one step back to the misspelling
    QCOMPARE(b->Line(1), QString("<p>The housse is <a href=\"x.html\">here</a></p>"));
    QVERIFY(FindAction(m, "pmiSelectLanguage"));
    // Each popup builds its submenus anew without keeping the old ones.
    const qsizetype menus = m->findChildren<QMenu *>().size();
    PrepareEditorPopup(d.get());
    QCOMPARE(m->findChildren<QMenu *>().size(), menus);

    // On a correct word: no add item, no suggestions; on a link: "Edit tag" is enabled.
    b->SetCaretXY({27, 1});      // on the "x" of the link's address
    MarkTagAt(d.get(), {27, 1}); // what the right button does before the popup
    m = PrepareEditorPopup(d.get());
    QVERIFY(!FindAction(m, "pmiAddToDictionary"));
    QVERIFY(!FindAction(m, "pmiSuggestions"));
    QVERIFY(FindAction(m, "ActionEditTag"));
    QVERIFY(FindAction(m, "ActionEditTag")->isEnabled());
    d->TagMark = TTagMark();
    m = PrepareEditorPopup(d.get());
    QVERIFY(!FindAction(m, "ActionEditTag")->isEnabled());
    // The last item shows the document's folder.
    d->TextPath = QStringLiteral("/srv/site/");
    m = PrepareEditorPopup(d.get());
    QCOMPARE(m->actions().last()->objectName(), QString("pmiSelectFilePath"));
    m->actions().last()->trigger();
    QCOMPARE(FHost.ShownFolder, QString("/srv/site/"));

    // Other types have no spelling items.
    TMDIForm css(&FHost, nullptr, ftCss);
    m = PrepareEditorPopup(&css);
    QVERIFY(!FindAction(m, "pmiSelectLanguage"));
    QVERIFY(FindAction(m, "ActionSetBookmark"));
  }

  void addWordAndNextMisspelling() {
    auto d = NewDoc(ftHtml, EnUs, "<p title=\"zzq\">Quillmarkish is nice.</p>\n<p>Another wrongg word</p>\n");
    TTextBuffer *b = d->TextBuffer;
    QVERIFY(Underlined(d.get(), "Quillmarkish"));
    // F6 from the start skips the attribute and stops at the first misspelling of the text.
    b->SetCaretXY({1, 1});
    d->Action("ActionMisspell")->trigger();
    QCOMPARE(b->SelText(), QString("Quillmarkish"));
    // F5 adds the word at the caret; its underline goes at once.
    d->Action("ActionAddDict")->trigger();
    d->SpellHighlight->Flush();
    QVERIFY(!Underlined(d.get(), "Quillmarkish"));
    d->Action("ActionMisspell")->trigger();
    QCOMPARE(b->SelText(), QString("wrongg"));
    d->Action("ActionMisspell")->trigger();
    QCOMPARE(FMessages, QStringList{"No more misspellings found!"});
    d.reset();
    FChecker.reset(); // closing the program saves the list
    QCOMPARE(ReadAll(FDir.filePath("user/en_US.user.dic")), QByteArray("Quillmarkish\n"));
  }
};

QTEST_MAIN(TstSpellUi)
#include "tst_spell_ui.moc"
