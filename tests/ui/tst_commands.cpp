// The insert commands on a real document window: each kind of command run through its action in
// HTML and CSS documents. Texts are written with markers: "|" is the caret, "[...]" the selection
// (caret at its end, or at its start when written "[|"), and each "~" before the caret one column
// of virtual space past the end of the line. Dialog answers come from a queue; "<cancel>" cancels.
#include "core/dialogs/Colors.h"
#include "core/editor/CommandCatalogue.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/DocumentHost.h"
#include "ui/editor/FindReplDlg.h"
#include "ui/editor/InsertCommands.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"
#include "ui/editor/ToolPage.h"

#include "TestSupport.h"
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QRandomGenerator>
#include <QTabWidget>

#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

class TstCommands : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  TTestHost FHost;
  QStringList FAnswers; // dialog answers, taken from the front
  QStringList FAsked;   // what the dialogs were asked, in order

  // The next answer; false for "<cancel>" or when none is left.
  bool Answer(QString &out) {
    if (FAnswers.isEmpty())
      return false;
    const QString a = FAnswers.takeFirst();
    if (a == QLatin1String("<cancel>"))
      return false;
    out = a;
    return true;
  }

  std::unique_ptr<TMDIForm> NewDoc(TFileTypes ft, const QString &marked) {
    auto d = std::make_unique<TMDIForm>(&FHost, nullptr, ft);
    d->TextPath = FHost.Root;
    d->TextName = FHost.Root + QStringLiteral("page.html");
    d->TextBuffer->setTabWidth(2);
    d->TextBuffer->setAutoIndent(true);
    const TMarked m = ParseMarked(marked);
    d->TextBuffer->LoadContent(m.Text, QStringLiteral("\n"));
    d->TextBuffer->SetSelection(m.Anchor, m.Caret);
    return d;
  }

  void InstallDialogs() {
    TInsertDialogs &d = InsertDialogs();
    d.Value = [this](QPoint, const QString &prompt, TAttrType, QString &value) {
      FAsked << prompt + u'=' + value;
      return Answer(value);
    };
    d.Text = [this](QPoint, const QString &caption, const QString &label, QString &text) {
      FAsked << caption + u'/' + label + u'=' + text;
      return Answer(text);
    };
    d.TwoTexts = [this](QPoint, const QString &caption, const QString &, QString &a, const QString &,
                        QString &b) {
      FAsked << caption;
      return Answer(a) && Answer(b);
    };
    d.HistoryText = [this](QPoint, const QString &caption, const QString &label, QString &text,
                           const QString &list) {
      FAsked << caption + u'/' + label + u'@' + list;
      return Answer(text);
    };
    d.TwoNumbers = [this](QPoint, const QString &caption, const QString &, int &a, const QString &, int &b,
                          int, int) {
      FAsked << caption + QStringLiteral("=%1,%2").arg(a).arg(b);
      QString x, y;
      if (!Answer(x) || !Answer(y))
        return false;
      a = x.toInt();
      b = y.toInt();
      return true;
    };
    d.Option = [this](QPoint, const QString &caption, const QString &choices, QString &value) {
      FAsked << caption + u'=' + choices;
      return Answer(value);
    };
    d.Color = [this](QPoint, const QString &title, quint32 &color) {
      FAsked << title + u'=' + ColorToHex(color);
      QString hex;
      if (!Answer(hex))
        return false;
      color = hex == QLatin1String("none") ? NoColor : HexToColor(hex);
      return true;
    };
    d.MailAddress = [this](QPoint, QString &address) {
      FAsked << QStringLiteral("mail");
      return Answer(address);
    };
    d.Date = [this](QPoint, int &format, QString &text, const QLocale &) {
      FAsked << QStringLiteral("date=%1").arg(format);
      format = 3;
      return Answer(text);
    };
    d.FileSize = [this](QPoint, const QString &file, bool &, QString &size) {
      FAsked << QStringLiteral("size of ") + QFileInfo(file).fileName();
      return Answer(size);
    };
    d.OpenFile = [this](const QString &title, const QString &, const QString &) {
      FAsked << title;
      QString f;
      return Answer(f) ? QDir(FHost.Root).absoluteFilePath(f) : QString();
    };
    d.LastUrlFile = [] { return QString(); };
    d.Link = [this](QPoint, const QString &title, const QString &hint, QString &text, QString &link,
                    const QString &, const QString &filter) {
      FAsked << title + u'/' + hint + u'/' + filter;
      return Answer(link) && (hint.isEmpty() || Answer(text));
    };
    d.Reference = [this](QPoint, const QString &caption, const QString &, QString &attrs, QString &text,
                         QString &url) {
      FAsked << caption + u'=' + text;
      return Answer(url) && Answer(attrs) && Answer(text);
    };
    d.SelectFromList = [this](QPoint, const QString &caption, const QString &description,
                              const QStringList &items, QString &chosen) {
      FAsked << caption + u'/' + description + u'=' + items.join(u';');
      QString a;
      if (!Answer(a))
        return 2;
      if (a == QLatin1String("<new>"))
        return 6;
      chosen = items.value(a.toInt());
      return 1;
    };
    d.Image = [this](QPoint, const QString &, QString &image, QString &attrs) {
      FAsked << QStringLiteral("image");
      return Answer(image) && Answer(attrs);
    };
    d.ImageMap = [this](QPoint, QString &name) { return Answer(name); };
    d.Entity = [this](QPoint, QString &entity) { return Answer(entity); };
  }

  // Runs the action on the document and checks the text, then that one undo restores it.
  void RunAndCheck(TMDIForm *doc, const QString &action, const QString &after) {
    const QString start = doc->TextBuffer->Text();
    QAction *a = doc->Action(action);
    QVERIFY2(a, qPrintable(action));
    a->trigger();
    QCOMPARE(RenderMarked(*doc->TextBuffer), after);
    if (doc->TextBuffer->Text() != start) {
      doc->TextBuffer->undo();
      QCOMPARE(doc->TextBuffer->Text(), start);
    }
  }

private slots:
  void initTestCase() {
    FHost.Root = FDir.path() + u'/';
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FAsked << QStringLiteral("message: ") + text;
      return mrOk;
    });
    InstallDialogs();
  }
  void init() {
    FAnswers.clear();
    FAsked.clear();
  }

  void commands_data();
  void commands();
  void keys();
  void hashes();
  void catalogue();
  void crlfDocument();
  void sizeText_data();
  void sizeText();
  void anchors();
};

void TstCommands::commands_data() {
  QTest::addColumn<int>("fileType");
  QTest::addColumn<QString>("action");
  QTest::addColumn<QString>("before");
  QTest::addColumn<QStringList>("answers");
  QTest::addColumn<QString>("after");
  QTest::addColumn<QString>("asked"); // the first question, when the case checks it

  QFile size(FDir.filePath("size.bin"));
  size.open(QIODevice::WriteOnly);
  size.write(QByteArray(12800, 'x'));
  size.close();

  auto row = [](const char *name, TFileTypes ft, const char *action, const QString &before,
                const QStringList &answers, const QString &after, const QString &asked = {}) {
    QTest::newRow(name) << int(ft) << QString::fromLatin1(action) << before << answers << after << asked;
  };
  const QString ahead = "<a name=\"one\">First</a> <a href=\"x\">x</a>\n";

  // Tag pairs, inline and on lines of their own, and as rules in style sheets.
  row("inline around the selection", ftHtml, "ActionBold", "x [Hello] y", {}, "x <b>[Hello]</b> y");
  row("inline at the caret", ftHtml, "ActionHd2", "a|b", {}, "a<h2>|</h2>b");
  row("block after text", ftHtml, "ActionDiv", "Hello|", {}, "Hello\n<div>\n  |\n</div>");
  row("block with attributes", ftHtml, "ActionTextAlignCenter", "  |", {},
      "  <div align=\"center\">\n    |\n  </div>");
  row("css: tag becomes a rule", ftCss, "ActionBold", "|", {}, "b {\n  |\n  }");
  row("css: block tag becomes a rule", ftCss, "ActionUList", "|", {}, "ul {\n  |\n  }");

  // Fixed texts.
  row("put", ftHtml, "ActionFixSpace", "a|b", {}, "a&nbsp;|b");
  row("put replaces the selection", ftHtml, "ActionListSquare", "<ul[ x]>", {}, "<ul type=\"square\"|>");
  row("put, caret inside the quotes", ftHtml, "ActionAlignChar", "<td|>", {},
      "<td align=\"char\" char=\"|\">");
  row("put, caret before ';'", ftCss, "ActionBorderAllTop", "p { | }", {}, "p { border-top:|; }");
  row("put, then a line break", ftHtml, "ActionHorLine", "  text|", {}, "  text<hr>\n  |");
  row("code in html", ftHtml, "ActionStyleBgTransp", "|", {}, "background-color:transparent|");
  row("code in css ends the line", ftCss, "ActionStyleBgTransp", "  |", {},
      "  background-color:transparent\n  |");
  row("script block", ftHtml, "ActionJSBody", "|", {},
      "  <script language=\"JavaScript\" type=\"text/javascript\">\n    <!--\n~~|\n    //-->\n  </script>\n");
  row("style block", ftHtml, "ActionStylesHtml", "    |", {},
      "        <style type=\"text/css\">\n      <!--\n~~|\n      -->\n    </style>\n");

  // Values asked first.
  row("value", ftHtml, "ActionWidth", "<td|>", {"120"}, "<td width=\"120\"|>", "Width:=100%");
  row("value left empty", ftHtml, "ActionBorder", "<table|>", {""}, "<table border=\"|\">",
      "Width of border lines=1");
  row("value cancelled", ftHtml, "ActionHeight", "<td[ x]>", {"<cancel>"}, "<td[ x]>");
  row("value in css", ftCss, "ActionFontSize", "|", {"2em"}, "font-size:2em;\n|", "Font size=1.0em");
  row("value of a side family", ftCss, "ActionMarginTop", "|", {"1px"}, "margin-top:1px;\n|",
      "Margin (outside):at top:=10px");
  row("colour attribute", ftHtml, "ActionBgColor", "<body|>", {"FF8000"}, "<body bgcolor=\"#FF8000\"|>",
      "Background color=FFFFFF");
  row("colour of visited links", ftHtml, "ActionVisitColor", "|", {"00FF00"}, " vlink=\"#00FF00\"|",
      "Color of visited links=FF00FF");
  row("colour property in css", ftCss, "ActionFontCol", "|", {"0000FF"}, "color:#0000FF;\n|",
      "Font color=000000");
  row("colour of a border side", ftCss, "ActionBorderLeftColor", "|", {"123456"},
      "border-left-color:#123456;\n|", "Frame color at left:=000000");
  row("colour: no color inserts nothing", ftHtml, "ActionFontColor", "a|", {"none"}, "a|");
  row("colour cancelled", ftHtml, "ActionTextColor", "a|", {"<cancel>"}, "a|");
  row("option in css", ftCss, "ActionFontStyle", "|", {"oblique"}, "font-style:oblique;\n|",
      "Font style=italic,oblique,normal");
  row("option of a side family", ftCss, "ActionBorderRightStyle", "|", {"dotted"},
      "border-right-style:dotted;\n|",
      "Frame style at right:=none,hidden,dotted,dashed,solid,double,groove,ridge,inset,outset");
  row("option put", ftHtml, "ActionFScroll", "<frame|>", {"no"}, "<frame scrolling=\"no\"|>");
  row("text input", ftHtml, "ActionSelectOpt", "|", {"v1"}, "<option label=\"v1\">|</option>",
      "List item/Value:=");
  row("text input, then a line break", ftHtml, "ActionInputText", "|", {"name"},
      "<input type=\"text\" name=\"name\">\n|");
  row("two texts", ftHtml, "ActionInputRadio", "|", {"g", "1"},
      "<input type=\"radio\" name=\"g\" value=\"1\">|", "Radio button");
  row("container block", ftHtml, "ActionForm", "  |", {"send.php"},
      "  <form action=\"send.php\">\n~~~~|\n  </form>", "Form/Action:=");
  row("container with a default", ftHtml, "ActionFrameCols", "|", {"20%,*"},
      "<frameset cols=\"20%,*\">\n~~|\n</frameset>", "Vertical frame/Width:=100,*");
  row("container cancelled", ftHtml, "ActionSelect", "a|b", {"<cancel>"}, "a|b");
  row("link attribute", ftHtml, "ActionBgImg", "<body|>", {"img/bg.gif"}, "<body background=\"img/bg.gif\"|>",
      "Background image//GIF|*.gif|JPEG|*.jpg|PNG|*.png");
  row("link code in css", ftCss, "ActionStyleBgImg", "|", {"a.png"}, "background-image:url(a.png);\n|");
  row("external script", ftHtml, "ActionJSInclude", "|", {"a.js"},
      "<script language=\"JavaScript\" src=\"a.js\"></script>\n|",
      "Include Javascript//Javascript|*.js|all|*.*");

  // Commands with handlers of their own.
  row("link around the selection", ftHtml, "ActionLink", "[Home]", {"index.html", "", "Home"},
      "<a href=\"index.html\">Home</a>|", "Insert reference=Home");
  row("link without text", ftHtml, "ActionLink", "|", {"index.html", " target=\"_top\"", ""},
      "<a href=\"index.html\" target=\"_top\">|</a>");
  row("link in css", ftCss, "ActionLink", "|", {}, "a {|}");
  row("anchor", ftHtml, "ActionTarget", "[Top]", {"top"}, "<a name=\"top\">[Top]</a>",
      "New anchor/Name:@AnchorList");
  row("anchor in css", ftCss, "ActionTarget", "|", {}, "a {|}");
  row("goto a local anchor", ftHtml, "ActionGoto", ahead + "[see]", {"0"},
      ahead + "<a href=\"#one\">[see]</a>", "Select local anchor/page.html=one (1): First");
  row("goto, new name", ftHtml, "ActionGoto", ahead + "|", {"<new>", "two"},
      ahead + "<a href=\"#two\">|</a>");
  row("goto without anchors", ftHtml, "ActionGoto", "|", {"x"}, "<a href=\"#x\">|</a>",
      "Goto anchor/Name:@AnchorList");
  row("goto in css", ftCss, "ActionGoto", "|", {}, "a {|}");
  row("goto in a script does nothing", ftJs, "ActionGoto", "|", {}, "|");
  row("image", ftHtml, "ActionImage", "|", {"a.png", " alt=\"\""}, "<img src=\"a.png\" alt=\"\">|");
  row("image in css", ftCss, "ActionImage", "|", {}, "img {|}");
  row("image map", ftHtml, "ActionImageMap", "|", {"m"}, "<map name=\"m\">\n  |\n</map>");
  row("mail, nothing", ftHtml, "ActionMailto", "|", {""}, "<a href=\"mailto:|\"></a>");
  row("mail, address only", ftHtml, "ActionMailto", "|", {"a@b.c"}, "<a href=\"mailto:a@b.c\">|</a>");
  row("mail, text only", ftHtml, "ActionMailto", "[Mail me]", {""}, "<a href=\"mailto:|\">Mail me</a>");
  row("mail, both", ftHtml, "ActionMailto", "[Mail me]", {"a@b.c"}, "<a href=\"mailto:a@b.c\">Mail me</a>|");
  row("comment around the selection", ftHtml, "ActionComment", "[x]", {}, "<!-- [x]-->");
  row("comment around the selection in css", ftCss, "ActionComment", "[x]", {}, "/* [x] */");
  row("comment asked", ftHtml, "ActionComment", "|", {"note"}, "<!-- note| -->", "Insert comment/Text:=");
  row("comment asked in css", ftCss, "ActionComment", "|", {"note"}, "/* note| */");
  row("table template", ftHtml, "ActionNewTable", "|", {"3", "2"},
      "<table>\n  <tr>\n    <td>|</td>\n    <td></td>\n    <td></td>\n  </tr>\n  <tr>\n    <td></td>\n"
      "    <td></td>\n    <td></td>\n  </tr>\n</table>\n",
      "Table=2,2");
  row("table template cancelled", ftHtml, "ActionNewTable", "|", {"<cancel>"}, "|");
  row("frame contents", ftHtml, "ActionFrameRef", "|", {"a.html", "main"},
      "<frame src=\"a.html\" name=\"main\">|", "Frame contents/Name:/HTML document|*.htm;*.html|all|*.*");
  row("embedded frame", ftHtml, "ActionIFrames", "|", {"a.html"}, "<iframe src=\"a.html\">\n  |\n</iframe>");
  row("text area", ftHtml, "ActionTextArea", "|", {"4", "40"},
      "<textarea name=\"user_eingabe\" rows=\"4\" cols=\"40\"></textarea>\n|", "Text area=2,20");
  row("default value", ftHtml, "ActionFormValue", "<input|>", {"abc"}, "<input value=\"abc\"|>",
      "Text input/Default value:@ValueList");
  row("background position keyword", ftCss, "ActionStyleBgPos", "|", {"top"}, "background-position:top;\n|");
  row("background position in pixels", ftCss, "ActionStyleBgPos", "|", {"<user defined>", "5", "7"},
      "background-position:7px 5px;\n|");
  row("date", ftHtml, "ActionDate", "|", {"10.12.2026"}, "10.12.2026|", "date=0");
  row("file size", ftHtml, "ActionFileSize", "|", {"size.bin", "12,5 KiB"}, "12,5 KiB|", "Select file");
  row("file size replaces the size at the caret", ftHtml, "ActionFileSize", "Size: 12,5 KiB| here",
      {"size.bin", "13 kB"}, "Size: 13 kB| here");
  row("file size keeps other text", ftHtml, "ActionFileSize", "Size: 12,5 KiB here|", {"size.bin", "13 kB"},
      "Size: 12,5 KiB here13 kB|");
}

void TstCommands::commands() {
  QFETCH(int, fileType);
  QFETCH(QString, action);
  QFETCH(QString, before);
  QFETCH(QStringList, answers);
  QFETCH(QString, after);
  QFETCH(QString, asked);

  auto doc = NewDoc(TFileTypes(fileType), before);
  QCOMPARE(RenderMarked(*doc->TextBuffer), before);
  FAnswers = answers;
  RunAndCheck(doc.get(), action, after);
  if (!asked.isEmpty())
    QCOMPARE(FAsked.value(0), asked);
  QVERIFY2(FAnswers.isEmpty(), "every answer is used");
  if (action == QLatin1String("ActionDate"))
    QCOMPARE(doc->TextDateFormat(), 3); // the format chosen is the document's from now on
}

void TstCommands::keys() {
  auto doc = NewDoc(ftHtml, "[Hello]");
  doc->show();
  doc->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(doc.get()));
  doc->TextBuffer->setFocus();
  QTest::keyClick(doc->TextBuffer, Qt::Key_B, Qt::ControlModifier);
  QCOMPARE(RenderMarked(*doc->TextBuffer), QString("<b>[Hello]</b>"));
  // Ctrl+L is the list item's (the link has no key), although the editor control has a command
  // of its own for it.
  QTest::keyClick(doc->TextBuffer, Qt::Key_L, Qt::ControlModifier);
  QCOMPARE(RenderMarked(*doc->TextBuffer), QString("<b><li>[Hello]</li></b>"));
  QVERIFY(FAsked.isEmpty());
  QTest::keyClick(doc->TextBuffer, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(doc->TextBuffer->Text(), QString("<b>Hello</b>"));

  // Month and year follow today's date.
  auto other = NewDoc(ftHtml, "|");
  other->Action("ActionYear")->trigger();
  other->Action("ActionMonth")->trigger();
  QCOMPARE(other->TextBuffer->Text(), QString::number(QDate::currentDate().year()) +
                                          other->FormSet.monthName(QDate::currentDate().month()));
}

void TstCommands::hashes() {
  // Larger than one piece of the reader, with a remainder.
  const QString file = FDir.filePath("big.bin");
  {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QByteArray block(1 << 20, Qt::Uninitialized);
    QRandomGenerator gen(42);
    for (int i = 0; i < 33; ++i) {
      gen.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
      QVERIFY(f.write(block) == block.size());
    }
    QVERIFY(f.write("tail", 4) == 4);
  }
  QVERIFY(QFileInfo(file).size() > HashPieceSize);

  const struct {
    const char *Action, *Tool, *Name;
  } cases[] = {{"ActionHashMD5", "md5sum", "MD5"},
               {"ActionHashSHA1", "sha1sum", "SHA1"},
               {"ActionHashSHA256", "sha256sum", "SHA256"}};
  for (const auto &c : cases) {
    QProcess p;
    p.start(QString::fromLatin1(c.Tool), {file});
    QVERIFY(p.waitForFinished(60000));
    const QString expected = QString::fromLatin1(p.readAllStandardOutput()).section(u' ', 0, 0);
    QCOMPARE(expected.size() > 0, true);

    auto doc = NewDoc(ftHtml, "|");
    FAnswers = {"big.bin"};
    RunAndCheck(doc.get(), c.Action, QString::fromLatin1(c.Name) + ": " + expected + "|");
    QCOMPARE(doc->LastSizeFile, file);
  }

  // A file that cannot be read: an error, and nothing is inserted.
  auto doc = NewDoc(ftHtml, "a|");
  FAnswers = {"missing.bin"};
  FAsked.clear();
  RunAndCheck(doc.get(), "ActionHashMD5", "a|");
  QVERIFY(FAsked.last().startsWith("message: "));
  QVERIFY(FAsked.last().contains("missing.bin"));
}

void TstCommands::catalogue() {
  auto doc = NewDoc(ftHtml, "|");
  QSet<QString> names;
  QSet<int> tags;
  QHash<QString, QString> keys;
  for (QAction *a : doc->ActionList) {
    QVERIFY2(!names.contains(a->objectName()), qPrintable(a->objectName()));
    names << a->objectName();
    const int tag = a->data().toInt();
    if (tag) {
      QVERIFY2(!tags.contains(tag), qPrintable(a->objectName()));
      tags << tag;
    }
    for (const QKeySequence &k : a->shortcuts()) {
      const QString text = k.toString(QKeySequence::PortableText);
      if (text.isEmpty())
        continue; // no key

      QVERIFY2(!keys.contains(text), qPrintable(text + " " + keys.value(text) + " " + a->objectName()));
      keys.insert(text, a->objectName());
    }
  }
  QCOMPARE(keys.value("Ctrl+L"), QString("ActionListItem"));
  QVERIFY(doc->Action("ActionLink")->shortcut().isEmpty());

  // Every command of the table is an action, every handler it names exists, and the menu and
  // the tool pages reach it.
  const QStringList handlers = InsertHandlerNames();
  QSet<QAction *> inMenu, onPage;
  std::function<void(QMenu *, QSet<QAction *> &)> collect = [&](QMenu *m, QSet<QAction *> &into) {
    emit m->aboutToShow(); // menus are filled when first opened
    for (QAction *a : m->actions()) {
      into << a;
      if (a->menu())
        collect(a->menu(), into);
    }
  };
  collect(doc->MenuInsert, inMenu);
  for (int i = 0; i < doc->pcTools->count(); ++i) {
    // A page makes its buttons (those for submenus too) when it is first shown.
    auto *tb = qobject_cast<TToolPage *>(doc->pcTools->widget(i));
    QVERIFY(tb);
    tb->Realize();
    for (QAction *a : tb->actions()) {
      onPage << a;
      if (a->menu())
        collect(a->menu(), onPage);
    }
    for (QToolButton *b : tb->findChildren<QToolButton *>())
      if (b->menu())
        collect(b->menu(), onPage);
  }
  for (const TCommandRow &row : CommandRows()) {
    QAction *a = doc->Action(row.Name);
    QVERIFY2(a, row.Name);
    QCOMPARE(a->data().toInt(), row.Tag);
    if (row.Kind == ckSpecial)
      QVERIFY2(handlers.contains(row.Text[0]), row.Name);
    QVERIFY2(inMenu.contains(a), row.Name);
    QVERIFY2(onPage.contains(a), row.Name);
  }
}

void TstCommands::crlfDocument() {
  // Blocks built with CR LF land in the document's own line breaks, caret where it belongs.
  auto doc = NewDoc(ftHtml, "|");
  doc->TextBuffer->LoadContent("a\r\n", "\r\n");
  doc->TextBuffer->SetCaretXY({1, 2});
  FAnswers = {"1", "1"};
  doc->Action("ActionNewTable")->trigger();
  QCOMPARE(doc->TextBuffer->Text(),
           QString("a\r\n<table>\r\n  <tr>\r\n    <td></td>\r\n  </tr>\r\n</table>\r\n"));
  QCOMPARE(doc->TextBuffer->CaretXY(), TBufferCoord({9, 4}));
  doc->TextBuffer->SetCaretXY({1, 7});
  FAnswers = {"x"};
  doc->Action("ActionForm")->trigger();
  QCOMPARE(doc->TextBuffer->Text().mid(doc->TextBuffer->Text().indexOf("<form")),
           QString("<form action=\"x\">\r\n\r\n</form>"));
  QCOMPARE(doc->TextBuffer->CaretXY(), TBufferCoord({3, 8}));
}

void TstCommands::sizeText_data() {
  QTest::addColumn<QString>("line"); // "|" marks the caret
  QTest::addColumn<QString>("found");
  QTest::newRow("after the size") << "x 12,5 KiB|"
                                  << "12,5 KiB";
  QTest::newRow("inside the size") << "x 12,|5 KiB y"
                                   << "12,5 KiB";
  QTest::newRow("before the size") << "|12 MB"
                                   << "12 MB";
  QTest::newRow("decimal units") << "(1.5 kB|)"
                                 << "1.5 kB";
  QTest::newRow("too short") << "1 B|"
                             << "";
  QTest::newRow("too long") << "1234567890 B|"
                            << "";
  QTest::newRow("longest") << "123456789 B|"
                           << "123456789 B";
  QTest::newRow("size further on") << "ab| 12 KiB"
                                   << "";
  QTest::newRow("no size") << "Big|"
                           << "";
}

void TstCommands::sizeText() {
  QFETCH(QString, line);
  QFETCH(QString, found);
  const int caret = int(line.indexOf(u'|')) + 1;
  line.remove(u'|');
  const std::optional<TTextRun> run = FindSizeText(line, caret);
  QCOMPARE(run ? line.mid(run->Char - 1, run->Length) : QString(), found);
}

void TstCommands::anchors() {
  // Capitals, markup and breaks in the link text; an attribute before the name, a tag that only
  // starts with "a", and a name without its closing quote are no anchors.
  const QString text =
      QString("<p>\n<A NAME=\"Top\">Back <b>to</b>\r\nthe%1top</a>\n"
              "<a href=\"x\" name=\"no\">x</a> <area name=\"no\"> <a\tname=\" last \">x</A>\n"
              "<a name=\"open>x")
          .arg(QChar(160));
  QCOMPARE(ReadLocalAnchors(text), QStringList({"|Top| (2): Back to the top", "|last| (4): "}));
  QCOMPARE(AnchorNameOfEntry("|Top| (2): Back (to) the top"), QString("Top"));
  QCOMPARE(AnchorNameOfEntry(" new name "), QString("new name"));
}

QTEST_MAIN(TstCommands)
#include "tst_commands.moc"
