// The interface languages with the real catalogues: every text of the catalogues translated with
// its places and accelerator kept, the language menu and its restart, and the main window under
// German and Hungarian with every menu walked and every dialog the menus reach opened, listing any English
// text that reaches a visible widget.
#include "core/app/LanguageList.h"
#include "core/common/IniFileUtils.h"
#include "core/common/Translate.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/HauptForm.h"
#include "ui/app/RecoverDlg.h"
#include "ui/common/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

namespace {
struct TPoEntry {
  QString Id, Str;
};

QString PoUnescape(const QString &s) {
  QString out;
  for (qsizetype i = 0; i < s.size(); ++i) {
    if (s[i] == u'\\' && i + 1 < s.size()) {
      const QChar c = s[++i];
      out += c == u'n' ? QChar(u'\n') : c == u'r' ? QChar(u'\r') : c == u't' ? QChar(u'\t') : c;
    } else {
      out += s[i];
    }
  }
  return out;
}

// The entries of a PO file (without the header and obsolete entries).
QList<TPoEntry> ReadPo(const QString &fileName) {
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    return {};
  QList<TPoEntry> out;
  TPoEntry cur;
  QString *target = nullptr;
  const auto flush = [&] {
    if (!cur.Id.isEmpty())
      out << TPoEntry{PoUnescape(cur.Id), PoUnescape(cur.Str)};
    cur = {};
    target = nullptr;
  };
  for (const QString &line : QString::fromUtf8(f.readAll()).split(u'\n')) {
    if (line.startsWith(QLatin1String("msgid "))) {
      flush();
      target = &cur.Id;
      *target += line.mid(7).chopped(1);
    } else if (line.startsWith(QLatin1String("msgstr "))) {
      target = &cur.Str;
      *target += line.mid(8).chopped(1);
    } else if (line.startsWith(u'"') && target) {
      *target += line.mid(1).chopped(1);
    } else if (line.trimmed().isEmpty() || line.startsWith(QLatin1String("#~"))) {
      flush();
    }
  }
  flush();
  return out;
}

QStringList Places(const QString &s) {
  static const QRegularExpression re(QStringLiteral("%[sdu1-9]"));
  QStringList out;
  for (auto it = re.globalMatch(s); it.hasNext();)
    out << it.next().captured();
  std::sort(out.begin(), out.end());
  return out;
}

// Accelerator marks: a single '&' before a letter or digit ("&&" and entities are none).
int Accelerators(const QString &s) {
  static const QRegularExpression re(QStringLiteral("(?<!&)&(?![&#]|[a-z]+;)"));
  return int(s.count(re));
}

QSet<QString> Words(const QString &text) {
  static const QRegularExpression re(QStringLiteral("[A-Za-zÀ-ɏ]{3,}"));
  QSet<QString> out;
  for (auto it = re.globalMatch(QString(text).remove(u'&')); it.hasNext();)
    out.insert(it.next().captured().toLower());
  return out;
}
} // namespace

class TstLangUi : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  QString FWeb;
  QStringList FMessages;
  TMsgResult FAnswer = mrNo; // to questions
  int FProjects = 0;
  QString AppPath() const { return FDir.filePath(QStringLiteral("config/Tamrix")); }

  std::unique_ptr<THauptForm> NewMain(const QStringList &args = {}) {
    auto m = std::make_unique<THauptForm>(args);
    m->SaveNameResponder = [this](const QString &title, const QString &, const QString &) {
      return title == _("Save project to file") ? FDir.filePath(QStringLiteral("site%1.prj").arg(++FProjects))
                                                 : QString();
    };
    m->OpenNameResponder = [](const QString &, const QString &) { return QString(); };
    m->DirectoryResponder = [](const QString &, const QString &) { return QString(); };
    m->ProjectDialogResponder = [this](TProjectInfo &p, const QString &) {
      p.ProjName = QStringLiteral("Site");
      p.ProjPath = FWeb;
      return true;
    };
    m->SelectProjectResponder = [](const QStringList &, int &index) {
      index = 0;
      return 1;
    };
    m->RestartResponder = [](const QStringList &) { return false; };
    const bool ok = m->Init();
    [&] { QVERIFY2(ok, qPrintable(FMessages.join(u'\n'))); }();
    return m;
  }

private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", FDir.filePath(QStringLiteral("config")).toUtf8());
    FWeb = FDir.filePath(QStringLiteral("web/"));
    QDir().mkpath(FWeb);
    QDir().mkpath(FDir.filePath(QStringLiteral("config/Tamrix")));
    SetMessageResponder([this](TMsgKind kind, const QString &text) {
      FMessages << text;
      return kind == mkConfirm ? FAnswer : kind == mkConfirmCancel ? mrCancel : mrOk;
    });
    InitTranslation({}, AppPath(), QCoreApplication::applicationDirPath(), QStringLiteral("tst_lang_ui"));
    TRecoverDialog::SetResponder([](const QString &, const QString &) { return rcLater; });
  }
  void init() {
    const QString ini = FDir.filePath(QStringLiteral("config/Tamrix/tst_lang_ui.ini"));
    QFile::remove(ini);
    auto w = TUnicodeIniFile::CreateForWrite(ini);
    w->WriteString(QStringLiteral("Config"), QStringLiteral("StdPath"), FWeb);
    QVERIFY(w->UpdateFile());
    FMessages.clear();
    FAnswer = mrNo;
  }
  void cleanup() { UseLanguage(QStringLiteral("en")); }

  // Each catalogue translates every text, keeps its places (%s, %1 ...) and its accelerator.
  void cataloguesComplete_data() {
    QTest::addColumn<QString>("code");
    QTest::newRow("German") << "de";
    QTest::newRow("Hungarian") << "hu";
  }
  void cataloguesComplete() {
    QFETCH(QString, code);
    QVERIFY(UseLanguage(code));
    const QList<TPoEntry> entries = ReadPo(QStringLiteral(TEST_SOURCE_DIR "/po/") + code + QStringLiteral(".po"));
    QVERIFY(entries.size() > 500);
    QStringList missing, wrong;
    for (const TPoEntry &e : entries) {
      const QString shown = Translate(e.Id.toUtf8().constData());
      if (e.Str.isEmpty() || shown != e.Str)
        missing << e.Id;
      else if (Places(e.Id) != Places(e.Str) || (Accelerators(e.Id) > 0) != (Accelerators(e.Str) == 1))
        wrong << e.Id + QStringLiteral(" -> ") + e.Str;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("untranslated (run tools/update-po.sh):\n") +
                                            missing.join(u'\n')));
    QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("places or accelerator lost:\n") + wrong.join(u'\n')));
  }

  void domains() {
    QVERIFY(UseLanguage(QStringLiteral("de")));
    QCOMPARE(_("&File"), QStringLiteral("&Datei"));
    QCOMPARE(_("Close"), QStringLiteral("Schließen"));
    QCOMPARE(TranslateIn(DomainLanguages, "Hungarian"), QStringLiteral("Ungarisch"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    QCOMPARE(_("No such text anywhere"), QStringLiteral("No such text anywhere"));
    QVERIFY(UseLanguage(QStringLiteral("hu")));
    QCOMPARE(_("&Up"), QStringLiteral("&Fel"));
    QCOMPARE(TranslateIn(DomainLanguages, "German"), QStringLiteral("Német"));
    // A language without catalogues (English is the source) leaves every text as it is.
    QVERIFY(!UseLanguage(QStringLiteral("fr")));
    QCOMPARE(_("&File"), QStringLiteral("&File"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    QCOMPARE(CurrentLanguageCode(), QStringLiteral("fr"));
  }

  // Under German the menu names the languages in German, sorted, after the system default;
  // choosing the current one asks nothing, another one is stored and asks to restart.
  void languageMenu() {
    QVERIFY(UseLanguage(QStringLiteral("de")));
    auto m = NewMain();
    QMenu *menu = m->LanguageMenu();
    QVERIFY(menu);
    QCOMPARE(menu->title(), QStringLiteral("Oberflächen&sprache"));
    QStringList items;
    for (QAction *a : menu->actions())
      if (!a->isSeparator())
        items << a->text();
    QCOMPARE(items, (QStringList{"&Systemstandard", "Deutsch", "Englisch", "Ungarisch"}));
    QVERIFY(menu->actions().first()->isChecked()); // no language file: the system default

    const QString cfg = LanguageChoice().LangFile;
    QCOMPARE(cfg, AppPath() + QStringLiteral("/tst_lang_ui.cfg"));
    int restarts = 0;
    m->RestartResponder = [&](const QStringList &) {
      ++restarts;
      return false;
    };
    m->LangItemClick(QString());
    QVERIFY(FMessages.isEmpty());
    m->LangItemClick(QStringLiteral("hu"));
    QCOMPARE(FMessages, QStringList{"Zum Wechseln der Sprache muss das Programm neu gestartet werden!"});
    QCOMPARE(restarts, 0); // answered No
    QCOMPARE(ReadLanguageFile(cfg), QStringLiteral("hu"));
    FAnswer = mrYes;
    m->LangItemClick(QStringLiteral("de"));
    QCOMPARE(ReadLanguageFile(cfg), QStringLiteral("de"));
    QCOMPARE(restarts, 1);
    m->LangItemClick(QStringLiteral("de")); // already chosen: nothing asked
    QCOMPARE(FMessages.size(), 2);
    QFile::remove(cfg);
  }

  // The language came from the command line: the file is left alone and the restart carries the
  // new choice instead of the old option.
  void commandLineLanguageRestarts() {
    const TLanguageChoice c = InitTranslation({QStringLiteral("-l:de")}, AppPath(),
                                              QCoreApplication::applicationDirPath(), QStringLiteral("tst_lang_ui"));
    QCOMPARE(c.Code, QStringLiteral("de"));
    auto m = NewMain();
    QStringList restarted;
    m->RestartResponder = [&](const QStringList &args) {
      restarted = args;
      return false;
    };
    FAnswer = mrYes;
    m->LangItemClick(QStringLiteral("hu"));
    QVERIFY(!QFile::exists(c.LangFile));
    QCOMPARE(restarted.value(0), QStringLiteral("-lang:hu"));
    QVERIFY(!restarted.contains(QStringLiteral("-l:de")));
    InitTranslation({}, AppPath(), QCoreApplication::applicationDirPath(), QStringLiteral("tst_lang_ui"));
  }

  // The translated interface: every menu walked, every dialog its ".." commands open, every message
  // they show; any English left is listed.
  void noEnglishLeft_data() {
    QTest::addColumn<QString>("code");
    QTest::newRow("German") << "de";
    QTest::newRow("Hungarian") << "hu";
  }
  void noEnglishLeft() {
    QFETCH(QString, code);
    QVERIFY(UseLanguage(code));
    // English words: those of the texts of the program that no translated text uses.
    QSet<QString> english, german;
    for (const TPoEntry &e : ReadPo(QStringLiteral(TEST_SOURCE_DIR "/po/") + code + QStringLiteral(".po"))) {
      english.unite(Words(e.Id));
      german.unite(Words(e.Str));
    }
    for (const TPoEntry &e : ReadPo(QStringLiteral(TEST_SOURCE_DIR "/po/framework-") + code + QStringLiteral(".po")))
      german.unite(Words(e.Str));
    // The same in both languages, or names rather than words.
    for (const char *w : {"html", "css", "php", "perl", "javascript", "visual", "basic", "ansi", "latin", "utf",
                          "ftp", "sftp", "ssl", "url", "velmo", "quillmark", "version", "ctrl", "shift", "alt",
                          "del", "ins", "esc", "space", "tab", "home", "end", "pgup", "pgdown", "return", "enter",
                          "backspace", "left", "right", "up", "down", "wiki", "edge", "gif", "jpeg", "png", "webp",
                          "svg", "pdf", "md5", "sha", "aes", "new", "site", "web", "index", "htm", "txt", "www"})
      german.insert(QString::fromLatin1(w));
    english.subtract(german);

    auto m = NewMain();
    m->show();
    QStringList leaks;
    QSet<QString> seen;
    const auto check = [&](const QString &where, const QString &text) {
      // Items that show the code they insert ("<script language=...>") are code, not text.
      if (text.trimmed().isEmpty() || text.startsWith(u'<') || seen.contains(text))
        return;
      seen.insert(text);
      const QSet<QString> words = Words(text);
      QStringList bad;
      for (const QString &w : words)
        if (english.contains(w))
          bad << w;
      if (!bad.isEmpty())
        leaks << where + QStringLiteral(": \"") + text + QStringLiteral("\" (") + bad.join(u',') + u')';
    };
    // Everything a user sees in a window.
    const auto checkWidget = [&](QWidget *top) {
      // The toolkit's own file, colour, font, print and page dialogs count as the system's.
      if (qobject_cast<QFileDialog *>(top) || qobject_cast<QColorDialog *>(top) ||
          qobject_cast<QFontDialog *>(top) || top->inherits("QAbstractPrintDialog") ||
          top->inherits("QPageSetupDialog"))
        return;
      const QString where = top->objectName().isEmpty() ? QString::fromLatin1(top->metaObject()->className())
                                                         : top->objectName();
      check(where + QStringLiteral(" title"), top->windowTitle());
      QList<QWidget *> all = top->findChildren<QWidget *>();
      all.prepend(top);
      for (QWidget *w : all) {
        if (!w->isVisibleTo(top))
          continue;
        const QString at = where + u'/' + w->objectName();
        check(at + QStringLiteral(" hint"), w->toolTip());
        if (auto *l = qobject_cast<QLabel *>(w))
          check(at, l->text());
        else if (auto *b = qobject_cast<QAbstractButton *>(w))
          check(at, b->text());
        else if (auto *g = qobject_cast<QGroupBox *>(w))
          check(at, g->title());
        else if (auto *t = qobject_cast<QTabBar *>(w)) {
          for (int i = 0; i < t->count(); ++i)
            if (!t->tabText(i).startsWith(u'*'))
              check(at, t->tabText(i));
        } else if (auto *c = qobject_cast<QComboBox *>(w); c && !c->isEditable()) {
          for (int i = 0; i < c->count(); ++i)
            check(at, c->itemText(i));
        } else if (auto *e = qobject_cast<QLineEdit *>(w))
          check(at, e->placeholderText());
        else if (auto *h = qobject_cast<QHeaderView *>(w); h && h->model()) {
          for (int i = 0; i < h->count(); ++i)
            check(at, h->model()->headerData(i, h->orientation()).toString());
        }
        for (QAction *a : w->actions()) {
          check(at + QStringLiteral(" action"), a->text());
          check(at + QStringLiteral(" action hint"), a->toolTip());
        }
      }
    };

    // Dialogs: whatever becomes modal is read and closed; windows that open beside the main window
    // are read and closed after the command.
    QTimer watcher;
    watcher.setInterval(30);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      if (QWidget *w = QApplication::activeModalWidget()) {
        checkWidget(w);
        w->close();
      }
    });
    watcher.start();

    QList<QMenu *> menus;
    for (QAction *a : m->menuBar()->actions())
      if (a->menu())
        menus << a->menu();
    QList<QAction *> dialogCommands;
    for (int i = 0; i < menus.size(); ++i) {
      QMenu *menu = menus[i];
      check(QStringLiteral("menu"), menu->title());
      emit menu->aboutToShow(); // menus filled on demand
      for (QAction *a : menu->actions()) {
        if (a->isSeparator())
          continue;
        if (a->menu() && !menus.contains(a->menu())) {
          menus << a->menu();
          continue;
        }
        check(menu->title() + QStringLiteral(" item"), a->text());
        check(menu->title() + QStringLiteral(" hint"), a->statusTip());
        if (a->isEnabled() && a->text().endsWith(QLatin1String("..")) && !dialogCommands.contains(a))
          dialogCommands << a;
      }
    }
    QVERIFY(menus.size() > 10);
    QVERIFY(dialogCommands.size() > 5);
    const QWidgetList tops = QApplication::topLevelWidgets();
    const QSet<QWidget *> before(tops.begin(), tops.end());
    for (QAction *a : dialogCommands) {
      a->trigger();
      QCoreApplication::processEvents();
      for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && !before.contains(w) && w != m.get() && !qobject_cast<QMenu *>(w)) {
          checkWidget(w);
          w->close();
        }
      }
    }
    watcher.stop();
    checkWidget(m.get());
    for (const QString &msg : std::as_const(FMessages))
      check(QStringLiteral("message"), msg);
    QVERIFY(seen.size() > 300);
    leaks.sort();
    for (const QString &l : std::as_const(leaks))
      qWarning().noquote() << "English under" << code << l;
    QVERIFY2(leaks.isEmpty(), qPrintable(QString::number(leaks.size()) +
                                         QStringLiteral(" English texts left, listed above")));
  }
};

QTEST_MAIN(TstLangUi)
#include "tst_lang_ui.moc"
