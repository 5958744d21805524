#pragma once
// What the editing logic needs of an editor control. The widget layer implements it over the
// real editor (TTextBuffer); logic written against it (insertion, conversions, tag editing)
// stays free of widgets.
#include "core/common/Types.h"
#include <QString>

class TEditBuffer {
public:
  virtual ~TEditBuffer() = default;

  virtual int LineCount() const = 0;
  virtual QString Line(int line) const = 0; // 1-based, without its line break
  virtual QString Text() const = 0;
  virtual void SetText(const QString &text) = 0;
  virtual QString LineBreak() const = 0; // the document's own line break

  // Caret and selection; columns may lie past the end of a line (virtual space).
  virtual TBufferCoord CaretXY() const = 0;
  virtual void SetCaretXY(TBufferCoord pos) = 0;
  virtual bool SelAvail() const = 0;
  virtual TBufferCoord BlockBegin() const = 0;
  virtual TBufferCoord BlockEnd() const = 0;
  virtual void SetSelection(TBufferCoord anchor, TBufferCoord caret) = 0;
  virtual QString SelText() const = 0;
  // Replaces the selection by text (inserts at the caret without one, filling virtual space
  // with blanks); afterwards the caret stands after the text and nothing is selected. Line
  // breaks in text may be "\r\n" or "\n": they become the document's own.
  virtual void SetSelText(const QString &text) = 0;
  // The editor's line-break command, auto indent included.
  virtual void InsertNewLine() = 0;

  // Everything between Begin/EndUndoAction undoes as one step.
  virtual void BeginUndoAction() = 0;
  virtual void EndUndoAction() = 0;

  virtual bool Modified() const = 0;
  virtual void SetModified(bool modified) = 0;
  virtual int TabWidth() const = 0;
  virtual bool AutoIndent() const = 0;
};

// Groups every change made during its lifetime into one undo step.
class TUndoGroup {
public:
  explicit TUndoGroup(TEditBuffer &b) : FBuffer(b) { FBuffer.BeginUndoAction(); }
  ~TUndoGroup() { FBuffer.EndUndoAction(); }
  TUndoGroup(const TUndoGroup &) = delete;
  TUndoGroup &operator=(const TUndoGroup &) = delete;

private:
  TEditBuffer &FBuffer;
};
