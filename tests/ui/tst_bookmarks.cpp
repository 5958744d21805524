// Numbered bookmarks, bracket matching, column mode and word selection in the document window on
// the real editor control.
#include "ui/editor/EditorCommands.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include "TestSupport.h"

#include <QMenu>
#include <QTest>

class TKeyHost : public TTestHost {
public:
  QStringList Switched;
  void PreviousMDI(TMDIForm *) override { Switched << "previous"; }
  void NextMDI(TMDIForm *) override { Switched << "next"; }
};

class TstBookmarks : public QObject {
  Q_OBJECT
  TKeyHost FHost;

  std::unique_ptr<TMDIForm> NewDoc(int lines = 20) {
    auto d = std::make_unique<TMDIForm>(&FHost, nullptr, ftHtml);
    d->WinIndex = 0;
    QStringList text;
    for (int i = 1; i <= lines; ++i)
      text << QStringLiteral("line %1 text").arg(i);
    d->TextBuffer->LoadContent(text.join(u'\n'), QStringLiteral("\n"));
    d->resize(600, 600);
    d->show();
    d->activateWindow();
    if (!QTest::qWaitForWindowActive(d.get()))
      qWarning("window not active: keys will not reach the actions");
    d->TextBuffer->setFocus();
    return d;
  }
  static int LineOf(TMDIForm *d, int n) {
    TBufferCoord p;
    return d->TextBuffer->GetBookmark(n, p) ? p.Line : 0;
  }

private slots:
  void setBookmarkCyclesThroughNumbers() {
    auto d = NewDoc();
    QAction *set = d->Action("ActionSetBookmark");
    for (int line = 1; line <= 10; ++line) {
      d->TextBuffer->SetCaretXY({3, line});
      set->trigger();
    }
    QCOMPARE(LineOf(d.get(), 9), 10);
    TBufferCoord p;
    QVERIFY(d->TextBuffer->GetBookmark(4, p));
    QCOMPARE(p, (TBufferCoord{3, 5})); // with its column
    // All ten set: the eleventh reuses 0, the next one 1.
    d->TextBuffer->SetCaretXY({1, 15});
    set->trigger();
    QCOMPARE(LineOf(d.get(), 0), 15);
    d->TextBuffer->SetCaretXY({1, 16});
    set->trigger();
    QCOMPARE(LineOf(d.get(), 1), 16);
    QCOMPARE(d->MarkCount, 2);
    // A cleared number is the next one used.
    d->TextBuffer->ClearBookmark(6);
    d->TextBuffer->SetCaretXY({1, 17});
    set->trigger();
    QCOMPARE(LineOf(d.get(), 6), 17);
    // "Delete all": numbering starts again at 0, MarkCount stays for the next full cycle.
    d->Action("ActionClearBookmarks")->trigger();
    for (int n = 0; n < 10; ++n)
      QCOMPARE(LineOf(d.get(), n), 0);
    set->trigger();
    QCOMPARE(LineOf(d.get(), 0), 17);
    QCOMPARE(d->MarkCount, 2);
  }

  void numberedMenusAndKeys() {
    auto d = NewDoc();
    // "Bookmark &3" of the Set menu takes 3 even while 0 to 2 are free; at the line's start.
    d->TextBuffer->SetCaretXY({5, 4});
    d->Action("ActionSetBookmark3")->trigger();
    TBufferCoord p;
    QVERIFY(d->TextBuffer->GetBookmark(3, p));
    QCOMPARE(p, (TBufferCoord{1, 4}));
    QVERIFY(!d->TextBuffer->GetBookmark(0, p));
    // Ctrl+Shift+1 sets bookmark 1 on the caret line, Ctrl+1 comes back to it.
    d->TextBuffer->SetCaretXY({2, 12});
    QTest::keyClick(d->TextBuffer, Qt::Key_1, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(LineOf(d.get(), 1), 12);
    d->TextBuffer->SetCaretXY({1, 2});
    QTest::keyClick(d->TextBuffer, Qt::Key_1, Qt::ControlModifier);
    QCOMPARE(d->TextBuffer->CaretXY(), (TBufferCoord{1, 12}));
    // An unset bookmark does nothing.
    QTest::keyClick(d->TextBuffer, Qt::Key_7, Qt::ControlModifier);
    QCOMPARE(d->TextBuffer->CaretXY(), (TBufferCoord{1, 12}));
    // A bookmark moves with its line.
    d->TextBuffer->SetCaretXY({1, 1});
    d->TextBuffer->SetSelText("new\n");
    QCOMPARE(LineOf(d.get(), 1), 13);
    QCOMPARE(BookmarkNumberOfCaption("Bookmark &x"), 0);
  }

  void gutterClickToggles() {
    auto d = NewDoc();
    emit d->TextBuffer->GutterClicked(5);
    QCOMPARE(LineOf(d.get(), 0), 5);
    QCOMPARE(d->TextBuffer->BookmarkOnLine(5), 0);
    emit d->TextBuffer->GutterClicked(7);
    QCOMPARE(LineOf(d.get(), 1), 7);
    emit d->TextBuffer->GutterClicked(5); // removes it
    QCOMPARE(d->TextBuffer->BookmarkOnLine(5), -1);
    emit d->TextBuffer->GutterClicked(9); // the lowest free number again
    QCOMPARE(LineOf(d.get(), 0), 9);
    // A real click on the gutter.
    const QPoint below = d->TextBuffer->viewport()->mapFromGlobal(d->TextBuffer->PointBelow({1, 3}));
    QTest::mouseClick(d->TextBuffer->viewport(), Qt::LeftButton, {}, QPoint(4, below.y() - 5));
    QCOMPARE(d->TextBuffer->BookmarkOnLine(3), 2);
  }

  // F6 belongs to "Find next misspelling" only where that command is enabled; elsewhere the
  // editor's own handler switches documents with F6 / F7 whatever the modifiers.
  void functionKeysSwitchDocuments() {
    auto d = NewDoc();
    QVERIFY(!d->Action("ActionMisspell")->isEnabled()); // no dictionary here
    FHost.Switched.clear();
    QTest::keyClick(d->TextBuffer, Qt::Key_F6);
    QTest::keyClick(d->TextBuffer, Qt::Key_F6, Qt::ShiftModifier);
    QCOMPARE(FHost.Switched, QStringList({"previous", "previous"}));
    // F7 is "&Previous" (an enabled command) and goes through the command.
    FHost.Switched.clear();
    QTest::keyClick(d->TextBuffer, Qt::Key_F7);
    QCOMPARE(FHost.Switched, QStringList({"previous"}));
    QCOMPARE(d->TextBuffer->Text().left(6), QString("line 1"));
  }

  void bracketsColumnModeAndWords_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after");
    QTest::newRow("round") << "a|(b (c) d) e"
                           << "a(b (c) d|) e";
    QTest::newRow("after closing") << "a(b)| e"
                                   << "a|(b) e";
    QTest::newRow("angle") << "|<p class=\"x\">"
                           << "<p class=\"x\"|>";
    QTest::newRow("curly over lines") << "f() |{\n  x;\n}"
                                      << "f() {\n  x;\n|}";
  }
  void bracketsColumnModeAndWords() {
    QFETCH(QString, text);
    QFETCH(QString, after);
    auto d = NewDoc(1);
    const TMarked m = ParseMarked(text);
    d->TextBuffer->LoadContent(m.Text, "\n");
    d->TextBuffer->SetCaretXY(m.Caret);
    d->Action("ActionMatch")->trigger();
    QCOMPARE(RenderMarked(*d->TextBuffer), after);
  }

  void columnModeAndSelectWord() {
    auto d = NewDoc();
    QAction *column = d->Action("ActionColumn");
    QCOMPARE(column->shortcut(), QKeySequence(Qt::Key_F4));
    d->TextBuffer->SetCaretXY({1, 1});
    QTest::keyClick(d->TextBuffer, Qt::Key_F4);
    QVERIFY(d->TextBuffer->ColumnMode());
    QTest::keyClick(d->TextBuffer, Qt::Key_Down);
    QTest::keyClick(d->TextBuffer, Qt::Key_Right);
    QVERIFY(d->TextBuffer->IsColumnSelection());
    QTest::keyClick(d->TextBuffer, Qt::Key_F4); // a toggle
    QVERIFY(!d->TextBuffer->ColumnMode());
    QVERIFY(!column->isChecked());

    d->TextBuffer->SetCaretXY({9, 3});
    QTest::keyClick(d->TextBuffer, Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(d->TextBuffer->SelText(), QString("text"));
  }
};

QTEST_MAIN(TstBookmarks)
#include "tst_bookmarks.moc"
