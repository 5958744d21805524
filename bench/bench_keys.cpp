// Key dispatch: 10,000 caret moves typed into a document window go through the keyboard layout
// (key value, first matching entry, the command) against the same key presses sent to a bare
// QsciScintilla with its built-in key map. Median of 5 runs each.
#include "BenchReport.h"
#include "ui/editor/DocumentHost.h"
#include "ui/editor/FindReplDlg.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <Qsci/qsciscintilla.h>
#include <algorithm>
#include <memory>
#include <vector>

namespace {
class TBenchHost : public TDocumentHost {
public:
  QString HtmPath() const override { return QStringLiteral("/tmp/"); }
  QString ProgramDir() const override { return QStringLiteral("/tmp/"); }
  void ShowStatus(TMDIForm *, bool) override {}
  bool SaveTextFromMDI(TMDIForm *) override { return false; }
  void CloseMDI(TMDIForm *) override {}
  QString SelectDirectory(const QString &, const QString &, const QString &) override { return {}; }
  TFindReplDialog *FindDialog() override {
    if (!FDialog)
      FDialog = std::make_unique<TFindReplDialog>();
    return FDialog.get();
  }

private:
  std::unique_ptr<TFindReplDialog> FDialog;
};

// Caret moves of every kind the layout has, in a cycle that stays inside the text.
const std::pair<Qt::Key, Qt::KeyboardModifiers> Moves[] = {
    {Qt::Key_Right, Qt::NoModifier},     {Qt::Key_Down, Qt::NoModifier}, {Qt::Key_Right, Qt::ControlModifier},
    {Qt::Key_End, Qt::NoModifier},       {Qt::Key_Left, Qt::NoModifier}, {Qt::Key_Up, Qt::NoModifier},
    {Qt::Key_Left, Qt::ControlModifier}, {Qt::Key_Home, Qt::NoModifier}, {Qt::Key_Down, Qt::NoModifier},
    {Qt::Key_Right, Qt::ShiftModifier},  {Qt::Key_Down, Qt::NoModifier}, {Qt::Key_PageDown, Qt::NoModifier},
    {Qt::Key_PageUp, Qt::NoModifier},    {Qt::Key_Up, Qt::NoModifier},   {Qt::Key_Up, Qt::NoModifier},
    {Qt::Key_Left, Qt::ShiftModifier},
};

// Sends the key presses as the window system would: the shortcut question first, then the key.
void Type(QWidget *w, int count) {
  const int n = int(std::size(Moves));
  for (int i = 0; i < count; ++i) {
    const auto &[key, mods] = Moves[i % n];
    QKeyEvent over(QEvent::ShortcutOverride, key, mods);
    QCoreApplication::sendEvent(w, &over);
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QCoreApplication::sendEvent(w, &release);
  }
}

double Median(const std::function<void()> &prepare, const std::function<void()> &run) {
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
} // namespace

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QString text;
  for (int i = 0; i < 2000; ++i)
    text += QStringLiteral("<p>Line %1 of a page with <a href=\"x.html\">a link</a> and more words.</p>\n")
                .arg(i);

  TBenchHost host;
  TMDIForm doc(&host, nullptr, ftHtml);
  doc.resize(800, 600);
  doc.show();
  doc.TextBuffer->LoadContent(text, QStringLiteral("\n"));
  QsciScintilla peer;
  peer.setUtf8(true);
  peer.resize(800, 600);
  peer.show();
  peer.setText(text);
  QCoreApplication::processEvents();

  constexpr int Presses = 10000;
  const double ours = Median(
      [&] {
        doc.TextBuffer->SetCaretXY({1, 1});
      },
      [&] { Type(doc.TextBuffer, Presses); });
  const double bare = Median([&] { peer.setCursorPosition(0, 0); }, [&] { Type(&peer, Presses); });
  // Both end on the same place: the same moves ran.
  int line = 0, index = 0;
  peer.getCursorPosition(&line, &index);
  const TBufferCoord c = doc.TextBuffer->CaretXY();
  if (c.Line != line + 1 || c.Char != index + 1) {
    std::printf("caret differs: ours %d:%d, QScintilla %d:%d\n", c.Line, c.Char, line + 1, index + 1);
    BenchRow("key dispatch, 10,000 caret moves", -1, "QScintilla key map", bare, 1.2);
    return 1;
  }
  BenchRow("key dispatch, 10,000 caret moves", ours, "QScintilla key map", bare, 1.2);
  return 0;
}
