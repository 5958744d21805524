#include "ui/highlight/HighlightStyles.h"

#include "core/highlight/EmbeddedCode.h"

#include <Qsci/qscilexer.h>

namespace {
// Styles of the page lexer (markup, client and server scripts) that follow the page's types.
const std::vector<TStyleRow> &PageRows() {
  using namespace EmbeddedStyle;
  static const std::vector<TStyleRow> rows = {
      {ftHtml, "Text", {0, 17, 21, 31}},
      {ftHtml, "Comment", {9, 20, 29, 30}},
      {ftHtml, "ReservedWord", {1, 11, 12, 13, 14, 22}},
      {ftHtml, "Identifier", {3, 23}},
      {ftHtml, "Value", {5, 6, 7, 19, 24, 25}},
      {ftHtml, "Symbol", {8, 15, 16, 18, 27}},
      {ftHtml, "EscapeAmpersand", {10, 28}},
      {ftHtml, "UnknownWord", {2, 4, 26}},
      {ftJs, "Space", {40, 41, 55, 56}},
      {ftJs, "Comment", {42, 43, 44, 57, 58, 59}},
      {ftJs, "Number", {45, 60}},
      {ftJs, "Identifier", {46, 61}},
      {ftJs, "ReservedWord", {47, 62}},
      {ftJs, "String", {48, 49, 51, 52, 63, 64, 66, 67}},
      {ftJs, "Symbol", {50, 65}},
      {ftVbs, "Space", {70, 71, 80, 81}},
      {ftVbs, "Comment", {72, 82}},
      {ftVbs, "Number", {73, 83}},
      {ftVbs, "ReservedWord", {74, 84}},
      {ftVbs, "String", {75, 77, 85, 87}},
      {ftVbs, "Identifier", {76, 86}},
      {ftPhp, "Identifier", {118}},
      {ftPhp, "String", {119, 120}},
      {ftPhp, "ReservedWord", {121}},
      {ftPhp, "Number", {122}},
      {ftPhp, "Variable", {104, 123, 126}},
      {ftPhp, "Comment", {124, 125}},
      {ftPhp, "Symbol", {127}},
      {ftCss, "Text", {CssText}},
      {ftCss, "Comment", {CssComment}},
      {ftCss, "ReservedWord", {CssSelector}},
      {ftCss, "Property", {CssProperty}},
      {ftCss, "Value", {CssValue}},
      {ftCss, "Number", {CssNumber}},
      {ftCss, "ColorValue", {CssColor}},
      {ftCss, "String", {CssString}},
      {ftCss, "Symbol", {CssSymbol}},
      {ftCss, "AtRules", {CssAtRule}},
      {ftCss, "Important", {CssImportant}},
      {ftCss, "Attribute", {CssAttribute}},
  };
  return rows;
}

const std::vector<TStyleRow> &CssRows() {
  static const std::vector<TStyleRow> rows = {
      {ftCss, "Text", {0}},
      {ftCss, "ReservedWord", {1, 2, 3, 10, 18, 20, 21}},
      {ftCss, "UndefinedProperty", {4, 7}},
      {ftCss, "Symbol", {5}},
      {ftCss, "Property", {6, 15, 17, 19}},
      {ftCss, "Value", {8, 23}},
      {ftCss, "Comment", {9}},
      {ftCss, "Important", {11}},
      {ftCss, "AtRules", {12, 22}},
      {ftCss, "String", {13, 14}},
      {ftCss, "Attribute", {16}},
  };
  return rows;
}

const std::vector<TStyleRow> &JsRows() {
  static const std::vector<TStyleRow> rows = {
      {ftJs, "Space", {0}},
      {ftJs, "Comment", {1, 2, 3, 15, 17, 18, 23, 24}},
      {ftJs, "Number", {4}},
      {ftJs, "ReservedWord", {5, 9}},
      {ftJs, "String", {6, 7, 12, 13, 14, 20, 21, 22, 27}},
      {ftJs, "Symbol", {10}},
      {ftJs, "Identifier", {11, 25}},
      {ftJs, "NonreservedKeyword", {16}},
      {ftJs, "Event", {19}},
  };
  return rows;
}

const std::vector<TStyleRow> &VbsRows() {
  static const std::vector<TStyleRow> rows = {
      {ftVbs, "Space", {0}},           {ftVbs, "Comment", {1}},      {ftVbs, "Number", {2}},
      {ftVbs, "ReservedWord", {3, 5}}, {ftVbs, "String", {4, 8, 9}}, {ftVbs, "Symbol", {6}},
      {ftVbs, "Identifier", {7}},
  };
  return rows;
}

const std::vector<TStyleRow> &PerlRows() {
  static const std::vector<TStyleRow> rows = {
      {ftPerl, "Space", {0}},
      {ftPerl, "IllegalChar", {1}},
      {ftPerl, "Comment", {2, 3, 31}},
      {ftPerl, "Number", {4}},
      {ftPerl, "ReservedWord", {5}},
      {ftPerl, "String", {6,  7,  17, 18, 20, 23, 24, 25, 26, 27, 28, 29,
                          30, 43, 44, 54, 55, 57, 61, 62, 64, 65, 66}},
      {ftPerl, "Operator", {10}},
      {ftPerl, "Identifier", {11, 40, 41}},
      {ftPerl, "Variable", {12, 13, 14, 15}},
      {ftPerl, "Pragma", {21, 22, 42}},
  };
  return rows;
}

// What a lexer was given, kept on it (as a child object) for RestyleLexer.
struct TApplied {
  std::vector<std::pair<int, THighlightAttr>> Styles;
};
class TAppliedHolder : public QObject {
public:
  using QObject::QObject;
  TApplied Applied;
};
const QString AppliedName = QStringLiteral("QuillmarkHighlighting");

TAppliedHolder *HolderOf(QsciLexer *lexer) {
  return static_cast<TAppliedHolder *>(lexer->findChild<QObject *>(AppliedName, Qt::FindDirectChildrenOnly));
}

void PutStyles(QsciLexer *lexer, const TApplied &applied, const QFont &font, const QColor &paper) {
  lexer->setDefaultFont(font);
  lexer->setDefaultPaper(paper);
  lexer->setFont(font);
  lexer->setPaper(paper);
  for (const auto &[style, a] : applied.Styles) {
    QFont f = font;
    f.setBold(a.Style & hsBold);
    f.setItalic(a.Style & hsItalic);
    f.setUnderline(a.Style & hsUnderline);
    f.setStrikeOut(a.Style & hsStrikeOut);
    lexer->setFont(f, style);
    lexer->setColor(ColorOf(a.Foreground), style);
    lexer->setPaper(a.Background == NoColor ? paper : ColorOf(a.Background), style);
  }
}
} // namespace

QColor ColorOf(quint32 bgr) {
  return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

const std::vector<TStyleRow> &StyleRows(TFileTypes docType) {
  static const std::vector<TStyleRow> none;
  switch (docType) {
  case ftHtml:
  case ftPhp:
    return PageRows();
  case ftCss:
    return CssRows();
  case ftJs:
    return JsRows();
  case ftVbs:
    return VbsRows();
  case ftPerl:
    return PerlRows();
  default:
    return none;
  }
}

std::vector<TFileTypes> SourceTypes(TFileTypes docType) {
  std::vector<TFileTypes> types;
  for (const TStyleRow &r : StyleRows(docType))
    if (std::find(types.begin(), types.end(), r.Source) == types.end())
      types.push_back(r.Source);
  return types;
}

void ApplyHighlighting(QsciLexer *lexer, TFileTypes docType, const THighlightSets &sets, const QFont &font,
                       const QColor &paper) {
  if (!lexer)
    return;
  TApplied applied;
  for (const TStyleRow &r : StyleRows(docType)) {
    const THighlightAttr *a = sets[r.Source].Find(QString::fromLatin1(r.Attribute));
    if (!a)
      continue;
    for (int s : r.Styles)
      applied.Styles.emplace_back(s, *a);
  }
  TAppliedHolder *holder = HolderOf(lexer);
  if (!holder) {
    holder = new TAppliedHolder(lexer);
    holder->setObjectName(AppliedName);
  }
  holder->Applied = std::move(applied);
  PutStyles(lexer, holder->Applied, font, paper);
}

void RestyleLexer(QsciLexer *lexer, const QFont &font, const QColor &paper) {
  if (!lexer)
    return;
  const TAppliedHolder *holder = HolderOf(lexer);
  PutStyles(lexer, holder ? holder->Applied : TApplied{}, font, paper);
}
