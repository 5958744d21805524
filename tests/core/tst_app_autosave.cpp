// Which autosave copies a folder holds that are worth offering after a crash.
#include "core/app/AutosaveCopies.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TstAppAutosave : public QObject {
  Q_OBJECT
  // Files as "name@age" (age in minutes before now), copies found as "copy>document" ("copy>" for
  // an unnamed document's copy).
  static void Create(const QString &dir, const QStringList &files) {
    for (const QString &entry : files) {
      const QString name = entry.section(u'@', 0, 0);
      const int age = entry.section(u'@', 1).toInt();
      QFile f(dir + u'/' + name);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("x");
      QVERIFY(f.flush()); // a later flush would set the time again
      QVERIFY(
          f.setFileTime(QDateTime::currentDateTime().addSecs(-60 * age), QFileDevice::FileModificationTime));
    }
  }
  static QStringList Render(const QList<TAutosaveCopy> &copies, const QString &dir) {
    QStringList out;
    const QDir d(dir);
    for (const TAutosaveCopy &c : copies)
      out << d.relativeFilePath(c.CopyName) + u'>' +
                 (c.DocumentName.isEmpty() ? QString() : d.relativeFilePath(c.DocumentName));
    return out;
  }

private slots:
  void inFolder_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("newer copy") << QStringList{"a.html@5", "a.html.tsv@1"}
                                << QStringList{"a.html.tsv>a.html"};
    QTest::newRow("older copy") << QStringList{"a.html@1", "a.html.tsv@5"} << QStringList{};
    QTest::newRow("copy without its file") << QStringList{"gone.html.tsv@1"} << QStringList{};
    QTest::newRow("unnamed") << QStringList{"New3.tsv@1", "New12.tsv@9"}
                             << QStringList{"New12.tsv>", "New3.tsv>"};
    QTest::newRow("a file called New3 has its own copy")
        << QStringList{"New3@5", "New3.tsv@1"} << QStringList{"New3.tsv>New3"};
    QTest::newRow("numbered copy") << QStringList{"b.txt@5", "b.txt.2.tsv@1"}
                                   << QStringList{"b.txt.2.tsv>b.txt"};
    QTest::newRow("file with a number in its name")
        << QStringList{"v.2@5", "v.2.tsv@1", "v@5"} << QStringList{"v.2.tsv>v.2"};
    QTest::newRow("other files") << QStringList{"notes.txt@1", "tsv@1", "New.tsv@1"} << QStringList{};
  }
  void inFolder() {
    QFETCH(QStringList, files);
    QFETCH(QStringList, found);
    QTemporaryDir dir;
    Create(dir.path(), files);
    QCOMPARE(Render(FindAutosaveCopies(dir.path()), dir.path()), found);
  }

  void copiesOfOneFile() {
    QTemporaryDir dir;
    Create(dir.path(),
           {"p.html@10", "p.html.tsv@2", "p.html.3.tsv@1", "p.html.old.tsv@1", "p.html.4.tsv@20"});
    // Newest first; older than the file or not a copy's name: left out.
    QCOMPARE(Render(AutosaveCopiesOf(dir.filePath("p.html")), dir.path()),
             (QStringList{"p.html.3.tsv>p.html", "p.html.tsv>p.html"}));
    QCOMPARE(AutosaveCopyName("/w/p.html", 1), QString("/w/p.html.tsv"));
    QCOMPARE(AutosaveCopyName("/w/p.html", 2), QString("/w/p.html.2.tsv"));
  }
};

QTEST_MAIN(TstAppAutosave)
#include "tst_app_autosave.moc"
