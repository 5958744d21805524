// Line differences shown before an autosave copy is recovered: the edit script against a table of
// cases, its minimality against a plain quadratic reference, and the unified form.
#include "core/app/TextDiff.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
// The script written compactly: " x" kept, "-x" removed, "+x" added, one entry per line.
QString Render(const QList<TDiffLine> &script) {
  QStringList out;
  for (const TDiffLine &l : script)
    out << (l.Kind == TDiffLine::dkSame ? u' ' : l.Kind == TDiffLine::dkRemoved ? u'-' : u'+') + l.Text;
  return out.join(u'|');
}

// Length of the longest common subsequence, the textbook table (quadratic memory, tests only).
int ReferenceLcs(const QStringList &a, const QStringList &b) {
  std::vector<std::vector<int>> t(a.size() + 1, std::vector<int>(b.size() + 1, 0));
  for (qsizetype i = 1; i <= a.size(); ++i)
    for (qsizetype j = 1; j <= b.size(); ++j)
      t[i][j] = a[i - 1] == b[j - 1] ? t[i - 1][j - 1] + 1 : std::max(t[i - 1][j], t[i][j - 1]);
  return t[a.size()][b.size()];
}
} // namespace

class TstAppTextDiff : public QObject {
  Q_OBJECT
private slots:
  void splitLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("final break ends the line") << "a\nb\n" << QStringList{"a", "b"};
    QTest::newRow("no final break") << "a\r\nb" << QStringList{"a", "b"};
    QTest::newRow("mixed breaks, empty lines") << "a\r\r\nb\n\n" << QStringList{"a", "", "b", ""};
  }
  void splitLines() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(SplitTextLines(text), lines);
  }

  void script_data() {
    QTest::addColumn<QString>("oldText");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QString>("script");
    QTest::newRow("same") << "a\nb\n"
                          << "a\nb\n"
                          << " a| b";
    QTest::newRow("all new") << ""
                             << "x\ny\n"
                             << "+x|+y";
    QTest::newRow("all gone") << "x\ny\n"
                              << ""
                              << "-x|-y";
    QTest::newRow("one line changed") << "a\nb\nc\n"
                                      << "a\nB\nc\n"
                                      << " a|-b|+B| c";
    QTest::newRow("insert in the middle") << "a\nc\n"
                                          << "a\nb\nc\n"
                                          << " a|+b| c";
    QTest::newRow("changes at both ends") << "a\nm\nn\nz\n"
                                          << "A\nm\nn\nZ\n"
                                          << "-a|+A| m| n|-z|+Z";
    QTest::newRow("moved line") << "a\nb\nc\nd\n"
                                << "b\nc\nd\na\n"
                                << "-a| b| c| d|+a";
    QTest::newRow("repeated lines") << "x\na\nx\nb\nx\n"
                                    << "x\nb\nx\n"
                                    << " x|-a|-x| b| x";
  }
  void script() {
    QFETCH(QString, oldText);
    QFETCH(QString, newText);
    QFETCH(QString, script);
    QCOMPARE(Render(DiffLines(SplitTextLines(oldText), SplitTextLines(newText))), script);
  }

  // Random texts over a small alphabet of lines: the script rebuilds both texts and keeps as many
  // lines as the longest common subsequence allows.
  void scriptIsMinimal() {
    QRandomGenerator rng(7);
    for (int round = 0; round < 200; ++round) {
      QStringList a, b;
      const int na = rng.bounded(0, 25), nb = rng.bounded(0, 25);
      for (int i = 0; i < na; ++i)
        a << QString(QChar(u'a' + rng.bounded(4)));
      for (int i = 0; i < nb; ++i)
        b << QString(QChar(u'a' + rng.bounded(4)));
      const QList<TDiffLine> s = DiffLines(a, b);
      QStringList oldBack, newBack;
      int kept = 0;
      for (const TDiffLine &l : s) {
        if (l.Kind != TDiffLine::dkAdded)
          oldBack << l.Text;
        if (l.Kind != TDiffLine::dkRemoved)
          newBack << l.Text;
        kept += l.Kind == TDiffLine::dkSame;
      }
      QCOMPARE(oldBack, a);
      QCOMPARE(newBack, b);
      QCOMPARE(kept, ReferenceLcs(a, b));
    }
  }

  void sizeBoundShowsReplacement() {
    const QStringList a{"k", "1", "2", "3", "k"}, b{"k", "3", "2", "1", "k"};
    // With room for only a few cells the changed middle is shown as removed, then added.
    QCOMPARE(Render(DiffLines(a, b, 4)), QString(" k|-1|-2|-3|+3|+2|+1| k"));
    QCOMPARE(Render(DiffLines(a, b)), QString(" k|-1|-2| 3|+2|+1| k"));
  }

  void unified_data() {
    QTest::addColumn<QString>("oldText");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QString>("diff");
    QString many;
    for (int i = 1; i <= 20; ++i)
      many += QString("l%1\n").arg(i);
    QString changed = many;
    changed.replace("l2\n", "L2\n").replace("l18\n", "l18\nnew\n");
    QTest::newRow("no change") << many << many << "";
    QTest::newRow("two hunks") << many << changed
                               << "--- old\n+++ new\n"
                                  "@@ -1,5 +1,5 @@\n l1\n-l2\n+L2\n l3\n l4\n l5\n"
                                  "@@ -16,5 +16,6 @@\n l16\n l17\n l18\n+new\n l19\n l20";
    QTest::newRow("into an empty file") << ""
                                        << "a\n"
                                        << "--- old\n+++ new\n@@ -0,0 +1 @@\n+a";
    QString near = many;
    near.replace("l5\n", "").replace("l11\n", "x\n");
    QTest::newRow("close changes share a hunk") << many << near
                                                << "--- old\n+++ new\n@@ -2,13 +2,12 @@\n l2\n l3\n l4\n-l5\n"
                                                   " l6\n l7\n l8\n l9\n l10\n-l11\n+x\n l12\n l13\n l14";
  }
  void unified() {
    QFETCH(QString, oldText);
    QFETCH(QString, newText);
    QFETCH(QString, diff);
    QCOMPARE(UnifiedDiff(oldText, newText, "old", "new"), diff);
  }
};

QTEST_MAIN(TstAppTextDiff)
#include "tst_app_textdiff.moc"
