// The main window's panels on the real window: text macros across a restart, search and replace
// in files, local anchors, and the frame's sizes.
#include "core/app/FileSearchRunner.h"
#include "core/common/IniFileUtils.h"
#include "core/projects/ProjectInfo.h"
#include "ui/common/LazyPage.h"
#include "ui/app/AnchorPage.h"
#include "ui/app/FileReplaceDlg.h"
#include "ui/app/FileSearchPage.h"
#include "ui/app/HauptForm.h"
#include "ui/app/HauptFormPanels.h"
#include "ui/app/MacroPage.h"
#include "ui/app/RecoverDlg.h"
#include "ui/app/SidePanels.h"
#include "ui/common/HistoryCombo.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QToolButton>

class TstPanels : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  QString FWeb, FIni;
  QStringList FAsked;
  QList<TMsgResult> FAnswers;
  QStringList FNames; // answers of the name prompt, in order
  QList<TFileReplaceAnswer> FReplaceAnswers;
  QStringList FReplaceFiles;
  QString FSaveName;
  int FProjectFiles = 0;

  std::unique_ptr<THauptForm> NewMain(const QStringList &args = {}) {
    auto m = std::make_unique<THauptForm>(args);
    m->SaveNameResponder = [this](const QString &title, const QString &, const QString &) {
      if (title == "Save project to file")
        return FDir.filePath(QString("proj%1.prj").arg(++FProjectFiles));
      return FSaveName;
    };
    m->ProjectDialogResponder = [this](TProjectInfo &p, const QString &) {
      p.ProjName = "Site";
      p.ProjPath = FWeb;
      return true;
    };
    m->SelectProjectResponder = [](const QStringList &, int &index) {
      index = 0;
      return 1;
    };
    const bool ok = m->Init();
    [&] { QVERIFY(ok); }();
    m->Panels()->Macros()->NameResponder = [this](const QString &, const QString &, QString &text,
                                                  const QStringList &) {
      if (FNames.isEmpty())
        return false;
      text = FNames.takeFirst();
      return true;
    };
    return m;
  }
  QString Web(const QString &name) const { return FWeb + name; }
  static QString Selected(TMDIForm *d) { return d->TextBuffer->SelText(); }
  // Runs the search page's search and waits for its end (the run is on a worker thread).
  static void RunSearch(THauptForm &m) {
    m.Panels()->StartSearch();
    // The page offers Cancel until the run's end has reached the window.
    QTRY_VERIFY_WITH_TIMEOUT(!m.Panels()->SearchPage()->btnCancelSearch->isEnabled(), 20000);
  }
  static void SearchFolder(THauptForm &m, const QString &folder, const QString &find) {
    TFileSearchPage *p = m.Panels()->SearchPage();
    p->hcSearch->setEditText(find);
    p->rbSearchFolder->setChecked(true);
    p->hcSearchDir->setEditText(folder);
    p->cbSearchSubDir->setChecked(true);
    p->hcSearchTypes->setEditText("htm*");
  }

private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toUtf8());
    FWeb = FDir.filePath("web/");
    QDir().mkpath(FWeb);
    QDir().mkpath(FDir.filePath("config/Tamrix"));
    FIni = FDir.filePath("config/Tamrix/tst_panels.ini");
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FAsked << text;
      return FAnswers.isEmpty() ? mrYes : FAnswers.takeFirst();
    });
    TRecoverDialog::SetResponder([](const QString &, const QString &) { return rcLater; });
    TFileReplaceDialog::SetResponder([this](const TReplaceQuestion &q) {
      FReplaceFiles << QFileInfo(q.FileName).fileName();
      return FReplaceAnswers.isEmpty() ? frYes : FReplaceAnswers.takeFirst();
    });
  }
  void init() {
    QFile::remove(FIni);
    QFile::remove(FDir.filePath("config/Tamrix/tst_panels.mac"));
    auto w = TUnicodeIniFile::CreateForWrite(FIni);
    w->WriteString("Config", "StdPath", FWeb);
    QVERIFY(w->UpdateFile());
    FAsked.clear();
    FAnswers.clear();
    FNames.clear();
    FReplaceAnswers.clear();
    FReplaceFiles.clear();
  }

  // A macro made from a selection survives a restart: its empty last line, a line starting with
  // "#", and the file stays byte for byte the same when nothing changed. Insertion converts the
  // line breaks to the document's own.
  void macroSurvivesRestart() {
    const QString macFile = FDir.filePath("config/Tamrix/tst_panels.mac");
    {
      auto m = NewMain();
      TMDIForm *d = m->ActiveDocument();
      QVERIFY(d);
      d->TextBuffer->setText("first\n#second\n\nrest");
      // Three lines, the last one empty: "first", "#second", "".
      d->TextBuffer->SetSelection({1, 1}, {1, 3});
      FNames = {"Demo"};
      m->Action("ActionMacroNew")->trigger();
      QCOMPARE(m->Panels()->Macros()->List.Count(), 1);
      QCOMPARE(m->Panels()->Macros()->List.At(0).Text, QString("first\r\n#second\r\n"));
      // Empty names are refused.
      d->TextBuffer->SetSelection({1, 4}, {5, 4});
      FNames = {"  "};
      m->Action("ActionMacroNew")->trigger();
      QCOMPARE(m->Panels()->Macros()->List.Count(), 1);
      // A name differing only in case asks before replacing; No keeps the text.
      FNames = {"DEMO"};
      FAnswers = {mrNo};
      m->Action("ActionMacroNew")->trigger();
      QCOMPARE(FAsked.value(0), QString("Replace text macro \"Demo\"?"));
      QCOMPARE(m->Panels()->Macros()->List.At(0).Text, QString("first\r\n#second\r\n"));
      FAnswers = {mrNo}; // "Save changed files?"
      QVERIFY(m->close());
    }
    const QByteArray saved = ReadAll(macFile);
    QVERIFY(saved.startsWith("\xEF\xBB\xBF#Demo\r\n"));
    {
      auto m = NewMain();
      TMacroPage *page = m->Panels()->Macros();
      QCOMPARE(page->List.Count(), 1);
      QCOMPARE(page->List.At(0).Name, QString("Demo"));
      QCOMPARE(page->List.At(0).Text, QString("first\r\n#second\r\n"));
      QCOMPARE(page->Preview()->toPlainText(), QString("first\n#second\n"));
      TMDIForm *d = m->ActiveDocument();
      d->TextBuffer->setText("a XX b");
      d->TextBuffer->SetSelection({3, 1}, {5, 1});
      m->Action("ActionMacroInsert")->trigger();
      QCOMPARE(d->TextBuffer->Text(), QString("a first\n#second\n b"));
      FAnswers = {mrNo};
      QVERIFY(m->close());
    }
    QCOMPARE(ReadAll(macFile), saved);
  }

  // A damaged macro file is reported and never overwritten with less.
  void damagedMacroFileIsKept() {
    const QString macFile = FDir.filePath("config/Tamrix/tst_panels.mac");
    const QByteArray bad("\xEF\xBB\xBF#a\r\n\xC3(\r\n"); // not UTF-8 after the mark
    QVERIFY(WriteAll(macFile, bad));
    {
      auto m = NewMain();
      QVERIFY(FAsked.join("\n").contains(macFile));
      QCOMPARE(m->Panels()->Macros()->List.Count(), 0);
      FAnswers = {mrNo};
      QVERIFY(m->close());
    }
    QCOMPARE(ReadAll(macFile), bad);
  }

  // Search over a folder finds every match, per file in line order, and a hit opens with the
  // match selected.
  void searchHitOpensWithMatchSelected() {
    QDir().mkpath(Web("s/sub"));
    QVERIFY(WriteAll(Web("s/a.html"), "x\nneedle one\r\n"));
    QStringList lines;
    for (int i = 1; i <= 12; ++i)
      lines << (i == 2 || i == 10 ? QString("  the needle %1").arg(i) : QString("line %1").arg(i));
    QVERIFY(WriteAll(Web("s/sub/b.htm"), lines.join("\n").toUtf8()));
    QVERIFY(WriteAll(Web("s/c.txt"), "needle in a text file\n"));
    auto m = NewMain();
    SearchFolder(*m, Web("s"), "needle");
    RunSearch(*m);
    const TFileSearchSummary &sum = m->Panels()->LastSummary();
    QCOMPARE(sum.Matches, qint64(3));
    TSearchResultsTree *tree = m->Panels()->Results();
    QCOMPARE(tree->topLevelItemCount(), 2);
    QTreeWidgetItem *b =
        tree->topLevelItem(0)->text(0).endsWith("b.htm") ? tree->topLevelItem(0) : tree->topLevelItem(1);
    QCOMPARE(b->childCount(), 2);
    QVERIFY(b->child(0)->text(0).startsWith("2: "));
    QVERIFY(b->child(1)->text(0).startsWith("10: "));
    QCOMPARE(b->child(1)->text(0), QString("10: the |needle| 10"));
    m->Panels()->OpenTarget(TSearchResultsTree::TargetOf(b->child(1)));
    TMDIForm *d = m->ActiveDocument();
    QVERIFY(d->TextName.endsWith("b.htm"));
    QCOMPARE(Selected(d), QString("needle"));
    QCOMPARE(d->TextBuffer->CaretXY().Line, 10);
    FAnswers = {mrNo};
    QVERIFY(m->close());
  }

  // The scopes follow the documents: without a named document the project is searched; once a
  // page is open its extension is proposed.
  void scopesFollowTheDocuments() {
    QVERIFY(WriteAll(Web("scope.php"), "<?php ?>\n"));
    auto m = NewMain();
    TFileSearchPage *p = m->Panels()->SearchPage();
    m->Panels()->Frame()->LeftPages()->setCurrentWidget(m->Panels()->AnchorPage());
    m->Panels()->Frame()->LeftPages()->setCurrentWidget(p);
    QVERIFY(!p->rbSearchOpen->isEnabled());
    QVERIFY(p->rbSearchProject->isChecked());
    QCOMPARE(p->hcSearchTypes->currentText(), m->ActProject->TextTypes);
    QCOMPARE(p->hcSearchDir->currentText(), m->HtmPath());
    QVERIFY(m->OpenTextFile(Web("scope.php")));
    QVERIFY(p->rbSearchOpen->isEnabled());
    p->rbSearchOpen->click();
    QCOMPARE(p->hcSearchTypes->currentText(), QString("php"));
    FAnswers = {mrNo};
    QVERIFY(m->close());
  }

  void replaceWithConfirmation_data() {
    QTest::addColumn<QList<TFileReplaceAnswer>>("answers");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QStringList>("asked");
    QTest::newRow("no to every match writes nothing")
        << QList<TFileReplaceAnswer>{frNo, frNo, frNo} << QByteArray("a old b old\r\n")
        << QByteArray("\xEF\xBB\xBFold\n") << QStringList{"r1.html", "r1.html", "r2.html"};
    QTest::newRow("all in this file asks again in the next")
        << QList<TFileReplaceAnswer>{frAllInFile, frNo} << QByteArray("a new b new\r\n")
        << QByteArray("\xEF\xBB\xBFold\n") << QStringList{"r1.html", "r2.html"};
    QTest::newRow("cancel keeps what was written before")
        << QList<TFileReplaceAnswer>{frYes, frYes, frCancel} << QByteArray("a new b new\r\n")
        << QByteArray("\xEF\xBB\xBFold\n") << QStringList{"r1.html", "r1.html", "r2.html"};
  }
  // Replace with a question per match; every file keeps its bytes outside the replaced text, and
  // an open, unmodified document of a rewritten file shows the new text.
  void replaceWithConfirmation() {
    QFETCH(QList<TFileReplaceAnswer>, answers);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QStringList, asked);
    QDir(Web("r")).removeRecursively();
    QDir().mkpath(Web("r"));
    QVERIFY(WriteAll(Web("r/r1.html"), "a old b old\r\n"));
    QVERIFY(WriteAll(Web("r/r2.html"), "\xEF\xBB\xBFold\n"));
    auto m = NewMain();
    QVERIFY(m->OpenTextFile(Web("r/r1.html")));
    TMDIForm *open = m->ActiveDocument();
    SearchFolder(*m, Web("r"), "old");
    TFileSearchPage *p = m->Panels()->SearchPage();
    p->cbReplace->setChecked(true);
    QVERIFY(p->cbConfirm->isChecked());
    p->hcReplace->setEditText("new");
    FReplaceAnswers = answers;
    RunSearch(*m);
    QCOMPARE(FReplaceFiles, asked);
    QCOMPARE(ReadAll(Web("r/r1.html")), first);
    QCOMPARE(ReadAll(Web("r/r2.html")), second);
    QCOMPARE(open->TextBuffer->Text().toUtf8(), first);
    FAnswers = {mrNo};
    QVERIFY(m->close());
  }

  // The Cancel button ends a run even while a question is open; the file being worked on keeps
  // its old text and the page can start again.
  void cancelButtonStopsTheRun() {
    QDir(Web("c")).removeRecursively();
    QDir().mkpath(Web("c"));
    QVERIFY(WriteAll(Web("c/c1.html"), "old old\n"));
    auto m = NewMain();
    SearchFolder(*m, Web("c"), "old");
    TFileSearchPage *p = m->Panels()->SearchPage();
    p->cbReplace->setChecked(true);
    p->hcReplace->setEditText("new");
    TFileReplaceDialog::SetResponder([p](const TReplaceQuestion &) {
      p->btnCancelSearch->click();
      return frYes;
    });
    RunSearch(*m);
    TFileReplaceDialog::SetResponder([this](const TReplaceQuestion &q) {
      FReplaceFiles << QFileInfo(q.FileName).fileName();
      return FReplaceAnswers.isEmpty() ? frYes : FReplaceAnswers.takeFirst();
    });
    QVERIFY(m->Panels()->LastSummary().Cancelled);
    QCOMPARE(p->lblSearchStatus->text(), QString("Searching was cancelled!"));
    QCOMPARE(ReadAll(Web("c/c1.html")), QByteArray("old old\n"));
    QVERIFY(p->btnStartSearch->isEnabled());
    QVERIFY(!p->btnCancelSearch->isEnabled());
    FAnswers = {mrNo};
    QVERIFY(m->close());
  }

  // The macro commands on the list: order, delete, rename, and editing in the preview.
  void macroCommands() {
    auto m = NewMain();
    TMacroPage *page = m->Panels()->Macros();
    for (const char *n : {"one", "two", "three"})
      page->List.Add(n, QString(n) + " text");
    page->Refill(2);
    m->Action("ActionMacroUp")->trigger();
    QCOMPARE(page->List.Names(), (QStringList{"one", "three", "two"}));
    QCOMPARE(page->Current(), 1);
    m->Action("ActionMacroDown")->trigger();
    m->Action("ActionMacroDown")->trigger(); // the last one stays
    QCOMPARE(page->List.Names(), (QStringList{"one", "two", "three"}));
    QCOMPARE(page->Current(), 2);
    FNames = {"third"};
    m->Action("ActionMacroRename")->trigger();
    QCOMPARE(page->List.Names(), (QStringList{"one", "two", "third"}));
    // Editing stores the preview's text when the button is released, with CR LF.
    m->Action("ActionMacroEdit")->trigger();
    QVERIFY(!page->Preview()->isReadOnly());
    page->Preview()->setPlainText(QString("edited\nno\u00A0break"));
    m->Action("ActionMacroEdit")->trigger();
    QVERIFY(page->Preview()->isReadOnly());
    QCOMPARE(page->List.At(2).Text, QString("edited\r\nno\u00A0break"));
    // Deleting the last entry selects the new last one; deleting the only one empties the preview.
    m->Action("ActionMacroDelete")->trigger();
    QCOMPARE(FAsked.last(), QString("Delete text macro \"third\"?"));
    QCOMPARE(page->Current(), 1);
    QCOMPARE(page->Preview()->toPlainText(), QString("two text"));
    m->Action("ActionMacroDelete")->trigger();
    m->Action("ActionMacroDelete")->trigger();
    QCOMPARE(page->List.Count(), 0);
    QCOMPARE(page->Preview()->toPlainText(), QString());
    FAnswers = {mrNo};
    QVERIFY(m->close());
  }

  // The anchors of the active file, by line and by name, and their export byte for byte.
  void anchorsListedSortedAndExported() {
    QVERIFY(WriteAll(Web("anchors.html"),
                     "<a name=\"b\">Bee</a>\n<A NAME=\"A\">x</a>\n<p>\n<a name=\"c\"><b>Top</b></a>\n"));
    auto m = NewMain();
    QVERIFY(m->OpenTextFile(Web("anchors.html")));
    TAnchorPage *page = m->Panels()->AnchorPage();
    const auto names = [page] {
      QStringList n;
      QTreeWidgetItem *file = page->tvAnchors->topLevelItem(0);
      for (int i = 0; file && i < file->childCount(); ++i)
        n << file->child(i)->text(0);
      return n;
    };
    page->rbSortLines->setChecked(true);
    m->Panels()->SearchAnchors();
    QCOMPARE(names(), (QStringList{"|b| (1): Bee", "|A| (2): x", "|c| (4): Top"}));
    QCOMPARE(page->lblAnchorStatus->text(), QString("3 anchor(s) found in 1 file(s)!"));
    page->rbSortNames->setChecked(true);
    m->Panels()->SearchAnchors();
    QCOMPARE(names(), (QStringList{"|A| (2): x", "|b| (1): Bee", "|c| (4): Top"}));
    // Opening an anchor selects its name.
    m->Panels()->OpenTarget(TSearchResultsTree::TargetOf(page->tvAnchors->topLevelItem(0)->child(2)));
    QCOMPARE(m->ActiveDocument()->TextBuffer->CaretXY().Line, 4);
    FSaveName = FDir.filePath("anchors.txt");
    m->Panels()->ExportAnchors();
    const QByteArray expected = "Project: Site\r\n=============\r\nDirectory: " + FWeb.toUtf8() +
                                "\r\n\r\nLocal anchors:\r\n--------------\r\n  File: anchors.html\r\n"
                                "    -> A (2): x\r\n    -> b (1): Bee\r\n    -> c (4): Top\r\n";
    QCOMPARE(ReadAll(FSaveName), expected);
    // An existing file is replaced only after asking.
    QVERIFY(WriteAll(FSaveName, "mine"));
    FAsked.clear();
    FAnswers = {mrNo};
    m->Panels()->ExportAnchors();
    QCOMPARE(FAsked.size(), 1);
    QCOMPARE(ReadAll(FSaveName), QByteArray("mine"));
    FAnswers = {mrNo};
    QVERIFY(m->close());
  }

  // The link check lists each broken local link in the results tree; opening one selects it.
  void checkLinksListsBrokenLinks() {
    QVERIFY(WriteAll(Web("links.html"), "<a name=\"here\">h</a>\n<a href=\"links.html#here\">ok</a>\n"
                                        "<a href=\"missing.html\">m</a> <a href=\"#nowhere\">n</a>\n"));
    auto m = NewMain();
    QVERIFY(m->OpenTextFile(Web("links.html")));
    m->Panels()->AnchorPage()->rbAnchorCurrent->setChecked(true);
    m->Action("ActionCheckLinks")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(m->Panels()->AnchorPage()->btnCheckLinks->isEnabled(), 20000);
    TSearchResultsTree *tree = m->Panels()->Results();
    QCOMPARE(tree->topLevelItemCount(), 1);
    QTreeWidgetItem *file = tree->topLevelItem(0);
    QCOMPARE(file->childCount(), 2);
    QVERIFY(file->child(0)->text(0).contains("|missing.html|"));
    QVERIFY(file->child(1)->text(0).contains("|#nowhere|"));
    m->Panels()->OpenTarget(TSearchResultsTree::TargetOf(file->child(1)));
    QCOMPARE(Selected(m->ActiveDocument()), QString("#nowhere"));
    FAnswers = {mrNo};
    QVERIFY(m->close());
  }

  // A page makes its controls when it is first shown, and they are on view at once; a page
  // behind another tab stays empty. The macro page (it has a show handler of its own) too.
  void pagesMadeWhenShown() {
    struct TPage : TLazyPage {
      QLabel *Label = nullptr;
      void Build() override {
        Label = new QLabel("made", this);
        (new QVBoxLayout(this))->addWidget(Label);
      }
    };
    QTabWidget tabs;
    auto *first = new TPage, *second = new TPage;
    auto *macros = new TMacroPage;
    tabs.addTab(first, "1");
    tabs.addTab(second, "2");
    tabs.addTab(macros, "3");
    tabs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tabs));
    QVERIFY(first->IsBuilt() && first->Label->isVisible());
    QVERIFY(!second->IsBuilt() && !macros->IsBuilt());
    tabs.setCurrentWidget(macros);
    QVERIFY(macros->IsBuilt() && macros->ListBox()->isVisible());
  }

  // The left side's width and the top panel's height come back after a restart; the search
  // page's histories and "Replace by:" too, also after a session that never made that page.
  void frameKeepsItsSizes() {
    {
      auto m = NewMain();
      m->show();
      QVERIFY(QTest::qWaitForWindowExposed(m.get()));
      TSidePanels *f = m->Panels()->Frame();
      f->SetLeftWidth(333);
      f->SetTopHeight(155);
      m->Action("ActionShowMacros")->trigger();
      QVERIFY(f->TopShown());
      QTRY_COMPARE(m->Panels()->Macros()->height(), 155);
      // The search page brings its results and holds the macros back until it is left.
      QTabWidget *left = f->LeftPages();
      left->setCurrentWidget(m->Panels()->AnchorPage());
      left->setCurrentWidget(m->Panels()->SearchPage());
      QCOMPARE(f->TopPages()->currentWidget(), static_cast<QWidget *>(m->Panels()->Results()));
      QVERIFY(!m->Action("ActionShowMacros")->isEnabled());
      left->setCurrentWidget(m->Panels()->AnchorPage());
      QVERIFY(m->Action("ActionShowMacros")->isEnabled());
      QCOMPARE(f->TopPages()->currentWidget(), static_cast<QWidget *>(m->Panels()->Macros()));
      QVERIFY(f->TopShown());
      QCOMPARE(m->Panels()->MacroButton()->arrowType(), Qt::UpArrow);
      m->Action("ActionShowMacros")->trigger();
      QVERIFY(!f->TopShown());
      QCOMPARE(m->Panels()->MacroButton()->arrowType(), Qt::DownArrow);
      TFileSearchPage *p = m->Panels()->SearchPage();
      p->hcSearch->setEditText("remembered");
      TFileSearchPage::TakeText(p->hcSearch);
      p->cbReplace->setChecked(true);
      FAnswers = {mrNo};
      QVERIFY(m->close());
    }
    {
      // A session that never opens the search page (it is made on first use) keeps what it stored.
      auto m = NewMain();
      auto *page = m->findChild<TFileSearchPage *>();
      QVERIFY(page && !page->IsBuilt());
      FAnswers = {mrNo};
      QVERIFY(m->close());
      QVERIFY(!page->IsBuilt());
    }
    auto ini = TUnicodeIniFile::CreateForRead(FIni);
    QCOMPARE(ini->ReadInteger("Form", "FormSplit", 0), 333);
    QCOMPARE(ini->ReadInteger("Form", "EditSplit", 0), 155);
    auto m = NewMain();
    QCOMPARE(m->Panels()->Frame()->LeftWidth(), 333);
    QCOMPARE(m->Panels()->Frame()->TopHeight(), 155);
    // Once the window is on the screen the page is made; restoring "Replace by:" leaves the
    // keyboard where it was.
    m->show();
    m->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m.get()));
    auto *page = m->findChild<TFileSearchPage *>();
    QTRY_VERIFY(page->IsBuilt());
    QVERIFY(QApplication::focusWidget() != page->hcReplace);
    QCOMPARE(m->Panels()->SearchPage()->hcSearch->HistoryList()->Strings().value(0), QString("remembered"));
    QVERIFY(m->Panels()->SearchPage()->cbReplace->isChecked());
    FAnswers = {mrNo};
    QVERIFY(m->close());
  }
};

QTEST_MAIN(TstPanels)
#include "tst_panels.moc"
