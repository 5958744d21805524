// The main window's project commands (files of other projects are never replaced unasked, the
// order of the list, the project button), its keys while the editor has the focus, the tab menu
// and the lists the insert dialogs keep for the whole run.
#include "core/common/FileNames.h"
#include "core/common/IniFileUtils.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/HauptForm.h"
#include "ui/common/HistoryCombo.h"
#include "ui/common/MessageBox.h"
#include "ui/dialogs/MailDlg.h"
#include "ui/dialogs/SelectColorDlg.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {
// Runs f on the modal dialog of type T once it is shown; a dialog f leaves open is cancelled.
template <class T, class F> void OnModal(F f) {
  QTimer::singleShot(0, [f] {
    auto *dlg = qobject_cast<T *>(QApplication::activeModalWidget());
    QVERIFY2(dlg, "expected dialog is not shown");
    f(dlg);
    if (dlg->isVisible())
      dlg->reject();
  });
}
} // namespace

class TstMainFormProjects : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  QString FWeb;
  QStringList FAsked;
  QList<TMsgResult> FAnswers;
  QStringList FProjectFiles; // names the project save dialog answers, in turn
  int FFreshFiles = 0;

  std::unique_ptr<THauptForm> NewMain() {
    auto m = std::make_unique<THauptForm>(QStringList());
    m->SaveNameResponder = [this](const QString &title, const QString &, const QString &) {
      if (title == "Save project to file" && !FProjectFiles.isEmpty())
        return FProjectFiles.takeFirst();
      return FDir.filePath(QString("fresh%1.prj").arg(++FFreshFiles));
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
    return m;
  }
  // A project file of its own, listed in the settings file when listed is set.
  QString WriteProject(const QString &file, const QString &name, const QString &root,
                       const QStringList &documents = {}) {
    auto w = TUnicodeIniFile::CreateForWrite(file);
    w->WriteString("Project", "Name", name);
    w->WriteString("Project", "Path", root);
    w->WriteString("Project", "FtpPass", "enciphered-secret");
    w->WriteInteger("Project", "Count", int(documents.size()));
    for (int i = 0; i < documents.size(); ++i)
      w->WriteString("Project", QString("Name%1").arg(i, 2, 10, QChar(u'0')), documents[i] + "|1,1,0,0");
    [&] { QVERIFY(w->UpdateFile()); }();
    return file;
  }
  void ListProjects(const QStringList &files) {
    auto ini = TUnicodeIniFile::CreateForWrite(IniName());
    ini->WriteString("Config", "StdPath", FWeb);
    ini->WriteInteger("Projects", "Count", int(files.size()));
    ini->WriteInteger("Projects", "Active", 0);
    for (int i = 0; i < files.size(); ++i)
      ini->WriteString("Projects", QString("Name%1").arg(i, 2, 10, QChar(u'0')), files[i]);
    QVERIFY(ini->UpdateFile());
  }
  QString IniName() const { return FDir.filePath("config/Tamrix/tst_mainform_projects.ini"); }

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
    QFile::remove(IniName());
    auto w = TUnicodeIniFile::CreateForWrite(IniName());
    w->WriteString("Config", "StdPath", FWeb);
    QVERIFY(w->UpdateFile());
    FAsked.clear();
    FAnswers.clear();
    FProjectFiles.clear();
  }

  // "New project" and "Save project as" onto an existing project file ask first; No returns to
  // the save dialog and the other file keeps every byte (its settings and stored passwords).
  void projectFileNotReplacedUnasked_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("answer"); // to "Overwrite file?"
    QTest::newRow("save as, no") << "ActionProjectSaveAs" << int(mrNo);
    QTest::newRow("save as, yes") << "ActionProjectSaveAs" << int(mrYes);
    QTest::newRow("new project, no") << "ActionProjectNew" << int(mrNo);
    QTest::newRow("new project, yes") << "ActionProjectNew" << int(mrYes);
  }
  void projectFileNotReplacedUnasked() {
    QFETCH(QString, action);
    QFETCH(int, answer);
    auto m = NewMain(); // the start makes the first project
    const QString other =
        WriteProject(FDir.filePath(QString("other-%1.prj").arg(QTest::currentDataTag())), "Other", FWeb);
    const QByteArray before = ReadAll(other);
    const QString second = FDir.filePath(QString("second-%1.prj").arg(QTest::currentDataTag()));
    FProjectFiles = {other, second};
    FAnswers = {TMsgResult(answer)};
    m->Action(action)->trigger();
    QCOMPARE(FAsked.size(), 1);
    QVERIFY(FAsked.first().contains("already exists!"));
    QVERIFY(FAsked.first().contains(other));
    const QString chosen = answer == mrYes ? other : second;
    QCOMPARE(m->ActProject->ProjFileName, chosen);
    QCOMPARE(TUnicodeIniFile::CreateForRead(chosen)->ReadString("Project", "Name"), QString("Site"));
    if (answer == mrNo) {
      QCOMPARE(ReadAll(other), before);
      QVERIFY(FProjectFiles.isEmpty()); // the dialog came again
    } else {
      QCOMPARE(FProjectFiles, QStringList{second}); // not asked again
    }
  }

  // Another listed project's file is never taken over: both would write it at exit.
  void listedProjectFileRefused() {
    auto m = NewMain();
    const QString first = m->ActProject->ProjFileName;
    const QByteArray before = ReadAll(first);
    QVERIFY(m->NewProject({}));
    const QString fresh = FDir.filePath("listed-refused.prj");
    FProjectFiles = {first, fresh};
    m->Action("ActionProjectSaveAs")->trigger();
    QCOMPARE(FAsked.size(), 1);
    QVERIFY(FAsked.first().contains("belongs to the project"));
    QCOMPARE(m->ActProject->ProjFileName, fresh);
    QCOMPARE(ReadAll(first), before);
    // Saving a project under its own name again needs no question.
    FAsked.clear();
    FProjectFiles = {fresh};
    m->Action("ActionProjectSaveAs")->trigger();
    QVERIFY(FAsked.isEmpty());
  }

  // The project commands with their exact captions, the order commands and the project button.
  void projectOrderAndButton() {
    const QString a = WriteProject(FDir.filePath("order-a.prj"), "A", FWeb),
                  b = WriteProject(FDir.filePath("order-b.prj"), "B", FWeb),
                  c = WriteProject(FDir.filePath("order-c.prj"), "C", FWeb);
    ListProjects({a, b, c});
    auto m = NewMain();
    QCOMPARE(m->Action("ActionProjectNew")->text(), QString("&New project"));
    QCOMPARE(m->Action("ActionProjectEdit")->text(), QString("&Edit project"));
    QCOMPARE(m->Action("ActionProjectManager")->text(), QString("&Project order .."));
    auto *button = m->findChild<QToolButton *>("tbtnProject");
    QVERIFY(button && button->menu());
    QStringList offered;
    for (QAction *act : button->menu()->actions())
      offered << act->objectName();
    for (const char *name :
         {"ActionProjectNew", "ActionProjectEdit", "ActionProjectLoad", "ActionProjectSaveAs",
          "ActionProjectClose", "ActionProjectManager", "itmProjUp", "itmProjDn"})
      QVERIFY2(offered.contains(name), name);

    auto *box = m->findChild<QComboBox *>("cbProject");
    auto *up = m->findChild<QAction *>("itmProjUp");
    auto *down = m->findChild<QAction *>("itmProjDn");
    QVERIFY(up && down);
    QCOMPARE(m->ActProject->ProjName, QString("A"));
    QVERIFY(!up->isEnabled());
    down->trigger();
    down->trigger();
    QCOMPARE(m->ProjectIndex, 2);
    QVERIFY(!down->isEnabled());
    QCOMPARE(box->currentIndex(), 2);
    QCOMPARE(box->currentText(), QString("A"));
    up->trigger();
    QCOMPARE(m->ProjectIndex, 1);
    QCOMPARE(m->ActProject->ProjName, QString("A")); // still the active one
    QStringList order;
    for (int i = 0; i < box->count(); ++i)
      order << box->itemText(i);
    QCOMPARE(order, (QStringList{"B", "A", "C"}));
    // The new order is the one written at exit.
    QVERIFY(m->WriteSettings());
    QCOMPARE(TUnicodeIniFile::CreateForRead(IniName())->ReadString("Projects", "Name00"), b);
    QCOMPARE(TUnicodeIniFile::CreateForRead(IniName())->ReadInteger("Projects", "Active", -1), 1);
  }

  // Switching projects closes and opens document windows without complaints from the MDI area
  // (the window is hidden while a project loads).
  void switchingProjectsQuietly() {
    const QString rootA = FDir.filePath("quiet-a/"), rootB = FDir.filePath("quiet-b/");
    QDir().mkpath(rootA);
    QDir().mkpath(rootB);
    QVERIFY(WriteAll(rootA + "a.txt", "a\n"));
    QVERIFY(WriteAll(rootA + "a2.txt", "a2\n"));
    QVERIFY(WriteAll(rootB + "b.txt", "b\n"));
    ListProjects({WriteProject(FDir.filePath("quiet-a.prj"), "A", rootA, {"a.txt", "a2.txt"}),
                  WriteProject(FDir.filePath("quiet-b.prj"), "B", rootB, {"b.txt"})});
    QTest::failOnWarning(QRegularExpression("removeSubWindow"));
    auto m = NewMain(); // hidden, as while a project loads
    QVERIFY(m->SwitchProject(1));
    QCOMPARE(m->ActiveDocument()->TextName, rootB + "b.txt");
    QVERIFY(m->SwitchProject(0));
    QCOMPARE(m->ActiveDocument()->TextName, rootA + "a.txt");
    m->Action("ActionClose")->trigger();
    QCoreApplication::processEvents();
  }

  // Keys of the main window's actions work while the editor has the focus; the editor keeps
  // its own keys (Ctrl+A selects all) and Insert switches the mode shown in the status bar.
  void keysWithEditorFocus() {
    auto m = NewMain();
    m->show();
    m->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m.get()));
    TMDIForm *doc = m->ActiveDocument();
    doc->TextBuffer->SetText("one\ntwo");
    doc->TextBuffer->setFocus();
    QVERIFY(doc->TextBuffer->hasFocus());

    // A main-window key outside the layout (Ctrl+Shift+S) reaches its action; Ctrl+D is the
    // layout's key of the document's "Set bookmark".
    QSignalSpy saveAll(m->Action("ActionSaveAll"), &QAction::triggered);
    QTest::keyClick(doc->TextBuffer, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(saveAll.count(), 1);
    QSignalSpy selectDoc(m->Action("ActionSelectDoc"), &QAction::triggered);
    QTest::keyClick(doc->TextBuffer, Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(selectDoc.count(), 0);
    TBufferCoord mark;
    QVERIFY(doc->TextBuffer->GetBookmark(0, mark));
    QCOMPARE(doc->TextBuffer->Text(), QString("one\ntwo")); // nothing typed, nothing duplicated

    QTest::keyClick(doc->TextBuffer, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(doc->TextBuffer->SelText(), QString("one\ntwo"));
    QTest::keyClick(doc->TextBuffer, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(doc->TextBuffer, "!");
    QCOMPARE(doc->TextBuffer->Text(), QString("one\ntwo!"));

    auto *mode = m->findChild<QLabel *>("StatusPanel2");
    QCOMPARE(mode->text(), QString("Insert"));
    QTest::keyClick(doc->TextBuffer, Qt::Key_Insert);
    QCOMPARE(mode->text(), QString("Overwrite"));
    QTest::keyClick(doc->TextBuffer, Qt::Key_Insert);
    QCOMPARE(mode->text(), QString("Insert"));

    // A key of the document's own commands (Ctrl+B) still goes to the document.
    doc->TextBuffer->SetSelection({1, 1}, {4, 1});
    QTest::keyClick(doc->TextBuffer, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(doc->TextBuffer->Line(1), QString("<b>one</b>"));
  }

  // The tab menu: "Select file &path" shows the document's folder, "&Close page" on the last
  // page leaves an empty HTML page.
  void tabMenu() {
    QTest::failOnWarning(QRegularExpression("removeSubWindow"));
    QVERIFY(WriteAll(FWeb + "tab.txt", "t\n"));
    auto m = NewMain();
    QVERIFY(m->OpenTextFile(FWeb + "tab.txt"));
    QString shown;
    m->FolderViewResponder = [&](const QString &folder) { shown = folder; };
    const auto pick = [&](const QString &text) {
      m->TabMenuResponder = [text](QMenu *menu) {
        for (QAction *a : menu->actions())
          if (a->text() == text)
            a->trigger();
      };
      auto *tabs = m->findChild<QTabBar *>("tcFiles");
      const int i = tabs->currentIndex();
      QMetaObject::invokeMethod(tabs, "customContextMenuRequested", Q_ARG(QPoint, tabs->tabRect(i).center()));
    };
    pick("Select file &path");
    QVERIFY(SameFileName(WithTrailingSlash(shown), FWeb));
    const int before = int(m->Documents().size());
    pick("&Close page");
    QCoreApplication::processEvents();
    if (before == 1) {
      QCOMPARE(m->Documents().size(), 1);
      QCOMPARE(int(m->ActiveDocument()->Status), int(tsNew));
    } else {
      QCOMPARE(int(m->Documents().size()), before - 1);
    }
  }

  // "&Color" at the caret and "&Encoded mail address" use the main window's lists, which are
  // written to the settings file at exit.
  void insertDialogsUseTheSharedLists() {
    auto m = NewMain();
    TMDIForm *doc = m->ActiveDocument();
    m->CustomColorList[0] = 0x123456;
    quint32 shownFirst = 0;
    OnModal<TSelectColorDialog>([&](TSelectColorDialog *d) {
      shownFirst = d->SpecColPanels[0]->Color();
      d->findChild<QPushButton *>("btnOk")->click();
    });
    doc->Action("ActionColor")->trigger();
    QCOMPARE(shownFirst, quint32(0x123456));

    doc->TextBuffer->SetText("");
    OnModal<TMailAdrDialog>([](TMailAdrDialog *d) {
      d->findChild<THistoryCombo *>("hcName")->setEditText("anna");
      d->findChild<THistoryCombo *>("hcBase")->setEditText("example.org");
      d->findChild<QPushButton *>("btnOk")->click();
    });
    doc->Action("ActionMailtoCode")->trigger();
    QVERIFY(!doc->TextBuffer->Text().isEmpty());
    QCOMPARE(m->Settings.MailNameList.value(0), QString("anna"));
    QCOMPARE(m->Settings.MailBaseList.value(0), QString("@example.org"));
    QVERIFY(m->WriteSettings());
    TAppSettings again;
    again.Read(*TUnicodeIniFile::CreateForRead(IniName()), true);
    QCOMPARE(again.MailNameList.value(0), QString("anna"));
    QCOMPARE(ParseColorList(again.CustomColors).at(0), quint32(0x123456));
  }
};

QTEST_MAIN(TstMainFormProjects)
#include "tst_mainform_projects.moc"
