// Editing large documents:
// - wrapping a 1 MB selection in a 20 MB document with an inline tag pair, and inserting a short tag
//   at the caret, against one QsciScintilla replaceSelectedText / insert of the same result;
// - all Latin-1 characters of a 10 MB text to HTML entities against `recode utf8..html`.
// Median of 5 runs each.
#include "BenchReport.h"
#include "core/editor/Conversions.h"
#include "core/editor/Entities.h"
#include "core/editor/InsertEngine.h"
#include "ui/editor/TextBuffer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

static double Median(const std::function<void()> &prepare, const std::function<void()> &run) {
  std::vector<double> t;
  for (int i = 0; i < 5; ++i) {
    prepare();
    QElapsedTimer e;
    e.start();
    run();
    t.push_back(e.nsecsElapsed() / 1e6);
  }
  std::sort(t.begin(), t.end());
  return t[2];
}

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QString line = QStringLiteral("<p>Some text of a page with <a href=\"x.html\">a link</a> and more.</p>\n");
  QString doc;
  while (doc.size() < 20 * 1024 * 1024)
    doc += line;
  const int lines = int(doc.count(u'\n'));
  const int selLines = 1024 * 1024 / int(line.size());
  const TBufferCoord from{1, lines / 2}, to{1, lines / 2 + selLines};

  TTextBuffer ours;
  ours.LoadContent(doc, QStringLiteral("\n"));
  QsciScintilla peer;
  peer.setUtf8(true);
  peer.setText(doc);
  const QString selected = ours.Text().mid(ours.IndexOf(from), ours.IndexOf(to) - ours.IndexOf(from));

  const double oursWrap = Median([&] { ours.undo(); ours.SetSelection(from, to); },
                                 [&] { TInsertEngine(ours, ftHtml).InsertTags("<b>", "</b>", true); });
  const double peerWrap = Median(
      [&] {
        peer.undo();
        peer.setSelection(from.Line - 1, 0, to.Line - 1, 0);
      },
      [&] { peer.replaceSelectedText(QStringLiteral("<b>") + selected + QStringLiteral("</b>")); });
  const double oursTag = Median([&] { ours.undo(); ours.SetCaretXY({4, lines / 3}); },
                                [&] { TInsertEngine(ours, ftHtml).InsertText("<br>", 0); });
  const double peerTag = Median([&] { peer.undo(); peer.setCursorPosition(lines / 3 - 1, 3); },
                                [&] { peer.insert(QStringLiteral("<br>")); });
  BenchRow("wrap 1 MB selection in 20 MB", oursWrap, "replaceSelectedText", peerWrap, 2);
  BenchRow("short tag at the caret in 20 MB", oursTag, "insert", peerTag, 2);

  // Entities.
  QTemporaryDir dir;
  QString latin;
  const QString sample = QStringLiteral("Käse, Brötchen und Müsli für Öl-Grüße; señor, garçon, façade, à bientôt! ");
  while (latin.size() < 10 * 1024 * 1024)
    latin += sample + (latin.size() % 5 == 0 ? QStringLiteral("\n") : QString());
  const QString file = dir.filePath(QStringLiteral("latin.txt"));
  {
    QFile f(file);
    f.open(QIODevice::WriteOnly);
    f.write(latin.toUtf8());
  }
  HtmlEntities().LoadCharList(QCoreApplication::applicationDirPath(), QStringLiteral("html-codes.txt"), QString());
  TTextBuffer text;
  const double oursEnt = Median([&] { text.LoadContent(latin, QStringLiteral("\n")); },
                                [&] {
                                  ConvertDocument(text, [](const QString &s) {
                                    return HtmlEntities().CharsToEntities(s);
                                  });
                                });
  bool recodeRan = true;
  const double recode = Median([&] {},
                               [&] {
                                 QProcess p;
                                 p.setStandardInputFile(file);
                                 p.setStandardOutputFile(dir.filePath(QStringLiteral("out.html")));
                                 p.start(QStringLiteral("recode"), {QStringLiteral("utf8..html")});
                                 if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit ||
                                     p.exitCode() != 0)
                                   recodeRan = false;
                               });
  BenchRow("10 MB Latin-1 text to entities", oursEnt, "recode utf8..html", recodeRan ? recode : -1, 2);
  return 0;
}
