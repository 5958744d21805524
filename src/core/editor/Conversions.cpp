#include "core/editor/Conversions.h"
#include "core/editor/Entities.h"
#include "core/editor/InsertEngine.h"
#include "core/editor/TextFile.h"

#include <algorithm>

namespace {
bool IsAsciiLetter(QChar c) {
  const char16_t u = c.unicode();
  return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}
bool IsWordChar(QChar c) {
  return c.isLetterOrNumber() || c == u'_';
}

// Index just past the first occurrence of end at or after from (case ignored); the text's end
// when there is none.
qsizetype SkipPast(const QString &text, qsizetype from, QLatin1StringView end) {
  const qsizetype at = text.indexOf(end, from, Qt::CaseInsensitive);
  return at < 0 ? text.size() : at + end.size();
}

// The lines of a text with the break that ends each ("" for the last).
struct TLinePiece {
  QStringView Text;
  QStringView Break;
};
QList<TLinePiece> SplitKeepingBreaks(const QString &text) {
  QList<TLinePiece> lines;
  const qsizetype n = text.size();
  qsizetype start = 0;
  for (qsizetype i = 0; i < n; ++i) {
    const QChar ch = text[i];
    if (ch != u'\r' && ch != u'\n')
      continue;
    const qsizetype len = (ch == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
    lines.append({QStringView(text).mid(start, i - start), QStringView(text).mid(i, len)});
    i += len - 1;
    start = i + 1;
  }
  lines.append({QStringView(text).mid(start), QStringView()});
  return lines;
}

// True when every line break in text is exactly br.
bool BreaksAre(QStringView text, QStringView br) {
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar ch = text[i];
    if (ch != u'\r' && ch != u'\n')
      continue;
    const qsizetype len = (ch == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
    if (text.mid(i, len) != br)
      return false;
    i += len - 1;
  }
  return true;
}

bool ReplaceChanged(TEditBuffer &buf, const QString &old, const QString &now) {
  if (old == now)
    return false;
  const qsizetype m = std::min(old.size(), now.size());
  qsizetype p = 0;
  while (p < m && old[p] == now[p])
    ++p;
  qsizetype s = 0;
  while (s < m - p && old[old.size() - 1 - s] == now[now.size() - 1 - s])
    ++s;
  // Never cut a CR LF pair or a surrogate pair at either end of the changed part.
  while (p > 0 && (old[p - 1] == u'\r' || old[p - 1].isHighSurrogate()))
    --p;
  while (s > 0 && (old[old.size() - s] == u'\n' || old[old.size() - s].isLowSurrogate()))
    --s;
  const QStringView newMid = QStringView(now).mid(p, now.size() - s - p);
  const QStringView oldMid = QStringView(old).mid(p, old.size() - s - p);
  const QString br = buf.LineBreak();
  if (!BreaksAre(oldMid, br) || !BreaksAre(newMid, br)) {
    // The buffer writes inserted breaks in the document's own style; a document with mixed
    // breaks keeps its own when only the text between them changes, line by line.
    const QList<TLinePiece> a = SplitKeepingBreaks(old), b = SplitKeepingBreaks(now);
    bool same = a.size() == b.size();
    for (qsizetype i = 0; same && i < a.size(); ++i)
      same = a[i].Break == b[i].Break;
    if (same) {
      for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].Text != b[i].Text) {
          const int line = int(i) + 1;
          buf.SetSelection({1, line}, {int(a[i].Text.size()) + 1, line});
          buf.SetSelText(b[i].Text.toString());
        }
      return true;
    }
  }
  buf.SetSelection(CoordOfIndex(old, p), CoordOfIndex(old, old.size() - s));
  buf.SetSelText(newMid.toString());
  return true;
}

int LeadingBlanks(const QString &line) {
  int n = 0;
  while (n < line.size() && line[n].unicode() <= 32)
    ++n;
  return n;
}
} // namespace

// --- Tag case -------------------------------------------------------------------------------------

QString ChangeTagCase(const QString &text, bool upper) {
  QString out = text;
  QChar *d = out.data();
  const qsizetype n = text.size();
  const auto serverEnd = [&](qsizetype at) {
    return text[at + 1] == u'?' ? QLatin1StringView("?>") : QLatin1StringView("%>");
  };
  qsizetype i = 0;
  while (i < n) {
    if (text[i] != u'<' || i + 1 >= n) {
      ++i;
      continue;
    }
    const QChar next = text[i + 1];
    if (next == u'!') {
      // Comments and declarations are text, not tags.
      const bool comment = QStringView(text).mid(i, 4) == QLatin1StringView("<!--");
      i = comment ? SkipPast(text, i + 4, QLatin1StringView("-->"))
                  : SkipPast(text, i + 2, QLatin1StringView(">"));
      continue;
    }
    if (next == u'?' || next == u'%') {
      // Server code is case-sensitive.
      i = SkipPast(text, i + 2, serverEnd(i));
      continue;
    }
    // A "<" before anything but a letter or "/" is a less-than sign in running text.
    if (!IsAsciiLetter(next) && next != u'/') {
      ++i;
      continue;
    }
    const bool closing = next == u'/';
    const qsizetype nameStart = i + (closing ? 2 : 1);
    qsizetype j = i + 1;
    QChar quote;
    while (j < n) {
      const QChar c = text[j];
      if (!quote.isNull()) {
        if (c == quote)
          quote = QChar();
      } else if (c == u'"' || c == u'\'') {
        quote = c;
      } else if (c == u'>') {
        break;
      } else if (c == u'<' && j + 1 < n && (text[j + 1] == u'?' || text[j + 1] == u'%')) {
        j = SkipPast(text, j + 2, serverEnd(j));
        continue;
      } else if (IsAsciiLetter(c)) {
        d[j] = upper ? c.toUpper() : c.toLower();
      }
      ++j;
    }
    qsizetype nameEnd = nameStart;
    while (nameEnd < n && (IsAsciiLetter(text[nameEnd]) || text[nameEnd].isDigit()))
      ++nameEnd;
    const QStringView name = QStringView(text).mid(nameStart, nameEnd - nameStart);
    i = std::min(n, j + 1);
    if (!closing) {
      // Scripts and style sheets are code: their content stays as written.
      for (const char *raw : {"script", "style"}) {
        const QLatin1StringView elem(raw);
        if (name.compare(elem, Qt::CaseInsensitive) == 0) {
          const qsizetype end = text.indexOf(QLatin1String("</") + elem, i, Qt::CaseInsensitive);
          i = end < 0 ? n : end;
        }
      }
    }
  }
  return out;
}

// --- Reflowing --------------------------------------------------------------------------------------

QString WrapText(const QString &text, int column, int indent, int rightEdge) {
  if (rightEdge < 1)
    rightEdge = 80;
  // Each line break becomes one blank (a lone LF as well as CR LF), runs of blanks one blank.
  QString s;
  s.reserve(text.size());
  const qsizetype tn = text.size();
  for (qsizetype k = 0; k < tn; ++k) {
    QChar ch = text[k];
    if (ch == u'\n' && k > 0 && text[k - 1] == u'\r')
      continue;
    if (ch == u'\r' || ch == u'\n')
      ch = u' ';
    if (ch == u' ' && !s.isEmpty() && s.back() == u' ')
      continue;
    s += ch;
  }
  s = s.trimmed();

  const qsizetype n = s.size();
  const QString pad(std::max(0, indent), u' ');
  QString out;
  out.reserve(n + n / 16 + 16);
  int c = column;
  qsizetype i = 0, f = 0, b = -1;
  bool inTag = false, inDq = false, inSq = false, overflow = false;
  while (i < n) {
    const QChar ch = s[i];
    // Quotes count only inside a tag: an apostrophe in running text is just a character.
    if (inTag) {
      if (inDq) {
        inDq = ch != u'"';
      } else if (inSq) {
        inSq = ch != u'\'';
      } else if (ch == u'"') {
        inDq = true;
      } else if (ch == u'\'') {
        inSq = true;
      } else if (ch == u'>') {
        inTag = false;
      }
    } else if (ch == u'<' && !(i + 1 < n && s[i + 1] == u'!')) {
      inTag = true;
    }
    const bool free = !inTag;
    if (free && (ch == u' ' || (ch == u'>' && (i + 1 == n || IsWordChar(s[i + 1]))))) {
      if (c <= rightEdge) {
        b = i;
      } else if (b < 0) {
        b = i; // a word longer than the room left: break at its end
        overflow = true;
      }
    }
    ++i;
    ++c;
    if (i >= n || !free || (c <= rightEdge && !overflow))
      continue;
    qsizetype lineEnd, next;
    if (b >= 0) {
      lineEnd = s[b] == u' ' ? b : b + 1;
      next = b + 1;
    } else if (i > f && s[i] != u' ' && (s[i - 1] == u'>' || s[i] == u'<')) {
      lineEnd = next = i; // between two tags, or a tag and a word: nothing is cut
    } else {
      continue; // inside a word: wait for its end
    }
    out.append(QStringView(s).mid(f, lineEnd - f));
    out += QLatin1String("\r\n");
    out += pad;
    f = i = next;
    c = indent + 1;
    b = -1;
    overflow = false;
  }
  out.append(QStringView(s).mid(f));
  return out;
}

void WrapBlock(TEditBuffer &buf, int rightEdge) {
  const TBufferCoord caret = buf.CaretXY();
  const QString caretLine = buf.Line(caret.Line);
  const int lead = LeadingBlanks(caretLine);
  int column, indent;
  TUndoGroup group(buf);
  if (buf.SelAvail()) {
    column = buf.BlockBegin().Char;
    TInsertEngine engine(buf, ftHtml);
    indent = int(engine.ExpandPlaceholders(QStringLiteral("%indent%")).size());
  } else {
    column = caret.Char - 1;
    indent = caret.Char == 1 ? buf.TabWidth() : caret.Char - 1;
    buf.SetSelection({1, caret.Line}, {int(caretLine.size()) + 1, caret.Line});
  }
  const QString sel = buf.SelText();
  if (sel.isEmpty())
    return;
  column = std::max(column, lead);
  QString result = sel.startsWith(u'<') ? QString() : QString(indent, u' ');
  result += WrapText(sel, column, indent, rightEdge);
  // A selection of whole lines ends with a line break; dropping it would glue the last line to
  // the text after the selection.
  if (sel.endsWith(u'\n') || sel.endsWith(u'\r'))
    result += QLatin1String("\r\n");
  const TBufferCoord start = buf.BlockBegin();
  buf.SetSelText(result);
  buf.SetSelection(start, TInsertEngine::Advance(start, result));
}

// --- JavaScript text ------------------------------------------------------------------------------

QString HtmlEscape(const QString &text) {
  static const struct {
    const char16_t *From;
    const char *To;
  } steps[] = {
      {u"&", "&amp;"},
      {u"<", "&lt;"},
      {u">", "&gt;"},
      {u"''", "&quot;"},
      {u"\"", "&quot;"},
      {u"``", "&quot;"},
      {u"\u00B4\u00B4", "&quot;"},
      {u"'", "&lsquo;"},
      {u"`", "&lsquo;"},
      {u"\u00B4", "&rsquo;"},
  };
  QString s = text;
  for (const auto &st : steps)
    s.replace(QString::fromUtf16(st.From), QLatin1String(st.To));
  return s;
}

QString JsTextArgument(const QString &text, int rightEdge) {
  if (rightEdge < 1)
    rightEdge = 80;
  QString t;
  t.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar ch = text[i];
    if (ch == u'\n' && i > 0 && text[i - 1] == u'\r')
      continue;
    t += (ch == u'\r' || ch == u'\n') ? QChar(u' ') : ch;
  }
  t = HtmlEscape(t);
  QString out = QStringLiteral(" ");
  QString line;
  for (const QChar x : std::as_const(t)) {
    qsizetype len = line.size();
    while (len > 0 && line[len - 1] == u' ')
      --len;
    if (len >= rightEdge) {
      line.truncate(len);
      // The part from the last blank on starts the next line; a blank at the very start does
      // not count, or the same line would be cut again at every character.
      const qsizetype p = line.lastIndexOf(u' ');
      if (p > 0) {
        out += line.left(p) + QLatin1String("\\\r\n");
        line = line.mid(p) + x;
      } else {
        out += line + QLatin1String("\\\r\n");
        line = QString(x);
      }
    } else if (!(x == u' ' && !line.isEmpty() && line.back() == u' ')) {
      line += x;
    }
  }
  return out + line;
}

// --- Mail address encoding ------------------------------------------------------------------------

QString MailCodeList(const QString &address, int key) {
  QStringList parts{QString::number(key)};
  for (const QChar ch : address)
    parts << QString::number(ch.unicode() ^ key);
  return parts.join(u':');
}

QStringList MailEncodeScript(const QString &linkText, const QString &codeList) {
  // The link text stands in a JavaScript string in single quotes on one line.
  QString text = linkText;
  text.replace(QLatin1String("\r\n"), QLatin1String(" "));
  text.replace(u'\r', u' ').replace(u'\n', u' ');
  text.replace(QLatin1String("\\"), QLatin1String("\\\\")).replace(QLatin1String("'"), QLatin1String("\\'"));
  return {QStringLiteral("<script language=\"JavaScript\" type=\"text/javascript\">"),
          QStringLiteral("%indent%%tab%MailEncode('") + text + QStringLiteral("',"),
          QStringLiteral("%indent%%tab%'") + codeList + QStringLiteral("');"),
          QStringLiteral("%indent%</script>")};
}

QStringList MailDecoderScript() {
  return {
      QStringLiteral("%indent%// Decoder of the encoded mail addresses on this page"),
      QStringLiteral("%indent%// Encode mail address"),
      QStringLiteral("%indent%%tab%function MailEncode (Name,Text) {"),
      QStringLiteral("%indent%%tab%  var ac=Text.split(\":\"); var s=\"\";"),
      QStringLiteral(
          "%indent%%tab%for(i=1;i<ac.length;++i){s+=String.fromCharCode(Number(ac[i])^(Number(ac[0])));}"),
      QStringLiteral("%indent%%tab%document.write('<a href=\"mailto:'+s+'\">'+Name+'</a>');}")};
}

std::optional<QString> DecodeText(const QString &codes) {
  if (!codes.contains(u':'))
    return std::nullopt;
  QStringView t(codes);
  while (t.startsWith(u'\''))
    t = t.mid(1);
  while (t.endsWith(u'\''))
    t.chop(1);
  const QList<QStringView> parts = t.split(u':');
  const auto number = [](QStringView v) {
    bool ok = false;
    const qint64 x = v.trimmed().toLongLong(&ok);
    return ok ? x : 0;
  };
  const qint64 key = number(parts[0]) & 255;
  QString result;
  if (key == 0)
    return result;
  for (qsizetype i = 1; i < parts.size(); ++i) {
    const qint64 code = key ^ number(parts[i]);
    if (code < 0 || code > 0x10FFFF)
      return std::nullopt;
    const bool low = code >= 0xDC00 && code <= 0xDFFF;
    const bool afterHigh = !result.isEmpty() && result.back().isHighSurrogate();
    // Addresses are enciphered unit by unit, so a character above U+FFFF comes as a pair.
    if ((low && !afterHigh) || (!low && afterHigh))
      return std::nullopt;
    if (code > 0xFFFF)
      result += CharOfCode(code);
    else
      result += QChar(char16_t(code));
  }
  if (!result.isEmpty() && result.back().isHighSurrogate())
    return std::nullopt;
  return result;
}

QString QuotedTextAt(const QString &line, int col) {
  const qsizetype idx = std::clamp<qsizetype>(col - 1, 0, line.size());
  const qsizetype before = idx > 0 ? line.lastIndexOf(u'\'', idx - 1) : -1;
  const qsizetype after = line.indexOf(u'\'', idx);
  if (before < 0 || after < 0)
    return {};
  return line.mid(before + 1, after - before - 1);
}

// --- Spans at the caret -----------------------------------------------------------------------------

TLineSpan EntityRunAt(const QString &line, int col) {
  const qsizetype idx = std::clamp<qsizetype>(col - 1, 0, line.size());
  TLineSpan span{idx, idx};
  while (span.Start > 0 && line[span.Start - 1] != u'>' && !line[span.Start - 1].isSpace())
    --span.Start;
  while (span.End < line.size() && line[span.End] != u'<' && !line[span.End].isSpace())
    ++span.End;
  return span;
}

TLineSpan WordAt(const QString &line, int col) {
  const qsizetype idx = std::clamp<qsizetype>(col - 1, 0, line.size());
  TLineSpan span{idx, idx};
  while (span.Start > 0 && IsWordChar(line[span.Start - 1]))
    --span.Start;
  while (span.End < line.size() && IsWordChar(line[span.End]))
    ++span.End;
  return span;
}

// --- Whole-document conversions ---------------------------------------------------------------------

bool ReplaceChangedText(TEditBuffer &buf, const QString &newText) {
  TUndoGroup group(buf);
  return ReplaceChanged(buf, buf.Text(), newText);
}

void ConvertDocument(TEditBuffer &buf, const std::function<QString(const QString &)> &convert) {
  const TBufferCoord caret = buf.CaretXY();
  TUndoGroup group(buf);
  const QString old = buf.Text();
  ReplaceChanged(buf, old, convert(old));
  buf.SetModified(true);
  buf.SetCaretXY({1, std::min(caret.Line, std::max(1, buf.LineCount()))});
}

void ChangeSelectionCase(TEditBuffer &buf, bool upper) {
  if (!buf.SelAvail())
    return;
  const QString sel = buf.SelText();
  const QString converted = upper ? sel.toUpper() : sel.toLower();
  if (converted == sel)
    return;
  const TBufferCoord start = buf.BlockBegin();
  const bool caretAtStart = buf.CaretXY() == start;
  TUndoGroup group(buf);
  buf.SetSelText(converted);
  const TBufferCoord end = TInsertEngine::Advance(start, converted);
  if (caretAtStart)
    buf.SetSelection(end, start);
  else
    buf.SetSelection(start, end);
}

void WordToChar(TEditBuffer &buf, const TEntityTable &table) {
  if (buf.LineCount() <= 1 && buf.Line(1).isEmpty())
    return;
  if (!buf.SelAvail()) {
    const TBufferCoord caret = buf.CaretXY();
    const TLineSpan span = EntityRunAt(buf.Line(caret.Line), caret.Char);
    if (span.IsEmpty())
      return;
    buf.SetSelection({int(span.Start) + 1, caret.Line}, {int(span.End) + 1, caret.Line});
  }
  const QString sel = buf.SelText();
  const QString converted = table.EntitiesToChars(sel);
  if (converted != sel)
    buf.SetSelText(converted);
}
