// The conversion commands and "Edit tag" on a real document window: tags rewritten in place,
// the tag mark found by the mouse and dropped when the text changes, whole-document conversions
// as one undo step, and the commands that ask a dialog, answered through the test hooks.
#include "core/editor/Entities.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/ConversionCommands.h"
#include "ui/editor/DocumentHost.h"
#include "ui/editor/FindReplDlg.h"
#include "ui/editor/HtmlCharDlg.h"
#include "ui/common/ClipboardState.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include <QAction>
#include <QApplication>
#include "TestSupport.h"

#include <QClipboard>
#include <QComboBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

// What the link dialog saw, and what it answers.
struct TLinkAnswer {
  QString Url, Attributes, Text;
  bool SetText = false, Cancel = false;
};
} // namespace

class TstConversions : public QObject {
  Q_OBJECT
  TTestHost FHost;
  QStringList FMessages;
  TLinkAnswer FLink;
  QString FSeenUrl, FSeenAttributes, FSeenText;

  std::unique_ptr<TMDIForm> NewDoc(const QString &text, TFileTypes ft = ftHtml, const QString &br = "\n") {
    auto d = std::make_unique<TMDIForm>(&FHost, nullptr, ft);
    d->TextBuffer->LoadContent(text, br);
    return d;
  }
  static void Trigger(TMDIForm *d, const char *name) {
    QAction *a = d->Action(QString::fromLatin1(name));
    QVERIFY2(a, name);
    a->trigger();
  }
  // The coordinate of the first occurrence of what in the text, plus offset columns.
  static TBufferCoord At(TMDIForm *d, const QString &what, int offset = 0) {
    const QString text = d->TextBuffer->Text();
    const qsizetype i = text.indexOf(what);
    Q_ASSERT(i >= 0);
    return d->TextBuffer->CoordOfIndex(i + offset);
  }

private slots:
  void initTestCase() {
    QVERIFY(!HtmlEntities().LoadCharList(TEST_SOURCE_DIR "/data", "html-codes.txt", QString()).isEmpty());
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FMessages << text;
      return mrOk;
    });
    TConversionHooks h;
    h.EditLink = [this](QString &url, QString &attrs, QString &text) {
      FSeenUrl = url;
      FSeenAttributes = attrs;
      FSeenText = text;
      if (FLink.Cancel)
        return false;
      url = FLink.Url;
      attrs = FLink.Attributes;
      if (FLink.SetText)
        text = FLink.Text;
      return true;
    };
    h.EditImage = [this](QString &src, QString &attrs) {
      FSeenUrl = src;
      FSeenAttributes = attrs;
      if (FLink.Cancel)
        return false;
      src = FLink.Url;
      attrs = FLink.Attributes;
      return true;
    };
    h.AskMailAddress = [] { return std::optional<QString>(QStringLiteral("info@example.org")); };
    h.MailKey = [] { return 170; };
    h.PickColor = [](const QString &, quint32 &color) {
      color = 0x00FF00; // green (red in the low byte)
      return true;
    };
    SetConversionHooks(h);
  }
  void init() {
    FMessages.clear();
    FLink = {};
    FSeenUrl.clear();
    FSeenAttributes.clear();
    FSeenText.clear();
  }

  void actionsAndNumbers() {
    auto d = NewDoc("");
    const struct {
      const char *Name;
      int Tag;
    } rows[] = {{"ActionCvToHtml", 2024},  {"ActionCvToIso", 2023},    {"ActionWordToIso", 2029},
                {"ActionUpperCase", 2020}, {"ActionLowerCase", 2021},  {"ActionUpperTags", 2026},
                {"ActionLowerTags", 2025}, {"ActionWrapBlock", 2027},  {"ActionDecode", 2039},
                {"ActionEditTag", 4413},   {"ActionColor", 4206},      {"ActionHtmlCode", 0},
                {"ActionJsText", 4806},    {"ActionMailtoCode", 4416}, {"ActionJsDecode", 4807}};
    for (const auto &r : rows) {
      int count = 0;
      for (QAction *a : d->ActionList)
        count += a->objectName() == QLatin1String(r.Name);
      QVERIFY2(count == 1, r.Name);
      QCOMPARE(d->Action(r.Name)->data().toInt(), r.Tag);
    }
    QCOMPARE(d->Action("ActionCvToIso")->text(), QStringLiteral("All &HTML entities  to characters"));
    QCOMPARE(d->Action("ActionUpperCase")->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_U));
  }

  // --- The tag at the caret ---------------------------------------------------------------------

  void tagMark_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("clickBefore"); // the click lands just before this text
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("tag"); // the marked text
    QTest::newRow("link in capitals") << "x <A HREF=\"a.html\">A</A>"
                                      << "a.html" << int(ttHRef) << "<A HREF=\"a.html\">";
    QTest::newRow("image over two lines") << "<p><img\n src=\"a.png\" alt=\"a>b\"></p>"
                                          << "alt" << int(ttImg) << "<img\n src=\"a.png\" alt=\"a>b\">";
    QTest::newRow("area tag") << "<area href=\"x\">"
                              << "href" << int(ttNone) << "";
    QTest::newRow("anchor without href first") << "<a name=\"x\">"
                                               << "name" << int(ttNone) << "";
    QTest::newRow("outside any tag") << "<a href=\"x\">link</a>"
                                     << "link" << int(ttNone) << "";
  }
  void tagMark() {
    QFETCH(QString, text);
    QFETCH(QString, clickBefore);
    QFETCH(int, type);
    QFETCH(QString, tag);
    auto d = NewDoc(text);
    MarkTagAt(d.get(), At(d.get(), clickBefore));
    QCOMPARE(int(d->TagMark.TagType), type);
    if (type != ttNone) {
      d->TextBuffer->SetSelection(d->TagMark.TagStart, d->TagMark.TagEnd);
      QCOMPARE(d->TextBuffer->SelText(), tag);
    }
    // Style sheets have no tags to edit.
    auto css = NewDoc(text, ftCss);
    MarkTagAt(css.get(), At(css.get(), clickBefore));
    QCOMPARE(int(css->TagMark.TagType), int(ttNone));
  }

  void mouseClickMarksAndTextChangeClears() {
    auto d = NewDoc("<p>see <a href=\"x.html\">here</a></p>");
    d->resize(600, 300);
    d->show();
    QVERIFY(QTest::qWaitForWindowExposed(d.get()));
    TTextBuffer *buf = d->TextBuffer;
    const long pos = buf->PositionOf(At(d.get(), "x.html"));
    const QPoint p(int(buf->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, pos)) + 1,
                   int(buf->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, pos)) + 2);
    QTest::mouseClick(buf->viewport(), Qt::LeftButton, {}, p);
    QTRY_COMPARE(int(d->TagMark.TagType), int(ttHRef));
    QCOMPARE(d->TagMark.TagStart, At(d.get(), "<a"));
    // Typing changes the text: the mark is gone, and Edit tag does nothing.
    buf->SetCaretXY({1, 1});
    buf->SetSelText("x");
    QCOMPARE(int(d->TagMark.TagType), int(ttNone));
    Trigger(d.get(), "ActionEditTag");
    QVERIFY(FSeenUrl.isEmpty());
    // A right click elsewhere (outside a tag) clears it as well.
    MarkTagAt(d.get(), At(d.get(), "x.html"));
    QCOMPARE(int(d->TagMark.TagType), int(ttHRef));
    const long pos2 = buf->PositionOf(At(d.get(), "here"));
    QTest::mouseClick(
        buf->viewport(), Qt::RightButton, {},
        QPoint(int(buf->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, pos2)) + 1,
               int(buf->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, pos2)) + 2));
    QTRY_COMPARE(int(d->TagMark.TagType), int(ttNone));
  }

  void editTag_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("lineBreak");
    QTest::addColumn<QString>("clickBefore");
    QTest::addColumn<QString>("seen");   // url | attributes | text as the dialog saw them
    QTest::addColumn<QString>("answer"); // url | attributes
    QTest::addColumn<QString>("expected");
    QTest::newRow("link keeps its other attributes")
        << "<p><a hreflang=\"en\" href=\"old.html\" title=\"T\">Home</a></p>"
        << "\n"
        << "old"
        << "old.html| title=\"T\"|Home"
        << "new.html| title=\"T\""
        << "<p><a hreflang=\"en\" href=\"new.html\" title=\"T\">Home</a></p>";
    QTest::newRow("link text over lines with a bar")
        << "<a href=\"a.html\">one | two\n  three</a>\nrest"
        << "\n"
        << "a.html"
        << "a.html||one | two\n  three"
        << "b.html| target=\"_blank\""
        << "<a href=\"b.html\" target=\"_blank\">one | two\n  three</a>\nrest";
    QTest::newRow("link text over lines, CR LF") << "<A HREF='a.html'>one\r\ntwo</A>"
                                                 << "\r\n"
                                                 << "a.html"
                                                 << "a.html||one\r\ntwo"
                                                 << "c.html|"
                                                 << "<A HREF='c.html'>one\r\ntwo</A>";
    QTest::newRow("link without closing tag") << "<a href=\"a.html\">text"
                                              << "\n"
                                              << "a.html"
                                              << "a.html||"
                                              << "b.html|"
                                              << "<a href=\"b.html\">text";
    QTest::newRow("image keeps attributes before src") << "<img width=\"10\" src=\"a.png\" alt=\"A\">"
                                                       << "\n"
                                                       << "width"
                                                       << "a.png| alt=\"A\"|"
                                                       << "b.png| alt=\"B\""
                                                       << "<img width=\"10\" src=\"b.png\" alt=\"B\">";
    QTest::newRow("image over lines, self-closing") << "<img\n  src=\"a.png\" />"
                                                    << "\n"
                                                    << "src"
                                                    << "a.png| /|"
                                                    << "b b.png| /"
                                                    << "<img\n  src=\"b b.png\" />";
  }
  void editTag() {
    QFETCH(QString, text);
    QFETCH(QString, lineBreak);
    QFETCH(QString, clickBefore);
    QFETCH(QString, seen);
    QFETCH(QString, answer);
    QFETCH(QString, expected);
    auto d = NewDoc(text, ftHtml, lineBreak);
    MarkTagAt(d.get(), At(d.get(), clickBefore));
    QVERIFY(d->TagMark.TagType != ttNone);
    const TBufferCoord start = d->TagMark.TagStart;
    FLink.Url = answer.section(u'|', 0, 0);
    FLink.Attributes = answer.section(u'|', 1);
    Trigger(d.get(), "ActionEditTag");
    const QString seenNow = FSeenUrl + u'|' + FSeenAttributes +
                            (d->TextBuffer->Text().contains("<img", Qt::CaseInsensitive) ? QStringLiteral("|")
                                                                                         : u'|' + FSeenText);
    QCOMPARE(seenNow, seen);
    QCOMPARE(d->TextBuffer->Text(), expected);
    QCOMPARE(d->TextBuffer->CaretXY(), start);
    QCOMPARE(int(d->TagMark.TagType), int(ttNone));
    // One undo brings the old tag back.
    d->TextBuffer->undo();
    QCOMPARE(d->TextBuffer->Text(), text);
  }

  void editTagCancelledOrStale() {
    const QString text = "ab <a href=\"x.html\">x</a> cd";
    auto d = NewDoc(text);
    TTextBuffer *buf = d->TextBuffer;
    MarkTagAt(d.get(), At(d.get(), "x.html"));
    buf->SetSelection({2, 1}, {1, 1});
    FLink.Cancel = true;
    Trigger(d.get(), "ActionEditTag");
    QCOMPARE(FSeenUrl, QStringLiteral("x.html"));
    QCOMPARE(buf->Text(), text);
    QCOMPARE(buf->BlockBegin(), (TBufferCoord{1, 1}));
    QCOMPARE(buf->BlockEnd(), (TBufferCoord{2, 1}));
    QCOMPARE(buf->CaretXY(), (TBufferCoord{1, 1}));
    QVERIFY(!buf->isUndoAvailable());

    // A mark that no longer fits the text (changed behind its back) rewrites nothing.
    FLink = {};
    FSeenUrl.clear();
    MarkTagAt(d.get(), At(d.get(), "x.html"));
    const TTagMark stale = d->TagMark;
    buf->SetSelection({1, 1}, {3, 1});
    buf->SetSelText("");
    d->TagMark = stale;
    Trigger(d.get(), "ActionEditTag");
    QVERIFY(FSeenUrl.isEmpty());
    QCOMPARE(buf->Text(), text.mid(2));
  }

  // --- Whole-document conversions -----------------------------------------------------------------

  void documentConversions_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("lineBreak");
    QTest::addColumn<QString>("expected");
    QTest::newRow("to entities") << "ActionCvToHtml"
                                 << "K\u00E4se\n\u00FC"
                                 << "\n"
                                 << "K&auml;se\n&uuml;";
    QTest::newRow("to entities, mixed breaks kept") << "ActionCvToHtml"
                                                    << "\u00E4\r\nb\n\u00F6\rc"
                                                    << "\r\n"
                                                    << "&auml;\r\nb\n&ouml;\rc";
    QTest::newRow("to characters") << "ActionCvToIso"
                                   << "K&auml;se &AUML; &amp;\r\n&uuml;"
                                   << "\r\n"
                                   << "K\u00E4se &AUML; &amp;\r\n\u00FC";
    QTest::newRow("upper case tags") << "ActionUpperTags"
                                     << "<a href='x'>y</a>\n<!-- <b> -->"
                                     << "\n"
                                     << "<A HREF='x'>y</A>\n<!-- <b> -->";
    QTest::newRow("lower case tags") << "ActionLowerTags"
                                     << "<SCRIPT>A<B</SCRIPT>\n<P CLASS=\"X\">"
                                     << "\n"
                                     << "<script>A<B</script>\n<p class=\"X\">";
  }
  void documentConversions() {
    QFETCH(QString, action);
    QFETCH(QString, text);
    QFETCH(QString, lineBreak);
    QFETCH(QString, expected);
    auto d = NewDoc(text, ftHtml, lineBreak);
    d->TextBuffer->SetCaretXY({3, 2});
    Trigger(d.get(), action.toLatin1().constData());
    QCOMPARE(d->TextBuffer->Text(), expected);
    QCOMPARE(d->TextBuffer->CaretXY(), (TBufferCoord{1, 2}));
    QVERIFY(d->TextBuffer->Modified());
    d->TextBuffer->undo();
    QCOMPARE(d->TextBuffer->Text(), text);
  }

  void wordToChar() {
    auto d = NewDoc("x <b>K&auml;se</b> y");
    d->TextBuffer->SetCaretXY(At(d.get(), "auml"));
    Trigger(d.get(), "ActionWordToIso");
    QCOMPARE(d->TextBuffer->Text(), QStringLiteral("x <b>K\u00E4se</b> y"));
    d->TextBuffer->SetSelection({1, 1}, {2, 1});
    Trigger(d.get(), "ActionWordToIso"); // nothing to convert in the selection
    QCOMPARE(d->TextBuffer->Text(), QStringLiteral("x <b>K\u00E4se</b> y"));
  }

  void letterCase() {
    auto sharp = NewDoc("Stra\u00DFe x");
    sharp->TextBuffer->SetSelection({1, 1}, {7, 1});
    Trigger(sharp.get(), "ActionUpperCase");
    QCOMPARE(sharp->TextBuffer->SelText(), QStringLiteral("STRASSE"));
    auto d = NewDoc("eine K\u00E4se-Torte");
    d->TextBuffer->SetSelection({6, 1}, {10, 1});
    Trigger(d.get(), "ActionUpperCase");
    QCOMPARE(d->TextBuffer->Text(), QStringLiteral("eine K\u00C4SE-Torte"));
    QCOMPARE(d->TextBuffer->SelText(), QStringLiteral("K\u00C4SE"));
    Trigger(d.get(), "ActionLowerCase");
    QCOMPARE(d->TextBuffer->Text(), QStringLiteral("eine k\u00E4se-Torte"));
    QCOMPARE(d->TextBuffer->SelText(), QStringLiteral("k\u00E4se"));
  }

  void wrapBlock() {
    auto d = NewDoc("  <p>It's one of those days when the text runs on and on past the edge.</p>\nnext");
    d->TextBuffer->setEdgeColumn(30);
    d->TextBuffer->SetSelection({3, 1}, {int(d->TextBuffer->Line(1).size()) + 1, 1});
    Trigger(d.get(), "ActionWrapBlock");
    QCOMPARE(d->TextBuffer->Text(), QStringLiteral("  <p>It's one of those days\n"
                                                   "  when the text runs on and\n"
                                                   "  on past the edge.</p>\nnext"));
    QCOMPARE(d->TextBuffer->SelText(), d->TextBuffer->Text().mid(2, d->TextBuffer->Text().size() - 7));
    d->TextBuffer->undo();
    QVERIFY(d->TextBuffer->Text().startsWith("  <p>It's one of those days when"));

    // Whole lines selected with their last break: the text after the selection keeps its line.
    auto lines = NewDoc("one two\nthree four\nnext");
    lines->TextBuffer->setEdgeColumn(80);
    lines->TextBuffer->SetSelection({1, 1}, {1, 3});
    Trigger(lines.get(), "ActionWrapBlock");
    QCOMPARE(lines->TextBuffer->Text(), QStringLiteral("  one two three four\nnext"));
  }

  // --- Commands with dialogs -------------------------------------------------------------------------

  void colorAtCaret_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("expected");
    QTest::newRow("hex word replaced") << "color:#ff0000;" << 10 << "color:#00FF00;";
    QTest::newRow("other word kept") << "color:red;" << 8 << "color:r#00FF00ed;";
    QTest::newRow("five digits are no colour") << "x FF000 y" << 5 << "x FF#00FF00000 y";
  }
  void colorAtCaret() {
    QFETCH(QString, text);
    QFETCH(int, column);
    QFETCH(QString, expected);
    auto d = NewDoc(text, ftCss);
    d->TextBuffer->SetCaretXY({column, 1});
    Trigger(d.get(), "ActionColor");
    QCOMPARE(d->TextBuffer->Text(), expected);
    d->TextBuffer->undo();
    QCOMPARE(d->TextBuffer->Text(), text);
  }

  void mailEncodeThenDecode() {
    auto d = NewDoc("");
    d->TextBuffer->setTabWidth(2);
    Trigger(d.get(), "ActionMailtoCode");
    const QStringList lines = d->TextBuffer->Text().split(u'\n');
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QStringLiteral("<script language=\"JavaScript\" type=\"text/javascript\">"));
    QCOMPARE(lines[1], QStringLiteral("    MailEncode('',"));
    QVERIFY(lines[2].startsWith("    '170:"));
    QCOMPARE(lines[3], QStringLiteral("  </script>"));
    // The caret waits between the quotes for the link text.
    QCOMPARE(d->TextBuffer->CaretXY(), (TBufferCoord{17, 2}));
    d->TextBuffer->SetCaretXY({12, 3});
    Trigger(d.get(), "ActionDecode");
    QCOMPARE(FMessages, QStringList{"Decoded text:\r\ninfo@example.org"});
    // A code that is no character is refused.
    auto bad = NewDoc(QStringLiteral("'200:%1'").arg(200 ^ 0xD800));
    bad->TextBuffer->SetCaretXY({3, 1});
    FMessages.clear();
    Trigger(bad.get(), "ActionDecode");
    QVERIFY(FMessages.isEmpty());
  }

  void jsCommands() {
    auto d = NewDoc("");
    // Once the program asks the clipboard, Paste and "Text as JS argument" follow its text.
    StartAskingClipboard();
    QApplication::clipboard()->clear();
    QVERIFY(!d->Action("ActionJsText")->isEnabled());
    QVERIFY(!d->Action("ActionPaste")->isEnabled());
    QApplication::clipboard()->setText("say \"hi\"\r\nit's");
    QVERIFY(d->Action("ActionJsText")->isEnabled());
    QVERIFY(d->Action("ActionPaste")->isEnabled());
    Trigger(d.get(), "ActionJsText");
    QCOMPARE(d->TextBuffer->Text(), QStringLiteral(" say &quot;hi&quot; it&lsquo;s"));
    auto js = NewDoc("");
    Trigger(js.get(), "ActionJsDecode");
    QCOMPARE(js->TextBuffer->LineCount(), 7);
    QVERIFY(js->TextBuffer->Text().contains("function MailEncode (Name,Text) {"));
    QCOMPARE(js->TextBuffer->CaretXY(), (TBufferCoord{1, 7}));
  }

  void entityDialog() {
    TEntityTable empty;
    THtmlCharDialog none(empty);
    QString html;
    QVERIFY(!none.Execute({-1, -1}, html));
    QCOMPARE(FMessages, QStringList{"No character table loaded!"});

    THtmlCharDialog dlg(HtmlEntities());
    QTimer::singleShot(0, &dlg, [&] {
      QCOMPARE(dlg.cbGroups->count(), HtmlEntities().Groups().size());
      // The list is sorted by description.
      QVERIFY(dlg.lvChars->topLevelItem(0)->text(0) <= dlg.lvChars->topLevelItem(1)->text(0));
      dlg.cbGroups->setCurrentIndex(dlg.cbGroups->count() - 1);
      const auto items = dlg.lvChars->findItems("&amp;", Qt::MatchExactly, 1);
      QCOMPARE(items.size(), 1);
      dlg.lvChars->setCurrentItem(items.first());
      dlg.accept();
    });
    QVERIFY(dlg.Execute({-1, -1}, html));
    QCOMPARE(html, QStringLiteral("&amp;"));
  }
};

QTEST_MAIN(TstConversions)
#include "tst_conversions.moc"
