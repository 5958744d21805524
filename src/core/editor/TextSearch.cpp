#include "core/editor/TextSearch.h"

bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c.isMark(); }

namespace {
bool WholeWordAt(const QString &text, qsizetype start, qsizetype len) {
  if (start > 0 && IsWordChar(text[start - 1]))
    return false;
  const qsizetype end = start + len;
  return !(end < text.size() && IsWordChar(text[end]));
}
} // namespace

TSearchMatch FindText(const QString &text, const QString &needle, qsizetype from, TSynSearchOptions options,
                      qsizetype rangeStart, qsizetype rangeEnd) {
  if (needle.isEmpty())
    return {};
  if (rangeEnd < 0 || rangeEnd > text.size())
    rangeEnd = text.size();
  rangeStart = std::clamp<qsizetype>(rangeStart, 0, rangeEnd);
  const Qt::CaseSensitivity cs = (options & ssoMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
  const qsizetype n = needle.size();
  const QStringView range = QStringView(text).mid(0, rangeEnd);
  if (!(options & ssoBackwards)) {
    qsizetype at = std::max(from, rangeStart);
    while (at <= rangeEnd - n) {
      const qsizetype i = range.indexOf(needle, at, cs);
      if (i < 0)
        break;
      if (!(options & ssoWholeWord) || WholeWordAt(text, i, n))
        return {i, n};
      at = i + 1;
    }
  } else {
    qsizetype at = std::min(from, rangeEnd) - n;
    while (at >= rangeStart) {
      const qsizetype i = range.lastIndexOf(needle, at, cs);
      if (i < rangeStart)
        break;
      if (!(options & ssoWholeWord) || WholeWordAt(text, i, n))
        return {i, n};
      at = i - 1;
    }
  }
  return {};
}

qsizetype ReplaceAllText(QString &text, const QString &needle, const QString &replacement, TSynSearchOptions options,
                         qsizetype rangeStart, qsizetype rangeEnd) {
  if (needle.isEmpty())
    return 0;
  if (rangeEnd < 0 || rangeEnd > text.size())
    rangeEnd = text.size();
  QString out;
  qsizetype count = 0, copied = 0, at = rangeStart;
  const TSynSearchOptions forward = options & ~ssoBackwards;
  while (true) {
    const TSearchMatch m = FindText(text, needle, at, forward, rangeStart, rangeEnd);
    if (!m.Found())
      break;
    if (count == 0)
      out.reserve(text.size() + 16);
    out += QStringView(text).mid(copied, m.Start - copied);
    out += replacement;
    copied = m.Start + m.Length;
    at = copied;
    ++count;
  }
  if (count) {
    out += QStringView(text).mid(copied);
    text = std::move(out);
  }
  return count;
}
