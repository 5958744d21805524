// Documents: Replace all of 100,000 matches in a 20 MB document against sed -i on the same file,
// and opening 50 files of 200 KB in one main window against 50 times opening one of them alone.
#include "BenchReport.h"
#include "core/common/IniFileUtils.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/HauptForm.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/FindReplDlg.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

// A fresh configuration asks for a first project: the benchmark answers for the user with one
// rooted in its web folder, so that it never waits for anybody.
static void StartMain(THauptForm &m, const QString &web, const QString &projectFile) {
  m.ProjectDialogResponder = [web](TProjectInfo &p, const QString &) {
    p.ProjName = QStringLiteral("Bench");
    p.ProjPath = web;
    return true;
  };
  // Each start makes its own project file: an existing one would be an overwrite question.
  static int starts = 0;
  const QString file = projectFile + QString::number(++starts) + QStringLiteral(".prj");
  m.SaveNameResponder = [file](const QString &, const QString &, const QString &) { return file; };
  m.SelectProjectResponder = [](const QStringList &, int &index) {
    index = 0;
    return 1;
  };
  if (!m.Init()) {
    std::fprintf(stderr, "bench_documents: the main window did not start\n");
    std::exit(1);
  }
}

static void Write(const QString &f, const QByteArray &d) {
  QFile o(f);
  o.open(QIODevice::WriteOnly);
  o.write(d);
}

int main(int argc, char *argv[]) {
  QTemporaryDir dir;
  qputenv("XDG_CONFIG_HOME", dir.filePath("cfg").toUtf8());
  QApplication app(argc, argv);
  SetMessageResponder([](TMsgKind, const QString &) { return mrNo; });
  QDir().mkpath(dir.filePath("cfg/Tamrix"));
  QDir().mkpath(dir.filePath("web"));
  {
    auto ini = TUnicodeIniFile::CreateForWrite(dir.filePath("cfg/Tamrix/bench_documents.ini"));
    ini->WriteString("Config", "StdPath", dir.filePath("web/"));
    ini->UpdateFile();
  }

  // Replace all.
  QByteArray line = "<p>Some running text with a needle in it and more words around.</p>\n";
  QByteArray big;
  for (int i = 0; i < 100000; ++i)
    big += line;
  while (big.size() < 20 * 1024 * 1024)
    big += "<p>Filler line without the word we look for, padding the page.</p>\n";
  const QString file = dir.filePath("web/big.html");
  Write(file, big);
  double ours = 0;
  {
    THauptForm m({});
    StartMain(m, dir.filePath("web/"), dir.filePath("bench"));
    TMDIForm *doc = m.LoadTextFile(file);
    TFindReplDialog *dlg = m.FindDialog();
    dlg->SetFindText("needle");
    dlg->SetReplaceText("thread");
    dlg->SetOptions(ssoReplace | ssoReplaceAll | ssoEntireScope);
    QElapsedTimer t;
    t.start();
    doc->DoReplace(0);
    ours = t.nsecsElapsed() / 1e6;
    doc->TextBuffer->undo();
    const bool oneStep = !doc->TextBuffer->Text().contains("thread");
    doc->TextBuffer->SetModified(false);
    QElapsedTimer s;
    s.start();
    QProcess::execute("sed", {"-i", "s/needle/thread/g", file});
    const double sed = s.nsecsElapsed() / 1e6;
    BenchRow("replace all 100000 matches in 20 MB", ours, "sed -i", sed, 3);
    std::printf("replace all was one undo step: %s\n", oneStep ? "yes" : "NO");
  }

  // Opening 50 files.
  QByteArray page;
  while (page.size() < 200 * 1024)
    page += "<tr><td class=\"x\">cell</td><td><a href=\"a.html\">link</a></td></tr>\n";
  QStringList files;
  for (int i = 0; i < 50; ++i) {
    files << dir.filePath(QStringLiteral("web/p%1.html").arg(i));
    Write(files.last(), page);
  }
  double alone = 0;
  {
    THauptForm m({});
    StartMain(m, dir.filePath("web/"), dir.filePath("bench"));
    for (int i = 0; i < 50; ++i) {
      QElapsedTimer t;
      t.start();
      TMDIForm *d = m.LoadTextFile(files[i]);
      alone += t.nsecsElapsed() / 1e6;
      m.ActivateText(d);
      d->close();
    }
  }
  double all = 0;
  {
    THauptForm m({});
    StartMain(m, dir.filePath("web/"), dir.filePath("bench"));
    QElapsedTimer t;
    t.start();
    for (const QString &f : files)
      m.LoadTextFile(f);
    all = t.nsecsElapsed() / 1e6;
  }
  BenchRow("opening 50 files of 200 KB", all, "50 x one alone", alone, 1.2);
  return 0;
}
