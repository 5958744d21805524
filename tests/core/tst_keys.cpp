// The keyboard layout without a window: the file, the default layout, completing a loaded
// layout, key values of key presses and their texts, the command list.
#include "core/keys/KeyLayout.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {
constexpr TShortCut Ctrl = scCtrl, Shift = scShift, Alt = scAlt;

// A few actions of each window, in their list order, with the keys that matter.
TLayoutActions MainActions() {
  return {{1005, 0, "File", "Open"},
          {1008, ShortCut(vkF1 + 1), "File", "Save"},
          {2001, ShortCut(vkF1), "Actions", "Help"},
          {1001, 0, "File", "New Html document"}}; // not in the layout
}
TLayoutActions DocActions() {
  return {{2014, ShortCut(vkBack, Alt), "Actions", "Undo"},
          {4403, ShortCut('L', Ctrl), "Global", "Html link"},
          {4503, ShortCut('L', Ctrl), "Lists", "List item <li>"},
          {4712, ShortCut('B', Ctrl), "Fonts", "Bold font <b>"},
          {4951, ShortCut('N', Ctrl), "Wrapping", "New line <br>"}};
}

QByteArray LayoutFile(qint32 n, int records, int extraBytes = 0) {
  QByteArray b(4 + 10 * records + extraBytes, '\0');
  qToLittleEndian<qint32>(n, b.data());
  return b;
}

int KeyHolder(const TSynEditKeyStrokes &ks, TShortCut sc) {
  const int i = ks.FindShortcut(sc);
  return i < 0 ? -1 : ks[i].Command;
}
TShortCut KeyOf(const TSynEditKeyStrokes &ks, int command) {
  const int i = ks.FindCommand(command);
  return i < 0 ? 0xFFFF : ks[i].ShortCut();
}
} // namespace

class TstKeys : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;

private slots:
  // The default layout: the editor table, then the actions taking their design keys from
  // earlier holders (F1, Ctrl+N, and the link's Ctrl+L to the list item after it).
  void defaultLayout() {
    TSynEditKeyStrokes ks;
    SetDefaultKeyStrokes(ks, MainActions(), DocActions());
    QCOMPARE(ks.Count(), 77 + 3 + 5);
    QCOMPARE(KeyHolder(ks, ShortCut(vkF1)), 2001);
    QCOMPARE(KeyOf(ks, ecContextHelp), TShortCut(0));
    QCOMPARE(KeyHolder(ks, ShortCut('N', Ctrl)), 4951);
    QCOMPARE(KeyOf(ks, ecInsertLine), TShortCut(0));
    QCOMPARE(KeyHolder(ks, ShortCut('L', Ctrl)), 4503);
    QCOMPARE(KeyOf(ks, 4403), TShortCut(0));
    QCOMPARE(KeyOf(ks, 1001), TShortCut(0xFFFF)); // tag 1001 is no layout command
    // Ctrl+Shift+L is held twice (row mode first), Cut has two entries.
    QCOMPARE(KeyHolder(ks, ShortCut('L', Ctrl | Shift)), int(ecLineSelect));
    QCOMPARE(ks[75].ShortCut(), TShortCut(ShortCut('L', Ctrl | Shift)));
    QCOMPARE(ks[42].Command, quint16(ecCut));
    QCOMPARE(ks[42].ShortCut(), ShortCut(vkDelete, Shift));
    QCOMPARE(EditorCommands().size(), size_t(74));
  }

  // Setting a key another entry holds is refused; 0 always goes.
  void setShortCut() {
    TSynEditKeyStrokes ks;
    SetEditorKeyDefaults(ks);
    const int wordLeft = ks.FindCommand(ecWordLeft);
    QVERIFY(!ks.SetShortCut(wordLeft, ShortCut('A', Ctrl)));
    QCOMPARE(ks[wordLeft].ShortCut(), ShortCut(vkLeft, Ctrl));
    QVERIFY(ks.SetShortCut(wordLeft, ShortCut(vkLeft, Ctrl))); // its own key
    QVERIFY(ks.SetShortCut(wordLeft, 0));
    QVERIFY(ks.SetShortCut(ks.FindCommand(ecDeleteBOL), 0));
    QVERIFY(ks.SetShortCut(wordLeft, ShortCut('B', Ctrl)));
    QCOMPARE(ks.FindShortcut(0), ks.FindCommand(ecDeleteBOL)); // the first entry without key
  }

  // The file keeps every field and order; its modifier bits (0 Shift, 1 Alt, 2 Ctrl) differ from
  // the ones in memory.
  void fileRoundTrip() {
    TSynEditKeyStrokes ks;
    SetDefaultKeyStrokes(ks, MainActions(), DocActions());
    ks[3].Key2 = 'K';
    ks[3].Shift2 = Ctrl;
    const QByteArray bytes = ks.SaveToBytes();
    QCOMPARE(bytes.size(), 4 + 10 * ks.Count());
    QCOMPARE(qFromLittleEndian<qint32>(bytes.constData()), ks.Count());
    const int rowMode = ks.FindCommand(ecLineSelect); // Ctrl+Shift+L
    const char *rec = bytes.constData() + 4 + 10 * rowMode;
    QCOMPARE(qFromLittleEndian<quint16>(rec), quint16('L'));
    QCOMPARE(qFromLittleEndian<quint16>(rec + 2), quint16(5));
    QCOMPARE(qFromLittleEndian<quint16>(rec + 8), quint16(ecLineSelect));
    const int indent = ks.FindCommand(ecBlockIndent); // Alt+Right
    QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + 4 + 10 * indent + 2), quint16(2));

    TSynEditKeyStrokes back;
    QVERIFY(back.LoadFromBytes(bytes));
    QVERIFY(back == ks);
    const QString f = FDir.filePath("round.key");
    QVERIFY(ks.SaveToFile(f));
    TSynEditKeyStrokes fromFile;
    QCOMPARE(LoadKeyLayout(fromFile, f, MainActions(), DocActions()), kfOk);
    QVERIFY(fromFile == ks);
  }

  // A file whose length does not fit its count gives the default layout; N = 0 is valid.
  void fileSizes_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("3 bytes") << QByteArray(3, '\0') << false;
    QTest::newRow("N = 0") << LayoutFile(0, 0) << true;
    QTest::newRow("one byte short") << LayoutFile(2, 2, -1) << false;
    QTest::newRow("one byte long") << LayoutFile(2, 2, 1) << false;
    QTest::newRow("negative N") << LayoutFile(-1, 0, 0) << false;
    QTest::newRow("negative N, 32-bit wrap") << LayoutFile(-429496729, 0, 6) << false;
    QTest::newRow("N = 0x1999999A in 8 bytes") << LayoutFile(0x1999999A, 0, 4) << false;
  }
  void fileSizes() {
    QFETCH(QByteArray, file);
    QFETCH(bool, valid);
    const QString f =
        FDir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_') + ".key");
    {
      QFile out(f);
      QVERIFY(out.open(QIODevice::WriteOnly));
      out.write(file);
    }
    TSynEditKeyStrokes ks, defaults;
    SetDefaultKeyStrokes(defaults, MainActions(), DocActions());
    QCOMPARE(LoadKeyLayout(ks, f, MainActions(), DocActions()) == kfOk, valid);
    TSynEditKeyStrokes direct;
    QCOMPARE(direct.LoadFromBytes(file), valid);
    if (!valid) {
      QVERIFY(ks == defaults);
      return;
    }
    // N = 0: the editor commands come back without key, the actions with their design keys,
    // except that of two actions with one key only the first gets it.
    QCOMPARE(ks.Count(), 74 + 3 + 5);
    for (int i = 0; i < 74; ++i)
      QCOMPARE(ks[i].ShortCut(), TShortCut(0));
    QCOMPARE(KeyHolder(ks, ShortCut('L', Ctrl)), 4403);
    QCOMPARE(KeyOf(ks, 4503), TShortCut(0));
    QCOMPARE(KeyHolder(ks, ShortCut(vkF1)), 2001);
  }

  // A loaded layout never loses a key to a command added to complete it.
  void completeLoaded() {
    TSynEditKeyStrokes saved;
    saved.SetShortCut(saved.Add(ecWordLeft), ShortCut('B', Ctrl));
    saved.SetShortCut(saved.Add(4712), 0);
    saved.SetShortCut(saved.Add(999), ShortCut('Q', Ctrl)); // a command of no category is kept
    const QString f = FDir.filePath("user.key");
    QVERIFY(saved.SaveToFile(f));
    TSynEditKeyStrokes ks;
    QCOMPARE(LoadKeyLayout(ks, f, MainActions(), DocActions()), kfOk);
    QCOMPARE(KeyHolder(ks, ShortCut('B', Ctrl)), int(ecWordLeft));
    QCOMPARE(KeyOf(ks, 4712), TShortCut(0));
    QCOMPARE(KeyHolder(ks, ShortCut('Q', Ctrl)), 999);
    QCOMPARE(KeyOf(ks, ecWordRight), TShortCut(0));
    QCOMPARE(KeyHolder(ks, ShortCut('L', Ctrl)), 4403);
    QCOMPARE(ks.Count(), 3 + 73 + 3 + 4);
  }

  // Key presses as the platform reports them. The digit row counts by its key code, whatever
  // symbol the keyboard layout puts on it with Shift.
  void keyPress_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mods");
    QTest::addColumn<int>("nativeCode");
    QTest::addColumn<QString>("text");
    const int C = Qt::ControlModifier, S = Qt::ShiftModifier, A = Qt::AltModifier, K = Qt::KeypadModifier;
    QTest::newRow("Ctrl+L") << int(Qt::Key_L) << C << 46 << "Ctrl+L";
    QTest::newRow("US Ctrl+Shift+1") << int(Qt::Key_Exclam) << (C | S) << 10 << "Shift+Ctrl+1";
    QTest::newRow("German Ctrl+Shift+7") << int(Qt::Key_Slash) << (C | S) << 16 << "Shift+Ctrl+7";
    QTest::newRow("German Ctrl+Shift+0") << int(Qt::Key_Equal) << (C | S) << 19 << "Shift+Ctrl+0";
    QTest::newRow("German Ctrl+Shift+3") << int(Qt::Key_section) << (C | S) << 12 << "Shift+Ctrl+3";
    QTest::newRow("no key code, US symbol") << int(Qt::Key_ParenLeft) << (C | S) << 0 << "Shift+Ctrl+9";
    QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << S << 23 << "Shift+Tab";
    QTest::newRow("keypad 5") << int(Qt::Key_5) << (C | K) << 84 << "Ctrl+Num 5";
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << K << 104 << "Enter";
    QTest::newRow("Alt+Backspace") << int(Qt::Key_Backspace) << A << 22 << "Alt+Backspace";
    QTest::newRow("Shift+Alt+F3") << int(Qt::Key_F3) << (S | A) << 69 << "Shift+Alt+F3";
    QTest::newRow("Ctrl+PgDn") << int(Qt::Key_PageDown) << C << 117 << "Ctrl+PgDn";
    QTest::newRow("bare Shift") << int(Qt::Key_Shift) << S << 50 << "";
  }
  void keyPress() {
    QFETCH(int, key);
    QFETCH(int, mods);
    QFETCH(int, nativeCode);
    QFETCH(QString, text);
    const TShortCut sc = ShortCutOfKeyPress({key, Qt::KeyboardModifiers(mods), quint32(nativeCode)});
    QCOMPARE(ShortCutToText(sc), text);
    if (sc) { // the way back to Qt gives the same key value
      const QKeyCombination q = QtKeyOfShortCut(sc);
      QCOMPARE(ShortCutOfKeyPress({int(q.key()), q.keyboardModifiers(), 0}), sc);
    }
  }

  // The categories come in their fixed order whatever the order of the actions; names are looked
  // up within one category or in all.
  void commandList() {
    TVelmoCommands c;
    TLayoutActions actions = DocActions();
    const TLayoutActions main = MainActions();
    actions.insert(actions.end(), main.begin(), main.end());
    AddActionCommands(c, actions);
    QCOMPARE(c.CategoryNames(),
             QStringList({"Editor", "File", "Actions", "Global", "Fonts", "Wrapping", "Lists"}));
    QCOMPARE(c.Category(0).FCommands.size(), size_t(74));
    QCOMPARE(c.GetCommandName(ecWordLeft), QString("Word left"));
    QCOMPARE(c.GetCommandName(4712, c.IndexOfCategory("fonts")), QString("Bold font <b>"));
    QCOMPARE(c.GetCommandName(4712, 0), QString());
    QVERIFY(!c.IsCommand(1001));
    int cat = -1;
    QString name;
    QVERIFY(c.FindCommandCategory(2001, cat, name));
    QCOMPARE(c.Category(cat).FCategory, QString("Actions"));
    QCOMPARE(CategoryOfTag(4503), QString("Lists"));
    QCOMPARE(CategoryOrder().size(), 18);
    QCOMPARE(DesignKeyOf(u"ActionListItem"), ShortCut('L', Ctrl));
  }
};

QTEST_GUILESS_MAIN(TstKeys)
#include "tst_keys.moc"
