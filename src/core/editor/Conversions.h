#pragma once
// The text conversions of the document window: entities and characters, the letter case of
// tags, reflowing a block to the right edge, clipboard text as a JavaScript string argument and
// the enciphered mail link with its decoder. The text rules are pure functions; the buffer
// functions apply them to a document as one undo step.
#include "core/common/Types.h"
#include "core/editor/EditBuffer.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class TEntityTable;

// A range of a line: [Start, End) as indices into the line.
struct TLineSpan {
  qsizetype Start = 0;
  qsizetype End = 0;
  bool IsEmpty() const { return End <= Start; }
};

// --- Tag case ---------------------------------------------------------------------------------
// Tag and attribute names changed to upper or lower case (ASCII letters only). Attribute values
// in double or single quotes, comments and declarations, the content of script and style
// elements and server blocks (<?...?>, <%...%>) are left exactly as they are.
QString ChangeTagCase(const QString &text, bool upper);

// --- Reflowing ----------------------------------------------------------------------------------
// Reflows text to the right edge: line breaks become blanks, runs of blanks shrink to one, and
// the text is broken at blanks (dropped) or after a ">" before a word, never inside a tag or an
// attribute value. column is the column of the first character, indent the blanks every new
// line starts with. A word longer than the room left is not cut; its line runs past the edge.
QString WrapText(const QString &text, int column, int indent, int rightEdge);
// "&Wrap text" on the selection, or on the caret line without one; the result is selected.
void WrapBlock(TEditBuffer &buf, int rightEdge);

// --- JavaScript text ----------------------------------------------------------------------------
// Markup characters and quotes as entities, so that the text can stand in a quoted argument.
QString HtmlEscape(const QString &text);
// Clipboard text as the lines of a JavaScript string argument: one line, escaped, broken at
// blanks before the right edge with a backslash at the end of each broken line.
QString JsTextArgument(const QString &text, int rightEdge);

// --- Mail address encoding ------------------------------------------------------------------------
// The key, then every UTF-16 unit of address XOR key, in decimal, joined by ":".
QString MailCodeList(const QString &address, int key);
// The script that writes the enciphered link; lines with "%indent%"/"%tab%" placeholders.
QStringList MailEncodeScript(const QString &linkText, const QString &codeList);
// The decoder function the script above calls.
QStringList MailDecoderScript();
// Reads a code list ("'k:c1:c2'") back into text. Nothing without a ":"; an empty result when
// the key's low byte is 0; and nothing when a code gives no valid character (outside
// 0..0x10FFFF, or a surrogate that is not part of a pair).
std::optional<QString> DecodeText(const QString &codes);
// The text between the nearest "'" before column col (1-based) and the nearest one after it.
QString QuotedTextAt(const QString &line, int col);

// --- Spans at the caret ----------------------------------------------------------------------------
// The run around column col: after the nearest ">" or white space before it, up to the nearest
// "<" or white space after it.
TLineSpan EntityRunAt(const QString &line, int col);
// The word (letters, digits, "_") touching column col; empty when there is none.
TLineSpan WordAt(const QString &line, int col);

// --- Whole-document conversions -------------------------------------------------------------------
// Replaces the document's text by newText as one undo step, touching only the part that differs
// (line breaks of the untouched parts stay as they are); false when nothing differs.
bool ReplaceChangedText(TEditBuffer &buf, const QString &newText);
// "All not ASCII to HTML entities", "All HTML entities to characters" and the tag-case commands:
// the converted text replaces the document, it is marked modified, the caret goes to column 1.
void ConvertDocument(TEditBuffer &buf, const std::function<QString(const QString &)> &convert);
// "&Uppercase"/"&Lowercase" on the selection (full Unicode case mapping, so a text may change its
// length: "ß" becomes "SS"); the converted text stays selected the same way round.
void ChangeSelectionCase(TEditBuffer &buf, bool upper);
// "HTML entity to character": the selection, or the run around the caret without one.
void WordToChar(TEditBuffer &buf, const TEntityTable &table);
