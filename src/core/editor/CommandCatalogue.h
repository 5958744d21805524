#pragma once
// The insert commands of the document window as one table: each row names the action, its
// caption, category, default key and number, where it sits in the "&Insert" menu, and what it
// does (one of the insertion primitives with its arguments, a value asked first, or a handler of
// its own). The widget layer turns the rows into actions, menus and tool pages; the text-building
// helpers the special handlers need live here too, so that they are testable without a window.
#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>
#include <span>

enum TCommandKind {
  ckInline,    // InsertTags inline: Text[0] opening, Text[1] closing
  ckBlock,     // InsertTags on lines of their own: Text[0] opening, Text[1] closing
  ckPut,       // InsertText: Text[0], caret offset Num
  ckPutLine,   // InsertText of Text[0], then the editor's line break
  ckCode,      // InsertCode: Text[0]
  ckAsk,       // InsertValue: prompt Text[0] + Text[3], pattern Text[1], default Text[2], type Num
  ckLines,     // InsertLines: Text[0] lines joined by "\n"; caret Num lines down, column tab width + 1
  ckColor,     // colour dialog titled Text[0] + Text[3] (the caption when empty), initial colour Num
               // (0xRRGGBB); InsertText of pattern Text[1] with RRGGBB in place of "%s"
  ckColorCode, // as ckColor, but InsertCode
  ckOption,    // option dialog: caption Text[0] + Text[3], choices Text[2]; InsertCode of pattern Text[1]
  ckOptionPut, // as ckOption, but InsertText
  ckInput,     // text input: caption Text[0], label Text[1], default Text[4]; InsertText of pattern
               // Text[2] with the text, caret offset Num
  ckInputLine, // as ckInput, then the editor's line break
  ckTwoInputs, // two-text input: caption Text[0], labels Text[1] and Text[2]; InsertText of pattern
               // Text[3] with both texts
  ckContainer, // text input: caption Text[0], label Text[1], default Text[4]; opening Text[2] with
               // the text, an empty line, closing Text[3]; caret on the empty line
  ckLinkPut,   // link dialog: title Text[0], file filter Text[1]; InsertText of pattern Text[2]
  ckLinkCode,  // as ckLinkPut, but InsertCode
  ckSpecial,   // the handler named Text[0] (Text[1] an argument for it)
  ckExternal,  // only the action: the code that does its work connects to it
};

struct TCommandRow {
  const char *Name;
  const char *Caption;
  const char *Category;
  int Tag;
  TCommandKind Kind = ckExternal;
  const char *Text[5] = {};
  int Num = 0;
  const char *Key = "";  // default key stroke in QKeySequence's portable form ("Ctrl+Shift+T")
  const char *Menu = ""; // submenu path below the category's submenu, parts separated by "/"
  bool Main = false;     // also on the main edit toolbar

  // Builders for the table rows.
  constexpr TCommandRow WithKey(const char *key) const {
    TCommandRow r = *this;
    r.Key = key;
    return r;
  }
  constexpr TCommandRow In(const char *menu) const {
    TCommandRow r = *this;
    r.Menu = menu;
    return r;
  }
  constexpr TCommandRow OnMain() const {
    TCommandRow r = *this;
    r.Main = true;
    return r;
  }
};

// Every insert command, grouped by category in menu order.
std::span<const TCommandRow> CommandRows();
const TCommandRow *FindCommandRow(QStringView name);
// Categories in the order of the "&Insert" menu.
QStringList CommandCategories();
// The tool page ("Global", "Fonts", ..., "Attributes", "Styles", "Other") of a category.
QString ToolPageOfCategory(const QString &category);

// Lines of the script and style blocks, joined by "\n".
extern const char *const ScriptBlockLines;
extern const char *const StyleBlockLines;

// The table skeleton: "<table>", per row a "<tr>" line, one "<td></td>" line per column and a
// "</tr>" line, then "</table>"; every line ends with CR LF. The first cell starts at column
// 2 * tabWidth + 5 of the third line.
QString TableSkeleton(int columns, int rows, int tabWidth);
// A container block started at column: the opening pattern with value, an empty line, and the
// closing tag lined up with the opening one.
QString ContainerText(const QString &openPattern, const QString &value, const QString &close, int column);
// The mail link for an address (may be empty) around selected text (may be empty), and the caret
// offset that leaves the caret where the missing part goes.
QString MailtoText(const QString &address, const QString &selected, int *caretOffset);

// A file size written before or around the caret ("12,5 KiB"): start column and length on the line.
struct TTextRun {
  int Char = 0;
  int Length = 0;
};
std::optional<TTextRun> FindSizeText(const QString &line, int caretChar);

enum THashKind { hkMD5, hkSHA1, hkSHA256 };
constexpr qint64 HashPieceSize = 32 * 1024 * 1024;
// The lower-case hexadecimal digest of a file read in pieces; nothing when it cannot be read.
std::optional<QString> FileDigest(const QString &fileName, THashKind kind, qint64 pieceSize = HashPieceSize);
// "MD5", "SHA1", "SHA256"; the handler argument names the kind this way.
QString HashName(THashKind kind);
std::optional<THashKind> HashKindOfName(const QString &name);

// The local anchors of an HTML text: one entry "|name| (line): link text" per a element whose name
// attribute follows the tag name directly.
QStringList ReadLocalAnchors(const QString &text);
// The anchor name of such an entry (with or without its "|" markers).
QString AnchorNameOfEntry(const QString &entry);

// The month's full name in the language of locale.
QString MonthText(QDate date, const QLocale &locale);
