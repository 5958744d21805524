#include "core/editor/InsertEngine.h"

#include <algorithm>

namespace {
const QString CrLf = QStringLiteral("\r\n");

QString Blanks(int n) {
  return QString(std::max(0, n), u' ');
}

bool HasLineBreak(QStringView text) {
  return text.contains(u'\n') || text.contains(u'\r');
}

// True when something other than blanks and tabs stands in text.
bool HasText(QStringView text) {
  return std::any_of(text.begin(), text.end(), [](QChar ch) { return ch != u' ' && ch != u'\t'; });
}

// What stands before pos on its line, with blanks for the part of it that lies in virtual
// space: the indentation that lines up with pos.
QString IndentBefore(const TEditBuffer &buf, TBufferCoord pos) {
  const QString indent = buf.Line(pos.Line).left(pos.Char - 1);
  return indent + Blanks(pos.Char - 1 - int(indent.size()));
}
} // namespace

TBufferCoord TInsertEngine::Advance(TBufferCoord start, QStringView text) {
  TBufferCoord p = start;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar ch = text[i];
    if (ch == u'\r' || ch == u'\n') {
      if (ch == u'\r' && i + 1 < n && text[i + 1] == u'\n')
        ++i;
      p = {1, p.Line + 1};
    } else {
      ++p.Char;
    }
  }
  return p;
}

void TInsertEngine::PutText(const QString &text, int caretOffset) {
  // Without a selection this is the caret, virtual space included: the buffer fills that space
  // with blanks, so the text starts exactly here.
  const TBufferCoord start = FBuffer.BlockBegin();
  FBuffer.SetSelText(text);
  if (caretOffset == 0)
    return;
  const TBufferCoord end = FBuffer.CaretXY();
  if (caretOffset > 0 || !HasLineBreak(text)) {
    FBuffer.SetCaretXY({std::max(1, end.Char + caretOffset), end.Line});
    return;
  }
  // A text of several lines: moving along the last line alone could leave its start or land
  // on a negative column, so the offset counts back through the inserted text itself.
  qsizetype idx = text.size() + caretOffset;
  if (idx <= 0) {
    FBuffer.SetCaretXY(start);
    return;
  }
  if (text[idx - 1] == u'\r' && text[idx] == u'\n')
    --idx; // between the two halves of one break: stay at the end of the line
  FBuffer.SetCaretXY(Advance(start, QStringView(text).left(idx)));
}

void TInsertEngine::InsertText(const QString &text, int caretOffset) {
  TUndoGroup group(FBuffer);
  PutText(text, caretOffset);
}

void TInsertEngine::InsertCode(const QString &text) {
  TUndoGroup group(FBuffer);
  PutText(text, 0);
  if (FFileType == ftCss)
    FBuffer.InsertNewLine();
}

bool TInsertEngine::InsertValue(const QString &prompt, const QString &pattern, TAttrType type,
                                const QString &defaultValue) {
  if (!FAsker)
    return false;
  const std::optional<QString> value = FAsker(prompt, type, defaultValue);
  if (!value)
    return false;
  QString text = pattern;
  const qsizetype at = text.indexOf(QLatin1String("%s"));
  if (at >= 0)
    text.replace(at, 2, *value);
  TUndoGroup group(FBuffer);
  PutText(text, value->isEmpty() ? -1 : 0);
  // A style property with an empty value leaves the caret before its ";" for typing the value;
  // a line break there would cut the property in two, so it only follows a complete one.
  if (FFileType == ftCss && !value->isEmpty())
    FBuffer.InsertNewLine();
  return true;
}

QString TInsertEngine::ExpandPlaceholders(const QString &line) const {
  QString result = line;
  const QString indentKey = QStringLiteral("%indent%");
  if (result.contains(indentKey, Qt::CaseInsensitive)) {
    int indent = 0;
    if (FBuffer.AutoIndent()) {
      const QString caretLine = FBuffer.Line(FBuffer.CaretXY().Line);
      while (indent < caretLine.size() && caretLine[indent].unicode() <= 32)
        ++indent;
    }
    if (indent == 0)
      indent = FBuffer.TabWidth();
    result.replace(indentKey, Blanks(indent), Qt::CaseInsensitive);
  }
  const QString tabKey = QStringLiteral("%tab%");
  if (result.contains(tabKey, Qt::CaseInsensitive))
    result.replace(tabKey, Blanks(FBuffer.TabWidth()), Qt::CaseInsensitive);
  return result;
}

void TInsertEngine::InsertLines(const QStringList &lines, int count, int caretColumn, int lineOffset) {
  const int n = std::min<qsizetype>(std::max(0, count), lines.size());
  if (n == 0)
    return;
  QString text;
  for (int i = 0; i < n; ++i)
    text += ExpandPlaceholders(lines[i]) + CrLf;
  TUndoGroup group(FBuffer);
  // The block goes where the selection starts; a selection made downwards has its caret on its
  // last line, which would put the caret the wrong number of lines into the block.
  const int y = FBuffer.BlockBegin().Line;
  FBuffer.SetSelText(text);
  FBuffer.SetCaretXY({std::max(1, caretColumn), std::clamp(y + lineOffset, 1, FBuffer.LineCount())});
}

void TInsertEngine::InsertTags(const QString &open, const QString &close, bool inlineTags) {
  QString o = open, c = close;
  bool inl = inlineTags;
  // In a style sheet a tag pair becomes a rule for that element; comments ("<!") and texts that
  // are no complete tag stay as they are.
  if (FFileType == ftCss && o.startsWith(u'<') && !o.startsWith(QLatin1String("<!"))) {
    const qsizetype gt = o.indexOf(u'>');
    if (gt >= 0) {
      const qsizetype blank = o.indexOf(u' ');
      if (blank >= 0 && blank < gt)
        o = o.mid(1, blank - 1) + QStringLiteral(":? {"); // attributes: a pseudo-class to fill in
      else
        o = o.mid(1, gt - 1) + QStringLiteral(" {");
      c = Blanks(FBuffer.TabWidth()) + u'}';
      inl = false;
    }
  }

  TUndoGroup group(FBuffer);
  if (!inl) {
    PutBlock(o, c);
    return;
  }
  if (!FBuffer.SelAvail()) {
    PutText(o + c, -int(c.size()));
    return;
  }
  // Both tags go in at the ends of the selection, the closing one first so that the start
  // stays valid. The selected text itself is never rewritten: its line breaks stay as they are
  // and the cost does not depend on its size.
  const TBufferCoord b = FBuffer.BlockBegin(), e = FBuffer.BlockEnd();
  FBuffer.SetCaretXY(e);
  FBuffer.SetSelText(c);
  FBuffer.SetCaretXY(b);
  FBuffer.SetSelText(o);
  const TBufferCoord p = FBuffer.CaretXY();
  const TBufferCoord q = e.Line == b.Line ? TBufferCoord{p.Char + e.Char - b.Char, p.Line}
                                          : TBufferCoord{e.Char, e.Line + p.Line - b.Line};
  FBuffer.SetSelection(p, q);
}

void TInsertEngine::PutBlock(const QString &open, const QString &close) {
  const int tw = FBuffer.TabWidth();
  const bool sel = FBuffer.SelAvail();
  const TBufferCoord b = FBuffer.BlockBegin();
  // The tags and the content line up with the start; repeating the characters before it rather
  // than as many blanks keeps them aligned on lines indented with tabs too.
  QString indent = IndentBefore(FBuffer, b);
  QString moved; // the selected text when it has to leave its place
  bool movedOut = false;
  if (HasText(indent)) {
    // Text before the start: the block goes on a new line after the current one.
    if (sel) {
      moved = FBuffer.SelText();
      movedOut = true;
      FBuffer.SetSelText(QString());
    }
    FBuffer.SetCaretXY({int(FBuffer.Line(b.Line).size()) + 1, b.Line});
    FBuffer.InsertNewLine();
    // Auto indent may have indented the new line; the block keeps to that indentation so that
    // its lines stay aligned with the opening tag (without auto indent this is column 1).
    indent = IndentBefore(FBuffer, FBuffer.CaretXY());
  }

  if (!sel) {
    const TBufferCoord start = FBuffer.CaretXY();
    FBuffer.SetSelText(open + CrLf + indent + Blanks(tw) + CrLf + indent + close);
    FBuffer.SetCaretXY({int(indent.size()) + tw + 1, Advance(start, open).Line + 1});
    return;
  }
  const QString head = open + CrLf + indent, tail = CrLf + indent + close;
  if (movedOut) {
    FBuffer.SetSelText(head);
    const TBufferCoord p = FBuffer.CaretXY();
    FBuffer.SetSelText(moved);
    const TBufferCoord q = FBuffer.CaretXY();
    FBuffer.SetSelText(tail);
    FBuffer.SetSelection(p, q);
    return;
  }
  // The selection stays in place: the tags go in around it, the closing one first.
  const TBufferCoord e = FBuffer.BlockEnd();
  FBuffer.SetCaretXY(e);
  FBuffer.SetSelText(tail);
  FBuffer.SetCaretXY(b);
  FBuffer.SetSelText(head);
  const TBufferCoord p = FBuffer.CaretXY();
  const TBufferCoord q = e.Line == b.Line ? TBufferCoord{p.Char + e.Char - b.Char, p.Line}
                                          : TBufferCoord{e.Char, e.Line + p.Line - b.Line};
  FBuffer.SetSelection(p, q);
}
