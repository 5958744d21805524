// The main window with several documents: new, open, save, save as, save all, close, order of
// use, autosave, recent files and quitting.
#include "core/common/IniFileUtils.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/HauptForm.h"
#include "ui/app/RecoverDlg.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include "TestSupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMenu>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>


class TstMainForm : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  QString FWeb;
  QStringList FAsked;
  QList<TMsgResult> FAnswers;
  QStringList FSaveNames;
  int FProjectFiles = 0;
  bool FCancelProject = false;
  int FChooseProject = 0;
  QStringList FProjectNames;

  std::unique_ptr<THauptForm> NewMain(const QStringList &args = {}) {
    auto m = std::make_unique<THauptForm>(args);
    m->SaveNameResponder = [this](const QString &title, const QString &, const QString &) {
      if (title == "Save project to file")
        return FDir.filePath(QString("proj%1.prj").arg(++FProjectFiles));
      return FSaveNames.isEmpty() ? QString() : FSaveNames.takeFirst();
    };
    // The new-project dialog of the start: a project rooted in the web folder.
    m->ProjectDialogResponder = [this](TProjectInfo &p, const QString &) {
      if (FCancelProject)
        return false;
      p.ProjName = "Site";
      p.ProjPath = FWeb;
      return true;
    };
    m->SelectProjectResponder = [this](const QStringList &names, int &index) {
      FProjectNames = names;
      index = FChooseProject;
      return FChooseProject < 0 ? 2 : 1;
    };
    const bool ok = m->Init();
    [&] { QVERIFY(ok); }();
    return m;
  }
  QString Web(const QString &name) const { return FWeb + name; }
  // Rewrites a file as another program would, with a modification time that is surely newer.
  static void ChangeOnDisk(const QString &file, const QByteArray &bytes, int secondsAhead) {
    QVERIFY(WriteAll(file, bytes));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(secondsAhead),
                          QFileDevice::FileModificationTime));
  }
  static QStringList TabNames(THauptForm &m) {
    QStringList names;
    for (TMDIForm *d : m.Documents())
      if (d->Status != tsNew)
        names << QFileInfo(d->TextName).fileName();
    return names;
  }

private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toUtf8());
    FWeb = FDir.filePath("web/");
    QDir().mkpath(FWeb);
    QDir().mkpath(FDir.filePath("config/Tamrix"));
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FAsked << text;
      return FAnswers.isEmpty() ? mrYes : FAnswers.takeFirst();
    });
    // Autosave copies these tests leave behind are kept for later, never asked about in a window.
    TRecoverDialog::SetResponder([](const QString &, const QString &) { return rcLater; });
  }
  void init() {
    const QString ini = FDir.filePath("config/Tamrix/tst_mainform.ini");
    QFile::remove(ini);
    auto w = TUnicodeIniFile::CreateForWrite(ini);
    w->WriteString("Config", "StdPath", FWeb);
    QVERIFY(w->UpdateFile());
    FAsked.clear();
    FAnswers.clear();
    FSaveNames.clear();
    FCancelProject = false;
    FChooseProject = 0;
  }

  void newDocumentsAndTabs() {
    auto m = NewMain();
    QCOMPARE(m->Documents().size(), 1); // one new page at start
    TMDIForm *first = m->Documents().first();
    QCOMPARE(first->windowTitle(), QString("*New1"));
    TMDIForm *css = m->CreateNewText(ftCss);
    QCOMPARE(css->windowTitle(), QString("*New2"));
    m->ActivateText(first);
    TMDIForm *js = m->CreateNewText(ftJs); // its tab goes right after the current one
    QCOMPARE(m->Documents(), (QList<TMDIForm *>{first, js, css}));
    QCOMPARE(js->WinIndex, 1);
    QCOMPARE(css->WinIndex, 2);
    // An unnamed document's caption starts with "*" already: a modification is marked by the
    // tab's icon, not by a second "*".
    auto *tabs = m->findChild<QTabBar *>("tcFiles");
    js->TextBuffer->SetSelText("x");
    QCOMPARE(tabs->tabText(js->WinIndex), QString("*New3"));
    QVERIFY(!tabs->tabIcon(js->WinIndex).isNull());
    QVERIFY(tabs->tabIcon(css->WinIndex).isNull());
  }

  void newCommandsStartInTheActiveFolder() {
    QVERIFY(QDir().mkpath(Web("sub/tmpl")));
    QVERIFY(WriteAll(Web("sub/page.css"), "p {}\n"));
    auto m = NewMain();
    QStringList asked;
    QString chosen;
    m->DirectoryResponder = [&](const QString &title, const QString &start) {
      asked << title + " @ " + start;
      return chosen;
    };
    QVERIFY(m->OpenTextFile(Web("sub/page.css")));
    m->Action("ActionNewCss")->trigger();
    QCOMPARE(m->ActiveDocument()->TextPath, Web("sub/"));
    QVERIFY(asked.isEmpty()); // only pages have templates to choose
    chosen = Web("sub/tmpl");
    FAsked.clear();
    m->Action("ActionNewHtml")->trigger();
    QCOMPARE(asked, QStringList{"Select subdirectory of template for new document @ " + Web("sub/")});
    QCOMPARE(FAsked.value(0).remove(u'\r'),
             "No template found in:\n" + Web("sub/tmpl/") + "\nUsing program default template!");
    QVERIFY(WriteAll(Web("~template.html"), "<p>project</p>\n"));
    FAsked.clear();
    m->Action("ActionNewHtml")->trigger();
    QCOMPARE(FAsked.value(0).remove(u'\r'),
             "No template found in:\n" + Web("sub/tmpl/") + "\nUsing project default template!");
    QCOMPARE(m->ActiveDocument()->TextBuffer->Text(), QString("<p>project</p>\n"));
    QVERIFY(WriteAll(Web("sub/tmpl/~template.html"), "<p>sub</p>\n"));
    FAsked.clear();
    m->Action("ActionNewHtml")->trigger();
    QVERIFY(FAsked.isEmpty());
    QCOMPARE(m->ActiveDocument()->TextBuffer->Text(), QString("<p>sub</p>\n"));
    QCOMPARE(m->ActiveDocument()->TextPath, Web("sub/tmpl/"));
    QFile::remove(Web("~template.html"));
  }

  void saveNewAsksNameAndOverwrite() {
    auto m = NewMain();
    TMDIForm *doc = m->ActiveDocument();
    doc->TextBuffer->SetSelText("<p>x</p>");
    QVERIFY(WriteAll(Web("exists.html"), "old"));
    FSaveNames = {Web("exists.html"), Web("fresh.html")};
    FAnswers = {mrNo}; // do not overwrite: the dialog comes again
    QVERIFY(m->SaveTextFromMDI(doc, true));
    QVERIFY(FAsked.first().contains("already exists!"));
    QCOMPARE(ReadAll(Web("exists.html")), QByteArray("old"));
    QVERIFY(ReadAll(Web("fresh.html")).contains("<p>x</p>"));
    QCOMPARE(doc->TextName, Web("fresh.html"));
    QCOMPARE(int(doc->Status), int(tsOld));
    QCOMPARE(m->HistList->Item(0), Web("fresh.html"));
    // Save as, cancelled: nothing changes and the document stays as it was.
    m->ActivateText(doc);
    doc->TextBuffer->SetSelText("y");
    m->Action("ActionSaveAs")->trigger();
    QCOMPARE(int(doc->Status), int(tsOld));
    QVERIFY(doc->IsModified());
  }

  void saveOverAnotherOpenDocument() {
    QVERIFY(WriteAll(Web("shared.txt"), "one\n"));
    auto m = NewMain({Web("shared.txt")});
    TMDIForm *opened = m->ActiveDocument();
    TMDIForm *fresh = m->CreateNewText(ftText);
    fresh->TextBuffer->SetSelText("two\n");
    FSaveNames = {Web("shared.txt")};
    FAnswers = {mrYes};
    QVERIFY(m->SaveTextFromMDI(fresh, true));
    QVERIFY(FAsked.first().contains("is open in another window"));
    QVERIFY(!m->Documents().contains(opened));
    QCOMPARE(ReadAll(Web("shared.txt")), QByteArray("two\n"));
  }

  void saveAllAndCloseLast() {
    auto m = NewMain();
    TMDIForm *a = m->ActiveDocument();
    TMDIForm *b = m->CreateNewText(ftText);
    a->TextBuffer->SetSelText("a");
    b->TextBuffer->SetSelText("b");
    FSaveNames = {Web("a.html"), Web("b.txt")};
    m->Action("ActionSaveAll")->trigger();
    QCOMPARE(ReadAll(Web("b.txt")), QByteArray("b"));
    QVERIFY(!a->IsModified() && !b->IsModified());
    m->Action("ActionClose")->trigger();
    m->Action("ActionClose")->trigger();
    QCOMPARE(m->Documents().size(), 1); // an empty page takes the place of the last one
    QCOMPARE(m->Documents().first()->FileType, ftHtml);
    QVERIFY(!m->Documents().first()->IsModified());
  }

  void closeLastKeptWhenItStaysOpen() {
    auto m = NewMain();
    TMDIForm *a = m->ActiveDocument();
    a->TextBuffer->SetSelText("keep");
    FAnswers = {mrCancel};
    m->Action("ActionClose")->trigger();
    QCOMPARE(m->Documents(), QList<TMDIForm *>{a}); // no extra empty page
  }

  void openFiles() {
    QVERIFY(WriteAll(Web("PAGE.HTML"), "<p>a</p>\n"));
    auto m = NewMain();
    QVERIFY(m->OpenTextFile(Web("PAGE.HTML")));
    TMDIForm *page = m->ActiveDocument();
    QCOMPARE(page->FileType, ftHtml);
    page->TextBuffer->SetSelText("mine ");
    m->CreateNewText(ftText);
    QVERIFY(m->OpenTextFile(Web("PAGE.HTML"))); // already open, unchanged on disk: no reload
    QCOMPARE(m->ActiveDocument(), page);
    QVERIFY(page->TextBuffer->Text().startsWith("mine "));
    QVERIFY(!m->OpenTextFile(Web("missing.html")));
    QVERIFY(FAsked.last().contains("not found"));
  }

  void lineSpacingSameInNewAndLoaded_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("file");
    QTest::newRow("html") << int(ftHtml) << "spacing.html";
    QTest::newRow("css") << int(ftCss) << "spacing.css";
    QTest::newRow("text") << int(ftText) << "spacing.txt";
  }
  void lineSpacingSameInNewAndLoaded() {
    QFETCH(int, type);
    QFETCH(QString, file);
    QVERIFY(WriteAll(Web(file), "<p>a</p>\n"));
    auto m = NewMain();
    TMDIForm *fresh = m->CreateNewText(TFileTypes(type));
    QVERIFY(m->OpenTextFile(Web(file)));
    TMDIForm *loaded = m->ActiveDocument();
    QVERIFY(loaded != fresh);
    const auto height = [](TMDIForm *d) {
      return d->TextBuffer->SendScintilla(QsciScintilla::SCI_TEXTHEIGHT, 0);
    };
    QCOMPARE(height(fresh), height(loaded));
  }

  void openingAnOpenFileChangedOnDisk() {
    const QString f = Web("twice.html");
    QVERIFY(WriteAll(f, "<p>disk 1</p>\n"));
    auto m = NewMain();
    QVERIFY(m->OpenTextFile(f));
    TMDIForm *doc = m->ActiveDocument();
    // Unmodified: the document follows the file without a question.
    ChangeOnDisk(f, "<p>disk 2</p>\n", 10);
    m->CreateNewText(ftText);
    FAsked.clear();
    QVERIFY(m->OpenTextFile(f));
    QCOMPARE(m->ActiveDocument(), doc);
    QCOMPARE(doc->TextBuffer->Text(), QString("<p>disk 2</p>\n"));
    QVERIFY(FAsked.isEmpty());
    // Modified: the reload question; No keeps the edits.
    doc->TextBuffer->SetSelText("mine ");
    ChangeOnDisk(f, "<p>disk 3</p>\n", 20);
    m->CreateNewText(ftText);
    FAnswers = {mrNo};
    QVERIFY(m->OpenTextFile(f));
    QCOMPARE(FAsked.size(), 1);
    QVERIFY(FAsked.first().contains("was changed by another application!"));
    QCOMPARE(doc->TextBuffer->Text(), QString("mine <p>disk 2</p>\n"));
    QVERIFY(doc->IsModified());
    // Yes takes the file's text.
    ChangeOnDisk(f, "<p>disk 4</p>\n", 30);
    m->CreateNewText(ftText);
    FAnswers = {mrYes};
    QVERIFY(m->OpenTextFile(f));
    QCOMPARE(doc->TextBuffer->Text(), QString("<p>disk 4</p>\n"));
    QCOMPARE(FAsked.size(), 2);
  }

  void symbolicLinkOpensTheSameDocument() {
    QVERIFY(WriteAll(Web("real.html"), "<p>r</p>\n"));
    QVERIFY(QFile::link(Web("real.html"), Web("link.html")));
    QVERIFY(QFile::link(FWeb, FDir.filePath("weblink")));
    auto m = NewMain();
    QVERIFY(m->OpenTextFile(Web("real.html")));
    TMDIForm *doc = m->ActiveDocument();
    const qsizetype count = m->Documents().size();
    m->CreateNewText(ftText);
    QVERIFY(m->OpenTextFile(Web("link.html")));
    QCOMPARE(m->ActiveDocument(), doc);
    QVERIFY(m->OpenTextFile(FDir.filePath("weblink/real.html")));
    QCOMPARE(m->ActiveDocument(), doc);
    QCOMPARE(m->Documents().size(), count + 1);
  }

  void failedFirstSaveKeepsTheNewDocument() {
    auto m = NewMain();
    TMDIForm *doc = m->ActiveDocument();
    doc->TextBuffer->SetSelText("<p>x</p>");
    const QString never = Web("no/such/folder/page.html");
    FSaveNames = {never};
    QVERIFY(!m->SaveTextFromMDI(doc, true));
    QVERIFY(FAsked.last().contains(never));
    QCOMPARE(doc->TextName, QString("*New1"));
    QCOMPARE(doc->windowTitle(), QString("*New1"));
    QCOMPARE(int(doc->Status), int(tsNew));
    QVERIFY(doc->IsModified());
    QCOMPARE(m->HistList->IndexOf(never), -1);
    for (const TProjectFile &f : m->ActProject->FileList)
      QVERIFY(!f.Name.contains("page.html"));
    // Save as of a named document that fails keeps the old name as well.
    QVERIFY(WriteAll(Web("named.txt"), "n\n"));
    QVERIFY(m->OpenTextFile(Web("named.txt")));
    TMDIForm *named = m->ActiveDocument();
    named->TextBuffer->SetSelText("m");
    FSaveNames = {never};
    m->Action("ActionSaveAs")->trigger();
    QCOMPARE(named->TextName, Web("named.txt"));
    QCOMPARE(int(named->Status), int(tsOld));
    QCOMPARE(m->HistList->IndexOf(never), -1);
  }

  void autosaveNeverTouchesAnOpenDocument() {
    const QString x = Web("x.html"), copy = Web("x.html.tsv");
    QVERIFY(WriteAll(x, "<p>x</p>\n"));
    auto m = NewMain();
    QVERIFY(m->OpenTextFile(x));
    TMDIForm *doc = m->ActiveDocument();
    doc->TextBuffer->SetSelText("one ");
    QVERIFY(QMetaObject::invokeMethod(m.get(), "AutoSaveTick"));
    QVERIFY(ReadAll(copy).startsWith("one "));
    // The user opens the copy itself; it is now a document like any other.
    QVERIFY(m->OpenTextFile(copy));
    TMDIForm *copyDoc = m->ActiveDocument();
    QVERIFY(copyDoc != doc);
    doc->TextBuffer->SetSelText("two ");
    QVERIFY(QMetaObject::invokeMethod(m.get(), "AutoSaveTick"));
    QVERIFY(ReadAll(copy).startsWith("one <p>"));
    QVERIFY(ReadAll(Web("x.html.2.tsv")).startsWith("one two "));
    QVERIFY(m->SaveTextFromMDI(doc, true));
    QVERIFY(QFile::exists(copy));
    QVERIFY(!QFile::exists(Web("x.html.2.tsv")));
    QVERIFY(m->Documents().contains(copyDoc));
    // Closing the document does not delete it either.
    doc->TextBuffer->SetSelText("three ");
    QVERIFY(QMetaObject::invokeMethod(m.get(), "AutoSaveTick"));
    FAnswers = {mrNo};
    m->ActivateText(doc);
    m->Action("ActionClose")->trigger();
    QVERIFY(QFile::exists(copy));
    QVERIFY(!QFile::exists(Web("x.html.2.tsv")));
  }

  void projectTabsKeepTheirOrder() {
    for (const char *n : {"t1.txt", "t2.txt", "t3.txt"})
      QVERIFY(WriteAll(Web(n), "t\n"));
    {
      auto m = NewMain();
      for (const char *n : {"t1.txt", "t2.txt", "t3.txt"})
        QVERIFY(m->OpenTextFile(Web(n)));
      QCOMPARE(TabNames(*m), (QStringList{"t1.txt", "t2.txt", "t3.txt"}));
      QVERIFY(m->close());
    }
    for (int restart = 0; restart < 2; ++restart) {
      auto m = NewMain({Web("t2.txt")});
      QCOMPARE(TabNames(*m), (QStringList{"t1.txt", "t2.txt", "t3.txt"}));
      QVERIFY(m->close());
    }
  }

  void orderOfUse() {
    auto m = NewMain();
    TMDIForm *a = m->ActiveDocument();
    m->Action("ActionExit"); // exists
    a->ActionNextWin->trigger(); // one document: nothing happens
    QCOMPARE(m->ActiveDocument(), a);
    TMDIForm *b = m->CreateNewText(ftText);
    TMDIForm *c = m->CreateNewText(ftCss);
    QCOMPARE(m->ActiveDocument(), c);
    c->ActionPreviousWin->trigger();
    QCOMPARE(m->ActiveDocument(), b);
    b->ActionPreviousWin->trigger();
    QCOMPARE(m->ActiveDocument(), a);
    a->ActionNextWin->trigger();
    QCOMPARE(m->ActiveDocument(), b);
    QCOMPARE(a->ActionPreviousWin->shortcut(), QKeySequence(Qt::Key_F7));
    QCOMPARE(a->ActionNextWin->shortcut(), QKeySequence(Qt::Key_F8));
  }

  void autosave() {
    auto m = NewMain();
    m->SetAutoSave(1);
    TMDIForm *doc = m->ActiveDocument();
    doc->TextBuffer->SetSelText("draft");
    QVERIFY(QMetaObject::invokeMethod(m.get(), "AutoSaveTick"));
    const QString tsv = FWeb + "New1.tsv";
    QVERIFY(QFile::exists(tsv));
    FSaveNames = {Web("draft.html")};
    QVERIFY(m->SaveTextFromMDI(doc, true));
    QVERIFY(!QFile::exists(tsv));
    doc->TextBuffer->SetSelText("more");
    QVERIFY(QMetaObject::invokeMethod(m.get(), "AutoSaveTick"));
    QVERIFY(QFile::exists(Web("draft.html.tsv")));
    FAnswers = {mrNo};
    m->Action("ActionClose")->trigger();
    QVERIFY(!QFile::exists(Web("draft.html.tsv")));
  }

  void quitAsksOnceAndKeepsWhatCannotBeSaved() {
    auto m = NewMain();
    TMDIForm *a = m->ActiveDocument();
    a->TextBuffer->SetSelText("unsaved");
    FAnswers = {mrYes}; // then the save dialog is cancelled (no name given)
    QVERIFY(!m->close());
    QCOMPARE(FAsked, QStringList{"Save changed files?"});
    QVERIFY(m->Documents().contains(a));
    QCOMPARE(a->TextBuffer->Text().contains("unsaved"), true);
    FAnswers = {mrNo};
    QVERIFY(m->close());
  }

  void recentFileTabIsTheActiveOne() {
    for (const char *n : {"ra.txt", "rb.txt", "rc.txt"})
      QVERIFY(WriteAll(Web(n), "r\n"));
    auto m = NewMain();
    // ra and rb open, rc only in the list, a new document active.
    for (const char *n : {"ra.txt", "rb.txt", "rc.txt"})
      QVERIFY(m->OpenTextFile(Web(n)));
    m->Action("ActionClose")->trigger();
    m->CreateNewText(ftText);
    auto *tabs = m->findChild<QTabBar *>("tcFiles");
    QMenu *recent = nullptr;
    for (QMenu *menu : m->findChildren<QMenu *>())
      if (menu->title() == "Recent files")
        recent = menu;
    QVERIFY(recent);
    m->show();
    QVERIFY(QTest::qWaitForWindowActive(m.get()));
    // As a user does: the menu pops up, the entry is chosen with the keys, the menu closes and
    // the focus goes back to the window.
    const auto choose = [&](const QString &name) {
      recent->popup(m->mapToGlobal(QPoint(20, 20)));
      if (!QTest::qWaitForWindowExposed(recent))
        return false;
      for (QAction *a : recent->actions())
        if (a->text().endsWith(name)) {
          recent->setActiveAction(a);
          QTest::keyClick(recent, Qt::Key_Return);
          QCoreApplication::processEvents();
          return !recent->isVisible();
        }
      return false;
    };
    for (const char *n : {"ra.txt", "rc.txt", "rb.txt"}) {
      QVERIFY(choose(Web(n)));
      QCOMPARE(m->ActiveDocument()->TextName, Web(n));
      QCOMPARE(tabs->currentIndex(), m->ActiveDocument()->WinIndex);
      QCOMPARE(tabs->tabText(tabs->currentIndex()), QString(n));
    }
  }

  void recentFilesSurviveRestart() {
    {
      auto m = NewMain();
      for (int i = 0; i < 17; ++i) {
        const QString f = Web(QString("r%1.txt").arg(i));
        QVERIFY(WriteAll(f, "x"));
        QVERIFY(m->OpenTextFile(f));
      }
      QCOMPARE(m->HistList->Count(), 15);
      QVERIFY(m->close());
    }
    auto m = NewMain();
    QCOMPARE(m->HistList->Count(), 15);
    QCOMPARE(m->HistList->Item(0), Web("r16.txt"));
    QCOMPARE(m->HistList->Item(14), Web("r2.txt"));
  }

  void dialogListsSurviveRestart() {
    QVERIFY(WriteAll(Web("colors.html"), "<p>c</p>\n"));
    {
      auto m = NewMain({Web("colors.html")});
      m->CustomColorList[3] = 0x00123456;
      m->Settings.MailNameList = QStringList{"info"};
      m->Settings.MailBaseList = QStringList{"example.org"};
      m->AnchorHistory->AddString("top");
      QVERIFY(m->close());
    }
    auto m = NewMain({Web("colors.html")});
    QCOMPARE(m->CustomColorList[3], quint32(0x00123456));
    QCOMPARE(m->Settings.MailNameList, QStringList{"info"});
    QCOMPARE(m->Settings.MailBaseList, QStringList{"example.org"});
    QCOMPARE(m->AnchorHistory->Item(0), QString("top"));
  }

  void firstStartNeedsAProject() {
    auto m = std::make_unique<THauptForm>(QStringList{});
    m->ProjectDialogResponder = [](TProjectInfo &, const QString &) { return false; };
    QVERIFY(!m->Init()); // the new-project dialog was cancelled: no window
    QCOMPARE(m->Projects.size(), size_t(1)); // the default project was made
    QCOMPARE(m->Projects[0]->ProjName, QString("default"));
  }

  void switchingProjectsReopensDocuments() {
    // Two projects, one of them with documents written on another system.
    const QString rootA = FDir.filePath("siteA/"), rootB = FDir.filePath("siteB/");
    QDir().mkpath(rootA + "sub");
    QDir().mkpath(rootB);
    QString lines;
    for (int i = 1; i <= 20; ++i)
      lines += QString("line %1\n").arg(i);
    QVERIFY(WriteAll(rootA + "sub/index.htm", lines.toLatin1()));
    QVERIFY(WriteAll(rootB + "b.txt", "bee\n"));
    const QString prjA = FDir.filePath("a.prj"), prjB = FDir.filePath("b.prj");
    {
      auto a = TUnicodeIniFile::CreateForWrite(prjA);
      a->WriteString("Project", "Name", "A");
      a->WriteString("Project", "Path", rootA);
      a->WriteInteger("Project", "Count", 1);
      a->WriteString("Project", "Name00", "sub\\index.htm|1,12,1031,0");
      QVERIFY(a->UpdateFile());
      auto b = TUnicodeIniFile::CreateForWrite(prjB);
      b->WriteString("Project", "Name", "B");
      b->WriteString("Project", "Path", rootB);
      QVERIFY(b->UpdateFile());
      auto ini = TUnicodeIniFile::CreateForWrite(FDir.filePath("config/Tamrix/tst_mainform.ini"));
      ini->WriteInteger("Projects", "Count", 2);
      ini->WriteInteger("Projects", "Active", 0);
      ini->WriteString("Projects", "Name00", prjA);
      ini->WriteString("Projects", "Name01", prjB);
      QVERIFY(ini->UpdateFile());
    }
    FChooseProject = 0;
    auto m = NewMain();
    QCOMPARE(FProjectNames, (QStringList{"A", "B"}));
    QCOMPARE(m->ActProject->ProjName, QString("A"));
    TMDIForm *doc = m->ActiveDocument();
    QCOMPARE(doc->TextName, rootA + "sub/index.htm");
    QCOMPARE(doc->CaretXY().Line, 12);
    doc->TextBuffer->SetCaretXY({3, 7});
    doc->TextBuffer->SetSelText("x");
    FAnswers = {mrNo}; // "Save changed files?": no
    QVERIFY(m->SwitchProject(1));
    QCOMPARE(FAsked.last(), QString("Save changed files?"));
    QCOMPARE(m->ActProject->ProjName, QString("B"));
    QCOMPARE(m->Documents().size(), 1);
    QCOMPARE(m->HtmPath(), rootB);
    QVERIFY(m->OpenTextFile(rootB + "b.txt"));
    QVERIFY(m->SwitchProject(0));
    QCOMPARE(m->ActiveDocument()->TextName, rootA + "sub/index.htm");
    QCOMPARE(m->ActiveDocument()->CaretXY(), (TBufferCoord{4, 7}));
    QVERIFY(!m->ActiveDocument()->TextBuffer->Text().contains("x")); // not saved
    QVERIFY(m->close());
    // Both project files remember their documents, with "/" as separator.
    QVERIFY(TUnicodeIniFile::CreateForRead(prjA)->ReadString("Project", "Name00").startsWith("sub/index.htm|"));
    QVERIFY(TUnicodeIniFile::CreateForRead(prjB)->ReadString("Project", "Name00").startsWith("b.txt|"));
    QFile::remove(FDir.filePath("config/Tamrix/tst_mainform.ini"));
  }
};

QTEST_MAIN(TstMainForm)
#include "tst_mainform.moc"
