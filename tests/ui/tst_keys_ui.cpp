// The keyboard layout on the real editor control: keys dispatched by the layout alone, a
// user's layout, and the layout dialog with its capture field, its questions and its files.
#include "core/common/Translate.h"
#include "ui/common/MessageBox.h"
#include "ui/keys/KeyDispatch.h"
#include "ui/keys/KeyboardDlg.h"

#include "TestSupport.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {
constexpr TShortCut Ctrl = scCtrl, Shift = scShift;

class TLayoutHost : public TTestHost {
public:
  std::optional<TSynEditKeyStrokes> Layout;
  const TSynEditKeyStrokes *KeyStrokes() const override { return Layout ? &*Layout : nullptr; }
};

// The default layout of a document window's own actions.
TSynEditKeyStrokes DefaultsOf(TMDIForm *d) {
  TSynEditKeyStrokes ks;
  SetDefaultKeyStrokes(ks, {}, LayoutActions(d->ActionList));
  return ks;
}

QTreeWidgetItem *Row(TKeyboardDialog &dlg, const QString &name) {
  for (int i = 0; i < dlg.KeyCmdList->topLevelItemCount(); ++i)
    if (dlg.KeyCmdList->topLevelItem(i)->text(0) == name)
      return dlg.KeyCmdList->topLevelItem(i);
  return nullptr;
}
} // namespace

class TstKeysUi : public QObject {
  Q_OBJECT
  TLayoutHost FHost;
  QStringList FAsked;
  QList<TMsgResult> FAnswers;

  std::unique_ptr<TMDIForm> NewDoc(const QString &marked) {
    auto d = std::make_unique<TMDIForm>(&FHost, nullptr, ftHtml);
    const TMarked m = ParseMarked(marked);
    d->TextBuffer->LoadContent(m.Text, QStringLiteral("\n"));
    d->TextBuffer->SetSelection(m.Anchor, m.Caret);
    d->resize(600, 400);
    d->show();
    d->activateWindow();
    if (!QTest::qWaitForWindowActive(d.get()))
      qWarning("window not active");
    d->TextBuffer->setFocus();
    return d;
  }

private slots:
  void init() {
    FAsked.clear();
    FAnswers.clear();
    FHost.Layout.reset();
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FAsked << text;
      return FAnswers.isEmpty() ? mrOk : FAnswers.takeFirst();
    });
  }

  // Keys of the default layout: editor commands and actions, first match, and the keys that
  // run an action before an editor command holding them too.
  void defaultKeys_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("keys"); // QKeySequence portable texts, comma-separated
    QTest::addColumn<QString>("after");
    QTest::newRow("Ctrl+L list item") << "[Hello]"
                                      << "Ctrl+L"
                                      << "<li>[Hello]</li>";
    QTest::newRow("Ctrl+N line break tag") << "ab|"
                                           << "Ctrl+N"
                                           << "ab<br>\n|";
    QTest::newRow("Ctrl+B bold") << "[one]"
                                 << "Ctrl+B"
                                 << "<b>[one]</b>";
    QTest::newRow("arrows") << "a|bc\nxyz"
                            << "Right,Down,Left"
                            << "abc\nx|yz";
    QTest::newRow("word left, word right") << "one two |three"
                                           << "Ctrl+Left,Ctrl+Left,Ctrl+Right"
                                           << "one |two three";
    QTest::newRow("select to line end") << "ab|cd\nx"
                                        << "Shift+End"
                                        << "ab[cd]\nx";
    QTest::newRow("select word left") << "one two|"
                                      << "Ctrl+Shift+Left"
                                      << "one [|two]";
    QTest::newRow("home, end, text end") << "ab|c\nxy"
                                         << "Home,End,Ctrl+End"
                                         << "abc\nxy|";
    QTest::newRow("backspace, delete") << "ab|cd"
                                       << "Backspace,Del"
                                       << "a|d";
    QTest::newRow("delete line") << "one\ntw|o\nthree"
                                 << "Ctrl+Y"
                                 << "one\n|three";
    QTest::newRow("delete word") << "|one two"
                                 << "Ctrl+T"
                                 << "|two";
    QTest::newRow("enter") << "ab|cd"
                           << "Return"
                           << "ab\n|cd";
    QTest::newRow("select all") << "a|b"
                                << "Ctrl+A"
                                << "[|ab]";
    QTest::newRow("block indent") << "[a\nb|]"
                                  << "Alt+Right"
                                  << "[  a\n  b]";
    QTest::newRow("Ctrl+Shift+L is row mode, not lower case") << "|AB\nCD"
                                                              << "Ctrl+Shift+L,Down"
                                                              << "[AB\nCD]";
    QTest::newRow("typing") << "|"
                            << "text:Ab<"
                            << "Ab<|";
    QTest::newRow("unassigned Ctrl key types nothing") << "a|"
                                                       << "Ctrl+E"
                                                       << "a|";
  }
  void defaultKeys() {
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QString, after);
    auto d = NewDoc(before);
    for (const QString &k : keys.split(u',')) {
      if (k.startsWith("text:")) {
        QTest::keyClicks(d->TextBuffer, k.mid(5));
        continue;
      }
      const QKeyCombination c = QKeySequence::fromString(k, QKeySequence::PortableText)[0];
      QTest::keyClick(d->TextBuffer, c.key(), c.keyboardModifiers());
    }
    QCOMPARE(RenderMarked(*d->TextBuffer), after);
  }

  // Ctrl+Shift+digit sets a marker on the caret line, Ctrl+digit goes there; the menu items of the
  // bookmarks show the layout's keys.
  void markersAndMenus() {
    auto d = NewDoc("l1\nl2\nl|3\nl4");
    QTest::keyClick(d->TextBuffer, Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    d->TextBuffer->SetCaretXY({2, 4});
    QTest::keyClick(d->TextBuffer, Qt::Key_3, Qt::ControlModifier);
    QCOMPARE(d->TextBuffer->CaretXY(), (TBufferCoord{1, 3}));
    QCOMPARE(d->Action("ActionGotoBookmark3")->shortcut(), QKeySequence("Ctrl+3"));
    QCOMPARE(d->Action("ActionLink")->shortcut(), QKeySequence());
    QCOMPARE(d->Action("ActionListItem")->shortcut(), QKeySequence("Ctrl+L"));
    // Undo keeps its second key, Redo loses Ctrl+Y to "Delete line".
    QCOMPARE(d->Action("ActionUndo")->shortcuts(),
             QList<QKeySequence>({QKeySequence("Alt+Backspace"), QKeySequence("Ctrl+Z")}));
    QCOMPARE(d->Action("ActionRedo")->shortcuts(),
             QList<QKeySequence>({QKeySequence("Shift+Alt+Backspace")}));
  }

  // A user's layout: Ctrl+B on "Word left" moves the caret and makes nothing bold, the bold
  // command has no key any more; Shift+F3 (an action of the layout) freed, F3 reassigned.
  void userLayout() {
    auto probe = NewDoc("|");
    TSynEditKeyStrokes ks = DefaultsOf(probe.get());
    probe.reset();
    QVERIFY(ks.SetShortCut(ks.FindCommand(4712), 0));
    QVERIFY(ks.SetShortCut(ks.FindCommand(ecWordLeft), ShortCut('B', Ctrl)));
    FHost.Layout = ks;
    auto d = NewDoc("one two|");
    QTest::keyClick(d->TextBuffer, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(RenderMarked(*d->TextBuffer), QString("one |two"));
    QVERIFY(d->Action("ActionBold")->shortcut().isEmpty());
    // Ctrl+Left no longer moves by words.
    QTest::keyClick(d->TextBuffer, Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(RenderMarked(*d->TextBuffer), QString("one |two"));
    // The layout given later to an open document takes effect at once.
    SetKeyStrokes(d.get(), DefaultsOf(d.get()));
    d->TextBuffer->SetSelection({1, 1}, {4, 1});
    QTest::keyClick(d->TextBuffer, Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(d->TextBuffer->Line(1), QString("<b>one</b> two"));
  }

  // F1 runs the help action of the window around the document; a disabled action leaves its key
  // without effect.
  void keysReachWindowsAround() {
    QWidget outer;
    auto *help = new QAction(&outer);
    help->setData(2001);
    outer.addAction(help);
    QSignalSpy spy(help, &QAction::triggered);
    auto *d = new TMDIForm(&FHost, nullptr, ftHtml, &outer);
    d->TextBuffer->SetText("ab");
    outer.show();
    outer.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&outer));
    d->TextBuffer->setFocus();
    QTest::keyClick(d->TextBuffer, Qt::Key_F1);
    QCOMPARE(spy.count(), 1);
    d->Action("ActionListItem")->setEnabled(false);
    QTest::keyClick(d->TextBuffer, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(d->TextBuffer->Text(), QString("ab"));
  }

  // The capture field takes any chord, Tab and Esc too, and shows it as menus do.
  void captureField() {
    TKeyboardDialog dlg;
    THotKeyEdit *hk = dlg.hkKeystroke;
    QTest::keyClick(hk, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(hk->text(), QString("Shift+Ctrl+L"));
    QTest::keyClick(hk, Qt::Key_Tab);
    QCOMPARE(hk->Key(), ShortCut(vkTab));
    QTest::keyClick(hk, Qt::Key_Escape);
    QCOMPARE(hk->text(), QString("Esc"));
    QTest::keyClick(hk, Qt::Key_Q);
    QCOMPARE(hk->text(), QString("Q"));
    QTest::keyClick(hk, Qt::Key_Shift, Qt::ShiftModifier); // a bare modifier changes nothing
    QCOMPARE(hk->text(), QString("Q"));
  }

  // "Change code": the question about the holder (No keeps both), its own key asks about its own
  // command, a key held twice is refused after the first holder is cleared; "Delete code".
  void changeCode() {
    auto probe = NewDoc("|");
    const TLayoutActions acts = LayoutActions(probe->ActionList);
    VelmoCommands().Reset();
    AddActionCommands(VelmoCommands(), acts);
    TSynEditKeyStrokes ks = DefaultsOf(probe.get());
    TKeyboardDialog dlg;
    dlg.Prepare(ks);
    QCOMPARE(dlg.cbKat->currentText(), QString("Editor"));
    // Cut, Copy and Paste show twice, once per key.
    int cuts = 0;
    for (int i = 0; i < dlg.KeyCmdList->topLevelItemCount(); ++i)
      cuts += dlg.KeyCmdList->topLevelItem(i)->text(0) == "Cut";
    QCOMPARE(cuts, 2);

    dlg.KeyCmdList->setCurrentItem(Row(dlg, "Word left"));
    QCOMPARE(dlg.stxCommand->text(), QString("Word left"));
    QCOMPARE(dlg.hkKeystroke->text(), QString("Ctrl+Left"));
    const QString boldName = VelmoCommands().GetCommandName(4712);
    dlg.hkKeystroke->SetKey(ShortCut('B', Ctrl));
    FAnswers = {mrNo};
    dlg.ChangeCodeClick();
    QCOMPARE(FAsked.value(0),
             QString("Key code \"Ctrl+B\" is used for command\n%1\nOverwrite?").arg(boldName));
    QVERIFY(dlg.Layout() == ks);

    // Its own key: asked about itself; Yes leaves the key where it was.
    dlg.KeyCmdList->setCurrentItem(Row(dlg, "Word left"));
    dlg.hkKeystroke->SetKey(ShortCut(vkLeft, Ctrl));
    FAsked.clear();
    FAnswers = {mrYes};
    dlg.ChangeCodeClick();
    QVERIFY(FAsked.value(0).contains("\nWord left\n"));
    QCOMPARE(Row(dlg, "Word left")->text(1), QString("Ctrl+Left"));

    dlg.hkKeystroke->SetKey(ShortCut('B', Ctrl));
    FAnswers = {mrYes};
    dlg.ChangeCodeClick();
    QCOMPARE(Row(dlg, "Word left")->text(1), QString("Ctrl+B"));
    QCOMPARE(dlg.Layout()[dlg.Layout().FindCommand(4712)].ShortCut(), TShortCut(0));
    QCOMPARE(dlg.KeyCmdList->currentItem()->text(0), QString("Word left")); // same position

    // Ctrl+Shift+L is held by "Row mode" and "To lower case".
    FAsked.clear();
    dlg.KeyCmdList->setCurrentItem(Row(dlg, "Word right"));
    dlg.hkKeystroke->SetKey(ShortCut('L', Ctrl | Shift));
    FAnswers = {mrYes, mrOk};
    dlg.ChangeCodeClick();
    QCOMPARE(FAsked.value(1), QString("Shortcut already exists"));
    QCOMPARE(Row(dlg, "Row mode")->text(1), QString("(none)"));
    QCOMPARE(Row(dlg, "To lower case")->text(1), QString("Shift+Ctrl+L"));
    QCOMPARE(Row(dlg, "Word right")->text(1), QString("Ctrl+Right"));

    dlg.KeyCmdList->setCurrentItem(Row(dlg, "Select all"));
    dlg.DeleteCodeClick();
    QCOMPARE(Row(dlg, "Select all")->text(1), QString("(none)"));

    // The overview lists every key once, sorted by the clicked column.
    QStringList keys, functions;
    dlg.OverviewResponder = [&](TShowKeyCodes &o) {
      for (int i = 0; i < o.lvKeys->topLevelItemCount(); ++i)
        keys << o.lvKeys->topLevelItem(i)->text(0);
      o.SortByColumn(2);
      for (int i = 0; i < o.lvKeys->topLevelItemCount(); ++i)
        functions << o.lvKeys->topLevelItem(i)->text(2);
    };
    dlg.OverviewClick();
    QVERIFY(!keys.contains("Ctrl+A"));
    QVERIFY(keys.contains("Ctrl+B"));
    QCOMPARE(keys.size(), functions.size());
    const auto isSorted = [](const QStringList &l) {
      for (int i = 1; i < l.size(); ++i)
        if (l[i - 1].compare(l[i], Qt::CaseInsensitive) > 0)
          return false;
      return true;
    };
    QVERIFY(isSorted(keys));
    QVERIFY(isSorted(functions));
  }

  // Save writes the layout file; Load replaces the copy, but a file whose length does not fit
  // its count is refused and changes nothing.
  void saveAndLoad() {
    QTemporaryDir dir;
    auto probe = NewDoc("|");
    TSynEditKeyStrokes ks = DefaultsOf(probe.get());
    TKeyboardDialog dlg;
    dlg.Prepare(ks);
    QString name = dir.filePath("mine");
    dlg.FileNameResponder = [&](const QString &) { return name; };
    dlg.SaveClick();
    QFile saved(name + ".key");
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), ks.SaveToBytes());

    TSynEditKeyStrokes small;
    small.SetShortCut(small.Add(ecWordLeft), ShortCut('B', Ctrl));
    QVERIFY(small.SaveToFile(dir.filePath("small.key")));
    name = dir.filePath("small.key");
    dlg.LoadClick();
    QVERIFY(dlg.Layout() == small); // not completed with missing commands

    QFile bad(dir.filePath("bad.key"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(ks.SaveToBytes() + "x");
    bad.close();
    name = bad.fileName();
    dlg.LoadClick();
    QVERIFY(dlg.Layout() == small);
  }
};

QTEST_MAIN(TstKeysUi)
#include "tst_keys_ui.moc"
