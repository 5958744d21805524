#include "ui/editor/Highlighters.h"

#include <QColor>
#include <Qsci/qscilexercss.h>
#include <Qsci/qscilexerhtml.h>
#include <Qsci/qscilexerjavascript.h>
#include <Qsci/qscilexerperl.h>

#include "core/highlight/EmbeddedCode.h"

namespace {
// VBScript files: Scintilla's "vbscript" lexer, which QScintilla has no class for.
class TVbsLexer : public QsciLexer {
public:
  using QsciLexer::QsciLexer;
  const char *language() const override { return "VBScript"; }
  const char *lexer() const override { return "vbscript"; }
  const char *keywords(int set) const override {
    if (set == 1)
      return "and as byref byval call case class const dim do each else elseif empty end erase error "
             "exit explicit false for function get if in is let loop me mod new next not nothing null "
             "on option or preserve private property public randomize redim rem resume select set step "
             "sub then to true until wend while with xor";
    return nullptr;
  }
  QString description(int style) const override {
    static const char *names[] = {"Default",      "Comment",  "Number",     "Keyword", "String",
                                  "Preprocessor", "Operator", "Identifier", "Date",    "Unclosed string"};
    return style >= 0 && style < 10 ? QString::fromLatin1(names[style]) : QString();
  }
  QColor defaultColor(int style) const override {
    switch (style) {
    case 1:
      return QColor(0x00, 0x80, 0x00);
    case 2:
      return QColor(0x80, 0x00, 0x80);
    case 3:
      return QColor(0x00, 0x00, 0xA0);
    case 4:
    case 9:
      return QColor(0xA0, 0x20, 0x20);
    case 5:
      return QColor(0x80, 0x80, 0x00);
    default:
      return QColor(0, 0, 0);
    }
  }
  bool caseSensitive() const override { return false; }
};

// Web pages: the HTML lexer, plus the styles of the CSS that the page's <style> blocks and
// style attributes hold (written over the lexer's output by TEmbeddedStyler).
class TPageLexer : public QsciLexerHTML {
public:
  using QsciLexerHTML::QsciLexerHTML;
  QString description(int style) const override {
    static const char *names[] = {"CSS text",   "CSS comment", "CSS selector",  "CSS property",
                                  "CSS value",  "CSS number",  "CSS colour",    "CSS string",
                                  "CSS symbol", "CSS at-rule", "CSS important", "CSS attribute"};
    if (style >= EmbeddedStyle::CssText && style <= EmbeddedStyle::CssLast)
      return QString::fromLatin1(names[style - EmbeddedStyle::CssText]);
    return QsciLexerHTML::description(style);
  }
  QColor defaultColor(int style) const override {
    if (style >= EmbeddedStyle::CssText && style <= EmbeddedStyle::CssLast)
      return style == EmbeddedStyle::CssComment ? QColor(0x80, 0x80, 0x80) : QColor(0, 0, 0x80);
    return QsciLexerHTML::defaultColor(style);
  }
  QFont defaultFont(int style) const override {
    if (style >= EmbeddedStyle::CssText && style <= EmbeddedStyle::CssLast)
      return QsciLexerHTML::defaultFont(0);
    return QsciLexerHTML::defaultFont(style);
  }
  QColor defaultPaper(int style) const override {
    if (style >= EmbeddedStyle::CssText && style <= EmbeddedStyle::CssLast)
      return QsciLexerHTML::defaultPaper(0);
    return QsciLexerHTML::defaultPaper(style);
  }
};
} // namespace

QsciLexer *CreateHighlighter(TFileTypes ft, QObject *parent) {
  switch (ft) {
  case ftHtml:
  case ftPhp: // PHP pages are HTML with embedded PHP blocks
    return new TPageLexer(parent);
  case ftCss:
    return new QsciLexerCSS(parent);
  case ftJs:
    return new QsciLexerJavaScript(parent);
  case ftVbs:
    return new TVbsLexer(parent);
  case ftPerl:
    return new QsciLexerPerl(parent);
  default:
    return nullptr;
  }
}
