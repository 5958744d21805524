// The main window's spell checking: dictionaries loaded at start, the shared checker following
// the active document's language, the user's words kept across a restart, and "Dictionaries ..".
#include "core/common/IniFileUtils.h"
#include "core/editor/SpellCheck.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/HauptForm.h"
#include "ui/app/RecoverDlg.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/SpellHighlight.h"
#include "ui/editor/TextBuffer.h"

#include "TestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
const quint32 EnUs = 0x0409, DeDe = 0x0407;
}

class TstMainFormSpelling : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  QString FWeb;
  QStringList FAsked;
  QList<TMsgResult> FAnswers;

  std::unique_ptr<THauptForm> NewMain() {
    auto m = std::make_unique<THauptForm>(QStringList());
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
      return FDir.filePath("proj.prj");
    };
    const bool ok = m->Init();
    [&] { QVERIFY(ok); }();
    return m;
  }
  static QAction *MenuItem(QMenu *menu, const QString &name) {
    for (QAction *a : menu->actions())
      if (a->objectName() == name || (a->menu() && a->menu()->objectName() == name))
        return a;
    return nullptr;
  }

private slots:
  void initTestCase() {
    if (!QFile::exists("/usr/share/hunspell/en_US.aff") || !QFile::exists("/usr/share/hunspell/de_DE.aff"))
      QSKIP("needs hunspell-en-us and hunspell-de-de");
    qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toUtf8());
    FWeb = FDir.filePath("web/");
    QDir().mkpath(FWeb);
    QDir().mkpath(FDir.filePath("config/Tamrix"));
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FAsked << text;
      return FAnswers.isEmpty() ? mrYes : FAnswers.takeFirst();
    });
    TRecoverDialog::SetResponder([](const QString &, const QString &) { return rcLater; });
    const QString ini = FDir.filePath("config/Tamrix/tst_mainform_spelling.ini");
    auto w = TUnicodeIniFile::CreateForWrite(ini);
    w->WriteString("Config", "StdPath", FWeb);
    QVERIFY(w->UpdateFile());
  }

  void activeDocumentChoosesTheDictionary() {
    {
      auto m = NewMain();
      TSynEditSpellCheck *sc = m->SpellChecker();
      QVERIFY(sc);
      QVERIFY(sc->LoadedDicts().size() >= 2);
      TMDIForm *en = m->CreateNewText(ftHtml);
      en->SetTextLangId(EnUs);
      TMDIForm *de = m->CreateNewText(ftHtml);
      de->SetTextLangId(DeDe);
      m->ActivateText(en); // the language is set after the new document became active
      m->ActivateText(de);
      // The dictionary is opened when the shown text is checked, not while the window is shown.
      de->SpellHighlight->Flush();
      QCOMPARE(sc->LangId(), DeDe);
      QVERIFY(de->Action("ActionMisspell")->isEnabled());
      m->ActivateText(en);
      en->SpellHighlight->Flush();
      QCOMPARE(sc->LangId(), EnUs);
      // A word added in the English document is known from now on and after a restart.
      en->TextBuffer->LoadContent("<p>Quillmarkish</p>", "\n");
      en->TextBuffer->SetCaretXY({6, 1});
      en->Action("ActionAddDict")->trigger();
      QVERIFY(sc->CheckWord("Quillmarkish"));
      // The language menu of the main window lists "None" and the languages.
      QMenu *spelling = nullptr;
      for (QAction *a : m->menuBar()->actions())
        if (a->menu() && a->menu()->objectName() == "itmSpelling")
          spelling = a->menu();
      QVERIFY(spelling);
      QAction *lang = MenuItem(spelling, "itmDictLang");
      QVERIFY(lang);
      QCOMPARE(lang->menu()->actions().size(), sc->LoadedDicts().size() + 1);
      for (TMDIForm *d : m->Documents())
        d->TextBuffer->SetModified(false);
      FAnswers = {mrNo, mrNo, mrNo, mrNo};
      m->close();
    }
    QVERIFY(QFile::exists(FDir.filePath("config/Tamrix/en_US.user.dic")));
    auto m = NewMain();
    QVERIFY(m->SpellChecker()->SelectDictionary(EnUs));
    QVERIFY(m->SpellChecker()->CheckWord("Quillmarkish"));
    for (TMDIForm *d : m->Documents())
      d->TextBuffer->SetModified(false);
    FAnswers = {mrNo, mrNo, mrNo, mrNo};
    m->close();
  }

  void dictionarySelection() {
    auto m = NewMain();
    QMenu *spelling = nullptr;
    for (QAction *a : m->menuBar()->actions())
      if (a->menu() && a->menu()->objectName() == "itmSpelling")
        spelling = a->menu();
    QVERIFY(spelling);
    // Uncheck German in the check list, confirm, and answer No to the restart.
    bool seen = false;
    QTimer::singleShot(0, this, [&] {
      auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget());
      if (!dlg)
        return;
      auto *list = dlg->findChild<QListWidget *>();
      for (int i = 0; i < list->count(); ++i) {
        seen = seen || list->item(i)->checkState() == Qt::Checked;
        if (list->item(i)->data(Qt::UserRole).toUInt() == DeDe)
          list->item(i)->setCheckState(Qt::Unchecked);
      }
      dlg->accept();
    });
    FAsked.clear();
    FAnswers = {mrNo};
    MenuItem(spelling, "ActionDictionaries")->trigger();
    QVERIFY(seen); // all checked while no selection was stored
    QCOMPARE(FAsked.value(0),
             QString("To change the selection of dictionaries, the program must be restarted!"));
    QVERIFY(!m->Settings.DictionaryIds.contains(int(DeDe)));
    QVERIFY(m->Settings.DictionaryIds.contains(int(EnUs)));
    for (TMDIForm *d : m->Documents())
      d->TextBuffer->SetModified(false);
    FAnswers = {mrNo, mrNo, mrNo, mrNo};
    m->close();
    // The next start loads only the chosen ones.
    auto next = NewMain();
    QVERIFY(!next->SpellChecker()->SelectDictionary(DeDe));
    QVERIFY(next->SpellChecker()->SelectDictionary(EnUs));
    for (TMDIForm *d : next->Documents())
      d->TextBuffer->SetModified(false);
    FAnswers = {mrNo, mrNo, mrNo, mrNo};
    next->close();
  }
};

QTEST_MAIN(TstMainFormSpelling)
#include "tst_mainform_spelling.moc"
