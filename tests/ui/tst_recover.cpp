// Getting work back after a crash: autosave copies newer than their files are offered when the
// document opens and at start-up, with the difference to the file, and recovered, discarded or
// kept.
#include "core/common/IniFileUtils.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/HauptForm.h"
#include "ui/app/RecoverDlg.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TstRecover : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  QString FWeb;
  QStringList FOffered, FDiffs;
  TRecoverChoice FChoice = rcLater;
  QStringList FSaveNames;
  int FProjects = 0;

  std::unique_ptr<THauptForm> NewMain(const QStringList &args = {}) {
    auto m = std::make_unique<THauptForm>(args);
    m->SaveNameResponder = [this](const QString &title, const QString &, const QString &) {
      if (title == "Save project to file")
        return FDir.filePath(QString("site%1.prj").arg(++FProjects));
      return FSaveNames.isEmpty() ? QString() : FSaveNames.takeFirst();
    };
    m->ProjectDialogResponder = [this](TProjectInfo &p, const QString &) {
      p.ProjName = "Site";
      p.ProjPath = FWeb;
      return true;
    };
    const bool ok = m->Init();
    [&] { QVERIFY(ok); }();
    return m;
  }
  QString Web(const QString &name) const { return FWeb + name; }
  // A file with a modification time secondsAhead from now.
  static void Write(const QString &file, const QByteArray &bytes, int secondsAhead) {
    QVERIFY(WriteAll(file, bytes));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(
        f.setFileTime(QDateTime::currentDateTime().addSecs(secondsAhead), QFileDevice::FileModificationTime));
  }

private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toUtf8());
    FWeb = FDir.filePath("web/");
    SetMessageResponder([](TMsgKind, const QString &) { return mrNo; });
    TRecoverDialog::SetResponder([this](const QString &copy, const QString &diff) {
      FOffered << copy;
      FDiffs << diff;
      return FChoice;
    });
  }
  void cleanupTestCase() { TRecoverDialog::SetResponder({}); }
  void init() {
    QDir(FWeb).removeRecursively();
    QDir().mkpath(FWeb);
    QDir().mkpath(FDir.filePath("config/Tamrix"));
    const QString ini = FDir.filePath("config/Tamrix/tst_recover.ini");
    QFile::remove(ini);
    auto w = TUnicodeIniFile::CreateForWrite(ini);
    w->WriteString("Config", "StdPath", FWeb);
    QVERIFY(w->UpdateFile());
    FOffered.clear();
    FDiffs.clear();
    FSaveNames.clear();
  }

  void offeredWhenOpened_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("copyKept");
    const QString file = "<p>one</p>\n<p>two</p>\n", copy = "<p>one</p>\n<p>2</p>\n";
    QTest::newRow("recover") << int(rcRecover) << copy << true << true;
    QTest::newRow("discard") << int(rcDiscard) << file << false << false;
    QTest::newRow("later") << int(rcLater) << file << false << true;
  }
  void offeredWhenOpened() {
    QFETCH(int, choice);
    QFETCH(QString, text);
    QFETCH(bool, modified);
    QFETCH(bool, copyKept);
    // Below the project folder: start-up looks only in the project's own folder.
    QVERIFY(QDir().mkpath(Web("sub")));
    const QString page = Web("sub/page.html"), copy = Web("sub/page.html.tsv");
    Write(page, "<p>one</p>\n<p>two</p>\n", -60);
    Write(copy, "<p>one</p>\n<p>2</p>\n", 0);
    FChoice = TRecoverChoice(choice);
    auto m = NewMain();
    QVERIFY(FOffered.isEmpty());
    QVERIFY(m->OpenTextFile(page));
    QCOMPARE(FOffered, QStringList{copy});
    QCOMPARE(FDiffs.first(),
             "--- " + page + "\n+++ " + copy + "\n@@ -1,2 +1,2 @@\n <p>one</p>\n-<p>two</p>\n+<p>2</p>");
    TMDIForm *doc = m->ActiveDocument();
    QCOMPARE(doc->TextName, page);
    QCOMPARE(doc->TextBuffer->Text(), text);
    QCOMPARE(doc->IsModified(), modified);
    QCOMPARE(QFile::exists(copy), copyKept);
    if (choice == rcRecover) {
      // Saving writes the recovered text and the copy has done its work.
      QVERIFY(m->SaveTextFromMDI(doc, false));
      QCOMPARE(ReadAll(page), text.toUtf8());
      QVERIFY(!QFile::exists(copy));
    }
    QVERIFY(m->close());
  }

  void olderOrEqualCopiesAreNotOffered() {
    const QString page = Web("old.html");
    Write(Web("old.html.tsv"), "<p>older</p>\n", -60);
    Write(page, "<p>file</p>\n", 0);
    Write(Web("same.html"), "<p>same</p>\n", -60);
    Write(Web("same.html.tsv"), "<p>same</p>\n", 0);
    FChoice = rcRecover;
    auto m = NewMain();
    QVERIFY(m->OpenTextFile(page));
    QVERIFY(m->OpenTextFile(Web("same.html")));
    QVERIFY(FOffered.isEmpty());
    QCOMPARE(m->ActiveDocument()->TextBuffer->Text(), QString("<p>same</p>\n"));
    QVERIFY(!QFile::exists(Web("same.html.tsv"))); // it held nothing the file does not
    QVERIFY(m->close());
  }

  void copiesFoundAtStartup() {
    // An unnamed document's copy and the copy of a page the project did not list.
    Write(Web("New4.tsv"), "<p>never saved</p>\n", 0);
    Write(Web("page.html"), "<p>file</p>\n", -60);
    Write(Web("page.html.tsv"), "<p>edited</p>\n", 0);
    FChoice = rcRecover;
    auto m = NewMain();
    QCOMPARE(FOffered, (QStringList{Web("New4.tsv"), Web("page.html.tsv")}));
    QCOMPARE(FDiffs.first(),
             "--- (no file)\n+++ " + Web("New4.tsv") + "\n@@ -0,0 +1 @@\n+<p>never saved</p>");
    TMDIForm *unnamed = nullptr, *page = nullptr;
    for (TMDIForm *d : m->Documents()) {
      if (d->TextBuffer->Text() == "<p>never saved</p>\n")
        unnamed = d;
      if (d->TextName == Web("page.html"))
        page = d;
    }
    QVERIFY(unnamed && page);
    QCOMPARE(int(unnamed->Status), int(tsNew));
    QCOMPARE(unnamed->FileType, ftHtml);
    QVERIFY(unnamed->IsModified());
    QCOMPARE(page->TextBuffer->Text(), QString("<p>edited</p>\n"));
    QVERIFY(page->IsModified());
    // The next autosave writes the unnamed text under its new name and drops the old copy.
    QVERIFY(QMetaObject::invokeMethod(m.get(), "AutoSaveTick"));
    QVERIFY(!QFile::exists(Web("New4.tsv")));
    QCOMPARE(ReadAll(unnamed->TsvName), QByteArray("<p>never saved</p>\n"));
  }

  void leftCopiesAreNeverOverwritten() {
    // "Later": the copy stays, and autosave writes the document's new copy beside it.
    Write(Web("keep.txt"), "file\n", -60);
    Write(Web("keep.txt.tsv"), "first run\n", 0);
    FChoice = rcLater;
    auto m = NewMain();
    QVERIFY(m->OpenTextFile(Web("keep.txt")));
    TMDIForm *doc = m->ActiveDocument();
    doc->TextBuffer->SetSelText("second run ");
    QVERIFY(QMetaObject::invokeMethod(m.get(), "AutoSaveTick"));
    QCOMPARE(ReadAll(Web("keep.txt.tsv")), QByteArray("first run\n"));
    QCOMPARE(ReadAll(Web("keep.txt.2.tsv")), QByteArray("second run file\n"));
  }
};

QTEST_MAIN(TstRecover)
#include "tst_recover.moc"
