#pragma once
// Colours the style sheets and event scripts inside a web page's markup (see
// core/highlight/EmbeddedCode.h) over what the page lexer wrote. It works just before the view
// paints: it lets the lexer style up to the last visible line, then restyles only the visible lines
// it has not done yet, so the view never shows the lexer's plain version first. Lines scrolled past
// without being shown are left as the lexer styled them until they are shown.
#include "core/highlight/EmbeddedCode.h"

#include <QObject>
#include <limits>
#include <map>
#include <vector>

class QsciScintillaBase;

class TEmbeddedStyler : public QObject {
  Q_OBJECT
public:
  // The editor's styler, made on first use; it lives as long as the editor.
  static TEmbeddedStyler *Ensure(QsciScintillaBase *editor);
  static TEmbeddedStyler *Of(QsciScintillaBase *editor);

  // Styles the page up to the byte position pos (lexing it first as far as needed). Does nothing
  // unless the editor's lexer is the page lexer.
  void StyleTo(qint64 pos) { StyleRange(0, pos); }
  // Styles the byte range [from, to) (and whatever it needs before from for its context).
  void StyleRange(qint64 from, qint64 to);
  // The lines on the screen.
  void StyleVisible();
  // The end of the furthest range restyled so far.
  qint64 Done() const { return FDone.empty() ? 0 : FDone.rbegin()->second; }

protected:
  bool eventFilter(QObject *o, QEvent *e) override;

private:
  explicit TEmbeddedStyler(QsciScintillaBase *editor);
  bool Active() const;
  void Modified(int position, int type);
  void Reset();
  // Forgets what a change at or after FChangedFrom may have made wrong.
  void ApplyChanges();
  // The line start at or before pos outside any tag (the lexer backs up the same way).
  qint64 CleanStart(qint64 pos) const;
  // Finds the <style> blocks up to upto (already lexed).
  void IndexBlocks(qint64 upto);
  // Restyles [from, to): from is moved back to a clean start, or to the start of the <style> block
  // it is in.
  void Pass(qint64 from, qint64 to, qint64 endStyled);
  void MarkDone(qint64 from, qint64 to);

  QsciScintillaBase *FEditor;
  std::map<qint64, qint64> FDone; // restyled ranges [first, second), apart from each other
  std::vector<TStyleBlock> FBlocks; // <style> contents in order; End -1: open at FIndexed
  qint64 FIndexed = 0;              // blocks are known up to here
  qint64 FChangedFrom = std::numeric_limits<qint64>::max();
  bool FWriting = false;
};
