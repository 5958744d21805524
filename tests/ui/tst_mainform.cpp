// The main window with several documents: new, open, save, save as, save all, close, order of
// use, autosave, recent files and quitting.
#include "core/common/IniFileUtils.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/HauptForm.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include "TestSupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMdiArea>
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
