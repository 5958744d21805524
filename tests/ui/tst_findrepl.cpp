// Find and replace in one document, driven through the dialog as a user would: searching inside a
// selection, replacing all after a confirmation, and the state of the dialog and the find keys.
#include "ui/common/MessageBox.h"
#include "ui/editor/FindReplDlg.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include "TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

class TstFindRepl : public QObject {
  Q_OBJECT
  TTestHost FHost;
  QStringList FAsked;

  // A text document holding `marked` (caret "|", selection "[...]") with the dialog claimed by it.
  std::unique_ptr<TMDIForm> Setup(const QString &marked, const QString &find, const QString &repl,
                                  TSynSearchOptions opts, bool replace) {
    auto doc = std::make_unique<TMDIForm>(&FHost, nullptr, ftText);
    const TMarked m = ParseMarked(marked);
    doc->TextBuffer->LoadContent(m.Text, "\n");
    doc->TextBuffer->SetSelection(m.Anchor, m.Caret);
    TFindReplDialog *dlg = FHost.FindDialog();
    dlg->SetOptions(opts);
    doc->ClaimFindDialog(true);
    dlg->Execute(replace);
    dlg->SetFindText(find);
    dlg->SetReplaceText(repl);
    dlg->cbAutoclose->setChecked(true);
    return doc;
  }

private slots:
  void initTestCase() {
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FAsked << text;
      return mrYes;
    });
  }
  void init() { FAsked.clear(); }
  void cleanup() { SetConfirmResponder({}); }

  // "All" in the confirmation replaces every remaining match, also when the replacement is longer
  // or shorter than the search text (the end of the range moves with each replacement).
  void replaceAllAfterConfirmation_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("repl");
    QTest::addColumn<QString>("answers"); // y = yes, n = no, a = all
    QTest::addColumn<int>("opts");
    QTest::addColumn<QString>("expected");
    QTest::newRow("longer, all at once") << "cat cat cat cat"
                                         << "cat"
                                         << "tiger"
                                         << "a" << int(ssoPrompt) << "tiger tiger tiger tiger";
    QTest::newRow("longer, yes then all") << "cat cat cat cat"
                                          << "cat"
                                          << "tiger"
                                          << "ya" << int(ssoPrompt) << "tiger tiger tiger tiger";
    QTest::newRow("longer, no then all") << "cat cat cat cat"
                                         << "cat"
                                         << "tiger"
                                         << "na" << int(ssoPrompt) << "cat tiger tiger tiger";
    QTest::newRow("shorter, all") << "tiger x tiger tigers"
                                  << "tiger"
                                  << "ox"
                                  << "a" << int(ssoPrompt) << "ox x ox oxs";
    QTest::newRow("longer, backwards")
        << "cat cat cat cat"
        << "cat"
        << "tiger"
        << "a" << int(ssoPrompt | ssoBackwards | ssoEntireScope) << "tiger tiger tiger tiger";
  }
  void replaceAllAfterConfirmation() {
    QFETCH(QString, text);
    QFETCH(QString, find);
    QFETCH(QString, repl);
    QFETCH(QString, answers);
    QFETCH(int, opts);
    QFETCH(QString, expected);
    auto doc = Setup(text + "|", find, repl, TSynSearchOptions(opts), true);
    if (!(opts & ssoBackwards))
      doc->TextBuffer->SetCaretXY({1, 1});
    int asked = 0;
    SetConfirmResponder([&](const QString &) {
      const QChar k = asked < answers.size() ? answers.at(asked) : QChar(u'c');
      ++asked;
      return k == u'y' ? raReplace : k == u'n' ? raSkip : k == u'a' ? raReplaceAll : raCancel;
    });
    FHost.FindDialog()->btnReplAll->click();
    QCOMPARE(doc->TextBuffer->Text(), expected);
    QCOMPARE(asked, answers.size());
    doc->TextBuffer->undo();
    QCOMPARE(doc->TextBuffer->Text(), text); // one undo step
  }

  // "Selected text" looks inside the selection, from the cursor as well as from the beginning,
  // in both directions; text outside the selection is never found.
  void findInSelection_data() {
    QTest::addColumn<QString>("marked");
    QTest::addColumn<int>("opts");
    QTest::addColumn<QString>("found"); // the text with the match as selection; empty: not found
    QTest::newRow("forward from cursor") << "ab [x ab x] ab" << int(ssoSelectedOnly) << "ab x [ab] x ab";
    QTest::newRow("backward from cursor")
        << "ab [ab x ab] ab" << int(ssoSelectedOnly | ssoBackwards) << "ab ab x [|ab] ab";
    QTest::newRow("forward from beginning")
        << "ab [x ab x] ab" << int(ssoSelectedOnly | ssoEntireScope) << "ab x [ab] x ab";
    QTest::newRow("caret at the selection's start")
        << "ab [|x ab x] ab" << int(ssoSelectedOnly) << "ab x [ab] x ab";
    QTest::newRow("only outside: not found") << "ab [x y] ab" << int(ssoSelectedOnly) << "";
    QTest::newRow("backward, only outside") << "ab [x y] ab" << int(ssoSelectedOnly | ssoBackwards) << "";
  }
  void findInSelection() {
    QFETCH(QString, marked);
    QFETCH(int, opts);
    QFETCH(QString, found);
    auto doc = Setup(marked, "ab", "", TSynSearchOptions(opts), false);
    FHost.FindDialog()->btnSearch->click();
    if (found.isEmpty()) {
      QCOMPARE(FAsked, QStringList{"\"ab\" not found!"});
      return;
    }
    QVERIFY2(FAsked.isEmpty(), qPrintable(FAsked.join(u'\n')));
    QCOMPARE(RenderMarked(*doc->TextBuffer), found);
  }

  // Replacing inside a selection, with "No" for one match: the rest of the selection is offered,
  // the text outside stays.
  void replaceInSelection() {
    auto doc = Setup("ab [ab ab ab] ab", "ab", "X", ssoSelectedOnly | ssoPrompt, true);
    QList<TSynReplaceAction> answers{raSkip, raReplace};
    SetConfirmResponder([&](const QString &) { return answers.isEmpty() ? raCancel : answers.takeFirst(); });
    FHost.FindDialog()->btnSearch->click();
    QCOMPARE(doc->TextBuffer->Text(), QString("ab ab X ab ab"));
    FHost.FindDialog()->SetOptions(ssoSelectedOnly);
    doc->TextBuffer->SetSelection({4, 1}, {11, 1});
    FHost.FindDialog()->btnReplAll->click();
    QCOMPARE(doc->TextBuffer->Text(), QString("ab X X X ab"));
  }

  // F3 and Shift+F3 are offered only while there is something to search for.
  void findNextNeedsSearchText() {
    auto doc = Setup("one two|", "", "", 0, false);
    QVERIFY(!doc->ActionFindNext->isEnabled());
    QVERIFY(!doc->ActionFindPrev->isEnabled());
    FHost.FindDialog()->cbxSearch->setEditText("two");
    QVERIFY(doc->ActionFindNext->isEnabled());
    QVERIFY(doc->ActionFindPrev->isEnabled());
    doc->ActionFindPrev->trigger();
    QCOMPARE(doc->TextBuffer->SelText(), QString("two"));
    FHost.FindDialog()->cbxSearch->setEditText("");
    QVERIFY(!doc->ActionFindNext->isEnabled());
    // A document made while a search text is set offers them at once.
    FHost.FindDialog()->SetFindText("one");
    auto other = Setup("one|", "one", "", 0, false);
    QVERIFY(other->ActionFindNext->isEnabled());
  }

  // The confirmation quotes search texts, which are often tags: they are shown as they are.
  void confirmationShowsTagsAsText() {
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&] {
      auto *dlg = qobject_cast<TConfirmReplDialog *>(QApplication::activeModalWidget());
      QVERIFY(dlg);
      format = dlg->findChild<QLabel *>("lblPrompt")->textFormat();
      for (QPushButton *b : dlg->findChildren<QPushButton *>())
        if (b->text() == "&All")
          b->click();
    });
    QCOMPARE(AskReplace(nullptr, {-1, -1}, "Replace this match of \"<b>\"\nby \"<strong>\"?"), raReplaceAll);
    QCOMPARE(format, Qt::PlainText);
  }

  // The search and replace boxes start at the same column.
  void fieldsAligned() {
    auto doc = Setup("x|", "x", "y", 0, true);
    TFindReplDialog *dlg = FHost.FindDialog();
    QVERIFY(QTest::qWaitForWindowExposed(dlg));
    QCOMPARE(dlg->cbxReplace->mapTo(dlg, QPoint(0, 0)).x(), dlg->cbxSearch->mapTo(dlg, QPoint(0, 0)).x());
    QCOMPARE(dlg->cbxReplace->width(), dlg->cbxSearch->width());
    dlg->close();
  }
};

QTEST_MAIN(TstFindRepl)
#include "tst_findrepl.moc"
