#include "core/highlight/EmbeddedCode.h"

#include <cstring>

using namespace EmbeddedStyle;

bool EmbeddedStyle::InTag(unsigned char style) {
  switch (style) {
  case 1: // tag
  case 2: // unknown tag
  case 3: // attribute
  case 4: // unknown attribute
  case 5: // number
  case 6: // strings
  case 7:
  case 8:  // other inside a tag
  case 14: // script
    return true;
  default:
    return false;
  }
}

namespace {
inline bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}
inline bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}
inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
inline bool IsHex(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
inline bool IsWordStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || (unsigned char)c >= 0x80;
}
inline bool IsWord(char c) {
  return IsWordStart(c) || IsDigit(c) || c == '-';
}
inline char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

bool StartsWithNoCase(const char *p, qint64 avail, const char *word) {
  const qint64 n = qint64(std::strlen(word));
  if (avail < n)
    return false;
  for (qint64 i = 0; i < n; ++i)
    if (Lower(p[i]) != word[i])
      return false;
  return true;
}

// Sets styles[from, to) to style, leaving line ends as they are.
inline void Paint(const char *text, unsigned char *styles, qint64 from, qint64 to, unsigned char style) {
  for (qint64 i = from; i < to; ++i)
    if (!IsLineEnd(text[i]))
      styles[i] = style;
}

// One CSS text: a block's content (rules) or an attribute's value (declarations).
class TCssStyler {
public:
  TCssStyler(const char *text, unsigned char *styles, bool declarations) : T(text), S(styles) {
    FDecl[0] = declarations;
  }

  void Run(qint64 from, qint64 to) {
    qint64 i = from;
    while (i < to) {
      const char c = T[i];
      if (IsSpace(c)) {
        // A blank after a symbol ("color: red; margin") keeps the symbol's style: one run less
        // for the view to draw, and blanks look the same in either.
        Paint(T, S, i, i + 1, i > from && S[i - 1] == CssSymbol ? CssSymbol : CssText);
        ++i;
      } else if (c == '/' && i + 1 < to && T[i + 1] == '*') {
        qint64 j = i + 2;
        while (j + 1 < to && !(T[j] == '*' && T[j + 1] == '/'))
          ++j;
        j = j + 1 < to ? j + 2 : to;
        Paint(T, S, i, j, CssComment);
        i = j;
      } else if (c == '"' || c == '\'') {
        qint64 j = i + 1;
        while (j < to && T[j] != c && !IsLineEnd(T[j]))
          j += (T[j] == '\\' && j + 1 < to) ? 2 : 1;
        j = j < to && T[j] == c ? j + 1 : j;
        Paint(T, S, i, j, CssString);
        i = j;
      } else if (c == '{') {
        Paint(T, S, i, i + 1, CssSymbol);
        if (FDepth < MaxDepth - 1)
          ++FDepth;
        FDecl[FDepth] = !FNestedRules;
        FNestedRules = false;
        FInValue = false;
        FInAtRule = false;
        ++i;
      } else if (c == '}') {
        Paint(T, S, i, i + 1, CssSymbol);
        if (FDepth > 0)
          --FDepth;
        FInValue = false;
        FInAtRule = false;
        ++i;
      } else if (c == ';') {
        Paint(T, S, i, i + 1, CssSymbol);
        FInValue = false;
        FInAtRule = false;
        ++i;
      } else if (c == '@' && !FInValue) {
        qint64 j = i + 1;
        while (j < to && IsWord(T[j]))
          ++j;
        const qint64 n = j - i - 1;
        FNestedRules = (n == 5 && StartsWithNoCase(T + i + 1, n, "media")) ||
                       (n == 8 && StartsWithNoCase(T + i + 1, n, "supports")) ||
                       (n == 8 && StartsWithNoCase(T + i + 1, n, "document")) ||
                       (n == 9 && StartsWithNoCase(T + i + 1, n, "container")) ||
                       (n == 5 && StartsWithNoCase(T + i + 1, n, "layer"));
        FInAtRule = true;
        Paint(T, S, i, j, CssAtRule);
        i = j;
      } else if (FInAtRule) {
        i = Token(i, to, false);
      } else if (FDecl[FDepth]) {
        i = FInValue ? Token(i, to, true) : Property(i, to);
      } else {
        i = Selector(i, to);
      }
    }
  }

private:
  static constexpr int MaxDepth = 16;

  qint64 Property(qint64 i, qint64 to) {
    const char c = T[i];
    if (c == ':') {
      Paint(T, S, i, i + 1, CssSymbol);
      FInValue = true;
      return i + 1;
    }
    if (IsWord(c)) {
      qint64 j = i;
      while (j < to && IsWord(T[j]))
        ++j;
      Paint(T, S, i, j, CssProperty);
      return j;
    }
    Paint(T, S, i, i + 1, CssSymbol);
    return i + 1;
  }

  // A value token (inValue) or a token of an at-rule's prelude.
  qint64 Token(qint64 i, qint64 to, bool inValue) {
    const char c = T[i];
    if (c == '!') {
      qint64 j = i + 1;
      while (j < to && IsSpace(T[j]) && !IsLineEnd(T[j]))
        ++j;
      if (StartsWithNoCase(T + j, to - j, "important")) {
        Paint(T, S, i, j + 9, CssImportant);
        return j + 9;
      }
    }
    if (c == '#' && inValue) {
      qint64 j = i + 1;
      while (j < to && IsHex(T[j]))
        ++j;
      const qint64 n = j - i - 1;
      if ((n == 3 || n == 4 || n == 6 || n == 8) && (j >= to || !IsWord(T[j]))) {
        Paint(T, S, i, j, CssColor);
        return j;
      }
    }
    if (IsDigit(c) || (c == '.' && i + 1 < to && IsDigit(T[i + 1])) ||
        ((c == '-' || c == '+') && i + 1 < to && (IsDigit(T[i + 1]) || T[i + 1] == '.'))) {
      qint64 j = i + 1;
      while (j < to && (IsDigit(T[j]) || T[j] == '.'))
        ++j;
      while (j < to && (IsWord(T[j]) || T[j] == '%')) // the unit
        ++j;
      Paint(T, S, i, j, CssNumber);
      return j;
    }
    if (IsWord(c)) {
      qint64 j = i;
      while (j < to && IsWord(T[j]))
        ++j;
      Paint(T, S, i, j, inValue ? CssValue : CssText);
      return j;
    }
    Paint(T, S, i, i + 1, CssSymbol);
    return i + 1;
  }

  qint64 Selector(qint64 i, qint64 to) {
    const char c = T[i];
    if (c == '[') {
      qint64 j = i + 1;
      while (j < to && T[j] != ']' && T[j] != '{')
        ++j;
      j = j < to && T[j] == ']' ? j + 1 : j;
      Paint(T, S, i, j, CssAttribute);
      return j;
    }
    if (IsWord(c) || c == '.' || c == '#' || c == '*' || c == ':' || c == '%') {
      qint64 j = i + 1;
      while (j < to && (IsWord(T[j]) || T[j] == ':'))
        ++j;
      Paint(T, S, i, j, CssSelector);
      return j;
    }
    Paint(T, S, i, i + 1, CssSymbol);
    return i + 1;
  }

  const char *T;
  unsigned char *S;
  bool FDecl[MaxDepth] = {};
  int FDepth = 0;
  bool FInValue = false;
  bool FInAtRule = false;
  bool FNestedRules = false;
};

bool IsJsKeyword(const char *p, qint64 n) {
  static const char *const words[] = {
      "async",    "await",   "break",     "case",  "catch",  "class",  "const",      "continue",
      "debugger", "default", "delete",    "do",    "else",   "export", "extends",    "false",
      "finally",  "for",     "function",  "if",    "import", "in",     "instanceof", "let",
      "new",      "null",    "return",    "super", "switch", "this",   "throw",      "true",
      "try",      "typeof",  "undefined", "var",   "void",   "while",  "with",       "yield"};
  for (const char *w : words)
    if (qint64(std::strlen(w)) == n && std::memcmp(p, w, size_t(n)) == 0)
      return true;
  return false;
}

// The script of an event handler attribute.
void StyleJs(const char *T, unsigned char *S, qint64 i, qint64 to) {
  const qint64 from = i;
  while (i < to) {
    const char c = T[i];
    qint64 j = i + 1;
    unsigned char st = JsSymbol;
    if (IsSpace(c)) {
      // As in CSS: a blank after a symbol ("f(a, b)") stays in the symbol's run.
      st = i > from && S[i - 1] == JsSymbol ? JsSymbol : JsDefault;
    } else if (c == '/' && j < to && T[j] == '*') {
      j = i + 2;
      while (j + 1 < to && !(T[j] == '*' && T[j + 1] == '/'))
        ++j;
      j = j + 1 < to ? j + 2 : to;
      st = JsComment;
    } else if (c == '/' && j < to && T[j] == '/') {
      while (j < to && !IsLineEnd(T[j]))
        ++j;
      st = JsCommentLine;
    } else if (c == '"' || c == '\'' || c == '`') {
      while (j < to && T[j] != c && !(c != '`' && IsLineEnd(T[j])))
        j += (T[j] == '\\' && j + 1 < to) ? 2 : 1;
      j = j < to && T[j] == c ? j + 1 : j;
      st = c == '"' ? JsDoubleString : JsSingleString;
    } else if (IsDigit(c) || (c == '.' && j < to && IsDigit(T[j]))) {
      while (j < to && (IsDigit(T[j]) || IsWordStart(T[j]) || T[j] == '.'))
        ++j;
      st = JsNumber;
    } else if (IsWordStart(c)) {
      while (j < to && (IsWordStart(T[j]) || IsDigit(T[j])))
        ++j;
      st = IsJsKeyword(T + i, j - i) ? JsKeyword : JsWord;
    }
    Paint(T, S, i, j, st);
    i = j;
  }
}

// Position of the "</style" that ends a block starting at from, else to.
qint64 StyleBlockEnd(const char *T, qint64 from, qint64 to) {
  for (qint64 i = from; i + 1 < to; ++i) {
    const void *lt = std::memchr(T + i, '<', size_t(to - i));
    if (!lt)
      return to;
    i = static_cast<const char *>(lt) - T;
    if (i + 1 < to && T[i + 1] == '/' && StartsWithNoCase(T + i + 2, to - i - 2, "style"))
      return i;
  }
  return to;
}
} // namespace

void StyleEmbeddedCode(const char *text, unsigned char *styles, qint64 len, bool startInStyleBlock,
                       std::vector<TStyleBlock> *blocks) {
  const char *T = text;
  unsigned char *S = styles;
  qint64 i = 0;
  auto styleBlock = [&](qint64 start) {
    const qint64 end = StyleBlockEnd(T, start, len);
    TCssStyler(T, S, false).Run(start, end);
    if (blocks)
      blocks->push_back({start, end < len ? end : -1});
    return end;
  };
  if (startInStyleBlock)
    i = styleBlock(0);
  while (i < len) {
    const unsigned char st = S[i];
    const char c = T[i];
    if (c == '<' && st == HtmlTag && i + 6 < len && StartsWithNoCase(T + i + 1, len - i - 1, "style") &&
        (IsSpace(T[i + 6]) || T[i + 6] == '>')) {
      // The content starts after the tag's own '>' (one inside a quoted value does not count).
      qint64 j = i + 6;
      while (j < len && !(T[j] == '>' && S[j] == HtmlTag))
        ++j;
      if (j >= len)
        return;
      i = styleBlock(j + 1);
      continue;
    }
    if ((st == HtmlAttribute || st == HtmlUnknownAttribute) &&
        (i == 0 || (S[i - 1] != HtmlAttribute && S[i - 1] != HtmlUnknownAttribute))) {
      qint64 j = i;
      while (j < len && S[j] == st)
        ++j;
      const qint64 n = j - i;
      const bool css = n == 5 && StartsWithNoCase(T + i, n, "style");
      const bool js = n > 2 && Lower(T[i]) == 'o' && Lower(T[i + 1]) == 'n';
      if (css || js) {
        while (j < len && S[j] == HtmlOther && (IsSpace(T[j]) || T[j] == '='))
          ++j;
        qint64 k = j;
        qint64 from = j, to = j;
        if (j < len && (S[j] == HtmlDoubleString || S[j] == HtmlSingleString)) {
          while (k < len && S[k] == S[j])
            ++k;
          from = j + 1;
          to = (k - 1 > j && T[k - 1] == T[j]) ? k - 1 : k;
        } else if (j < len && S[j] == HtmlValue) {
          while (k < len && S[k] == HtmlValue)
            ++k;
          to = k;
        }
        if (to > from) {
          if (css)
            TCssStyler(T, S, true).Run(from, to);
          else
            StyleJs(T, S, from, to);
        }
        i = std::max(k, j);
        continue;
      }
      i = j;
      continue;
    }
    ++i;
  }
}
