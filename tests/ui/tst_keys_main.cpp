// The keyboard layout in the main window: its menu entries, a changed layout reaching the
// actions and every open document, the reset, and the layout file written and read again.
#include "core/common/IniFileUtils.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/HauptForm.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include "TestSupport.h"

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TstKeysMain : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  QString FWeb;
  QStringList FAsked;
  QList<TMsgResult> FAnswers;
  int FFiles = 0;

  std::unique_ptr<THauptForm> NewMain() {
    auto m = std::make_unique<THauptForm>(QStringList());
    m->SaveNameResponder = [this](const QString &, const QString &, const QString &) {
      return FDir.filePath(QString("p%1.prj").arg(++FFiles));
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
  QString ConfigFile(const char *ext) const {
    return FDir.filePath(QString("config/Tamrix/tst_keys_main.") + ext);
  }

private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toUtf8());
    FWeb = FDir.filePath("web/");
    QDir().mkpath(FWeb);
    QDir().mkpath(FDir.filePath("config/Tamrix"));
    auto w = TUnicodeIniFile::CreateForWrite(ConfigFile("ini"));
    w->WriteString("Config", "StdPath", FWeb);
    QVERIFY(w->UpdateFile());
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FAsked << text;
      return FAnswers.isEmpty() ? mrYes : FAnswers.takeFirst();
    });
  }

  void layoutInTheMainWindow() {
    auto m = NewMain();
    QVERIFY(m->findChild<QAction *>("itmEditLayout"));
    QVERIFY(m->findChild<QAction *>("itmDefaultLayout"));
    TMDIForm *doc = m->ActiveDocument();
    QVERIFY(doc);
    // Save: F2 from the layout, Ctrl+S kept beside it.
    QCOMPARE(m->Action("ActionSave")->shortcuts(),
             QList<QKeySequence>({QKeySequence(Qt::Key_F2), QKeySequence("Ctrl+S")}));
    QCOMPARE(doc->Action("ActionListItem")->shortcut(), QKeySequence("Ctrl+L"));

    // The dialog's OK: the main window's actions and the open document take the new layout.
    m->KeyboardDialogResponder = [](TSynEditKeyStrokes &ks) {
      ks.SetShortCut(ks.FindCommand(4712), 0);
      ks.SetShortCut(ks.FindCommand(ecWordLeft), ShortCut('B', scCtrl));
      ks.SetShortCut(ks.FindCommand(1008), ShortCut(vkF1 + 4, scShift));
      return true;
    };
    m->findChild<QAction *>("itmEditLayout")->trigger();
    QVERIFY(doc->Action("ActionBold")->shortcut().isEmpty());
    QCOMPARE(m->Action("ActionSave")->shortcut(), QKeySequence("Shift+F5"));
    doc->TextBuffer->SetText("one two");
    doc->TextBuffer->SetCaretXY({8, 1});
    m->show();
    m->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m.get()));
    doc->TextBuffer->setFocus();
    QTest::keyClick(doc->TextBuffer, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(doc->TextBuffer->CaretXY(), (TBufferCoord{5, 1}));
    QCOMPARE(doc->TextBuffer->Text(), QString("one two"));

    // Written at exit and read at the next start.
    const TSynEditKeyStrokes edited = m->ActKeyStrokes;
    QVERIFY(m->WriteSettings());
    QCOMPARE(QFileInfo(ConfigFile("key")).size(), 4 + 10 * qint64(edited.Count()));
    {
      auto again = NewMain();
      QVERIFY(again->ActKeyStrokes == edited);
      QVERIFY(again->ActiveDocument()->Action("ActionBold")->shortcut().isEmpty());
    }

    // "Default layout ...": asked, and every action is back on its design key.
    FAsked.clear();
    FAnswers = {mrNo};
    m->findChild<QAction *>("itmDefaultLayout")->trigger();
    QCOMPARE(FAsked, QStringList({"Reset keyboard layout to default?"}));
    QVERIFY(doc->Action("ActionBold")->shortcut().isEmpty());
    FAnswers = {mrYes};
    m->findChild<QAction *>("itmDefaultLayout")->trigger();
    QCOMPARE(doc->Action("ActionBold")->shortcut(), QKeySequence("Ctrl+B"));
    QCOMPARE(m->Action("ActionSave")->shortcut(), QKeySequence(Qt::Key_F2));
  }
};

QTEST_MAIN(TstKeysMain)
#include "tst_keys_main.moc"
