#include "core/editor/TextFile.h"
#include "core/common/Encodings.h"
#include "core/common/SafeFile.h"
#include "core/common/Translate.h"

#include <QFile>
#include <QFileInfo>

TLoadedBytes LoadTextFileUtf8(const QString &fileName) {
  TLoadedBytes r;
  if (QFileInfo(fileName).isDir()) {
    r.Error = _("\"%1\" is a folder, not a file.").arg(fileName);
    return r;
  }
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly)) {
    r.Error = f.errorString();
    return r;
  }
  QByteArray data = f.readAll();
  if (f.error() != QFileDevice::NoError) {
    r.Error = f.errorString();
    return r;
  }
  const TDetectedEncoding d = DetectEncoding(data);
  r.Encoding = d.Encoding;
  r.Bom = d.Bom;
  const bool hasNul = d.Encoding != seUTF16LE && d.Encoding != seUTF16BE && data.contains('\0');
  if (hasNul) {
    r.Error = _("The file contains NUL bytes: it is not a text file.");
    return r;
  }
  if (d.Encoding == seUTF8) {
    if (d.Bom)
      data.remove(0, 3);
    // Without a mark the detection has checked the whole text already.
    if (!d.Bom || IsValidUtf8(data)) {
      r.Utf8 = std::move(data);
    } else {
      // Looked like UTF-8 but is not UTF-8 throughout: 8-bit text keeps every byte.
      if (d.Bom)
        data.prepend("\xEF\xBB\xBF");
      r.Encoding = seAnsi;
      r.Bom = false;
      r.Utf8 = AnsiToUtf8(data);
    }
  } else if (d.Encoding == seAnsi) {
    r.Utf8 = AnsiToUtf8(data);
  } else {
    QString text, err;
    if (!DecodeText(data, d.Encoding, d.Bom, text, err)) {
      r.Error = err;
      return r;
    }
    r.LoneSurrogates =
        CountLoneSurrogates(QByteArrayView(data).sliced(d.Bom ? 2 : 0), d.Encoding == seUTF16LE);
    r.Utf8 = text.toUtf8();
  }
  r.LineBreak = DetectLineBreakBytes(r.Utf8);
  return r;
}

TLoadedText LoadTextFile(const QString &fileName) {
  TLoadedBytes b = LoadTextFileUtf8(fileName);
  TLoadedText r;
  r.Encoding = b.Encoding;
  r.Bom = b.Bom;
  r.LineBreak = b.LineBreak;
  r.Error = b.Error;
  r.Text = QString::fromUtf8(b.Utf8);
  return r;
}

bool SaveUtf8TextFile(const QString &fileName, QByteArrayView utf8, TSynEncoding enc, bool bom, QString *error,
                      qsizetype *firstBad, bool lossy) {
  QByteArray out;
  switch (enc) {
  case seUTF8:
    if (!bom)
      return WriteFileAtomically(fileName, utf8, error); // the editor's own bytes, no copy
    out = QByteArray("\xEF\xBB\xBF", 3);
    out += utf8;
    break;
  case seAnsi: {
    qsizetype bad = -1;
    out = Utf8ToAnsi(utf8, &bad);
    if (firstBad)
      *firstBad = bad;
    if (bad >= 0 && !lossy) {
      if (error)
        *error = _("The text holds characters that ANSI Latin 1 cannot hold.");
      return false;
    }
    break;
  }
  default:
    out = EncodeText(QString::fromUtf8(utf8), enc, true);
    break;
  }
  return WriteFileAtomically(fileName, out, error);
}

bool SaveTextFile(const QString &fileName, const QString &text, TSynEncoding enc, bool bom, QString *error) {
  return WriteFileAtomically(fileName, EncodeText(text, enc, bom), error);
}

TFileStamp FileStamp(const QString &fileName) {
  const QFileInfo fi(fileName);
  if (!fi.exists() || !fi.isFile())
    return {};
  return {fi.lastModified().toMSecsSinceEpoch(), fi.size()};
}

namespace {
bool IsSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }

// A plain charset name: what may be rewritten in place without touching its surroundings.
qsizetype CharsetNameLength(QStringView s) {
  qsizetype k = 0;
  while (k < s.size()) {
    const char16_t c = s[k].unicode();
    if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
          c == u'.' || c == u':' || c == u'-'))
      break;
    ++k;
  }
  return k;
}

struct TAttrValue {
  qsizetype Start = -1; // in the tag
  qsizetype Length = 0;
};

// The charset declaration of one tag (from its "<" up to, not including, its ">"): a meta element
// with http-equiv="Content-Type" and "charset=" in its content, or the short form
// <meta charset="...">. Attributes may stand in any order, in any case, quoted or not. The work is
// linear in the tag's length.
TAttrValue CharsetOfTag(QStringView tag) {
  const QLatin1String meta("<meta");
  if (!tag.startsWith(meta, Qt::CaseInsensitive) || (tag.size() > meta.size() && !IsSpace(tag[meta.size()]) &&
                                                      tag[meta.size()] != u'/'))
    return {};
  bool contentType = false;
  TAttrValue content, charset;
  qsizetype k = meta.size();
  const qsizetype n = tag.size();
  while (k < n) {
    while (k < n && (IsSpace(tag[k]) || tag[k] == u'/'))
      ++k;
    const qsizetype nameStart = k;
    while (k < n && !IsSpace(tag[k]) && tag[k] != u'=' && tag[k] != u'/')
      ++k;
    const QStringView name = tag.mid(nameStart, k - nameStart);
    if (name.isEmpty()) {
      ++k; // a stray "=": skip it
      continue;
    }
    qsizetype j = k;
    while (j < n && IsSpace(tag[j]))
      ++j;
    TAttrValue value;
    if (j < n && tag[j] == u'=') {
      ++j;
      while (j < n && IsSpace(tag[j]))
        ++j;
      if (j < n && (tag[j] == u'"' || tag[j] == u'\'')) {
        const QChar quote = tag[j];
        qsizetype e = j + 1;
        while (e < n && tag[e] != quote)
          ++e;
        value = {j + 1, e - j - 1};
        k = std::min(n, e + 1);
      } else {
        qsizetype e = j;
        while (e < n && !IsSpace(tag[e]))
          ++e;
        value = {j, e - j};
        k = e;
      }
    }
    const QStringView v = value.Start < 0 ? QStringView() : tag.mid(value.Start, value.Length);
    if (name.compare(QLatin1String("http-equiv"), Qt::CaseInsensitive) == 0)
      contentType = v.compare(QLatin1String("Content-Type"), Qt::CaseInsensitive) == 0;
    else if (name.compare(QLatin1String("content"), Qt::CaseInsensitive) == 0 && content.Start < 0)
      content = value;
    else if (name.compare(QLatin1String("charset"), Qt::CaseInsensitive) == 0 && charset.Start < 0 &&
             value.Start >= 0 && CharsetNameLength(v) == v.size() && !v.isEmpty())
      charset = value;
  }
  if (contentType && content.Start >= 0) {
    // "text/html; charset=UTF-8": the name after "charset", "=" and blanks.
    const QStringView c = tag.mid(content.Start, content.Length);
    const qsizetype at = c.indexOf(QLatin1String("charset"), 0, Qt::CaseInsensitive);
    if (at >= 0) {
      qsizetype j = at + 7;
      while (j < c.size() && IsSpace(c[j]))
        ++j;
      if (j < c.size() && c[j] == u'=') {
        ++j;
        while (j < c.size() && IsSpace(c[j]))
          ++j;
        const qsizetype len = CharsetNameLength(c.mid(j));
        if (len > 0)
          return {content.Start + j, len};
      }
    }
  }
  return charset;
}
} // namespace

TCharsetValue FindCharsetDeclaration(const QString &text) {
  // One pass over the text, tag by tag: a tag runs from the last "<" before a ">" to that ">".
  const QStringView t(text);
  qsizetype tagStart = -1;
  for (qsizetype k = 0; k < t.size(); ++k) {
    const char16_t c = t[k].unicode();
    if (c == u'<')
      tagStart = k;
    else if (c == u'>' && tagStart >= 0) {
      const TAttrValue v = CharsetOfTag(t.mid(tagStart, k - tagStart));
      if (v.Start >= 0)
        return {tagStart + v.Start, v.Length};
      tagStart = -1;
    }
  }
  return {};
}

TSynEncoding EncodingFromHeader(const QString &text) {
  const TCharsetValue v = FindCharsetDeclaration(text);
  if (v.Start < 0)
    return seAnsi;
  const int e = EncodingOfCharset(QStringView(text).mid(v.Start, v.Length));
  return e < 0 ? seAnsi : TSynEncoding(e);
}

namespace {
// "$<line>,<col>" (numbers of one to nine digits), blanks after it allowed.
bool ParseCaretMarker(QStringView line, TBufferCoord *pos) {
  if (!line.startsWith(u'$'))
    return false;
  qsizetype k = 1;
  int values[2] = {0, 0};
  for (int part = 0; part < 2; ++part) {
    const qsizetype start = k;
    while (k < line.size() && line[k] >= u'0' && line[k] <= u'9' && k - start < 9)
      values[part] = values[part] * 10 + (line[k++].unicode() - u'0');
    if (k == start || (k < line.size() && line[k] >= u'0' && line[k] <= u'9'))
      return false;
    if (part == 0) {
      if (k >= line.size() || line[k] != u',')
        return false;
      ++k;
    }
  }
  for (; k < line.size(); ++k)
    if (!line[k].isSpace())
      return false;
  if (pos) {
    pos->Line = std::max(1, values[0]);
    pos->Char = std::max(1, values[1]);
  }
  return true;
}
} // namespace

int FindCaretMarker(const QStringList &lines, TBufferCoord *pos) {
  for (int i = int(lines.size()) - 1; i >= 0; --i)
    if (ParseCaretMarker(lines[i], pos))
      return i;
  return -1;
}

QString CaretMarkerLine(TBufferCoord pos) {
  return u'$' + QString::number(pos.Line) + u',' + QString::number(pos.Char);
}

TBufferCoord CoordOfIndex(const QString &text, qsizetype index) {
  TBufferCoord c{1, 1};
  qsizetype lineStart = 0;
  index = std::clamp<qsizetype>(index, 0, text.size());
  for (qsizetype i = 0; i < index; ++i) {
    const QChar ch = text[i];
    if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' && i + 1 < index) {
      ++i;
      ++c.Line;
      lineStart = i + 1;
    } else if (ch == u'\n' || ch == u'\r') {
      ++c.Line;
      lineStart = i + 1;
    }
  }
  c.Char = int(index - lineStart) + 1;
  return c;
}

bool TakeCaretMarker(QString &text, TBufferCoord *pos) {
  // One pass over the lines (breaks "\r\n", "\n" or "\r"), remembering the last marker line; then
  // one removal, so that the rest of the text keeps its own breaks.
  const qsizetype n = text.size();
  qsizetype lineStart = 0, prevBreak = -1;
  qsizetype markStart = -1, markEnd = -1, markBreak = 0, markPrevBreak = -1;
  TBufferCoord found;
  while (lineStart < n) {
    qsizetype k = lineStart;
    while (k < n && text[k] != u'\n' && text[k] != u'\r')
      ++k;
    const qsizetype brk = k >= n ? 0 : (text[k] == u'\r' && k + 1 < n && text[k + 1] == u'\n') ? 2 : 1;
    TBufferCoord p;
    if (text[lineStart] == u'$' && ParseCaretMarker(QStringView(text).mid(lineStart, k - lineStart), &p)) {
      markStart = lineStart;
      markEnd = k;
      markBreak = brk;
      markPrevBreak = prevBreak;
      found = p;
    }
    prevBreak = k;
    lineStart = k + brk;
    if (brk == 0)
      break;
  }
  if (markStart < 0)
    return false;
  if (pos)
    *pos = found;
  if (markBreak > 0)
    text.remove(markStart, markEnd + markBreak - markStart);
  else if (markPrevBreak >= 0) // the last line, without a break: the break before it goes with it
    text.remove(markPrevBreak, markEnd - markPrevBreak);
  else
    text.remove(markStart, markEnd - markStart);
  return true;
}
