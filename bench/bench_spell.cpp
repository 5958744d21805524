// Spell checking:
// - every misspelling of a 5 MB English text (real words of the en_US dictionary, one in twelve
//   misspelt) against `hunspell -l -d en_US` on the same file;
// - typing 1,000 characters at the end of a 20 MB HTML document with checking on against the
//   same with checking off (the event loop runs after every key, as between real key presses).
#include "BenchReport.h"
#include "core/editor/SpellCheck.h"
#include "ui/editor/DocumentHost.h"
#include "ui/editor/FindReplDlg.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <memory>

namespace {
class TBenchHost : public TDocumentHost {
public:
  TSynEditSpellCheck *Checker = nullptr;
  QString HtmPath() const override { return QStringLiteral("/tmp/"); }
  QString ProgramDir() const override { return QStringLiteral("/tmp/"); }
  void ShowStatus(TMDIForm *, bool) override {}
  bool SaveTextFromMDI(TMDIForm *) override { return false; }
  void CloseMDI(TMDIForm *) override {}
  QString SelectDirectory(const QString &, const QString &, const QString &) override { return {}; }
  TFindReplDialog *FindDialog() override {
    if (!Dialog)
      Dialog = std::make_unique<TFindReplDialog>();
    return Dialog.get();
  }
  TSynEditSpellCheck *SpellChecker() override { return Checker; }
  std::unique_ptr<TFindReplDialog> Dialog;
};

QStringList DictionaryWords() {
  QFile f(QStringLiteral("/usr/share/hunspell/en_US.dic"));
  QStringList words;
  if (!f.open(QIODevice::ReadOnly))
    return words;
  f.readLine(); // the count
  while (!f.atEnd()) {
    const QString w = QString::fromUtf8(f.readLine()).section(u'/', 0, 0).trimmed();
    if (w.size() > 2 && w.at(0).isLower())
      words << w;
  }
  return words;
}

double TypingMs(TBenchHost &host, const QString &doc, quint32 lang) {
  TMDIForm form(&host, nullptr, ftHtml);
  form.DocId = 1;
  form.resize(800, 600);
  form.show();
  form.TextBuffer->LoadContent(doc, QStringLiteral("\n"));
  form.SetTextLangId(lang);
  form.FormActivate();
  form.TextBuffer->SetCaretXY({1, form.TextBuffer->LineCount()});
  QApplication::processEvents();
  const QString typed = QStringLiteral("Some text with a mispelt word. ");
  QElapsedTimer t;
  t.start();
  for (int i = 0; i < 1000; ++i) {
    const QChar c = typed.at(i % typed.size());
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(form.TextBuffer, &press);
    QApplication::processEvents();
  }
  // The checking that typing left behind is part of the cost.
  QElapsedTimer settle;
  settle.start();
  while (settle.elapsed() < 60)
    QApplication::processEvents();
  return t.nsecsElapsed() / 1e6 - 60;
}
} // namespace

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QTemporaryDir dir;
  TSynEditSpellCheck checker;
  checker.SetUserDictPath(dir.filePath("user"));
  if (!checker.LoadDictionaries({QStringLiteral("/usr/share/hunspell/")}, {0x0409}) ||
      !checker.SelectDictionary(quint32(0x0409))) {
    BenchRow("spell: misspellings of 5 MB English", -1, "hunspell -l", -1, 1.2);
    return 1;
  }

  // 5 MB of English text with a misspelling in every twelfth word.
  const QStringList words = DictionaryWords();
  QRandomGenerator rng(42);
  QString text;
  int n = 0;
  while (text.size() < 5 * 1024 * 1024) {
    QString w = words.at(int(rng.bounded(qsizetype(words.size()))));
    if (++n % 12 == 0)
      w.insert(int(rng.bounded(qsizetype(w.size()))), u'q');
    text += w;
    text += (n % 15 == 0) ? QStringLiteral(".\n") : QStringLiteral(" ");
  }
  const QString file = dir.filePath("english.txt");
  {
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly))
      return 1;
    f.write(text.toUtf8());
  }
  QElapsedTimer t;
  t.start();
  qsizetype ours = 0;
  for (const TWordSpan &w : SplitWords(text))
    if (IsCheckableWord(QStringView(text).mid(w.Start, w.Length)) &&
        !checker.CheckWord(text.mid(w.Start, w.Length)))
      ++ours;
  const double oursMs = t.nsecsElapsed() / 1e6;

  QProcess p;
  p.setStandardInputFile(file);
  t.restart();
  p.start(QStringLiteral("hunspell"), {QStringLiteral("-l"), QStringLiteral("-d"), QStringLiteral("en_US")});
  double peerMs = -1;
  qsizetype theirs = 0;
  if (p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit) {
    peerMs = t.nsecsElapsed() / 1e6;
    theirs = p.readAllStandardOutput().count('\n');
  }
  std::printf("misspellings: ours %lld, hunspell %lld\n", static_cast<long long>(ours),
              static_cast<long long>(theirs));
  BenchRow("spell: misspellings of 5 MB English", oursMs, "hunspell -l", peerMs, 1.2);

  // Typing at the end of a 20 MB page.
  const QString line =
      QStringLiteral("<p>Some text of a page with <a href=\"x.html\">a link</a> and more.</p>\n");
  QString doc;
  while (doc.size() < 20 * 1024 * 1024)
    doc += line;
  doc += QStringLiteral("<p>\n");
  TBenchHost host;
  host.Checker = &checker;
  const double off = TypingMs(host, doc, 0);
  const double on = TypingMs(host, doc, 0x0409);
  BenchRow("spell: typing 1000 chars at the end of 20 MB HTML", on, "checking off", off, 1.2);
  return 0;
}
