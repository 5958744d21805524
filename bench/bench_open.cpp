// Opening and saving a 20 MB HTML file, UTF-8 and Windows-1252: the document window's path
// (detection, decoding into the editor with the HTML lexer; atomic save from the editor's text in
// the document's encoding)
// against the bare steps (read + decode + setText; writing the same bytes). Median of 5 runs.
#include "BenchReport.h"
#include "core/common/Encodings.h"
#include "core/editor/TextFile.h"
#include "ui/editor/Highlighters.h"
#include "ui/editor/TextBuffer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
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
  return 0;
}
