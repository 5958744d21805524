#pragma once
// Plain-text search and replace on a document's text: case and whole-word matching, direction,
// range. Positions are indices into the text (UTF-16 units).
#include <QString>
#include <functional>

enum TSynSearchOption : quint8 {
  ssoMatchCase = 1,
  ssoWholeWord = 2,
  ssoBackwards = 4,
  ssoEntireScope = 8,
  ssoSelectedOnly = 16,
  ssoReplace = 32,
  ssoReplaceAll = 64,
  ssoPrompt = 128,
};
using TSynSearchOptions = quint8;

enum TSynReplaceAction { raCancel, raSkip, raReplace, raReplaceAll };

struct TSearchMatch {
  qsizetype Start = -1;
  qsizetype Length = 0;
  bool Found() const { return Start >= 0; }
};

// Finds needle in text[rangeStart, rangeEnd): forward from `from` (the first match starting at or
// after it) or backwards (the last match ending at or before it).
TSearchMatch FindText(const QString &text, const QString &needle, qsizetype from, TSynSearchOptions options,
                      qsizetype rangeStart = 0, qsizetype rangeEnd = -1);

// Replaces every match in text[rangeStart, rangeEnd) in one pass; the replacement is never searched
// again, so a replacement that contains the needle cannot loop. Returns the number replaced.
qsizetype ReplaceAllText(QString &text, const QString &needle, const QString &replacement,
                         TSynSearchOptions options, qsizetype rangeStart = 0, qsizetype rangeEnd = -1);

bool IsWordChar(QChar c);
