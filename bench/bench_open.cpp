// Opening and saving a 20 MB HTML file, UTF-8 and Windows-1252: the document window's path
// (detection, decoding into the editor with the HTML lexer; atomic save from the editor's text in
// the document's encoding)
// against the bare steps (read + decode + setText; writing the same bytes). Median of 5 runs.
#include "BenchReport.h"
#include "core/common/Encodings.h"
#include "core/editor/TextFile.h"
#include "core/highlight/EmbeddedCode.h"
#include "ui/editor/Highlighters.h"
#include "ui/editor/TextBuffer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QWindow>
#include <Qsci/qscilexerhtml.h>
#include <algorithm>
#include <cstdio>
#include <functional>

static double Median(std::function<void()> f) {
  std::vector<double> t;
  for (int i = 0; i < 5; ++i) {
    QElapsedTimer e;
    e.start();
    f();
    t.push_back(e.nsecsElapsed() / 1e6);
  }
  std::sort(t.begin(), t.end());
  return t[2];
}

// Opening a 20 MB page with <style> blocks, style and event attributes and paging through all of
// it: the document's editor (page lexer, CSS and scripts inside the page styled before each paint)
// against the stock HTML lexer, which leaves them plain. Each step shows another part of the text
// and paints it, so every byte is lexed once on the way down.
static void ScrollWithEmbeddedCss(const QString &f) {
  QByteArray chunk = "<style>\n/* rule */\np.c > a:hover { color: #FF0000; margin: 0 2px !important }\n"
                     "@media print { td { font-family: \"Mono\" } }\n</style>\n";
  for (int i = 0; i < 40; ++i)
    chunk += "<tr><td style=\"width: 20%; color: red\" onclick=\"go('x', 1)\">cell</td></tr>\n";
  QByteArray page = "<html><body><table>\n";
  while (page.size() < 20 * 1024 * 1024)
    page += chunk;
  page += "</table></body></html>\n";
  QFile out(f);
  out.open(QIODevice::WriteOnly);
  out.write(page);
  out.close();
  constexpr int Steps = 200;
  // Painting needs a window on the screen: wait (a little) until it is.
  const auto exposed = [](QWidget &w) {
    w.show();
    QElapsedTimer t;
    t.start();
    while ((!w.windowHandle() || !w.windowHandle()->isExposed()) && t.elapsed() < 5000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  };
  const auto pageThrough = [](QsciScintilla &ed) {
    const int lines = ed.lines();
    for (int i = 0; i <= Steps; ++i) {
      ed.setFirstVisibleLine(int(qint64(lines) * i / Steps));
      ed.viewport()->repaint();
    }
  };
  TTextBuffer ours;
  ours.resize(900, 700);
  exposed(ours);
  QsciLexer *lexer = CreateHighlighter(ftHtml, &ours);
  ours.SetHighlighter(lexer, true);
  const double oursTime = Median([&] {
    const TLoadedBytes t = LoadTextFileUtf8(f);
    ours.LoadUtf8(t.Utf8, t.LineBreak);
    pageThrough(ours);
  });
  QsciScintilla peer;
  peer.resize(900, 700);
  exposed(peer);
  peer.setUtf8(true);
  QsciLexerHTML peerLexer;
  peer.setLexer(&peerLexer);
  const double peerTime = Median([&] {
    QFile in(f);
    in.open(QIODevice::ReadOnly);
    peer.setText(QString::fromUtf8(in.readAll()));
    pageThrough(peer);
  });
  // The last screen was styled by the pass (its CSS is not plain text).
  const long at = long(ours.Utf8View().lastIndexOf(QByteArrayView("color:")));
  if ((ours.SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, at) & 0xFF) != EmbeddedStyle::CssProperty)
    std::fprintf(stderr, "page lexer: the CSS on the last screen was not styled\n");

  BenchRow("open+page through 20 MB page with CSS/JS inside", oursTime, "stock HTML lexer, same steps", peerTime,
           1.3);
}

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QTemporaryDir dir;
  QByteArray line = "<tr><td class=\"c\">K\xC3\xA4se &amp; Br\xC3\xB6tchen</td><td><a href=\"x.html\">link</a></td></tr>\n";
  QByteArray utf8;
  while (utf8.size() < 20 * 1024 * 1024)
    utf8 += line;
  utf8 = "<html><body><table>\n" + utf8 + "</table></body></html>\n";
  const QByteArray ansi = EncodeAnsi(QString::fromUtf8(utf8));
  for (const auto &[name, bytes, enc] : {std::tuple{"UTF-8", utf8, seUTF8}, std::tuple{"Windows-1252", ansi, seAnsi}}) {
    const QString f = dir.filePath(QStringLiteral("big.html"));
    QFile out(f);
    out.open(QIODevice::WriteOnly);
    out.write(bytes);
    out.close();
    TTextBuffer ours;
    QsciLexer *lexer = CreateHighlighter(ftHtml, &ours);
    ours.SetHighlighter(lexer, true);
    const double oursOpen = Median([&] {
      const TLoadedBytes t = LoadTextFileUtf8(f);
      ours.LoadUtf8(t.Utf8, t.LineBreak);
    });
    QsciScintilla peer;
    peer.setUtf8(true);
    QsciLexerHTML peerLexer;
    peer.setLexer(&peerLexer);
    const double peerOpen = Median([&] {
      QFile in(f);
      in.open(QIODevice::ReadOnly);
      const QByteArray b = in.readAll();
      const QString s = enc == seUTF8 ? QString::fromUtf8(b) : QStringDecoder("windows-1252").decode(b);
      peer.setText(s);
    });
    const QString text = ours.Text();
    const double oursSave = Median([&] { SaveUtf8TextFile(f, ours.Utf8View(), enc, false, nullptr); });
    const double peerSave = Median([&] {
      QFile o(dir.filePath(QStringLiteral("plain.html")));
      o.open(QIODevice::WriteOnly);
      o.write(bytes);
    });
    const QByteArray open = QByteArray("open 20 MB ") + name;
    const QByteArray save = QByteArray("save 20 MB ") + name;
    BenchRow(open.constData(), oursOpen, "read+decode+setText", peerOpen, 1.3);
    BenchRow(save.constData(), oursSave, "write the bytes", peerSave, 1.3);
  }
  ScrollWithEmbeddedCss(dir.filePath(QStringLiteral("styled.html")));
  return 0;
}
