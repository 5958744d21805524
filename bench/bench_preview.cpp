// F12 on a 1 MB HTML document until its text is in the page (modern engine), against a bare web
// view loading the same file; then the memory of the engine's processes.
#include "BenchReport.h"
#include "core/common/IniFileUtils.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/HauptForm.h"
#include "ui/app/HauptFormPreview.h"
#include "ui/app/RecoverDlg.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"
#include "ui/preview/PreviewEngine.h"
#include "ui/preview/WebView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <functional>

namespace {

QString Page(int round) {
  QString s = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>big</title></head><body>\n");
  int n = 0;
  while (s.size() < 1024 * 1024)
    s += QStringLiteral("<p class=\"c%1\">Paragraph %2 with <b>some</b> <i>inline</i> markup and a "
                        "<a href=\"#p%2\">link</a> &amp; an entity.</p>\n")
             .arg(n % 7)
             .arg(n++);
  return s + QStringLiteral("<p id=\"end\">end-of-page-") + QString::number(round) + QStringLiteral("</p>\n</body></html>\n");
}

// Waits until ask() answers true (asked again after each answer); -1 on time-out.
double WaitUntil(const std::function<void(const std::function<void(bool)> &)> &ask, QElapsedTimer &t) {
  bool found = false;
  while (!found && t.elapsed() < 20000) {
    bool answered = false;
    ask([&](bool ok) {
      found = ok;
      answered = true;
    });
    while (!answered && t.elapsed() < 20000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return found ? t.nsecsElapsed() / 1e6 : -1;
}

QString Check(int round) {
  return QStringLiteral("(function(){var e=document.getElementById('end');return !!e && e.textContent=='end-of-page-%1';})()")
      .arg(round);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

// Resident memory of this process and of every process below it, in MiB.
double TreeRssMiB(qint64 root, int *count) {
  QMap<qint64, qint64> parent;
  QMap<qint64, qint64> rss;
  const long page = sysconf(_SC_PAGESIZE);
  for (const QString &d : QDir("/proc").entryList(QDir::Dirs)) {
    bool ok = false;
    const qint64 pid = d.toLongLong(&ok);
    if (!ok)
      continue;
    QFile stat("/proc/" + d + "/stat");
    if (!stat.open(QIODevice::ReadOnly))
      continue;
    const QByteArray s = stat.readAll();
    const QList<QByteArray> f = s.mid(s.lastIndexOf(')') + 2).split(' ');
    if (f.size() > 22) {
      parent[pid] = f[1].toLongLong();
      rss[pid] = f[21].toLongLong() * page;
    }
  }
  qint64 total = 0;
  *count = 0;
  for (auto it = rss.cbegin(); it != rss.cend(); ++it) {
    qint64 p = it.key();
    while (p > 1 && p != root)
      p = parent.value(p, 0);
    if (p == root) {
      total += it.value();
      ++*count;
    }
  }
  return total / 1048576.0;
}

} // namespace

int main(int argc, char **argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  if (!ModernEngineAvailable()) {
    BenchRow("F12 on 1 MB HTML (modern engine)", -1, "bare QWebEngineView", -1, 1.3);
    return 0;
  }
  QTemporaryDir dir;
  qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
  const QString web = dir.filePath("web/");
  QDir().mkpath(web);
  QDir().mkpath(dir.filePath("config/Tamrix"));
  SetMessageResponder([](TMsgKind, const QString &text) {
    std::printf("message: %s\n", qPrintable(text));
    return mrYes;
  });
  TRecoverDialog::SetResponder([](const QString &, const QString &) { return rcLater; });
  {
    auto ini = TUnicodeIniFile::CreateForWrite(dir.filePath("config/Tamrix/bench_preview.ini"));
    ini->WriteString("Config", "StdPath", web);
    ini->WriteBool("Config", "EdgeBrowser", true);
    ini->UpdateFile();
  }
  PrepareModernEngineEnvironment();
  auto *main = new THauptForm({});
  main->ProjectDialogResponder = [&](TProjectInfo &p, const QString &) {
    p.ProjName = "Bench";
    p.ProjPath = web;
    return true;
  };
  main->SaveNameResponder = [&](const QString &, const QString &, const QString &) { return dir.filePath("p.prj"); };
  if (!main->Init())
    return 1;
  main->show();

  // The peer, and a first page that starts the engine for both sides.
  QWebEngineView bare;
  bare.resize(1024, 768);
  bare.show();
  QElapsedTimer t;
  const QString peerFile = web + "peer.html";
  {
    QFile f(peerFile);
    f.open(QIODevice::WriteOnly);
    f.write(Page(-1).toUtf8());
  }
  t.start();
  bare.setUrl(QUrl::fromLocalFile(peerFile));
  const auto askBare = [&](int round) {
    return [&bare, round](const std::function<void(bool)> &done) {
      bare.page()->runJavaScript(Check(round), [done](const QVariant &v) { done(v.toBool()); });
    };
  };
  std::printf("engine start and first page: %.0f ms\n", WaitUntil(askBare(-1), t));

  TMDIForm *doc = main->ActiveDocument();
  TPreviewCommands *commands = TPreviewCommands::Of(main);
  std::vector<double> ours, peer;
  for (int round = 0; round < 5; ++round) {
    const QString text = Page(round);
    doc->TextBuffer->setText(text); // not timed: the edit is the author's
    t.start();
    main->Action("ActionPreview")->trigger();
    TPreviewEngine *engine = commands->WebView()->Engine();
    ours.push_back(WaitUntil(
        [engine, round](const std::function<void(bool)> &done) {
          engine->RunScript(Check(round), [done](const QVariant &v) { done(v.toBool()); });
        },
        t));
    // The main window is active again before the next F12, as the author goes back to edit.
    main->activateWindow();
    QCoreApplication::processEvents();
    {
      QFile f(peerFile);
      f.open(QIODevice::WriteOnly);
      f.write(text.toUtf8());
    }
    t.start();
    bare.triggerPageAction(QWebEnginePage::ReloadAndBypassCache);
    peer.push_back(WaitUntil(askBare(round), t));
    std::printf("round %d: ours %.1f ms, bare view %.1f ms\n", round, ours.back(), peer.back());
  }
  BenchRow("F12 on 1 MB HTML until its text is in the page (modern engine)", Median(ours), "bare QWebEngineView",
           Median(peer), 1.3);
  int processes = 0;
  const double mib = TreeRssMiB(QCoreApplication::applicationPid(), &processes);
  std::printf("memory: %.0f MiB resident in %d processes (this program, its preview and the bare view, "
              "which share the engine's processes)\n",
              mib, processes);
  delete main;
  return 0;
}
