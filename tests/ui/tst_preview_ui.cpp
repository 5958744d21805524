// The preview in both engines, the external browser, the HTML reference and the program's help,
// and "Check page", driven through the main window's commands.
#include "core/common/IniFileUtils.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/HauptForm.h"
#include "ui/app/HauptFormPanels.h"
#include "ui/app/HauptFormPreview.h"
#include "ui/app/RecoverDlg.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"
#include "ui/preview/PreviewEngine.h"
#include "ui/preview/WebBrowser.h"
#include "ui/preview/WebView.h"

#include "TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

// Receives the addresses the desktop would open.
class TUrlRecorder : public QObject {
  Q_OBJECT
public:
  QList<QUrl> Urls;
public slots:
  void Open(const QUrl &url) { Urls << url; }
};

class TstPreviewUi : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  QString FWeb;
  QStringList FAsked;
  TUrlRecorder FDesktop;

  // The window is hidden before it goes, as closing it does in the program.
  struct THide {
    void operator()(THauptForm *m) const {
      m->hide();
      delete m;
    }
  };
  using TMain = std::unique_ptr<THauptForm, THide>;
  TMain NewMain(bool edge) {
    const QString ini = FDir.filePath("config/Tamrix/tst_preview_ui.ini");
    auto w = TUnicodeIniFile::CreateForWrite(ini);
    w->WriteString("Config", "StdPath", FWeb);
    w->WriteBool("Config", "EdgeBrowser", edge);
    [&] { QVERIFY(w->UpdateFile()); }();
    TMain m(new THauptForm(QStringList{}));
    m->ProjectDialogResponder = [this](TProjectInfo &p, const QString &) {
      p.ProjName = "Site";
      p.ProjPath = FWeb;
      return true;
    };
    m->SelectProjectResponder = [](const QStringList &, int &index) {
      index = 0;
      return 1;
    };
    m->SaveNameResponder = [this](const QString &, const QString &, const QString &) {
      static int n = 0;
      return FDir.filePath(QString("proj%1.prj").arg(++n));
    };
    const bool ok = m->Init();
    [&] { QVERIFY(ok); }();
    m->show();
    return m;
  }
  static TPreviewCommands *Commands(THauptForm &m) { return TPreviewCommands::Of(&m); }
  static void SetText(TMDIForm *d, const QString &text) { d->TextBuffer->setText(text); }
  // The text the engine shows, asked until it holds expected (the modern engine answers later).
  static QString WaitForText(TPreviewEngine *e, const QString &expected, int timeoutMs = 20000) {
    QElapsedTimer t;
    t.start();
    QString last;
    while (t.elapsed() < timeoutMs) {
      bool done = false;
      e->PageText([&](const QString &s) {
        last = s;
        done = true;
      });
      QElapsedTimer wait;
      wait.start();
      while (!done && wait.elapsed() < 5000)
        QTest::qWait(20);
      if (last.contains(expected))
        return last;
      QTest::qWait(50);
    }
    return last;
  }

private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toUtf8());
    FWeb = FDir.filePath("web site/");
    QDir().mkpath(FWeb);
    QDir().mkpath(FDir.filePath("config/Tamrix"));
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FAsked << text;
      return mrYes;
    });
    TRecoverDialog::SetResponder([](const QString &, const QString &) { return rcLater; });
    QDesktopServices::setUrlHandler("file", &FDesktop, "Open");
    QDesktopServices::setUrlHandler("https", &FDesktop, "Open");
  }
  void cleanupTestCase() {
    QDesktopServices::unsetUrlHandler("file");
    QDesktopServices::unsetUrlHandler("https");
  }
  void init() {
    FAsked.clear();
    FDesktop.Urls.clear();
  }

  void engines_data() {
    QTest::addColumn<bool>("edge");
    QTest::newRow("classic") << false;
    if (ModernEngineAvailable())
      QTest::newRow("modern") << true;
  }

  // F12 shows the edited, unsaved text; F12 in the preview goes back; F12 again updates it.
  void previewShowsEditedText_data() { engines_data(); }
  void previewShowsEditedText() {
    QFETCH(bool, edge);
    auto m = NewMain(edge);
    TMDIForm *doc = m->ActiveDocument();
    QVERIFY(doc);
    SetText(doc, "<html><body><p>first draft</p></body></html>\n");
    m->Action("ActionPreview")->trigger();
    TfrmWebView *view = Commands(*m)->WebView();
    QVERIFY(view->isVisible());
    QCOMPARE(view->EdgeMode(), edge);
    QCOMPARE(view->Engine()->IsModern(), edge);
    QVERIFY(WaitForText(view->Engine(), "first draft").contains("first draft"));
    QVERIFY(QFileInfo::exists(FWeb + "~tst_preview_ui.html"));
    QVERIFY(doc->IsModified()); // the document itself is not saved
    // Back to the editor, edit, preview again.
    view->activateWindow();
    QTRY_VERIFY(view->isActiveWindow());
    m->Action("ActionPreview")->trigger();
    QTRY_VERIFY(m->isActiveWindow());
    SetText(doc, "<html><body><p>second draft</p></body></html>\n");
    m->Action("ActionPreview")->trigger();
    QVERIFY(WaitForText(view->Engine(), "second draft").contains("second draft"));
    QVERIFY2(FAsked.isEmpty(), qPrintable(FAsked.join('|')));
  }

  // The open preview follows the active document; a style sheet leaves the page alone.
  void followsActiveDocument() {
    auto m = NewMain(false);
    TMDIForm *one = m->ActiveDocument();
    SetText(one, "<p>page one</p>\n");
    m->Action("ActionPreview")->trigger();
    TfrmWebView *view = Commands(*m)->WebView();
    QVERIFY(WaitForText(view->Engine(), "page one").contains("page one"));
    QVERIFY(WriteAll(FWeb + "two.html", "<p>page two</p>\n"));
    QVERIFY(m->OpenTextFile(FWeb + "two.html"));
    QVERIFY(WaitForText(view->Engine(), "page two").contains("page two"));
    QCOMPARE(view->windowTitle(), m->ActiveDocument()->Caption());
    TMDIForm *css = m->CreateNewText(ftCss);
    SetText(css, "p { color: red }\n");
    m->ActivateText(css);
    QTest::qWait(100);
    QVERIFY(WaitForText(view->Engine(), "page two").contains("page two"));
    QCOMPARE(view->ShownDocument(), FWeb + "two.html");
    // With "Refresh while typing" an edit shows by itself, at the place the page was scrolled to.
    m->ActivateText(one);
    QVERIFY(WaitForText(view->Engine(), "page one").contains("page one"));
    Commands(*m)->RefreshTypingAction->setChecked(true);
    QString longPage;
    for (int i = 0; i < 400; ++i)
      longPage += QString("<p>line %1</p>\n").arg(i);
    SetText(one, longPage);
    QVERIFY(WaitForText(view->Engine(), "line 399").contains("line 399"));
    auto *browser = qobject_cast<QTextBrowser *>(view->Engine()->Widget());
    QVERIFY(browser);
    QScrollBar *bar = browser->verticalScrollBar();
    QVERIFY(bar->maximum() > 100);
    bar->setValue(bar->maximum());
    const int place = bar->value();
    one->TextBuffer->append("<p>appended</p>\n");
    QVERIFY(WaitForText(view->Engine(), "appended").contains("appended"));
    // Not back at the top: still at the end, where the reader was, with the new line below (measured
    // from the end: on a busy machine the window may get its final size only now, which moves
    // every place but the end).
    QTRY_VERIFY2(bar->maximum() - bar->value() < 100,
                 qPrintable(QStringLiteral("%1 of %2, was %3").arg(bar->value()).arg(bar->maximum()).arg(place)));
  }

  // "800x600" makes the browser area that size; the size and place survive a restart.
  void sizeListAndPlace() {
    {
      auto m = NewMain(false);
      SetText(m->ActiveDocument(), "<p>sized</p>\n");
      m->Action("ActionPreview")->trigger();
      TfrmWebView *view = Commands(*m)->WebView();
      QVERIFY(QTest::qWaitForWindowExposed(view));
      const int index = view->cbSize->findText("800x600");
      QVERIFY(index > 0);
      view->cbSize->setCurrentIndex(index);
      emit view->cbSize->activated(index);
      QCOMPARE(view->BrowserSize(), QSize(800, 600));
      QCOMPARE(view->cbSize->itemText(0), QString("800x600"));
      view->move(40, 30);
    }
    auto ini = TUnicodeIniFile::CreateForRead(FDir.filePath("config/Tamrix/tst_preview_ui.ini"));
    QCOMPARE(ini->ReadInteger("Preview", "Width", 0), 800);
    QCOMPARE(ini->ReadInteger("Preview", "Height", 0), 600);
    auto m = NewMain(false);
    SetText(m->ActiveDocument(), "<p>again</p>\n");
    m->Action("ActionPreview")->trigger();
    TfrmWebView *view = Commands(*m)->WebView();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    QCOMPARE(view->cbSize->itemText(0), QString("800x600"));
    QCOMPARE(view->BrowserSize(), QSize(800, 600));
    QCOMPARE(view->pos(), QPoint(40, 30));
  }

  // Style sheets and images beside the document are found (relative to its folder).
  void relativeResources_data() { engines_data(); }
  void relativeResources() {
    QFETCH(bool, edge);
    QImage logo(7, 5, QImage::Format_RGB32);
    logo.fill(Qt::red);
    QVERIFY(logo.save(FWeb + "logo.png"));
    QVERIFY(WriteAll(FWeb + "style.css", "p { color: rgb(0, 128, 0) }\n"));
    QVERIFY(WriteAll(FWeb + "page.html", "<html><head><link rel=\"stylesheet\" href=\"style.css\"></head>"
                                           "<body><p>styled</p><img id=\"logo\" src=\"logo.png\"></body></html>\n"));
    auto m = NewMain(edge);
    QVERIFY(m->OpenTextFile(FWeb + "page.html"));
    m->Action("ActionPreview")->trigger();
    TfrmWebView *view = Commands(*m)->WebView();
    QVERIFY(WaitForText(view->Engine(), "styled").contains("styled"));
    if (!edge) {
      auto *browser = qobject_cast<QTextBrowser *>(view->Engine()->Widget());
      const QVariant image =
          browser->document()->resource(QTextDocument::ImageResource, QUrl::fromLocalFile(FWeb + "logo.png"));
      QCOMPARE(image.value<QImage>().size(), QSize(7, 5));
      QVERIFY2(browser->toHtml().contains("color:#008000"), qPrintable(browser->toHtml().right(400)));
      return;
    }
    QString answer;
    const QString js = "getComputedStyle(document.querySelector('p')).color + ' ' + "
                       "document.getElementById('logo').naturalWidth";
    QElapsedTimer t;
    t.start();
    while (answer != "rgb(0, 128, 0) 7" && t.elapsed() < 20000) {
      bool done = false;
      view->Engine()->RunScript(js, [&](const QVariant &v) {
        answer = v.toString();
        done = true;
      });
      QTRY_VERIFY_WITH_TIMEOUT(done, 5000);
      QTest::qWait(50);
    }
    QCOMPARE(answer, QString("rgb(0, 128, 0) 7"));
  }

  // F10: the chosen browser gets the preview file as one argument; without one the desktop opens it.
  void externalBrowser() {
    const QString record = FDir.filePath("args.txt");
    const QString script = FDir.filePath("browser.sh");
    QVERIFY(WriteAll(script, QString("#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done > '%1'\n").arg(record).toUtf8()));
    QFile(script).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    auto m = NewMain(false);
    SetText(m->ActiveDocument(), "<p>outside</p>\n");
    m->Action("ActionExtPreview")->trigger();
    QCOMPARE(FDesktop.Urls, QList<QUrl>{QUrl::fromLocalFile(FWeb + "~tst_preview_ui.html")});
    m->OpenNameResponder = [&](const QString &title, const QString &) {
      FAsked << title;
      return script;
    };
    Commands(*m)->itmBrowserClick();
    QCOMPARE(m->Settings.ExtBrowser, script);
    m->Action("ActionExtPreview")->trigger();
    QTRY_VERIFY(QFileInfo::exists(record));
    QTRY_COMPARE(ReadAll(record), "[" + (FWeb + "~tst_preview_ui.html").toUtf8() + "]\n");
    QVERIFY(ReadAll(FWeb + "~tst_preview_ui.html").contains("outside"));
  }

  // A local reference opens as a file URL; F11 toggles between editor and reference.
  void htmlReference() {
    QVERIFY(WriteAll(FWeb + "ref dir/index.htm", "<h1>Reference start</h1>\n"));
    auto m = NewMain(false);
    QVERIFY(!m->Action("ActionShowRef")->isEnabled());
    m->OpenNameResponder = [&](const QString &, const QString &) { return FWeb + "ref dir/index.htm"; };
    Commands(*m)->HtmlAction->trigger();
    QCOMPARE(m->Settings.HtmlHelpMode, int(hhHtml));
    QVERIFY(m->Action("ActionShowRef")->isEnabled());
    m->Action("ActionShowRef")->trigger();
    TWebBrowserWin *ref = Commands(*m)->RefWindow();
    QVERIFY(ref->isVisible());
    QCOMPARE(ref->HomePage(), QUrl::fromLocalFile(FWeb + "ref dir/index.htm").toString(QUrl::FullyEncoded));
    QVERIFY(WaitForText(ref->Engine(), "Reference start").contains("Reference start"));
    QCOMPARE(ref->ActionEdit->shortcut(), QKeySequence(Qt::Key_F11));
    QTRY_VERIFY(ref->isActiveWindow());
    ref->ActionEdit->trigger(); // F11 in the reference
    QTRY_VERIFY(m->isActiveWindow());
    m->Action("ActionShowRef")->trigger(); // F11 in the editor
    QTRY_VERIFY(ref->isActiveWindow());
    // A web reference: the address asked for, proposed from the default when none was given.
    QString proposed;
    Commands(*m)->WikiResponder = [&](const QString &p) {
      proposed = p;
      return QString("https://example.org/wiki/Start");
    };
    Commands(*m)->WikiAction->trigger();
    QVERIFY(proposed.endsWith("/wiki/Startseite"));
    QCOMPARE(m->Settings.HtmlHelpMode, int(hhWiki));
    QCOMPARE(m->Settings.HtmlRefPath, QString("https://example.org/wiki/Start"));
  }

  // A stored reference file that is gone starts with the command disabled.
  void missingReferenceDisabled() {
    const QString ini = FDir.filePath("config/Tamrix/tst_preview_ui.ini");
    {
      auto w = TUnicodeIniFile::CreateForWrite(ini);
      w->WriteInteger("Config", "HTMLHelp", hhChm);
      w->WriteString("Config", "HTMLRefPath", FWeb + "gone.chm");
      QVERIFY(w->UpdateFile());
    }
    auto m = NewMain(false);
    QVERIFY(!m->Action("ActionShowRef")->isEnabled());
    QCOMPARE(m->Settings.HtmlHelpMode, int(hhOff));
  }

  // F1 shows the program's own help pages.
  void programHelp() {
    auto m = NewMain(false);
    QVERIFY2(QFileInfo::exists(Commands(*m)->HelpFile()), qPrintable(Commands(*m)->HelpFile()));
    QCOMPARE(m->Action("ActionShowHelp")->shortcut(), QKeySequence(Qt::Key_F1));
    m->Action("ActionShowHelp")->trigger();
    TWebBrowserWin *help = Commands(*m)->HelpWindow();
    QVERIFY(help->isVisible());
    QVERIFY(WaitForText(help->Engine(), "Contents").contains("Projects"));
  }

  // The stored modern engine without an engine installed: the message, then the classic engine.
  void modernEngineMissing() {
    qputenv("QTWEBENGINE_PROCESS_PATH", "/nonexistent/QtWebEngineProcess");
    auto m = NewMain(true);
    qunsetenv("QTWEBENGINE_PROCESS_PATH");
    QCOMPARE(FAsked, QStringList{"Edge browser not available"});
    QVERIFY(!m->Settings.UseEdgeBrowser);
    QVERIFY(Commands(*m)->ClassicAction->isChecked());
    SetText(m->ActiveDocument(), "<p>classic anyway</p>\n");
    m->Action("ActionPreview")->trigger();
    QVERIFY(!Commands(*m)->WebView()->Engine()->IsModern());
    QVERIFY(WaitForText(Commands(*m)->WebView()->Engine(), "classic anyway").contains("classic anyway"));
  }

  // A template previews expanded; one that cannot be expanded says so and shows nothing.
  void templatePreview() {
    QVERIFY(WriteAll(FWeb + "page.htt", "<!-- #var\ntitle = Expanded\n-->\n<h1>[%title]</h1>\n"));
    auto m = NewMain(false);
    QVERIFY(m->OpenTextFile(FWeb + "page.htt"));
    m->Action("ActionPreview")->trigger();
    TfrmWebView *view = Commands(*m)->WebView();
    QVERIFY(WaitForText(view->Engine(), "Expanded").contains("Expanded"));
    QVERIFY(!QFileInfo::exists(FWeb + "~tst_preview_ui.htmp"));
    SetText(m->ActiveDocument(), "<h1>[%title]</h1>\n");
    m->Action("ActionPreview")->trigger();
    QCOMPARE(FAsked.size(), 1);
    QVERIFY(FAsked.first().startsWith("Error in HTT template"));
  }

  // "Check page" lists the faults of the unsaved text; opening one moves the caret there.
  void checkPage() {
    auto m = NewMain(false);
    TMDIForm *doc = m->ActiveDocument();
    SetText(doc, "<!DOCTYPE html>\n<html><head><title>t</title></head><body>\n<p>ok</p>\n  <foo>x</foo>\n</body></html>\n");
    const QString before = doc->TextBuffer->Text();
    m->Action("ActionCheckPage")->trigger();
    QCOMPARE(doc->TextBuffer->Text(), before);
    TSearchResultsTree *tree = m->Panels()->Results();
    QCOMPARE(tree->topLevelItemCount(), 1);
    QTreeWidgetItem *file = tree->topLevelItem(0);
    QTreeWidgetItem *hit = nullptr;
    for (int i = 0; i < file->childCount(); ++i)
      if (file->child(i)->text(0).contains("<foo> is not recognized"))
        hit = file->child(i);
    QVERIFY(hit);
    QVERIFY(hit->text(0).startsWith("4:3 "));
    doc->TextBuffer->SetCaretXY({1, 1});
    emit tree->OpenRequested(TSearchResultsTree::TargetOf(hit));
    QCOMPARE(m->ActiveDocument(), doc);
    QCOMPARE(doc->TextBuffer->CaretXY(), (TBufferCoord{3, 4}));
    QVERIFY(FAsked.isEmpty()); // no "file not found" for the unsaved page
  }
};

QTEST_MAIN(TstPreviewUi)
#include "tst_preview_ui.moc"
