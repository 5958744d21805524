#pragma once
// The insertion primitives behind every insert command: they put code at the caret or around
// the selection of a document and leave the caret where the user goes on typing. Each call is
// one undo step. They work on the abstract edit buffer, so the rules are testable on any editor.
#include "core/common/Types.h"
#include "core/editor/EditBuffer.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// What kind of value an attribute takes; the value dialog offers units for sizes.
enum TAttrType { atNumber, atSize };

// Asks the user for an attribute value (prompt, type, initial value); no value means cancelled.
using TValueAsker =
    std::function<std::optional<QString>(const QString &prompt, TAttrType type, const QString &defaultValue)>;

class TInsertEngine {
public:
  TInsertEngine(TEditBuffer &buffer, TFileTypes fileType) : FBuffer(buffer), FFileType(fileType) {}

  TFileTypes FileType() const { return FFileType; }
  void SetFileType(TFileTypes ft) { FFileType = ft; }
  // The value dialog of InsertValue; without one, InsertValue does nothing.
  void SetValueAsker(TValueAsker asker) { FAsker = std::move(asker); }

  // Replaces the selection by text; the caret then moves caretOffset units from the end of the
  // text (negative: back into it).
  void InsertText(const QString &text, int caretOffset = 0);
  // Text that ends a line in style sheets (properties, link elements).
  void InsertCode(const QString &text);
  // Asks a value and puts pattern with the value in place of "%s". An empty value leaves the
  // caret before the last character (inside the empty quotes). False when cancelled.
  bool InsertValue(const QString &prompt, const QString &pattern, TAttrType type,
                   const QString &defaultValue);
  // Wraps the selection (or the caret) in an element: inline within the line, otherwise with
  // opening and closing tag on lines of their own. In style sheets a tag becomes a rule.
  void InsertTags(const QString &open, const QString &close, bool inlineTags);
  // Inserts the first count lines, each expanded and ended by a line break, then puts the caret
  // lineOffset lines below the line where the block starts, at caretColumn.
  void InsertLines(const QStringList &lines, int count, int caretColumn, int lineOffset);
  // Replaces "%indent%" by the indentation of the caret line and "%tab%" by a tab width of
  // blanks, both regardless of case.
  QString ExpandPlaceholders(const QString &line) const;

  // The position reached by inserting text at start; "\r\n", "\r" and "\n" each end a line.
  static TBufferCoord Advance(TBufferCoord start, QStringView text);

private:
  void PutText(const QString &text, int caretOffset);
  void PutBlock(const QString &open, const QString &close);
  TEditBuffer &FBuffer;
  TFileTypes FFileType;
  TValueAsker FAsker;
};
