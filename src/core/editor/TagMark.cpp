#include "core/editor/TagMark.h"

namespace {
// A tag longer than this is taken for a tag without an end (an unclosed quote, usually); the
// search for its end must not walk through a whole large document at every click.
constexpr int MaxTagLines = 1000;

TTagType TypeOfHead(QStringView head) {
  if (head.size() >= 4 && head.left(4).compare(QLatin1StringView("<img"), Qt::CaseInsensitive) == 0)
    return ttImg;
  if (head.size() < 4 || head.left(2).compare(QLatin1StringView("<a"), Qt::CaseInsensitive) != 0 ||
      !head[2].isSpace())
    return ttNone;
  // "<a h...", with any white space (a line break too) between the name and the attribute.
  qsizetype i = 2;
  while (i < head.size() && head[i].isSpace())
    ++i;
  return i < head.size() && (head[i] == u'h' || head[i] == u'H') ? ttHRef : ttNone;
}

// Finds "</a>" (case ignored) at or after from; returns its start.
bool FindCloseTag(const TEditBuffer &buf, TBufferCoord from, TBufferCoord &at) {
  const int lines = buf.LineCount();
  for (int l = from.Line; l <= lines; ++l) {
    const QString s = buf.Line(l);
    const qsizetype k =
        s.indexOf(QLatin1String("</a>"), l == from.Line ? from.Char - 1 : 0, Qt::CaseInsensitive);
    if (k >= 0) {
      at = {int(k) + 1, l};
      return true;
    }
  }
  return false;
}

QString EscapeQuote(QString ref, QChar quote) {
  if (quote == u'"')
    ref.replace(u'"', QLatin1String("&quot;"));
  else
    ref.replace(u'\'', QLatin1String("&#39;"));
  return ref;
}
} // namespace

TTagMark TagAt(const TEditBuffer &buf, TBufferCoord start) {
  TTagMark none;
  none.TagStart = none.TagEnd = start;
  const int lines = buf.LineCount();
  if (start.Line < 1 || start.Line > lines)
    return none;
  QString head;
  QChar quote;
  bool afterEq = false, found = false;
  TBufferCoord end = start;
  for (int l = start.Line; l <= lines && l < start.Line + MaxTagLines && !found; ++l) {
    const QString s = buf.Line(l);
    qsizetype k = 0;
    if (l == start.Line) {
      k = start.Char - 1;
      if (k >= s.size() || s[k] != u'<')
        return none;
      head += u'<';
      ++k;
    } else if (head.size() < 64) {
      head += u'\n';
    }
    for (; k < s.size(); ++k) {
      const QChar c = s[k];
      if (head.size() < 64)
        head += c;
      if (!quote.isNull()) {
        if (c == quote)
          quote = QChar();
        continue;
      }
      if (afterEq) {
        if (c.isSpace())
          continue;
        afterEq = false;
        if (c == u'"' || c == u'\'') {
          quote = c;
          continue;
        }
      }
      if (c == u'=') {
        afterEq = true;
      } else if (c == u'>') {
        end = {int(k) + 2, l};
        found = true;
        break;
      } else if (c == u'<') {
        break; // the next tag begins: this one has no end
      }
    }
    if (!found && quote.isNull() && k < s.size())
      break; // stopped at the next "<"
  }
  TTagMark m;
  m.TagType = TypeOfHead(head);
  m.TagStart = start;
  m.TagEnd = found ? end : start;
  return m.TagType == ttNone ? none : m;
}

TTagMark GetTagMark(const TEditBuffer &buf, TFileTypes fileType, TBufferCoord pos) {
  TTagMark none;
  if (fileType != ftHtml || (buf.LineCount() <= 1 && buf.Line(1).isEmpty()))
    return none;
  for (int l = std::min(pos.Line, buf.LineCount()); l >= 1; --l) {
    const QString s = buf.Line(l);
    qsizetype k = l == pos.Line ? std::min<qsizetype>(pos.Char - 1, s.size()) : s.size();
    while (--k >= 0) {
      if (s[k] == u'>')
        return none;
      if (s[k] == u'<')
        return TagAt(buf, {int(k) + 1, l});
    }
  }
  return none;
}

bool TagMarkFits(const TEditBuffer &buf, const TTagMark &mark) {
  if (mark.TagType == ttNone)
    return false;
  const TTagMark now = TagAt(buf, mark.TagStart);
  return now.TagType == mark.TagType && now.TagEnd == mark.TagEnd && !(mark.TagEnd == mark.TagStart);
}

TTagParts SplitTag(const QString &tag, const QString &key) {
  TTagParts p;
  const qsizetype n = tag.size();
  const qsizetype close = tag.endsWith(u'>') ? n - 1 : n;
  qsizetype i = tag.startsWith(u'<') ? 1 : 0;
  while (i < close && !tag[i].isSpace() && tag[i] != u'/')
    ++i;
  p.Name = tag.mid(1, i - 1);
  const qsizetype nameEnd = i;
  while (i < close) {
    while (i < close && tag[i].isSpace())
      ++i;
    const qsizetype attrStart = i;
    while (i < close && !tag[i].isSpace() && tag[i] != u'=')
      ++i;
    const QString name = tag.mid(attrStart, i - attrStart);
    if (name.isEmpty())
      break;
    qsizetype j = i;
    while (j < close && tag[j].isSpace())
      ++j;
    if (j >= close || tag[j] != u'=')
      continue; // an attribute without a value
    ++j;
    while (j < close && tag[j].isSpace())
      ++j;
    QChar quote;
    qsizetype valueStart = j, valueEnd;
    if (j < close && (tag[j] == u'"' || tag[j] == u'\'')) {
      quote = tag[j];
      valueStart = j + 1;
      valueEnd = tag.indexOf(quote, valueStart);
      if (valueEnd < 0 || valueEnd > close)
        valueEnd = close;
      i = std::min(close, valueEnd + 1);
    } else {
      valueEnd = valueStart;
      while (valueEnd < close && !tag[valueEnd].isSpace())
        ++valueEnd;
      i = valueEnd;
    }
    if (name.compare(key, Qt::CaseInsensitive) == 0) {
      p.Before = tag.mid(nameEnd, attrStart - nameEnd);
      p.Key = name;
      p.Quote = quote;
      p.Ref = tag.mid(valueStart, valueEnd - valueStart);
      p.After = tag.mid(i, close - i);
      return p;
    }
  }
  // No such attribute: it will be added after the others, before a closing "/".
  p.Before = tag.mid(nameEnd, close - nameEnd);
  qsizetype cut = p.Before.size();
  while (cut > 0 && p.Before[cut - 1].isSpace())
    --cut;
  if (cut > 0 && p.Before[cut - 1] == u'/') {
    qsizetype slash = cut - 1;
    while (slash > 0 && p.Before[slash - 1].isSpace())
      --slash;
    p.After = p.Before.mid(slash);
    p.Before.truncate(slash);
  }
  return p;
}

QString ComposeTag(const TTagParts &parts, const QString &defaultKey) {
  QString before = parts.Before;
  if (before.isEmpty() || !before.back().isSpace())
    before += u' ';
  const QChar quote = parts.Quote.isNull() ? QChar(u'"') : parts.Quote;
  return u'<' + parts.Name + before + (parts.Key.isEmpty() ? defaultKey : parts.Key) + u'=' + quote +
         EscapeQuote(parts.Ref, quote) + quote + parts.After + u'>';
}

TEditTagResult EditTag(TEditBuffer &buf, const TTagMark &mark, const TImageEditor &editImage,
                       const TLinkEditor &editLink) {
  if (mark.TagType == ttNone)
    return erNoTag;
  // The text may have changed since the tag was found; rewriting whatever lies there now would
  // destroy it.
  if (!TagMarkFits(buf, mark))
    return erStale;
  const bool hadSel = buf.SelAvail();
  const TBufferCoord caret = buf.CaretXY(), bb = buf.BlockBegin(), be = buf.BlockEnd();
  const TBufferCoord anchor = !hadSel ? caret : (caret == bb ? be : bb);
  const auto restore = [&] { buf.SetSelection(anchor, caret); };

  buf.SetSelection(mark.TagStart, mark.TagEnd);
  const QString tag = buf.SelText();
  const bool image = mark.TagType == ttImg;
  const QString key = image ? QStringLiteral("src") : QStringLiteral("href");
  TTagParts parts = SplitTag(tag, key);
  QString ref = parts.Ref, attrs = parts.After, replacement;
  TBufferCoord end = mark.TagEnd;
  if (image) {
    if (!editImage || !editImage(ref, attrs)) {
      restore();
      return erCancelled;
    }
    parts.Ref = ref;
    parts.After = attrs;
    replacement = ComposeTag(parts, key);
  } else {
    TBufferCoord closeAt;
    const bool closed = FindCloseTag(buf, mark.TagEnd, closeAt);
    QString text, closeTag;
    if (closed) {
      buf.SetSelection(mark.TagEnd, closeAt);
      text = buf.SelText();
      end = {closeAt.Char + 4, closeAt.Line};
      buf.SetSelection(closeAt, end);
      closeTag = buf.SelText(); // kept as written ("</A>")
    }
    if (!editLink || !editLink(ref, attrs, text)) {
      restore();
      return erCancelled;
    }
    parts.Ref = ref;
    parts.After = attrs;
    replacement = ComposeTag(parts, key);
    // A link without its closing tag gets one only when it gets a text.
    if (closed || !text.isEmpty())
      replacement += text + (closed ? closeTag : QStringLiteral("</a>"));
  }
  TUndoGroup group(buf);
  buf.SetSelection(mark.TagStart, end);
  buf.SetSelText(replacement);
  buf.SetCaretXY(mark.TagStart);
  return erDone;
}
