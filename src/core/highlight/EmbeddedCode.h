#pragma once
// Style sheets and scripts inside web pages, styled over the page lexer's output.
//
// The page lexer colours the markup (and the <script> blocks) but leaves the text of <style>
// blocks and of style="..." attributes as plain text or strings, and on...="..." handlers as
// strings. This pass rewrites the styles of those parts: CSS gets the styles CssText and up,
// JavaScript the page lexer's own client-script styles, so both follow the colours of their own
// file types. Line ends keep the page lexer's styles: it restarts from a line start and reads its
// state from the style of the line end before it.
#include <QtGlobal>
#include <vector>

namespace EmbeddedStyle {
// The page lexer's styles this pass reads.
enum : unsigned char {
  HtmlTag = 1,
  HtmlAttribute = 3,
  HtmlUnknownAttribute = 4,
  HtmlOther = 8,
  HtmlDoubleString = 6,
  HtmlSingleString = 7,
  HtmlValue = 19,
  // Client-side JavaScript styles of the page lexer.
  JsDefault = 41,
  JsComment = 42,
  JsCommentLine = 43,
  JsNumber = 45,
  JsWord = 46,
  JsKeyword = 47,
  JsDoubleString = 48,
  JsSingleString = 49,
  JsSymbol = 50,
};
// Styles of embedded CSS, above the ones the page lexer uses.
enum : unsigned char {
  CssText = 128,
  CssComment,
  CssSelector,
  CssProperty,
  CssValue,
  CssNumber,
  CssColor,
  CssString,
  CssSymbol,
  CssAtRule,
  CssImportant,
  CssAttribute,
  CssLast = CssAttribute,
};
// True for the styles in which the page lexer is inside a tag (it backs up over such lines).
bool InTag(unsigned char style);
} // namespace EmbeddedStyle

// A <style> block found by the pass: its content from Start up to End (-1: past the styled range).
struct TStyleBlock {
  qint64 Start = 0;
  qint64 End = -1;
};

// Rewrites styles[0, len) of the UTF-8 text[0, len) for the embedded code in it. The range starts
// at a line start; startInStyleBlock says it starts inside the content of a <style> block. The
// blocks met are appended to blocks (positions relative to text) when it is given.
void StyleEmbeddedCode(const char *text, unsigned char *styles, qint64 len, bool startInStyleBlock,
                       std::vector<TStyleBlock> *blocks = nullptr);
