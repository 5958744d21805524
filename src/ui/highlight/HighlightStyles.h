#pragma once
// Which lexer styles each highlighting attribute colours, and putting a type's highlighting on
// its lexer. A page (HTML or PHP) shows the markup in the HTML colours and the code inside it in
// the colours of the code's own type: PHP, JavaScript, VBScript and CSS.
#include "core/highlight/HighlightSet.h"

#include <QColor>
#include <QFont>
#include <array>

class QsciLexer;

using THighlightSets = std::array<THighlightSet, FileTypeCount>;

// One row of the table: an attribute of a type and the lexer styles it colours.
struct TStyleRow {
  TFileTypes Source;
  const char *Attribute;
  std::vector<int> Styles;
};
// The rows for the lexer of a document type (pages: every language they embed).
const std::vector<TStyleRow> &StyleRows(TFileTypes docType);
// The types whose colours a document type's lexer shows.
std::vector<TFileTypes> SourceTypes(TFileTypes docType);

// Puts the colours of sets on the lexer of docType, with the editor's font and background: an
// attribute's style bits on the font, its background or (none) the editor's. The lexer keeps
// what it was given, so RestyleLexer can change font and background later.
void ApplyHighlighting(QsciLexer *lexer, TFileTypes docType, const THighlightSets &sets, const QFont &font,
                       const QColor &paper);
// A new editor font or background for a lexer: attributes keep their style bits and own
// backgrounds. A lexer that never got highlighting takes font and background for every style.
void RestyleLexer(QsciLexer *lexer, const QFont &font, const QColor &paper);

QColor ColorOf(quint32 bgr);
